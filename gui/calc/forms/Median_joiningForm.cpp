#include "Median_joiningForm.h"

#include "Dialogs.h"
#include "MJDataFile.h"
#include "OutFile.h"
#include "UHelp.h"


#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>

namespace {

const char* const InitialEpsilonCaption = "Change E&psilon (currently 0)";
const char* const TransversionWarning =
    "Warning: If you modify the transversion:transition ratio from the default ratio 1:1, the MJ "
    "algorithm could run into a continuous cycle in rare cases.";
const char* const AboutText =
    "Median joining builds a network of the sequences of a data set: it links them by a minimum "
    "spanning network relaxed by the parameter epsilon, adds hypothetical ancestral sequences "
    "(median vectors) built from triples of linked sequences, and repeats this until no new median "
    "vector appears.\r\rEpsilon governs the initial grouping of closely related types: with "
    "epsilon 0 only the shortest links of the minimum spanning network are kept; larger values "
    "admit longer links and so more median vectors.\r\rRecommended procedure:\r"
    "1. Check the weights of the characters.\r"
    "2. Run the calculation with epsilon 0.\r"
    "3. Draw the network.\r"
    "4. If the network is clean, try epsilon 10, 20, ...; if it holds high-dimensional cubes or "
    "large cycles, down-weight fast-evolving characters, and as a last resort activate the "
    "Frequency>1 option.\r"
    "5. Run the MP calculation to purge superfluous links.\r\r"
    "Reference: D. H. Huson, R. Rupp and C. Scornavacca, Phylogenetic Networks: Concepts, "
    "Algorithms and Applications. Cambridge University Press, 2010.";

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Passes every dialog on and counts the error messages, so that the window adds its own summary
// only when the reader has not already said what is wrong.
class ErrorCount final : public Dialogs {
public:
  ErrorCount() : inner_(::dialogs()), scope_(*this) {}
  int errors() const { return errors_; }

  void showMessage(const std::string& text, DialogKind kind) override {
    if (kind == DialogKind::Error) ++errors_;
    inner_.showMessage(text, kind);
  }
  DialogAnswer ask(const std::string& text, DialogButtons buttons, DialogKind kind) override {
    return inner_.ask(text, buttons, kind);
  }
  std::optional<std::string> openFileName(const FileDialogRequest& request) override {
    return inner_.openFileName(request);
  }
  std::optional<std::string> saveFileName(const FileDialogRequest& request) override {
    return inner_.saveFileName(request);
  }
  std::optional<std::string> inputText(const std::string& caption, const std::string& prompt,
                                       const std::string& initial) override {
    return inner_.inputText(caption, prompt, initial);
  }
  std::optional<unsigned> chooseColor(unsigned initial) override {
    return inner_.chooseColor(initial);
  }
  bool choosePrinter(QPrinter& printer) override { return inner_.choosePrinter(printer); }
  int runModal(QDialog& dialog) override { return inner_.runModal(dialog); }

private:
  Dialogs& inner_;
  DialogsScope scope_;
  int errors_ = 0;
};

}  // namespace

// Shows the calculation's counts and progress in the window's fields and gauges. The calculation
// runs in the window's thread, so pending events (the repaints of the gauges among them) are let
// run at each move of a gauge and at least every few hundredths of a second in the long loops:
// the window stays responsive, and the disabled menus keep the user from starting anything else.
class TMJ_Menue::Progress final : public TMJObserver {
public:
  explicit Progress(TMJ_Menue& w) : w_(w) { sinceEvents_.start(); }
  void KeepAlive() override {
    calcform::KeepAlive();
    if (sinceEvents_.elapsed() >= EventPeriodMs) RunEvents();
  }
  void StepDone() override { RunEvents(); }
  void RoundStarted(int round) override { w_.editRound_->setText(QString::number(round)); }
  void LinkProgress(int percent) override {
    w_.linksGauge_->setValue(percent);
    RunEvents();
  }
  void LinksFound(int count) override {
    w_.editLinks_->setText(Q(outfile::RightJustify(count, 5)));
  }
  void CombinationProgress(int percent) override {
    w_.combGauge_->setValue(percent);
    RunEvents();
  }
  void FeasibleCombinations(int count) override {
    w_.editFeasComb_->setText(Q(outfile::RightJustify(count, 5)));
  }
  void MediansAdded(int count) override { w_.editMedians_->setText(QString::number(count)); }
  void SequenceCount(int n) override { w_.editSequences_->setText(QString::number(n)); }

private:
  static constexpr qint64 EventPeriodMs = 40;
  void RunEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    sinceEvents_.restart();
  }
  TMJ_Menue& w_;
  QElapsedTimer sinceEvents_;
};

