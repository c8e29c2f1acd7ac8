#include "OberflaecheForm.h"

#include "Dialogs.h"
#include "FormScaling.h"
#include "Graphik_StatisticsForm.h"
#include "Graphik_Taxon_infoForm.h"
#include "JpegImage.h"
#include "MPCalculation.h"
#include "MPPanel.h"
#include "Oberflaeche.h"
#include "TarvaneConsts.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QTextEdit>
#include <QUrl>
#include <QVBoxLayout>

#include <initializer_list>
#include <string_view>

// The resources live in a static library: register them before the first use.
static void initTarvaneResources() { Q_INIT_RESOURCE(tarvane_resources); }

namespace {

// Design sizes on the 1024 x 768 screen.
constexpr int DesignClientWidth = 1016;
constexpr int DesignClientHeight = 690;
constexpr int ContactBoxWidth = 360;
constexpr int MemoWidth = 440;
constexpr int MemoHeight = 56;

bool isOneOf(const std::string& word, std::initializer_list<std::string_view> words) {
  for (std::string_view w : words)
    if (word == w) return true;
  return false;
}

}  // namespace

QImage LoadTitlePicture(std::string& error) {
  initTarvaneResources();
  QFile file(QStringLiteral(":/tarvane/Titelbild.jpg"));
  if (!file.open(QIODevice::ReadOnly)) {
    error = "The title picture is missing from the program's resources";
    return {};
  }
  const QByteArray bytes = file.readAll();
  return DecodeJpeg(reinterpret_cast<const unsigned char*>(bytes.constData()),
                    static_cast<std::size_t>(bytes.size()), error);
}

TUser_Menue::TUser_Menue(QSize screenSize, QWidget* parent)
    : QMainWindow(parent),
      scaling_(ComputeScreenScaling(ScreenSizeOr(screenSize).width(),
                                    ScreenSizeOr(screenSize).height())) {
  setObjectName(QStringLiteral("User_Menue"));
  setWindowTitle(QString::fromLatin1(tarvane::MainCaption));

  LastKeepAlive = CurrentDateTime();
  SetKeepAlivePump([] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
  ChartWidth = scaling_.chartWidth;
  ChartHeight = scaling_.chartHeight;
  ScaleForm(*this, DesignClientWidth, DesignClientHeight, scaling_);

  buildMenus();
  buildPanels();
  TarvaneTitelLabel_->setText(QString::fromLatin1(tarvane::ProgramVersion) + QLatin1Char(' ') +
                              TarvaneTitelLabel_->text());
}

TUser_Menue::~TUser_Menue() = default;

QAction* TUser_Menue::addItem(QMenu* menu, const char* name, const char* caption,
                              const QKeySequence& key, void (TUser_Menue::*handler)()) {
  QAction* action = menu->addAction(QString::fromLatin1(caption));
  action->setObjectName(QLatin1String(name));
  action->setShortcut(key);
  connect(action, &QAction::triggered, this, handler);
  return action;
}

void TUser_Menue::buildMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("Hauptmenue"));
  auto menu = [](QWidget* owner, const char* name, const char* title) {
    auto* m = new QMenu(QString::fromLatin1(title), owner);
    m->setObjectName(QLatin1String(name));
    return m;
  };
  auto topAction = [this, bar](const char* name, const char* caption,
                               void (TUser_Menue::*handler)()) {
    QAction* a = bar->addAction(QString::fromLatin1(caption));
    a->setObjectName(QLatin1String(name));
    connect(a, &QAction::triggered, this, handler);
    return a;
  };

  QMenu* dataEntry = menu(bar, "DataEntry1", "D&ata Entry");
  bar->addMenu(dataEntry);
  QAction* newItem = dataEntry->addAction(QStringLiteral("Ma&nual"));
  newItem->setObjectName(QStringLiteral("New1"));
  newItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  connect(newItem, &QAction::triggered, this, [this] { Create1Click(false); });
  QAction* modifyItem = dataEntry->addAction(QStringLiteral("&Import rdf file"));
  modifyItem->setObjectName(QStringLiteral("Modify1"));
  modifyItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
  connect(modifyItem, &QAction::triggered, this, [this] { Create1Click(true); });
  addItem(dataEntry, "ImportFastafile1", "Import &Fasta file", QKeySequence(Qt::CTRL | Qt::Key_F),
          &TUser_Menue::ImportFastafile1Click);
  addItem(dataEntry, "ImportNexusfile1", "Import Ne&xus file", QKeySequence(Qt::CTRL | Qt::Key_X),
          &TUser_Menue::ImportNexusfile1Click);
  addItem(dataEntry, "ImportPhylipfile1", "Import &Phylip file",
          QKeySequence(Qt::CTRL | Qt::Key_P), &TUser_Menue::ImportPhylipfile1Click);

  QMenu* calculate = menu(bar, "Calculatenetwork1", "&Calculate Network");
  bar->addMenu(calculate);
  QMenu* pre = menu(calculate, "OptionalPreProcessing1", "&Optional Pre-Processing");
  calculate->addMenu(pre);
  addItem(pre, "StarContraction1", "&Star Contraction", QKeySequence(Qt::CTRL | Qt::Key_S),
          &TUser_Menue::StarContraction1Click);
  calculate->addSeparator()->setEnabled(false);
  QMenu* networks = menu(calculate, "NetworkCalculations1", "&Network Calculations");
  calculate->addMenu(networks);
  addItem(networks, "ReducedMedian1", "&Reduced Median", QKeySequence(Qt::CTRL | Qt::Key_R),
          &TUser_Menue::ReducedMedian1Click);
  addItem(networks, "MedianJoining1", "Median &Joining", QKeySequence(Qt::CTRL | Qt::Key_J),
          &TUser_Menue::MedianJoining1Click);
  calculate->addSeparator()->setEnabled(false);
  QMenu* post = menu(calculate, "OptionalPostProcessing1", "O&ptional Post-Processing");
  calculate->addMenu(post);
  addItem(post, "MPCalculation", "MP &Calculation", QKeySequence(Qt::CTRL | Qt::Key_C),
          &TUser_Menue::MPCalculationClick);

  topAction("Drawnetwork1", "&Draw network", &TUser_Menue::Drawnetwork1Click);
  topAction("Timeestimates1", "&Time estimates", &TUser_Menue::Timeestimates1Click);

  QMenu* tools = menu(bar, "Tools1", "&Tools");
  bar->addMenu(tools);
  // Ctrl+F belongs to "Import Fasta file": a shortcut held by two items fires neither.
  addItem(tools, "ForwardSimulation1", "For&ward Simulation", QKeySequence(),
          &TUser_Menue::ForwardSimulation1Click);
  addItem(tools, "MismatchDistribution1", "&Mismatch Distribution",
          QKeySequence(Qt::CTRL | Qt::Key_M), &TUser_Menue::MismatchDistribution1Click);

  QMenu* about = menu(bar, "About1", "&About");
  bar->addMenu(about);
  addItem(about, "Version1", "&Version", QKeySequence(Qt::CTRL | Qt::Key_V),
          &TUser_Menue::Version1Click);
  addItem(about, "Contact1", "Con&tact", QKeySequence(Qt::CTRL | Qt::Key_T),
          &TUser_Menue::Contact1Click);

  // Alt+E comes from the caption's mnemonic in the menu bar.
  topAction("Exit1", "&Exit", &TUser_Menue::Exit1Click);
}

