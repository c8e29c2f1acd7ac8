// The main window driven offscreen: captions, the menu table, messages, the contact box, data
// entry, tool windows and the start-up windows.
#include "Graphik_StatisticsForm.h"
#include "Graphik_Taxon_infoForm.h"
#include "Oberflaeche.h"
#include "OberflaecheForm.h"
#include "ScriptedDialogs.h"
#include "TarvaneConsts.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr QSize DesignScreen(1024, 768);

QAction* action(const QWidget& w, const char* name) {
  return w.findChild<QAction*>(QLatin1String(name));
}

// Deletes windows closed with WA_DeleteOnClose.
void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

class MainWindowTest : public ::testing::Test {
protected:
  void SetUp() override { window = std::make_unique<TUser_Menue>(DesignScreen); }
  QWidget* titlePanel() const { return window->findChild<QWidget*>("Titelbild"); }
  QGroupBox* contactBox() const { return window->findChild<QGroupBox*>("ContactBox"); }
  void showAndActivate() {
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }
  ScriptedDialogsScope scripted;
  std::unique_ptr<TUser_Menue> window;
};

TEST_F(MainWindowTest, CaptionTitleAndStartPanels) {
  window->show();
  EXPECT_EQ(window->windowTitle(), "Tarvane 4.6");
  auto* title = window->findChild<QLabel*>("TarvaneTitelLabel");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->text(), "4.6.1.6 TARVANE");
  auto* memo = window->findChild<QTextEdit*>("WelcomeMemo");
  ASSERT_NE(memo, nullptr);
  EXPECT_EQ(memo->toPlainText(),
            "Welcome. Proceed to Data Entry, and\nselect 'Manual' to create a quick test file.");
  EXPECT_TRUE(titlePanel()->isVisible());
  auto* picture = window->findChild<QLabel*>("TitlePicture");
  ASSERT_NE(picture, nullptr);
  EXPECT_FALSE(picture->pixmap().isNull());
  EXPECT_FALSE(contactBox()->isVisible());
  auto* mp = window->mpGroupBox();
  ASSERT_NE(mp, nullptr);
  EXPECT_EQ(mp->objectName(), "MPGroupBox");
  EXPECT_EQ(mp->title(), "MP calculation options");
  EXPECT_FALSE(mp->isVisible());
  EXPECT_EQ(window->menuBar()->objectName(), "Hauptmenue");
}

// Every entry of the menu bar: the menu (or bar) holding it, its name, caption and shortcut.
struct MenuEntry {
  const char* owner;  // objectName of the holding menu; "" for the menu bar
  const char* name;
  const char* caption;
  QKeySequence shortcut;
};

const std::vector<MenuEntry>& menuTable() {
  static const std::vector<MenuEntry> table = {
      {"", "DataEntry1", "D&ata Entry", {}},
      {"DataEntry1", "New1", "Ma&nual", QKeySequence("Ctrl+N")},
      {"DataEntry1", "Modify1", "&Import rdf file", QKeySequence("Ctrl+I")},
      {"DataEntry1", "ImportFastafile1", "Import &Fasta file", QKeySequence("Ctrl+F")},
      {"DataEntry1", "ImportNexusfile1", "Import Ne&xus file", QKeySequence("Ctrl+X")},
      {"DataEntry1", "ImportPhylipfile1", "Import &Phylip file", QKeySequence("Ctrl+P")},
      {"", "Calculatenetwork1", "&Calculate Network", {}},
      {"Calculatenetwork1", "OptionalPreProcessing1", "&Optional Pre-Processing", {}},
      {"OptionalPreProcessing1", "StarContraction1", "&Star Contraction", QKeySequence("Ctrl+S")},
      {"Calculatenetwork1", "NetworkCalculations1", "&Network Calculations", {}},
      {"NetworkCalculations1", "ReducedMedian1", "&Reduced Median", QKeySequence("Ctrl+R")},
      {"NetworkCalculations1", "MedianJoining1", "Median &Joining", QKeySequence("Ctrl+J")},
      {"Calculatenetwork1", "OptionalPostProcessing1", "O&ptional Post-Processing", {}},
      {"OptionalPostProcessing1", "MPCalculation", "MP &Calculation", QKeySequence("Ctrl+C")},
      {"", "Drawnetwork1", "&Draw network", {}},
      {"", "Timeestimates1", "&Time estimates", {}},
      {"", "Tools1", "&Tools", {}},
      // Ctrl+F stays with "Import Fasta file" alone.
      {"Tools1", "ForwardSimulation1", "For&ward Simulation", {}},
      {"Tools1", "MismatchDistribution1", "&Mismatch Distribution", QKeySequence("Ctrl+M")},
      {"", "About1", "&About", {}},
      {"About1", "Version1", "&Version", QKeySequence("Ctrl+V")},
      {"About1", "Contact1", "Con&tact", QKeySequence("Ctrl+T")},
      {"", "Exit1", "&Exit", {}},  // Alt+E through the mnemonic
  };
  return table;
}

