#include "MPCalculation.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include <signal.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

using testpaths::TempDir;

// A stand-in solver: a shell script that records its arguments and then does `body`.
std::string writeSolver(const TempDir& dir, const std::string& body) {
  const std::string path = dir.file("Tesmo");
  testpaths::writeFile(path, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + dir.file("args.txt") +
                                 "\"\n" + body + "\n");
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
  return path;
}

struct SolverRun {
  bool started = false;
  bool success = false;
  std::vector<std::string> messages;
};

SolverRun runSolver(const std::string& solver, const std::string& out, int program,
              std::function<void(mp::MPCalculation&)> setup = {}) {
  ScriptedDialogsScope s;
  mp::MPCalculation calc;
  calc.setTiming(15000, 10, 10);
  if (setup) setup(calc);
  QSignalSpy spy(&calc, &mp::MPCalculation::finished);
  SolverRun r;
  r.started = calc.start(solver, out, program);
  if (r.started) {
    EXPECT_TRUE(spy.wait(20000));
    if (!spy.isEmpty()) r.success = spy.takeFirst().at(0).toBool();
  }
  r.messages = s.dialogs.messages();
  return r;
}

}  // namespace

TEST(MPNames, DerivesResultAndLogFromTheOutName) {
  EXPECT_EQ(mp::resultName("/data/net.out"), "/data/net.sto");
  EXPECT_EQ(mp::logName("/data/net.out"), "/data/net.log");
  EXPECT_EQ(mp::solverArguments("/data/net.out", 4),
            (std::vector<std::string>{"/data/net.out", "4", "/data/net.sto", "/data/net.log"}));
}

TEST(MPLog, EndLinesDecideTheVerdict) {
  struct Case { const char* log; mp::LogVerdict verdict; };
  const Case cases[] = {
      {"", mp::LogVerdict::Running},
      {"args: x\nsize: |V|=3\n", mp::LogVerdict::Running},
      {"Error: out file not found: x.out\n", mp::LogVerdict::Failed},
      {"args: x\r\nWarning: (x) in file 'Tesmo' line 3\r\n", mp::LogVerdict::Failed},
      {"Warning\n", mp::LogVerdict::Running},  // no colon: not a failure line
      {"error: lower case\n", mp::LogVerdict::Running},
      {"a\nprocess time: 0s, real time: 0s\n", mp::LogVerdict::Succeeded},
      {"process time: 0", mp::LogVerdict::Succeeded},  // last line without a line end
      {"Error: first\nprocess time: 0\n", mp::LogVerdict::Failed},
      {"process time: 0\nError: later\n", mp::LogVerdict::Succeeded},
  };
  for (const Case& c : cases) EXPECT_EQ(mp::scanLog(c.log), c.verdict) << c.log;
}

class MPRunTest : public ::testing::Test {
protected:
  TempDir dir;
  std::string out = dir.file("net.out");
  void SetUp() override { testpaths::writeFile(out, "network\r\n"); }
  std::vector<std::string> args() {
    std::vector<std::string> lines;
    std::ifstream in(dir.file("args.txt"));
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
  }
};

TEST_F(MPRunTest, PassesOutProgramStoAndLogForEveryProgram) {
  const std::string solver =
      writeSolver(dir, "echo 'process time: 0' > \"$4\"; echo sto > \"$3\"");
  for (int program : {1, 2, 3, 4}) {
    const SolverRun r = runSolver(solver, out, program);
    ASSERT_TRUE(r.started);
    EXPECT_TRUE(r.success) << program;
    EXPECT_EQ(args(), (std::vector<std::string>{out, std::to_string(program),
                                                dir.file("net.sto"), dir.file("net.log")}));
    EXPECT_EQ(r.messages, std::vector<std::string>{mp::kSucceeded});
  }
}

TEST_F(MPRunTest, FailureLinesAndBadEndingsGiveTheErrorMessage) {
  struct Case { const char* body; };
  const Case cases[] = {
      {"echo 'Error: x' > \"$4\"; exit 1"},
      {"echo 'Warning: x' > \"$4\"; echo 'process time: 0' >> \"$4\""},
      {"echo 'process time: 0' > \"$4\"; echo sto > \"$3\"; exit 1"},  // non-zero exit
      {"echo 'process time: 0' > \"$4\""},                              // no .sto written
      {"echo 'args: x' > \"$4\""},                                      // ended without end line
      {"exit 0"},                                                       // never wrote a log
  };
  for (const Case& c : cases) {
    const SolverRun r = runSolver(writeSolver(dir, c.body), out, 4);
    EXPECT_FALSE(r.success) << c.body;
    EXPECT_EQ(r.messages, std::vector<std::string>{mp::kFailed}) << c.body;
  }
}

TEST_F(MPRunTest, NoLogWithinTheWaitLimitFailsWithoutWaitingRealTime) {
  const std::string solver = writeSolver(dir, "sleep 30");
  qint64 fake = 0;
  const SolverRun r = runSolver(solver, out, 4, [&](mp::MPCalculation& c) {
    c.setClock([&] { return fake += 1000; });  // every poll is a second later
  });
  EXPECT_FALSE(r.success);
  EXPECT_EQ(r.messages, std::vector<std::string>{mp::kFailed});
}

