#include "MJPlaneCandidates.h"

#include "MJLinkPairs.h"

#include <algorithm>
#include <utility>
#include <tuple>

namespace {

// The three candidate rows of X, Y, Z into rows (three strides): per character the majority state
// where two agree (candidate 0 takes Y's state where only Y and Z agree), else X's, Y's and Z's
// state. Only candidate 0 without `all`. True when some character has three different states.
bool BuildRows(const TMJBitSequences& codes, const uint64_t* x, const uint64_t* y,
               const uint64_t* z, bool all, uint64_t* rows) {
  const auto w = static_cast<std::size_t>(codes.Words());
  const auto planes = static_cast<std::size_t>(codes.Planes());
  const std::size_t stride = codes.Stride();
  uint64_t* c0 = rows;
  uint64_t* c1 = rows + stride;
  uint64_t* c2 = rows + 2 * stride;
  uint64_t anyDistinct = 0;
  for (std::size_t i = 0; i < w; ++i) {
    uint64_t xy = 0, xz = 0, yz = 0;
    for (std::size_t p = 0; p < planes; ++p) {
      const std::size_t o = p * w + i;
      xy |= x[o] ^ y[o];
      xz |= x[o] ^ z[o];
      yz |= y[o] ^ z[o];
    }
    const uint64_t takeX = ~xy | ~xz;     // x agrees with y or with z
    const uint64_t takeY = xy & xz & ~yz; // only y and z agree
    const uint64_t distinct = xy & xz & yz;
    anyDistinct |= distinct;
    // The 'X' mask plane follows the states it belongs to.
    for (std::size_t p = 0; p <= planes; ++p) {
      const std::size_t o = p * w + i;
      c0[o] = (x[o] & ~takeY) | (y[o] & takeY);
      if (all) {
        c1[o] = (x[o] & takeX) | (y[o] & ~takeX);
        c2[o] = (x[o] & takeX) | (y[o] & takeY) | (z[o] & distinct);
      }
    }
  }
  return anyDistinct != 0;
}

// The candidate rows of the triple into rows; returns how many there are (one for binary data or
// where no character has three states).
int CandidateRows(const TMJBitSequences& codes, int X, int Y, int Z, bool binary, uint64_t* rows) {
  const bool three = BuildRows(codes, codes.Row(X), codes.Row(Y), codes.Row(Z), !binary, rows);
  return binary || !three ? 1 : 3;
}

uint64_t LinkKeyOf(int a, int b) {
  return static_cast<uint64_t>(static_cast<uint32_t>(a)) << 32 | static_cast<uint32_t>(b);
}

uint64_t TripleKeyOf(int x, int y, int z) {
  return static_cast<uint64_t>(static_cast<uint32_t>(x)) << 40 |
         static_cast<uint64_t>(static_cast<uint32_t>(std::min(y, z))) << 20 |
         static_cast<uint64_t>(static_cast<uint32_t>(std::max(y, z)));
}

}  // namespace

bool TMJPlaneCandidates::SameKey(const TMJBitSequences& codes, const uint64_t* a,
                                 const uint64_t* b) {
  const std::size_t n = codes.KeyWords();
  for (std::size_t k = 0; k < n; ++k)
    if (a[k] != b[k]) return false;
  return true;
}

unsigned TMJPlaneCandidates::CandidateCorners(unsigned shape, int k) {
  using B = TMJBitSequences;
  // Candidate 0 keeps X's state except where only Y and Z agree; candidate 1 keeps X's where X
  // agrees with Y or Z and Y's elsewhere; candidate 2 takes the majority and Z's where all three
  // differ (see BuildRows).
  const bool three = (shape & B::AllDiffer) != 0;
  switch (k) {
    case 0:
      return (shape & B::OnlyYZAgree ? 0u : 1u) |
             (three || (shape & B::OnlyXZAgree) ? 0u : 2u) |
             (three || (shape & B::OnlyXYAgree) ? 0u : 4u);
    case 1: return three && !(shape & B::OnlyXZAgree) ? 2u : 0u;
    case 2: return three && !(shape & B::OnlyXYAgree) ? 4u : 0u;
    default: return 0;
  }
}

