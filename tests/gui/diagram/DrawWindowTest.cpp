// The drawing window driven offscreen: open, lay out, place, finish, save, export, print, browse
// shortest trees, zoom and leave.

#include "DlgSchemeColorForm.h"
#include "DlgTaxonStyle_newForm.h"
#include "Graphik_PdfExport.h"
#include "Graphik_ProgrammForm.h"
#include "PdfBox.h"
#include "Graphik_WindowLogic.h"
#include "ScriptedDialogs.h"
#include "StyleDialogParts.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QPointer>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTest>

#include <filesystem>

namespace {

const QSize kDesignScreen(1024, 768);
const char* const kTorsoQuestion = "The torso has been completed. Do you wish to modify the torso?";
const char* const kExitQuestion = "Do you really want to exit without saving?";

std::string Fixture(const std::string& name) { return testpaths::testData("window/" + name).string(); }

template <class T> T* Child(QWidget* w, const char* name) {
  T* child = w->findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

void Click(QWidget* w, const char* name) { Child<QPushButton>(w, name)->click(); }
void Trigger(QWidget* w, const char* name) { Child<QAction>(w, name)->trigger(); }
bool Hidden(QWidget* w, const char* name) { return Child<QWidget>(w, name)->isHidden(); }

void DeletePending() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

bool Contains(const std::vector<std::string>& texts, const std::string& text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

int PixelsOf(const QImage& image, QRgb colour) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
  return n;
}

// Types `text` into a spin box's field and confirms it with Enter, as a user does.
void Type(QSpinBox* spin, const QString& text) {
  auto* field = spin->findChild<QLineEdit*>();
  ASSERT_NE(field, nullptr);
  spin->setFocus();
  field->selectAll();
  QTest::keyClicks(field, text);
  QTest::keyClick(field, Qt::Key_Return);
}

const char* const kExportWarningText =
    "Warning: To save your modifications it is required to save as *.dia or *.fdi format "
    "additionally.";

// A window for the design screen, deleted with the fixture unless it closed itself.
class DrawWindow : public ::testing::Test {
protected:
  void SetUp() override { w = new TGraphik_Menue(nullptr, kDesignScreen); }
  void TearDown() override {
    if (w) {
      ScriptedDialogsScope quiet;
      w->setAttribute(Qt::WA_DeleteOnClose, false);
      delete w.data();
    }
    DeletePending();
  }

  // Opens `path` with the queued answers, declines to modify the torso and waits until every
  // node is placed.
  void OpenAndPlace(ScriptedDialogsScope& s, const std::string& path,
                    std::vector<DialogAnswer> before = {}) {
    s.dialogs.openFile(path);
    for (DialogAnswer a : before) s.dialogs.answer(a);
    s.dialogs.answer(DialogAnswer::No);  // torso question
    Trigger(w, "Open21");
    ASSERT_TRUE(Contains(s.dialogs.questions(), kTorsoQuestion));
    EXPECT_TRUE(w->PlacementRunning());
    QTRY_VERIFY_WITH_TIMEOUT(w->PlacementDone(), 60000);
    EXPECT_FALSE(w->PlacementRunning());
  }

  void Finish() {
    ASSERT_FALSE(Hidden(w, "FinalizeButton"));
    Click(w, "FinalizeButton");
  }

  QPointer<TGraphik_Menue> w;
};

}  // namespace

TEST_F(DrawWindow, StartsWithOnlyTheMenu) {
  EXPECT_EQ(w->windowTitle(), "Draw Network");
  // The surface takes the window below the menu, beside the controls: at least the designed height.
  EXPECT_GE(w->Surface().height(), 553);
  EXPECT_LT(w->Surface().width(), w->width());
  for (const char* name : {"DisplayParameters", "ZoomGroup", "NavigationGroup", "StatisticButton",
                           "ShortestTrees", "HelpGroup", "StopButton", "EndCorrectionButton",
                           "FinalizeButton", "UndoButton", "CmbColorScheme"})
    EXPECT_TRUE(Hidden(w, name)) << name;
  EXPECT_FALSE(Child<QAction>(w, "Save1")->isEnabled());
  EXPECT_FALSE(Child<QAction>(w, "Print1")->isEnabled());
  EXPECT_FALSE(Child<QWidget>(w, "Image1")->isEnabled());
}

TEST_F(DrawWindow, CancelledOpenChangesNothing) {
  ScriptedDialogsScope s;
  s.dialogs.openFile(std::nullopt);
  Trigger(w, "Open21");
  EXPECT_EQ(w->Diagram(), nullptr);
  EXPECT_TRUE(w->CurrentFileName().empty());
  const FileDialogRequest* r = s.dialogs.lastFileRequest();
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->filter, kOpenDiagramFilter);
}

