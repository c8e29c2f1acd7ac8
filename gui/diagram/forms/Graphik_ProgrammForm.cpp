#include "Graphik_ProgrammForm.h"

#include "Dia_File.h"
#include "DiagramFormScaling.h"
#include "DiagramView.h"
#include "Dialogs.h"
#include "MenuItems.h"
#include "DlgLinkStyleForm.h"
#include "DlgMutationPropertiesForm.h"
#include "DlgSchemeColorForm.h"
#include "DlgTaxonNamePropertiesForm.h"
#include "DlgTaxonStyle_newForm.h"
#include "DrawEdgesThread.h"
#include "FdiFile.h"
#include "Graphik_PdfExport.h"
#include "Graphik_Programm.h"
#include "Graphik_StatisticsForm.h"
#include "Graphik_Taxon_infoForm.h"
#include "Graphik_WindowLogic.h"
#include "StyleDialogParts.h"
#include "UHelp.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QScrollArea>
#include <QSpinBox>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

#include <exception>

namespace {

constexpr int kImageWidth = 777;   // the drawing surface on the design screen
constexpr int kImageHeight = 553;
constexpr int kPlacementIntervalMs = 5;
constexpr int kMinimumImageWidth = 200;  // the smallest surface a window too small still gets
constexpr int kMinimumImageHeight = 150;
constexpr int kColumnSlack = 8;  // beside the scroll bar, so the column needs no horizontal one

const char* const kWrongFormatMessage = "The chosen file has the wrong format or contains no data.";
const char* const kExitQuestion = "Do you really want to exit without saving?";
const char* const kExportWarning =
    "Warning: To save your modifications it is required to save as *.dia or *.fdi format "
    "additionally.";

// A size field: changed with its arrows or by typing a value, which counts once it is confirmed
// with Enter or the field is left (not at every keystroke).
class TSizeSpin final : public QSpinBox {
public:
  TSizeSpin(const char* name, int minimum, int maximum, int value, QWidget* parent)
      : QSpinBox(parent) {
    setObjectName(QString::fromLatin1(name));
    setRange(minimum, maximum);
    setValue(value);
    setKeyboardTracking(false);
  }
};

QPushButton* MakeButton(const char* name, const QString& caption, QWidget* parent) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(QString::fromLatin1(name));
  return b;
}

QCheckBox* MakeCheck(const char* name, const char* caption, bool checked, QWidget* parent) {
  auto* c = new QCheckBox(QString::fromLatin1(caption), parent);
  c->setObjectName(QString::fromLatin1(name));
  c->setChecked(checked);
  return c;
}

TMouseButton EditButton(Qt::MouseButton button) {
  if (button == Qt::LeftButton) return TMouseButton::Left;
  if (button == Qt::RightButton) return TMouseButton::Right;
  return TMouseButton::Other;
}

}  // namespace

TGraphik_Menue::TGraphik_Menue(QWidget* parent, QSize screenSize)
    : QMainWindow(parent, Qt::Window), caller_(parent), screenSize_(screenSize) {
  setObjectName(QStringLiteral("Graphik_Menue"));
  setWindowTitle(QStringLiteral("Draw Network"));
  setAttribute(Qt::WA_DeleteOnClose);

  const ScreenScaling s = ScaleDiagramForm(*this, QSize(1016, 734), screenSize);
  // Never larger than the screen leaves room for.
  QSize available = screenSize;
  if (!available.isValid())
    if (const QScreen* screen = QGuiApplication::primaryScreen())
      available = screen->availableGeometry().size();
  if (available.isValid()) resize(size().boundedTo(available));
  buildMenus();
  buildControls(ScaledLength(kImageWidth, s), ScaledLength(kImageHeight, s));
  // The column of controls keeps its designed width (wider when its contents need it); the
  // drawing surface takes the rest of the window.
  if (auto* scroll = findChild<QScrollArea*>(QStringLiteral("ControlsScrollArea"))) {
    // Measured with the fonts and margins the style gives the controls when they are shown.
    scroll->widget()->ensurePolished();
    for (QWidget* child : scroll->widget()->findChildren<QWidget*>()) child->ensurePolished();
    controlsWidth_ = std::max(ScaledLength(1016 - kImageWidth, s),
                              scroll->widget()->sizeHint().width() +
                                  style()->pixelMetric(QStyle::PM_ScrollBarExtent) + kColumnSlack);
  }
  FitSurfaceToWindow();
  connect(Image1_, &TDiagramView::moved, this, &TGraphik_Menue::PictureMoved);
  connect(Image1_, &TDiagramView::mousePressed, this, &TGraphik_Menue::Image1MouseDown);
  connect(Image1_, &TDiagramView::mouseMoved, this, &TGraphik_Menue::Image1MouseMove);
  connect(Image1_, &TDiagramView::mouseReleased, this, &TGraphik_Menue::Image1MouseUp);
  connect(Image1_, &TDiagramView::doubleClicked, this, &TGraphik_Menue::Image1DblClick);

  placementTimer_.setObjectName(QStringLiteral("PlacementTimer"));
  placementTimer_.setInterval(kPlacementIntervalMs);
  connect(&placementTimer_, &QTimer::timeout, this, &TGraphik_Menue::PlacementTick);

  // Everything but the menu is hidden until a diagram is opened.
  for (QWidget* w : std::initializer_list<QWidget*>{
           DisplayParameters_, ZoomGroup_, NavigationGroup_, StatisticButton_, ShortestTrees_,
           HelpGroup_, StopButton_, EndCorrectionButton_, FinalizeButton_, UndoButton_,
           CmbColorScheme_, LblColorScheme_})
    w->hide();
  Image1_->setEnabled(false);
}

