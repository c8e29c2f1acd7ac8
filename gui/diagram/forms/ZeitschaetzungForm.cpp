#include "ZeitschaetzungForm.h"

#include "Dia_File.h"
#include "DiagramFormScaling.h"
#include "DiagramView.h"
#include "Dialogs.h"
#include "MenuItems.h"
#include "FdiFile.h"
#include "Graphik_WindowLogic.h"
#include "UHelp.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>

namespace {

constexpr int kImageWidth = 740;  // the drawing surface on the design screen
constexpr int kImageHeight = 553;
constexpr TColor kAncestorColor = clBlue;
constexpr TColor kDescendantColor = 0x008000;
constexpr TColor kPathColor = clBlue;
constexpr TColor kLinkColor = 0x808080;

const char* const kReadError = "An error occurred. Please contact Movrel for help.";
const char* const kSpecialDiagram =
    "The specified diagram has been constructed either by using the Frequency>1 criterion or by "
    "using the star contraction algorithm. The time estimation is not applicable to this diagram. "
    "Please select the cluster of interest within the data file and construct a new diagram of the "
    "cluster without applying Frequency>1 criterion or the star contraction algorithm.";
const char* const kResetWarning =
    "You have already chosen descendent nodes. They will be reset by choosing a different "
    "ancestral node.";
// This window's own wording; the readers have warned in theirs already.
std::string LongLinksWarning() {
  const std::string limit = std::to_string(kMaxMutationsPerLink);
  return "Warning: There are links in the output filecontaining more than " + limit +
         " mutations. The link length in" + "this program is restricted to " + limit +
         " mutations at most." + "Please check these links by hand.";
}
const char* const kTooManyDescendants = "At most 500 descendent nodes can be chosen.";
const char* const kImageHint = "Click button before selecting nodes";
const char* const kOpenFilter =
    "Unformatted Tarvane diagrams (*.dia)|*.dia|Formatted Tarvane diagrams (*.fdi)|*.fdi";
const char* const kSaveFilter = "Bitmap (*.bmp)|*.bmp|Metafile format (*.emf) |*.emf";
const char* const kWeblinkAddress = "https://en.wikipedia.org/wiki/Molecular_clock";
const char* const kAboutText =
    "The rho statistic estimates the age of an ancestral node of a network: it is the mean number "
    "of mutations from the ancestral node to its sampled descendants, each descendant counted as "
    "often as it was sampled. Multiplied by the time one mutation takes, it gives the age in "
    "years; sigma, its standard deviation, grows with the mutations the descendants share.\r\r"
    "The default rate of 1 mutation every 20180 years holds for the hypervariable segment I of "
    "human mitochondrial DNA (positions 16090-16365, transitions only).\r\r"
    "For other data, calibrate the rate on a node of known age: choose that node and its "
    "descendants, calculate rho, and divide the known age by rho.\r\r"
    "Literature: the rho statistic and its standard deviation come from the work on dating "
    "clusters of mitochondrial DNA lineages in population genetics; the Weblink item opens an "
    "introduction to molecular clocks.";

QPushButton* MakeButton(const char* name, const char* caption, QWidget* parent) {
  auto* b = new QPushButton(QString::fromLatin1(caption), parent);
  b->setObjectName(QString::fromLatin1(name));
  return b;
}

QSpinBox* MakeSpin(const char* name, int minimum, int maximum, int value, QWidget* parent) {
  auto* s = new QSpinBox(parent);
  s->setObjectName(QString::fromLatin1(name));
  s->setRange(minimum, maximum);
  s->setValue(value);
  return s;
}

QLineEdit* MakeResult(const char* name, QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(QString::fromLatin1(name));
  e->setReadOnly(true);
  return e;
}

bool HasExtension(const std::string& fileName, const char* upperExtension) {
  const std::size_t dot = ExtensionDotIndex(fileName);
  if (dot == std::string::npos) return false;
  std::string ext = fileName.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return ext == upperExtension;
}

}  // namespace

