#include "AscentLpExperiment.h"

#include "AscentConsole.h"
#include "AscentEngine.h"
#include "AscentLpFiles.h"
#include "DisplayHooks.h"
#include "IntMatrix.h"
#include "LogStream.h"
#include "Shell.h"

#include <algorithm>
#include <cstdint>

namespace tesmo {

namespace {

// The ascent of the smallest component first (the first terminal on ties) that records, per
// terminal k and vertex v, what was raised for k since v joined k's component (-1 while v is
// outside it): undoing k's raises gives every arc u->w back raised(k, w) - raised(k, u).
class RecordingAscent : public AscentEngine {
public:
  RecordingAscent(ReduceGraph& R, bool show) : AscentEngine(R), show_(show) {
    applyToInstance = 0;
    raised_.newMatrix(R.R, R.V);
  }

  int raised(int k, int v) const { return raised_[k][v]; }

  void onPassStart() override {
    const ReduceGraph& R = instance;
    for (int k = 1; k <= nTerminals; ++k) {
      int* row = raised_[k];
      std::fill(row, row + nVertices + 1, -1);
      row[R.terminals[k]] = 0;
    }
  }

  int choosePosition() override {
    int p = 1;
    for (int i = 2; i <= active[0]; ++i) {
      const int k = active[i];
      const int best = active[p];
      if (priority[k] < priority[best] || (priority[k] == priority[best] && k < best)) p = i;
    }
    return p;
  }

  // Members joined only between raises, so every member here stood in the component for it.
  void onDualIncrease() override {
    const ReduceGraph& R = instance;
    log(4) << "Comp:" << chosen << " / Cut:" << delta << " Size:" << priority[chosen]
           << "   aprox: " << std::int64_t{R.contractCost} + lower - delta << "\n";
    int* row = raised_[chosen];
    for (int j = 1; j <= component[chosen][0]; ++j) {
      const int v = component[chosen][j];
      row[v] = static_cast<int>(std::min<std::int64_t>(std::int64_t{std::max(row[v], 0)} + delta, maxint));
    }
    if (show_ && displayActive()) displayAscent(instance, reducedCost);
  }

private:
  bool show_;
  IntMatrix raised_;
};

}  // namespace

void ascentLpExperiment(ReduceGraph& R) {
  const int echo = shell.echoLevel;
  shell.echoLevel = 3;
  const bool multiDisplay = shell.Iget("multiDisplay", 1) != 0;
  const bool berlin = shell.Iget("berlin", 1) != 0;
  shell.echoLevel = echo == 3 ? 0 : echo;
  AscentLpFiles lp;
  RecordingAscent engine(R, multiDisplay);
  IntArray current(static_cast<std::size_t>(2 * R.E) + 1, 0);
  IntArray picked(static_cast<std::size_t>(R.R) + 1, 0);  // count-prefixed terminal indices
  IntArray isPicked(static_cast<std::size_t>(R.R) + 1, 0);

  for (int q = 1; q <= R.R; ++q) {
    log(3) << "\n" << q << ". root: " << R.terminals[q] << " \n";
    const int ascentValue = engine.ascentPass(q);
    if (engine.disconnected()) continue;
    const std::int64_t lower = std::int64_t{ascentValue} + R.contractCost;
    log(3) << "Lower: " << lower << "\n";

    const IntArray& own = engine.reducedCosts();
    auto restart = [&](std::int64_t& value) {
      for (int s = 1; s <= 2 * R.E; ++s) current[s] = own[s];
      for (int i = 1; i <= picked[0]; ++i) isPicked[picked[i]] = 0;
      picked[0] = 0;
      value = lower;
    };
    std::int64_t value = 0;
    restart(value);
    for (;;) {
      log(3) << "Gewaehlte Knoten: ";
      for (int i = 1; i <= picked[0]; ++i) log(3) << " " << picked[i];
      log(3) << "\nAkt lower: " << value << "\n";
      log(3) << "Eingabe der Basisknoten: z.B. 1 2 3 0,  -1 fuer naechster Root\n";
      int x = 0;
      if (!readConsoleInt(x) || x < 0) break;
      if (x == 0) {
        lp.writeAscentLp(R, current, q, value, berlin, true);
        restart(value);
        continue;
      }
      if (x > R.R || x == q || isPicked[x]) continue;
      isPicked[x] = 1;
      picked[++picked[0]] = x;
      value -= engine.raised(x, R.terminals[x]);
      for (int s = 1; s <= 2 * R.E; ++s) {
        if (R.delE[s]) continue;
        const int gain = std::max(engine.raised(x, R.arcs[s].head), 0) - std::max(engine.raised(x, R.arcs[s].tail), 0);
        if (gain > 0) current[s] += gain;
      }
    }
  }
}

}  // namespace tesmo
