#include "Check.h"
#include "LogStream.h"
#include "RunTimer.h"

#include "LogCapture.h"

#include <gtest/gtest.h>

using tesmo::log;

namespace {

TEST(LogStreamTest, PartsAboveTheVerbosityLeaveNoTrace) {
  tesmotest::LogCapture capture(2);
  log(0) << "zero " << 1 << '\n';
  log(2) << "two " << tesmo::Arc{3, 4, 9} << " " << 2.5 << " " << 7.0f << " " << true << '\n';
  log(3) << "three" << std::endl;
  log(1) << "null:" << static_cast<const char*>(nullptr) << ":" << std::int64_t{5000000000} << std::endl;
  EXPECT_EQ(capture.text(), "zero 1\ntwo (3-4) 2.5 7 1\nnull::5000000000\n");
}

TEST(LogStreamTest, VerbosityZeroKeepsOnlyLevelZero) {
  tesmotest::LogCapture capture(0);
  log(0) << "\nsteiner computation finished.\n";
  tesmo::RunTimer::printTime(1, 3.0, 3);
  EXPECT_EQ(capture.text(), "\nsteiner computation finished.\n");
}

TEST(LogStreamTest, NothingIsWrittenBeforeTheLogOpens) {
  tesmo::logStream.closeLog();
  testing::internal::CaptureStdout();
  log(0) << "dropped" << std::endl;
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(LogStreamTest, ScreenAndFileReceiveTheSameText) {
  tesmotest::LogCapture capture(3);
  tesmo::shell.Sset("screen", "1");
  tesmo::logStream.openLog();  // reopening truncates again: outputAppend is 0
  testing::internal::CaptureStdout();
  log(1) << "both " << 7 << std::endl;
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "both 7\n");
  EXPECT_EQ(capture.text(), "both 7\n");
}

TEST(LogStreamTest, AppendsWhenAskedTo) {
  tesmotest::LogCapture capture(3);
  log(0) << "first" << std::endl;
  tesmo::shell.Sset("outputAppend", "1");
  tesmo::logStream.openLog();
  log(0) << "second" << std::endl;
  EXPECT_EQ(capture.text(), "first\nsecond\n");
}

struct TimeCase {
  double elapsed;
  long real;
  const char* expected;
};
void PrintTo(const TimeCase& c, std::ostream* os) { *os << c.elapsed; }

class PrintTime : public ::testing::TestWithParam<TimeCase> {};

TEST_P(PrintTime, BreaksLongRunsDown) {
  tesmotest::LogCapture capture(1);
  tesmo::RunTimer::printTime(1, GetParam().elapsed, GetParam().real);
  EXPECT_EQ(capture.text(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PrintTime,
    ::testing::Values(
        TimeCase{0.0, 0, "process time: 0s, real time: 0s\n"},
        TimeCase{2000.0, 2001, "process time: 2000s, real time: 2001s\n"},
        TimeCase{2500.0, 2500, "process time: 2500s, real time: 2500s\n(41 minutes, 40 seconds)\n"},
        TimeCase{3601.0, 3601, "process time: 3601s, real time: 3601s\n(1 hours, 0 minutes, 1 seconds)\n"},
        TimeCase{90000.0, 90000,
                 "process time: 90000s, real time: 90000s\n(1 days, 1 hours, 0 minutes, 0 seconds)\n"},
        TimeCase{86400.0, 86400,
                 "process time: 86400s, real time: 86400s\n(0 hours, 0 minutes, 0 seconds)\n"}));

TEST(RunTimerTest, StartsAtZeroAndLogsAtLevelFive) {
  tesmotest::LogCapture capture(5);
  tesmo::RunTimer timer;
  timer.startTimer();
  EXPECT_EQ(timer.elapsedTime(), 0.0);
  EXPECT_LE(timer.realSeconds(), 1);
  EXPECT_EQ(capture.text(), "timer started.\n");
}

// --- failure exits ---

// The death tests fork, so the child writes into the log file the parent then reads.
using FailureExit = ::testing::Test;

TEST_F(FailureExit, AFailedCheckWritesItsWarningToLogAndScreenAndEndsWithOne) {
  tesmotest::LogCapture capture(0);
  EXPECT_EXIT(TESMO_CHECK(1 + 1 == 2, "tools"), ::testing::ExitedWithCode(1), "");
  const std::string text = capture.text();
  EXPECT_EQ(text.rfind("Warning: (1 + 1 == 2) in file 'tools' line ", 0), 0u) << text;
}

TEST_F(FailureExit, WarningReachesTheLogWithoutScreenOutput) {
  tesmotest::LogCapture capture(0);
  EXPECT_EXIT(tesmo::exitWithWarning("x>y", 12, "reduceGraph"), ::testing::ExitedWithCode(1), "");
  EXPECT_EQ(capture.text(), "Warning: (x>y) in file 'reduceGraph' line 12\n");
}

TEST_F(FailureExit, ExitWarningZeroLogsAndContinues) {
  tesmotest::LogCapture capture(0);
  tesmo::shell.Sset("exitWarning", "0");
  tesmo::shell.Sset("problem", "net.out");
  std::vector<std::string> dumpedTo;
  std::string comment;
  const tesmo::WarningDump dump = [&](const std::string& f, const std::string& c) {
    dumpedTo.push_back(f);
    comment = c;
  };
  tesmo::exitWithWarning("a<b", 7, "branching", dump);
  EXPECT_EQ(comment.rfind("Time: ", 0), 0u);
  EXPECT_NE(comment.find("\nWarning: (a<b) in file 'branching' line 7\nProblem: net.out"), std::string::npos);
  tesmo::shell.Sset("exitSaveGraph", "dump.stp");
  TESMO_CHECK_DUMP(dumpedTo.size() == 1, "Tesmo", dump);
  TESMO_CHECK(dumpedTo.empty(), "Tesmo");  // holds: no report
  EXPECT_EQ(dumpedTo, (std::vector<std::string>{"", "dump.stp"}));
  const auto lines = tesmotest::linesOf(capture.text());
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "Warning: (a<b) in file 'branching' line 7");
  EXPECT_EQ(lines[1].rfind("Warning: (dumpedTo.size() == 1) in file 'Tesmo' line ", 0), 0u);
}

TEST_F(FailureExit, AWarningStartsALineOfItsOwn) {
  tesmotest::LogCapture capture(2);
  tesmo::shell.Sset("exitWarning", "0");
  log(2) << tesmo::Arc{2, 1, 3} << 3 << ", ";
  log(3) << "hidden\n";  // not written: the line stays open
  tesmo::exitWithWarning("x", 5, "Tesmo");
  log(2) << "next" << std::endl;
  tesmo::exitWithWarning("y", 6, "Tesmo");
  EXPECT_EQ(capture.text(), "(2-1)3, \nWarning: (x) in file 'Tesmo' line 5\nnext\nWarning: (y) in file 'Tesmo' line 6\n");
}

TEST_F(FailureExit, AssertFailWithoutLineNumber) {
  tesmotest::LogCapture capture(0);
  EXPECT_EXIT(tesmo::assertFail("stack empty", 0, "extArray"), ::testing::ExitedWithCode(1), "");
  EXPECT_EQ(capture.text(), "Warning: stack empty\n");
}

TEST_F(FailureExit, ErrorExitsWriteTheirErrorLineFirst) {
  tesmotest::LogCapture capture(0);
  tesmo::verbose = -1;  // even below level 0
  EXPECT_EXIT(tesmo::exitWithError("out file not found: x.out", 3), ::testing::ExitedWithCode(3), "");
  EXPECT_EQ(capture.text(), "Error: out file not found: x.out\n");
}

TEST_F(FailureExit, ErrorBeforeTheLogOpensGoesToStandardError) {
  tesmo::logStream.closeLog();
  EXPECT_EXIT(tesmo::exitWithError("bad start"), ::testing::ExitedWithCode(1), "Error: bad start");
}

}  // namespace

#include "DisplayHooks.h"

namespace {

TEST(DisplayHooksTest, NoDisplayIsAttached) {
  tesmotest::LogCapture capture(3);
  EXPECT_FALSE(tesmo::displayActive());
  EXPECT_EQ(tesmo::displayQuery(), 0);
  tesmo::displaySubproblem(1);
  tesmo::displayContinue();
  tesmo::displayWait();
  tesmo::displayBranching(42);
  tesmo::displayNotLinked();
  EXPECT_EQ(capture.text(), "Display nicht eingebunden.\n");
}

}  // namespace