TGraphik_Menue::~TGraphik_Menue() { ReleaseDiagram(); }

void TGraphik_Menue::buildMenus() {
  File1_ = menuBar()->addMenu(QStringLiteral("&File"));
  File1_->setObjectName(QStringLiteral("File1"));
  File1_->menuAction()->setObjectName(QStringLiteral("File1Action"));
  const auto item = [this](QMenu* menu, const char* name, const char* caption, auto handler) {
    return AddMenuItem(this, menu, name, QString::fromLatin1(caption), handler);
  };
  Open21_ = item(File1_, "Open21", "&Open", &TGraphik_Menue::Open21Click);
  Save1_ = item(File1_, "Save1", "&Save", &TGraphik_Menue::Save1Click);
  Print1_ = item(File1_, "Print1", "&Print", &TGraphik_Menue::Print1Click);
  Printersetup1_ = item(File1_, "Printersetup1", "P&rinter setup",
                        &TGraphik_Menue::Printersetup1Click);
  Exit1_ = item(nullptr, "Exit1", "&Exit", &TGraphik_Menue::Exit1Click);
  Save1_->setEnabled(false);
  Print1_->setEnabled(false);
}

void TGraphik_Menue::buildControls(int imageWidth, int imageHeight) {
  auto* central = new QWidget(this);
  setCentralWidget(central);
  auto* row = new QHBoxLayout(central);
  row->setContentsMargins(0, 0, 0, 0);

  Image1_ = new TDiagramView(QSize(imageWidth, imageHeight), central);
  row->addWidget(Image1_, 0, Qt::AlignTop | Qt::AlignLeft);

  // The controls beside the picture scroll when the screen is too low for all of them, so the
  // window never grows past the screen and every control stays reachable.
  auto* scroll = new QScrollArea(central);
  scroll->setObjectName(QStringLiteral("ControlsScrollArea"));
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  auto* controls = new QWidget(scroll);
  controls->setObjectName(QStringLiteral("Controls"));
  scroll->setWidget(controls);
  row->addWidget(scroll, 1);
  central = controls;
  auto* panel = new QVBoxLayout(controls);

  // Display parameters: every change repaints.
  DisplayParameters_ = new QGroupBox(QStringLiteral("Display parameters"), central);
  DisplayParameters_->setObjectName(QStringLiteral("DisplayParameters"));
  auto* display = new QGridLayout(DisplayParameters_);
  NodesProportional_ = MakeCheck("NodesProportional", "Nodes proportional to frequencies", false,
                                 DisplayParameters_);
  OnlyTorso_ = MakeCheck("OnlyTorso", "Display only torso", false, DisplayParameters_);
  MutatedPositions_ =
      MakeCheck("MutatedPositions", "Display mutated positions", false, DisplayParameters_);
  NodeNames_ = MakeCheck("NodeNames", "Display node names", false, DisplayParameters_);
  Medianvectors_ = MakeCheck("Medianvectors", "Show median vectors", true, DisplayParameters_);
  MedianvectorNames_ =
      MakeCheck("MedianvectorNames", "Display median vector names", true, DisplayParameters_);
  int r = 0;
  for (QCheckBox* c : {NodesProportional_, OnlyTorso_, MutatedPositions_, NodeNames_,
                       Medianvectors_, MedianvectorNames_}) {
    display->addWidget(c, r++, 0, 1, 2);
    connect(c, &QCheckBox::toggled, this, &TGraphik_Menue::refreshButtonClick);
  }
  TaxCircMinSizeSpin_ = new TSizeSpin("TaxCircMinSizeSpin", 3, 10, 4, DisplayParameters_);
  TaxCircMaxSizeSpin_ = new TSizeSpin("TaxCircMaxSizeSpin", 10, 100, 50, DisplayParameters_);
  MedCircRadSpin_ = new TSizeSpin("MedCircRadSpin", 3, 7, 3, DisplayParameters_);
  FontSizeSpin_ = new TSizeSpin("FontSizeSpin", 0, 20, 6, DisplayParameters_);
  const std::pair<const char*, QSpinBox*> spins[] = {{"Minimum node size", TaxCircMinSizeSpin_},
                                                     {"Maximum node size", TaxCircMaxSizeSpin_},
                                                     {"Node size (pixels)", MedCircRadSpin_},
                                                     {"Font size ", FontSizeSpin_}};
  for (const auto& [caption, spin] : spins) {
    display->addWidget(new QLabel(QString::fromLatin1(caption), DisplayParameters_), r, 0);
    display->addWidget(spin, r++, 1);
    if (spin != FontSizeSpin_)
      connect(spin, &QSpinBox::valueChanged, this, &TGraphik_Menue::refreshButtonClick);
  }
  connect(FontSizeSpin_, &QSpinBox::valueChanged, this, &TGraphik_Menue::FontSizeSpinChange);
  refreshButton_ = MakeButton("refreshButton", QStringLiteral("Refresh"), DisplayParameters_);
  connect(refreshButton_, &QPushButton::clicked, this, &TGraphik_Menue::refreshButtonClick);
  display->addWidget(refreshButton_, r++, 0, 1, 2);
  panel->addWidget(DisplayParameters_);

  LblColorScheme_ = new QLabel(QStringLiteral("Color scheme"), central);
  LblColorScheme_->setObjectName(QStringLiteral("LblColorScheme"));
  CmbColorScheme_ = new QComboBox(central);
  CmbColorScheme_->setObjectName(QStringLiteral("CmbColorScheme"));
  CmbColorScheme_->addItem(QStringLiteral("None"));
  connect(CmbColorScheme_, &QComboBox::activated, this, &TGraphik_Menue::CmbColorSchemeChange);
  panel->addWidget(LblColorScheme_);
  panel->addWidget(CmbColorScheme_);

  StatisticButton_ = MakeButton("StatisticButton", QStringLiteral("Statistics"), central);
  connect(StatisticButton_, &QPushButton::clicked, this, &TGraphik_Menue::StatisticButtonClick);
  panel->addWidget(StatisticButton_);

  ZoomGroup_ = Image1_->MakeZoomGroup(central);
  panel->addWidget(ZoomGroup_);
  NavigationGroup_ = Image1_->MakeNavigationGroup(central);
  panel->addWidget(NavigationGroup_);

  ShortestTrees_ = new TShortestTreesBox(
      {"Shortest Trees", "ShortestTrees", "Tree(s)", "Network", "Original Network", "<", ">"},
      central);
  connect(ShortestTrees_, &TShortestTreesBox::changed, this, &TGraphik_Menue::refreshButtonClick);
  panel->addWidget(ShortestTrees_);

  StopButton_ = MakeButton("StopButton", QStringLiteral("Pause"), central);
  EndCorrectionButton_ = MakeButton("EndCorrectionButton", QStringLiteral("Continue"), central);
  EndCorrectionButton_->setToolTip(QStringLiteral("End correction mode"));
  FinalizeButton_ = MakeButton("FinalizeButton", QStringLiteral("Finalise"), central);
  UndoButton_ = MakeButton("UndoButton", QStringLiteral("Undo"), central);
  UndoButton_->setEnabled(false);
  connect(StopButton_, &QPushButton::clicked, this, &TGraphik_Menue::StopButtonClick);
  connect(EndCorrectionButton_, &QPushButton::clicked, this,
          &TGraphik_Menue::EndCorrectionButtonClick);
  connect(FinalizeButton_, &QPushButton::clicked, this, &TGraphik_Menue::FinalizeButtonClick);
  connect(UndoButton_, &QPushButton::clicked, this, &TGraphik_Menue::UndoButtonClick);
  for (QPushButton* b : {StopButton_, EndCorrectionButton_, FinalizeButton_, UndoButton_})
    panel->addWidget(b);

  HelpGroup_ = new QGroupBox(QStringLiteral("Help"), central);
  HelpGroup_->setObjectName(QStringLiteral("HelpGroup"));
  auto* help = new QGridLayout(HelpGroup_);
  const struct {
    const char* name;
    const char* caption;
    void (TGraphik_Menue::*handler)();
  } helpButtons[] = {
      {"HelpButton", "Help", &TGraphik_Menue::HelpButtonClick},
      {"BtnHelpMoveLink", "Move Link", &TGraphik_Menue::BtnHelpMoveLinkClick},
      {"BtnHelpMoveNode", "Move Node", &TGraphik_Menue::BtnHelpMoveNodeClick},
      {"BtnHelpNodeInfo", "Node Info", &TGraphik_Menue::BtnHelpNodeInfoClick},
      {"BtnHelpPieChart", "Pie Chart", &TGraphik_Menue::BtnHelpFormatClick},
      {"BtnHelpStyle", "Style", &TGraphik_Menue::BtnHelpFormatClick},
      {"BtnHelpColour", "Colour", &TGraphik_Menue::BtnHelpFormatClick},
  };
  int h = 0;
  for (const auto& b : helpButtons) {
    QPushButton* button = MakeButton(b.name, QString::fromLatin1(b.caption), HelpGroup_);
    connect(button, &QPushButton::clicked, this, b.handler);
    help->addWidget(button, h / 2, h % 2);
    ++h;
  }
  panel->addWidget(HelpGroup_);
  panel->addStretch();
}