// Files that hold no network or diagram are refused with their message: nothing is opened, and
// nothing is written. A text file saved under the .fdi extension once opened as an empty diagram.
TEST_F(DrawWindow, FilesWithoutANetworkAreRefused) {
  struct Case {
    const char* name;
    const char* text;
    std::vector<std::string> messages;  // "{file}" stands for the file's path
  };
  const Case cases[] = {
      {"empty.out", "Final links : \r\n\r\nFrequ. of taxon        1 :    3\r\n",
       {"The chosen file has the wrong format or contains no data."}},
      {"notes.fdi", "Network of the Danish samples\r\ndrawn on Monday\r\n",
       {"The file {file} is not a formatted diagram file (.fdi): line 1 begins with \"Network of "
        "the Danish samples\", and no line holds a diagram item such as SHOW_NODENAMES or "
        "NUMBER_OF_TAXA.",
        "An error occurred while loading the diagram. Please contact Movrel for help."}},
  };
  for (const Case& c : cases) {
    testpaths::TempDir dir;
    const std::string path = dir.file(c.name);
    testpaths::writeFile(path, c.text);
    ScriptedDialogsScope s;
    s.dialogs.openFile(path);
    Trigger(w, "Open21");
    std::vector<std::string> messages = c.messages;
    for (std::string& m : messages)
      if (const auto at = m.find("{file}"); at != std::string::npos) m.replace(at, 6, path);
    EXPECT_EQ(s.dialogs.messages(), messages) << c.name;
    EXPECT_FALSE(w->PlacementRunning()) << c.name;
    EXPECT_TRUE(Hidden(w, "EndCorrectionButton")) << c.name;
    EXPECT_TRUE(Hidden(w, "DisplayParameters")) << c.name;
    EXPECT_FALSE(Child<QAction>(w, "Save1")->isEnabled()) << c.name;
    EXPECT_TRUE(Child<QAction>(w, "File1Action")->isEnabled()) << c.name;
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
      files.push_back(e.path().filename().string());
    EXPECT_EQ(files, std::vector<std::string>{c.name});
  }
}

// The whole road of a .out file: lay out, place, finish, save .fdi, export .bmp, print, zoom.
TEST_F(DrawWindow, OutFileFromOpenToPrint) {
  testpaths::TempDir dir;
  ScriptedDialogsScope s;
  OpenAndPlace(s, Fixture("network.out"));
  EXPECT_TRUE(Contains(s.dialogs.messages(),
                       "Diagram is not adapted to the screen. It will be redrawn."));
  EXPECT_GT(w->UnitLength(), 0);
  for (const LinkType& l : w->Diagram()->Links) EXPECT_TRUE(l.Active);
  EXPECT_TRUE(Hidden(w, "StopButton"));
  EXPECT_FALSE(Hidden(w, "ZoomGroup"));
  EXPECT_TRUE(Hidden(w, "DisplayParameters"));

  Finish();
  EXPECT_FALSE(Hidden(w, "DisplayParameters"));
  EXPECT_FALSE(Hidden(w, "StatisticButton"));
  EXPECT_FALSE(Hidden(w, "HelpGroup"));
  EXPECT_TRUE(Hidden(w, "ShortestTrees"));  // no Steiner length
  EXPECT_TRUE(Hidden(w, "FinalizeButton"));
  EXPECT_TRUE(Child<QAction>(w, "Save1")->isEnabled());
  EXPECT_TRUE(Child<QCheckBox>(w, "NodeNames")->isChecked());
  EXPECT_TRUE(Child<QCheckBox>(w, "MutatedPositions")->isChecked());
  EXPECT_TRUE(Child<QCheckBox>(w, "NodesProportional")->isChecked());
  // Six information items make six colour schemes.
  EXPECT_EQ(w->Diagram()->ColorSchemes.size(), 6u);

  // Bitmap: the surface image as a 32-bit bitmap; the diagram is still unsaved.
  const std::string bmp = dir.file("picture.bmp");
  s.dialogs.saveFile(bmp);
  Trigger(w, "Save1");
  EXPECT_EQ(s.dialogs.lastFileRequest()->fileName, Fixture("network.fdi"));
  EXPECT_EQ(s.dialogs.lastFileRequest()->filter, kSaveDiagramFilter);
  EXPECT_TRUE(Contains(s.dialogs.messages(),
                       "Warning: To save your modifications it is required to save as *.dia or "
                       "*.fdi format additionally."));
  const std::string bytes = testpaths::readFile(bmp);
  ASSERT_GT(bytes.size(), 54u);
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  EXPECT_EQ(static_cast<unsigned char>(bytes[28]), 32);
  QImage back(QString::fromStdString(bmp));
  EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32),
            w->Surface().convertToFormat(QImage::Format_RGB32));
  EXPECT_FALSE(w->DiagramSaved());
  // The picture is not blank.
  int dark = 0;
  for (int y = 0; y < back.height(); ++y)
    for (int x = 0; x < back.width(); ++x) dark += qGray(back.pixel(x, y)) < 128;
  EXPECT_GT(dark, 50);

  // PDF: an A4 landscape page with the diagram on it; like the bitmap it does not count as saved.
  const std::size_t messagesBefore = s.dialogs.messages().size();
  s.dialogs.saveFile(dir.file("picture.pdf"));
  Trigger(w, "Save1");
  EXPECT_EQ(s.dialogs.messages().size(), messagesBefore + 1);  // only the export warning
  ASSERT_TRUE(std::filesystem::exists(dir.file("picture.pdf")));
  EXPECT_EQ(testpaths::readFile(dir.file("picture.pdf")).substr(0, 8), "%PDF-1.3");
  EXPECT_FALSE(w->DiagramSaved());
  const QImage page = RenderDiagramPage(*w->Diagram(), w->DisplayOptions(), PdfDiagramPageSize());
  int inked = 0;
  for (int y = 0; y < page.height(); y += 4)
    for (int x = 0; x < page.width(); x += 4) inked += qGray(page.pixel(x, y)) < 128;
  EXPECT_GT(inked, 50);

  // .fdi: the extension is forced.
  s.dialogs.saveFile(dir.file("result"));
  Trigger(w, "Save1");
  EXPECT_TRUE(std::filesystem::exists(dir.file("result.fdi")));
  EXPECT_TRUE(w->DiagramSaved());

  // Printing through the printer of a (scripted) print dialog into a PDF file.
  const std::string pdf = dir.file("printed.pdf");
  s.dialogs.onPrinter([&](QPrinter& p) {
    p.setOutputFormat(QPrinter::PdfFormat);
    p.setOutputFileName(QString::fromStdString(pdf));
    return true;
  });
  Trigger(w, "Print1");
  ASSERT_TRUE(std::filesystem::exists(pdf));
  EXPECT_EQ(testpaths::readFile(pdf).substr(0, 4), "%PDF");
  const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
  ASSERT_FALSE(pdftoppm.isEmpty()) << "poppler-utils not installed: run scripts/setup-deps.sh";
  {
    const QString prefix = QString::fromStdString(dir.file("page"));
    EXPECT_EQ(QProcess::execute(pdftoppm, {"-r", "20", "-png", QString::fromStdString(pdf), prefix}),
              0);
    QImage page(prefix + "-1.png");
    ASSERT_FALSE(page.isNull());
    EXPECT_GT(page.width(), page.height());  // landscape
  }

  // Zoom in and out once: 1.1 x 0.9.
  const double unit = w->UnitLength();
  Click(w, "Zoom_groesser");
  EXPECT_NEAR(w->UnitLength(), unit * 1.1, 1e-9);
  Click(w, "Zoom_kleiner");
  EXPECT_NEAR(w->UnitLength(), unit * 0.99, 1e-9);

  // Navigation moves the picture by the shift interval.
  Child<QSpinBox>(w, "ShiftInterval")->setValue(12);
  const TIntPoint before = w->Diagram()->ImageCenter;
  Click(w, "LeftButton");
  Click(w, "DownButton");
  EXPECT_EQ(w->Diagram()->ImageCenter, (TIntPoint{before.X - 12, before.Y + 12}));

  // Saved: Exit asks nothing and closes.
  s.dialogs.clear();
  Trigger(w, "Exit1");
  EXPECT_TRUE(s.dialogs.questions().empty());
  DeletePending();
  EXPECT_TRUE(w.isNull());
}