// An earlier run's files must not decide this run, and only a successful run replaces them.
TEST_F(MPRunTest, EarlierFilesDoNotDecideTheRunAndComeBackWhenItFails) {
  testpaths::writeFile(dir.file("net.log"), "process time: 0\n");
  testpaths::writeFile(dir.file("net.sto"), "old\n");
  const SolverRun failed = runSolver(writeSolver(dir, "exit 1"), out, 4);
  EXPECT_FALSE(failed.success);
  EXPECT_EQ(testpaths::readFile(dir.file("net.sto")), "old\n");
  EXPECT_EQ(testpaths::readFile(dir.file("net.log")), "process time: 0\n");

  const SolverRun replaced =
      runSolver(writeSolver(dir, "echo new > \"$3\"; echo 'process time: 1' > \"$4\""), out, 4);
  EXPECT_TRUE(replaced.success);
  EXPECT_EQ(testpaths::readFile(dir.file("net.sto")), "new\n");
  EXPECT_EQ(testpaths::readFile(dir.file("net.log")), "process time: 1\n");
  // Nothing set aside stays behind.
  for (const auto& e : std::filesystem::directory_iterator(dir.path()))
    EXPECT_EQ(e.path().filename().string().find(".earlier"), std::string::npos) << e.path();
}

TEST_F(MPRunTest, MissingSolverStartsNothing) {
  const SolverRun r = runSolver(dir.file("Tesmo"), out, 4);
  EXPECT_FALSE(r.started);
  EXPECT_EQ(r.messages, std::vector<std::string>{
                            "Error in MP calculation: Tesmo.exe must be in the same folder as "
                            "Tarvane.exe. (If you have made a link to Tarvane.exe on your "
                            "desktop, you must also make a link to Tesmo.exe)."});
}

TEST(MPElapsed, RunningTextShowsMinutesAndSeconds) {
  const std::pair<qint64, const char*> cases[] = {
      {0, "Tesmo is running: 0:00"},     {999, "Tesmo is running: 0:00"},
      {65000, "Tesmo is running: 1:05"}, {600000, "Tesmo is running: 10:00"},
      {-5, "Tesmo is running: 0:00"}};
  for (const auto& [ms, text] : cases) EXPECT_EQ(mp::runningText(ms), text) << ms;
}

// A solver that has begun its log and result and then works on: its process id goes to pid.txt.
constexpr const char* kLongSolver =
    "echo $$ > \"$(dirname \"$4\")/pid.txt\"; echo 'partial' > \"$3\"; echo 'args: x' > \"$4\"; "
    "exec sleep 60";

bool processAlive(const std::string& pidFile) {
  const std::string text = testpaths::readFile(pidFile);
  const int pid = std::atoi(text.c_str());
  return pid > 0 && ::kill(pid, 0) == 0;
}

TEST_F(MPRunTest, CancelEndsTheSolverRemovesItsFilesAndSaysSo) {
  ScriptedDialogsScope s;
  mp::MPCalculation calc;
  calc.setTiming(15000, 10, 10);
  qint64 fake = 0;
  calc.setClock([&] { return fake; });
  QSignalSpy finished(&calc, &mp::MPCalculation::finished);
  QSignalSpy progress(&calc, &mp::MPCalculation::progress);
  EXPECT_FALSE(calc.cancel());  // nothing runs yet
  ASSERT_TRUE(calc.start(writeSolver(dir, kLongSolver), out, 4));
  // Wait until the solver has written its log and the watch has looked at it.
  for (int i = 0; i < 400 && !(std::filesystem::exists(dir.file("net.log")) &&
                                std::filesystem::exists(dir.file("pid.txt")) &&
                                progress.count() > 2);
       ++i) {
    fake += 1000;
    QTest::qWait(10);
  }
  ASSERT_TRUE(std::filesystem::exists(dir.file("net.log")));
  ASSERT_TRUE(processAlive(dir.file("pid.txt")));
  EXPECT_TRUE(calc.running());
  // The elapsed time follows the clock.
  EXPECT_GT(progress.last().at(0).toLongLong(), 0);
  EXPECT_EQ(calc.elapsedMs(), fake);

  EXPECT_TRUE(calc.cancel());
  EXPECT_FALSE(calc.running());
  EXPECT_FALSE(processAlive(dir.file("pid.txt")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("net.sto")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("net.log")));
  EXPECT_TRUE(std::filesystem::exists(out));  // the network itself stays
  ASSERT_EQ(finished.count(), 1);
  EXPECT_FALSE(finished.at(0).at(0).toBool());
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{mp::kCancelled});
  // Nothing more comes from the stopped run.
  QTest::qWait(50);
  EXPECT_EQ(finished.count(), 1);
  EXPECT_FALSE(calc.cancel());
}
