#include "Reduced_medianForm.h"

#include "Dialogs.h"
#include "OutFile.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <limits>

namespace {

const char* const InitialThresholdCaption = "Change reduction &threshold (currently 2.00)";
const char* const FrequencyInactive = "F&requency>1 criterion: inactive";
const char* const FrequencyActive = "F&requency>1 criterion: active";
const char* const AboutText =
    "The reduced-median network is built for binary data. Characters that are incompatible with "
    "many others are first split in rounds: a character is split when the characters that divide "
    "one of its sides the same way weigh at least the reduction threshold times as much as the "
    "character itself. The reduced data set is saved as an .rmf file. Then every binary sequence "
    "each of whose character pairs occurs in the data is added as a median vector, and the "
    "sequences are linked when no chain of shorter links joins them. The network is saved as an "
    ".out file for drawing.\r\rA higher threshold splits fewer characters and gives larger "
    "networks; the Frequency>1 criterion leaves out sequences that occur only once.\r\r"
    "Reference: D. H. Huson, R. Rupp and C. Scornavacca, Phylogenetic Networks: Concepts, "
    "Algorithms and Applications. Cambridge University Press, 2010.";

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace


// Shows the calculation's progress in the window's groups.
class TRM_Menue::Progress final : public TRMObserver {
 public:
  explicit Progress(TRM_Menue& w) : w_(w) {}
  void KeepAlive() override { calcform::KeepAlive(); }
  void RoundStarted(int round) override {
    w_.roundEdit_->setText(Q(outfile::RightJustify(round, 2)));
  }
  void SplittingSite(const std::string& name) override { w_.siteEdit_->setText(Q(name)); }
  void MedianGenerationStarted() override { w_.medianGroup_->show(); }
  void MedianProgress(int percent, int generated) override {
    w_.medianGauge_->setValue(percent);
    w_.medianLabel_->setText("Median vectors generated so far: " + QString::number(generated));
  }
  void LinksStarted() override { w_.linksGroup_->show(); }
  void LinkProgress(int percent, int links) override {
    w_.linksGauge_->setValue(percent);
    w_.linksLabel_->setText("Links generated so far: " + QString::number(links));
  }
  void LinksFinished() override { w_.medianGroup_->hide(); }

 private:
  TRM_Menue& w_;
};

const char* const TRM_Menue::OpenFilter =
    "DNA data files (*.rdf)|*.rdf|RFLP data files (*.tor)|*.tor|Y-chromosomal data files "
    "(*.ych)|*.ych|Star contraction output files (*.sco)|*.sco|Sequential Phylip file "
    "(*.phy)|*.phy|Sequential Nexus file (*.nex)|*.nex";

TRM_Menue::TRM_Menue(QWidget* parent)
    : TCalcWindow(parent, "RM_Menue", "Reduced Median", AboutText) {
  fileMenu_ = menuBar()->addMenu("&File");
  fileMenu_->setObjectName("File1");
  item(fileMenu_, "Open1", "&Open", &TRM_Menue::Open1Click);

  parametersMenu_ = menuBar()->addMenu("&Parameters");
  parametersMenu_->setObjectName("Parameters1");
  item(parametersMenu_, "Weighting1", "&Weighting", &TRM_Menue::Weighting1Click);
  thresholdAction_ = item(parametersMenu_, "Threshold1", InitialThresholdCaption,
                                       &TRM_Menue::Threshold1Click);
  frequencyAction_ =
      item(parametersMenu_, "Frequency1", "F&requency >1 criterion: inactive",
                        &TRM_Menue::Frequency1Click);

  calculateAction_ = item(nullptr, "Calculation1", "&Calculation",
                                       &TRM_Menue::Calculation1Click);

  helpMenu_ = addHelpMenu();
  exitAction_ = menuBar()->addAction("&Exit");
  exitAction_->setObjectName("Exit1");
  connect(exitAction_, &QAction::triggered, this, &QWidget::close);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);

  thresholdPanel_ = new QGroupBox("Threshold", central);
  thresholdPanel_->setObjectName("ThresholdPanel");
  auto* tl = new QFormLayout(thresholdPanel_);
  thresholdEdit_ = new QLineEdit(thresholdPanel_);
  thresholdEdit_->setObjectName("ThresholdEdit");
  tl->addRow("Reduction threshold", thresholdEdit_);
  generateLinks_ = new QCheckBox("Generate list of links (out file for drawing)", thresholdPanel_);
  generateLinks_->setObjectName("ChkGenerateLinks");
  generateLinks_->setChecked(true);
  tl->addRow(generateLinks_);
  auto* thresholdOk = new QPushButton("OK", thresholdPanel_);
  thresholdOk->setObjectName("ThresholdOkButton");
  tl->addRow(thresholdOk);
  connect(thresholdEdit_, &QLineEdit::editingFinished, this, &TRM_Menue::ThresholdEditExit);
  connect(thresholdOk, &QPushButton::clicked, this, &TRM_Menue::ThresholdOkClick);
  thresholdPanel_->hide();
  layout->addWidget(thresholdPanel_);

