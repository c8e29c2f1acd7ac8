// The MP options panel on the main window, driven offscreen with a stand-in solver.
#include "MPCalculation.h"
#include "MPPanel.h"
#include "OberflaecheForm.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <filesystem>

namespace {

struct PanelFixture : ::testing::Test {
  testpaths::TempDir dir;
  TUser_Menue window{QSize(1024, 768)};
  TMPPanel& panel = *window.mpPanel();

  void SetUp() override {
    panel.setSolverFolder(dir.path().string());
    panel.calculation().setTiming(15000, 10, 10);
    window.findChild<QAction*>("MPCalculation")->trigger();
  }
  void check(const char* name) { window.findChild<QRadioButton*>(name)->setChecked(true); }
  void click(const char* name) { window.findChild<QPushButton*>(name)->click(); }
  void writeSolver(const std::string& body) {
    const auto path = dir.path() / "Tesmo";
    testpaths::writeFile(path, "#!/bin/sh\n" + body + "\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
  }
};

}  // namespace

TEST_F(PanelFixture, MenuShowsThePanelWithTheDefaultOption) {
  EXPECT_TRUE(window.mpGroupBox()->isVisibleTo(&window));
  EXPECT_TRUE(window.isEnabled());
  EXPECT_EQ(panel.programNumber(), 4);
  EXPECT_FALSE(window.findChild<QRadioButton*>("RadioAllMPTrees")->isEnabled());
}

TEST_F(PanelFixture, EachOptionSelectsItsProgram) {
  const std::pair<const char*, int> cases[] = {
      {"RadioNearoptTree", 1}, {"RadioMPTree", 2}, {"RadioMPNetwork", 3}, {"RadioSetOfMPTrees", 4}};
  for (const auto& [name, program] : cases) {
    check(name);
    EXPECT_EQ(panel.programNumber(), program) << name;
  }
}

TEST_F(PanelFixture, CancelledFileDialogHidesThePanel) {
  ScriptedDialogsScope s;
  s.dialogs.openFile(std::nullopt);
  click("MPStartButton");
  EXPECT_FALSE(window.mpGroupBox()->isVisibleTo(&window));
  ASSERT_NE(s.dialogs.lastFileRequest(), nullptr);
  EXPECT_EQ(s.dialogs.lastFileRequest()->filter, "Tarvane output files (*.out) |*.out");
  EXPECT_TRUE(s.dialogs.messages().empty());
}

TEST_F(PanelFixture, MissingSolverIsReportedAfterTheNotice) {
  ScriptedDialogsScope s;
  s.dialogs.openFile(dir.file("net.out"));
  click("MPStartButton");
  EXPECT_EQ(s.dialogs.messages(),
            (std::vector<std::string>{mp::kStartNotice, mp::kSolverMissing}));
  EXPECT_FALSE(window.mpGroupBox()->isVisibleTo(&window));
}

TEST_F(PanelFixture, SuccessfulRunReportsAndHidesThePanel) {
  writeSolver("echo \"$2\" > \"$3\"; echo 'process time: 0s' > \"$4\"");
  testpaths::writeFile(dir.file("net.out"), "x\r\n");
  ScriptedDialogsScope s;
  s.dialogs.openFile(dir.file("net.out"));
  check("RadioMPTree");
  QSignalSpy spy(&panel, &TMPPanel::finished);
  click("MPStartButton");
  ASSERT_TRUE(spy.wait(20000));
  EXPECT_TRUE(spy.at(0).at(0).toBool());
  EXPECT_EQ(s.dialogs.messages(), (std::vector<std::string>{mp::kStartNotice, mp::kSucceeded}));
  EXPECT_EQ(testpaths::readFile(dir.file("net.sto")), "2\n");  // program 2 was asked for
  EXPECT_FALSE(window.mpGroupBox()->isVisibleTo(&window));
}

TEST_F(PanelFixture, WhileTheSolverRunsTheTimeShowsAndCancelStopsIt) {
  writeSolver("echo 'partial' > \"$3\"; echo 'args: x' > \"$4\"; exec sleep 60");
  testpaths::writeFile(dir.file("net.out"), "x\r\n");
  ScriptedDialogsScope s;
  s.dialogs.openFile(dir.file("net.out"));
  QSignalSpy spy(&panel, &TMPPanel::finished);
  auto* elapsed = window.findChild<QLabel*>("MPElapsedLabel");
  ASSERT_NE(elapsed, nullptr);
  EXPECT_FALSE(elapsed->isVisibleTo(&window));
  click("MPStartButton");
  EXPECT_TRUE(elapsed->isVisibleTo(&window));
  EXPECT_EQ(elapsed->text(), QStringLiteral("Tesmo is running: 0:00"));
  for (int i = 0; i < 400 && !std::filesystem::exists(dir.file("net.log")); ++i) QTest::qWait(10);
  QTest::qWait(50);
  ASSERT_TRUE(panel.calculation().running());
  EXPECT_TRUE(elapsed->text().startsWith(QStringLiteral("Tesmo is running: ")));
  EXPECT_FALSE(window.findChild<QPushButton*>("MPStartButton")->isEnabled());
  // The notice is shown as it stands, before the run.
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{mp::kStartNotice});