void TGraphik_Menue::FitSurfaceToWindow() {
  if (layout_ || diagram_) return;  // a drawing keeps the surface it was laid out on
  const QSize room(width() - controlsWidth_, height() - menuBar()->sizeHint().height());
  Image1_->SetSurfaceSize(room.expandedTo(QSize(kMinimumImageWidth, kMinimumImageHeight)));
}

void TGraphik_Menue::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  FitSurfaceToWindow();
}

bool TGraphik_Menue::PlacementRunning() const { return placementTimer_.isActive(); }

TDrawOptions TGraphik_Menue::DisplayOptions() const {
  TDrawOptions o;
  o.ShowNodeNames = NodeNames_->isChecked();
  o.NodesProportional = NodesProportional_->isChecked();
  o.ShowOnlyTorso = OnlyTorso_->isChecked();
  o.ShowMedians = Medianvectors_->isChecked();
  o.ShowMedianNames = MedianvectorNames_->isChecked();
  o.ShowCharacters = MutatedPositions_->isChecked();
  o.MinRadius = TaxCircMinSizeSpin_->value();
  o.MaxRadius = TaxCircMaxSizeSpin_->value();
  o.MedRadius = MedCircRadSpin_->value();
  return o;
}

TDrawOptions TGraphik_Menue::FinishedOptions() const {
  TDrawOptions o = DisplayOptions();
  o.ShowNodeNames = o.NodesProportional = o.ShowCharacters = true;
  o.ShowOnlyTorso = false;
  return o;
}

