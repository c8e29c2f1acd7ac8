#include "MJCandidates.h"

#include "MJLinkPairs.h"

#include <algorithm>
#include <array>

namespace {

using mjpairs::ForAdjacentLaterLinks;
using mjpairs::Gauge;

// A triple already holding a kept candidate: X and the unordered pair {Y, Z}.
struct TripleKey {
  int32_t x, lo, hi;
  bool operator==(const TripleKey&) const = default;
};
struct TripleHash {
  std::size_t operator()(const TripleKey& k) const {
    uint64_t h = static_cast<uint32_t>(k.x);
    h = h * 0x9E3779B97F4A7C15ull ^ static_cast<uint32_t>(k.lo);
    h = h * 0x9E3779B97F4A7C15ull ^ static_cast<uint32_t>(k.hi);
    return static_cast<std::size_t>(h ^ (h >> 29));
  }
};

}  // namespace

std::vector<std::vector<int>> IncidentLinks(const TMJLinkList& links, std::size_t count) {
  std::vector<std::vector<int>> incident(count + 1);
  for (std::size_t k = 0; k < links.size(); ++k) {
    const TMJLink& l = links[k];
    const std::size_t need = static_cast<std::size_t>(std::max(l.a, l.b)) + 1;
    if (need > incident.size()) incident.resize(need);
    incident[static_cast<std::size_t>(l.a)].push_back(static_cast<int>(k));
    if (l.b != l.a) incident[static_cast<std::size_t>(l.b)].push_back(static_cast<int>(k));
  }
  return incident;
}

TMJSequenceIndex::TMJSequenceIndex(const Trdf_DataSet& data) {
  for (int c = 0; c < data.CharacterCount(); ++c)
    if (data.Characters[static_cast<std::size_t>(c)].Active) activeColumns_.push_back(c);
  keys_.reserve(data.Taxa.size() * 2);
  for (const Trdf_Sequence& t : data.Taxa)
    if (t.Active) Add(t.States);
}

std::string TMJSequenceIndex::KeyOf(const std::string& states) const {
  std::string key;
  key.reserve(activeColumns_.size());
  for (int c : activeColumns_)
    key.push_back(static_cast<std::size_t>(c) < states.size() ? states[static_cast<std::size_t>(c)]
                                                              : '\0');
  return key;
}

TMJCandidateGenerator::TMJCandidateGenerator(const Trdf_DataSet& data,
                                             TMJCandidateSettings settings, DistanceFn distance,
                                             const TMJSequenceIndex& existing,
                                             TMJObserver* observer)
    : data_(data), settings_(settings), distance_(std::move(distance)), existing_(existing),
      observer_(observer) {
  for (int c = 0; c < data.CharacterCount(); ++c) {
    const Trdf_Character& ch = data.Characters[static_cast<std::size_t>(c)];
    characterActive_.push_back(ch.Active ? 1 : 0);
    if (ch.Active) {
      activeColumns_.push_back(c);
      activeWeights_.push_back(ch.Weight);
    }
  }
}

int TMJCandidateGenerator::TripleConnectionCost(int X, int Y, int Z) const {
  const std::string& x = data_.Taxon(X).States;
  const std::string& y = data_.Taxon(Y).States;
  const std::string& z = data_.Taxon(Z).States;
  int cost = 0;
  for (std::size_t k = 0; k < activeColumns_.size(); ++k) {
    const auto c = static_cast<std::size_t>(activeColumns_[k]);
    const char a = x[c], b = y[c], d = z[c];
    const int distinct = 1 + (b != a) + (d != a && d != b);
    cost += activeWeights_[k] * (distinct - 1);
  }
  return cost;
}

int TMJCandidateGenerator::PlainWeightedDifference(const std::string& a,
                                                   const std::string& b) const {
  int sum = 0;
  for (std::size_t k = 0; k < activeColumns_.size(); ++k) {
    const auto c = static_cast<std::size_t>(activeColumns_[k]);
    if (a[c] != b[c]) sum += activeWeights_[k];
  }
  return sum;
}

bool TMJCandidateGenerator::AgreeOnActive(const std::string& a, const std::string& b) const {
  for (int c : activeColumns_)
    if (a[static_cast<std::size_t>(c)] != b[static_cast<std::size_t>(c)]) return false;
  return true;
}

bool TMJCandidateGenerator::Selected(const combinationtype& c,
                                     const TMJRunningBest& running) const {
  return Selected(settings_, c.cost, c.saving, c.longest, running);
}

bool TMJCandidateGenerator::Selected(const TMJCandidateSettings& settings, int cost, int saving,
                                     int longest, const TMJRunningBest& running) {
  if (settings.criterion == TMJCriterion::ConnectionCost) return cost <= running.best + settings.epsilon;
  return saving >= running.best - settings.epsilon && longest == running.longest && saving > 0;
}

void MedianStates(const std::string& sx, const std::string& sy, const std::string& sz,
                  const std::vector<uint8_t>& characterActive, bool all,
                  std::array<std::string, 3>& cand) {
  cand[0] = sx;
  if (all) {
    cand[1] = sy;
    cand[2] = sz;
  }
  const std::size_t len = std::min({sx.size(), sy.size(), sz.size()});
  for (std::size_t k = 0; k < len; ++k) {
    const char x = sx[k], y = sy[k], z = sz[k];
    const bool active = k < characterActive.size() && characterActive[k];
    if (x == y || (x == z && active)) {
      if (all) cand[1][k] = cand[2][k] = x;
    } else if (y == z && active) {
      cand[0][k] = y;
      if (all) cand[2][k] = y;
    }
  }
}

