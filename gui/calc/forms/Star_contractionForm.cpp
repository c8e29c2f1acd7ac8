#include "Star_contractionForm.h"

#include "Dialogs.h"
#include "OutFile.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

const char* const AboutText =
    "Star contraction reduces a large data set to a smaller one. It looks for star-like clusters: "
    "a centre sequence (an observed one, or a generated median vector named \"sco\" and a number) "
    "with close relatives around it, no farther than the maximum star radius. Each cluster is "
    "contracted into its centre; up to three rounds run. The contracted data set is saved as an "
    ".sco file in which every contracted sequence carries its centre's states, and a protocol of "
    "the contractions is saved as a .pro file.\r\rThe contracted data set can be analysed by the "
    "network methods (median joining, reduced median) or by other tree-building methods. Time "
    "estimates can no longer be made directly on the contracted result, because the contracted "
    "mutations are missing from it.\r\rReference: D. H. Huson, R. Rupp and C. Scornavacca, "
    "Phylogenetic Networks: Concepts, Algorithms and Applications. Cambridge University Press, "
    "2010. Note: the star radius counts the mutations between a member and its centre.";

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

class TStar_Menue::Progress final : public TStarObserver {
 public:
  explicit Progress(TStar_Menue& w) : w_(w) {}
  void KeepAlive() override { calcform::KeepAlive(); }
  void EquivalentProgress(int percent, int pairs) override {
    w_.equivalentGroup_->show();
    w_.equiProgress_->setValue(percent);
    w_.equiCount_->setText(Q(outfile::RightJustify(pairs, 4)));
  }
  void ExaminedSequence(int i, int medians) override {
    w_.medianGroup_->show();
    w_.examinedEdit_->setText(Q(outfile::RightJustify(i, 4)));
    w_.mediansEdit_->setText(Q(outfile::RightJustify(medians, 4)));
  }
  void Cliques(int count) override {
    w_.cliquesGroup_->show();
    w_.cliquesEdit_->setText(Q(outfile::RightJustify(count, 4)));
  }
  void CheckingClique(int star) override { w_.checkingEdit_->setText(QString::number(star)); }

 private:
  TStar_Menue& w_;
};

const char* const TStar_Menue::OpenFilter =
    "DNA data file (*.rdf)|*.rdf|RFLP data file (*.tor)|*.tor|Y-chromosomal data file "
    "(*.ych)|*.ych|Red. median output file (*.rmf)|*.rmf|Sequential Phylip format (*.phy)|*.phy|"
    "Sequential Nexus format (*.nex)|*.nex|Amino acid data file(*.ami)|*.ami";