void TUser_Menue::buildPanels() {
  auto* central = new QWidget(this);
  central->setObjectName(QStringLiteral("MainPanel"));
  auto* grid = new QGridLayout(central);
  grid->setContentsMargins(0, 0, 0, 0);
  setCentralWidget(central);

  // The title panel: the picture stretched over the whole panel, the title above it, the
  // welcome text below.
  Titelbild_ = new QFrame(central);
  Titelbild_->setObjectName(QStringLiteral("Titelbild"));
  Titelbild_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  auto* titleGrid = new QGridLayout(Titelbild_);
  TitlePicture_ = new QLabel(Titelbild_);
  TitlePicture_->setObjectName(QStringLiteral("TitlePicture"));
  TitlePicture_->setScaledContents(true);
  TitlePicture_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  std::string error;
  const QImage picture = LoadTitlePicture(error);
  if (!picture.isNull()) TitlePicture_->setPixmap(QPixmap::fromImage(picture));
  titleGrid->addWidget(TitlePicture_, 0, 0, 3, 1);

  TarvaneTitelLabel_ = new QLabel(QString::fromLatin1(tarvane::ApplicationTitle), Titelbild_);
  TarvaneTitelLabel_->setObjectName(QStringLiteral("TarvaneTitelLabel"));
  QFont titleFont = font();
  titleFont.setBold(true);
  titleFont.setPixelSize(ScaledLength(48, scaling_));
  TarvaneTitelLabel_->setFont(titleFont);
  TarvaneTitelLabel_->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
  titleGrid->addWidget(TarvaneTitelLabel_, 0, 0, Qt::AlignHCenter | Qt::AlignTop);

  WelcomeMemo_ = new QTextEdit(Titelbild_);
  WelcomeMemo_->setObjectName(QStringLiteral("WelcomeMemo"));
  WelcomeMemo_->setReadOnly(true);
  WelcomeMemo_->setFocusPolicy(Qt::NoFocus);
  WelcomeMemo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  WelcomeMemo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  WelcomeMemo_->setPlainText(QString::fromLatin1(tarvane::WelcomeText));
  WelcomeMemo_->selectAll();
  WelcomeMemo_->setAlignment(Qt::AlignHCenter);
  WelcomeMemo_->moveCursor(QTextCursor::Start);
  WelcomeMemo_->setFixedSize(ScaledLength(MemoWidth, scaling_), ScaledLength(MemoHeight, scaling_));
  titleGrid->addWidget(WelcomeMemo_, 2, 0, Qt::AlignHCenter | Qt::AlignBottom);
  grid->addWidget(Titelbild_, 0, 0);

  ContactBox_ = new QGroupBox(QStringLiteral("Contact"), central);
  ContactBox_->setObjectName(QStringLiteral("ContactBox"));
  ContactBox_->setFixedWidth(ScaledLength(ContactBoxWidth, scaling_));
  auto* contact = new QVBoxLayout(ContactBox_);
  auto button = [this, contact](const char* name, const char* caption,
                                void (TUser_Menue::*handler)()) {
    auto* b = new QPushButton(QString::fromLatin1(caption), ContactBox_);
    b->setObjectName(QLatin1String(name));
    connect(b, &QPushButton::clicked, this, handler);
    contact->addWidget(b);
  };
  button("WebButton", "Tarvane web page", &TUser_Menue::WebButtonClick);
  button("EMailButton", "E-Mail", &TUser_Menue::EMailButtonClick);
  button("DownloadButton", "Download newest Tarvane version", &TUser_Menue::DownloadButtonClick);
  button("ExitContactBoxButton", "Exit", &TUser_Menue::ExitContactBoxButtonClick);
  ContactBox_->hide();
  grid->addWidget(ContactBox_, 0, 0, Qt::AlignCenter);

  MPGroupBox_ = new QGroupBox(QStringLiteral("MP calculation options"), central);
  MPGroupBox_->setObjectName(QStringLiteral("MPGroupBox"));
  MPPanel_ = new TMPPanel(MPGroupBox_);
  MPGroupBox_->hide();
  grid->addWidget(MPGroupBox_, 0, 0, Qt::AlignCenter);
}