void TGraphik_Menue::Initialize() {
  suppressRepaint_ = true;
  for (QWidget* w : std::initializer_list<QWidget*>{DisplayParameters_, ZoomGroup_,
                                                    NavigationGroup_, StatisticButton_,
                                                    ShortestTrees_, HelpGroup_})
    w->hide();
  for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{
           OnlyTorso_, NodesProportional_, NodeNames_, MutatedPositions_})
    b->setChecked(false);
  ShortestTrees_->Choose(TShortestTreesBox::Choice::Complete);
  MedCircRadSpin_->setValue(3);
  TaxCircMaxSizeSpin_->setValue(50);
  TaxCircMinSizeSpin_->setValue(4);
  suppressRepaint_ = false;
  // A new diagram: no selection, and an undo copy of the old nodes must never reach it.
  mouseEdit_.Reset();
  UndoButton_->setEnabled(false);
  CmbColorScheme_->hide();
  LblColorScheme_->hide();
  SchemesBuilt_ = false;
}

// ---- Opening -------------------------------------------------------------------------------

void TGraphik_Menue::Open21Click() {
  ShortestTrees_->Button(TShortestTreesBox::Choice::Complete)->setEnabled(true);
  ShortestTrees_->Choose(TShortestTreesBox::Choice::Complete);
  FileDialogRequest request;
  request.title = "Open";
  request.filter = kOpenDiagramFilter;
  request.defaultExt = "sto";
  request.filterIndex = 3;  // "Steiner (MP) output (*.sto)"
  const std::optional<std::string> name = dialogs().openFileName(request);
  if (!name) return;

  ReleaseLayout();
  ReleaseDiagram();
  FitSurfaceToWindow();
  Initialize();
  DiagramSaved_ = false;
  CurrentFileName_ = *name;
  Image1_->setEnabled(false);
  if (!diagram_) diagram_ = std::make_unique<TDrawNetwork_Diagramm>();
  Image1_->SetDiagram(diagram_.get());
  static_cast<TNetwork_Diagramm&>(*diagram_).ClearDiagram();
  diagram_->NodeDone.clear();
  diagram_->NodeDistance.clear();

  switch (DiagramFileKind(*name)) {
    case TDiagramFileKind::Out: OpenNetwork(false); break;
    case TDiagramFileKind::Sto: OpenNetwork(true); break;
    case TDiagramFileKind::Dia: OpenDia(); break;
    case TDiagramFileKind::Fdi: OpenFdi(); break;
  }
}

void TGraphik_Menue::OpenNetwork(bool sto) {
  const bool read = sto ? LoadStoFile(*diagram_, CurrentFileName_)
                        : LoadOutFile(*diagram_, CurrentFileName_);
  if (!read || diagram_->NodeCount() == 0 || diagram_->LinkCount() == 0) {
    dialogs().showMessage(kWrongFormatMessage, DialogKind::Error);
    return;
  }
  const TIntPoint centre{RoundEven(Image1_->width() / 2.0), RoundEven(Image1_->height() / 2.0)};
  diagram_->ImageCenter = centre;
  diagram_->DiagramCenter = centre;
  ApplyDefaultStyles(*diagram_);
  if (sto && !diagram_->SteinerNetwork.empty() &&
      dialogs().askYesNo(FreeStandingNetworkQuestion())) {
    ReduceToSteinerNetwork(*diagram_);
    ShortestTrees_->Choose(TShortestTreesBox::Choice::Network);
    ShortestTrees_->Button(TShortestTreesBox::Choice::Complete)->setEnabled(false);
  }
  diagram_->NumberTorsoParts();
  RunLayout();
}

void TGraphik_Menue::RunLayout() {
  File1_->menuAction()->setEnabled(false);
  Exit1_->setEnabled(false);
  layout_ = std::make_unique<TGraphik_Programm>(*diagram_, Image1_->Surface());
  layout_->OnPainted = [this] { Image1_->update(); };
  layingOut_ = true;
  const bool laidOut = layout_->zeichnung_New();
  layingOut_ = false;
  if (!laidOut) {
    layout_.reset();
    File1_->menuAction()->setEnabled(true);
    Exit1_->setEnabled(true);
    dialogs().showMessage(kWrongFormatMessage, DialogKind::Error);
    return;
  }
  UnitLength_ = layout_->UnitLength;
  placementDone_ = false;
  PlacementDriver_ = std::make_unique<TDrawEdges>(*layout_);
  Image1_->setEnabled(true);
  Image1_->setToolTip(QStringLiteral("Click on any link to rotate"));
  if (AskModifyTorso()) {
    // Correction mode: the user may move torso nodes before the rest is placed.
    ZoomGroup_->show();
    NavigationGroup_->show();
    EndCorrectionButton_->show();
    EndCorrectionButton_->setEnabled(true);
  } else {
    EndCorrectionButtonClick();
  }
}

void TGraphik_Menue::OpenDia() {
  if (LoadDiaFile(*diagram_, CurrentFileName_)) {
    diagram_->NumberTorsoParts();
    ApplyDefaultStyles(*diagram_);
    FinishDrawing();
  } else {
    dialogs().showMessage("An error occurred. Please contact Movrel for help.",
                          DialogKind::Error);
  }
  refreshButtonClick();
}

