#include "Median_joining.h"
#include "MJPartition.h"
#include "MJRenumber.h"

#include "Dialogs.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <numeric>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

namespace {

// About 256 MB of pair keys.
constexpr std::size_t MaxKeptPairs = std::size_t{1} << 25;
// Below this many sequences keeping the pairs is cheap whatever their share.
constexpr int MinSequencesForShareSwitch = 1000;
// The kept tree takes in appended sequences up to this share of all (1 / AppendShare).
constexpr int64_t AppendShare = 6;

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}


}  // namespace

std::string mj_messages::EpsilonQuestion(int epsilon, int minimumWeight) {
  return "Warning: You have set the value of epsilon to epsilon= " + std::to_string(epsilon) +
         ". The minimum weight of a character is " + std::to_string(minimumWeight) +
         ". So this setting of epsilon has the same effect as epsilon = 0. Do you want to modify "
         "this setting?";
}

TDataSetReading MJReading(bool aminoAcids, bool showMessages, bool checkNames) {
  TDataSetReading how;
  how.Allowed = aminoAcids ? rdf_states::AminoAcidAllowed : rdf_states::NucleotideAllowed;
  how.Ambiguous = aminoAcids ? rdf_states::AminoAcidAmbiguous : rdf_states::NucleotideAmbiguous;
  how.Tag = "MJ";
  how.ShowMessages = showMessages;
  how.CheckNames = checkNames;
  how.LengthMessage = mj_messages::StatesLength;
  how.ReplaceAmbiguous = !aminoAcids;
  return how;
}

bool LoadMJDataSet(Trdf_DataSet& data, const std::string& fileName, bool aminoAcids,
                   bool showMessages, bool checkNames) {
  return ReadDataSet(data, fileName, MJReading(aminoAcids, showMessages, checkNames));
}

std::string MedianVectorName(int k) {
  std::string digits = std::to_string(k);
  if (digits.size() < 4) digits.insert(0, 4 - digits.size(), ' ');
  return ("mv" + digits).substr(0, 6);
}

TMJCalculation::TMJCalculation(Trdf_DataSet& data, const TMJOptions& options,
                               TMJObserver* observer)
    : data_(data), options_(options), observer_(observer), epsilon_(options.Epsilon) {
  binary_ = !data.Taxa.empty() && !data.Taxa.front().States.empty() &&
            (data.Taxa.front().States[0] == '0' || data.Taxa.front().States[0] == '1');
  n_ = n0_ = data.TaxaCount();
  minimumWeight_ = MinimumCharacterWeight();
}

int TMJCalculation::MinimumCharacterWeight() const {
  int w = 999;
  for (const Trdf_Character& c : data_.Characters)
    if (c.Active && c.Weight > 0 && c.Weight < w) w = c.Weight;
  return w == 999 ? 0 : w;
}

int TMJCalculation::CapAtLeast(int value) const {
  // No pair of sequences may lie beyond the cap unnoticed: it covers the largest possible distance.
  int sum = 0;
  for (const Trdf_Character& c : data_.Characters)
    if (c.Active) sum += c.Weight;
  return std::max(value, sum);
}

bool TMJCalculation::AskToChangeEpsilon() {
  bool change = false;
  if (options_.Epsilon > 0) {
    const int mw = MinimumCharacterWeight();
    if (options_.Epsilon < mw)
      change = dialogs().askYesNo(mj_messages::EpsilonQuestion(options_.Epsilon, mw),
                                  DialogKind::Warning);
  }
  if (options_.ExternalRooting &&
      std::none_of(data_.Taxa.begin(), data_.Taxa.end(),
                   [](const Trdf_Sequence& t) { return Upper(t.Name) == "ROOT"; }))
    dialogs().showMessage(mj_messages::NoRoot, DialogKind::Warning);
  return change;
}

int TMJCalculation::MJDistance(int a, int b) const {
  if (a == b) return 0;
  if (cache_.InUse() && a <= n_ && b <= n_) return cache_.Get(a, b);
  return codes_.Distance(a, b);
}

void TMJCalculation::DistanceRow(int a, int first, int last, std::vector<int>& row) const {
  if (row.size() < static_cast<std::size_t>(last) + 1) row.resize(static_cast<std::size_t>(last) + 1);
  if (last < first) return;
  if (cache_.InUse() && a <= n_ && last <= n_) {
    for (int b = first; b <= last; ++b) row[static_cast<std::size_t>(b)] = MJDistance(a, b);
    return;
  }
  codes_.Distances(a, first, last, row.data() + first);
}

int64_t TMJCalculation::TotalLinkLength() const {
  int64_t sum = 0;
  for (const TMJLink& l : links_) sum += codes_.Distance(l.a, l.b);
  return sum;
}

bool TMJCalculation::Calculate() {
  linkCap_ = CapAtLeast(20000);
  if (options_.FrequencyCriterion) data_.ApplyFrequencyCriterion();
  if (options_.ExternalRooting) data_.SetRootActive(false);
  removed_.clear();
  for (int i = data_.TaxaCount(); i >= 1 && data_.TaxaCount() > 1; --i) {
    const Trdf_Sequence& t = data_.Taxon(i);
    if (!t.Active && t.Representative == 0) {
      removed_.push_back(t);
      data_.DeleteTaxon(i);
    }
  }
  data_.FindEquivalentTaxa();
  const auto active = std::count_if(data_.Taxa.begin(), data_.Taxa.end(),
                                    [](const Trdf_Sequence& t) { return t.Active != 0; });
  if (active < 3) {
    dialogs().showMessage(mj_messages::FewerThanThree, DialogKind::Warning);
    if (data_.TaxaCount() > 1) data_.Taxa.resize(1);
    n_ = n0_ = data_.TaxaCount();
    return false;
  }
  ReportStep();
  StartRounds();
  if (n_ > 1) {
    ReportStep();
    rounds_ = 0;
    // The rounds depend only on the median vectors present when a round starts. With greedy FHP
    // (or, rarely, otherwise) a round can restore an earlier set, and the rounds would cycle for
    // ever; such a repeat ends them (a run that ends by itself never repeats a set).
    std::unordered_set<std::string> seenMedians;
    for (;;) {
      std::string medians;
      for (int p = n0_ + 1; p <= n_; ++p) medians += data_.Taxon(p).States + '|';
      if (!seenMedians.insert(std::move(medians)).second) {
        cycleCut_ = true;
        break;
      }
      ++rounds_;
      if (observer_) observer_->RoundStarted(rounds_);
      newMedians_ = false;
      RunMJRound(false);
      if (limitReached_) break;
      if (newMedians_) continue;
      if (options_.MJSquare) RunMJRound(true);
      if (!newMedians_ || limitReached_) break;
    }
    linkCap_ = CapAtLeast(20000);
    InvalidateFeasible();
    FinishMJNetwork();
  }
  return true;
}

