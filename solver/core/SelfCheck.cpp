#include "SelfCheck.h"

#include "InstanceChecker.h"
#include "ReduceGraph.h"

#include <string>

namespace tesmo {

namespace {

void failStep(const ReduceGraph& R, const char* step, const std::string& problem, int line) {
  const std::string text = std::string("self check after ") + (step ? step : "?") + ": " + problem;
  R.failCheck(text.c_str(), line);
}

}  // namespace

std::string afterStepProblem(const ReduceGraph& R) { return InstanceChecker().check(R); }

std::string reducedCostProblem(const ReduceGraph& R, const IntArray& reducedCosts) {
  const int slots = 2 * R.E;
  if (reducedCosts.size() < static_cast<std::size_t>(slots) + 1)
    return "reduced costs for " + std::to_string(reducedCosts.size()) + " slots, instance has " +
           std::to_string(slots);
  for (int s = 1; s <= slots; ++s)
    if (!R.delE[s] && reducedCosts[s] < 0)
      return "reduced cost " + std::to_string(reducedCosts[s]) + " < 0 at slot " + std::to_string(s);
  return {};
}

void checkAfterStep(const ReduceGraph& R, const char* step) {
  if constexpr (!selfChecksActive) return;
  const std::string problem = afterStepProblem(R);
  if (!problem.empty()) failStep(R, step, problem, __LINE__);
}

void checkReducedCosts(const ReduceGraph& R, const IntArray& reducedCosts, const char* step) {
  if constexpr (!selfChecksActive) return;
  const std::string problem = reducedCostProblem(R, reducedCosts);
  if (!problem.empty()) failStep(R, step, problem, __LINE__);
}

}  // namespace tesmo
