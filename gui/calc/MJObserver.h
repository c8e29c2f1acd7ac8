#pragma once
// What a running median-joining calculation reports to whoever shows it: counts for the result
// fields, progress for the gauges, and the keep-alive calls of its long loops. Every hook does
// nothing by default, so plain callers (tests, the benchmark) pass nothing or override a few.

#include <algorithm>

class TMJObserver {
public:
  virtual ~TMJObserver() = default;
  // Called inside the long loops (pairs examined, link pairs combined, links labelled).
  virtual void KeepAlive() {}
  // The explicit points between steps where the window may let pending messages run.
  virtual void StepDone() {}
  virtual void RoundStarted(int /*round*/) {}
  virtual void LinkProgress(int /*percent*/) {}
  virtual void LinksFound(int /*count*/) {}
  virtual void CombinationProgress(int /*percent*/) {}
  virtual void FeasibleCombinations(int /*count*/) {}
  virtual void MediansAdded(int /*count*/) {}
  virtual void SequenceCount(int /*n*/) {}
};

// The link search's gauge: its work comes in stages (spanning tree, pair scan, feasibility in
// order of distance), each given a share of 0..100. The gauge is moved when the rounded value is
// at least 2 above its position or reaches 100, and each move also reports the links found so far
// (those ending in first..last, after the links the list held before).
class TMJLinkGauge {
public:
  TMJLinkGauge(TMJObserver* observer, int linksBefore, int first, int last)
      : observer_(observer), links_(linksBefore), first_(first), last_(last) {}
  // The next stage covers from..to percent of the gauge for `total` units of work.
  void Stage(double total, int from, int to) {
    total_ = total;
    from_ = from;
    to_ = to;
  }
  void Move(double done) {
    if (!observer_) return;
    const double share = total_ <= 0 ? 1.0 : std::min(1.0, done / total_);
    const int percent = static_cast<int>(from_ + share * (to_ - from_) + 0.5);
    if (percent >= position_ + 2 || (percent == 100 && position_ != 100)) {
      position_ = percent;
      observer_->LinkProgress(percent);
      observer_->LinksFound(links_);
    }
  }
  // A feasible pair (i, j), i < j.
  void PairFeasible(int j) {
    if (j >= first_ && j <= last_) ++links_;
  }
  int Links() const { return links_; }

private:
  TMJObserver* observer_;
  int links_;
  int first_, last_;
  double total_ = 0;
  int from_ = 0, to_ = 100;
  int position_ = 0;
};
