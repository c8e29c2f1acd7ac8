#include "TreeReroute.h"

namespace tesmo {

void TreeReroute::flag(int s, bool on) {
  R_.inTree[R_.ID[s]] = on ? 1 : 0;
  const int step = on ? 1 : -1;
  R_.treeDegree[R_.arcs[s].tail] += step;
  R_.treeDegree[R_.arcs[s].head] += step;
}

void TreeReroute::reroute(int s, std::span<const int> path) {
  if (!active() || !R_.inTree[R_.ID[s]]) return;
  flag(s, false);
  for (int p : path)
    if (!R_.inTree[R_.ID[p]]) flag(p, true);
  changed_ = true;
}

void TreeReroute::dropLeaf(int x) {
  if (!active() || R_.isReq[x] || R_.treeDegree[x] != 1) return;
  for (int s = R_.nextLiveSlot(x, 0); s != 0; s = R_.nextLiveSlot(x, s)) {
    if (!R_.inTree[R_.ID[s]]) continue;
    flag(s, false);
    changed_ = true;
    return;
  }
}

void TreeReroute::finish(const char* label) {
  if (!changed_ || !R_.upperOk) return;
  IntArray slots(1, 0);
  for (int s = 1; s <= 2 * R_.E; ++s)
    if (!R_.delE[s] && s < R_.partner[s] && R_.inTree[R_.ID[s]]) slots.push_back(s);
  slots[0] = static_cast<int>(slots.size()) - 1;
  // Not a rival of the stored tree but its successor: it is stored even when equal in value.
  R_.upperOk = 0;
  R_.setUpper(slots, label, 0);
  changed_ = false;
}

}  // namespace tesmo