TEST_F(DrawWindow, TwoRunsWriteIdenticalFdiFiles) {
  testpaths::TempDir dir;
  std::vector<std::string> files;
  for (int run = 0; run < 2; ++run) {
    if (run == 1) w = new TGraphik_Menue(nullptr, kDesignScreen);
    ScriptedDialogsScope s;
    OpenAndPlace(s, Fixture("network.out"));
    Finish();
    files.push_back(dir.file("run" + std::to_string(run) + ".fdi"));
    s.dialogs.saveFile(files.back());
    Trigger(w, "Save1");
    Trigger(w, "Exit1");
    DeletePending();
    ASSERT_TRUE(w.isNull());
  }
  const std::string first = testpaths::readFile(files[0]);
  EXPECT_FALSE(first.empty());
  EXPECT_EQ(first, testpaths::readFile(files[1]));

  // The saved file reopens as it was drawn.
  w = new TGraphik_Menue(nullptr, kDesignScreen);
  ScriptedDialogsScope s;
  s.dialogs.openFile(files[0]);
  Trigger(w, "Open21");
  ASSERT_NE(w->Diagram(), nullptr);
  EXPECT_FALSE(Hidden(w, "DisplayParameters"));
  EXPECT_TRUE(Child<QAction>(w, "Save1")->isEnabled());
  EXPECT_FALSE(w->PlacementRunning());
}

TEST_F(DrawWindow, PauseAndContinue) {
  ScriptedDialogsScope s;
  s.dialogs.openFile(Fixture("network.out"));
  s.dialogs.answer(DialogAnswer::Yes);  // modify the torso: correction mode
  Trigger(w, "Open21");
  EXPECT_FALSE(w->PlacementRunning());
  EXPECT_FALSE(Hidden(w, "EndCorrectionButton"));
  EXPECT_FALSE(Hidden(w, "ZoomGroup"));

  Click(w, "EndCorrectionButton");
  EXPECT_TRUE(w->PlacementRunning());
  EXPECT_FALSE(Hidden(w, "StopButton"));
  EXPECT_TRUE(Hidden(w, "ZoomGroup"));
  Click(w, "StopButton");
  EXPECT_FALSE(w->PlacementRunning());
  EXPECT_FALSE(Hidden(w, "EndCorrectionButton"));
  EXPECT_FALSE(Hidden(w, "UndoButton"));
  EXPECT_TRUE(Hidden(w, "StopButton"));
  // Zooming while paused keeps the placement's unit in step.
  Click(w, "Zoom_groesser");

  Click(w, "EndCorrectionButton");
  QTRY_VERIFY_WITH_TIMEOUT(w->PlacementDone(), 60000);
  for (const LinkType& l : w->Diagram()->Links) EXPECT_TRUE(l.Active);
  EXPECT_FALSE(Hidden(w, "FinalizeButton"));
}

TEST_F(DrawWindow, ClosingWhilePlacingStopsThePlacementFirst) {
  ScriptedDialogsScope s;
  s.dialogs.openFile(Fixture("network.out"));
  s.dialogs.answer(DialogAnswer::No);
  Trigger(w, "Open21");
  ASSERT_TRUE(w->PlacementRunning());
  // The exit menu is disabled while laying out, but the close box still works.
  s.dialogs.answer(DialogAnswer::Yes);
  w->close();
  DeletePending();
  EXPECT_TRUE(w.isNull());
  QTest::qWait(20);  // no timer tick may reach the freed window
}

