#pragma once
// What a running median-joining calculation reports to whoever shows it: counts for the result
// fields, progress for the gauges, and the keep-alive calls of its long loops. Every hook does
// nothing by default, so plain callers (tests, the benchmark) pass nothing or override a few.

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