void TUser_Menue::setToolWindowFactory(ToolWindow which, WindowFactory factory) {
  factories_[static_cast<std::size_t>(which)] = std::move(factory);
}

void TUser_Menue::setDataEntry(DataTypeDialog dialog, EditorFactory rdfEditor,
                               EditorFactory strEditor) {
  dataTypeDialog_ = std::move(dialog);
  rdfEditor_ = std::move(rdfEditor);
  strEditor_ = std::move(strEditor);
}

void TUser_Menue::hideStartPanels() {
  ContactBox_->hide();
  Titelbild_->hide();
}

void TUser_Menue::openToolWindow(QWidget* window, Qt::WindowState state, TitleButtons buttons) {
  hideStartPanels();
  setEnabled(false);
  window->setAttribute(Qt::WA_DeleteOnClose);
  // Closing the main window ends the run, whatever tool window is still open.
  window->setAttribute(Qt::WA_QuitOnClose, false);
  connect(window, &QObject::destroyed, this, [this] { setEnabled(true); });
  if (buttons != TitleButtons::All) {
    window->setWindowFlag(Qt::CustomizeWindowHint);
    window->setWindowFlag(Qt::WindowTitleHint);
    window->setWindowFlag(Qt::WindowSystemMenuHint);
    window->setWindowFlag(Qt::WindowCloseButtonHint);
    window->setWindowFlag(Qt::WindowMaximizeButtonHint,
                          buttons != TitleButtons::NoMinimiseMaximise);
    window->setWindowFlag(Qt::WindowMinimizeButtonHint, false);
  }
  window->move(0, 40);
  window->setWindowState(state);
  window->show();
}

void TUser_Menue::openFromFactory(ToolWindow which, Qt::WindowState state, TitleButtons buttons) {
  hideStartPanels();
  const WindowFactory& factory = factories_[static_cast<std::size_t>(which)];
  if (!factory) return;
  if (QWidget* window = factory()) openToolWindow(window, state, buttons);
}

void TUser_Menue::Create1Click(bool modify) {
  hideStartPanels();
  if (!dataTypeDialog_) return;
  const std::optional<DataTypeChoice> choice = dataTypeDialog_(this, modify);
  if (!choice) return;
  EditorCreateMode = choice->createMode;
  EditorDataType = choice->dataType;

  const EditorFactory* editor = nullptr;
  if (isOneOf(choice->dataType, {"amino", "multistate", "binary", "rflp"})) {
    editor = &rdfEditor_;
  } else if (isOneOf(choice->dataType, {"ychrom", "autosomal", "mixed"})) {
    if (choice->dataType != "ychrom") dialogs().showMessage(tarvane::AutosomalMessage);
    editor = &strEditor_;
  }
  if (editor == nullptr || !*editor) return;
  if (QWidget* window = (*editor)(choice->dataType))
    openToolWindow(window, Qt::WindowMaximized, TitleButtons::NoMinimiseMaximise);
}