void TGraphik_Menue::OpenFdi() {
  TDrawOptions options = DisplayOptions();
  if (!ReadFdiFile(*diagram_, CurrentFileName_, options)) {
    dialogs().showMessage(
        "An error occurred while loading the diagram. Please contact Movrel for help.",
        DialogKind::Error);
    return;
  }
  if (!diagram_->ColorSchemes.empty()) {
    SchemesBuilt_ = true;
    CmbColorScheme_->clear();
    CmbColorScheme_->addItem(QStringLiteral("None"));
    int active = 0;
    for (const SchemeType& scheme : diagram_->ColorSchemes) {
      CmbColorScheme_->addItem(QString::fromStdString(scheme.SchemeName));
      if (scheme.SchemeActive) active = CmbColorScheme_->count() - 1;
    }
    CmbColorScheme_->setCurrentIndex(active);
  }
  FinishDrawing();
  suppressRepaint_ = true;
  TaxCircMinSizeSpin_->setValue(options.MinRadius);
  TaxCircMaxSizeSpin_->setValue(options.MaxRadius);
  MedCircRadSpin_->setValue(options.MedRadius);
  NodesProportional_->setChecked(options.NodesProportional);
  MutatedPositions_->setChecked(options.ShowCharacters);
  MedianvectorNames_->setChecked(options.ShowMedianNames);
  Medianvectors_->setChecked(options.ShowMedians);
  OnlyTorso_->setChecked(options.ShowOnlyTorso);
  NodeNames_->setChecked(options.ShowNodeNames);
  suppressRepaint_ = false;
  refreshButtonClick();
  // Just read from its file: nothing to save until it changes.
  DiagramSaved_ = true;
}

// ---- Placement ------------------------------------------------------------------------------

void TGraphik_Menue::EndCorrectionButtonClick() {
  if (!diagram_ || !PlacementDriver_) return;
  ZoomGroup_->hide();
  NavigationGroup_->hide();
  EndCorrectionButton_->hide();
  UndoButton_->hide();
  UndoButton_->setEnabled(false);
  StopButton_->show();
  ClearSelectedLink();
  PlacementDriver_->Start();
  placementTimer_.start();
}

void TGraphik_Menue::PlacementTick() {
  if (!PlacementDriver_) {
    placementTimer_.stop();
    return;
  }
  // A message shown inside a step runs a modal loop; the timer must not enter the step again and
  // the window must not go while the step runs.
  placementTimer_.stop();
  layingOut_ = true;
  const bool more = PlacementDriver_->Step();
  layingOut_ = false;
  if (more) {
    placementTimer_.start();
    return;
  }
  if (PlacementDriver_->DrawingDone()) {
    placementDone_ = true;
    EndCorrectionButton_->hide();
    StopButton_->hide();
    StopButtonClick();
  } else {
    // The driver stopped itself (a link naming no node): the user may correct and continue.
    ShowPausedControls();
  }
}

void TGraphik_Menue::ShowPausedControls() {
  EndCorrectionButton_->show();
  EndCorrectionButton_->setEnabled(true);
  UndoButton_->show();
  StopButton_->hide();
  ZoomGroup_->show();
  NavigationGroup_->show();
}

void TGraphik_Menue::StopButtonClick() {
  if (!PlacementDriver_) return;
  if (!PlacementDriver_->DrawingDone()) {
    placementTimer_.stop();
    PlacementDriver_->Stop();
    ShowPausedControls();
    return;
  }
  placementTimer_.stop();
  PlacementDriver_.reset();
  // Room for the circles and names of the finished drawing, all of it on the surface.
  if (layout_) {
    layout_->SpreadForDrawing(FinishedOptions());
    UnitLength_ = layout_->UnitLength;
  }
  FinalizeButton_->show();
  ZoomGroup_->show();
  NavigationGroup_->show();
  refreshButtonClick();
}

void TGraphik_Menue::FinalizeButtonClick() { FinishDrawing(); }

void TGraphik_Menue::FinishDrawing() {
  suppressRepaint_ = true;
  NodeNames_->setChecked(true);
  NodesProportional_->setChecked(true);
  MutatedPositions_->setChecked(true);
  OnlyTorso_->setChecked(false);
  suppressRepaint_ = false;
  DisplayParameters_->show();
  Print1_->setEnabled(true);
  File1_->menuAction()->setEnabled(true);
  Exit1_->setEnabled(true);
  Save1_->setEnabled(true);
  StatisticButton_->show();
  ZoomGroup_->show();
  NavigationGroup_->show();
  UndoButton_->show();
  UndoButton_->setEnabled(false);
  EndCorrectionButton_->hide();
  FinalizeButton_->hide();
  HelpGroup_->show();
  ShortestTrees_->Setup(diagram_.get());
  Image1_->setEnabled(true);
  ShowFontSize();
  refreshButtonClick();
  if (!SchemesBuilt_) BuildSchemes();
  ShowActiveScheme();
}

void TGraphik_Menue::ShowFontSize() {
  if (!diagram_) return;
  // The one height of every node and mutation label, or 0 for mixed sizes.
  int height = -1;
  const auto take = [&height](int h) {
    if (height == -1) height = h;
    else if (height != h) height = 0;
  };
  for (const TaxonType& t : diagram_->Taxa) take(t.NameHeight);
  for (const LinkType& l : diagram_->Links)
    for (const MutationType& m : l.Mutations) take(m.NameHeight);
  if (height < FontSizeSpin_->minimum() || height > FontSizeSpin_->maximum()) height = 0;
  // Showing the size applies nothing.
  const QSignalBlocker quiet(FontSizeSpin_);
  FontSizeSpin_->setValue(height);
}