// The action standing for an entry: the item itself, or the action that opens a menu.
QAction* entryAction(const QWidget& w, const char* name) {
  if (auto* menu = w.findChild<QMenu*>(QLatin1String(name))) return menu->menuAction();
  return action(w, name);
}

TEST_F(MainWindowTest, EveryMenuEntryHasItsCaptionShortcutAndPlace) {
  std::vector<QAction*> seen;
  for (const MenuEntry& e : menuTable()) {
    SCOPED_TRACE(e.name);
    QAction* a = entryAction(*window, e.name);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->text(), QString::fromLatin1(e.caption));
    EXPECT_EQ(a->shortcut(), e.shortcut);
    const QList<QAction*> siblings =
        *e.owner ? window->findChild<QMenu*>(QLatin1String(e.owner))->actions()
                 : window->menuBar()->actions();
    EXPECT_TRUE(siblings.contains(a));
    seen.push_back(a);
  }
  // Nothing beyond the table: every non-separator entry of the bar and its menus is listed.
  const QList<QAction*> barActions = window->menuBar()->actions();
  std::vector<QAction*> all(barActions.begin(), barActions.end());
  for (QMenu* m : window->findChildren<QMenu*>())
    for (QAction* a : m->actions())
      if (!a->isSeparator()) all.push_back(a);
  for (QAction* a : all)
    EXPECT_NE(std::find(seen.begin(), seen.end(), a), seen.end()) << a->text().toStdString();
  // The separators of "Calculate Network" are disabled items.
  int separators = 0;
  for (QAction* a : window->findChild<QMenu*>("Calculatenetwork1")->actions()) {
    if (!a->isSeparator()) continue;
    ++separators;
    EXPECT_FALSE(a->isEnabled());
  }
  EXPECT_EQ(separators, 2);
  // Alt+E opens nothing else than Exit: it is the only mnemonic 'E' in the bar.
  int altE = 0;
  for (QAction* a : window->menuBar()->actions())
    altE += QKeySequence::mnemonic(a->text()) == QKeySequence("Alt+E");
  EXPECT_EQ(altE, 1);
}

TEST_F(MainWindowTest, NoShortcutIsHeldTwice) {
  std::vector<QKeySequence> keys;
  for (QAction* a : window->findChildren<QAction*>()) {
    if (a->shortcut().isEmpty()) continue;
    EXPECT_EQ(std::count(keys.begin(), keys.end(), a->shortcut()), 0)
        << a->shortcut().toString().toStdString();
    keys.push_back(a->shortcut());
  }
}

// The three import entries show their message and leave the title panel alone.
TEST_F(MainWindowTest, ImportEntriesShowTheirMessagesExactly) {
  struct Case {
    const char* name;
    std::string text;
  };
  const Case cases[] = {
      {"ImportNexusfile1",
       "For entering sequential (alias 'block') Nexus files, proceed directly to the Calculation "
       "menu and then either to the Star Contraction, the Median Joining or the Reduced Median "
       "algorithms. Interleaved Nexus files are not supported within Tarvane. \rWithin Reduced "
       "Median multistate characters will be ignored because the algorithm can only handle "
       "binary characters. Please ensure that the taxa names are unique within the first six "
       "signs, because taxa names are restricted to six signs at most within Tarvane."},
      {"ImportPhylipfile1",
       "For entering sequential (alias 'block') Phylip files, proceed directly to the "
       "Calculation menu and then either to the Star Contraction, the Median Joining or the "
       "Reduced Median algorithms. Interleaved Nexus files are not supported within Tarvane. "
       "\rWithin Reduced Median multistate characters will be ignored because the algorithm can "
       "only handle binary characters. Please ensure that the taxa names are unique within the "
       "first six signs, because taxa names are restricted to six signs at most within "
       "Tarvane."},
      {"ImportFastafile1", tarvane::FastaMessage},
  };
  window->show();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    scripted.dialogs.clear();
    action(*window, c.name)->trigger();
    EXPECT_EQ(scripted.dialogs.messages(), std::vector<std::string>{c.text});
    EXPECT_TRUE(titlePanel()->isVisible());
  }
  EXPECT_NE(std::string(tarvane::FastaMessage).find("align"), std::string::npos);
}

