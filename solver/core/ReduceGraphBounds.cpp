// Lower and upper bounds, the stored best tree and the tree read back from the problem file.

#include "ReduceGraph.h"

#include "DisplayHooks.h"
#include "LogStream.h"
#include "RunTimer.h"
#include "ScopedVerbosity.h"
#include "Shell.h"
#include "StpFormat.h"
#include "TreeCombination.h"

#include <algorithm>
#include <fstream>

namespace tesmo {

bool ReduceGraph::combineActive = false;

namespace {

ReduceGraph::CombineSolver& combineSolver() {
  static ReduceGraph::CombineSolver solver;
  return solver;
}

int elapsedSeconds() { return static_cast<int>(runTimer.elapsedTime()); }

}  // namespace

void ReduceGraph::setCombineSolver(CombineSolver solver) { combineSolver() = std::move(solver); }

void ReduceGraph::destroyUpper() {
  log(3) << "Upper destroyed!\n";
  upperOk = 0;
}

void ReduceGraph::setLower(int l, int tag) {
  if (heuristicallyReduced) return;
  const int offset = messageOffset();
  if (l < contractCost && upperValueValid)
    failCheck("l<contractCost && upperValueValid", __LINE__);
  if (lowerValue > l) return;
  if (lowerValue < l)
    log(offset + 1) << "lower improved: " << lowerValue << " --> " << l
                    << "  (elapsed time: " << elapsedSeconds() << ")\n";
  lowerValue = l;
  lowerValueValid = 1;
  if (tag != 0) lowerTag = tag;
  if (lowerValue < upperValue) return;
  log(offset + 1) << "Lower bound reaches known upper.\n";
  upperOpt = 1;
  if (lowerValue > upperValue) {
    if (upperValueValid) failCheck("upperValueValid", __LINE__);
    log(offset + 1) << "(lower > upper) but thats okay.\n";
    upperOpt = -1;
  }
}

void ReduceGraph::storeTree(const IntArray& slots, int count) {
  upperOk = 1;
  if (static_cast<std::size_t>(count) + 2 > upperTree.size()) upperTree.resize(count + 2, 0);
  upperTree[0] = count;
  std::fill(inTree.begin(), inTree.end(), static_cast<unsigned char>(0));
  std::fill(treeDegree.begin(), treeDegree.begin() + V + 1, 0);
  for (int i = 1; i <= count; ++i) {
    const int s = slots[i];
    ++treeDegree[arcs[s].tail];
    ++treeDegree[arcs[s].head];
    upperTree[i] = ID[s];
    inTree[ID[s]] = 1;
  }
  upperTree[count + 1] = contractID[0];
}

void ReduceGraph::logUpperTail(const char* label) const {
  if (label) log(messageOffset() + 1) << " (" << label << ")";
  log(messageOffset() + 1) << "  (elapsed time: " << elapsedSeconds() << ")\n";
}

void ReduceGraph::setUpper(IntArray& slots, const char* label, int combine) {
  if (shell.Iget("skipSetUpper", 0) != 0) return;
  const int offset = messageOffset();
  if (slots.empty()) slots.assign(1, 0);
  std::int64_t value = contractCost;
  UnionFind& components = vertexSets_;
  components.reset(V);

  int count = slots[0];
  for (int i = 1; i <= count;) {
    const int s = slots[i];
    if (s < 1 || s > 2 * E) {
      // Not a slot of this instance: the tree cannot be judged.
      log(2) << "upper not correct (no edge " << s << "), ignored.\n";
      return;
    }
    if (!components.join(arcs[s].tail, arcs[s].head)) {
      log(2) << "upper not correct (cyclic), corrected.\n";
      slots[i] = slots[count--];
      continue;
    }
    value += arcs[s].cost;
    ++i;
  }
  slots[0] = count;

  if (R >= 2) {
    const int first = components.find(terminals[1]);
    for (int k = 2; k <= R; ++k) {
      if (components.find(terminals[k]) != first) {
        log(2) << "upper not correct (disconnected), ignored.\n";
        return;
      }
    }
  }
  if (value < 0 || value >= maxint) {
    log(2) << "upper not correct (upper value: " << static_cast<int>(static_cast<std::int32_t>(value))
           << "), ignored.\n";
    // A tree as long as the infinity is merely useless; only a negative value is a fault.
    if (value < 0) failCheck("\"invalid upper value\"", __LINE__);
    return;
  }
  if (!combineActive && combine && upperOk && shell.Iget("combineSolutions", 1) != 0)
    combineWith(slots, label, value);

  if (value > upperValue) {
    if (value > maxint) return;  // the combination has stored its tree
    log(offset + 3) << "deteriorated upper " << upperValue << " --> " << value;
    if (label) log(offset + 3) << " (" << label << ")";
    log(offset + 3) << " ignored\n";
    if (!upperOk && value < treeDegree[0]) {
      std::fill(treeDegree.begin() + 1, treeDegree.begin() + V + 1, 0);
      for (int i = 1; i <= count; ++i) {
        ++treeDegree[arcs[slots[i]].tail];
        ++treeDegree[arcs[slots[i]].head];
      }
      treeDegree[0] = static_cast<int>(value);
    }
    return;
  }

  storeTree(slots, count);
  if (value < upperValue) {
    log(offset + 1) << "upper improved: " << upperValue << " --> " << value;
  } else {
    log(offset + 1) << "resetting upper: " << value;
  }
  upperValue = static_cast<int>(value);
  logUpperTail(label);
  if (upperValue > lowerValue) {
    upperValueValid = 1;
    return;
  }
  log(offset + 1) << "Upper reaches known lower.\n";
  upperOpt = 1;
  if (upperValue < lowerValue) {
    upperOpt = -1;
    log(offset + 1) << "WARNING: upper < lower\n";
    if (lowerValueValid) failCheck("lowerValueValid && \"new upper < lower\"", __LINE__);
  }
  upperValueValid = 1;
}

void ReduceGraph::combineWith(const IntArray& slots, const char* label, std::int64_t& value) {
  const CombineSolver& solver = combineSolver();
  if (!solver) return;  // no solver installed: the offered tree is judged alone
  combineActive = true;
  TreeCombination::shared().run(*this, slots, label, value, solver);
  combineActive = false;
}

void ReduceGraph::markDisconnected() {
  upperOpt = -1;
  log(1) << "Graph is not connected anymore! \n";
  log(1) << "(required vertex isolated).\n";
  if (upperValueValid && lowerValueValid) {
    display(*this);
    failCheck("upperValueValid", __LINE__);
  } else {
    lowerValue = upperValue;
  }
}

// Removes every occurrence of id from the count-prefixed tree list, the last entry filling the
// gap; the marker behind the list moves down with its end.
void ReduceGraph::removeFromUpperTree(int id) {
  int count = upperTree[0];
  const int marker = upperTree[count + 1];
  for (int i = 1; i <= count;) {
    if (upperTree[i] == id) {
      upperTree[i] = upperTree[count--];
    } else {
      ++i;
    }
  }
  upperTree[0] = count;
  upperTree[count + 1] = marker;
}

void ReduceGraph::readTree() {
  if (shell.Iget("ignoreTree", 0) != 0) return;
  const char* problem = shell.lookup("problem");
  if (!problem || isPlainNumericName(problem)) return;
  std::ifstream in(problem);
  if (!in) return;
  std::string line;
  std::getline(in, line);
  bool found = false;
  while (std::getline(in, line)) {
    if (isSectionLine(line, "tree")) {
      found = true;
      break;
    }
  }
  if (!found) return;

  std::string word;
  long long value = 0;
  long long edges = 0;
  if (!(in >> word >> value >> word >> edges) || value < 0 || value > maxint || edges < 0 ||
      edges > std::max(V - 1, 0)) {
    log(1) << "tree section of the problem file does not fit the instance, ignored.\n";
    return;
  }
  if (edges == 0) {
    destroyUpper();
    log(3) << "no tree saved, just setting upperValue: " << value << std::endl;
    upperValue = static_cast<int>(value);
  } else {
    if (solutionList.size() < static_cast<std::size_t>(edges) + 2)
      solutionList.resize(static_cast<std::size_t>(edges) + 2, 0);
    solutionList[0] = 0;
    bool fits = true;
    for (long long i = 0; i < edges && fits; ++i) {
      long long a = 0;
      long long b = 0;
      fits = static_cast<bool>(in >> word >> a >> b) && a >= 1 && a <= V && b >= 1 && b <= V;
      int slot = 0;
      if (fits) {
        const int end = firstArc[a] + degree[a];
        for (int s = firstArc[a]; s < end && slot == 0; ++s)
          if (!delE[s] && arcs[s].head == b) slot = s;
      }
      fits = fits && slot != 0;
      if (fits) solutionList[++solutionList[0]] = slot;
    }
    if (fits) {
      setUpper(solutionList, "read from file", 1);
    } else {
      solutionList[0] = 0;
      log(1) << "tree section of the problem file does not fit the instance, ignored.\n";
    }
  }

  if (shell.Iget("includeContractCost", 1) != 0 && R >= 1) {
    const int last = terminals[R];
    if (liveSlotCount(last) == 1) {
      log(3) << "including contractCost\n";
      int s = firstArc[last];
      while (delE[s]) ++s;
      if (upperOk && !inTree[ID[s]]) destroyUpper();
      addPendingContraction(s);
      updateContract(nullptr, true);
    }
  }
}

int ReduceGraph::liveSlotCount(int v) const {
  int live = 0;
  const int end = firstArc[v] + degree[v];
  for (int s = firstArc[v]; s < end; ++s)
    if (!delE[s]) ++live;
  return live;
}

}  // namespace tesmo