void TGraphik_Menue::BuildSchemes() {
  CmbColorScheme_->clear();
  CmbColorScheme_->addItem(QStringLiteral("None"));
  if (diagram_) {
    diagram_->BuildColorSchemes();
    for (const SchemeType& scheme : diagram_->ColorSchemes)
      CmbColorScheme_->addItem(QString::fromStdString(scheme.SchemeName));
  }
  SchemesBuilt_ = true;
}

// ---- Painting, zoom, navigation, trees ------------------------------------------------------

void TGraphik_Menue::refreshButtonClick() {
  if (!diagram_ || suppressRepaint_ || layingOut_) return;
  try {
    if (!ShortestTrees_->isHidden() && !ShortestTrees_->MarkChosen(*diagram_))
      ShowOriginalNetwork(*diagram_);
    Image1_->Paint(diagram_.get(), DisplayOptions());
  } catch (const std::exception&) {
    // A failed repaint leaves the previous picture; the next one starts afresh.
  }
}

void TGraphik_Menue::FontSizeSpinChange() {
  if (!diagram_ || FontSizeSpin_->value() <= 0) return;
  const int height = FontSizeSpin_->value();
  diagram_->SetTaxonNameHeight(0, height, true, true);
  diagram_->SetAllMutationNameHeights(height);
  MarkChanged();
  refreshButtonClick();
}

void TGraphik_Menue::PictureMoved(double factor) {
  if (factor != 1.0) {
    UnitLength_ *= factor;
    if (layout_) layout_->UnitLength = UnitLength_;
  }
  refreshButtonClick();
}

const QImage& TGraphik_Menue::Surface() const { return Image1_->Surface(); }

int TGraphik_Menue::CurrentTree() const { return ShortestTrees_->CurrentTree(); }

int TGraphik_Menue::ShiftStep() const { return Image1_->ShiftStep(); }

// ---- Styles and undo ------------------------------------------------------------------------

void TGraphik_Menue::ClearSelectedLink() {
  if (diagram_) mouseEdit_.Deselect(*diagram_);
}

void TGraphik_Menue::SaveUndoInformation() {
  if (!diagram_) return;
  mouseEdit_.SaveUndoInformation(*diagram_);
  UndoButton_->setEnabled(true);
}

void TGraphik_Menue::MarkChanged() { DiagramSaved_ = false; }

void TGraphik_Menue::UndoButtonClick() {
  if (!diagram_) return;
  mouseEdit_.Undo(*diagram_);
  MarkChanged();
  UndoButton_->setEnabled(false);
  ShowActiveScheme();
  refreshButtonClick();
}

void TGraphik_Menue::ShowActiveScheme() {
  int active = 0;
  if (diagram_)
    for (std::size_t i = 0; i < diagram_->ColorSchemes.size(); ++i)
      if (diagram_->ColorSchemes[i].SchemeActive) active = static_cast<int>(i) + 1;
  if (active < CmbColorScheme_->count()) CmbColorScheme_->setCurrentIndex(active);
  const bool schemes = CmbColorScheme_->count() > 1;
  CmbColorScheme_->setVisible(schemes);
  LblColorScheme_->setVisible(schemes);
}

void TGraphik_Menue::CmbColorSchemeChange() {
  if (!diagram_) return;
  if (CmbColorScheme_->currentIndex() <= 0) {
    for (SchemeType& scheme : diagram_->ColorSchemes) scheme.SchemeActive = false;
    MarkChanged();
    SaveUndoInformation();
    refreshButtonClick();
    return;
  }
  ChooseColorScheme(CmbColorScheme_->currentText().toStdString());
  // A cancelled choice shows the scheme still in force.
  ShowActiveScheme();
}

void TGraphik_Menue::ChooseColorScheme(const std::string& name) {
  for (std::size_t i = 0; diagram_ && i < diagram_->ColorSchemes.size(); ++i) {
    const SchemeType& scheme = diagram_->ColorSchemes[i];
    if (scheme.SchemeName != name || scheme.SchemeLabels.empty()) continue;
    TSchemeColorsDlg dialog(this);
    dialog.SetEditedSchemeColours(scheme.SchemeColors);
    dialog.SetEditedSchemeLabels(scheme.SchemeLabels);
    if (dialogs().runModal(dialog) != kModalOk || !diagram_) continue;
    SaveUndoInformation();
    ActivateScheme(*diagram_, static_cast<int>(i) + 1, dialog.EditedSchemeColours());
    MarkChanged();
    refreshButtonClick();
  }
}

// ---- Mouse editing --------------------------------------------------------------------------

void TGraphik_Menue::Image1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x,
                                     int y) {
  if (!diagram_) return;
  const TMouseDownResult result = mouseEdit_.MouseDown(*diagram_, EditButton(button), x, y,
                                                       DisplayOptions(), TaxonInfoOpen());
  if (result.LinkSelected && !Image1_->toolTip().isEmpty())
    Image1_->setToolTip(QStringLiteral("Now click on attached node and drag"));
  if (result.Repaint) refreshButtonClick();
  const THitResult hit = mouseEdit_.Hit();
  switch (result.Style) {
    case TStyleRequest::LinkStyle: EditLinkStyle(hit.Index); break;
    case TStyleRequest::MutationStyle: EditMutationStyle(hit.Index, hit.Mutation); break;
    case TStyleRequest::TaxonStyle: EditTaxonStyle(hit.Index); break;
    case TStyleRequest::TaxonNameStyle: EditTaxonNameStyle(hit.Index); break;
    case TStyleRequest::None: break;
  }
}