TEST_F(MainWindowTest, VersionMessageNamesTheVersion) {
  window->show();
  action(*window, "Version1")->trigger();
  ASSERT_EQ(scripted.dialogs.messages().size(), 1u);
  const std::string text = scripted.dialogs.messages()[0];
  EXPECT_EQ(text.rfind("TARVANE 4.6.1.6. ", 0), 0u) << text;
  EXPECT_GT(text.size(), std::string("TARVANE 4.6.1.6. ").size());
  EXPECT_FALSE(titlePanel()->isVisible());
}

// Records the URLs handed to the desktop.
class UrlRecorder : public QObject {
  Q_OBJECT
public slots:
  void open(const QUrl& url) { urls.push_back(url.toString()); }

public:
  std::vector<QString> urls;
};

TEST_F(MainWindowTest, ContactBoxOpensItsTargetsAndCloses) {
  window->show();
  action(*window, "Contact1")->trigger();
  EXPECT_FALSE(titlePanel()->isVisible());
  ASSERT_TRUE(contactBox()->isVisible());
  EXPECT_EQ(contactBox()->title(), "Contact");

  UrlRecorder recorder;
  for (const char* scheme : {"https", "mailto"})
    QDesktopServices::setUrlHandler(QLatin1String(scheme), &recorder, "open");
  struct Case {
    const char* button;
    const char* caption;
    const char* url;
  };
  const Case cases[] = {
      {"WebButton", nullptr, tarvane::WebPageUrl},
      {"EMailButton", "E-Mail", tarvane::MailUrl},
      {"DownloadButton", "Download newest Tarvane version", tarvane::DownloadUrl},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    auto* b = contactBox()->findChild<QPushButton*>(QLatin1String(c.button));
    ASSERT_NE(b, nullptr);
    if (c.caption) {
      EXPECT_EQ(b->text(), c.caption);
    }
    recorder.urls.clear();
    QTest::mouseClick(b, Qt::LeftButton);
    ASSERT_EQ(recorder.urls.size(), 1u);
    EXPECT_EQ(recorder.urls[0], QString::fromLatin1(c.url));
    EXPECT_TRUE(QUrl(recorder.urls[0]).host().endsWith("example.org") ||
                recorder.urls[0].contains("@example.org"));
  }
  for (const char* scheme : {"https", "mailto"}) QDesktopServices::unsetUrlHandler(scheme);

  auto* exit = contactBox()->findChild<QPushButton*>("ExitContactBoxButton");
  ASSERT_NE(exit, nullptr);
  EXPECT_EQ(exit->text(), "Exit");
  QTest::mouseClick(exit, Qt::LeftButton);
  EXPECT_FALSE(contactBox()->isVisible());
  EXPECT_FALSE(titlePanel()->isVisible());  // the title panel never comes back
}

TEST_F(MainWindowTest, ShortcutsReachTheirEntries) {
  showAndActivate();
  QTest::keyClick(window.get(), Qt::Key_X, Qt::ControlModifier);
  QTest::keyClick(window.get(), Qt::Key_P, Qt::ControlModifier);
  QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
  EXPECT_EQ(scripted.dialogs.messages(),
            (std::vector<std::string>{tarvane::NexusMessage, tarvane::PhylipMessage,
                                      tarvane::FastaMessage}));
  QSignalSpy closed(window.get(), &TUser_Menue::closed);
  QTest::keyClick(window.get(), Qt::Key_E, Qt::AltModifier);
  EXPECT_EQ(closed.count(), 1);
  EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowTest, ExitHidesThePanelsAndEndsTheRun) {
  window->show();
  action(*window, "Contact1")->trigger();
  QSignalSpy closed(window.get(), &TUser_Menue::closed);
  action(*window, "Exit1")->trigger();
  EXPECT_EQ(closed.count(), 1);
  EXPECT_FALSE(window->isVisible());
  EXPECT_FALSE(contactBox()->isVisibleTo(window.get()));
  EXPECT_FALSE(titlePanel()->isVisibleTo(window.get()));
}

