// The stopping test over the spare stacked vector: which entries it weighs and that residual
// entries of opposite sign do not cancel into convergence.

#include "InteriorPoint.h"
#include "Shell.h"

#include "InstanceBuilders.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tesmo;
using namespace tesmotest;

namespace {

struct Entry {
  int k;      // 0: arc part, else commodity k's vertex part
  int index;  // slot or vertex
  double value;
};

struct ConvergenceCase {
  const char* name;
  std::vector<Entry> entries;
  bool converged;
  const char* logged;
};

class PcgConvergence : public testing::TestWithParam<ConvergenceCase> {};

TEST_P(PcgConvergence, WeighsTheSpareVector) {
  const ConvergenceCase& c = GetParam();
  LogCapture capture(4);
  // Terminals 1, 4 and 5; the root is the last, 5.
  ReduceGraph R(makeGraph(6, {{1, 2, 2}, {2, 3, 2}, {3, 4, 2}, {2, 5, 3}, {1, 6, 4}, {6, 4, 3}, {5, 6, 2}}, {1, 4, 5}));
  shell.Sset("pcgError", "1e-5");
  ipClass method(R);
  method.readOptions();
  ASSERT_EQ(method.root, 5);
  for (const Entry& e : c.entries) {
    if (e.k == 0) method.spareArcPart().at(e.index) = e.value;
    else method.spareVertexPart().at(static_cast<std::size_t>(e.k - 1) * (method.V + 1) + e.index) = e.value;
  }
  EXPECT_EQ(method.pcgConverged(7), c.converged);
  EXPECT_NE(capture.text().find(std::string("pcgIter:7, error:") + c.logged + ", \n"), std::string::npos)
      << capture.text();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PcgConvergence,
    testing::Values(ConvergenceCase{"Zero", {}, true, "0"},
                    ConvergenceCase{"SmallEverywhere", {{0, 1, 1e-6}, {0, 14, 1e-6}, {1, 2, -1e-6}, {2, 6, 1e-6}}, true, "4e-06"},
                    // +1 and -1 must not sum to a converged 0.
                    ConvergenceCase{"OppositeSigns", {{0, 3, 1.0}, {0, 4, -1.0}}, false, "2"},
                    ConvergenceCase{"VertexPartCounts", {{2, 3, 2e-5}}, false, "2e-05"},
                    // The root's rows are not part of the system.
                    ConvergenceCase{"RootIgnored", {{1, 5, 100.0}, {2, 5, -100.0}}, true, "0"}),
    [](const testing::TestParamInfo<ConvergenceCase>& info) { return info.param.name; });

}  // namespace