TEST_F(DrawWindow, StoFileBrowsesItsShortestTrees) {
  ScriptedDialogsScope s;
  OpenAndPlace(s, Fixture("trees.sto"), {DialogAnswer::No});  // keep the original network
  EXPECT_EQ(s.dialogs.questions().front(), FreeStandingNetworkQuestion());
  Finish();
  ASSERT_FALSE(Hidden(w, "ShortestTrees"));
  EXPECT_TRUE(Child<QRadioButton>(w, "RadioCompleteNetwork")->isChecked());
  EXPECT_FALSE(Hidden(w, "RadioSteinerTree"));
  EXPECT_FALSE(Hidden(w, "RadioSteinerNetwork"));
  EXPECT_TRUE(Hidden(w, "PreviousTreeButton"));
  EXPECT_TRUE(Hidden(w, "NextTreeButton"));

  Child<QRadioButton>(w, "RadioSteinerTree")->click();
  EXPECT_EQ(w->CurrentTree(), 1);
  EXPECT_TRUE(Hidden(w, "PreviousTreeButton"));
  EXPECT_FALSE(Hidden(w, "NextTreeButton"));
  // Tree 1 leaves out link 1.
  EXPECT_FALSE(w->Diagram()->Links[0].Active);
  EXPECT_TRUE(w->Diagram()->Links[1].Active);

  Click(w, "NextTreeButton");
  Click(w, "NextTreeButton");
  EXPECT_EQ(w->CurrentTree(), 3);
  EXPECT_TRUE(Hidden(w, "NextTreeButton"));
  EXPECT_FALSE(Hidden(w, "PreviousTreeButton"));
  EXPECT_FALSE(w->Diagram()->Links[3].Active);  // tree 3 leaves out link 4
  EXPECT_TRUE(w->Diagram()->Links[0].Active);
  Click(w, "PreviousTreeButton");
  EXPECT_EQ(w->CurrentTree(), 2);
  EXPECT_FALSE(w->Diagram()->Links[2].Active);  // tree 2 leaves out link 3

  Child<QRadioButton>(w, "RadioSteinerNetwork")->click();
  EXPECT_TRUE(Hidden(w, "PreviousTreeButton"));
  EXPECT_TRUE(Hidden(w, "NextTreeButton"));
  for (const LinkType& l : w->Diagram()->Links) EXPECT_TRUE(l.Active);
}

TEST_F(DrawWindow, StoFileAsFreeStandingNetwork) {
  ScriptedDialogsScope s;
  OpenAndPlace(s, Fixture("trees.sto"), {DialogAnswer::Yes});
  EXPECT_FALSE(Child<QRadioButton>(w, "RadioCompleteNetwork")->isEnabled());
  EXPECT_EQ(w->Diagram()->LinkCount(), 7);
  // Only the square remains torso after the pendant links are peeled off.
  int torso = 0;
  for (const LinkType& l : w->Diagram()->Links) torso += l.InTorso;
  EXPECT_EQ(torso, 4);
  Finish();
  EXPECT_FALSE(Hidden(w, "ShortestTrees"));
  // The finished box offers what there is: the network chosen, the original one disabled.
  EXPECT_TRUE(Child<QRadioButton>(w, "RadioSteinerNetwork")->isChecked());
  EXPECT_TRUE(Child<QRadioButton>(w, "RadioSteinerNetwork")->isEnabled());
  EXPECT_FALSE(Child<QRadioButton>(w, "RadioCompleteNetwork")->isChecked());
  // Opening the next file makes the original network the choice again.
  s.dialogs.openFile(std::nullopt);
  Trigger(w, "Open21");
  EXPECT_TRUE(Child<QRadioButton>(w, "RadioCompleteNetwork")->isEnabled());
  EXPECT_TRUE(Child<QRadioButton>(w, "RadioCompleteNetwork")->isChecked());
}

TEST_F(DrawWindow, TheSurfaceFollowsTheWindowUntilADrawingIsOnIt) {
  w->show();
  QCoreApplication::processEvents();
  const QSize before = w->Surface().size();
  w->resize(w->width() + 100, w->height() + 50);
  QCoreApplication::processEvents();
  EXPECT_EQ(w->Surface().size(), before + QSize(100, 50));
  ScriptedDialogsScope s;
  OpenAndPlace(s, Fixture("network.out"));
  // The laid-out picture keeps the surface it was laid out on.
  const QSize laidOut = w->Surface().size();
  w->resize(w->width() - 200, w->height() - 100);
  QCoreApplication::processEvents();
  EXPECT_EQ(w->Surface().size(), laidOut);
}

TEST_F(DrawWindow, TheOpenDialogStartsAtSolverResults) {
  ScriptedDialogsScope s;
  s.dialogs.openFile(std::nullopt);
  Trigger(w, "Open21");
  const FileDialogRequest* r = s.dialogs.lastFileRequest();
  ASSERT_NE(r, nullptr);
  // The third entry of the filter: "Steiner (MP) output (*.sto)".
  EXPECT_EQ(r->filter, kOpenDiagramFilter);
  EXPECT_EQ(r->filterIndex, 3);
}

TEST_F(DrawWindow, ExitAsksOnlyWhenSomethingIsUnsaved) {
  testpaths::TempDir dir;
  {
    // A window that never opened a file closes without a question.
    ScriptedDialogsScope s;
    QPointer<TGraphik_Menue> fresh = new TGraphik_Menue(nullptr, kDesignScreen);
    Trigger(fresh, "Exit1");
    DeletePending();
    EXPECT_TRUE(fresh.isNull());
    EXPECT_TRUE(s.dialogs.questions().empty());
  }
  ScriptedDialogsScope s;
  OpenAndPlace(s, Fixture("network.out"));
  Finish();
  s.dialogs.saveFile(dir.file("kept.fdi"));
  Trigger(w, "Save1");
  // Reopened from its .fdi file: nothing to save yet.
  s.dialogs.openFile(dir.file("kept.fdi"));
  Trigger(w, "Open21");
  ASSERT_NE(w->Diagram(), nullptr);
  EXPECT_TRUE(w->DiagramSaved());
  s.dialogs.clear();
  // A change after the reopening asks again (and the answer Yes leaves).
  Child<QSpinBox>(w, "FontSizeSpin")->setValue(9);
  EXPECT_FALSE(w->DiagramSaved());
  s.dialogs.answer(DialogAnswer::Yes);
  Trigger(w, "Exit1");
  DeletePending();
  EXPECT_TRUE(w.isNull());
  EXPECT_EQ(s.dialogs.questions(), std::vector<std::string>{kExitQuestion});
}