TEST(MainWindowScaling, TheWindowFollowsTheScreen) {
  const TUser_Menue design(DesignScreen);
  EXPECT_EQ(ChartWidth, 800);
  EXPECT_EQ(ChartHeight, 600);
  const TUser_Menue large(QSize(1280, 1024));
  EXPECT_EQ(ChartWidth, 1000);
  EXPECT_EQ(ChartHeight, 800);
  EXPECT_DOUBLE_EQ(large.scaling().factor, 1280.0 / 1024);
  EXPECT_DOUBLE_EQ(large.font().pointSizeF(), design.font().pointSizeF() * 1.25);
  EXPECT_EQ(large.width(), 1280 * design.width() / 1024);
  EXPECT_EQ(large.height(), design.height() * 1024 / 768);
}

TEST(MainWindowKeepAlive, MessagesWaitWhileTheClockRunsForward) {
  const TUser_Menue window(DesignScreen);  // installs the application's message pump
  double now = LastKeepAlive;
  SetKeepAliveClock([&now] { return now; });
  int delivered = 0;
  QTimer::singleShot(0, [&delivered] { ++delivered; });
  for (int i = 0; i < 200; ++i) {
    now += 5.0 / 86400;
    KeepUIAlive();
  }
  EXPECT_EQ(delivered, 0);
  now -= 10.0 / 86400;  // the clock set back: pending messages run once
  KeepUIAlive();
  EXPECT_EQ(delivered, 1);
  SetKeepAliveClock({});
}

// Data entry with a scripted data-type dialog and editors that are plain windows.
class DataEntryTest : public MainWindowTest {
protected:
  void install(std::optional<TUser_Menue::DataTypeChoice> choice, bool editorOpens = true) {
    window->setDataEntry(
        [this, choice](QWidget*, bool modify) {
          dialogModes.push_back(modify);
          return choice;
        },
        [this, editorOpens](const std::string& type) { return editor("rdf:" + type, editorOpens); },
        [this, editorOpens](const std::string& type) {
          return editor("str:" + type, editorOpens);
        });
  }
  QWidget* editor(const std::string& what, bool opens) {
    opened.push_back(what);
    if (!opens) return nullptr;
    auto* w = new QWidget;
    lastEditor = w;
    return w;
  }
  std::vector<bool> dialogModes;
  std::vector<std::string> opened;
  QPointer<QWidget> lastEditor;
};

TEST_F(DataEntryTest, WithoutTheDialogNothingOpens) {
  window->show();
  action(*window, "New1")->trigger();
  EXPECT_TRUE(window->isEnabled());
  EXPECT_FALSE(titlePanel()->isVisible());
  EXPECT_TRUE(scripted.dialogs.events().empty());
}

TEST_F(DataEntryTest, CancellingTheDialogLeavesTheMainWindowEnabled) {
  install(std::nullopt);
  window->show();
  action(*window, "New1")->trigger();
  action(*window, "Modify1")->trigger();
  EXPECT_EQ(dialogModes, (std::vector<bool>{false, true}));
  EXPECT_TRUE(window->isEnabled());
  EXPECT_TRUE(opened.empty());
  EXPECT_FALSE(titlePanel()->isVisible());
}