TTime_estimate::TTime_estimate(QWidget* parent, QSize screenSize)
    : QMainWindow(parent, Qt::Window), caller_(parent) {
  setObjectName(QStringLiteral("Time_estimate"));
  setWindowTitle(QStringLiteral("Time estimates"));
  setAttribute(Qt::WA_DeleteOnClose);
  const ScreenScaling s = ScaleDiagramForm(*this, QSize(1016, 734), screenSize);
  Image1_ = new TDiagramView(QSize(ScaledLength(kImageWidth, s), ScaledLength(kImageHeight, s)),
                             this);
  connect(Image1_, &TDiagramView::moved, this, &TTime_estimate::refreshButtonClick);
  connect(Image1_, &TDiagramView::mouseReleased, this,
          [this](Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
            if (button == Qt::LeftButton) ClickAt(x, y);
          });
  buildMenus();
  buildControls();
  ResetDisplay();
}

TTime_estimate::~TTime_estimate() = default;

void TTime_estimate::buildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->setObjectName(QStringLiteral("File1"));
  QMenu* help = nullptr;
  const auto item = [this](QMenu* menu, const char* name, const char* caption, auto handler) {
    return AddMenuItem(this, menu, name, QString::fromLatin1(caption), handler);
  };
  item(file, "Open1", "&Open", &TTime_estimate::Open1Click);
  Print1_ = item(file, "Print1", "&Print", &TTime_estimate::Print1Click);
  Saveas1_ = item(file, "Saveas1", "Save &bitmap", &TTime_estimate::Saveas1Click);
  item(file, "Printersetup1", "P&rinter setup", &TTime_estimate::Printersetup1Click);
  item(file, "Exit1", "&Exit", &TTime_estimate::Exit1Click);
  help = menuBar()->addMenu(QStringLiteral("&Help"));
  help->setObjectName(QStringLiteral("Help1"));
  item(help, "About1", "&About", &TTime_estimate::About1Click);
  item(help, "Weblink1", "&Weblink", &TTime_estimate::Weblink1Click);
  Print1_->setEnabled(false);
  Saveas1_->setEnabled(false);
}

