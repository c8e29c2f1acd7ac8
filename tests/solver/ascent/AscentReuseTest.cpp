// An ascent engine sizes its buffers once: passes after the first on one instance allocate
// nothing. Counted by replacing the global allocation functions in this test program.

#include "AscentDelEngine.h"
#include "AscentEngine.h"
#include "RootedAscent.h"

#include "ConsistencyCheck.h"
#include "InstanceBuilders.h"
#include "RandomInstances.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>

namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  if (counting) ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

using namespace tesmo;

namespace {

long allocationsDuring(const std::function<void()>& work) {
  allocations = 0;
  counting = true;
  work();
  counting = false;
  return allocations;
}

TEST(AscentReuse, SecondPassAndDistancesAllocateNothing) {
  tesmotest::LogCapture log{0};
  std::mt19937 rng(7);
  ReduceGraph R(tesmotest::randomSimpleGraph(rng, 60, 200, 15, 9));
  R.upperValue = 1000;
  // The hook counts: building an engine allocates.
  EXPECT_GT(allocationsDuring([&] { AscentEngine sized(R); }), 0);
  AscentEngine engine(R);
  engine.applyToInstance = 0;
  for (int root = 1; root <= R.R; ++root) {
    engine.run(root);
    engine.reducedCostDistances();
  }
  // Every root again: the buffers of the first round serve.
  for (int root = 1; root <= R.R; ++root) {
    SCOPED_TRACE(root);
    EXPECT_EQ(allocationsDuring([&] {
                engine.run(root);
                engine.reducedCostDistances();
              }),
              0);
  }
}

TEST(AscentReuse, DeletionEngineServesEveryTestedVertex) {
  tesmotest::LogCapture log{0};
  std::mt19937 rng(11);
  ReduceGraph R(tesmotest::randomSimpleGraph(rng, 40, 120, 8, 9));
  AscentDelEngine engine(R);
  engine.applyToInstance = 0;
  for (int v = 1; v <= R.V; ++v) engine.run(1, v);
  for (int v = 1; v <= R.V; ++v) EXPECT_EQ(allocationsDuring([&] { engine.run(1, v); }), 0) << v;
}

// The driver's ascent keeps its component rows at the largest size met: every root again, and
// the tests' avoided vertices, allocate nothing.
TEST(AscentReuse, RootedAscentServesEveryRootAndAvoidedVertex) {
  tesmotest::LogCapture log{0};
  std::mt19937 rng(13);
  ReduceGraph R(tesmotest::randomSimpleGraph(rng, 60, 200, 15, 9));
  RootedAscent ascent(R);
  for (int root = 1; root <= R.R; ++root) {
    ascent.run(root);
    ascent.computeDistances();
  }
  for (int root = 1; root <= R.R; ++root) {
    SCOPED_TRACE(root);
    EXPECT_EQ(allocationsDuring([&] {
                ascent.run(root);
                ascent.computeDistances();
              }),
              0);
  }
  for (int v = 1; v <= R.V; ++v) EXPECT_EQ(allocationsDuring([&] { ascent.run(1, v); }), 0) << v;
}

}  // namespace
