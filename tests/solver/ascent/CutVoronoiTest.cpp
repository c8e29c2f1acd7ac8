// The interactive ascent + with picks handed in (the chain, the region it cuts off and the
// region graph), and the tunnel pairs of the ball ascents o and O.

#include "CutBound.h"
#include "ReduceByString.h"
#include "ScriptLetterSetup.h"
#include "Shell.h"
#include "VoronoiAscent.h"

#include "ConsistencyCheck.h"
#include "InstanceBuilders.h"
#include "LogCapture.h"
#include "SafetyTest.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace tesmo;
using namespace tesmotest;

namespace {

using Settings = std::vector<std::pair<const char*, const char*>>;

void applySettings(const Settings& settings) {
  shell.clearVariables();
  registerScriptLetters();
  shell.Sset("exitWarning", "0");
  shell.Sset("exitSaveGraph", "/dev/null");
  shell.Sset("Reduction", "v");  // the exact search of the region graph runs it at every node
  for (const auto& [name, value] : settings) shell.Sset(name, value);
}

// Hands out the terminal indices of each round in turn; a round ends at its first repeat, and
// once the rounds are used up every pick is 0 (nothing picked).
class Picks {
public:
  explicit Picks(std::vector<std::vector<int>> rounds) : rounds_(std::move(rounds)) {}
  int operator()(ReduceGraph&) {
    if (round_ >= rounds_.size()) return 0;
    const std::vector<int>& r = rounds_[round_];
    if (next_ < r.size()) return r[next_++];
    next_ = 0;
    ++round_;
    return r.empty() ? 0 : r.front();  // a repeat ends the round
  }

private:
  std::vector<std::vector<int>> rounds_;
  std::size_t round_ = 0, next_ = 0;
};

void runPicked(ReduceGraph& R, std::vector<std::vector<int>> rounds) {
  Picks picks(std::move(rounds));
  ascent2Picking(R, [&picks](ReduceGraph& G) { return picks(G); });
}

struct InteractiveCase {
  const char* name;
  int V;
  std::vector<Edge> edges;
  std::vector<int> terminals;
  std::vector<std::vector<int>> rounds;
  std::vector<const char*> logged;
  std::vector<const char*> absent;
};

// Whatever the picks, the instance stays as it was: without a cut bound nothing is proven.
TEST(InteractiveAscent, ChainRegionAndGraphWithPicksHandedIn) {
  const std::vector<InteractiveCase> cases{
      {"region behind the chain",
       6,
       {{1, 2, 1}, {2, 3, 1}, {1, 4, 5}, {4, 3, 5}, {4, 5, 2}, {3, 6, 1}},
       {1, 3, 6},
       {{1, 2}},
       {"enter terminals\n", "cReq[0]:2, \n", "1-3  ", "d[stop]:2, cUpper:2, ", "\ngraph build: ",
        "RE.Vanz:5, RE.Eanz:5, \n", "Warning: (No LP library available, row-generation not possible!) in file 'cuts'"},
       {"no partitioning possible\n", "additional terminal: "}},
      {"every free vertex sees another terminal",
       5,
       {{1, 2, 1}, {2, 3, 1}, {1, 4, 5}, {4, 5, 1}, {3, 5, 9}},
       {1, 3, 5},
       {{1, 2}},
       {"1-3  ", "no partitioning possible\n"},
       {"\ngraph build: ", "Warning: "}},
      {"a terminal on the chain joins the list",
       5,
       {{1, 2, 1}, {2, 3, 1}, {1, 4, 3}, {4, 3, 3}},
       {1, 3, 2},
       {{1, 2}},
       {"additional terminal: 2", "cReq[0]:2, \n", "\ngraph build: ", "RE.Eanz:4, "},
       {"no partitioning possible\n"}},
      {"a pick the chain cannot reach",
       4,
       {{1, 2, 1}, {3, 4, 1}},
       {1, 4},
       {{1, 2}},
       {"1-4  ", "no partitioning possible\n"},
       {"\ngraph build: "}},
      {"two rounds, then nothing picked",
       6,
       {{1, 2, 1}, {2, 3, 1}, {1, 4, 5}, {4, 3, 5}, {4, 5, 2}, {3, 6, 1}},
       {1, 3, 6},
       {{1, 2}, {2, 3}},
       {"1-3  ", "3-6  "},
       {}},
      {"a single pick ends at once",
       3,
       {{1, 2, 1}, {2, 3, 1}},
       {1, 3},
       {{1}},
       {"enter terminals\n"},
       {"cReq[0]", "-3  "}},
  };
  for (const InteractiveCase& c : cases) {
    SCOPED_TRACE(c.name);
    LogCapture log{4};
    applySettings({});
    ReduceGraph R(makeGraph(c.V, c.edges, c.terminals));
    runPicked(R, c.rounds);
    const std::string text = log.text();
    for (const char* piece : c.logged) EXPECT_NE(text.find(piece), std::string::npos) << piece << "\n" << text;
    for (const char* piece : c.absent) EXPECT_EQ(text.find(piece), std::string::npos) << piece << "\n" << text;
    EXPECT_EQ(R.Eanz, static_cast<int>(c.edges.size()));
    EXPECT_EQ(R.R, static_cast<int>(c.terminals.size()));
    EXPECT_EQ(R.lowerValue, 0);
    EXPECT_EQ(R.upperValue, maxint);
    EXPECT_INSTANCE_VALID(R);
  }
}

// The picks' rounds end: a picker that always names the same terminal ends the method after
// one "enter terminals\n".
TEST(InteractiveAscent, RepeatedPickEndsTheMethod) {
  LogCapture log{3};
  applySettings({});
  ReduceGraph R(makeGraph(3, {{1, 2, 1}, {2, 3, 1}}, {1, 3}));
  ascent2Picking(R, [](ReduceGraph&) { return 1; });
  const std::string text = log.text();
  EXPECT_EQ(text.find("enter terminals\n"), text.rfind("enter terminals\n"));
}

// Picking every terminal in turn, then nothing: the optimum, the terminals and a stored tree
// survive on generated instances.
TEST(InteractiveAscent, PickingAllTerminalsKeepsTheOptimum) {
  LogCapture log{0};
  applySettings({});
  steinertest::SafetyOptions options;
  options.instances = 150;
  const auto failures = steinertest::checkSafety(
      [](ReduceGraph& R) {
        std::vector<int> all;
        for (int k = 1; k <= R.R; ++k) all.push_back(k);
        Picks picks({all});
        ascent2Picking(R, [&picks](ReduceGraph& G) { return picks(G); });
        shell.phase = 0;
      },
      options);
  EXPECT_TRUE(failures.empty()) << steinertest::join(failures);
}

}  // namespace
