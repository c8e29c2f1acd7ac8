#include "AscentDeletion.h"

#include "AscentDelEngine.h"
#include "AscentEngine.h"
#include "RootedAscent.h"
#include "EdgeDeletion.h"
#include "LogStream.h"
#include "Shell.h"

#include <cstdint>

namespace tesmo {

namespace {

// The ascent of the tests: the driver's choice by component size with its tolerance diff, one
// log line per raise. Its bound is the test's own and never offered to the instance.
class TestAscent : public RootedAscent {
public:
  TestAscent(ReduceGraph& R, int diff) : RootedAscent(R) { setDiff(diff); }

protected:
  bool beforeRaise() override {
    log(4) << chosen_ << " : C" << delta_ << " S" << size_[chosen_] << "\n";
    return true;
  }
};

struct DeletionOptions {
  int root = 1;
  bool required = true;
  bool removal = true;
  bool edges = true;
  int maxTests = maxint;
  int diff = 5;
  int limit = maxint;

  DeletionOptions() {
    const int echo = shell.echoLevel;
    shell.echoLevel = 3;
    root = shell.Iget("root", 1);
    required = shell.Iget("ascentReq", 1) != 0;
    removal = shell.Iget("ascentDel", 1) != 0;
    edges = shell.Iget("ascentEdges", 1) != 0;
    maxTests = shell.Iget("ascentDelMax", maxint);
    diff = shell.Iget("diff", 5);
    shell.echoLevel = 0;
    limit = shell.Iget("ascentDelLimit", maxint);
    shell.echoLevel = echo == 3 ? 0 : echo;
  }
};

// Terminals appended for one test and taken off again afterwards.
class TemporaryTerminals {
public:
  explicit TemporaryTerminals(ReduceGraph& R) : R_(R), base_(R.R) {
    if (R.terminals.size() < static_cast<std::size_t>(R.R) + 3) R.terminals.resize(R.R + 3, 0);
  }
  void add(int v) {
    R_.terminals[++R_.R] = v;
    R_.isReq[v] = R_.R;
  }
  void clear() {
    while (R_.R > base_) R_.isReq[R_.terminals[R_.R--]] = 0;
  }

private:
  ReduceGraph& R_;
  int base_;
};

bool liveVertex(const ReduceGraph& R, int v) { return R.degree[v] != 0 && R.hasLiveSlot(v); }

void ascentDeletionCore(ReduceGraph& R) {
  const DeletionOptions options;
  if (R.V > options.limit || R.R < 1) return;
  leaveOverflowMode(R);
  log(3) << "Upper: " << R.upperValue << "\n";
  int first = options.root, last = options.root;
  if (options.root < 0) first = last = R.lowerTag;
  if (options.root == 0) first = 1, last = R.R;
  if (first > R.R) first = last = R.R;

  TestAscent engine(R, options.diff);
  TemporaryTerminals temporary(R);
  IntArray makeRequired(static_cast<std::size_t>(R.V) + 1, 0);
  int deletedEdges = 0, deletedVertices = 0, required = 0;
  std::int64_t tests = 0;
  for (int q = first; q <= last; ++q) {
    log(3) << q << ". root: " << R.terminals[q] << "\n";
    const int vertexTests = R.V;
    const int end = vertexTests + (options.edges ? 2 * R.E : 0);
    for (int x = 0; x <= end && tests <= options.maxTests; ++x) {
      int avoided = 0, v = 0, slot = 0;
      if (x >= 1 && x <= vertexTests) {
        v = x;
        if (R.isReq[v] != 0 || !liveVertex(R, v)) continue;
        if (R.treeDegree[v] != 0) {
          if (!options.removal) continue;
          log(3) << "Geloeschter Knoten: " << v << "\t";
          avoided = v;
        } else {
          if (!options.required) continue;
          log(3) << "Gesetzter Knoten: " << v << "\t";
          temporary.add(v);
        }
      } else if (x > vertexTests) {
        slot = x - vertexTests;
        if (slot > 2 * R.E || R.delE[slot]) continue;
        const Arc& a = R.arcs[slot];
        if (a.tail > a.head || R.inTree[R.ID[slot]] || R.isReq[a.tail] != 0 || R.isReq[a.head] != 0 ||
            R.degree[a.tail] <= 1 || R.degree[a.head] <= 1)
          continue;
        temporary.add(a.tail);
        temporary.add(a.head);
      }
      ++tests;
      const bool removalKind = slot == 0 && (x == 0 || avoided != 0);
      std::int64_t value = engine.run(q, avoided);
      if (engine.disconnected()) {
        if (removalKind)
          log(1) << "\n\n\n\n\n\nZZK mit Uebergang: " << v;
        else
          log(1) << "Graph unzusammenhaengend\n";
        value = std::int64_t{R.upperValue} + 1;
      }
      log(3) << "Lower: " << value;
      const std::int64_t lower = value + R.contractCost;
      log(3) << "+Contr= " << lower << "\n";
      temporary.clear();
      const bool success = lower > R.upperValue || (lower == R.upperValue && R.upperOk);
      if (!success) continue;
      if (removalKind) {
        if (makeRequired[v] || x == 0) continue;
        log(3) << "Success! REQ++" << x << "\n";
        makeRequired[v] = 1;
        ++required;
      } else if (slot != 0) {
        log(3) << "Success! DEL-E!" << "(" << R.arcs[slot].tail << "-" << R.arcs[slot].head << ")" << "\n";
        ++deletedEdges;
        R.deleteEdge(slot);
      } else {
        log(3) << "Success! DEL-V!" << v << "\n";
        ++deletedVertices;
        R.deleteVertex(v);
      }
    }
  }
  log(3) << "delE" << ":" << deletedEdges << ", " << "delV" << ":" << deletedVertices << ", " << "reqV" << ":"
         << required << ", ";
  R.deleteUnreachable();
  for (int v = 1; v <= R.V; ++v)
    if (makeRequired[v] && R.degree[v] != 0) R.addTerminal(v);
  R.deleteUnreachable();
}

// Counts only: per vertex off the stored tree, a rescaled ascent bounds the trees through it.
void ascentDeletionStatistics(ReduceGraph& R) {
  if (R.R < 1) return;
  leaveOverflowMode(R);
  const std::int64_t gap = R.upperOk ? std::int64_t{R.upperValue} - 1 : R.upperValue;
  AscentDelEngine engine(R);
  engine.applyToInstance = 0;
  int rootIndex = 1, deletable = 0, replaceable = 0, possiblyReplaceable = 0;
  for (int v = 1; v <= R.V; ++v) {
    if (R.isReq[v] != 0 || !liveVertex(R, v) || (R.upperOk && R.treeDegree[v] != 0)) continue;
    if (++rootIndex > R.R) rootIndex = 1;
    const std::int64_t value = engine.run(rootIndex, v);
    engine.reducedCostDistances();
    const std::int64_t scaled = std::int64_t{engine.distancesFromRoot()[v]} +
                                2 * std::int64_t{engine.distancesToTerminal()[v]} + value;
    const std::int64_t smallest = engine.smallestCost();
    const std::int64_t rLower = scaled / 4 + 2 * smallest + R.contractCost;
    log(3) << "rLower" << ":" << rLower << ", " << "rLower+DA.minEdge" << ":" << (rLower + smallest) << ", "
           << "rUpper" << ":" << gap << ", ";
    if (rLower > gap)
      ++deletable;
    else if (rLower + smallest > gap)
      ++replaceable;
    else if (rLower + engine.secondSmallestCost() > gap)
      ++possiblyReplaceable;
  }
  log(3) << "del" << ":" << deletable << ", " << "rep" << ":" << replaceable << ", " << "possibly_rep" << ":"
         << possiblyReplaceable << ", ";
}

}  // namespace

void ascentDel(ReduceGraph& R) {
  if (shell.Iget("ascentDelOld", 1) != 0)
    ascentDeletionCore(R);
  else
    ascentDeletionStatistics(R);
}

}  // namespace tesmo
