// The interior-point LP bound: its values against the LP optimum of an outside solver, the one
// change it may make to the instance (the proven bound of its ascent start), and its files.

#include "InteriorPoint.h"
#include "LpFiles.h"

#include "AscentEngine.h"
#include "ScriptLetterSetup.h"
#include "ScriptLetters.h"
#include "Shell.h"

#include "BruteForceOracle.h"
#include "ConsistencyCheck.h"
#include "Glpsol.h"
#include "InstanceBuilders.h"
#include "LogCapture.h"
#include "RandomInstances.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

using namespace tesmo;
using namespace tesmotest;

namespace {

int countOf(const std::string& text, const std::string& piece) {
  int n = 0;
  for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

// What a run may not touch.
struct Snapshot {
  explicit Snapshot(const ReduceGraph& R)
      : lower(R.lowerValue), upper(R.upperValue), edges(R.Eanz), vertices(R.Vanz), opt(R.upperOpt),
        arcs(R.arcs.begin(), R.arcs.begin() + 2 * R.E + 1), deleted(R.delE.begin(), R.delE.begin() + 2 * R.E + 1) {}
  bool operator==(const Snapshot&) const = default;
  int lower, upper, edges, vertices, opt;
  std::vector<Arc> arcs;
  std::vector<int> deleted;
};

// A small instance with three terminals: 1, 4 and 5.
ReduceGraph smallInstance() {
  return ReduceGraph(makeGraph(6, {{1, 2, 2}, {2, 3, 2}, {3, 4, 2}, {2, 5, 3}, {1, 6, 4}, {6, 4, 3}, {5, 6, 2}},
                               {1, 4, 5}));
}

// The LP optimum of the flow model rooted at the last terminal, as the interior point solves it.
std::optional<double> lpOptimum(ReduceGraph& R, const testpaths::TempDir& dir) {
  const std::string model = dir.file("flow.lp");
  shell.Sset("flussRoot", std::to_string(R.R));
  LP(R, model.c_str());
  const auto solution = lptest::solveWithGlpsol(model, false, dir.path().string());
  if (!solution) return std::nullopt;
  return solution->objective;
}

TEST(InteriorPoint, ReachesTheLpOptimumOfTheOutsideSolver) {
  REQUIRE_GLPSOL();
  struct Variant {
    const char* name;
    std::vector<std::pair<const char*, const char*>> options;
  };
  const std::vector<Variant> variants = {{"constant start", {}},
                                         {"start 0.5", {{"ipStartZero", "2"}}},
                                         {"ascent start", {{"ipStartZero", "0"}}},
                                         {"x >= 0", {{"ipPositivX", "1"}}},
                                         {"fixed rho", {{"rhoAdaptive", "0"}, {"ipRhoReset", "5"}}}};
  std::mt19937 random(777);
  for (int round = 0; round < 20; ++round) {
    const Graph g = randomGraph(random, 5 + round % 10, 9, round % 3);
    if (g.R < 2) continue;
    for (const Variant& v : variants) {
      SCOPED_TRACE(testing::Message() << "round " << round << ", " << v.name);
      LogCapture log{0};
      ReduceGraph R(g);
      const auto optimum = lpOptimum(R, log.dir());
      ASSERT_TRUE(optimum);
      for (auto [key, value] : v.options) shell.Sset(key, value);
      ipClass method(R);
      method.ipDriver();
      EXPECT_EQ(method.stopReason(), 0) << "iterations " << method.iterations();
      EXPECT_NEAR(method.primalCost(), *optimum, 0.5);  // ipError
      EXPECT_NEAR(method.dualCost(), *optimum, 0.5);
    }
  }
}

// Slots flagged deleted but not yet squeezed out take no part: the LP is that of the rest.
TEST(InteriorPoint, DeletedSlotsTakeNoPart) {
  REQUIRE_GLPSOL();
  for (const char* start : {"1", "0"}) {
    SCOPED_TRACE(start);
    LogCapture log{0};
    ReduceGraph R = smallInstance();
    const int a = slotOf(R, 2, 5);  // the cheap way to terminal 5
    R.delE[a] = R.delE[R.partner[a]] = 1;
    --R.Eanz;
    const auto optimum = lpOptimum(R, log.dir());
    ASSERT_TRUE(optimum);
    shell.Sset("ipStartZero", start);
    ipClass method(R);
    method.ipDriver();
    EXPECT_EQ(method.stopReason(), 0);
    EXPECT_NEAR(method.primalCost(), *optimum, 0.5);
    EXPECT_NEAR(method.dualCost(), *optimum, 0.5);
  }
}

TEST(InteriorPoint, DefaultRunLeavesTheInstanceAlone) {
  LogCapture log{3};
  ReduceGraph R = smallInstance();
  const Snapshot before(R);
  ip(R);
  EXPECT_TRUE(Snapshot(R) == before);
  const std::string text = log.text();
  EXPECT_NE(text.find("RealSize is 8 (double)\n"), std::string::npos) << text;
  EXPECT_NE(text.find("upper: 0\n"), std::string::npos);
  EXPECT_NE(text.find("\nexiting ipClass\n"), std::string::npos);
  EXPECT_NE(text.find("CR\n"), std::string::npos);
  EXPECT_INSTANCE_VALID(R);
}

// The ascent start's bound is proven: at or below the optimum, logged with and without the
// contracted cost, and the only change to the instance.
TEST(InteriorPoint, AscentStartRaisesOnlyTheLowerBound) {
  std::mt19937 random(99);
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE(testing::Message() << "round " << round);
    LogCapture log{2};
    // Every other instance has ties and zero-cost edges.
    const int V = 5 + round % 6;
    const Graph g = round % 2 == 0 ? randomGraph(random, V, 9, round % 3) : randomSimpleGraph(random, V, 2 * V, 3, 4);
    if (g.R < 2) continue;
    ReduceGraph R(g);
    const std::int64_t optimum = steinerOptimum(R);
    R.contractCost = round % 2 == 0 ? 0 : 7;
    Snapshot before(R);
    shell.Sset("ipStartZero", "0");
    shell.Sset("ipMaxIter", "2");
    ip(R);
    EXPECT_LE(R.lowerValue, optimum + R.contractCost);  // the optimum was taken before
    EXPECT_GT(R.lowerValue, 0);
    const int lower = R.lowerValue - static_cast<int>(R.contractCost);
    EXPECT_NE(log.text().find("Lower: " + std::to_string(lower) + "+Contr= " + std::to_string(R.lowerValue) + "\n"),
              std::string::npos)
        << log.text();
    before.lower = R.lowerValue;
    EXPECT_TRUE(Snapshot(R) == before);
    // The same bound as the integer ascent rooted at the last terminal.
    ReduceGraph S(g);
    S.contractCost = R.contractCost;
    AscentEngine ascent(S);
    EXPECT_EQ(ascent.ascentPass(S.R), R.lowerValue);
  }
}

TEST(InteriorPoint, IterationLimitAndNoSolve) {
  struct Case {
    const char* maxIter;
    const char* pcgDirect;
    int steps;
  };
  for (const Case& c : std::vector<Case>{{"1", "0", 1}, {"4", "3", 3}}) {
    SCOPED_TRACE(testing::Message() << "ipMaxIter " << c.maxIter << ", pcgDirect " << c.pcgDirect);
    LogCapture log{3};
    shell.Sset("ipMaxIter", c.maxIter);
    shell.Sset("pcgDirect", c.pcgDirect);
    ReduceGraph R = smallInstance();
    ipClass method(R);
    method.ipDriver();
    EXPECT_EQ(method.stopReason(), 1);
    EXPECT_EQ(countOf(log.text(), "\nIP: "), c.steps);
    EXPECT_EQ(countOf(log.text(), "CR\n"), std::string(c.pcgDirect) == "3" ? 0 : c.steps);
  }
}

TEST(InteriorPoint, MissingDensePathIsAFailedCheck) {
  LogCapture log{3};
  shell.Sset("pcgDirect", "1");
  shell.Sset("exitWarning", "0");
  shell.Sset("ipMaxIter", "2");
  ReduceGraph R = smallInstance();
  ip(R);
  EXPECT_NE(log.text().find("Warning: (\"NO LAPACK!\\n\") in file 'ip-pcg' line 110"), std::string::npos)
      << log.text();
}

// The direction meets the linearised rows: the reduction, the factors, the conjugate residuals
// and the back-substitution fit together.
TEST(InteriorPoint, DirectionSolvesTheNewtonSystem) {
  std::mt19937 random(5);
  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE(testing::Message() << "round " << round);
    LogCapture log{4};
    shell.Sset("ipMaxIter", "3");
    shell.Sset("pcgAdaptive", "0");
    shell.Sset("pcgError", "1e-18");
    shell.Sset("ipRebalanceW", "1e9");
    ReduceGraph R(randomGraph(random, 6, 9));
    ipClass method(R);
    method.ipDriver();
    EXPECT_GE(method.linearError(), 0);
    EXPECT_LT(method.linearError(), 1e-12);
    EXPECT_NE(log.text().find("\ndelta=r error v:"), std::string::npos);
  }
}