TEST_F(DrawWindow, ExitQuestionNoWithCancelledSaveKeepsTheWindow) {
  ScriptedDialogsScope s;
  OpenAndPlace(s, Fixture("network.out"));
  Finish();
  s.dialogs.answer(DialogAnswer::No);
  s.dialogs.saveFile(std::nullopt);
  Trigger(w, "Exit1");
  DeletePending();
  ASSERT_FALSE(w.isNull());
  EXPECT_NE(w->Diagram(), nullptr);
  EXPECT_EQ(s.dialogs.questions().back(), kExitQuestion);

  // The close box asks the same; Yes leaves without saving.
  s.dialogs.answer(DialogAnswer::Yes);
  w->close();
  DeletePending();
  EXPECT_TRUE(w.isNull());
}

TEST_F(DrawWindow, ExitAnsweredNoSavesAndLeavesAndEnablesTheCaller) {
  QWidget caller;
  caller.setEnabled(false);
  w->setAttribute(Qt::WA_DeleteOnClose, false);
  delete w.data();
  w = new TGraphik_Menue(&caller, kDesignScreen);
  testpaths::TempDir dir;
  ScriptedDialogsScope s;
  OpenAndPlace(s, Fixture("network.out"));
  Finish();
  s.dialogs.answer(DialogAnswer::No);
  s.dialogs.saveFile(dir.file("kept.fdi"));
  Trigger(w, "Exit1");
  DeletePending();
  EXPECT_TRUE(w.isNull());
  EXPECT_TRUE(std::filesystem::exists(dir.file("kept.fdi")));
  EXPECT_TRUE(caller.isEnabled());
}

TEST_F(DrawWindow, HelpButtonsExplain) {
  ScriptedDialogsScope s;
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"BtnHelpMoveLink", "To rotate a link, click on the link with LEFT mouse button"},
      {"BtnHelpMoveNode", "To move a node, click on the node with the LEFT mouse button"},
      {"BtnHelpNodeInfo", "To obtain taxon information, DOUBLE CLICK on node."},
      {"BtnHelpPieChart", "To format objects"},
      {"BtnHelpStyle", "To format objects"},
      {"BtnHelpColour", "To format objects"},
      {"HelpButton", "If the network is clean (treelike, and without large cubes)"},
  };
  for (const auto& [button, start] : cases) {
    Click(w, button);
    EXPECT_TRUE(s.dialogs.messages().back().starts_with(start)) << button;
  }
  EXPECT_NE(s.dialogs.messages().back().find("Remedies: \r1. Activate"), std::string::npos);
}

TEST(DrawWindowScaling, FollowsTheScreenAndTheSurfaceTakesTheRoomBesideTheControls) {
  ScriptedDialogsScope s;
  struct Case {
    QSize screen, client;
  };
  int previousArea = 0;
  for (const Case& c : {Case{{1024, 768}, {1016, 734}}, Case{{1280, 1024}, {1270, 978}},
                        Case{{1366, 768}, {1355, 734}}, Case{{1920, 1080}, {1905, 1032}}}) {
    SCOPED_TRACE(std::to_string(c.screen.width()) + "x" + std::to_string(c.screen.height()));
    QPointer<TGraphik_Menue> w = new TGraphik_Menue(nullptr, c.screen);
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    EXPECT_LE(w->width(), c.client.width());
    EXPECT_LE(w->height(), c.client.height());
    w->show();
    QCoreApplication::processEvents();
    auto* image = w->findChild<QWidget*>("Image1");
    auto* controls = w->findChild<QScrollArea*>("ControlsScrollArea");
    ASSERT_NE(controls, nullptr);
    EXPECT_EQ(image->size(), w->Surface().size());
    // The surface reaches down to the window's bottom and across to the controls, which keep
    // the rest of the width; nothing overlaps and nothing is left empty.
    const QRect surface(image->mapTo(w.data(), QPoint(0, 0)), image->size());
    const QRect column(controls->mapTo(w.data(), QPoint(0, 0)), controls->size());
    EXPECT_EQ(surface.bottom(), w->height() - 1);
    EXPECT_FALSE(surface.intersects(column));
    EXPECT_LE(column.left() - surface.right(), 12);
    EXPECT_GE(column.width(), 200);
    EXPECT_FALSE(controls->horizontalScrollBar()->isVisible());
    EXPECT_GT(surface.width() * surface.height(), previousArea);
    previousArea = c.screen == QSize(1280, 1024) ? 0 : surface.width() * surface.height();
    delete w.data();
  }
}

TEST_F(DrawWindow, StatisticsAndFontSizeOfAFinishedDiagram) {
  ScriptedDialogsScope s;
  OpenAndPlace(s, Fixture("network.out"));
  Finish();
  Child<QSpinBox>(w, "FontSizeSpin")->setValue(9);
  for (const TaxonType& t : w->Diagram()->Taxa) EXPECT_EQ(t.NameHeight, 9);
  for (const LinkType& l : w->Diagram()->Links)
    for (const MutationType& m : l.Mutations) EXPECT_EQ(m.NameHeight, 9);
  // 0 stands for mixed sizes and changes nothing.
  Child<QSpinBox>(w, "FontSizeSpin")->setValue(0);
  EXPECT_EQ(w->Diagram()->Taxa[0].NameHeight, 9);

  Click(w, "StatisticButton");
  EXPECT_FALSE(w->isEnabled());
  QWidget* stat = nullptr;
  for (QWidget* top : QApplication::topLevelWidgets())
    if (top->objectName() == "Graph_Stat" && !top->isHidden()) stat = top;
  ASSERT_NE(stat, nullptr);
  auto* torso = stat->findChild<QLabel*>("TorsoCaption");
  ASSERT_NE(torso, nullptr);
  EXPECT_EQ(torso->text(), "Estimated number of mutations of shortest tree within the torso:");
  stat->close();
  EXPECT_TRUE(w->isEnabled());
}