void TMJCalculation::StartRounds() {
  n_ = n0_ = data_.TaxaCount();
  minimumWeight_ = MinimumCharacterWeight();
  codes_.Prepare(data_, removed_);
  codes_.UseHardwarePopcount(!portablePopcount_);
  // Narrow rows give a distance about as fast as the triangle can be read, without its memory.
  cacheWanted_ = reference_ || codes_.Stride() > 32 || codes_.AnySlow();
  cache_.Release();
  if (cacheWanted_ && n_ < TMJDistanceCache::MaxSequences)
    cache_.Build(n_, [this](int i, int j) { return codes_.Distance(i, j); });
  links_.clear();
  pairKeys_.Invalidate();
  pairsByTree_ = treeFromStart_;
  treeValid_ = false;
  keptTreeCounts_ = {};
  planeCandidates_.ForgetIdle();
  InvalidateFeasible();
}

int TMJCalculation::SpanningBottleneck(const std::vector<int>& active, TMJLinkGauge* gauge) const {
  return SpanningTree(active, gauge, nullptr, nullptr);
}

int TMJCalculation::SpanningTree(const std::vector<int>& active, TMJLinkGauge* gauge,
                                 std::vector<int>* parent, std::vector<int>* length) const {
  // Prim's algorithm over all pairs. Narrow rows give their distance faster than the triangle
  // read across its rows.
  const bool planes = codes_.Stride() <= 64;
  int spanMax = 0;
  const std::size_t m = active.size();
  std::vector<int> best(m, INT_MAX);
  std::vector<int> from(parent ? m : 0, -1);
  std::vector<uint8_t> inTree(m, 0);
  if (m > 0) best[0] = 0;
  if (gauge) gauge->Stage(static_cast<double>(m), 0, 20);
  for (std::size_t step = 0; step < m; ++step) {
    std::size_t u = m;
    for (std::size_t k = 0; k < m; ++k)
      if (!inTree[k] && (u == m || best[k] < best[u])) u = k;
    inTree[u] = 1;
    spanMax = std::max(spanMax, best[u]);
    for (std::size_t k = 0; k < m; ++k) {
      if (inTree[k]) continue;
      const int d = planes ? codes_.Distance(active[u], active[k]) : MJDistance(active[u], active[k]);
      if (d < best[k]) {
        best[k] = d;
        if (parent) from[k] = static_cast<int>(u);
      }
    }
    if (observer_ && step % 256 == 0) observer_->KeepAlive();
    if (gauge && step % 64 == 0) gauge->Move(static_cast<double>(step));
  }
  if (parent) {
    *parent = std::move(from);
    if (length) {
      length->assign(m, 0);
      for (std::size_t k = 0; k < m; ++k)
        if ((*parent)[k] >= 0) (*length)[k] = best[k];
    }
  }
  return spanMax;
}

void TMJCalculation::CollectFeasibleByTree(const std::vector<int>& active,
                                           const std::vector<uint8_t>& flags, TMJLinkGauge* gauge) {
  std::vector<int> parent, length;
  const int spanMax = SpanningTree(active, gauge, &parent, &length);
  const int64_t limit =
      epsilon_ + std::min<int64_t>(linkCap_, std::max<int64_t>(spanMax, minimumWeight_));
  // The tree as adjacency lists over indices into `active`.
  const std::size_t m = active.size();
  std::vector<int> start(m + 1, 0), next(m > 0 ? 2 * (m - 1) : 0), weight(next.size());
  for (std::size_t k = 0; k < m; ++k)
    if (parent[k] >= 0) {
      ++start[k + 1];
      ++start[static_cast<std::size_t>(parent[k]) + 1];
    }
  for (std::size_t k = 0; k < m; ++k) start[k + 1] += start[k];
  std::vector<int> fill(start.begin(), start.end() - 1);
  for (std::size_t k = 0; k < m; ++k)
    if (parent[k] >= 0) {
      const auto p = static_cast<std::size_t>(parent[k]);
      next[static_cast<std::size_t>(fill[k])] = static_cast<int>(p);
      weight[static_cast<std::size_t>(fill[k]++)] = length[k];
      next[static_cast<std::size_t>(fill[p])] = static_cast<int>(k);
      weight[static_cast<std::size_t>(fill[p]++)] = length[k];
    }
  // Per tested sequence, the largest tree link on the path to every other one (a walk from it).
  std::vector<int> widest(m, 0), stack;
  std::vector<std::size_t> seenAt(m, m);
  stack.reserve(m);
  if (gauge) gauge->Stage(static_cast<double>(m), 20, 100);
  for (std::size_t a = 0; a < m; ++a) {
    const int i = active[a];
    if (!(flags[static_cast<std::size_t>(i)] & TMJPairKeys::Tested)) continue;
    if (observer_ && a % 64 == 0) observer_->KeepAlive();
    if (gauge && a % 64 == 0) gauge->Move(static_cast<double>(a));
    widest[a] = 0;
    seenAt[a] = a;
    stack.assign(1, static_cast<int>(a));
    while (!stack.empty()) {
      const auto u = static_cast<std::size_t>(stack.back());
      stack.pop_back();
      for (int e = start[u]; e < start[u + 1]; ++e) {
        const auto v = static_cast<std::size_t>(next[static_cast<std::size_t>(e)]);
        if (seenAt[v] == a) continue;
        seenAt[v] = a;
        widest[v] = std::max(widest[u], weight[static_cast<std::size_t>(e)]);
        stack.push_back(static_cast<int>(v));
      }
    }
    // `active` is ascending, so the pairs come out in (i, j) order.
    for (std::size_t b = a + 1; b < m; ++b) {
      const int j = active[b];
      if (!(flags[static_cast<std::size_t>(j)] & TMJPairKeys::Tested)) continue;
      const int d = MJDistance(i, j);
      if (d > limit) continue;
      const int t = d - epsilon_;
      if (t <= minimumWeight_ || widest[b] >= t) {
        feasible_.emplace_back(i, j);
        if (gauge) gauge->PairFeasible(j);
      }
    }
  }
  feasibleValid_ = true;
  feasibleEpsilon_ = epsilon_;
  feasibleCap_ = linkCap_;
}