TEST(InteriorPoint, RecalculatedResidualIsLogged) {
  LogCapture log{4};
  shell.Sset("pcgRecalc", "1");
  shell.Sset("ipMaxIter", "2");
  ReduceGraph R = smallInstance();
  ip(R);
  EXPECT_NE(log.text().find(" recalc "), std::string::npos);
}

TEST(InteriorPoint, VariableFileRoundTripAndMismatch) {
  LogCapture log{3};
  const std::string dir = log.dir().path().string();
  shell.Sset("ipDumpDir", dir);
  shell.Sset("saveVars", "1");
  shell.Sset("ipMaxIter", "3");
  {
    ReduceGraph R = smallInstance();
    ip(R);
  }
  shell.Sset("saveVars", "0");
  shell.Sset("loadVars", "1");
  {
    ReduceGraph R = smallInstance();
    ip(R);
    EXPECT_NE(log.text().find("Reading Variables\n"), std::string::npos) << log.text();
  }
  // Another instance, the same graph with another terminal count (the header matches, the
  // size does not), then a cut-off file: refused, and the run starts from the constant start.
  {
    ReduceGraph other(makeGraph(4, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}}, {1, 4}));
    ip(other);
  }
  {
    ReduceGraph moreTerminals(makeGraph(6, {{1, 2, 2}, {2, 3, 2}, {3, 4, 2}, {2, 5, 3}, {1, 6, 4}, {6, 4, 3}, {5, 6, 2}},
                                        {1, 4, 5, 3}));
    ip(moreTerminals);
  }
  const std::string file = log.dir().file("ip-vars.dat");
  std::string bytes = testpaths::readFile(file);
  testpaths::writeFile(file, bytes.substr(0, bytes.size() - 8));
  {
    ReduceGraph R = smallInstance();
    ip(R);
  }
  EXPECT_EQ(countOf(log.text(), "Reading Variables Failed: n/A/sizeof(real) mismatch.\n"), 3) << log.text();
  EXPECT_EQ(countOf(log.text(), "upper: 0\n"), 4);
}