void TGraphik_Menue::Image1MouseMove(Qt::KeyboardModifiers, int x, int y) {
  if (!diagram_) return;
  const TMouseMoveResult result = mouseEdit_.MouseMove(*diagram_, x, y);
  if (result.Rotating) Image1_->setToolTip(QString());
  if (result.UndoSaved) {
    UndoButton_->show();
    UndoButton_->setEnabled(true);
  }
  if (result.Repaint) {
    MarkChanged();  // a node moved or a side turned
    refreshButtonClick();
  }
}

void TGraphik_Menue::Image1MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
  if (diagram_) mouseEdit_.MouseUp();
}

void TGraphik_Menue::Image1DblClick() {
  if (!diagram_) return;
  bool repaint = false;
  const int node = mouseEdit_.DoubleClick(*diagram_, repaint);
  if (repaint) refreshButtonClick();
  if (node == 0) return;
  const TaxonType& t = diagram_->Taxa[node - 1];
  // Beside the node as drawn on the surface.
  const QPoint at(RoundEven(diagram_->ImageCenter.X + t.X - diagram_->DiagramCenter.X + 5),
                  RoundEven(diagram_->ImageCenter.Y + t.Y - diagram_->DiagramCenter.Y + 15));
  TaxonInfoWindow()->ShowTaxon(*diagram_, node, Image1_->mapToGlobal(at), this);
}

TTax_info* TGraphik_Menue::TaxonInfoWindow() {
  if (Tax_info != nullptr) return Tax_info;
  ownTaxonInfo_ = std::make_unique<TTax_info>(screenSize_);
  return ownTaxonInfo_.get();
}

bool TGraphik_Menue::TaxonInfoOpen() const {
  return Tax_info != nullptr && Tax_info->isVisible() && !Tax_info->isMinimized();
}

void TGraphik_Menue::EditLinkStyle(int link) {
  if (link < 1 || link > diagram_->LinkCount()) return;
  TLinkStyleDlg dialog(linkStyle_, this);
  LoadLinkStyle(linkStyle_, diagram_->Links[link - 1]);
  if (dialogs().runModal(dialog) != kModalOk || !diagram_) return;
  ApplyLinkStyle(*diagram_, link, linkStyle_);
  MarkChanged();
  refreshButtonClick();
}

void TGraphik_Menue::EditMutationStyle(int link, int mutation) {
  if (link < 1 || link > diagram_->LinkCount() || mutation < 1 ||
      mutation > diagram_->Links[link - 1].MutationCount())
    return;
  const MutationType& m = diagram_->Links[link - 1].Mutations[mutation - 1];
  TMutationPropertiesDlg dialog(mutationStyle_, this);
  LoadTextStyle(mutationStyle_, m.NameHeight, m.NameStyle, m.NameColor);
  if (dialogs().runModal(dialog) != kModalOk || !diagram_) return;
  ApplyMutationStyle(*diagram_, link, mutation, mutationStyle_);
  MarkChanged();
  MarkMixedFontSizes(mutationStyle_.Size());
  refreshButtonClick();
}

void TGraphik_Menue::EditTaxonStyle(int node) {
  if (node < 1 || node > diagram_->NodeCount()) return;
  TTaxonStyleDlg_new dialog(taxonStyle_, this);
  LoadTaxonStyle(taxonStyle_, diagram_->Taxa[node - 1]);
  if (dialogs().runModal(dialog) != kModalOk || !diagram_) return;
  ApplyTaxonStyle(*diagram_, node, taxonStyle_);
  MarkChanged();
  ShowActiveScheme();
  refreshButtonClick();
}

void TGraphik_Menue::EditTaxonNameStyle(int node) {
  if (node < 1 || node > diagram_->NodeCount()) return;
  const TaxonType& t = diagram_->Taxa[node - 1];
  TTaxonNamePropertiesDlg dialog(taxonNameStyle_, this);
  LoadTextStyle(taxonNameStyle_, t.NameHeight, t.NameStyle, t.NameColor);
  if (dialogs().runModal(dialog) != kModalOk || !diagram_) return;
  ApplyTaxonNameStyle(*diagram_, node, taxonNameStyle_);
  MarkChanged();
  MarkMixedFontSizes(taxonNameStyle_.Size());
  refreshButtonClick();
}

void TGraphik_Menue::MarkMixedFontSizes(int size) {
  if (size != FontSizeSpin_->value()) FontSizeSpin_->setValue(0);
}

// ---- Statistics and help ---------------------------------------------------------------------

void TGraphik_Menue::StatisticButtonClick() {
  TGraph_Stat* statistics = Graph_Stat;
  if (statistics == nullptr) {
    ownStatistics_ = std::make_unique<TGraph_Stat>(screenSize_);
    statistics = ownStatistics_.get();
  }
  statistics->ShowStatistics(diagram_.get(), this);
}

