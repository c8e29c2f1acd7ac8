#include "Shell.h"

#include "LogCapture.h"

#include <gtest/gtest.h>

using tesmo::shell;

namespace {

class ShellTest : public ::testing::Test {
protected:
  void SetUp() override { reset(); }
  void TearDown() override { reset(); }
  static void reset() {
    shell.clearVariables();
    shell.phase = shell.Phase = 0;
    shell.echoLevel = 0;
  }
};

// Which entry answers key zDepth for a given phase and class letter. Entries are pushed in the
// order listed; the first match from the newest wins.
struct LookupCase {
  const char* label;
  std::vector<std::pair<const char*, const char*>> entries;
  char Phase;
  char phase;
  const char* expected;  // null: no match
};
void PrintTo(const LookupCase& c, std::ostream* os) { *os << c.label; }

class ShellLookup : public ShellTest, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(ShellLookup, FirstMatchFromTheNewestWins) {
  const LookupCase& c = GetParam();
  for (const auto& [name, value] : c.entries) shell.Sset(name, value);
  shell.Phase = c.Phase;
  shell.phase = c.phase;
  const char* got = shell.Sget("zDepth");
  if (!c.expected)
    EXPECT_EQ(got, nullptr);
  else
    EXPECT_STREQ(got, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ShellLookup,
    ::testing::Values(
        LookupCase{"plain", {{"zDepth", "1"}}, 0, 0, "1"},
        LookupCase{"phaseOnly", {{"2zDepth", "5"}}, 0, '2', "5"},
        LookupCase{"classOnly", {{"WzDepth", "6"}}, 'W', 0, "6"},
        LookupCase{"classAndPhase", {{"W2zDepth", "7"}}, 'W', '2', "7"},
        LookupCase{"classAndPhaseNeedsBoth", {{"W2zDepth", "7"}}, 'W', 0, nullptr},
        LookupCase{"otherPhase", {{"3zDepth", "3"}}, 'W', '2', nullptr},
        LookupCase{"otherClass", {{"VzDepth", "3"}}, 'W', '2', nullptr},
        LookupCase{"phaseBeforeClassOrderDoesNotMatter", {{"2WzDepth", "9"}}, 'W', '2', nullptr},
        LookupCase{"newerLessSpecificWins", {{"W2zDepth", "7"}, {"zDepth", "1"}}, 'W', '2', "1"},
        LookupCase{"newerMoreSpecificWins", {{"zDepth", "1"}, {"W2zDepth", "7"}}, 'W', '2', "7"},
        LookupCase{"sameNameNewestWins", {{"zDepth", "1"}, {"zDepth", "2"}}, 0, 0, "2"},
        LookupCase{"caseSensitive", {{"zdepth", "1"}}, 0, 0, nullptr}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(ShellTest, AZeroPrefixNeverMatches) {
  shell.Sset(std::string_view("\0zDepth", 7), "4");
  EXPECT_EQ(shell.Sget("zDepth"), nullptr);
}

TEST_F(ShellTest, SettingAgainAfterAClassEntryWins) {
  shell.Phase = 'W';
  shell.Sset("a", "1");
  shell.Sset("Wa", "2");
  EXPECT_EQ(shell.Iget("a", 0), 2);
  shell.Sset("a", "3");
  EXPECT_EQ(shell.Iget("a", 0), 3);
}

TEST_F(ShellTest, AssignmentsSplitAtTheFirstEquals) {
  shell.setAssignment("x=");
  shell.setAssignment("x");
  shell.setAssignment("=5");
  EXPECT_EQ(shell.Sget("x"), nullptr);
  EXPECT_EQ(shell.Sget(""), nullptr);
  shell.setAssignment("x==1");
  EXPECT_STREQ(shell.Sget("x"), "=1");
  shell.setAssignment("cut=;C(G(v3) a=b ");
  EXPECT_STREQ(shell.Sget("cut"), ";C(G(v3) a=b ");
  const char* list[] = {"p=1", "junk", "q=two", nullptr};
  shell.setAssignments(list);
  EXPECT_EQ(shell.Iget("p", 0), 1);
  EXPECT_STREQ(shell.Sget("q"), "two");
  EXPECT_EQ(shell.Sget("junk"), nullptr);
}

struct NumberCase {
  const char* value;
  int asInt;
  double asDouble;
};
void PrintTo(const NumberCase& c, std::ostream* os) { *os << c.value; }

class ShellNumbers : public ShellTest, public ::testing::WithParamInterface<NumberCase> {};

TEST_P(ShellNumbers, ReadLeadingNumbers) {
  shell.Sset("k", GetParam().value);
  EXPECT_EQ(shell.Iget("k", -7), GetParam().asInt);
  EXPECT_DOUBLE_EQ(shell.Fget("k", -7.0), GetParam().asDouble);
}

INSTANTIATE_TEST_SUITE_P(Table, ShellNumbers,
                         ::testing::Values(NumberCase{"12abc", 12, 12.0}, NumberCase{"abc", 0, 0.0},
                                           NumberCase{"-3", -3, -3.0}, NumberCase{" 42", 42, 42.0},
                                           NumberCase{"2.5e1", 2, 25.0},
                                           NumberCase{"99999999999", 2147483647, 99999999999.0}));

TEST_F(ShellTest, DefaultsWhenUnsetAndBasename) {
  EXPECT_EQ(shell.Iget("none", 100), 100);
  EXPECT_DOUBLE_EQ(shell.Fget("none", 0.5), 0.5);
  EXPECT_STREQ(shell.Sget("none", "d"), "d");
  EXPECT_EQ(shell.basenameGet("none"), nullptr);
  shell.Sset("problem", "dir/sub/x.out");
  EXPECT_STREQ(shell.basenameGet("problem"), "x.out");
  shell.Sset("plain", "x.out");
  EXPECT_STREQ(shell.basenameGet("plain"), "x.out");
}

TEST_F(ShellTest, EchoLinesGoToTheLogAtTheEchoLevel) {
  tesmotest::LogCapture capture(4);
  shell.echoLevel = 4;
  shell.Iget("Stack", 100);
  shell.Sset("found", "7x");
  shell.Iget("found", 1);
  shell.Sget("found", "d");
  shell.Sget("found");          // no default: no echo
  shell.Fget("ratio", 0.25);
  shell.echoLevel = 5;          // above the verbosity: nothing
  shell.Iget("quiet", 1);
  EXPECT_EQ(capture.text(), "Stack=100 (default)\nfound=7\nfound=7x\nratio=0.25 (default)\n");
}

TEST_F(ShellTest, CommandBlocksEndAtStartOrQuit) {
  tesmotest::LogCapture capture(3);
  std::istringstream input("a=1 b=2 start c=3 quit d=4");
  EXPECT_TRUE(shell.readCommands(input));
  EXPECT_EQ(shell.Iget("a", 0), 1);
  EXPECT_EQ(shell.Iget("c", 0), 0);
  EXPECT_FALSE(shell.readCommands(input));
  EXPECT_EQ(shell.Iget("c", 0), 3);
  EXPECT_TRUE(shell.readCommands(input));  // d=4 then the end: one more block
  EXPECT_FALSE(shell.readCommands(input));
  EXPECT_EQ(capture.text(),
            "Program terminated with 'quit'.\nProgram terminated (no further 'starts').\n\n");
}

TEST_F(ShellTest, LoadProblemReappliesTheCommandLine) {
  std::istringstream input("problem=a.stp x=1 start problem=b.stp start");
  shell.arguments = {"x=9"};
  EXPECT_STREQ(shell.loadProblem(input), "a.stp");
  EXPECT_EQ(shell.Iget("x", 0), 9);
  EXPECT_STREQ(shell.loadProblem(input), "b.stp");
  EXPECT_EQ(shell.loadProblem(input), nullptr);
  shell.arguments.clear();
}

}  // namespace
