#include "Graphik_StatisticsForm.h"

#include "DiagramFormScaling.h"
#include "Dialogs.h"
#include "Graphik_Statistics.h"
#include "UHelp.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TGraph_Stat* Graph_Stat = nullptr;

namespace {

constexpr std::array<const char*, 8> kValueNames = {
    "OutsideTorsoValue", "TorsoValue",     "TotalValue",           "SteinerLengthValue",
    "TotalTaxaValue",    "ActiveTaxaValue", "TotalHaplotypesValue", "ActiveHaplotypesValue"};

}  // namespace

TGraph_Stat::TGraph_Stat(QSize screenSize, QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("Graph_Stat"));
  setWindowTitle(QStringLiteral("Statistics"));

  auto* grid = new QGridLayout;
  for (std::size_t i = 0; i < captions_.size(); ++i) {
    captions_[i] = new QLabel(this);
    captions_[i]->setObjectName(QString::fromLatin1(kValueNames[i]).replace("Value", "Caption"));
    values_[i] = new QLabel(this);
    values_[i]->setObjectName(QString::fromLatin1(kValueNames[i]));
    values_[i]->setFont(QFont(QStringLiteral("Courier New")));
    grid->addWidget(captions_[i], static_cast<int>(i), 0);
    grid->addWidget(values_[i], static_cast<int>(i), 1);
  }
  auto* listCaption = new QLabel(QStringLiteral("Maximum number of mutations at character"), this);
  CharacterList_ = new QListWidget(this);
  CharacterList_->setObjectName(QStringLiteral("CharacterList"));
  CharacterList_->setFont(QFont(QStringLiteral("Courier New")));

  auto* exportButton = new QPushButton(QStringLiteral("&Export"), this);
  exportButton->setObjectName(QStringLiteral("ExportBtn"));
  connect(exportButton, &QPushButton::clicked, this, &TGraph_Stat::ExportBtnClick);
  auto* exitButton = new QPushButton(QStringLiteral("E&xit"), this);
  exitButton->setObjectName(QStringLiteral("ExitBtn"));
  connect(exitButton, &QPushButton::clicked, this, &TGraph_Stat::ExitBtnClick);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(exportButton);
  buttons->addWidget(exitButton);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(listCaption);
  layout->addWidget(CharacterList_, 1);
  layout->addLayout(buttons);

  ScaleDiagramForm(*this, QSize(560, 480), screenSize);
  Graph_Stat = this;
}

TGraph_Stat::~TGraph_Stat() {
  if (Graph_Stat == this) Graph_Stat = nullptr;
}

void TGraph_Stat::ShowStatistics(const TNetwork_Diagramm* diagram, QWidget* drawingWindow) {
  diagram_ = diagram;
  drawingWindow_ = drawingWindow;
  if (drawingWindow_) drawingWindow_->setEnabled(false);
  FormShow();
  showNormal();
  raise();
}

void TGraph_Stat::ForgetDiagram(const TNetwork_Diagramm* diagram) {
  if (diagram != nullptr && diagram_ == diagram) close();
}

void TGraph_Stat::FormShow() {
  if (diagram_ == nullptr) return;
  const TNetworkStatistics s(*diagram_);
  if (s.HasLongEdges) dialogs().showMessage(StatisticsLongEdgesWarning(), DialogKind::Warning);
  if (s.TreeLengthFailed) dialogs().showMessage(kTreeLengthFailedMessage, DialogKind::Warning);
  for (std::size_t i = 0; i < s.Lines.size(); ++i) {
    captions_[i]->setText(QString::fromStdString(s.Lines[i].Caption));
    values_[i]->setText(QString::fromStdString(s.Lines[i].Value));
  }
  CharacterList_->clear();
  for (const TCharacterRow& row : s.Characters)
    CharacterList_->addItem(QString::fromStdString(CharacterLine(row)));
}

std::vector<std::string> TGraph_Stat::ShownLines() const {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < captions_.size(); ++i)
    lines.push_back((captions_[i]->text() + values_[i]->text()).toStdString());
  return lines;
}

std::vector<std::string> TGraph_Stat::CharacterLines() const {
  std::vector<std::string> lines;
  for (int i = 0; i < CharacterList_->count(); ++i)
    lines.push_back(CharacterList_->item(i)->text().toStdString());
  return lines;
}

void TGraph_Stat::ExportBtnClick() {
  if (diagram_ == nullptr) return;
  FileDialogRequest request;
  request.title = "Save statistics";
  request.filter = "Tarvane statistics (*.sta)|*.sta";
  request.defaultExt = "sta";
  std::optional<std::string> name = dialogs().saveFileName(request);
  if (!name || name->empty()) return;
  ForceFileExtension("sta", *name);
  std::string error;
  if (!WriteStaFile(TNetworkStatistics(*diagram_), *name, &error)) {
    dialogs().showMessage(error, DialogKind::Error);
    return;
  }
  dialogs().showMessage("Statistics have been saved successfully.");
}

void TGraph_Stat::ExitBtnClick() { close(); }

void TGraph_Stat::closeEvent(QCloseEvent* event) {
  event->accept();
  setWindowState(Qt::WindowMinimized);
  CharacterList_->clear();
  if (drawingWindow_) drawingWindow_->setEnabled(true);
  drawingWindow_ = nullptr;
  diagram_ = nullptr;
}
