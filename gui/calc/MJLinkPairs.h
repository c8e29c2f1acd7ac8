#pragma once
// Walking the pairs of links that share a sequence, and the progress gauge of that walk: used by
// the candidate generators and the MJ square option.

#include "MJDistanceCache.h"

#include <algorithm>

namespace mjpairs {

// Calls `visit(j)` for every link j > i that shares an end with link i, in ascending order.
// `incident(v)` gives the ascending link numbers at sequence v as a range of ints.
template <class Incident, class Visit>
void ForAdjacentLaterLinks(const TMJLinkList& links, Incident&& incident, int i, Visit&& visit) {
  const auto& la = incident(links[static_cast<std::size_t>(i)].a);
  const auto& lb = incident(links[static_cast<std::size_t>(i)].b);
  auto p = std::upper_bound(la.begin(), la.end(), i);
  auto q = std::upper_bound(lb.begin(), lb.end(), i);
  while (p != la.end() || q != lb.end()) {
    int j;
    if (q == lb.end() || (p != la.end() && *p < *q)) {
      j = *p++;
    } else if (p == la.end() || *q < *p) {
      j = *q++;
    } else {  // a link with both ends in common appears in both lists
      j = *p++;
      ++q;
    }
    visit(j);
  }
}

// Reports progress in percent when it moved by at least 2 or reached 100.
class Gauge {
public:
  explicit Gauge(double total) : total_(total) {}
  template <class Report>
  void Move(double done, Report&& report) {
    const int pct = total_ <= 0 ? 100 : std::min(100, static_cast<int>(done * 100.0 / total_ + 0.5));
    if (pct >= position_ + 2 || (pct == 100 && position_ != 100)) {
      position_ = pct;
      report(pct);
    }
  }

private:
  double total_;
  int position_ = 0;
};

}  // namespace mjpairs