void TTime_estimate::buildControls() {
  auto* central = new QWidget(this);
  central->setObjectName(QStringLiteral("ClientArea"));
  setCentralWidget(central);
  // The image with the node selection below it; the display parameters (or, in their place, the
  // results) and the view controls beside it.
  auto* grid = new QGridLayout(central);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(Image1_, 0, 0, Qt::AlignTop | Qt::AlignLeft);
  auto* below = new QHBoxLayout;
  grid->addLayout(below, 1, 0);
  auto* panel = new QVBoxLayout;
  grid->addLayout(panel, 0, 1, 2, 1);

  // Steps.
  StepsBox_ = new QGroupBox(QStringLiteral("Node selection"), central);
  StepsBox_->setObjectName(QStringLiteral("StepsBox"));
  auto* steps = new QGridLayout(StepsBox_);
  Step1Label_ = new QLabel(QStringLiteral("Step 1"), StepsBox_);
  Step2Label_ = new QLabel(QStringLiteral("Step 2"), StepsBox_);
  Step3Label_ = new QLabel(QStringLiteral("Step 3"), StepsBox_);
  OptionalLabel_ = new QLabel(QStringLiteral("Optional:"), StepsBox_);
  Step1Label_->setObjectName(QStringLiteral("Step1Label"));
  Step2Label_->setObjectName(QStringLiteral("Step2Label"));
  Step3Label_->setObjectName(QStringLiteral("Step3Label"));
  OptionalLabel_->setObjectName(QStringLiteral("OptionalLabel"));
  AncestralSpecificationButton_ =
      MakeButton("AncestralSpecificationButton", "Specify ancestral node", StepsBox_);
  DescendantSpecificationButton_ =
      MakeButton("DescendantSpecificationButton", "Specify descendent nodes", StepsBox_);
  TimeCalculationButton_ = MakeButton("TimeCalculationButton", "Calculate time", StepsBox_);
  ResetButton_ = MakeButton("ResetButton", "Reset", StepsBox_);
  connect(AncestralSpecificationButton_, &QPushButton::clicked, this,
          &TTime_estimate::AncestralSpecificationButtonClick);
  connect(DescendantSpecificationButton_, &QPushButton::clicked, this,
          &TTime_estimate::DescendantSpecificationButtonClick);
  connect(TimeCalculationButton_, &QPushButton::clicked, this,
          &TTime_estimate::TimeCalculationButtonClick);
  connect(ResetButton_, &QPushButton::clicked, this, &TTime_estimate::ResetButtonClick);
  steps->addWidget(Step1Label_, 0, 0);
  steps->addWidget(AncestralSpecificationButton_, 0, 1);
  steps->addWidget(Step2Label_, 1, 0);
  steps->addWidget(DescendantSpecificationButton_, 1, 1);
  steps->addWidget(Step3Label_, 2, 0);
  steps->addWidget(TimeCalculationButton_, 2, 1);
  steps->addWidget(OptionalLabel_, 3, 0);
  steps->addWidget(ResetButton_, 3, 1);
  below->addWidget(StepsBox_, 0, Qt::AlignTop);

  RateBox_ = new QGroupBox(central);
  RateBox_->setObjectName(QStringLiteral("RateBox"));
  auto* rate = new QHBoxLayout(RateBox_);
  MutationRateSpin_ = MakeSpin("MutationRateSpin", time_estimate::MinMutationRate,
                               time_estimate::MaxMutationRate, time_estimate::DefaultMutationRate,
                               RateBox_);
  MutationRateSpin_->setToolTip(QStringLiteral("Specify the mutation rate"));
  rate->addWidget(new QLabel(QStringLiteral("Mutation rate: 1 mutation every"), RateBox_));
  rate->addWidget(MutationRateSpin_);
  rate->addWidget(new QLabel(QStringLiteral("years"), RateBox_));
  connect(MutationRateSpin_, &QSpinBox::valueChanged, this,
          &TTime_estimate::MutationRateSpinChange);
  below->addWidget(RateBox_, 0, Qt::AlignTop);
  below->addStretch();

  DisplayParameters_ = new QGroupBox(QStringLiteral("Display parameters"), central);
  DisplayParameters_->setObjectName(QStringLiteral("DisplayParameters"));
  auto* display = new QGridLayout(DisplayParameters_);
  MedCircRadSpin_ = MakeSpin("MedCircRadSpin", 3, 7, 3, DisplayParameters_);
  TaxCircMinSizeSpin_ = MakeSpin("TaxCircMinSizeSpin", 4, 20, 4, DisplayParameters_);
  TaxCircMaxSizeSpin_ = MakeSpin("TaxCircMaxSizeSpin", 15, 75, 15, DisplayParameters_);
  int r = 0;
  for (const auto& [caption, spin] : {std::pair{"Circle radius", MedCircRadSpin_},
                                      std::pair{"Minimum node size", TaxCircMinSizeSpin_},
                                      std::pair{"Maximum node size", TaxCircMaxSizeSpin_}}) {
    display->addWidget(new QLabel(QString::fromLatin1(caption), DisplayParameters_), r, 0);
    display->addWidget(spin, r++, 1);
  }
  const auto check = [&](const char* name, const char* caption) {
    auto* c = new QCheckBox(QString::fromLatin1(caption), DisplayParameters_);
    c->setObjectName(QString::fromLatin1(name));
    display->addWidget(c, r++, 0, 1, 2);
    connect(c, &QCheckBox::toggled, this, &TTime_estimate::refreshButtonClick);
    return c;
  };
  NodesProportional_ = check("NodesProportional", "Nodes proportional to frequencies");
  Medianvectors_ = check("Medianvectors", "Show median vectors");
  OnlyTorso_ = check("OnlyTorso", "Display only torso");
  NodeNames_ = check("NodeNames", "Display node names");
  MutatedPositions_ = check("MutatedPositions", "Display mutated positions");
  auto* refresh = MakeButton("refreshButton", "Refresh", DisplayParameters_);
  connect(refresh, &QPushButton::clicked, this, &TTime_estimate::refreshButtonClick);
  display->addWidget(refresh, r++, 0, 1, 2);
  panel->addWidget(DisplayParameters_);

  Results_ = new QGroupBox(QStringLiteral("Results"), central);
  Results_->setObjectName(QStringLiteral("Results"));
  auto* results = new QGridLayout(Results_);
  RhoEdit_ = MakeResult("RhoEdit", Results_);
  AgeEdit_ = MakeResult("AgeEdit", Results_);
  SigmaEdit_ = MakeResult("SigmaEdit", Results_);
  SigmaYearsEdit_ = MakeResult("SigmaYearsEdit", Results_);
  r = 0;
  for (const auto& [caption, edit] :
       {std::pair{"Age in mutations (rho statistic)", RhoEdit_}, std::pair{"Age in years", AgeEdit_},
        std::pair{"Standard deviation (sigma)", SigmaEdit_},
        std::pair{"Standard deviation in years", SigmaYearsEdit_}}) {
    // Caption above value: the column beside the image is narrow.
    results->addWidget(new QLabel(QString::fromLatin1(caption), Results_), r++, 0);
    results->addWidget(edit, r++, 0);
  }
  auto* print = MakeButton("PrintButton", "Print", Results_);
  auto* save = MakeButton("SaveButton", "Save", Results_);
  auto* ok = MakeButton("OKButton", "OK", Results_);
  connect(print, &QPushButton::clicked, this, &TTime_estimate::Print1Click);
  connect(save, &QPushButton::clicked, this, &TTime_estimate::Saveas1Click);
  connect(ok, &QPushButton::clicked, this, &TTime_estimate::OKButtonClick);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {print, save, ok}) buttons->addWidget(b);
  results->addLayout(buttons, r, 0);
  panel->addWidget(Results_);

  SteinerParameters_ = new TShortestTreesBox(
      {"Steiner parameters", "SteinerParameters", "Tree", "Network", "Complete Network",
       "Previous tree", "Next tree"},
      central);
  connect(SteinerParameters_, &TShortestTreesBox::changed, this,
          &TTime_estimate::refreshButtonClick);
  panel->addWidget(SteinerParameters_);
  ZoomGroup_ = Image1_->MakeZoomGroup(central);
  panel->addWidget(ZoomGroup_);
  NavigationGroup_ = Image1_->MakeNavigationGroup(central);
  panel->addWidget(NavigationGroup_);

  panel->addStretch();
}

