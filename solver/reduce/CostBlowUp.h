#pragma once
// Cost blow-up (script letter 1): every cost times option blowUp plus 0..blowUpRandom-1 per
// edge, which breaks ties between equal-cost paths at random and keeps the order of clearly
// different costs; the sums of costs the instance holds are scaled with them. Once per instance
// (costScale records the factor); skipped, with a log line, when a scaled value would pass maxint.

namespace tesmo {

class ReduceGraph;

class CostBlowUp {
public:
  explicit CostBlowUp(ReduceGraph& R) : R_(R) {}

  void run();

private:
  ReduceGraph& R_;
};

}  // namespace tesmo
