// The LP writer (W) and the LP solution reader (w): the written formulations as text and as an
// outside solver reads them, and the rounding of a solution to a tree.

#include "LpFiles.h"

#include "ScriptLetterSetup.h"
#include "ScriptLetters.h"
#include "Shell.h"

#include "BruteForceOracle.h"
#include "ConsistencyCheck.h"
#include "Glpsol.h"
#include "InstanceBuilders.h"
#include "LogCapture.h"
#include "ProgramRunner.h"
#include "RandomInstances.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

using namespace tesmo;
using namespace tesmotest;

namespace {

std::string writeLp(ReduceGraph& R, const testpaths::TempDir& dir, const std::string& name = "model.lp") {
  const std::string path = dir.file(name);
  LP(R, path.c_str());
  return testpaths::readFile(path);
}

int countTerms(const std::string& text, const std::string& piece) {
  int n = 0;
  for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

// The path 1 - 2 - 3 with both ends required.
ReduceGraph pathInstance() { return ReduceGraph(makeGraph(3, {{1, 2, 3}, {2, 3, 4}}, {1, 3})); }

TEST(LpWriter, DirectedFlowRowsOfAPath) {
  LogCapture log{3};
  ReduceGraph R = pathInstance();
  const int a12 = slotOf(R, 1, 2), a21 = slotOf(R, 2, 1), a23 = slotOf(R, 2, 3), a32 = slotOf(R, 3, 2);
  const std::string text = writeLp(R, log.dir());
  auto n = [](int v) { return std::to_string(v); };
  // Commodity 2 (terminal 3) flows from the root, terminal 1; rows at vertices 2 and 3.
  EXPECT_EQ(text.rfind("Minimize\n + ", 0), 0u) << text;
  EXPECT_NE(text.find(" + 3x" + n(a12)), std::string::npos) << text;
  EXPECT_NE(text.find(" + 4x" + n(a32)), std::string::npos) << text;
  EXPECT_NE(text.find("\nSubject To\n  c2_2: "), std::string::npos) << text;
  EXPECT_NE(text.find(" + y2_" + n(a12) + " - y2_" + n(a21)), std::string::npos) << text;
  EXPECT_NE(text.find("\n  c2_3:  + y2_" + n(a23) + " - y2_" + n(a32) + " = 1"), std::string::npos) << text;
  EXPECT_NE(text.find("\n   t2_" + n(a12) + ":    x" + n(a12) + " - y2_" + n(a12) + " >=0"), std::string::npos);
  EXPECT_EQ(text.find("c1_"), std::string::npos) << "the root's commodity has no rows";
  EXPECT_NE(text.find("\nBounds\nx1<=1\ny2_1<=1\n"), std::string::npos) << text;
  EXPECT_EQ(text.substr(text.size() - 4), "End\n");
  const std::string logged = log.text();
  EXPECT_NE(logged.find("Writing LP:" + log.dir().file("model.lp") + "\n"), std::string::npos) << logged;
  EXPECT_NE(logged.find("1(1-2)\t"), std::string::npos) << logged;
}

TEST(LpWriter, ContractedCostIsAConstantOfTheObjective) {
  LogCapture log{0};
  ReduceGraph R = pathInstance();
  R.contractCost = 5;
  const std::string text = writeLp(R, log.dir());
  EXPECT_EQ(text.rfind("Minimize\ncontr + ", 0), 0u) << text;
  EXPECT_NE(text.find("\nSubject To\ndummy: contr=5"), std::string::npos) << text;
}

TEST(LpWriter, MpsFieldsStandInTheirColumns) {
  LogCapture log{0};
  shell.Sset("mps", "1");
  shell.Sset("problem", "path");
  ReduceGraph R = pathInstance();
  const int a12 = slotOf(R, 1, 2);
  const std::string text = writeLp(R, log.dir(), "model.mps");
  EXPECT_EQ(text.rfind("NAME          path\nROWS\n N  r\n E  f2_2\n E  f2_3\n G  c2_1\n", 0), 0u) << text;
  const std::string x = "x" + std::to_string(a12);
  EXPECT_NE(text.find("\n    " + x + std::string(10 - x.size(), ' ') + "r         3\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\n    RHS       f2_3      1\n"), std::string::npos) << text;
  EXPECT_EQ(text.substr(text.size() - 14), "BOUNDS\nENDATA\n");
}

TEST(LpWriter, DeletedSlotsLeaveTheFlowRowsAndTheBounds) {
  LogCapture log{0};
  // A triangle whose edge 1-3 is deleted (both slots): no variable of it is written.
  ReduceGraph R(makeGraph(3, {{1, 2, 1}, {2, 3, 1}, {1, 3, 5}}, {1, 3}));
  const int a13 = slotOf(R, 1, 3), a31 = slotOf(R, 3, 1);
  R.delE[a13] = R.delE[a31] = 1;
  --R.Eanz;
  const std::string text = writeLp(R, log.dir());
  for (int a : {a13, a31}) {
    EXPECT_EQ(text.find("x" + std::to_string(a) + " "), std::string::npos) << text;
    EXPECT_EQ(text.find("x" + std::to_string(a) + "<=1"), std::string::npos) << text;
    EXPECT_EQ(text.find("y2_" + std::to_string(a)), std::string::npos) << text;
  }
}

TEST(LpWriter, UndirectedVariantHasOneVariablePerEdge) {
  LogCapture log{0};
  shell.Sset("pardalosLP", "-1");
  ReduceGraph R(makeGraph(4, {{1, 2, 1}, {2, 3, 2}, {3, 4, 3}, {4, 1, 4}, {2, 4, 5}}, {1, 3}));
  const std::string text = writeLp(R, log.dir());
  const std::string objective = text.substr(0, text.find("\nSubject To"));
  const std::string bounds = text.substr(text.find("Bounds\n"));
  EXPECT_EQ(countTerms(objective, " + "), R.E) << objective;
  EXPECT_EQ(countTerms(bounds, "<=1\n"), R.E) << bounds;
  for (int a = 1; a <= 2 * R.E; ++a) {
    const bool named = R.arcs[a].tail < R.arcs[a].head;
    EXPECT_EQ(bounds.find("\nx" + std::to_string(a) + "<=1") != std::string::npos, named) << a;
  }
}

TEST(LpWriter, ConcentricCutsNumberOnAndStopAtAnEmptyRing) {
  LogCapture log{3};
  shell.Sset("pardalosLP", "1");
  shell.Sset("concentricCuts", "1");
  // Terminal 3 sits on an island: its rings stop growing instead of running on.
  ReduceGraph R(makeGraph(5, {{1, 2, 1}, {2, 3, 1}, {4, 5, 1}}, {1, 3, 4}));
  const std::string text = writeLp(R, log.dir());
  EXPECT_NE(text.find("c1_1: "), std::string::npos) << text;
  EXPECT_EQ(text.find("c2_1: "), std::string::npos) << "numbering goes on across terminals\n" << text;
  EXPECT_NE(log.text().find("stopped growing"), std::string::npos) << log.text();
  EXPECT_NE(log.text().find(" concetric Cuts!\n"), std::string::npos);
}

TEST(LpWriter, NoFileNameWritesNothing) {
  LogCapture log{3};
  ReduceGraph R = pathInstance();
  LP(R, nullptr);
  LP(R, "");
  EXPECT_EQ(log.text().find("Writing LP:"), std::string::npos);
}

TEST(LpWriter, UnwritableFileIsReported) {
  LogCapture log{1};
  ReduceGraph R = pathInstance();
  LP(R, log.dir().file("no/such/folder/model.lp").c_str());
  EXPECT_NE(log.text().find("cannot open"), std::string::npos) << log.text();
}

// Every formulation is read by the outside solver, stays at or below the optimum, and the text
// and the MPS form of the flow model give the same optimum.
TEST(LpWriter, OutsideSolverReadsEveryFormulation) {
  REQUIRE_GLPSOL();
  struct Variant {
    const char* name;
    std::vector<std::pair<const char*, const char*>> options;
    bool isFlowModel;
  };
  const std::vector<Variant> variants = {
      {"flow", {}, true},
      {"flow, last root", {{"flussRoot", "0"}}, true},  // 0 is replaced by the last terminal below
      {"flow, balance and in-degree", {{"flussBalance", "1"}, {"doof", "1"}}, false},
      {"flow, common flows", {{"common", "1"}}, false},
      {"rooted arcs", {{"pardalosLP", "1"}}, false},
      {"rooted arcs, cuts", {{"pardalosLP", "1"}, {"concentricCuts", "2"}, {"flussBalance", "1"}}, false},
      {"undirected", {{"pardalosLP", "-2"}}, false},
      {"undirected, flow", {{"pardalosLP", "-1000"}, {"pardalosF", "1"}}, false},
  };
  std::mt19937 random(2718);
  for (int round = 0; round < 8; ++round) {
    const Graph g = randomGraph(random, 6 + round % 3, 9);
    const std::int64_t optimum = bruteForce(g).optimum;
    for (const Variant& v : variants) {
      SCOPED_TRACE(testing::Message() << "round " << round << ", " << v.name);
      LogCapture log{0};
      for (auto [key, value] : v.options)
        shell.Sset(key, std::string(key) == "flussRoot" ? std::to_string(g.R) : value);
      ReduceGraph R(g);
      const std::string file = log.dir().file("model.lp");
      LP(R, file.c_str());
      const auto text = lptest::solveWithGlpsol(file, false, log.dir().path().string());
      ASSERT_TRUE(text) << testpaths::readFile(file);
      EXPECT_LE(text->objective, optimum + 1e-6);
      if (!v.isFlowModel) continue;
      shell.Sset("mps", "1");
      const std::string mpsFile = log.dir().file("model.mps");
      LP(R, mpsFile.c_str());
      const auto mps = lptest::solveWithGlpsol(mpsFile, true, log.dir().path().string());
      ASSERT_TRUE(mps);
      EXPECT_NEAR(mps->objective, text->objective, 1e-6);
    }
  }
}

// --- the reader ---

// The square 1-2-3-4 with terminals 1 and 3: the cheap way round is 1-4-3 (cost 2), the LP
// values below select 1-2-3 (cost 4).
ReduceGraph squareInstance() {
  return ReduceGraph(makeGraph(4, {{1, 2, 2}, {2, 3, 2}, {3, 4, 1}, {4, 1, 1}}, {1, 3}));
}

std::string pairsLine(int slot, double value) { return "x" + std::to_string(slot) + " " + std::to_string(value) + "\n"; }

TEST(LpReader, BothDirectionsAddUpAndOnlyTheCopyLosesEdges) {
  LogCapture log{3};
  registerScriptLetters();
  ReduceGraph R = squareInstance();
  // Half a unit in each direction of 1-2 and 2-3, half a unit one way only on the cheap edges.
  std::string pairs = "objective 4\n";
  for (auto [u, v] : {std::pair{1, 2}, {2, 1}, {2, 3}, {3, 2}, {1, 4}, {4, 3}})
    pairs += pairsLine(slotOf(R, u, v), 0.5);
  const std::string file = log.dir().file("solution.txt");
  testpaths::writeFile(file, pairs);
  shell.Sset("delete", "0.6");
  readLP(R, file.c_str());
  EXPECT_EQ(R.upperValue, 4);
  EXPECT_EQ(R.Eanz, 4) << "the deletions are made on the copy";
  EXPECT_NE(log.text().find("LP-Heuristik+Prune"), std::string::npos) << log.text();
  EXPECT_NE(log.text().find("cost: 4"), std::string::npos);
  EXPECT_EQ(shell.phase, 'P');
  EXPECT_INSTANCE_VALID(R);
}

// A square of terminals 1..4 (sides 2) around the Steiner vertex 5 (spokes 3): the LP values lie
// on the spokes. makeReq makes 5 required on the copy (the best tree through it costs 9, the
// best tree 6); original prunes R itself afterwards.
TEST(LpReader, MakeRequiredAndOriginal) {
  struct Case {
    const char* makeReq;
    const char* original;
    int upper;
    const char* logged;
  };
  for (const Case& c : std::vector<Case>{{"0", "0", 6, nullptr},
                                         {"1.5", "0", 9, "Upgraded1: 1\n"},
                                         {"2.5", "0", 6, "Upgraded1: 0\n"},
                                         {"1.5", "1", 6, "Upgraded1: 1\n"}}) {
    SCOPED_TRACE(testing::Message() << "makeReq " << c.makeReq << ", original " << c.original);
    LogCapture log{3};
    registerScriptLetters();
    ReduceGraph R(makeGraph(5, {{1, 2, 2}, {2, 3, 2}, {3, 4, 2}, {4, 1, 2}, {1, 5, 3}, {2, 5, 3}, {3, 5, 3}, {4, 5, 3}},
                            {1, 2, 3, 4}));
    std::string pairs;
    for (int t = 1; t <= 4; ++t) pairs += pairsLine(slotOf(R, 5, t), 0.5);
    const std::string file = log.dir().file("solution.txt");
    testpaths::writeFile(file, pairs);
    shell.Sset("makeReq", c.makeReq);
    shell.Sset("original", c.original);
    readLP(R, file.c_str());
    EXPECT_EQ(R.upperValue, c.upper);
    if (c.logged) {
      EXPECT_NE(log.text().find(c.logged), std::string::npos) << log.text();
    }
    EXPECT_EQ(R.R, 4) << "R keeps its terminals";
  }
}

TEST(LpReader, OtherNamesAndBadSlotNumbersAreSkipped) {
  LogCapture log{0};
  registerScriptLetters();
  ReduceGraph R = squareInstance();
  std::string pairs = "y1_2 7 x0 1 x99 1 xa 1 x-1 1 x 1 d2 3\n";
  for (auto [u, v] : {std::pair{1, 2}, {2, 3}}) pairs += pairsLine(slotOf(R, u, v), 1.0);
  const std::string file = log.dir().file("solution.txt");
  testpaths::writeFile(file, pairs);
  shell.Sset("delete", "0.0");
  readLP(R, file.c_str());
  EXPECT_EQ(R.upperValue, 4);
}

TEST(LpReader, ContractedCostCountsInTheTreeValue) {
  LogCapture log{3};
  registerScriptLetters();
  ReduceGraph R = squareInstance();
  R.contractCost = 10;
  const std::string file = log.dir().file("solution.txt");
  testpaths::writeFile(file, pairsLine(slotOf(R, 1, 4), 1.0) + pairsLine(slotOf(R, 4, 3), 1.0));
  readLP(R, file.c_str());
  EXPECT_EQ(R.upperValue, 12);
  EXPECT_NE(log.text().find("cost: 12"), std::string::npos) << log.text();
}

TEST(LpReader, MissingFileChangesNothing) {
  LogCapture log{1};
  registerScriptLetters();
  ReduceGraph R = squareInstance();
  shell.Sset("delete", "0.0");
  readLP(R, log.dir().file("absent.txt").c_str());
  readLP(R, nullptr);
  EXPECT_EQ(R.upperValue, maxint);
  EXPECT_EQ(R.upperOk, 0);
  EXPECT_NE(log.text().find("cannot open"), std::string::npos);
}

TEST(LpReader, RepricingByValue) {
  struct Case {
    int cost;
    double value;
    int expected;
  };
  for (const Case& c : std::vector<Case>{{3, 0.75, 75000}, {3, 0.4, 300000}, {3, 0.5, 300000}, {3, 1.0, 1},
                                         {3, 1.7, 1}, {20000, 0.0, maxint}}) {
    SCOPED_TRACE(testing::Message() << c.cost << " at " << c.value);
    EXPECT_EQ(lpRepricedCost(c.cost, c.value, 100000, 0.5), c.expected);
  }
}

// Values per edge identity: a contracted identity gets 2, the sources of a merged edge take its
// value, or 1.5 when they had one already.
TEST(LpReader, IdValueFile) {
  LogCapture log{3};
  registerScriptLetters();
  // 1 - 2 - 3 - 5 - 4 and 1-4: edge 1-2 is contracted, the Steiner vertex 5 replaced by a
  // merged edge 3-4 (vertices renumbered after the contraction).
  ReduceGraph R(makeGraph(5, {{1, 2, 1}, {2, 3, 1}, {3, 5, 2}, {5, 4, 2}, {1, 4, 9}}, {1, 3, 4}));
  const int id12 = R.ID[slotOf(R, 1, 2)], id35 = R.ID[slotOf(R, 3, 5)], id54 = R.ID[slotOf(R, 5, 4)];
  R.addPendingContraction(slotOf(R, 1, 2));
  R.updateContract(nullptr, true);
  int v5 = 0;
  for (int v = 1; v <= R.V; ++v)
    if (R.degree[v] == 2 && R.isReq[v] == 0) v5 = v;
  ASSERT_NE(v5, 0);
  R.replaceVertex(v5, false);
  ASSERT_GT(R.mergeHistory[0], 0);
  const int merged = R.mergeHistory[3];
  int slotMerged = 0;
  for (int a = 1; a <= 2 * R.E; ++a)
    if (!R.delE[a] && R.ID[a] == merged && a < R.partner[a]) slotMerged = a;
  ASSERT_NE(slotMerged, 0);
  const std::string file = log.dir().file("solution.txt"), ids = log.dir().file("ids.txt");
  testpaths::writeFile(file, pairsLine(slotMerged, 0.25));
  shell.Sset("saveX", ids);
  readLP(R, file.c_str());
  const std::string text = testpaths::readFile(ids);
  EXPECT_NE(text.find(std::to_string(id12) + "\t2\n"), std::string::npos) << text;
  EXPECT_NE(text.find(std::to_string(merged) + "\t0.25\n"), std::string::npos) << text;
  EXPECT_NE(text.find(std::to_string(id35) + "\t0.25\n"), std::string::npos) << text;
  EXPECT_NE(text.find(std::to_string(id54) + "\t0.25\n"), std::string::npos) << text;
  EXPECT_NE(log.text().find("Writing " + ids + ", exp: 3\n"), std::string::npos) << log.text();
}

// W, the outside solver and w in a row: the rounded tree is a tree of R, never below the
// optimum, and on these small instances it meets it.
TEST(LpReader, RoundTripThroughTheOutsideSolver) {
  REQUIRE_GLPSOL();
  std::mt19937 random(31415);
  for (int round = 0; round < 10; ++round) {
    SCOPED_TRACE(testing::Message() << "round " << round);
    LogCapture log{0};
    registerScriptLetters();
    const Graph g = randomGraph(random, 7, 9);
    const std::int64_t optimum = bruteForce(g).optimum;
    ReduceGraph R(g);
    const std::string model = log.dir().file("model.lp"), pairs = log.dir().file("pairs.txt");
    LP(R, model.c_str());
    const auto solution = lptest::solveWithGlpsol(model, false, log.dir().path().string());
    ASSERT_TRUE(solution);
    lptest::writePairs(*solution, pairs);
    shell.Sset("delete", "0.0");
    readLP(R, pairs.c_str());
    ASSERT_EQ(R.upperOk, 1);
    EXPECT_GE(R.upperValue, optimum);
    if (std::fabs(solution->objective - optimum) < 1e-6) {
      EXPECT_EQ(R.upperValue, optimum);
    }
    expectTreeMapsBack(R, g);
  }
}

TEST(LpLetters, ScriptLettersReadTheirFileOptions) {
  LogCapture log{3};
  registerScriptLetters();
  const ScriptLetter* writer = ScriptLetters::find('W');
  const ScriptLetter* reader = ScriptLetters::find('w');
  ASSERT_TRUE(writer && reader && ScriptLetters::find('.'));
  // The interpreter logs these before the calls: the file names come from the options.
  EXPECT_STREQ(writer->callText, "LP(&R,shell.Sget(\"writeLP\",0))");
  EXPECT_STREQ(reader->callText, "readLP(&R,shell.Sget(\"readLP\",0))");
  ReduceGraph R = pathInstance();
  writer->method(R);  // no writeLP: nothing
  EXPECT_EQ(log.text().find("Writing LP:"), std::string::npos);
  shell.Sset("writeLP", log.dir().file("letter.lp"));
  writer->method(R);
  EXPECT_NE(testpaths::readFile(log.dir().file("letter.lp")).find("End\n"), std::string::npos);
}

// The algorithm "reduction" (program 1) writes the LP after its scripts when writeLP is set and
// reads a solution back when readLP is set; the slots are the same from run to run.
TEST(LpFilesInTheProgram, WriteThenReadBack) {
  REQUIRE_GLPSOL();
  testpaths::TempDir dir;
  const std::string out = testpaths::testData("solver/network.out").string();
  const std::string model = dir.file("model.lp"), pairs = dir.file("pairs.txt");
  auto run = [&](const std::string& setting) {
    return runTesmoProgram({out, "1", dir.file("r.sto"), dir.file("r.log"), setting, "verbose=3"}, dir.path());
  };
  ASSERT_EQ(run("writeLP=" + model).status, 0) << testpaths::readFile(dir.file("r.log"));
  ASSERT_NE(testpaths::readFile(model).find("End\n"), std::string::npos);
  const auto solution = lptest::solveWithGlpsol(model, false, dir.path().string());
  ASSERT_TRUE(solution);
  lptest::writePairs(*solution, pairs);
  ASSERT_EQ(run("readLP=" + pairs).status, 0);
  const std::string log = testpaths::readFile(dir.file("r.log"));
  EXPECT_NE(log.find("Reading file " + pairs), std::string::npos) << log;
  EXPECT_NE(log.find("cost: "), std::string::npos) << log;
}

}  // namespace