void TUser_Menue::ImportFastafile1Click() { dialogs().showMessage(tarvane::FastaMessage); }
void TUser_Menue::ImportNexusfile1Click() { dialogs().showMessage(tarvane::NexusMessage); }
void TUser_Menue::ImportPhylipfile1Click() { dialogs().showMessage(tarvane::PhylipMessage); }

void TUser_Menue::StarContraction1Click() {
  openFromFactory(ToolWindow::StarContraction, Qt::WindowNoState, TitleButtons::NoMinimise);
}
void TUser_Menue::ReducedMedian1Click() {
  openFromFactory(ToolWindow::ReducedMedian, Qt::WindowNoState, TitleButtons::NoMinimise);
}
void TUser_Menue::MedianJoining1Click() {
  openFromFactory(ToolWindow::MedianJoining, Qt::WindowNoState, TitleButtons::NoMinimise);
}
void TUser_Menue::Drawnetwork1Click() {
  openFromFactory(ToolWindow::DrawNetwork, Qt::WindowMaximized, TitleButtons::NoMinimise);
}
void TUser_Menue::Timeestimates1Click() {
  openFromFactory(ToolWindow::TimeEstimates, Qt::WindowMaximized, TitleButtons::NoMinimise);
}
void TUser_Menue::ForwardSimulation1Click() {
  openFromFactory(ToolWindow::ForwardSimulation, Qt::WindowMaximized, TitleButtons::All);
}
void TUser_Menue::MismatchDistribution1Click() {
  openFromFactory(ToolWindow::MismatchDistribution, Qt::WindowMaximized, TitleButtons::NoMinimise);
}

// The panel is no window of its own: the main window stays enabled while it is shown.
void TUser_Menue::MPCalculationClick() {
  hideStartPanels();
  MPGroupBox_->show();
}

void TUser_Menue::Version1Click() {
  hideStartPanels();
  dialogs().showMessage(tarvane::VersionMessage);
}

void TUser_Menue::Contact1Click() {
  Titelbild_->hide();
  ContactBox_->show();
}

void TUser_Menue::Exit1Click() {
  hideStartPanels();
  close();
}

void TUser_Menue::WebButtonClick() { QDesktopServices::openUrl(QUrl(tarvane::WebPageUrl)); }
void TUser_Menue::EMailButtonClick() { QDesktopServices::openUrl(QUrl(tarvane::MailUrl)); }
void TUser_Menue::DownloadButtonClick() { QDesktopServices::openUrl(QUrl(tarvane::DownloadUrl)); }
void TUser_Menue::ExitContactBoxButtonClick() { ContactBox_->hide(); }

void TUser_Menue::closeEvent(QCloseEvent* event) {
  // Closing while the solver runs would leave it working on files nobody watches.
  mp::MPCalculation& calculation = MPPanel_->calculation();
  if (calculation.running()) {
    if (!dialogs().askYesNo(mp::kStillRunning, DialogKind::Warning)) {
      event->ignore();
      return;
    }
    calculation.stop();
  }
  event->accept();
  emit closed();
}

StartupWindows::StartupWindows() = default;
StartupWindows::StartupWindows(StartupWindows&&) noexcept = default;
StartupWindows& StartupWindows::operator=(StartupWindows&&) noexcept = default;
StartupWindows::~StartupWindows() = default;

StartupWindows StartTarvane(QSize screenSize) {
  QCoreApplication::setApplicationName(QString::fromLatin1(tarvane::ApplicationTitle));
  StartupWindows w;
  w.main = std::make_unique<TUser_Menue>(screenSize);
  w.main->move(0, 0);
  w.main->showMaximized();

  // These two live from start-up on, minimised, for the drawing window; they must not keep the
  // run alive once the main window is closed.
  w.statistics = std::make_unique<TGraph_Stat>(screenSize);
  w.statistics->setAttribute(Qt::WA_QuitOnClose, false);
  w.statistics->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                               Qt::WindowCloseButtonHint);
  w.statistics->move(0, 40);
  w.statistics->showMinimized();

  w.taxonInfo = std::make_unique<TTax_info>(screenSize);
  w.taxonInfo->setAttribute(Qt::WA_QuitOnClose, false);
  w.taxonInfo->showMinimized();
  return w;
}