  // Any typed whole number goes to the data set, which refuses what it cannot hold.
  layout->addWidget(addWeightsPanel(central, std::numeric_limits<int>::max(), 0));

  splitGroup_ = new QGroupBox("Split results", central);
  splitGroup_->setObjectName("SplitGroup");
  auto* sl = new QFormLayout(splitGroup_);
  roundEdit_ = new QLineEdit(splitGroup_);
  roundEdit_->setObjectName("RoundEdit");
  roundEdit_->setReadOnly(true);
  sl->addRow("Round", roundEdit_);
  siteEdit_ = new QLineEdit(splitGroup_);
  siteEdit_->setObjectName("SiteEdit");
  siteEdit_->setReadOnly(true);
  sl->addRow("Splitting site", siteEdit_);
  splitGroup_->hide();
  layout->addWidget(splitGroup_);

  const auto progressGroup = [&](const char* title, const char* name, const char* label,
                                 QLabel*& labelOut, QProgressBar*& gauge) {
    auto* g = new QGroupBox(title, central);
    g->setObjectName(name);
    auto* gl = new QVBoxLayout(g);
    labelOut = new QLabel(label, g);
    gauge = new QProgressBar(g);
    gl->addWidget(labelOut);
    gl->addWidget(gauge);
    g->hide();
    layout->addWidget(g);
    return g;
  };
  medianGroup_ = progressGroup("Median network generation", "MedianGroup",
                               "Median vectors generated so far: 0", medianLabel_, medianGauge_);
  linksGroup_ = progressGroup("Calculation of final links", "LinksGroup",
                              "Links generated so far: 0", linksLabel_, linksGauge_);
  layout->addStretch();
  setCentralWidget(central);

  parametersMenu_->menuAction()->setEnabled(false);
  calculateAction_->setEnabled(false);
  calcform::ScaleWindow(*this, 640, 480);
}

TRM_Menue::~TRM_Menue() = default;

void TRM_Menue::setMenusEnabled(bool enabled) {
  for (QMenu* m : {fileMenu_, parametersMenu_, helpMenu_}) m->menuAction()->setEnabled(enabled);
  calculateAction_->setEnabled(enabled);
  exitAction_->setEnabled(enabled);
}

void TRM_Menue::Open1Click() {
  frequencyAction_->setText(FrequencyInactive);
  options_ = TRMOptions();
  generateLinks_->setChecked(true);
  n_ = 0;
  thresholdAction_->setText(
      Q("Change reduction threshold (currently " + GeneralThreshold(options_.Threshold) + ")"));
  FileDialogRequest request;
  request.title = "Open data file";
  request.filter = OpenFilter;
  const auto chosen = dialogs().openFileName(request);
  if (!chosen) return;
  const auto name = calcform::ImportedRdfName(*chosen, true);
  if (!name) return;
  if (!loadDataSet(*name, [&](Trdf_DataSet& data) { return LoadRMDataSet(data, *name, true); })) {
    close();
    return;
  }
  parametersMenu_->menuAction()->setEnabled(n_ > 0);
  calculateAction_->setEnabled(n_ > 0);
}

void TRM_Menue::Weighting1Click() { showWeights(); }

void TRM_Menue::Threshold1Click() {
  setMenusEnabled(false);
  thresholdEdit_->setText(Q(FixedThreshold(options_.Threshold)));
  generateLinks_->setChecked(options_.GenerateLinks);
  thresholdPanel_->show();
}

void TRM_Menue::ThresholdEditExit() {
  bool ok = false;
  const double v = thresholdEdit_->text().trimmed().toDouble(&ok);
  // A text that is no threshold keeps the previous value.
  if (ok && v >= 0) options_.Threshold = v;
  thresholdEdit_->setText(Q(FixedThreshold(options_.Threshold)));
  thresholdAction_->setText(
      Q("Change reduction threshold (currently " + FixedThreshold(options_.Threshold) + ")"));
}

void TRM_Menue::ThresholdOkClick() {
  ThresholdEditExit();  // leaving the edit for the button stores its value first
  setMenusEnabled(true);
  thresholdPanel_->hide();
  options_.GenerateLinks = generateLinks_->isChecked();
}

void TRM_Menue::Frequency1Click() {
  options_.FrequencyCriterion = !options_.FrequencyCriterion;
  frequencyAction_->setText(options_.FrequencyCriterion ? FrequencyActive : FrequencyInactive);
}

void TRM_Menue::Calculation1Click() {
  if (!data_ || n_ == 0 || calculating_) return;
  setMenusEnabled(false);
  splitGroup_->show();
  calculating_ = true;
  Progress progress(*this);
  RunReducedMedian(*data_, options_, fileName_, &progress);
  calculating_ = false;
  exitAction_->setEnabled(true);
  close();
}