void TMJCalculation::CollectFeasibleByKeptTree(const std::vector<int>& active,
                                               const std::vector<uint8_t>& flags,
                                               TMJLinkGauge* gauge) {
  bool done = false;
  const bool followed =
      treeValid_ && !(treeAppended_ > 0 && treeRemoved_) && tree_.Count() + treeAppended_ == n_ &&
      std::equal(treeFlags_.begin(), treeFlags_.end(), flags.begin()) &&
      std::all_of(flags.begin() + static_cast<std::ptrdiff_t>(treeFlags_.size()), flags.end(),
                  [](uint8_t f) { return f == (TMJPairKeys::Active | TMJPairKeys::Tested); });
  if (followed && (treeEpsilon_ != epsilon_ || treeCap_ != linkCap_) && !treeRemoved_) {
    // The tree does not depend on epsilon or the cap: it takes in the appended sequences. When
    // epsilon and the cap only narrowed what may be feasible, the pairs feasible before and the
    // appended sequences' pairs are looked at; otherwise every pair on the tree.
    ++keptTreeCounts_.retested;
    done = KeptTreeAfterAppend(flags, true);
  } else if (followed && treeEpsilon_ == epsilon_ && treeCap_ == linkCap_) {
    if (treeAppended_ > 0)
      done = KeptTreeAfterAppend(flags);
    else if (treeRemoved_)
      done = KeptTreeAfterRemoval(flags);
    else {
      feasible_ = treePairs_;
      feasibleDist_ = treeDist_;
      done = true;
    }
  }
  if (!done) {
    ++keptTreeCounts_.built;
    std::vector<int> parent, length;
    SpanningTree(active, gauge, &parent, &length);
    std::vector<TMJSpanningTree::Edge> edges;
    std::vector<uint8_t> on(static_cast<std::size_t>(n_) + 1, 0);
    for (std::size_t k = 0; k < active.size(); ++k) {
      on[static_cast<std::size_t>(active[k])] = 1;
      if (parent[k] >= 0)
        edges.push_back({active[k], active[static_cast<std::size_t>(parent[k])], length[k]});
    }
    tree_.Set(n_, std::move(on), std::move(edges));
    PairsOnKeptTree(flags);
  }
  if (gauge) {
    for (const auto& pair : feasible_) gauge->PairFeasible(pair.second);
  }
  treePairs_ = feasible_;
  treeDist_ = feasibleDist_;
  feasibleDistValid_ = true;
  treeFlags_ = flags;
  treeValid_ = true;
  treeEpsilon_ = epsilon_;
  treeCap_ = linkCap_;
  treeAppended_ = 0;
  treeRemoved_ = false;
  feasibleValid_ = true;
  feasibleEpsilon_ = epsilon_;
  feasibleCap_ = linkCap_;
}

int64_t TMJCalculation::ReachOnTree() const {
  // A pair beyond epsilon + the tree's largest link is joined by its shorter links (and none lies
  // beyond epsilon + the cap): most pairs end at their distance.
  return std::min<int64_t>(static_cast<int64_t>(epsilon_) + linkCap_,
                           static_cast<int64_t>(epsilon_) + std::max(tree_.LargestLink(), minimumWeight_));
}

template <class Emit>
void TMJCalculation::PairsOnTreeFrom(int a, int first, int last, const std::vector<uint8_t>& flags,
                                     bool levels, int64_t reach, Emit&& emit) {
  // The feasible pairs of a with first..last on the kept tree (prepared for Below() when
  // `levels`, else walked from a once a pair needs it).
  DistanceRow(a, first, last, row_);
  bool walked = false;
  for (int b = first; b <= last; ++b) {
    const int d = row_[static_cast<std::size_t>(b)];
    if (d > reach || !(flags[static_cast<std::size_t>(b)] & TMJPairKeys::Tested)) continue;
    const int t = d - epsilon_;
    bool feasible = t <= minimumWeight_;
    if (!feasible && levels) {
      feasible = !tree_.Below(a, b, t);  // a's runs stay in the cache
    } else if (!feasible) {
      if (!walked) tree_.Widest(a, widest_);
      walked = true;
      feasible = widest_[static_cast<std::size_t>(b)] >= t;
    }
    if (feasible) emit(b, d);
  }
}