TStar_Menue::TStar_Menue(QWidget* parent)
    : TCalcWindow(parent, "Star_Menue", "Star contraction", AboutText) {
  fileAction_ = item(nullptr, "File1", "&File", &TStar_Menue::File1Click);
  parametersAction_ = item(nullptr, "Parameters1", "&Parameters",
                                        &TStar_Menue::Parameters1Click);
  calculateAction_ = item(nullptr, "Calculation1", "&Calculation",
                                       &TStar_Menue::Calculation1Click);
  helpMenu_ = addHelpMenu();
  QAction* exit = menuBar()->addAction("&Exit");
  exit->setObjectName("Exit1");
  connect(exit, &QAction::triggered, this, &QWidget::close);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  parametersGroup_ = new QGroupBox("Parameters", central);
  parametersGroup_->setObjectName("ParametersGroup");
  auto* pl = new QFormLayout(parametersGroup_);
  radiusSpin_ = new QSpinBox(parametersGroup_);
  radiusSpin_->setObjectName("RadiusSpin");
  radiusSpin_->setRange(1, TStarContraction::MaxRadius);
  radiusSpin_->setValue(radius_);
  pl->addRow("Maximum star radius", radiusSpin_);
  auto* set = new QPushButton("Set", parametersGroup_);
  set->setObjectName("SetButton");
  pl->addRow(set);
  connect(set, &QPushButton::clicked, this, &TStar_Menue::SetButtonClick);
  parametersGroup_->hide();
  layout->addWidget(parametersGroup_);

  const auto group = [&](const char* title, const char* name) {
    auto* g = new QGroupBox(title, central);
    g->setObjectName(name);
    g->hide();
    layout->addWidget(g);
    return g;
  };
  const auto field = [](QGroupBox* g, QFormLayout* l, const char* name, const char* label) {
    auto* e = new QLineEdit(g);
    e->setObjectName(name);
    e->setReadOnly(true);
    l->addRow(label, e);
    return e;
  };
  equivalentGroup_ = group("Equivalent taxa", "EquivalentGroup");
  auto* el = new QFormLayout(equivalentGroup_);
  equiProgress_ = new QProgressBar(equivalentGroup_);
  equiProgress_->setObjectName("Equi_Progress");
  el->addRow(equiProgress_);
  equiCount_ = field(equivalentGroup_, el, "Anz_equi_tax", "Identical pairs");
  medianGroup_ = group("Potential median vectors", "MedianGroup");
  auto* ml = new QFormLayout(medianGroup_);
  examinedEdit_ = field(medianGroup_, ml, "ExaminedEdit", "Examination of sequence number");
  mediansEdit_ = field(medianGroup_, ml, "MediansEdit", "Potential median vectors so far");
  cliquesGroup_ = group("Cliques", "CliquesGroup");
  auto* cl = new QFormLayout(cliquesGroup_);
  cliquesEdit_ = field(cliquesGroup_, cl, "CliquesEdit", "Number of cliques");
  checkingEdit_ = field(cliquesGroup_, cl, "CheckingEdit", "Checking clique number");
  layout->addStretch();
  setCentralWidget(central);

  parametersAction_->setEnabled(false);
  calculateAction_->setEnabled(false);
  calcform::ScaleWindow(*this, 640, 480);
}

TStar_Menue::~TStar_Menue() = default;

void TStar_Menue::setMenusEnabled(bool enabled) {
  fileAction_->setEnabled(enabled);
  calculateAction_->setEnabled(enabled && n_ > 2);
  parametersAction_->setEnabled(enabled && n_ > 2);
  helpMenu_->menuAction()->setEnabled(enabled);
}

void TStar_Menue::File1Click() {
  FileDialogRequest request;
  request.title = sc_messages::OpenTitle;
  request.filter = OpenFilter;
  const auto chosen = dialogs().openFileName(request);
  if (!chosen) return;
  bool importedAminoAcids = false;
  const auto name = calcform::ImportedRdfName(*chosen, false, importedAminoAcids);
  if (!name) return;
  const std::string type = calcform::FileType(*chosen);
  const bool aminoAcids = type == "AMI" || importedAminoAcids;
  if (!loadDataSet(*name, [&](Trdf_DataSet& data) {
        return LoadStarDataSet(data, *name, aminoAcids, type != "RMF", true);
      })) {
    close();
    return;
  }
  binary_ = binaryData();
  if (n_ > 2) {
    radius_ = 5;
    radiusSpin_->setValue(radius_);
  }
  calculateAction_->setEnabled(n_ > 2);
  parametersAction_->setEnabled(n_ > 2);
}

void TStar_Menue::Parameters1Click() {
  setMenusEnabled(false);
  radiusSpin_->setValue(radius_);
  parametersGroup_->show();
}

void TStar_Menue::SetButtonClick() {
  radius_ = radiusSpin_->value();
  parametersGroup_->hide();
  setMenusEnabled(true);
}

void TStar_Menue::Calculation1Click() {
  if (!data_ || n_ <= 2 || calculating_) return;
  // The file and options stay; the data set is read again for a second run.
  calculating_ = true;
  setMenusEnabled(false);
  Progress progress(*this);
  RunStarContraction(*data_, fileName_, radius_, &progress);
  calculating_ = false;
  data_.reset();
  n_ = 0;
  setMenusEnabled(true);
}
