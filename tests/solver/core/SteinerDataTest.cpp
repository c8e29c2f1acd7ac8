// Every instance of the shared Steiner data: read, saved, read again identically, and a simple
// tree of it is accepted with a value not below the known optimum.

#include "ReduceGraph.h"
#include "StpReader.h"

#include "ConsistencyCheck.h"
#include "InstanceBuilders.h"
#include "KnownInstances.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace tesmo;
using namespace tesmotest;

namespace {

TEST(SteinerData, EveryInstanceReadsRoundTripsAndTakesATree) {
  SKIP_WITHOUT_SHARED_DATA("steiner/optima.tsv");
  tesmotest::LogCapture log(0);
  const std::vector<KnownInstance> instances = readKnownInstances(sharedSteinerTable());
  ASSERT_FALSE(instances.empty());
  for (const KnownInstance& k : instances) {
    SCOPED_TRACE(k.file);
    const std::string path = k.path.string();
    shell.Sset("problem", path);
    Graph g;
    StpReader reader;
    ASSERT_TRUE(reader.read(g, path)) << reader.error();
    EXPECT_EQ(g.V, k.nodes);
    EXPECT_EQ(g.E, k.edges);
    EXPECT_EQ(g.R, k.terminals);

    ReduceGraph R(g);
    EXPECT_INSTANCE_VALID(R);
    const std::string saved = log.dir().file("saved.stp");
    R.saveGraph(saved.c_str(), nullptr);
    Graph back;
    ASSERT_TRUE(reader.read(back, saved)) << reader.error();
    EXPECT_EQ(back.V, g.V);
    EXPECT_EQ(back.E, g.E);
    EXPECT_EQ(back.R, g.R);
    EXPECT_EQ(std::vector<int>(back.terminals.begin() + 1, back.terminals.begin() + back.R + 1),
              std::vector<int>(g.terminals.begin() + 1, g.terminals.begin() + g.R + 1));
    auto edges = [](const Graph& x) {
      std::vector<std::tuple<int, int, int>> list;
      for (int a = 1; a <= 2 * x.E; ++a)
        if (x.arcs[a].tail < x.arcs[a].head)
          list.emplace_back(x.arcs[a].tail, x.arcs[a].head, x.arcs[a].cost);
      std::sort(list.begin(), list.end());
      return list;
    };
    EXPECT_EQ(edges(back), edges(g));
    // Saving what was read back gives the same file.
    shell.Sset("problem", saved);
    const std::string again = log.dir().file("again.stp");
    ReduceGraph(back).saveGraph(again.c_str(), nullptr);
    EXPECT_EQ(testpaths::readFile(again), testpaths::readFile(saved));

    IntArray tree = mstPruneTree(R);
    R.setUpper(tree, "MST", 0);
    EXPECT_EQ(R.upperOk, 1);
    EXPECT_GE(R.upperValue, k.optimum);
    EXPECT_INSTANCE_VALID(R);
  }
}

}  // namespace