TEST_F(DrawWindow, DiaFileIsShownAsStored) {
  ScriptedDialogsScope s;
  s.dialogs.openFile(testpaths::testData("diagram/demo.dia").string());
  Trigger(w, "Open21");
  ASSERT_NE(w->Diagram(), nullptr);
  EXPECT_FALSE(w->PlacementRunning());
  EXPECT_TRUE(s.dialogs.questions().empty());  // no layout, no torso question
  EXPECT_FALSE(Hidden(w, "DisplayParameters"));
  EXPECT_TRUE(Child<QAction>(w, "Save1")->isEnabled());

  testpaths::TempDir dir;
  testpaths::writeFile(dir.file("broken.dia"), "not a diagram\r\n");
  s.dialogs.openFile(dir.file("broken.dia"));
  Trigger(w, "Open21");
  EXPECT_TRUE(Contains(s.dialogs.messages(), "An error occurred. Please contact Movrel for help."));
}

TEST_F(DrawWindow, LinkToAMissingNodeStopsThePlacementWithAMessage) {
  testpaths::TempDir dir;
  std::string text = testpaths::readFile(Fixture("network.out"));
  const std::string extra = "Link    8 0 Seq.      6 with Seq.      9, mutations at 13     a \r\n";
  text.insert(text.find("*****"), extra);
  testpaths::writeFile(dir.file("corrupt.out"), text);
  ScriptedDialogsScope s;
  s.dialogs.openFile(dir.file("corrupt.out"));
  s.dialogs.answer(DialogAnswer::No);
  Trigger(w, "Open21");
  const std::string corrupt = " DataSet is corrupt: Missing Taxon in Modul DrawEdges!";
  QTRY_VERIFY_WITH_TIMEOUT(Contains(s.dialogs.messages(), corrupt) || w->PlacementDone(), 60000);
  EXPECT_TRUE(Contains(s.dialogs.messages(), corrupt));
  EXPECT_FALSE(w->PlacementRunning());
  EXPECT_TRUE(Hidden(w, "StopButton"));
  // Either paused with "Continue", or, when nothing else was left to place, ready to finish.
  EXPECT_NE(Hidden(w, "EndCorrectionButton"), Hidden(w, "FinalizeButton"));
}

namespace {

// Colours of the scheme dialog in the tests below (0x00BBGGRR): green and magenta, which nothing
// else in the picture has.
constexpr TColor kNorthColour = 0x00FF00;
constexpr TColor kEastColour = 0xFF00FF;
const QRgb kNorthPixel = qRgb(0, 255, 0);
const QRgb kEastPixel = qRgb(255, 0, 255);

}  // namespace

// Choosing a scheme and confirming its colours colours the nodes; node 1, which stands also for
// its equivalent taxon 5, is a pie of North (3) and East (2). The .fdi keeps it.
TEST_F(DrawWindow, AColourSchemeColoursTheNodesAndTheFdiKeepsIt) {
  testpaths::TempDir dir;
  ScriptedDialogsScope s;
  OpenAndPlace(s, Fixture("network.out"));
  Finish();
  EXPECT_EQ(PixelsOf(w->Surface(), kNorthPixel), 0);
  auto* combo = Child<QComboBox>(w, "CmbColorScheme");
  ASSERT_FALSE(combo->isHidden());
  const int geography = combo->findText(QStringLiteral("Geography"));
  ASSERT_GT(geography, 0);
  std::vector<std::string> labels;
  s.dialogs.onModal([&labels](QDialog& dialog) {
    auto* scheme = dynamic_cast<TSchemeColorsDlg*>(&dialog);
    if (scheme == nullptr) return 0;
    labels = scheme->EditedSchemeLabels();
    scheme->SetEditedSchemeColours({kNorthColour, kEastColour});
    return kModalOk;
  });
  combo->setCurrentIndex(geography);
  w->CmbColorSchemeChange();
  EXPECT_EQ(labels, (std::vector<std::string>{"North", "East"}));
  const int north = PixelsOf(w->Surface(), kNorthPixel);
  const int east = PixelsOf(w->Surface(), kEastPixel);
  EXPECT_GT(north, 20);
  EXPECT_GT(east, 10);
  EXPECT_GT(north, east);  // three of five

  // "None" switches the colours off again; Undo brings back what was shown before.
  combo->setCurrentIndex(0);
  w->CmbColorSchemeChange();
  EXPECT_EQ(PixelsOf(w->Surface(), kNorthPixel), 0);
  combo->setCurrentIndex(geography);
  w->CmbColorSchemeChange();
  EXPECT_GT(PixelsOf(w->Surface(), kNorthPixel), 20);

  // The PDF page shows the scheme as the screen does.
  const QImage page = RenderDiagramPage(*w->Diagram(), w->DisplayOptions(), PdfDiagramPageSize());
  EXPECT_GT(PixelsOf(page, kNorthPixel), 100);

  const std::string fdi = dir.file("coloured.fdi");
  s.dialogs.saveFile(fdi);
  Trigger(w, "Save1");
  Trigger(w, "Exit1");
  DeletePending();
  ASSERT_TRUE(w.isNull());

  w = new TGraphik_Menue(nullptr, kDesignScreen);
  s.dialogs.openFile(fdi);
  Trigger(w, "Open21");
  ASSERT_NE(w->Diagram(), nullptr);
  EXPECT_EQ(Child<QComboBox>(w, "CmbColorScheme")->currentText(), "Geography");
  EXPECT_EQ(PixelsOf(w->Surface(), kNorthPixel), north);
  EXPECT_EQ(PixelsOf(w->Surface(), kEastPixel), east);
}

