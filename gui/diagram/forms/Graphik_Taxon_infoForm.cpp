#include "Graphik_Taxon_infoForm.h"

#include "DiagramFormScaling.h"
#include "Graphik_Taxon_info.h"

#include <QCloseEvent>
#include <QListWidget>
#include <QVBoxLayout>

TTax_info* Tax_info = nullptr;

TTax_info::TTax_info(QSize screenSize, QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("Tax_info"));
  setWindowTitle(QStringLiteral("Taxon information"));
  TaxInfoBox_ = new QListWidget(this);
  TaxInfoBox_->setObjectName(QStringLiteral("TaxInfoBox"));
  TaxInfoBox_->setSelectionMode(QAbstractItemView::MultiSelection);
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(12);
  TaxInfoBox_->setFont(font);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(TaxInfoBox_);
  ScaleDiagramForm(*this, QSize(320, 400), screenSize);
  screenSize_ = screenSize;
  Tax_info = this;
}

TTax_info::~TTax_info() {
  if (Tax_info == this) Tax_info = nullptr;
}

void TTax_info::ShowTaxon(const TNetwork_Diagramm& diagram, int node, QPoint topLeft,
                          QWidget* drawingWindow) {
  AppendLines(TaxonInfoLines(diagram, node));
  drawingWindow_ = drawingWindow;
  if (drawingWindow_) drawingWindow_->setEnabled(false);
  showNormal();
  // Beside the node, but never with a part off the screen.
  const QSize outer = frameGeometry().size().expandedTo(size());
  move(PlaceInside(topLeft, outer, AvailableScreenArea(screenSize_)));
  raise();
}

void TTax_info::AppendLines(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) TaxInfoBox_->addItem(QString::fromStdString(line));
}

std::vector<std::string> TTax_info::Lines() const {
  std::vector<std::string> lines;
  for (int i = 0; i < TaxInfoBox_->count(); ++i)
    lines.push_back(TaxInfoBox_->item(i)->text().toStdString());
  return lines;
}

void TTax_info::closeEvent(QCloseEvent* event) {
  event->accept();
  setWindowState(Qt::WindowMinimized);
  TaxInfoBox_->clear();
  if (drawingWindow_) drawingWindow_->setEnabled(true);
  drawingWindow_ = nullptr;
}