void TMJCalculation::PairsOnKeptTree(const std::vector<uint8_t>& flags) {
  feasible_.clear();
  feasibleDist_.clear();
  // With few different link lengths in the tree, the pieces of the links shorter than each
  // answer a pair at once; otherwise one walk of the tree per sequence.
  const bool levels = tree_.PrepareLevels(64);
  const int64_t reach = ReachOnTree();
  for (int a = 1; a <= n_; ++a) {
    if (!(flags[static_cast<std::size_t>(a)] & TMJPairKeys::Tested)) continue;
    if (observer_ && a % 64 == 0) observer_->KeepAlive();
    PairsOnTreeFrom(a, a + 1, n_, flags, levels, reach, [&](int b, int d) {
      feasible_.emplace_back(a, b);
      feasibleDist_.push_back(d);
    });
  }
}

bool TMJCalculation::KeptTreeAfterAppend(const std::vector<uint8_t>& flags, bool retest) {
  const int added = treeAppended_;
  const int before = n_ - added;
  // Each appended sequence costs a few passes over the tree and the sequences; many of them
  // together are cheaper in one new tree.
  if (!retest && !keptTreeAlways_ && static_cast<int64_t>(added) * AppendShare > n_) return false;
  if (added > 0) ++keptTreeCounts_.appended;
  // Each row is computed again for the pairs below, on the final tree: keeping the rows of a
  // round would take (appended) x (sequences) numbers.
  for (int u = before + 1; u <= n_; ++u) {
    DistanceRow(u, 1, u - 1, row_);
    tree_.AppendRow(row_);
    if (observer_ && u % 16 == 0) observer_->KeepAlive();
  }
  const int64_t capLimit = static_cast<int64_t>(epsilon_) + linkCap_;
  const int64_t reach = ReachOnTree();
  // Appended sequences only shorten the tree paths' largest links, and a smaller epsilon only
  // asks more of a pair, so no pair infeasible before becomes feasible unless it lay beyond the
  // cap then and may lie within reach now.
  const int64_t reachBefore = static_cast<int64_t>(treeEpsilon_) + treeCap_;
  const bool narrowed = epsilon_ <= treeEpsilon_ &&
                        (reach <= reachBefore || reachBefore >= CapAtLeast(0));
  if (!narrowed) {
    PairsOnKeptTree(flags);
    return true;
  }
  // Every pair is answered on the final tree: the pairs feasible before and the appended
  // sequences' pairs.
  const bool levels = tree_.PrepareLevels(64);
  if (!levels) tree_.PrepareQueries();
  feasible_.clear();
  feasibleDist_.clear();
  for (std::size_t k = 0; k < treePairs_.size(); ++k) {
    const auto [i, j] = treePairs_[k];
    const int d = treeDist_[k];
    if (d > capLimit) continue;
    const int t = d - epsilon_;
    if (t <= minimumWeight_ || (levels ? !tree_.Below(i, j, t) : tree_.Largest(i, j) >= t)) {
      feasible_.emplace_back(i, j);
      feasibleDist_.push_back(d);
    }
  }
  const std::size_t kept = feasible_.size();
  for (int u = before + 1; u <= n_; ++u) {
    PairsOnTreeFrom(u, 1, u - 1, flags, levels, reach, [&](int x, int d) {
      feasible_.emplace_back(x, u);
      feasibleDist_.push_back(d);
    });
    if (observer_ && u % 16 == 0) observer_->KeepAlive();
  }
  MergeNewPairs(kept);
  return true;
}

bool TMJCalculation::KeptTreeAfterRemoval(const std::vector<uint8_t>& flags) {
  const int pieces = tree_.Pieces(piece_);
  if (pieces <= 1) {
    // Leaves of the tree went: the rest of it is still minimal, every path as it was.
    ++keptTreeCounts_.leaves;
    feasible_ = treePairs_;
    feasibleDist_ = treeDist_;
    return true;
  }
  std::vector<int> size(static_cast<std::size_t>(pieces), 0);
  int activeCount = 0;
  for (int p = 1; p <= n_; ++p)
    if (piece_[static_cast<std::size_t>(p)] >= 0) {
      ++size[static_cast<std::size_t>(piece_[static_cast<std::size_t>(p)])];
      ++activeCount;
    }
  const auto largest =
      static_cast<int>(std::max_element(size.begin(), size.end()) - size.begin());
  const int outside = activeCount - size[static_cast<std::size_t>(largest)];
  // The work is (sequences outside the largest piece) x (all): a cut near the middle of the tree
  // is cheaper with a new tree.
  if (pieces > 256 || (!keptTreeAlways_ && static_cast<int64_t>(outside) * 4 > activeCount))
    return false;
  ++keptTreeCounts_.pieces;
  const auto small = [&](int p) {
    const int q = piece_[static_cast<std::size_t>(p)];
    return q >= 0 && q != largest;
  };
  // Every pair of sequences in different pieces once: from its end outside the largest piece
  // (from the smaller position when both are).
  const auto forCrossPairs = [&](int x, auto&& visit) {
    const int px = piece_[static_cast<std::size_t>(x)];
    for (int y = 1; y <= n_; ++y) {
      const int py = piece_[static_cast<std::size_t>(y)];
      if (py < 0 || py == px || (py != largest && y < x)) continue;
      visit(y, py);
    }
  };
  // The shortest link between every two pieces, then the shortest of those that join them.
  struct Between {
    int d = INT_MAX, a = 0, b = 0;
  };
  const auto np = static_cast<std::size_t>(pieces);
  std::vector<Between> between(np * np);
  for (int x = 1; x <= n_; ++x) {
    if (!small(x)) continue;
    if (observer_ && x % 64 == 0) observer_->KeepAlive();
    const auto px = static_cast<std::size_t>(piece_[static_cast<std::size_t>(x)]);
    forCrossPairs(x, [&](int y, int py) {
      const int d = MJDistance(x, y);
      Between& cell = between[std::min<std::size_t>(px, static_cast<std::size_t>(py)) * np +
                              std::max<std::size_t>(px, static_cast<std::size_t>(py))];
      if (d < cell.d) cell = {d, std::min(x, y), std::max(x, y)};
    });
  }
  std::vector<std::pair<Between, std::pair<int, int>>> order;
  for (std::size_t p = 0; p < np; ++p)
    for (std::size_t q = p + 1; q < np; ++q)
      if (between[p * np + q].d < INT_MAX)
        order.push_back({between[p * np + q], {static_cast<int>(p), static_cast<int>(q)}});
  std::sort(order.begin(), order.end(), [](const auto& l, const auto& r) {
    return std::tie(l.first.d, l.first.a, l.first.b) < std::tie(r.first.d, r.first.a, r.first.b);
  });
  TMJPartition joined(pieces);
  std::vector<TMJSpanningTree::Edge> links;
  for (const auto& [cell, ends] : order)
    if (joined.Find(ends.first) != joined.Find(ends.second)) {
      joined.Join(ends.first, ends.second);
      links.push_back({cell.a, cell.b, cell.d});
    }
  tree_.Join(links);
  // Pairs within one piece keep their tree path; pairs between pieces are looked at anew.
  feasible_.clear();
  feasibleDist_.clear();
  for (std::size_t k = 0; k < treePairs_.size(); ++k) {
    const auto [i, j] = treePairs_[k];
    if (piece_[static_cast<std::size_t>(i)] == piece_[static_cast<std::size_t>(j)]) {
      feasible_.emplace_back(i, j);
      feasibleDist_.push_back(treeDist_[k]);
    }
  }
  const std::size_t kept = feasible_.size();
  for (int x = 1; x <= n_; ++x) {
    if (!small(x) || !(flags[static_cast<std::size_t>(x)] & TMJPairKeys::Tested)) continue;
    if (observer_ && x % 64 == 0) observer_->KeepAlive();
    tree_.Widest(x, widest_);
    forCrossPairs(x, [&](int y, int) {
      if (!(flags[static_cast<std::size_t>(y)] & TMJPairKeys::Tested)) return;
      const int d = MJDistance(x, y);
      if (FeasibleAt(d, widest_[static_cast<std::size_t>(y)])) {
        feasible_.emplace_back(std::min(x, y), std::max(x, y));
        feasibleDist_.push_back(d);
      }
    });
  }
  MergeNewPairs(kept);
  return true;
}