// The size fields take typed values; the font field shows the labels' size after reopening.
TEST_F(DrawWindow, SizeFieldsTakeTypedValuesAndTheFontSizeSurvivesTheFdi) {
  testpaths::TempDir dir;
  ScriptedDialogsScope s;
  w->show();
  OpenAndPlace(s, Fixture("network.out"));
  Finish();
  auto* font = Child<QSpinBox>(w, "FontSizeSpin");
  EXPECT_EQ(font->value(), 6);
  Type(font, QStringLiteral("12"));
  EXPECT_EQ(font->value(), 12);
  for (const TaxonType& t : w->Diagram()->Taxa) EXPECT_EQ(t.NameHeight, 12);
  for (const LinkType& l : w->Diagram()->Links)
    for (const MutationType& m : l.Mutations) EXPECT_EQ(m.NameHeight, 12);
  const struct {
    const char* spin;
    const char* typed;
    int TDrawOptions::*option;
    int value;
  } sizes[] = {{"MedCircRadSpin", "5", &TDrawOptions::MedRadius, 5},
               {"TaxCircMinSizeSpin", "7", &TDrawOptions::MinRadius, 7},
               {"TaxCircMaxSizeSpin", "30", &TDrawOptions::MaxRadius, 30}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(size.spin);
    Type(Child<QSpinBox>(w, size.spin), QString::fromLatin1(size.typed));
    EXPECT_EQ(w->DisplayOptions().*size.option, size.value);
  }

  const std::string fdi = dir.file("sizes.fdi");
  s.dialogs.saveFile(fdi);
  Trigger(w, "Save1");
  Trigger(w, "Exit1");
  DeletePending();
  ASSERT_TRUE(w.isNull());
  w = new TGraphik_Menue(nullptr, kDesignScreen);
  Child<QSpinBox>(w, "FontSizeSpin")->setValue(8);  // whatever the field held before
  s.dialogs.openFile(fdi);
  Trigger(w, "Open21");
  ASSERT_NE(w->Diagram(), nullptr);
  EXPECT_EQ(Child<QSpinBox>(w, "FontSizeSpin")->value(), 12);
  EXPECT_EQ(w->Diagram()->Taxa[0].NameHeight, 12);
  EXPECT_EQ(w->DisplayOptions().MedRadius, 5);
  EXPECT_EQ(w->DisplayOptions().MaxRadius, 30);
}

// Right after an .fdi save the exports have nothing to warn about; a change after the save
// brings both the warning and the exit question back.
TEST_F(DrawWindow, ExportsAfterASaveDoNotWarnAndAChangeAfterItIsNotLost) {
  testpaths::TempDir dir;
  ScriptedDialogsScope s;
  OpenAndPlace(s, Fixture("network.out"));
  Finish();
  s.dialogs.saveFile(dir.file("saved.fdi"));
  Trigger(w, "Save1");
  ASSERT_TRUE(w->DiagramSaved());
  s.dialogs.clear();
  for (const char* file : {"right-after.bmp", "right-after.pdf"}) {
    s.dialogs.saveFile(dir.file(file));
    Trigger(w, "Save1");
    EXPECT_TRUE(std::filesystem::exists(dir.file(file))) << file;
  }
  EXPECT_FALSE(Contains(s.dialogs.messages(), kExportWarningText));

  // Zooming and moving the picture edit nothing; a node colour changed after the save does.
  Click(w, "Zoom_groesser");
  Click(w, "LeftButton");
  s.dialogs.saveFile(dir.file("zoomed.pdf"));
  Trigger(w, "Save1");
  EXPECT_FALSE(Contains(s.dialogs.messages(), kExportWarningText));
  const TDrawNetwork_Diagramm& d = *w->Diagram();
  ASSERT_EQ(d.Taxa[1].Pies.size(), 1u);
  const QPoint node(static_cast<int>(d.Taxa[1].X) + d.ImageOffsetX(),
                    static_cast<int>(d.Taxa[1].Y) + d.ImageOffsetY());
  int styled = 0;
  s.dialogs.onModal([&styled](QDialog& dialog) {
    auto* pie = dynamic_cast<TTaxonStyleDlg_new*>(&dialog);
    if (pie == nullptr) return 0;
    dialog.show();
    pie->SetPieColours({0x00FF00});
    pie->FormActivate();
    Child<QPushButton>(&dialog, "OKBtn")->click();
    ++styled;
    return dialog.result();
  });
  QTest::mouseClick(Child<QWidget>(w, "Image1"), Qt::RightButton, {}, node);
  ASSERT_EQ(styled, 1);
  ASSERT_EQ(d.Taxa[1].Pies.front().PieColor, static_cast<TColor>(0x00FF00));
  s.dialogs.saveFile(dir.file("changed.bmp"));
  Trigger(w, "Save1");
  EXPECT_TRUE(Contains(s.dialogs.messages(), kExportWarningText));
  s.dialogs.answer(DialogAnswer::No);  // exit without saving? No: save
  s.dialogs.saveFile(dir.file("changed.fdi"));
  Trigger(w, "Exit1");
  EXPECT_TRUE(Contains(s.dialogs.questions(), kExitQuestion));
  DeletePending();
  EXPECT_TRUE(w.isNull());
  EXPECT_NE(testpaths::readFile(dir.file("changed.fdi")).find("TAXON_COLOR_PIE1;65280;"),
            std::string::npos);
}