const char* const TMJ_Menue::OpenFilter =
    "DNA data file (*.rdf)|*.rdf|RFLP data file (*.tor)|*.tor|Y-chromosomal data file "
    "(*.ych)|*.ych|Red. median output file (*.rmf)|*.rmf|Star contraction output file "
    "(*.sco)|*.sco|Amino acid data file (*.ami)|*.ami|Sequential Phylip file (*.phy)|*.phy|"
    "Sequential Nexus file (*.nex)|*.nex";

std::string TMJ_Menue::EpsilonCaption(int epsilon) {
  return "Change E&psilon (currently " + outfile::RightJustify(epsilon, 3) + ")";
}

TMJ_Menue::TMJ_Menue(QWidget* parent)
    : TCalcWindow(parent, "MJ_Menue", "Median Joining", AboutText) {
  fileMenu_ = menuBar()->addMenu("&File");
  fileMenu_->setObjectName("File1");
  item(fileMenu_, "Open1", "&Open", &TMJ_Menue::Open1Click);
  QAction* exit = fileMenu_->addAction("&Exit");
  exit->setObjectName("Exit1");
  connect(exit, &QAction::triggered, this, &QWidget::close);

  parametersMenu_ = menuBar()->addMenu("&Parameters");
  parametersMenu_->setObjectName("Parameters1");
  item(parametersMenu_, "ChangeWeights1", "Change &weights ", &TMJ_Menue::ChangeWeights1Click);
  epsilonAction_ = item(parametersMenu_, "ChangeEpsilon1", InitialEpsilonCaption,
                        &TMJ_Menue::ChangeEpsilon1Click);
  frequencyAction_ = item(parametersMenu_, "Frequency1", "&Frequency>1 criterion: inactive",
                          &TMJ_Menue::Frequency1Click);
  weightingAction_ = item(parametersMenu_, "WeightingTransversions1",
                          "&Weighting transversions/ transitions",
                          &TMJ_Menue::WeightingTransversions1Click);
  criterionAction_ = item(parametersMenu_, "Criterion1", "Criterion: Connection cost",
                          &TMJ_Menue::Criterion1Click);
  rootingAction_ = item(parametersMenu_, "ExternalRooting1", "External rooting: inactive",
                        &TMJ_Menue::ExternalRooting1Click);
  squareAction_ = item(parametersMenu_, "MJSquare1", "MJ square option: inactive",
                       &TMJ_Menue::MJSquare1Click);

  calculateAction_ = item(nullptr, "Calculatenetwork1", "&Calculate network",
                          &TMJ_Menue::Calculatenetwork1Click);

  helpMenu_ = addHelpMenu();
  QAction* exit2 = menuBar()->addAction("E&xit");
  exit2->setObjectName("Exit2");
  connect(exit2, &QAction::triggered, this, &QWidget::close);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);

  // Parameters panel: epsilon, or the transversion and transition weights.
  parameterPanel_ = new QGroupBox("Parameters", central);
  parameterPanel_->setObjectName("ParameterPanel");
  auto* pl = new QFormLayout(parameterPanel_);
  epsilonLabel_ = new QLabel("Value of epsilon", parameterPanel_);
  epsilonSpin_ = new QSpinBox(parameterPanel_);
  epsilonSpin_->setObjectName("EpsilonSpin");
  epsilonSpin_->setRange(0, 255);
  pl->addRow(epsilonLabel_, epsilonSpin_);
  transversLabel_ = new QLabel("Weighting transversions", parameterPanel_);
  transversSpin_ = new QSpinBox(parameterPanel_);
  transversSpin_->setObjectName("TransversSpin");
  transversSpin_->setRange(1, 50);
  pl->addRow(transversLabel_, transversSpin_);
  transitLabel_ = new QLabel("Weighting transitions", parameterPanel_);
  transitSpin_ = new QSpinBox(parameterPanel_);
  transitSpin_->setObjectName("TransitSpin");
  transitSpin_->setRange(1, 10);
  pl->addRow(transitLabel_, transitSpin_);
  paramOk_ = new QPushButton("OK", parameterPanel_);
  paramOk_->setObjectName("Param_ok_button");
  pl->addRow(paramOk_);
  connect(epsilonSpin_, &QSpinBox::editingFinished, this, &TMJ_Menue::EpsilonSpinExit);
  connect(transversSpin_, &QSpinBox::editingFinished, this, &TMJ_Menue::TransversSpinExit);
  connect(transitSpin_, &QSpinBox::editingFinished, this, &TMJ_Menue::TransitSpinExit);
  connect(paramOk_, &QPushButton::clicked, this, &TMJ_Menue::ParamOkClick);
  parameterPanel_->hide();
  layout->addWidget(parameterPanel_);

  // Weights panel: a typed weight from 0 to 254 (three digits) goes to the data set.
  layout->addWidget(addWeightsPanel(central, 254, 3));

  // Results of a running calculation.
  resultsGroup_ = new QGroupBox("Calculation results", central);
  resultsGroup_->setObjectName("ResultsGroup");
  auto* rl = new QFormLayout(resultsGroup_);
  const auto field = [&](const char* name, const char* label) {
    auto* e = new QLineEdit(resultsGroup_);
    e->setObjectName(name);
    e->setReadOnly(true);
    rl->addRow(label, e);
    return e;
  };
  editRound_ = field("EditRound", "Round");
  editSequences_ = field("Editsequences", "Sequences");
  editMedians_ = field("Editmedians", "Median vectors added");
  editLinks_ = field("EditLinks", "Links");
  editFeasComb_ = field("EditFeasComb", "Feasible combinations");
  linksGauge_ = new QProgressBar(resultsGroup_);
  linksGauge_->setObjectName("LinksGauge");
  rl->addRow("Calculating feasible links", linksGauge_);
  combGauge_ = new QProgressBar(resultsGroup_);
  combGauge_->setObjectName("CombGauge");
  rl->addRow("Looking for feasible combinations", combGauge_);
  resultsGroup_->hide();
  layout->addWidget(resultsGroup_);
  layout->addStretch();
  setCentralWidget(central);

  parametersMenu_->setEnabled(false);
  calculateAction_->setEnabled(false);
  weightingAction_->setEnabled(false);
  calcform::ScaleWindow(*this, 640, 480);
}