TEST_F(DataEntryTest, EachDataTypeOpensItsEditor) {
  struct Case {
    const char* type;
    std::string editor;
    bool warning;
  };
  const Case cases[] = {
      {"multistate", "rdf:multistate", false}, {"amino", "rdf:amino", false},
      {"binary", "rdf:binary", false},         {"rflp", "rdf:rflp", false},
      {"ychrom", "str:ychrom", false},         {"autosomal", "str:autosomal", true},
      {"mixed", "str:mixed", true},
  };
  window->show();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    install(TUser_Menue::DataTypeChoice{false, c.type});
    opened.clear();
    scripted.dialogs.clear();
    action(*window, "Modify1")->trigger();
    EXPECT_EQ(opened, std::vector<std::string>{c.editor});
    EXPECT_EQ(EditorDataType, c.type);
    EXPECT_FALSE(EditorCreateMode);
    EXPECT_EQ(scripted.dialogs.messages(),
              c.warning ? std::vector<std::string>{tarvane::AutosomalMessage}
                        : std::vector<std::string>{});
    ASSERT_TRUE(lastEditor);
    EXPECT_TRUE(lastEditor->isVisible());
    EXPECT_TRUE(lastEditor->windowState() & Qt::WindowMaximized);
    EXPECT_FALSE(lastEditor->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(lastEditor->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(window->isEnabled());
    lastEditor->close();
    flushDeletes();
    EXPECT_FALSE(lastEditor);
    EXPECT_TRUE(window->isEnabled());
  }
}

TEST_F(DataEntryTest, AnEditorThatFailsToOpenLeavesTheMainWindowEnabled) {
  install(TUser_Menue::DataTypeChoice{true, "binary"}, false);
  window->show();
  action(*window, "New1")->trigger();
  EXPECT_EQ(opened, std::vector<std::string>{"rdf:binary"});
  EXPECT_TRUE(EditorCreateMode);
  EXPECT_TRUE(window->isEnabled());
}

TEST_F(MainWindowTest, ToolWindowsOpenInTheirStateAndReenableTheMainWindow) {
  using TW = TUser_Menue::ToolWindow;
  struct Case {
    const char* name;
    TW which;
    bool maximised;
    bool minimiseButton;
  };
  const Case cases[] = {
      {"StarContraction1", TW::StarContraction, false, false},
      {"ReducedMedian1", TW::ReducedMedian, false, false},
      {"MedianJoining1", TW::MedianJoining, false, false},
      {"Drawnetwork1", TW::DrawNetwork, true, false},
      {"Timeestimates1", TW::TimeEstimates, true, false},
      {"ForwardSimulation1", TW::ForwardSimulation, true, true},
      {"MismatchDistribution1", TW::MismatchDistribution, true, false},
  };
  window->show();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Not plugged in: the entry stays and does nothing.
    action(*window, c.name)->trigger();
    EXPECT_TRUE(window->isEnabled());
    EXPECT_FALSE(titlePanel()->isVisible());

    QPointer<QWidget> tool;
    window->setToolWindowFactory(c.which, [&tool] {
      tool = new QWidget;
      tool->setWindowFlags(Qt::Window | Qt::WindowMinimizeButtonHint |
                           Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
      return tool.data();
    });
    action(*window, c.name)->trigger();
    ASSERT_TRUE(tool);
    EXPECT_TRUE(tool->isVisible());
    EXPECT_FALSE(window->isEnabled());
    EXPECT_EQ(bool(tool->windowState() & Qt::WindowMaximized), c.maximised);
    EXPECT_EQ(bool(tool->windowFlags() & Qt::WindowMinimizeButtonHint), c.minimiseButton);
    if (!c.maximised) {
      EXPECT_EQ(tool->pos(), QPoint(0, 40));
    }
    tool->close();
    flushDeletes();
    EXPECT_FALSE(tool);
    EXPECT_TRUE(window->isEnabled());
  }
}

TEST_F(MainWindowTest, MPEntryClearsTheStartPanelsAndKeepsTheWindowEnabled) {
  window->show();
  action(*window, "Contact1")->trigger();
  action(*window, "MPCalculation")->trigger();
  EXPECT_FALSE(contactBox()->isVisible());
  EXPECT_FALSE(titlePanel()->isVisible());
  EXPECT_TRUE(window->isEnabled());
  EXPECT_TRUE(scripted.dialogs.events().empty());
}

TEST(Startup, CreatesTheMainWindowAndTheTwoMinimisedWindows) {
  StartupWindows w = StartTarvane(QSize(1280, 1024));
  EXPECT_EQ(QCoreApplication::applicationName(), "TARVANE");
  ASSERT_TRUE(w.main && w.statistics && w.taxonInfo);
  EXPECT_TRUE(w.main->isVisible());
  EXPECT_TRUE(w.main->windowState() & Qt::WindowMaximized);
  EXPECT_EQ(ChartWidth, 1000);

  EXPECT_EQ(Graph_Stat, w.statistics.get());
  EXPECT_EQ(w.statistics->windowTitle(), "Statistics");
  EXPECT_TRUE(w.statistics->windowState() & Qt::WindowMinimized);
  EXPECT_FALSE(w.statistics->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_EQ(w.statistics->pos(), QPoint(0, 40));

  EXPECT_EQ(Tax_info, w.taxonInfo.get());
  EXPECT_EQ(w.taxonInfo->windowTitle(), "Taxon information");
  EXPECT_TRUE(w.taxonInfo->windowState() & Qt::WindowMinimized);

  // Only the main window keeps the run alive.
  EXPECT_TRUE(w.main->testAttribute(Qt::WA_QuitOnClose));
  EXPECT_FALSE(w.statistics->testAttribute(Qt::WA_QuitOnClose));
  EXPECT_FALSE(w.taxonInfo->testAttribute(Qt::WA_QuitOnClose));

  w = StartupWindows();
  EXPECT_EQ(Graph_Stat, nullptr);
  EXPECT_EQ(Tax_info, nullptr);
}

}  // namespace

#include "OberflaecheFormTest.moc"