// On a 1600 x 1000 screen the finished window stays within the screen and every control can be
// reached (the control panel scrolls).
TEST(DrawWindowScreen, TheFinishedWindowFitsTheScreenWithEveryControlReachable) {
  const QSize screen(1600, 1000);
  QPointer<TGraphik_Menue> w = new TGraphik_Menue(nullptr, screen);
  w->setAttribute(Qt::WA_DeleteOnClose, false);
  ScriptedDialogsScope s;
  w->show();
  s.dialogs.openFile(testpaths::testData("window/network.out").string());
  s.dialogs.answer(DialogAnswer::No);
  w->findChild<QAction*>("Open21")->trigger();
  QTRY_VERIFY_WITH_TIMEOUT(w->PlacementDone(), 60000);
  w->findChild<QPushButton*>("FinalizeButton")->click();
  QCoreApplication::processEvents();
  EXPECT_LE(w->frameGeometry().width(), screen.width());
  EXPECT_LE(w->frameGeometry().height(), screen.height());
  auto* scroll = w->findChild<QScrollArea*>("ControlsScrollArea");
  ASSERT_NE(scroll, nullptr);
  int checked = 0;
  for (QAbstractButton* b : w->findChildren<QAbstractButton*>()) {
    if (!b->isVisibleTo(w)) continue;
    scroll->ensureWidgetVisible(b, 0, 0);
    QCoreApplication::processEvents();
    const QRect inWindow(b->mapTo(w.data(), QPoint(0, 0)), b->size());
    EXPECT_TRUE(w->rect().contains(inWindow)) << b->objectName().toStdString();
    EXPECT_FALSE(b->visibleRegion().isEmpty()) << b->objectName().toStdString();
    ++checked;
  }
  EXPECT_GT(checked, 15);
  EXPECT_FALSE(w->findChild<QWidget*>("HelpGroup")->isHidden());
  delete w.data();
  DeletePending();
}

// A .sto file cut in half is refused with the reader's message and nothing is drawn.
TEST_F(DrawWindow, ACutStoFileIsRefused) {
  testpaths::TempDir dir;
  std::string text = testpaths::readFile(Fixture("trees.sto"));
  text.resize(text.size() / 2);
  const std::string path = dir.file("cut.sto");
  testpaths::writeFile(path, text);
  ScriptedDialogsScope s;
  s.dialogs.openFile(path);
  Trigger(w, "Open21");
  EXPECT_EQ(s.dialogs.messages(),
            std::vector<std::string>{"The chosen file has the wrong format or contains no data."});
  EXPECT_TRUE(s.dialogs.questions().empty());
  EXPECT_FALSE(w->PlacementRunning());
  EXPECT_EQ(PixelsOf(w->Surface(), qRgb(0, 0, 0)), 0);
  EXPECT_EQ(testpaths::readFile(path), text);
}

// The PDF page keeps every node and label inside, also a large node at the top.
TEST(DiagramPdfPage, KeepsEveryNodeAndLabelInside) {
  TNetwork_Diagramm d;
  const auto node = [](const std::string& name, double x, double y, int frequency) {
    TaxonType t;
    t.Name = t.Label = name;
    t.X = x;
    t.Y = y;
    t.Frequency = t.OrigFrequency = frequency;
    t.NameHeight = 12;
    t.LineWidth = 1;
    t.Active = true;
    t.Pies = {Pie{"", 0x00FF00, frequency, bsSolid}};
    return t;
  };
  d.Taxa = {node("Top", 300, 100, 400), node("Left", 100, 300, 1), node("Right", 500, 300, 1),
            node("Bottom", 300, 400, 100)};
  for (const auto& [a, b] : {std::pair{"Top", "Left"}, {"Top", "Right"}, {"Left", "Bottom"}}) {
    LinkType l;
    l.Taxon1 = a;
    l.Taxon2 = b;
    l.Active = true;
    l.LineWidth = 1;
    d.Links.push_back(l);
  }
  d.DiagramCenter = {300, 250};
  d.ImageCenter = {388, 276};
  TDrawOptions o;
  o.MaxRadius = 100;
  const QSize size = PdfDiagramPageSize();
  const QImage page = RenderDiagramPage(d, o, size);
  // The green of the nodes: none on the border rows and columns, and the top node is whole (as
  // high as it is wide).
  QRect green;
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x)
      if ((page.pixel(x, y) & 0xFFFFFF) == 0x00FF00) green |= QRect(x, y, 1, 1);
  ASSERT_FALSE(green.isEmpty());
  EXPECT_GT(green.top(), 3);
  EXPECT_GT(green.left(), 3);
  EXPECT_LT(green.bottom(), size.height() - 4);
  EXPECT_LT(green.right(), size.width() - 4);
  int topWidth = 0;
  for (int x = green.left(); x <= green.right(); ++x)
    topWidth += (page.pixel(x, green.top() + 1) & 0xFFFFFF) == 0x00FF00;
  EXPECT_LT(topWidth, green.width() / 2);  // a circle's cap, not a cut-off flat edge
  // The labels: dark pixels stay away from the border too (the frame aside).
  int darkNearEdge = 0;
  for (int y = 4; y < page.height() - 4; ++y)
    for (int x : {4, 5, 6, page.width() - 7, page.width() - 6, page.width() - 5})
      darkNearEdge += qGray(page.pixel(x, y)) < 100;
  EXPECT_EQ(darkNearEdge, 0);
}