void TMJCalculation::MergeNewPairs(std::size_t kept) {
  // The pairs from `kept` on are sorted and merged into the sorted ones before, with their
  // distances.
  mergeScratch_.clear();
  for (std::size_t k = kept; k < feasible_.size(); ++k)
    mergeScratch_.push_back({feasible_[k].first, feasible_[k].second, feasibleDist_[k]});
  std::sort(mergeScratch_.begin(), mergeScratch_.end(), [](const PairAt& l, const PairAt& r) {
    return std::tie(l.i, l.j) < std::tie(r.i, r.j);
  });
  mergedPairs_.clear();
  mergedDist_.clear();
  mergedPairs_.reserve(feasible_.size());
  mergedDist_.reserve(feasible_.size());
  std::size_t a = 0, b = 0;
  while (a < kept || b < mergeScratch_.size()) {
    if (b == mergeScratch_.size() ||
        (a < kept && feasible_[a] < std::pair{mergeScratch_[b].i, mergeScratch_[b].j})) {
      mergedPairs_.push_back(feasible_[a]);
      mergedDist_.push_back(feasibleDist_[a++]);
    } else {
      mergedPairs_.emplace_back(mergeScratch_[b].i, mergeScratch_[b].j);
      mergedDist_.push_back(mergeScratch_[b++].d);
    }
  }
  feasible_.swap(mergedPairs_);
  feasibleDist_.swap(mergedDist_);
}

void TMJCalculation::CollectFeasible(const std::vector<uint64_t>& keys, int64_t limit,
                                     TMJLinkGauge* gauge) {
  // A pair (i, j) at distance d is feasible unless a chain of active sequences with every step
  // shorter than t = d - epsilon joins i and j: that is, unless i and j are connected by the pairs
  // closer than t. Taking the pairs in order of distance and joining them into a partition answers
  // every pair at once, with the same answers as the search over the reach list.
  TMJPartition partition(n_);
  std::size_t joined = 0;
  if (gauge) gauge->Stage(static_cast<double>(keys.size()), 60, 100);
  std::size_t examined = 0;
  for (const uint64_t key : keys) {
    if (gauge && ++examined % 64 == 0) {
      if (observer_) observer_->KeepAlive();
      gauge->Move(static_cast<double>(examined));
    }
    const int d = TMJPairKeys::DistanceOf(key);
    if (d > limit) break;
    if (!(key & TMJPairKeys::Tested)) continue;
    const int i = TMJPairKeys::FirstOf(key);
    const int j = TMJPairKeys::SecondOf(key);
    const int t = d - epsilon_;
    bool feasible = t <= minimumWeight_;
    if (!feasible) {
      for (; joined < keys.size() && TMJPairKeys::DistanceOf(keys[joined]) < t; ++joined)
        if (keys[joined] & TMJPairKeys::Active)
          partition.Join(TMJPairKeys::FirstOf(keys[joined]), TMJPairKeys::SecondOf(keys[joined]));
      feasible = partition.Find(i) != partition.Find(j);
    }
    if (feasible) {
      feasible_.emplace_back(i, j);
      if (gauge) gauge->PairFeasible(j);
    }
  }
  std::sort(feasible_.begin(), feasible_.end());
  feasibleValid_ = true;
  feasibleEpsilon_ = epsilon_;
  feasibleCap_ = linkCap_;
}