  click("MPCancelButton");
  ASSERT_EQ(spy.count(), 1);
  EXPECT_FALSE(spy.at(0).at(0).toBool());
  EXPECT_FALSE(panel.calculation().running());
  EXPECT_EQ(s.dialogs.messages(), (std::vector<std::string>{mp::kStartNotice, mp::kCancelled}));
  EXPECT_FALSE(std::filesystem::exists(dir.file("net.sto")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("net.log")));
  EXPECT_FALSE(window.mpGroupBox()->isVisibleTo(&window));
  EXPECT_FALSE(elapsed->isVisibleTo(&window));
  EXPECT_TRUE(window.findChild<QPushButton*>("MPStartButton")->isEnabled());
}

TEST_F(PanelFixture, HelpShowsTheExplanation) {
  ScriptedDialogsScope s;
  click("MPHelpButton");
  ASSERT_EQ(s.dialogs.messages().size(), 1u);
  EXPECT_EQ(s.dialogs.messages()[0].rfind("Reduced median networks and median-joining networks", 0),
            0u);
  click("MPCancelButton");
  EXPECT_FALSE(window.mpGroupBox()->isVisibleTo(&window));
}

// --- a finished result from an earlier run ----------------------------------------------------

namespace {

// A folder that already holds a finished result: its .sto and the .log that said so.
struct EarlierResultFixture : PanelFixture {
  const std::string earlierSto = "STO File, earlier result\r\n";
  const std::string earlierLog = "process time: 1s\r\n";
  void SetUp() override {
    PanelFixture::SetUp();
    testpaths::writeFile(dir.file("net.out"), "x\r\n");
    writeEarlierResult();
  }
  void writeEarlierResult() {
    testpaths::writeFile(dir.file("net.sto"), earlierSto);
    testpaths::writeFile(dir.file("net.log"), earlierLog);
  }
  std::string question() const { return mp::replaceQuestion(dir.file("net.sto")); }
  // The folder holds the network and the earlier result as they were, and nothing else.
  void expectEarlierResultKept() {
    EXPECT_EQ(testpaths::readFile(dir.file("net.sto")), earlierSto);
    EXPECT_EQ(testpaths::readFile(dir.file("net.log")), earlierLog);
    expectOnlyRunFiles();
  }
  void expectOnlyRunFiles() {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Tesmo", "net.log", "net.out", "net.sto"}));
  }
  // Starts a solver that has begun its files and works on, and waits until it runs.
  void startLongRun(ScriptedDialogsScope& s) {
    writeSolver("echo 'partial' > \"$3\"; echo 'args: x' > \"$4\"; exec sleep 60");
    s.dialogs.openFile(dir.file("net.out"));
    s.dialogs.answer(DialogAnswer::Yes);
    click("MPStartButton");
    for (int i = 0; i < 400 && testpaths::readFile(dir.file("net.log")) != "args: x\n"; ++i)
      QTest::qWait(10);
    ASSERT_TRUE(panel.calculation().running());
    ASSERT_EQ(testpaths::readFile(dir.file("net.sto")), "partial\n");
  }
};

}  // namespace

TEST_F(EarlierResultFixture, NoToTheQuestionStartsNothing) {
  writeSolver("echo new > \"$3\"; echo 'process time: 0s' > \"$4\"");
  ScriptedDialogsScope s;
  s.dialogs.openFile(dir.file("net.out"));
  s.dialogs.answer(DialogAnswer::No);
  click("MPStartButton");
  EXPECT_EQ(s.dialogs.texts(), std::vector<std::string>{question()});
  EXPECT_FALSE(panel.calculation().running());
  EXPECT_FALSE(window.mpGroupBox()->isVisibleTo(&window));
  QTest::qWait(50);
  expectEarlierResultKept();
}

