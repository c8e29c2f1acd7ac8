// The interactive ascent + with picks handed in (the chain, the region it cuts off and the
// region graph), and the tunnel pairs of the ball ascents o and O.

#include "AscentTrials.h"
#include "CutBound.h"
#include "ReduceByString.h"
#include "ScriptLetterSetup.h"
#include "Shell.h"
#include "VoronoiAscent.h"

#include "ConsistencyCheck.h"
#include "InstanceBuilders.h"
#include "LogCapture.h"
#include "SafetyTest.h"
#include "ScriptSafety.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace tesmo;
using namespace tesmotest;

namespace {

using Settings = ascenttest::Settings;

// The exact search of the region graph runs the node script at every node.
const Settings kBase{{"exitSaveGraph", "/dev/null"}, {"Reduction", "v"}};

void applySettings(const Settings& settings) { ascenttest::applySettings(settings, kBase); }

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

bool hasEdge(const ReduceGraph& R, int u, int w, int cost) {
  for (int s = R.nextLiveSlot(u, 0); s != 0; s = R.nextLiveSlot(u, s))
    if (R.arcs[s].head == w && R.arcs[s].cost == cost) return true;
  return false;
}

// Two terminals joined by 1-2-3 (cost 2) and the way round 1-4-3 (cost 10, the stored tree): the
// ball bound is 2, and the edge 4-1 is only a tunnel through 4, so it gives way to an edge 1-3 of
// the way round's cost; nothing is deleted on a gap of 8.
TEST(BallTunnels, EdgeOffTheBallTreeBecomesATunnel) {
  LogCapture log{3};
  applySettings({{"skipAscent", "0"}, {"tunnel", "1"}, {"replace", "0"}});
  ReduceGraph R(makeGraph(4, {{1, 2, 1}, {2, 3, 1}, {1, 4, 5}, {4, 3, 5}}, {1, 3}));
  IntArray tree = slotList(R, {{1, 4}, {4, 3}});
  R.setUpper(tree, "seed", 0);
  ASSERT_EQ(R.upperValue, 10);
  ascentVR(R);
  const std::string text = log.text();
  EXPECT_NE(text.find("  (1) "), std::string::npos) << text;
  EXPECT_TRUE(hasEdge(R, 1, 3, 10)) << text;
  EXPECT_FALSE(hasEdge(R, 1, 4, 5)) << text;
  EXPECT_TRUE(hasEdge(R, 1, 2, 1) && hasEdge(R, 2, 3, 1)) << text;
  EXPECT_EQ(R.lowerValue, 2);
  EXPECT_INSTANCE_VALID(R);
}

// Without the option no pair is looked for; at the branching point of the only good tree no
// pair is recorded, and its edges stay.
TEST(BallTunnels, NoPairWithoutTheOptionOrAtASteinerPoint) {
  struct Case {
    const char* tunnel;
    std::vector<Edge> edges;
    std::vector<int> terminals;
    const char* logged;
  };
  const std::vector<Case> cases{
      {"0", {{1, 2, 1}, {2, 3, 1}, {1, 4, 5}, {4, 3, 5}}, {1, 3}, nullptr},
      {"1", {{1, 4, 1}, {2, 4, 1}, {3, 4, 1}, {1, 2, 3}, {2, 3, 3}}, {1, 2, 3}, "  (0) "},
  };
  for (const Case& c : cases) {
    for (auto method : {ascentVR, ascentVROLD}) {
      LogCapture log{3};
      applySettings({{"skipAscent", "0"}, {"tunnel", c.tunnel}, {"replace", "0"}});
      ReduceGraph R(makeGraph(4, c.edges, c.terminals));
      R.upperValue = 10;
      method(R);
      const std::string text = log.text();
      if (c.logged)
        EXPECT_NE(text.find(c.logged), std::string::npos) << text;
      else
        EXPECT_FALSE(hasEdge(R, 1, 3, 10)) << text;
      for (const Edge& e : c.edges)
        if (e.u == 4 || e.v == 4) {
          EXPECT_TRUE(hasEdge(R, e.u, e.v, e.cost)) << text;
        }
      EXPECT_INSTANCE_VALID(R);
    }
  }
}

// The tables of the ball ascents appear above verbosity 3 only; the radii of the regions come
// with the older form.
TEST(BallListings, TablesOnlyAboveVerbosityThree) {
  struct Case {
    void (*method)(ReduceGraph&);
    int verbosity;
    std::vector<const char*> logged;
    std::vector<const char*> absent;
  };
  const std::vector<const char*> tables{"Roots: ", "\n\ndistances from root:  1: 0   ", "\n\ndistances to the first base: "};
  const std::vector<Case> cases{
      {ascentVR, 4, tables, {"radia: "}},
      {ascentVR, 3, {}, {"Roots: ", "distances from root", "distances to the first base", "radia: "}},
      {ascentVROLD, 4, {"Roots: ", "distances from root", "radia: 1: 2  2: 2  3: 2  ", "  (1,2): "}, {}},
      {ascentVROLD, 3, {}, {"Roots: ", "distances from root", "radia: "}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.verbosity);
    LogCapture log{c.verbosity};
    applySettings({{"skipAscent", "0"}});
    ReduceGraph R(makeGraph(4, {{1, 2, 2}, {2, 3, 2}, {3, 4, 3}, {1, 4, 9}}, {1, 2, 3}));
    c.method(R);
    const std::string text = log.text();
    for (const char* piece : c.logged) EXPECT_NE(text.find(piece), std::string::npos) << piece << "\n" << text;
    for (const char* piece : c.absent) EXPECT_EQ(text.find(piece), std::string::npos) << piece << "\n" << text;
  }
}

// Every order of the raises gives a valid bound: the best stays at or below the optimum, is at
// least the plain ascent's, and the instance is left as it was.
TEST(AscentByFirstTerminal, BestOrderStaysBelowTheOptimumAndChangesNothing) {
  LogCapture log{0};
  applySettings({});
  int improved = 0;
  for (const steinertest::GeneratedInstance& instance : steinertest::instanceMix(200, 5)) {
    ReduceGraph R(instance.graph);
    const std::int64_t optimum = steinertest::dreyfusWagner(R);
    const int edges = R.Eanz, lower = R.lowerValue, upper = R.upperValue;
    const int best = ascentByFirstTerminal(R);
    EXPECT_LE(best, optimum) << instance.description;
    EXPECT_EQ(R.Eanz, edges);
    EXPECT_EQ(R.lowerValue, lower);
    EXPECT_EQ(R.upperValue, upper);
    if (best > 0) ++improved;
  }
  EXPECT_GT(improved, 0);
}

TEST(AscentByFirstTerminal, LogsTrialsAndSlacks) {
  struct Case {
    int verbosity;
    std::vector<const char*> logged;
    std::vector<const char*> absent;
  };
  const std::vector<Case> cases{
      {3, {"root: 1\n", "Lower: 4 +Contr= 4\n", "first: 2 Nr.: 3\n", "first: 3 Nr.: 4\n", "(new) lower: 4\n"},
       {"slacks: ", "first: 1 "}},
      {5, {"slacks: (1-2) "}, {}},
  };
  for (const Case& c : cases) {
    LogCapture log{c.verbosity};
    applySettings({});
    ReduceGraph R(makeGraph(4, {{1, 2, 2}, {2, 3, 1}, {2, 4, 1}, {3, 4, 5}}, {1, 3, 4}));
    EXPECT_EQ(ascentByFirstTerminal(R), 4);
    const std::string text = log.text();
    for (const char* piece : c.logged) EXPECT_NE(text.find(piece), std::string::npos) << piece << "\n" << text;
    for (const char* piece : c.absent) EXPECT_EQ(text.find(piece), std::string::npos) << piece << "\n" << text;
  }
}

struct ScriptCase {
  const char* script;
  Settings settings;
  int instances;
};

// Tunnels change the graph around their vertices: the optimum and a stored tree survive them,
// alone and with the deletions and replacements of the same iteration, over several roots.
TEST(BallTunnels, KeepTheOptimum) {
  const std::vector<ScriptCase> cases{
      {"o", {{"skipAscent", "0"}, {"tunnel", "1"}}, 300},
      {"o", {{"skipAscent", "0"}, {"tunnel", "1"}, {"replace", "0"}}, 150},
      {"o", {{"skipAscent", "0"}, {"tunnel", "1"}, {"allRootsLimit", "3"}, {"construct", "1"}}, 150},
      {"o", {{"skipAscent", "0"}, {"tunnel", "1"}, {"wcMode", "0"}, {"renewUpper", "-1"}}, 150},
      {"O", {{"skipAscent", "0"}, {"tunnel", "1"}}, 300},
      {"O", {{"skipAscent", "0"}, {"tunnel", "1"}, {"allRootsLimit", "4"}}, 150},
      {"oo", {{"skipAscent", "0"}, {"tunnel", "1"}}, 150},
  };
  for (const ScriptCase& c : cases) ascenttest::expectSafe(c.script, {{c.settings, c.instances}}, kBase);
}

}  // namespace