void TMJCandidateGenerator::GenerateMedianCandidates(const TMJLinkList& links,
                                                     TMJRunningBest& running,
                                                     std::vector<combinationtype>& candidates) {
  candidates.clear();
  if (observer_) {
    observer_->CombinationProgress(0);
    observer_->FeasibleCombinations(0);
  }
  const int c = static_cast<int>(links.size());
  const auto incident = IncidentLinks(links, static_cast<std::size_t>(data_.TaxaCount()));
  const auto byIndex = [&](int v) -> const std::vector<int>& {
    return incident[static_cast<std::size_t>(v)];
  };
  const int perTriple = settings_.binary ? 1 : 3;
  const bool fhp = settings_.criterion == TMJCriterion::GreedyFHP;
  std::unordered_set<TripleKey, TripleHash> kept;
  Gauge gauge(static_cast<double>(c) * (c - 1) / 2.0);
  double examined = 0;
  std::array<std::string, 3> cand;
  for (int i = 0; i + 1 < c; ++i) {
    if (observer_) {
      observer_->KeepAlive();
      gauge.Move(examined, [&](int p) { observer_->CombinationProgress(p); });
    }
    examined += c - 1 - i;
    const TMJLink& li = links[static_cast<std::size_t>(i)];
    const int A = li.a, B = li.b;
    ForAdjacentLaterLinks(links, byIndex, i, [&](int j) {
      const TMJLink& lj = links[static_cast<std::size_t>(j)];
      const int C = lj.a, D = lj.b;
      int Z, shared;
      if (C == A || C == B) {
        Z = D;
        shared = C;
      } else {
        Z = C;
        shared = D;
      }
      const int X = A, Y = B;
      if (kept.count({X, std::min(Y, Z), std::max(Y, Z)})) return;
      const int mw = settings_.minimumWeight;
      const int e = (distance_(X, Y) == mw) + (distance_(X, Z) == mw) + (distance_(Y, Z) == mw);
      if (settings_.binary ? e > 0 : e >= 2) return;

      MedianStates(data_.Taxon(X).States, data_.Taxon(Y).States, data_.Taxon(Z).States,
                   characterActive_, perTriple == 3, cand);
      int count = perTriple;
      if (count == 3 && AgreeOnActive(cand[0], cand[1])) count = 1;
      int cost = -1;
      for (int k = 0; k < count; ++k) {
        if (existing_.Contains(cand[static_cast<std::size_t>(k)])) continue;
        combinationtype cc;
        if (cost < 0) cost = TripleConnectionCost(X, Y, Z);
        cc.cost = cost;
        if (!fhp) {
          running.best = std::min(running.best, cost);
          if (cost > running.best + settings_.epsilon) continue;
        } else {
          const int la = distance_(li.a, li.b), lb = distance_(lj.a, lj.b);
          cc.longest = std::max(la, lb);
          const bool computed = settings_.binary || (shared == lj.a && k == 0) ||
                                (shared == lj.b && k == 1);
          cc.saving = computed ? PlainWeightedDifference(data_.Taxon(shared).States,
                                                         cand[static_cast<std::size_t>(k)])
                               : 0;
          if ((cc.saving > running.best && cc.longest == running.longest) ||
              (cc.longest < running.longest && cc.saving > 0)) {
            running.best = cc.saving;
            running.longest = cc.longest;
          }
          if (!(cc.saving >= running.best - settings_.epsilon && cc.longest == running.longest &&
                cc.saving > 0))
            continue;
        }
        cc.X = X;
        cc.Y = Y;
        cc.Z = Z;
        cc.sequence.States = cand[static_cast<std::size_t>(k)];
        cc.sequence.Frequency = 0;
        candidates.push_back(std::move(cc));
        kept.insert({X, std::min(Y, Z), std::max(Y, Z)});
        if (observer_) observer_->FeasibleCombinations(static_cast<int>(candidates.size()));
      }
    });
  }
  if (observer_) observer_->CombinationProgress(100);
}

void SquareLinks(TMJLinkList& links, TMJObserver* observer) {
  const int c = static_cast<int>(links.size());
  std::size_t maxEnd = 0;
  for (const TMJLink& l : links) maxEnd = std::max<std::size_t>(maxEnd, static_cast<std::size_t>(l.b));
  const auto incident = IncidentLinks(links, maxEnd);
  const auto byIndex = [&](int v) -> const std::vector<int>& {
    return incident[static_cast<std::size_t>(v)];
  };
  for (int p = 0; p + 1 < c; ++p) {
    if (observer) observer->KeepAlive();
    ForAdjacentLaterLinks(links, byIndex, p, [&](int q) {
      const TMJLink lp = links[static_cast<std::size_t>(p)];
      const TMJLink lq = links[static_cast<std::size_t>(q)];
      const int A = lp.a, B = lp.b, C = lq.a, D = lq.b;
      int u = 0, v = 0;
      // Later matches replace earlier ones.
      if (A == C) u = B, v = D;
      if (A == D) u = B, v = C;
      if (B == C) u = A, v = D;
      if (B == D) u = A, v = C;
      if (u != 0) links.push_back({std::min(u, v), std::max(u, v), 1});
    });
  }
}