TDrawOptions TTime_estimate::DisplayOptions() const {
  TDrawOptions o;
  o.ShowNodeNames = NodeNames_->isChecked();
  o.ShowMedianNames = NodeNames_->isChecked();
  o.NodesProportional = NodesProportional_->isChecked();
  o.ShowOnlyTorso = OnlyTorso_->isChecked();
  o.ShowMedians = Medianvectors_->isChecked();
  o.ShowCharacters = MutatedPositions_->isChecked();
  o.MinRadius = TaxCircMinSizeSpin_->value();
  o.MaxRadius = TaxCircMaxSizeSpin_->value();
  o.MedRadius = MedCircRadSpin_->value();
  return o;
}

// ---- Opening ---------------------------------------------------------------------------------

void TTime_estimate::ResetDisplay() {
  suppressRefresh_ = true;
  MedCircRadSpin_->setValue(3);
  TaxCircMaxSizeSpin_->setValue(15);
  TaxCircMinSizeSpin_->setValue(4);
  suppressRefresh_ = false;
  for (QWidget* w : std::initializer_list<QWidget*>{StepsBox_, RateBox_, DisplayParameters_,
                                                    SteinerParameters_, ZoomGroup_,
                                                    NavigationGroup_, Results_})
    w->hide();
  selection_.Clear();
  result_ = {};
  mode_ = ClickMode::None;
  Image1_->setEnabled(false);
  Image1_->setToolTip({});
}

void TTime_estimate::Open1Click() {
  ResetDisplay();
  FileDialogRequest request;
  request.title = "Open";
  request.filter = kOpenFilter;
  request.defaultExt = "dia";
  if (const std::optional<std::string> name = dialogs().openFileName(request); name && !name->empty())
    fileName_ = *name;
  if (fileName_.empty()) return;

  if (!diagram_) diagram_ = std::make_unique<TNetwork_Diagramm>();
  Image1_->SetDiagram(diagram_.get());
  diagram_->ClearDiagram();
  // What a .dia file shows; an .fdi file brings its own options.
  TDrawOptions options;
  options.ShowOnlyTorso = false;
  const bool read = DiagramFileKind(fileName_) == TDiagramFileKind::Fdi
                        ? ReadFdiFile(*diagram_, fileName_, options)
                        : LoadDiaFile(*diagram_, fileName_);
  if (!read) {
    diagram_->ClearDiagram();
    refreshButtonClick();
    dialogs().showMessage(kReadError, DialogKind::Error);
    return;
  }
  if (diagram_->LongEdges > 0) dialogs().showMessage(LongLinksWarning(), DialogKind::Warning);
  if (diagram_->SpecialFileType) {
    dialogs().showMessage(kSpecialDiagram, DialogKind::Warning);
    close();
    return;
  }

  PresetStyles();
  suppressRefresh_ = true;
  NodeNames_->setChecked(options.ShowNodeNames);
  Medianvectors_->setChecked(options.ShowMedians);
  NodesProportional_->setChecked(options.NodesProportional);
  MutatedPositions_->setChecked(options.ShowCharacters);
  OnlyTorso_->setChecked(options.ShowOnlyTorso);
  suppressRefresh_ = false;
  DisplayParameters_->show();
  SteinerParameters_->Setup(diagram_.get());
  refreshButtonClick();
  Print1_->setEnabled(true);
  Saveas1_->setEnabled(true);
  ZoomGroup_->show();
  NavigationGroup_->show();
  Image1_->setEnabled(true);
  Image1_->setToolTip(QString::fromLatin1(kImageHint));
  ShowOnlyStepOne();
}

