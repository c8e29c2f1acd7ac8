#include "QtDialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QStringList>

namespace {

QWidget* parentWindow() { return QApplication::activeWindow(); }

QString title(DialogKind kind) {
  switch (kind) {
    case DialogKind::Warning: return QStringLiteral("Warning");
    case DialogKind::Error: return QStringLiteral("Error");
    case DialogKind::Confirmation: return QStringLiteral("Confirm");
    case DialogKind::Information: break;
  }
  return QApplication::applicationName();
}

QMessageBox::Icon icon(DialogKind kind) {
  switch (kind) {
    case DialogKind::Warning: return QMessageBox::Warning;
    case DialogKind::Error: return QMessageBox::Critical;
    case DialogKind::Confirmation: return QMessageBox::Question;
    case DialogKind::Information: break;
  }
  return QMessageBox::Information;
}

QString startPath(const FileDialogRequest& r) {
  QString dir = QString::fromStdString(r.initialDir);
  QString name = QString::fromStdString(r.fileName);
  if (dir.isEmpty()) return name;
  return name.isEmpty() ? dir : QDir(dir).filePath(name);
}

}  // namespace

QString QtDialogs::selectedFilter(const FileDialogRequest& r) {
  const QStringList filters = qtFilter(r.filter).split(QStringLiteral(";;"));
  return r.filterIndex >= 1 && r.filterIndex <= filters.size() ? filters[r.filterIndex - 1] : QString();
}

QString QtDialogs::qtFilter(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split('|');
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString desc = parts[i].trimmed();
    const QString patterns = parts[i + 1].trimmed().replace(';', ' ');
    if (!desc.contains('(')) desc += " (" + patterns + ")";
    out << desc;
  }
  return out.join(QStringLiteral(";;"));
}

void QtDialogs::showMessage(const std::string& text, DialogKind kind) {
  QMessageBox box(icon(kind), title(kind), QString::fromStdString(text), QMessageBox::Ok,
                  parentWindow());
  box.exec();
}

DialogAnswer QtDialogs::ask(const std::string& text, DialogButtons buttons, DialogKind kind) {
  QMessageBox::StandardButtons b = QMessageBox::Ok;
  switch (buttons) {
    case DialogButtons::Ok: b = QMessageBox::Ok; break;
    case DialogButtons::YesNo: b = QMessageBox::Yes | QMessageBox::No; break;
    case DialogButtons::OkCancel: b = QMessageBox::Ok | QMessageBox::Cancel; break;
    case DialogButtons::YesNoCancel:
      b = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
      break;
  }
  QMessageBox box(icon(kind), title(kind), QString::fromStdString(text), b, parentWindow());
  switch (box.exec()) {
    case QMessageBox::Ok: return DialogAnswer::Ok;
    case QMessageBox::Yes: return DialogAnswer::Yes;
    case QMessageBox::No: return DialogAnswer::No;
    default: return buttons == DialogButtons::YesNo ? DialogAnswer::No : DialogAnswer::Cancel;
  }
}

std::optional<std::string> QtDialogs::openFileName(const FileDialogRequest& r) {
  QString selected = selectedFilter(r);
  const QString path = QFileDialog::getOpenFileName(parentWindow(), QString::fromStdString(r.title),
                                                    startPath(r), qtFilter(r.filter), &selected);
  if (path.isEmpty()) return {};
  return path.toStdString();
}

std::optional<std::string> QtDialogs::saveFileName(const FileDialogRequest& r) {
  QString selected = selectedFilter(r);
  const QString path = QFileDialog::getSaveFileName(parentWindow(), QString::fromStdString(r.title),
                                                    startPath(r), qtFilter(r.filter), &selected);
  if (path.isEmpty()) return {};
  return path.toStdString();
}

std::optional<std::string> QtDialogs::inputText(const std::string& caption,
                                                const std::string& prompt,
                                                const std::string& initial) {
  bool ok = false;
  const QString text = QInputDialog::getText(parentWindow(), QString::fromStdString(caption),
                                             QString::fromStdString(prompt), QLineEdit::Normal,
                                             QString::fromStdString(initial), &ok);
  if (!ok) return {};
  return text.toStdString();
}

std::optional<unsigned> QtDialogs::chooseColor(unsigned initial) {
  // Colours travel as 0x00BBGGRR.
  const QColor start(initial & 0xff, (initial >> 8) & 0xff, (initial >> 16) & 0xff);
  const QColor c = QColorDialog::getColor(start, parentWindow());
  if (!c.isValid()) return {};
  return unsigned(c.red()) | unsigned(c.green()) << 8 | unsigned(c.blue()) << 16;
}

bool QtDialogs::choosePrinter(QPrinter& printer) {
  QPrintDialog dialog(&printer, parentWindow());
  return dialog.exec() == QDialog::Accepted;
}

int QtDialogs::runModal(QDialog& dialog) { return dialog.exec(); }
