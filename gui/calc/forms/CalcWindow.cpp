#include "CalcWindow.h"

#include "Dialogs.h"
#include "OutFile.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {
const char* const WeblinkAddress = "https://en.wikipedia.org/wiki/Phylogenetic_network";
}  // namespace

TWeightsPanel::TWeightsPanel(int maxTyped, int maxLength, QWidget* parent)
    : QGroupBox(QStringLiteral("Weighting"), parent), maxTyped_(maxTyped) {
  setObjectName(QStringLiteral("WeightPanel"));
  auto* layout = new QVBoxLayout(this);
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("WeightList"));
  layout->addWidget(list_);
  auto* editRow = new QHBoxLayout;
  label_ = new QLabel(QStringLiteral("New weight"), this);
  edit_ = new QLineEdit(this);
  edit_->setObjectName(QStringLiteral("WeightEdit"));
  if (maxLength > 0) edit_->setMaxLength(maxLength);
  editRow->addWidget(label_);
  editRow->addWidget(edit_);
  layout->addLayout(editRow);
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("Weight_ok_button"));
  layout->addWidget(ok);
  connect(list_, &QListWidget::itemClicked, this, &TWeightsPanel::lineClicked);
  connect(edit_, &QLineEdit::editingFinished, this, &TWeightsPanel::editLeft);
  connect(ok, &QPushButton::clicked, this, &TWeightsPanel::okClicked);
  label_->hide();
  edit_->hide();
  hide();
}

std::string TWeightsPanel::line(int character) const {
  const Trdf_Character& c = data_->Character(character);
  return "Weight of character " + c.Name + ": " + outfile::RightJustify(c.Weight, 3);
}

void TWeightsPanel::Open(Trdf_DataSet& data) {
  data_ = &data;
  edited_ = 0;
  list_->clear();
  for (int c = 1; c <= data.CharacterCount(); ++c)
    list_->addItem(QString::fromStdString(line(c)));
  show();
}

void TWeightsPanel::lineClicked(QListWidgetItem* line) {
  if (!data_) return;
  edited_ = list_->row(line) + 1;
  edit_->setText(QString::number(data_->Character(edited_).Weight));
  label_->show();
  edit_->show();
  edit_->setFocus();
}

void TWeightsPanel::editLeft() {
  if (edit_->isHidden() || !data_ || edited_ < 1 || edited_ > data_->CharacterCount()) return;
  bool ok = false;
  const int v = edit_->text().trimmed().toInt(&ok);
  if (ok && v >= 0 && v <= maxTyped_) {
    data_->SetWeight(edited_, v);
    // The line shows the weight the data set holds, also when SetWeight refused the value.
    list_->item(edited_ - 1)->setText(QString::fromStdString(line(edited_)));
  }
  label_->hide();
  edit_->hide();
}

void TWeightsPanel::okClicked() {
  hide();
  list_->clear();
  data_ = nullptr;
  emit closed();
}

TCalcWindow::TCalcWindow(QWidget* parent, const char* objectName, const char* title,
                         const char* aboutText)
    : QMainWindow(parent), aboutText_(aboutText) {
  setWindowFlags(windowFlags() | Qt::Window);
  setAttribute(Qt::WA_DeleteOnClose);
  setObjectName(QString::fromLatin1(objectName));
  setWindowTitle(QString::fromLatin1(title));
}

TCalcWindow::~TCalcWindow() = default;

void TCalcWindow::closeEvent(QCloseEvent* event) {
  if (calculating_) {
    event->ignore();
    return;
  }
  data_.reset();
  if (parentWidget()) parentWidget()->setEnabled(true);
  event->accept();
}

QMenu* TCalcWindow::addHelpMenu() {
  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  help->setObjectName(QStringLiteral("Help1"));
  item(help, "About1", QStringLiteral("&About"), &TCalcWindow::About1Click);
  item(help, "Weblink1", QStringLiteral("&Weblink"), &TCalcWindow::Weblink1Click);
  return help;
}

TWeightsPanel* TCalcWindow::addWeightsPanel(QWidget* parent, int maxTyped, int maxLength) {
  weights_ = new TWeightsPanel(maxTyped, maxLength, parent);
  connect(weights_, &TWeightsPanel::closed, this, [this] { setMenusEnabled(true); });
  return weights_;
}

void TCalcWindow::showWeights() {
  if (!data_ || !weights_) return;
  setMenusEnabled(false);
  weights_->Open(*data_);
}

bool TCalcWindow::binaryData() const {
  return data_ && n_ > 0 && !data_->Taxon(1).States.empty() &&
         (data_->Taxon(1).States[0] == '0' || data_->Taxon(1).States[0] == '1');
}

void TCalcWindow::About1Click() { dialogs().showMessage(aboutText_); }

void TCalcWindow::Weblink1Click() { QDesktopServices::openUrl(QUrl(WeblinkAddress)); }