const std::vector<std::pair<int, int>>& TMJCalculation::FeasiblePairs(TMJLinkGauge* gauge) {
  if (feasibleValid_ && feasibleEpsilon_ == epsilon_ && feasibleCap_ == linkCap_) return feasible_;
  feasible_.clear();
  feasibleDistValid_ = false;
  std::vector<int> active;
  std::vector<uint8_t> flags(static_cast<std::size_t>(n_) + 1, 0);
  bool testedAllActive = true;
  for (int p = 1; p <= n_; ++p) {
    const Trdf_Sequence& t = data_.Taxon(p);
    if (t.Active) active.push_back(p);
    const uint8_t f = PairFlags(p);
    flags[static_cast<std::size_t>(p)] = f;
    if (f == TMJPairKeys::Tested) testedAllActive = false;
  }
  const auto distance = [this](int i, int j) { return MJDistance(i, j); };
  // The pair scan calls this once per sequence from the second on.
  int scanned = 1;
  const auto keepAlive = [this, gauge, &scanned] {
    if (observer_) observer_->KeepAlive();
    if (gauge) {
      ++scanned;
      gauge->Move(static_cast<double>(scanned) * (scanned - 1) / 2.0);
    }
  };
  const auto scanStage = [&] {
    if (gauge) gauge->Stage(static_cast<double>(n_) * (n_ - 1) / 2.0, 20, 60);
  };
  // Pairs farther apart than epsilon + the largest link of a minimum spanning tree are joined by
  // that tree's path through shorter steps, so only closer pairs need looking at.
  const auto limitFor = [&](int64_t spanMax) {
    return epsilon_ + std::min<int64_t>(linkCap_, std::max<int64_t>(spanMax, minimumWeight_));
  };
  if (reference_ || !testedAllActive) {
    treeValid_ = false;
    const int64_t limit = limitFor(testedAllActive ? SpanningBottleneck(active, gauge) : INT_MAX);
    pairKeys_.Invalidate();
    TMJPairKeys all;
    scanStage();
    all.Build(n_, flags, static_cast<int>(std::min<int64_t>(limit, INT_MAX >> 1)), distance, keepAlive);
    CollectFeasible(all.Keys(), limit, gauge);
    return feasible_;
  }
  if (pairsByTree_) {
    if (fullTreeRounds_) {
      treeValid_ = false;
      CollectFeasibleByTree(active, flags, gauge);
    } else {
      CollectFeasibleByKeptTree(active, flags, gauge);
    }
    return feasible_;
  }
  treeValid_ = false;
  // The kept pairs answer when they cover the limit: the spanning tree's largest link is where
  // joining the kept links in order of distance first connects every active sequence.
  bool rebuild = !pairKeys_.Valid() || pairKeys_.Count() != n_ || pairKeys_.Flags() != flags;
  int64_t limit = 0;
  if (!rebuild) {
    const int64_t spanMax = KeptBottleneck(active.size());
    if (spanMax >= 0)
      limit = limitFor(spanMax);
    else if (linkCap_ + epsilon_ <= pairKeys_.Bound())
      limit = epsilon_ + linkCap_;  // the tree's largest link lies beyond the cap
    else
      rebuild = true;
    if (limit > pairKeys_.Bound()) rebuild = true;
  }
  if (rebuild) {
    limit = limitFor(SpanningBottleneck(active, gauge));
    // Some room above the limit spares a new scan when the next round's limit grows a little.
    const int64_t bound = std::min<int64_t>(limit + std::max(minimumWeight_, 1), INT_MAX >> 1);
    scanStage();
    pairKeys_.Build(n_, flags, static_cast<int>(bound), distance, keepAlive);
  }
  CollectFeasible(pairKeys_.Keys(), limit, gauge);
  // So many pairs within reach are not worth their memory from round to round.
  // Nor are they when a good share of all pairs lies within reach: the kept tree then looks at
  // fewer pairs per round than joining the kept ones does.
  const std::size_t allPairs = static_cast<std::size_t>(n_) * static_cast<std::size_t>(n_ - 1) / 2;
  if (pairKeys_.Keys().size() > MaxKeptPairs ||
      (n_ >= MinSequencesForShareSwitch && pairKeys_.Keys().size() > allPairs / 4)) {
    pairKeys_.Invalidate();
    pairsByTree_ = true;
  }
  return feasible_;
}

uint8_t TMJCalculation::PairFlags(int p) const {
  const Trdf_Sequence& t = data_.Taxon(p);
  return static_cast<uint8_t>((t.Active ? TMJPairKeys::Active : 0) |
                              (t.Representative == 0 ? TMJPairKeys::Tested : 0));
}

void TMJCalculation::PairsAppended(int added) {
  if (treeValid_) {
    if (!treeRemoved_ && tree_.Count() + treeAppended_ == n_ - added)
      treeAppended_ += added;
    else
      treeValid_ = false;
  }
  if (!pairKeys_.Valid() || pairKeys_.Count() != n_ - added) {
    pairKeys_.Invalidate();
    return;
  }
  std::vector<uint8_t> flags;
  for (int p = n_ - added + 1; p <= n_; ++p) flags.push_back(PairFlags(p));
  pairKeys_.Append(flags, [this](int i, int j) { return MJDistance(i, j); });
}

int64_t TMJCalculation::KeptBottleneck(std::size_t activeCount) {
  if (activeCount <= 1) return 0;
  TMJPartition partition(n_);
  std::size_t components = activeCount;
  for (const uint64_t key : pairKeys_.Keys()) {
    if (!(key & TMJPairKeys::Active)) continue;
    const int a = partition.Find(TMJPairKeys::FirstOf(key));
    const int b = partition.Find(TMJPairKeys::SecondOf(key));
    if (a == b) continue;
    partition.Join(a, b);
    if (--components == 1) return TMJPairKeys::DistanceOf(key);
  }
  return -1;
}