// After Yes only a successful run replaces the earlier result. A failed one is no replacement: the
// earlier .sto comes back, beside the failed run's log that tells why it failed.
TEST_F(EarlierResultFixture, YesReplacesItOnlyWithASuccessfulRun) {
  struct Case {
    const char* solver;
    bool success;
    const char* message;
    std::string sto, log;
  };
  const Case cases[] = {
      {"echo new > \"$3\"; echo 'process time: 0s' > \"$4\"", true, mp::kSucceeded, "new\n",
       "process time: 0s\n"},
      {"echo partial > \"$3\"; echo 'Error: out of memory' > \"$4\"; exit 1", false, mp::kFailed,
       earlierSto, "Error: out of memory\n"},
  };
  for (const Case& c : cases) {
    writeEarlierResult();
    window.findChild<QAction*>("MPCalculation")->trigger();
    writeSolver(c.solver);
    ScriptedDialogsScope s;
    s.dialogs.openFile(dir.file("net.out"));
    s.dialogs.answer(DialogAnswer::Yes);
    QSignalSpy spy(&panel, &TMPPanel::finished);
    click("MPStartButton");
    ASSERT_TRUE(spy.wait(20000)) << c.solver;
    EXPECT_EQ(spy.at(0).at(0).toBool(), c.success) << c.solver;
    EXPECT_EQ(s.dialogs.texts(), (std::vector<std::string>{question(), mp::kStartNotice, c.message}));
    EXPECT_EQ(testpaths::readFile(dir.file("net.sto")), c.sto) << c.solver;
    EXPECT_EQ(testpaths::readFile(dir.file("net.log")), c.log) << c.solver;
    expectOnlyRunFiles();
  }
}

// Cancel removes only what the cancelled run wrote; the earlier result comes back whole.
TEST_F(EarlierResultFixture, CancelOfTheNewRunKeepsTheEarlierResult) {
  ScriptedDialogsScope s;
  ASSERT_NO_FATAL_FAILURE(startLongRun(s));
  click("MPCancelButton");
  EXPECT_FALSE(panel.calculation().running());
  EXPECT_EQ(s.dialogs.texts(),
            (std::vector<std::string>{question(), mp::kStartNotice, mp::kCancelled}));
  expectEarlierResultKept();
}

// --- exit while the solver runs ---------------------------------------------------------------

TEST_F(EarlierResultFixture, ExitWhileTheSolverRunsAsksAndStopsItOnlyOnYes) {
  window.show();
  ScriptedDialogsScope s;
  ASSERT_NO_FATAL_FAILURE(startLongRun(s));
  QSignalSpy closed(&window, &TUser_Menue::closed);

  s.dialogs.answer(DialogAnswer::No);
  window.findChild<QAction*>("Exit1")->trigger();
  EXPECT_EQ(s.dialogs.questions().back(), mp::kStillRunning);
  EXPECT_EQ(closed.count(), 0);
  EXPECT_TRUE(window.isVisible());
  EXPECT_TRUE(panel.calculation().running());
  EXPECT_EQ(testpaths::readFile(dir.file("net.sto")), "partial\n");

  // The window's close button takes the same road as Exit.
  s.dialogs.answer(DialogAnswer::Yes);
  window.close();
  EXPECT_EQ(s.dialogs.questions(), (std::vector<std::string>{question(), mp::kStillRunning,
                                                             mp::kStillRunning}));
  EXPECT_EQ(closed.count(), 1);
  EXPECT_FALSE(window.isVisible());
  EXPECT_FALSE(panel.calculation().running());
  // Quietly: the program is ending, and the run's own files are gone.
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{mp::kStartNotice});
  expectEarlierResultKept();
}

TEST_F(PanelFixture, ExitDuringAFirstRunLeavesNoPartialFiles) {
  writeSolver("echo 'partial' > \"$3\"; echo 'args: x' > \"$4\"; exec sleep 60");
  testpaths::writeFile(dir.file("net.out"), "x\r\n");
  window.show();
  ScriptedDialogsScope s;
  s.dialogs.openFile(dir.file("net.out"));
  click("MPStartButton");
  for (int i = 0; i < 400 && !std::filesystem::exists(dir.file("net.log")); ++i) QTest::qWait(10);
  ASSERT_TRUE(panel.calculation().running());
  s.dialogs.answer(DialogAnswer::Yes);
  window.findChild<QAction*>("Exit1")->trigger();
  EXPECT_FALSE(panel.calculation().running());
  EXPECT_FALSE(std::filesystem::exists(dir.file("net.sto")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("net.log")));
  EXPECT_TRUE(std::filesystem::exists(dir.file("net.out")));
}