TMJ_Menue::~TMJ_Menue() = default;

void TMJ_Menue::enableMenus(bool enabled, bool alsoHelp) {
  fileMenu_->menuAction()->setEnabled(enabled);
  parametersMenu_->menuAction()->setEnabled(enabled);
  parametersMenu_->setEnabled(enabled);
  calculateAction_->setEnabled(enabled);
  if (alsoHelp) helpMenu_->menuAction()->setEnabled(enabled);
}

void TMJ_Menue::resetOptions() {
  options_ = TMJOptions();
  n_ = 0;
  updateCaptions();
  epsilonAction_->setText(InitialEpsilonCaption);
}

void TMJ_Menue::updateCaptions() {
  frequencyAction_->setText(options_.FrequencyCriterion ? "&Frequency>1 criterion: active"
                                                        : "&Frequency>1 criterion: inactive");
  criterionAction_->setText(options_.Criterion == TMJCriterion::GreedyFHP
                                ? "Criterion: Greedy FHP"
                                : "Criterion: Connection cost");
  rootingAction_->setText(options_.ExternalRooting ? "&External rooting: active"
                                                   : "&External rooting: inactive");
  squareAction_->setText(options_.MJSquare ? "&MJ square option: active"
                                           : "&MJ square option: inactive");
}

