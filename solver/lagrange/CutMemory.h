#pragma once
// The memory of cuts of the l1 ascent's target step: the linearisation of the Lagrangian value
// at earlier steps (its subgradient's non-zero components, their weight sum and the value). The
// held cuts give a cutting-plane estimate of the value and a step estimate; on request they are
// written as LP text, an outside program ("solve3", found in PATH) solves it, and its solution
// is read back as weights, which are then projected.
//
// The exchange works in a private temporary folder (or the folder of option l1LpDir). Any
// failure (no program, an exit status other than 0, a solution file missing, older than the LP
// or unreadable) writes one line, switches the exchange off for the rest of the run and leaves
// the weights as they are.

#include "PathRelaxation.h"
#include "ReduceGraph.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tesmo {

class CutMemory {
public:
  using Weight = std::int64_t;

  struct Options {
    int rows = 0;        // l1Memory
    int maxGG = 600;     // l1MaxGG
    double adjustT = 0;  // l1AdjustT
    int writeLp = 0;     // l1WriteLp bit mask
    int after = 0;       // after
    bool repeated = false;
    std::string folder;  // l1LpDir, empty: a private temporary folder
  };

  CutMemory(ReduceGraph& R, PathRelaxation& P, const Options& o);
  ~CutMemory();
  CutMemory(const CutMemory&) = delete;
  CutMemory& operator=(const CutMemory&) = delete;

  // Evaluates the held cuts against the step's subgradient (choice: selected == reference, path
  // marks == step), stores the step's cut, and runs the exchange. Returns true when the weights
  // were replaced by the LP solution (the step ends there).
  bool step(int step, int reference, Weight L, Weight GG, Weight bestTree);
  // The step estimate of the last evaluation (maxint when none).
  Weight estimate() const { return estimate_; }
  int held() const { return position_; }
  // The files of the exchange.
  std::string lpFile() const { return folder_ + "/lgr1.slp"; }
  std::string solutionFile() const { return folder_ + "/lgr1.vec"; }

private:
  int component(int a, int k, int step, int reference) {
    return (P_.mark(a, k) == step ? 1 : 0) - (P_.selected()[a] == reference ? 1 : 0);
  }
  // The held cuts against the current weights; true when one has the current pattern.
  bool evaluate(int step, int reference, Weight L, bool logMisses);
  void store(int step, int reference, Weight L);
  bool exchange(Weight bestTree);
  bool writeLp(Weight bestTree);
  bool runSolver();
  bool readSolution();
  void switchOff(const std::string& why);

  ReduceGraph& R_;
  PathRelaxation& P_;
  Options o_;
  std::vector<std::vector<int>> rows_;  // count, then +-slot and commodity per component
  std::vector<Weight> sum_, value_;
  int position_ = 0, misses_ = 0;
  Weight estimate_ = 0;
  bool exchangeOn_ = true;
  std::string folder_;
  bool ownFolder_ = false;
  std::vector<int> incoming_;
};

}  // namespace tesmo