const uint64_t* TMJPlaneCandidates::BuildRow(const TMJBitSequences& codes, int X, int Y, int Z,
                                             int k, std::vector<uint64_t>& buffer) {
  buffer.resize(codes.Stride() * 3);
  BuildRows(codes, codes.Row(X), codes.Row(Y), codes.Row(Z), k > 0, buffer.data());
  return buffer.data() + codes.Stride() * static_cast<std::size_t>(k);
}

void TMJPlaneCandidates::Run(const TMJBitSequences& codes, const TMJDistanceCache* cache,
                             const TMJLinkList& links, int count,
                             const TMJCandidateSettings& settings, const TMJRowSet& existing,
                             TMJRunningBest& running, TMJObserver* observer,
                             const std::vector<int>* lengths) {
  candidates_.clear();
  if (observer) {
    observer->CombinationProgress(0);
    observer->FeasibleCombinations(0);
  }
  // Links at each sequence, ascending (a link whose ends agree is listed once), each with its
  // ends and its length so that the walk over the link pairs reads one list after the other. The
  // third side of a triple is computed from the planes, which stay in the processor's caches
  // where the distance triangle does not.
  const auto c = static_cast<int>(links.size());
  const bool binary = settings.binary;
  const int mw = settings.minimumWeight;
  int maxEnd = count;
  for (const TMJLink& l : links) maxEnd = std::max({maxEnd, l.a, l.b});
  length_.resize(static_cast<std::size_t>(c));
  if (lengths) {
    std::copy(lengths->begin(), lengths->end(), length_.begin());
  } else if (cache) {
    for (int k = 0; k < c; ++k) {
      const TMJLink& l = links[static_cast<std::size_t>(k)];
      length_[static_cast<std::size_t>(k)] = l.a == l.b ? 0 : static_cast<int>(cache->Get(l.a, l.b));
    }
  } else if (c > 0) {
    static_assert(sizeof(TMJLink) == 3 * sizeof(int32_t));
    codes.PairDistances(&links[0].a, 3, links.size(), length_.data());
  }
  // Binary triples with a side of the smallest weight are passed over (below), so such links are
  // not listed there.
  const auto listed = [&](int k) { return !binary || length_[static_cast<std::size_t>(k)] != mw; };
  start_.assign(static_cast<std::size_t>(maxEnd) + 2, 0);
  for (int k = 0; k < c; ++k) {
    if (!listed(k)) continue;
    const TMJLink& l = links[static_cast<std::size_t>(k)];
    ++start_[static_cast<std::size_t>(l.a) + 1];
    if (l.b != l.a) ++start_[static_cast<std::size_t>(l.b) + 1];
  }
  for (std::size_t v = 1; v < start_.size(); ++v) start_[v] += start_[v - 1];
  at_.resize(static_cast<std::size_t>(start_.back()));
  fill_.assign(start_.begin(), start_.end() - 1);
  // Where each link's own entries sit, so that the links after it at either end need no search.
  place_.resize(static_cast<std::size_t>(c) * 2);
  for (int k = 0; k < c; ++k) {
    if (!listed(k)) continue;
    const TMJLink& l = links[static_cast<std::size_t>(k)];
    const LinkAt entry{k, l.a, l.b, length_[static_cast<std::size_t>(k)]};
    const int atA = fill_[static_cast<std::size_t>(l.a)]++;
    at_[static_cast<std::size_t>(atA)] = entry;
    int atB = atA;
    if (l.b != l.a) {
      atB = fill_[static_cast<std::size_t>(l.b)]++;
      at_[static_cast<std::size_t>(atB)] = entry;
    }
    place_[2 * static_cast<std::size_t>(k)] = atA;
    place_[2 * static_cast<std::size_t>(k) + 1] = atB;
  }
  // A triple of two links at a sequence that did nothing in the last run (passed over for its
  // sides of the smallest weight, or all its candidates existing) does nothing again while both
  // links stay and sequences are only appended. Per sequence the cost below which all its
  // triples of the last run's links did so is kept: once the running best (plus epsilon) lies
  // below it, every such triple there either does nothing or is passed over for its cost, and
  // only the pairs with a link new in this run are looked at.
  const auto ends = static_cast<std::size_t>(maxEnd) + 1;
  // Links of the last run are known by their ends (positions stay while sequences are only
  // appended). The links come as a few runs sorted by their ends: merged into one sorted list,
  // they are compared with the last run's list in one pass (a hash set of millions of links
  // would miss the caches at every look-up).
  fresh_.assign(static_cast<std::size_t>(c), 1);
  thisKeys_.resize(static_cast<std::size_t>(c));
  for (int k = 0; k < c; ++k) {
    const TMJLink& l = links[static_cast<std::size_t>(k)];
    thisKeys_[static_cast<std::size_t>(k)] = {LinkKeyOf(l.a, l.b), k};
  }
  {
    auto begin = thisKeys_.begin();
    for (auto it = begin + (c > 0 ? 1 : 0); it < thisKeys_.end(); ++it)
      if (it->first < std::prev(it)->first) {
        if (begin != thisKeys_.begin()) {
          // More than two runs: one sort.
          std::sort(thisKeys_.begin(), thisKeys_.end());
          begin = thisKeys_.end();
          break;
        }
        begin = it;
      }
    if (begin != thisKeys_.begin() && begin != thisKeys_.end())
      std::inplace_merge(thisKeys_.begin(), begin, thisKeys_.end());
  }
  if (remembered_) {
    std::size_t last = 0;
    for (const auto& [key, k] : thisKeys_) {
      while (last < lastKeys_.size() && lastKeys_[last] < key) ++last;
      if (last < lastKeys_.size() && lastKeys_[last] == key) fresh_[static_cast<std::size_t>(k)] = 0;
    }
  }
  // The new links per sequence on their own, and the last of them: an old link after it has no
  // pair with a new one there.
  freshStart_.assign(ends + 1, 0);
  for (std::size_t v = 1; v < ends; ++v)
    for (int e = start_[v]; e < start_[v + 1]; ++e)
      if (fresh_[static_cast<std::size_t>(at_[static_cast<std::size_t>(e)].link)]) ++freshStart_[v + 1];
  for (std::size_t v = 1; v < freshStart_.size(); ++v) freshStart_[v] += freshStart_[v - 1];
  freshAt_.resize(static_cast<std::size_t>(freshStart_.back()));
  lastFresh_.assign(ends, -1);
  for (std::size_t v = 1; v < ends; ++v) {
    int w = freshStart_[v];
    for (int e = start_[v]; e < start_[v + 1]; ++e) {
      const LinkAt& l = at_[static_cast<std::size_t>(e)];
      if (fresh_[static_cast<std::size_t>(l.link)]) freshAt_[static_cast<std::size_t>(w++)] = l;
    }
    if (w > freshStart_[v]) lastFresh_[v] = freshAt_[static_cast<std::size_t>(w - 1)].link;
  }
  quiet_.assign(ends, 0);
  if (remembered_)
    for (std::size_t v = 1; v < ends && v < lastIdle_.size(); ++v) quiet_[v] = lastIdle_[v];
  idle_.assign(ends, NothingBelow);
  const auto laterFresh = [&](int v, int i) {
    const LinkAt* first = freshAt_.data() + freshStart_[static_cast<std::size_t>(v)];
    const LinkAt* last = freshAt_.data() + freshStart_[static_cast<std::size_t>(v) + 1];
    return std::make_pair(
        std::upper_bound(first, last, i, [](int x, const LinkAt& e) { return x < e.link; }), last);
  };
  const auto distance = [&](int a, int b) { return a == b ? 0 : codes.Distance(a, b); };
  // Triple keys hold sequence numbers below 2^20 apart.
  const bool shortKeys = maxEnd < (1 << 20);
  const bool sidesOnPlanes = !codes.AnySlow();
  present_.assign(ends, 0);
  for (std::size_t v = 1; v < ends && v <= static_cast<std::size_t>(codes.Count()); ++v) {
    if (start_[v] == start_[v + 1]) continue;
    const auto pos = static_cast<int>(v);
    present_[v] = Exists(codes, existing, codes.Row(pos), codes.Hash(pos));
  }

  const std::size_t stride = codes.Stride();
  rows_.assign(stride * 3, 0);
  // The triples of the last run with a new candidate: with the median vectors added since, one
  // whose candidates all exist did nothing after all.
  if (remembered_)
    for (const Pending& t : pending_) {
      auto& below = quiet_[static_cast<std::size_t>(t.shared)];
      if (below <= t.cost) continue;
      const int perTriple = CandidateRows(codes, t.X, t.Y, t.Z, settings.binary, rows_.data());
      for (int k = 0; k < perTriple; ++k)
        if (!Exists(codes, existing, rows_.data() + stride * static_cast<std::size_t>(k))) {
          below = t.cost;
          break;
        }
    }
  pending_.clear();
  const bool fhp = settings.criterion == TMJCriterion::GreedyFHP;
  kept_.Clear();
  // Greedy FHP has no cost bound: a sequence is passed over only when none of its triples does
  // anything. Passing over keeps what is known of the triples not looked at.
  const auto passOver = [&](int v) {
    const int32_t below = quiet_[static_cast<std::size_t>(v)];
    const bool pass = fhp ? below == NothingBelow
                          : static_cast<int64_t>(below) > static_cast<int64_t>(running.best) + settings.epsilon;
    if (pass) idle_[static_cast<std::size_t>(v)] = std::min(idle_[static_cast<std::size_t>(v)], below);
    return pass;
  };
  const auto didSomething = [&](int v, int cost) {
    idle_[static_cast<std::size_t>(v)] = std::min(idle_[static_cast<std::size_t>(v)], std::max(cost, 0));
  };
  mjpairs::Gauge gauge(static_cast<double>(c) * (c - 1) / 2.0);
  double examined = 0;
  for (int i = 0; i + 1 < c; ++i) {
    if (observer) {
      observer->KeepAlive();
      gauge.Move(examined, [&](int p) { observer->CombinationProgress(p); });
    }
    examined += c - 1 - i;
    if (!listed(i)) continue;
    const TMJLink& li = links[static_cast<std::size_t>(i)];
    const int X = li.a, Y = li.b;
    const int dXY = length_[static_cast<std::size_t>(i)];
    // The links after link i at X and at Y. At a quiet end only the pairs with a new link are
    // looked at (all of them when link i is new), none once the last new link there comes
    // before link i.
    const bool oldI = !fresh_[static_cast<std::size_t>(i)];
    const LinkAt *p = nullptr, *pEnd = nullptr, *q = nullptr, *qEnd = nullptr;
    if (!(oldI && passOver(X))) {
      p = at_.data() + place_[2 * static_cast<std::size_t>(i)] + 1;
      pEnd = at_.data() + start_[static_cast<std::size_t>(X) + 1];
    } else if (lastFresh_[static_cast<std::size_t>(X)] > i) {
      std::tie(p, pEnd) = laterFresh(X, i);
    }
    if (!(oldI && passOver(Y))) {
      q = at_.data() + place_[2 * static_cast<std::size_t>(i) + 1] + 1;
      qEnd = at_.data() + start_[static_cast<std::size_t>(Y) + 1];
    } else if (lastFresh_[static_cast<std::size_t>(Y)] > i) {
      std::tie(q, qEnd) = laterFresh(Y, i);
    }
    // Every later link sharing an end with link i, ascending, once.
    while (p != pEnd || q != qEnd) {
      const LinkAt* lj;
      if (q == qEnd || (p != pEnd && p->link < q->link)) {
        lj = p++;
      } else if (p == pEnd || q->link < p->link) {
        lj = q++;
      } else {  // a link with both ends in common appears in both lists
        lj = p++;
        ++q;
      }
      int Z, shared;
      if (lj->a == X || lj->a == Y) {
        Z = lj->b;
        shared = lj->a;
      } else {
        Z = lj->a;
        shared = lj->b;
      }
      if (oldI && !fresh_[static_cast<std::size_t>(lj->link)] && passOver(shared)) continue;
      // Link j joins the shared sequence to Z; the other end of link i gives the third side.
      const int dShared = lj->length;
      // Sides of the smallest weight: binary triples with one are passed over, others with two.
      // The third side is computed only when it can decide, or together with the cost.
      const int e2 = (dXY == mw) + (dShared == mw);
      if (binary ? e2 > 0 : e2 >= 2) continue;
      // The cost, the third side and which candidates are X, Y or Z themselves come from one
      // pass over the three rows; the third side of sequences that do not go through the planes
      // comes from the data set.
      int dXZ = 0, dYZ = 0;
      unsigned shape = 0;
      int cost = codes.TripleCostAndSides(codes.Row(X), codes.Row(Y), codes.Row(Z), dXZ, dYZ, shape);
      if (binary || e2 == 1) {
        const int third = sidesOnPlanes ? (shared == X ? dYZ : dXZ) : distance(shared == X ? Y : X, Z);
        if (third == mw) continue;
      }
      // A triple above the running best cannot lower it nor be kept, whether or not its
      // candidates exist: it is passed over before any candidate is built.
      if (!fhp && cost > running.best + settings.epsilon) {
        didSomething(shared, cost);
        continue;
      }
      // The tests above and this one only pass over triples, so their order is free.
      const uint64_t triple = TripleKeyOf(X, Y, Z);
      const int perTriple = binary || !(shape & TMJBitSequences::AllDiffer) ? 1 : 3;
      // A candidate equal to one of the three sequences exists when that sequence does, with no
      // row built and no look-up; most existing candidates are such.
      bool known[3] = {false, false, false};
      for (int k = 0; k < perTriple; ++k) {
        const unsigned corners = CandidateCorners(shape, k);
        known[k] = ((corners & 1) && present_[static_cast<std::size_t>(X)]) ||
                   ((corners & 2) && present_[static_cast<std::size_t>(Y)]) ||
                   ((corners & 4) && present_[static_cast<std::size_t>(Z)]);
      }
      if (shortKeys && known[0] && (perTriple == 1 || (known[1] && known[2]))) continue;
      CandidateRows(codes, X, Y, Z, binary, rows_.data());
      const auto exists = [&](int k) {
        return known[k] ||
               Exists(codes, existing, rows_.data() + stride * static_cast<std::size_t>(k));
      };
      // A triple shares its key only with triples of the same three sequences and the same X;
      // swapping Y and Z keeps candidate 0 and swaps candidates 1 and 2, so they have the same
      // candidates, and a triple is kept only with a new one. Where all candidates exist the kept
      // test is therefore answered without the kept set, which is too large for the processor's
      // caches, and most candidates exist.
      bool found[3] = {false, false, false};
      int looked = 0;  // candidates looked up so far, all existing but perhaps the last
      if (shortKeys) {
        while (looked < perTriple && (found[looked] = exists(looked))) ++looked;
        if (looked == perTriple) continue;
        ++looked;
      }
      // A triple with a new candidate is looked at again in the next run only if the median
      // vectors added then leave one of its candidates new.
      if (kept_.Contains(triple)) {
        pending_.push_back({shared, X, Y, Z, std::max(cost, 0)});
        continue;
      }
      bool pending = false;
      for (int k = 0; k < perTriple; ++k) {
        const uint64_t* row = rows_.data() + stride * static_cast<std::size_t>(k);
        if (k < looked ? found[k] : exists(k)) continue;
        if (!pending) pending_.push_back({shared, X, Y, Z, std::max(cost, 0)});
        pending = true;
        TMJPlaneCandidate cc;
        cc.cost = cost;
        if (!fhp) {
          running.best = std::min(running.best, cost);
          if (cost > running.best + settings.epsilon) continue;
        } else {
          cc.longest = std::max(dXY, dShared);
          const bool computed =
              binary || (shared == lj->a && k == 0) || (shared == lj->b && k == 1);
          cc.saving = computed ? codes.PlainDifference(codes.Row(shared), row) : 0;
          if ((cc.saving > running.best && cc.longest == running.longest) ||
              (cc.longest < running.longest && cc.saving > 0)) {
            running.best = cc.saving;
            running.longest = cc.longest;
          }
          if (!(cc.saving >= running.best - settings.epsilon && cc.longest == running.longest &&
                cc.saving > 0))
            continue;
        }
        cc.X = X;
        cc.Y = Y;
        cc.Z = Z;
        cc.k = k;
        candidates_.push_back(cc);
        kept_.Insert(triple);
        if (observer) observer->FeasibleCombinations(static_cast<int>(candidates_.size()));
      }
    }
  }
  lastKeys_.resize(thisKeys_.size());
  for (std::size_t k = 0; k < thisKeys_.size(); ++k) lastKeys_[k] = thisKeys_[k].first;
  lastIdle_.swap(idle_);
  remembered_ = true;
  if (observer) observer->CombinationProgress(100);
}