void TMJ_Menue::Open1Click() {
  resetOptions();
  FileDialogRequest request;
  request.title = "Open data file";
  request.filter = OpenFilter;
  const auto chosen = dialogs().openFileName(request);
  if (!chosen) return;
  const std::optional<TMJDataFile> file = PrepareMJDataFile(*chosen);
  if (!file) return;
  const std::string& name = file->RdfName;
  options_.AminoAcids = file->AminoAcids;
  weightingAction_->setVisible(!options_.AminoAcids);
  bool loaded = false;
  int errors = 0;
  {
    const ErrorCount counted;
    loaded = loadDataSet(name, [&](Trdf_DataSet& data) {
      return LoadMJDataSet(data, name, options_.AminoAcids, true, file->Type == "RMF");
    });
    errors = counted.errors();
  }
  if (!loaded) {
    // One message that says what is wrong, and the window stays open for another file.
    fileName_.clear();
    parametersMenu_->setEnabled(false);
    calculateAction_->setEnabled(false);
    if (errors == 0) dialogs().showMessage(mj_messages::FormatError, DialogKind::Error);
    return;
  }
  binary_ = binaryData();
  if (n_ > 0) {
    parametersMenu_->setEnabled(true);
    calculateAction_->setEnabled(true);
  }
  weightingAction_->setEnabled(!binary_);
}

void TMJ_Menue::ChangeWeights1Click() { showWeights(); }

void TMJ_Menue::showParameterPanel(bool epsilon) {
  setMenusEnabled(false);
  epsilonLabel_->setVisible(epsilon);
  epsilonSpin_->setVisible(epsilon);
  transversLabel_->setVisible(!epsilon);
  transversSpin_->setVisible(!epsilon);
  transitLabel_->setVisible(!epsilon);
  transitSpin_->setVisible(!epsilon);
  if (epsilon) {
    epsilonSpin_->setValue(options_.Epsilon);
  } else {
    transversSpin_->setValue(options_.TransversionWeight);
    transitSpin_->setValue(options_.TransitionWeight);
  }
  parameterPanel_->show();
}

void TMJ_Menue::ChangeEpsilon1Click() { showParameterPanel(true); }

void TMJ_Menue::EpsilonSpinExit() {
  options_.Epsilon = static_cast<uint8_t>(epsilonSpin_->value());
  epsilonAction_->setText(Q(EpsilonCaption(options_.Epsilon)));
}

void TMJ_Menue::TransversSpinExit() {
  options_.TransversionWeight = static_cast<uint8_t>(transversSpin_->value());
}

void TMJ_Menue::TransitSpinExit() {
  options_.TransitionWeight = static_cast<uint8_t>(transitSpin_->value());
}

void TMJ_Menue::ParamOkClick() {
  // Leaving a spin edit for the button stores its value first.
  if (!epsilonSpin_->isHidden()) EpsilonSpinExit();
  if (!transversSpin_->isHidden()) {
    TransversSpinExit();
    TransitSpinExit();
  }
  parameterPanel_->hide();
  setMenusEnabled(true);
}

void TMJ_Menue::Frequency1Click() {
  options_.FrequencyCriterion = !options_.FrequencyCriterion;
  updateCaptions();
}

void TMJ_Menue::WeightingTransversions1Click() {
  dialogs().showMessage(TransversionWarning, DialogKind::Warning);
  showParameterPanel(false);
}

void TMJ_Menue::Criterion1Click() {
  options_.Criterion = options_.Criterion == TMJCriterion::GreedyFHP ? TMJCriterion::ConnectionCost
                                                                     : TMJCriterion::GreedyFHP;
  updateCaptions();
}

void TMJ_Menue::ExternalRooting1Click() {
  options_.ExternalRooting = !options_.ExternalRooting;
  updateCaptions();
}

void TMJ_Menue::MJSquare1Click() {
  options_.MJSquare = !options_.MJSquare;
  updateCaptions();
}

void TMJ_Menue::Calculatenetwork1Click() {
  if (!data_ || n_ == 0 || calculating_) return;
  Progress progress(*this);
  TMJCalculation calc(*data_, options_, &progress);
  if (calc.AskToChangeEpsilon()) {
    showParameterPanel(true);
    return;
  }
  resultsGroup_->show();
  enableMenus(false, true);
  calculating_ = true;
  if (calc.Calculate()) SaveMJNetwork(calc, fileName_);
  calculating_ = false;
  close();
}