void TGraphik_Menue::HelpButtonClick() {
  dialogs().showMessage(
      std::string("If the network is clean (treelike, and without large cubes), rerun the RM- or "
                  "MJ-calculation with higher settings for r (3, 4,...) or for epsilon (10, 20, "
                  "...) to explore the extent of homoplasy. ") +
      "\r\r" +
      "On the other hand if even at low settings of r (<=2) or epsilon (=0) the network contains "
      "high-dimensional cubes (in RM or MJ networks), or cycles larger than a square (only in MJ "
      "networks), then something is amiss (recurrent mutations, sequence errors, or "
      "recombination). " +
      "\r" + "Remedies: " + "\r" +
      "1. Activate the Shortest Trees Network by ticking the box below. If you have not used the "
      "MP Algorithm in the network calculation, then apply the MP algorithm to your out-file and "
      "redraw the simplified network." +
      "\r" +
      "2. If the MP network is still problematic, press the Statistics button to identify "
      "potentially rapidly mutating characters, and then downweight them in a new network "
      "calculation. Weights often are most effective when chosen conservatively, e.g. a known "
      "tenfold higher mutation rate for a nucleotide position could be translated into a twofold "
      "or threefold lower weight setting in the network calculation." +
      "\r" +
      "3. If the network is still problematic, activate the frequency>1 option in the "
      "Calculation menu; this option will eliminate data errors by selecting all sequences "
      "confirmed at least twice.");
}

void TGraphik_Menue::BtnHelpMoveLinkClick() {
  dialogs().showMessage(
      "To rotate a link, click on the link with LEFT mouse button, then drag and drop an attached "
      "node. If mouse click fails, apply ZOOM and click again.");
}

void TGraphik_Menue::BtnHelpMoveNodeClick() {
  dialogs().showMessage(
      "To move a node, click on the node with the LEFT mouse button and drag and drop it. If "
      "mouse click fails, apply ZOOM and click again.");
}

void TGraphik_Menue::BtnHelpNodeInfoClick() {
  dialogs().showMessage(
      "To obtain taxon information, DOUBLE CLICK on node. If mouse click fails, apply ZOOM and "
      "click again.");
}

void TGraphik_Menue::BtnHelpFormatClick() {
  dialogs().showMessage(
      std::string("To format objects (e.g. to colour branches, change branch thicknesses, font "
                  "style or create piechart nodes), click on the object with RIGHT mouse button. "
                  "If mouse click fails, apply ZOOM and click again.") +
      "\r\r" +
      "NOTE: To auto-colour nodes and pies according to previously entered taxon information "
      "(e.g. Geography, Phenotype), import the *.out file or *.sto file into the separate "
      "publication add-on program for networks.");
}

// ---- Saving, export and printing ------------------------------------------------------------

QImage TGraphik_Menue::GetScreenShot() const {
  return Image1_->Surface().convertToFormat(QImage::Format_RGB32);
}

void TGraphik_Menue::Save1Click() {
  if (!diagram_) return;
  FileDialogRequest request;
  request.title = "Save";
  request.filter = kSaveDiagramFilter;
  request.fileName = ProposedFdiName(CurrentFileName_);
  request.defaultExt = "fdi";
  std::optional<std::string> name = dialogs().saveFileName(request);
  if (!name || name->empty()) return;
  ClearSelectedLink();
  refreshButtonClick();

  std::string error;
  switch (ExportKind(*name)) {
    case TExportKind::Fdi:
      ForceFileExtension("fdi", *name);
      // Only a written file counts as saved: a failed write keeps the exit question.
      if (WriteFdiFile(*diagram_, *name, DisplayOptions(), &error)) DiagramSaved_ = true;
      else dialogs().showMessage(error, DialogKind::Error);
      break;
    case TExportKind::Bmp:
      // Right after an .fdi save there is nothing more to save.
      if (!DiagramSaved_) dialogs().showMessage(kExportWarning, DialogKind::Warning);
      ForceFileExtension("bmp", *name);
      if (!WriteBitmap32(GetScreenShot(), *name, &error))
        dialogs().showMessage(error, DialogKind::Error);
      break;
    case TExportKind::Pdf:
      if (!DiagramSaved_) dialogs().showMessage(kExportWarning, DialogKind::Warning);
      ForceFileExtension("pdf", *name);
      if (!SaveDiagramToPdf(*diagram_, DisplayOptions(), *name, &error))
        dialogs().showMessage(error, DialogKind::Error);
      break;
  }
}

void TGraphik_Menue::Print1Click() {
  Image1_->Print([this] { return GetScreenShot(); },
                 "Unknown error: the print job could not be started.");
}

void TGraphik_Menue::Printersetup1Click() { Image1_->PrinterSetup(); }

// ---- Reset and close ------------------------------------------------------------------------

void TGraphik_Menue::ReleaseLayout() {
  placementTimer_.stop();
  PlacementDriver_.reset();
  layout_.reset();
}

void TGraphik_Menue::ReleaseDiagram() {
  ReleaseLayout();
  if (Graph_Stat) Graph_Stat->ForgetDiagram(diagram_.get());
  Image1_->SetDiagram(nullptr);
  diagram_.reset();
}

bool TGraphik_Menue::ruecksetzen() {
  if (layingOut_) return false;
  // Only a diagram with something unsaved needs the question.
  if (diagram_ && !DiagramSaved_) {
    const DialogAnswer answer = dialogs().ask(kExitQuestion, DialogButtons::YesNo);
    if (answer == DialogAnswer::No) Save1Click();
    if (!DiagramSaved_ && answer != DialogAnswer::Yes) return false;
  }
  Image1_->setEnabled(false);
  ReleaseDiagram();
  if (caller_) caller_->setEnabled(true);
  return true;
}

void TGraphik_Menue::Exit1Click() {
  if (!ruecksetzen()) return;
  released_ = true;
  close();
}

void TGraphik_Menue::closeEvent(QCloseEvent* event) {
  if (released_ || ruecksetzen()) {
    released_ = true;
    event->accept();
  } else {
    event->ignore();
  }
}
