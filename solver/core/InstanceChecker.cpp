#include "InstanceChecker.h"

#include "UnionFind.h"

#include <sstream>
#include <vector>

namespace tesmo {

namespace {

class Report {
public:
  template <class... Parts>
  bool fail(const Parts&... parts) {
    if (text_.empty()) {
      std::ostringstream out;
      (out << ... << parts);
      text_ = out.str();
    }
    return false;
  }
  const std::string& text() const { return text_; }

private:
  std::string text_;
};

bool checkSlots(const ReduceGraph& R, Report& report, bool idle) {
  if (R.V < 0 || R.E < 0 || R.E > R.Emax) return report.fail("counts: V=", R.V, " E=", R.E, " Emax=", R.Emax);
  const std::size_t slots = 2 * static_cast<std::size_t>(R.Emax) + 1;
  if (R.arcs.size() < slots || R.partner.size() < slots || R.delE.size() < slots ||
      R.ID.size() < 2 * static_cast<std::size_t>(R.E) + 1)
    return report.fail("slot arrays smaller than 2*Emax+1");
  if (R.firstArc.size() < static_cast<std::size_t>(R.V) + 2 ||
      R.degree.size() < static_cast<std::size_t>(R.V) + 2 ||
      R.isReq.size() < static_cast<std::size_t>(R.V) + 1 ||
      R.treeDegree.size() < static_cast<std::size_t>(R.V) + 1)
    return report.fail("vertex arrays smaller than V+1");
  if (R.IDcount > R.IDmax || R.inTree.size() < static_cast<std::size_t>(R.IDmax) + 1)
    return report.fail("IDcount ", R.IDcount, " above IDmax ", R.IDmax);

  // In overflow mode a vertex also owns a chain of slots beyond every range (head
  // vertexWork[v], links slotNext); its partners may lie in such chains.
  std::vector<int> chainOwner;
  if (R.overflowMode) {
    chainOwner.assign(2 * static_cast<std::size_t>(R.E) + 1, 0);
    for (int v = 1; v <= R.V; ++v) {
      for (int s = R.vertexWork[v]; s != 0; s = R.slotNext[s]) {
        if (s < R.slotNext[0] || s > 2 * R.E || chainOwner[s] != 0 || R.arcs[s].tail != v)
          return report.fail("overflow chain of ", v, " holds slot ", s);
        chainOwner[s] = v;
      }
    }
  }
  auto ownedBy = [&](int p, int v) {
    const int first = R.firstArc[v];
    if (p >= first && p < first + R.degree[v]) return true;
    return R.overflowMode && p >= 1 && p <= 2 * R.E && chainOwner[p] == v;
  };

  int previousEnd = 1;
  int liveSlots = 0;
  int liveVertices = 0;
  std::vector<unsigned char> idSeen(static_cast<std::size_t>(R.IDcount) + 1, 0);
  auto checkLive = [&](int s, int v) {
    const Arc& a = R.arcs[s];
    if (a.head < 1 || a.head > R.V || a.head == v)
      return report.fail("slot ", s, " has head ", a.head);
    if (a.cost < 0 || a.cost > R.maxCost) return report.fail("slot ", s, " has cost ", a.cost, " (maxCost ", R.maxCost, ")");
    const int p = R.partner[s];
    if (p < 1 || p > 2 * R.E || p == s || R.partner[p] != s)
      return report.fail("slot ", s, " has partner ", p);
    if (R.delE[p]) return report.fail("slot ", s, " is live, its partner ", p, " deleted");
    const Arc& b = R.arcs[p];
    if (b.tail != a.head || b.head != v || b.cost != a.cost)
      return report.fail("partners ", s, " and ", p, " describe different edges");
    if (!ownedBy(p, a.head))
      return report.fail("partner ", p, " of slot ", s, " lies outside the range of ", a.head);
    const int id = R.ID[s];
    if (id < 1 || id > R.IDcount || R.ID[p] != id)
      return report.fail("slot ", s, " has identity ", id, ", its partner ", R.ID[p]);
    if (s < p) {
      if (idSeen[id]) return report.fail("identity ", id, " is used by two edges");
      idSeen[id] = 1;
    }
    return true;
  };
  for (int v = 1; v <= R.V; ++v) {
    const int first = R.firstArc[v];
    const int n = R.degree[v];
    if (n < 0) return report.fail("degree[", v, "] = ", n);
    int live = 0;
    if (n > 0) {
      if (first < previousEnd || first + n - 1 > 2 * R.E ||
          (R.overflowMode && first + n - 1 >= R.slotNext[0]))
        return report.fail("range of vertex ", v, " [", first, "..", first + n - 1,
                           "] overlaps or leaves slots 1..", 2 * R.E);
      previousEnd = first + n;
      for (int s = first; s < first + n; ++s) {
        const Arc& a = R.arcs[s];
        if (a.tail != v) return report.fail("slot ", s, " in the range of ", v, " has tail ", a.tail);
        if (R.delE[s]) continue;
        ++live;
        if (!checkLive(s, v)) return false;
      }
    }
    if (R.overflowMode) {
      for (int s = R.vertexWork[v]; s != 0; s = R.slotNext[s]) {
        if (R.delE[s]) continue;
        ++live;
        if (!checkLive(s, v)) return false;
      }
    }
    liveSlots += live;
    if (live > 0) ++liveVertices;
  }
  if (liveSlots != 2 * R.Eanz)
    return report.fail("Eanz ", R.Eanz, " but ", liveSlots, " live slots");
  // Pending contractions take edges out before the merge lowers Vanz; a tree contracted to one
  // vertex leaves that vertex counted without edges.
  const bool lastVertex = R.Eanz == 0 && R.Vanz == 1 && liveVertices == 0;
  if (idle && liveVertices != R.Vanz && !lastVertex)
    return report.fail("Vanz ", R.Vanz, " but ", liveVertices, " vertices with live edges");
  return true;
}

bool checkTerminals(const ReduceGraph& R, Report& report) {
  if (R.R < 0 || R.terminals.size() < static_cast<std::size_t>(R.R) + 1)
    return report.fail("terminal count ", R.R);
  for (int k = 1; k <= R.R; ++k) {
    const int t = R.terminals[k];
    if (t < 1 || t > R.V) return report.fail("terminal ", k, " is vertex ", t);
    if (R.isReq[t] != k) return report.fail("isReq[", t, "] = ", R.isReq[t], ", expected ", k);
  }
  int marked = 0;
  for (int v = 1; v <= R.V; ++v)
    if (R.isReq[v] != 0) ++marked;
  if (marked != R.R) return report.fail(marked, " vertices marked required, R = ", R.R);
  return true;
}

bool checkRecords(const ReduceGraph& R, Report& report) {
  const int history = R.mergeHistory[0];
  if (history % 3 != 0 || history > R.historyMax)
    return report.fail("mergeHistory holds ", history, " ints (capacity ", R.historyMax, ")");
  for (int i = 1; i <= history; ++i)
    if (R.mergeHistory[i] < 1 || R.mergeHistory[i] > R.IDcount)
      return report.fail("mergeHistory entry ", i, " = ", R.mergeHistory[i]);
  if (R.contractID[0] < 0 || R.contractID[0] > R.contractMax)
    return report.fail("contractID holds ", R.contractID[0], " (capacity ", R.contractMax, ")");
  if (R.contractCost < 0 || R.contractCost > maxint)
    return report.fail("contractCost ", R.contractCost);
  return true;
}

bool checkTree(const ReduceGraph& R, Report& report) {
  if (!R.upperOk) return true;
  const int count = R.upperTree[0];
  if (count < 0 || R.upperTree.size() < static_cast<std::size_t>(count) + 2)
    return report.fail("upperTree count ", count);
  if (R.upperTree[count + 1] > R.contractID[0])
    return report.fail("tree marker ", R.upperTree[count + 1], " above contractID count ",
                       R.contractID[0]);
  std::vector<int> slotOf(static_cast<std::size_t>(R.IDcount) + 1, 0);
  for (int s = 1; s <= 2 * R.E; ++s)
    if (!R.delE[s] && s < R.partner[s]) slotOf[R.ID[s]] = s;
  UnionFind components(R.V);
  std::vector<int> degree(static_cast<std::size_t>(R.V) + 1, 0);
  std::int64_t value = R.contractCost;
  for (int i = 1; i <= count; ++i) {
    const int id = R.upperTree[i];
    if (id < 1 || id > R.IDcount || slotOf[id] == 0)
      return report.fail("tree identity ", id, " is no live edge");
    if (!R.inTree[id]) return report.fail("tree identity ", id, " not marked inTree");
    const Arc& a = R.arcs[slotOf[id]];
    if (!components.join(a.tail, a.head)) return report.fail("stored tree has a cycle at ", id);
    ++degree[a.tail];
    ++degree[a.head];
    value += a.cost;
  }
  int markedLive = 0;
  for (int id = 1; id <= R.IDcount; ++id)
    if (slotOf[id] && R.inTree[id]) ++markedLive;
  if (markedLive != count)
    return report.fail(markedLive, " live edges marked inTree, tree lists ", count);
  for (int k = 2; k <= R.R; ++k)
    if (!components.same(R.terminals[k], R.terminals[1]))
      return report.fail("stored tree misses terminal ", R.terminals[k]);
  if (value != R.upperValue)
    return report.fail("stored tree costs ", value, ", upperValue ", R.upperValue);
  if (R.treeDegree[0] != 0) return report.fail("treeDegree[0] = ", R.treeDegree[0], " with a tree");
  for (int v = 1; v <= R.V; ++v)
    if (R.treeDegree[v] != degree[v])
      return report.fail("treeDegree[", v, "] = ", R.treeDegree[v], ", tree degree ", degree[v]);
  return true;
}

bool checkBounds(const ReduceGraph& R, Report& report) {
  if (R.upperValue < 0 || R.upperValue > maxint) return report.fail("upperValue ", R.upperValue);
  if (R.upperValueValid && R.upperValue >= maxint)
    return report.fail("upperValueValid without an upper value");
  if (R.upperOpt < -1 || R.upperOpt > 1) return report.fail("upperOpt ", R.upperOpt);
  if (R.lowerValueValid && R.upperValueValid && R.lowerValue > R.upperValue)
    return report.fail("proven lower ", R.lowerValue, " above upper ", R.upperValue);
  return true;
}

}  // namespace

std::string InstanceChecker::check(const ReduceGraph& R) const {
  Report report;
  // With contractions pending the stored tree still lists the edges being contracted.
  if (checkSlots(R, report, expectIdle_) && checkTerminals(R, report) &&
      checkRecords(R, report) && (!expectIdle_ || checkTree(R, report)) &&
      checkBounds(R, report) && expectIdle_ && !R.overflowMode) {
    // (In overflow mode the work array holds the chain heads.)
    for (int v = 0; v <= R.V; ++v)
      if (R.vertexWork[v] != 0) {
        report.fail("vertexWork[", v, "] = ", R.vertexWork[v], " between operations");
        break;
      }
  }
  return report.text();
}

}  // namespace tesmo