void TMJCalculation::FindFeasibleLinks(int first, int last) {
  if (observer_) {
    observer_->LinkProgress(0);
    observer_->LinksFound(static_cast<int>(links_.size()));
  }
  TMJLinkGauge gauge(observer_, static_cast<int>(links_.size()), first, last);
  if (links_.empty()) {
    linkLength_.clear();
    linkLengthValid_ = true;
  }
  const auto& pairs = FeasiblePairs(&gauge);
  // The distances found with the pairs come along as the links' lengths.
  linkLengthValid_ = linkLengthValid_ && feasibleDistValid_ && feasibleDist_.size() == pairs.size() &&
                     linkLength_.size() == links_.size();
  for (std::size_t k = 0; k < pairs.size(); ++k) {
    const auto [i, j] = pairs[k];
    if (j < first || j > last) continue;
    links_.push_back({i, j, 1});
    if (linkLengthValid_) linkLength_.push_back(feasibleDist_[k]);
  }
  if (observer_) {
    observer_->LinksFound(static_cast<int>(links_.size()));
    observer_->LinkProgress(100);
  }
  if (n_ == n0_ && first == 2) {
    int longest = 0;
    for (const TMJLink& l : links_) longest = std::max(longest, MJDistance(l.a, l.b));
    if (longest != linkCap_) {
      linkCap_ = longest;
      InvalidateFeasible();
    }
  }
}

bool TMJCalculation::IsLinkFeasible(int i, int j) const {
  const int t = MJDistance(i, j) - epsilon_;
  if (t <= minimumWeight_) return true;
  int start = i, target = j;
  if (binary_ && n_ > 100) {
    const auto ones = [&](int p) {
      int count = 0;
      const std::string& s = data_.Taxon(p).States;
      for (int c = 0; c < data_.CharacterCount(); ++c)
        if (data_.Characters[static_cast<std::size_t>(c)].Active && s[static_cast<std::size_t>(c)] == '1')
          ++count;
      return count;
    };
    if (ones(i) < ones(j)) std::swap(start, target);
  }
  std::vector<int> reach{start};
  std::vector<uint8_t> inReach(static_cast<std::size_t>(n_) + 1, 0);
  inReach[static_cast<std::size_t>(start)] = 1;
  for (std::size_t r = 0; r < reach.size(); ++r) {
    const int x = reach[r];
    for (int k = 1; k <= n_; ++k) {
      if (!data_.Taxon(k).Active || inReach[static_cast<std::size_t>(k)] || MJDistance(k, x) >= t)
        continue;
      reach.push_back(k);
      inReach[static_cast<std::size_t>(k)] = 1;
      if (MJDistance(k, target) < t) return false;
    }
  }
  return true;
}

bool TMJCalculation::RemoveObsoleteMedians() {
  std::vector<int> linkCount(static_cast<std::size_t>(n_) + 1, 0);
  for (const TMJLink& l : links_)
    for (int end : {l.a, l.b})
      if (end > n0_) ++linkCount[static_cast<std::size_t>(end)];
  std::vector<int> obsolete;
  for (int m = n0_ + 1; m <= n_; ++m)
    if (linkCount[static_cast<std::size_t>(m)] < 3) obsolete.push_back(m);
  if (obsolete.empty()) return false;
  links_.clear();
  if (cache_.InUse()) cache_.Remove(obsolete, n_);
  codes_.Erase(obsolete);
  planeCandidates_.ForgetIdle();
  if (pairKeys_.Count() == n_)
    pairKeys_.Remove(obsolete);
  else
    pairKeys_.Invalidate();
  if (treeValid_ && treeAppended_ == 0 && tree_.Count() == n_) {
    // The tree drops the removed sequences' links; the pairs and flags are renumbered in order.
    std::vector<int> newNumber;
    const int next = RenumberRemaining(n_, obsolete, newNumber);
    CompactByNumber(newNumber, next, treeFlags_);
    std::size_t write = 0;
    for (std::size_t k = 0; k < treePairs_.size(); ++k) {
      const auto [i, j] = treePairs_[k];
      const int a = newNumber[static_cast<std::size_t>(i)], b = newNumber[static_cast<std::size_t>(j)];
      if (a != 0 && b != 0) {
        treeDist_[write] = treeDist_[k];
        treePairs_[write++] = {a, b};
      }
    }
    treePairs_.resize(write);
    treeDist_.resize(write);
    tree_.Remove(obsolete);
    treeRemoved_ = true;
  } else {
    treeValid_ = false;
  }
  for (auto it = obsolete.rbegin(); it != obsolete.rend(); ++it)
    data_.Taxa.erase(data_.Taxa.begin() + (*it - 1));
  n_ -= static_cast<int>(obsolete.size());
  InvalidateFeasible();
  if (observer_) observer_->SequenceCount(n_);
  return true;
}

void TMJCalculation::RunMJRound(bool squaring) {
  if (n_ <= 2) return;
  bool removed;
  do {
    links_.clear();
    FindFeasibleLinks(n0_ + 1, n_);
    ReportStep();
    removed = RemoveObsoleteMedians();
    ReportStep();
  } while (removed);
  FindFeasibleLinks(2, n0_);
  if (squaring) {
    SquareLinks(links_, observer_);
    linkLengthValid_ = false;
  }
  ReportStep();

  TMJRunningBest running = TMJRunningBest::Start(options_.Criterion);
  const int added = !reference_ && codes_.Complete() ? AddMediansFromPlanes(running)
                                                     : AddMediansFromStates(running);
  if (cache_.InUse() && n_ + added < TMJDistanceCache::MaxSequences) {
    cache_.Extend(n_, added, [this](int a, int b) { return codes_.Distance(a, b); });
  } else {
    cache_.Release();
  }
  n_ += added;
  if (added > 0) {
    InvalidateFeasible();
    PairsAppended(added);
  }
  if (observer_) {
    observer_->MediansAdded(added);
    observer_->SequenceCount(n_);
  }
}