void TTime_estimate::PresetStyles() {
  if (diagram_) ApplyDefaultStyles(*diagram_);
}

void TTime_estimate::ShowOnlyStepOne() {
  StepsBox_->show();
  RateBox_->show();
  for (QWidget* w : std::initializer_list<QWidget*>{Step1Label_, AncestralSpecificationButton_})
    w->show();
  for (QWidget* w : std::initializer_list<QWidget*>{Step2Label_, DescendantSpecificationButton_,
                                                    Step3Label_, TimeCalculationButton_,
                                                    OptionalLabel_, ResetButton_})
    w->hide();
  for (QPushButton* b : {AncestralSpecificationButton_, DescendantSpecificationButton_,
                         TimeCalculationButton_, ResetButton_})
    b->setEnabled(true);
}

// ---- Drawing ---------------------------------------------------------------------------------

const QImage& TTime_estimate::Surface() const { return Image1_->Surface(); }

int TTime_estimate::CurrentTree() const { return SteinerParameters_->CurrentTree(); }

void TTime_estimate::refreshButtonClick() {
  if (suppressRefresh_) return;
  if (diagram_) {
    TNetwork_Diagramm& d = *diagram_;
    if (!SteinerParameters_->MarkChosen(d)) {
      for (LinkType& l : d.Links) l.Active = true;
      for (TaxonType& t : d.Taxa) t.Active = true;
      // The second of two equivalent taxa has no place of its own.
      for (const EquiTaxonType& e : d.EquivalentTaxa)
        if (const int n = d.FindNode(e.Taxon2); n >= 0) d.Taxa[n].Active = false;
    }
  }
  Image1_->Paint(diagram_.get(), DisplayOptions());
}

// ---- Choosing nodes and calculating ----------------------------------------------------------

void TTime_estimate::AncestralSpecificationButtonClick() {
  if (!selection_.Descendants().empty()) {
    dialogs().showMessage(kResetWarning, DialogKind::Warning);
    ResetButtonClick();
  }
  mode_ = ClickMode::Ancestor;
}

void TTime_estimate::DescendantSpecificationButtonClick() { mode_ = ClickMode::Descendants; }

void TTime_estimate::ClickAt(int x, int y) {
  if (!diagram_ || mode_ == ClickMode::None || !Image1_->isEnabled()) return;
  const THitResult hit =
      diagram_->HitTest(x, y, false, false, Medianvectors_->isChecked(), OnlyTorso_->isChecked());
  if (hit.Kind != THitKind::Node) return;
  const int node = hit.Index;
  TNetwork_Diagramm& d = *diagram_;
  if (mode_ == ClickMode::Ancestor) {
    if (const int previous = selection_.Ancestor(); previous >= 1 && previous <= d.NodeCount())
      d.SetTaxonPieColor(previous, 1, PlainNodeColor(d.Taxa[previous - 1]), false, false);
    selection_.SetAncestor(node);
    d.SetTaxonPieColor(node, 1, kAncestorColor, false, false);
    for (QWidget* w : std::initializer_list<QWidget*>{Step2Label_, DescendantSpecificationButton_,
                                                      OptionalLabel_, ResetButton_})
      w->show();
    mode_ = ClickMode::None;
  } else {
    switch (selection_.ToggleDescendant(node)) {
      case TTimeSelection::Toggle::Added:
        d.SetTaxonPieColor(node, 1, kDescendantColor, false, false);
        break;
      case TTimeSelection::Toggle::Removed:
        d.SetTaxonPieColor(node, 1, PlainNodeColor(d.Taxa[node - 1]), false, false);
        break;
      case TTimeSelection::Toggle::Refused:
        if (node != selection_.Ancestor()) dialogs().showMessage(kTooManyDescendants);
        return;
    }
    Step3Label_->show();
    TimeCalculationButton_->show();
  }
  refreshButtonClick();
}

