#pragma once
// Checks that an instance and its stored tree are still what they claim: the invariants hold, and
// the tree carried back to the input graph is a tree there of the same value.

#include "Graph.h"
#include "InstanceChecker.h"
#include "ReduceGraph.h"

#include <gtest/gtest.h>

#include <cstdint>

#define EXPECT_INSTANCE_VALID(R) EXPECT_EQ(tesmo::InstanceChecker().check(R), "")

namespace tesmotest {

// The input graph's arcs of an expanded solution form a tree joining the terminals (a failed
// expectation otherwise); its cost.
std::int64_t expandedTreeCost(const tesmo::Graph& input, const tesmo::IntArray& solution);

// R's stored tree carried back to the input graph: a tree there of the same value.
void expectTreeMapsBack(const tesmo::ReduceGraph& R, const tesmo::Graph& input);

}  // namespace tesmotest