int TMJCalculation::AddMediansFromStates(TMJRunningBest& running) {
  const TMJSequenceIndex existing(data_);
  TMJCandidateSettings settings{epsilon_, minimumWeight_, binary_, options_.Criterion};
  TMJCandidateGenerator generator(
      data_, settings, [this](int a, int b) { return MJDistance(a, b); }, existing, observer_);
  std::vector<combinationtype> candidates;
  generator.GenerateMedianCandidates(links_, running, candidates);
  ReportStep();
  links_.clear();

  int added = 0;
  std::unordered_set<std::string> inserted;
  for (const combinationtype& c : candidates) {
    if (!generator.Selected(c, running)) continue;
    // Equal on the active characters to a median vector of this round: nothing new.
    if (!inserted.insert(existing.KeyOf(c.sequence.States)).second) continue;
    if (n_ + added + 1 > rdf_limits::MaxTaxaWithMedians) {
      limitReached_ = true;
      dialogs().showMessage(mj_messages::TooManySequences, DialogKind::Warning);
      break;
    }
    // A provisional median-vector name lets the taxon limits count it as one.
    if (!data_.InsertTaxon(n_ + added + 1, c.sequence.States, "mv", 0)) {
      limitReached_ = true;
      break;
    }
    codes_.Append(c.sequence.States);
    newMedians_ = true;
    ++added;
  }
  return added;
}

int TMJCalculation::AddMediansFromPlanes(TMJRunningBest& running) {
  rows_.Clear();
  for (int p = 1; p <= n_; ++p)
    if (data_.Taxon(p).Active) rows_.Insert(codes_.Hash(p), p);
  const TMJCandidateSettings settings{epsilon_, minimumWeight_, binary_, options_.Criterion};
  const bool lengths = linkLengthValid_ && linkLength_.size() == links_.size();
  planeCandidates_.Run(codes_, cache_.InUse() ? &cache_ : nullptr, links_, n_, settings, rows_,
                       running, observer_, lengths ? &linkLength_ : nullptr);
  ReportStep();
  links_.clear();

  std::vector<uint8_t> characterActive;
  for (const Trdf_Character& ch : data_.Characters) characterActive.push_back(ch.Active ? 1 : 0);
  std::array<std::string, 3> states;
  int added = 0;
  for (const TMJPlaneCandidate& c : planeCandidates_.Candidates()) {
    if (!TMJCandidateGenerator::Selected(settings, c.cost, c.saving, c.longest, running)) continue;
    // Equal on the active characters to a median vector of this round: nothing new (equal to an
    // older sequence it was not kept).
    const uint64_t* row = TMJPlaneCandidates::BuildRow(codes_, c.X, c.Y, c.Z, c.k, rowBuffer_);
    if (TMJPlaneCandidates::Exists(codes_, rows_, row)) continue;
    if (n_ + added + 1 > rdf_limits::MaxTaxaWithMedians) {
      limitReached_ = true;
      dialogs().showMessage(mj_messages::TooManySequences, DialogKind::Warning);
      break;
    }
    MedianStates(data_.Taxon(c.X).States, data_.Taxon(c.Y).States, data_.Taxon(c.Z).States,
                 characterActive, c.k > 0, states);
    const std::string& median = states[static_cast<std::size_t>(c.k)];
    // A provisional median-vector name lets the taxon limits count it as one.
    if (!data_.InsertTaxon(n_ + added + 1, median, "mv", 0)) {
      limitReached_ = true;
      break;
    }
    codes_.Append(median);
    ++added;
    rows_.Insert(codes_.Hash(n_ + added), n_ + added);
    newMedians_ = true;
  }
  return added;
}

void TMJCalculation::CleanUpAtEpsilonZero() {
  bool removed;
  do {
    links_.clear();
    FindFeasibleLinks(n0_ + 1, n_);
    removed = RemoveObsoleteMedians();
  } while (removed);
  links_.clear();
  linkCap_ = CapAtLeast(10000);
  InvalidateFeasible();
}

void TMJCalculation::RenameMedianVectors() {
  // How often each name is held, so that a name no other sequence holds is set at once instead
  // of the data set's search of every sequence.
  std::unordered_map<std::string, int> held;
  for (const Trdf_Sequence& t : data_.Taxa) ++held[t.Name];
  for (int k = 1; k <= medianCount_; ++k) {
    Trdf_Sequence& t = data_.Taxon(n0_ + k);
    --held[t.Name];
    t.Name.clear();
    // From 10000 on the cut names repeat; such a network cannot be written anyway (the .out
    // columns hold 9999 median vectors), so those names are set without the uniqueness check.
    const std::string name = MedianVectorName(k);
    if (k > 9999 || held[name] == 0)
      t.Name = name;
    else
      data_.RenameTaxon(n0_ + k, name);
    ++held[t.Name];
  }
}

void TMJCalculation::FinishMJNetwork() {
  savedEpsilon_ = epsilon_;
  epsilon_ = 0;
  InvalidateFeasible();
  // A cut cycle may leave a median vector that its next round would have removed.
  if (savedEpsilon_ != 0 || cycleCut_) CleanUpAtEpsilonZero();
  medianCount_ = n_ - n0_;
  RenameMedianVectors();
  const int beforeRoot = n_;
  if (options_.ExternalRooting)
    for (const Trdf_Sequence& r : removed_)
      if (Upper(r.Name) == "ROOT" && data_.InsertTaxon(n_ + 1, r.States, r.Name, r.Frequency)) {
        codes_.Append(r.States);
        ++n_;
      }
  // The rounds kept the cache for every sequence they left; only a ROOT is new.
  const auto distance = [this](int i, int j) { return codes_.Distance(i, j); };
  if (cache_.InUse() && n_ < TMJDistanceCache::MaxSequences) {
    cache_.Extend(beforeRoot, n_ - beforeRoot, distance);
  } else {
    cache_.Release();
    if (cacheWanted_ && n_ < TMJDistanceCache::MaxSequences) cache_.Build(n_, distance);
  }
  if (n_ > beforeRoot) PairsAppended(n_ - beforeRoot);
  InvalidateFeasible();
  links_.clear();
  if (n_ > 1) FindFeasibleLinks(2, n_);
  PrunePendantLinks(links_, [this] {
    if (observer_) observer_->KeepAlive();
  });
  cache_.Release();
}