void TTime_estimate::TimeCalculationButtonClick() {
  if (!diagram_) return;
  DisplayParameters_->hide();
  mode_ = ClickMode::None;
  for (QPushButton* b : {AncestralSpecificationButton_, DescendantSpecificationButton_,
                         TimeCalculationButton_, ResetButton_})
    b->setEnabled(false);
  result_ = selection_.Calculate(*diagram_);
  ShowResults();
  Results_->show();
  for (int link : selection_.PathLinks()) {
    diagram_->Links[static_cast<std::size_t>(link - 1)].LineWidth = 3;
    diagram_->Links[static_cast<std::size_t>(link - 1)].LineColor = kPathColor;
  }
  refreshButtonClick();
}

void TTime_estimate::ShowResults() {
  const int rate = MutationRateSpin_->value();
  RhoEdit_->setText(QString::fromStdString(FormatMutations(result_.Rho)));
  AgeEdit_->setText(QString::fromStdString(FormatYears(result_.Rho, rate)));
  SigmaEdit_->setText(QString::fromStdString(FormatMutations(result_.Sigma)));
  SigmaYearsEdit_->setText(QString::fromStdString(FormatYears(result_.Sigma, rate)));
}

void TTime_estimate::MutationRateSpinChange() {
  if (!Results_->isHidden()) ShowResults();
}

void TTime_estimate::OKButtonClick() {
  if (diagram_)
    for (LinkType& l : diagram_->Links) {
      l.LineColor = kLinkColor;
      l.LineWidth = 1;
    }
  Results_->hide();
  DisplayParameters_->show();
  for (QPushButton* b : {AncestralSpecificationButton_, DescendantSpecificationButton_,
                         TimeCalculationButton_, ResetButton_})
    b->setEnabled(true);
  refreshButtonClick();
  Image1_->setToolTip(QString::fromLatin1(kImageHint));
}

void TTime_estimate::ResetButtonClick() {
  PresetStyles();
  selection_.Clear();
  mode_ = ClickMode::None;
  if (diagram_) ShowOnlyStepOne();
  refreshButtonClick();
}

// ---- Snapshot, printing, help and closing ----------------------------------------------------

QImage TTime_estimate::Snapshot() {
  QWidget* client = centralWidget();
  QImage picture(client->size(), QImage::Format_RGB32);
  picture.fill(Qt::white);
  QPainter painter(&picture);
  client->render(&painter);
  return picture;
}

void TTime_estimate::Print1Click() {
  Image1_->Print([this] { return Snapshot(); }, "The print job could not be started.");
}

void TTime_estimate::Printersetup1Click() { Image1_->PrinterSetup(); }

void TTime_estimate::Saveas1Click() {
  const QImage picture = Snapshot();
  FileDialogRequest request;
  request.title = "Save";
  request.filter = kSaveFilter;
  request.fileName = "noname.bmp";
  request.defaultExt = "bmp";
  std::optional<std::string> name = dialogs().saveFileName(request);
  if (!name || name->empty()) return;
  if (HasExtension(*name, "EMF")) {
    dialogs().showMessage("This option is currently not available.");
    return;
  }
  ForceFileExtension("bmp", *name);
  std::string error;
  if (!WriteBitmap32(picture, *name, &error)) dialogs().showMessage(error, DialogKind::Error);
}

void TTime_estimate::About1Click() { dialogs().showMessage(kAboutText); }

void TTime_estimate::Weblink1Click() {
  QDesktopServices::openUrl(QUrl(QString::fromLatin1(kWeblinkAddress)));
}

void TTime_estimate::Exit1Click() { close(); }

void TTime_estimate::closeEvent(QCloseEvent* event) {
  if (diagram_) diagram_->ClearDiagram();
  Image1_->SetDiagram(nullptr);
  diagram_.reset();
  if (caller_) caller_->setEnabled(true);
  event->accept();
}