TEST(InteriorPoint, TraceFileByDetail) {
  struct Case {
    const char* verbose;
    bool graph;
  };
  for (const Case& c : std::vector<Case>{{"1", false}, {"3", true}}) {
    SCOPED_TRACE(c.verbose);
    LogCapture log{3};
    const std::string trace = log.dir().file("trace.txt");
    shell.Sset("writeName", trace);
    shell.Sset("writeVerbose", c.verbose);
    shell.Sset("ipMaxIter", "2");
    ReduceGraph R = smallInstance();
    ip(R);
    const std::string text = testpaths::readFile(trace);
    EXPECT_EQ(text.rfind("G:\n", 0) == 0, c.graph) << text;
    EXPECT_EQ(text.find("c:\n") != std::string::npos, c.graph);
    EXPECT_EQ(text.find("\nw.1:\n") != std::string::npos, c.graph);
    EXPECT_NE(text.find("x:1:\n"), std::string::npos);
    EXPECT_NE(text.find("\ndx:1:\n"), std::string::npos);
    EXPECT_NE(log.text().find("writeName: " + trace + "\n"), std::string::npos);
  }
}

TEST(InteriorPoint, PickleOfOneCommodity) {
  LogCapture log{4};
  shell.Sset("ipDumpDir", log.dir().path().string());
  shell.Sset("writePython", "1");
  shell.Sset("ipMaxIter", "1");
  ReduceGraph R(makeGraph(4, {{1, 2, 1}, {2, 3, 2}, {3, 4, 1}, {1, 3, 4}}, {1, 4}));
  ip(R);
  const std::string text = testpaths::readFile(log.dir().file("python.pickle"));
  const int size = (R.V - 1) + 2 * R.E;
  EXPECT_EQ(text.rfind("(lp0\n(lp1\n", 0), 0u);
  EXPECT_EQ(countOf(text, "(lp"), 2 + size + 1) << "outer list, matrix, rows, right-hand side";
  EXPECT_EQ(countOf(text, "F"), size * size + size);
  EXPECT_EQ(text.substr(text.size() - 2), "a.");
  EXPECT_NE(log.text().find("Writing Python\n"), std::string::npos);
}

TEST(InteriorPoint, NothingIsRunWithoutRoomOrWithoutAPath) {
  {
    LogCapture log{1};
    shell.Sset("ipMemoryLimit", "0.0001");
    ReduceGraph R = smallInstance();
    const Snapshot before(R);
    ip(R);
    EXPECT_TRUE(Snapshot(R) == before);
    EXPECT_NE(log.text().find("not run"), std::string::npos) << log.text();
  }
  {
    LogCapture log{1};
    shell.Sset("ipStartZero", "0");
    ReduceGraph R(makeGraph(4, {{1, 2, 1}, {3, 4, 1}}, {1, 3}));
    const Snapshot before(R);
    ip(R);
    EXPECT_TRUE(Snapshot(R) == before);
    EXPECT_NE(log.text().find("cannot be reached"), std::string::npos) << log.text();
  }
  {
    LogCapture log{3};
    ReduceGraph R(makeGraph(2, {{1, 2, 1}}, {1}));
    ip(R);
    EXPECT_NE(log.text().find("ip: nothing to solve"), std::string::npos);
  }
}

TEST(InteriorPoint, LetterThroughTheScript) {
  LogCapture log{3};
  registerScriptLetters();
  const ScriptLetter* letter = ScriptLetters::find('.');
  ASSERT_TRUE(letter);
  EXPECT_STREQ(letter->callText, "ip(&R)");
  shell.Sset("ipStartZero", "0");
  shell.Sset("ipMaxIter", "2");
  ReduceGraph R = smallInstance();
  letter->method(R);
  EXPECT_GT(R.lowerValue, 0);
  EXPECT_INSTANCE_VALID(R);
}

}  // namespace
