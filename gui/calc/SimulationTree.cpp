#include "SimulationTree.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <unordered_map>

int HammingDistance(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  int d = static_cast<int>(std::max(a.size(), b.size()) - n);
  for (std::size_t i = 0; i < n; ++i) d += a[i] != b[i] ? 1 : 0;
  return d;
}

int THaplotypeTree::IndexOf(const std::string& sequence) const {
  for (std::size_t i = 0; i < haplotypes_.size(); ++i)
    if (haplotypes_[i].Sequence == sequence) return static_cast<int>(i) + 1;
  return 0;
}

void THaplotypeTree::CollectHaplotypes(const std::vector<std::string>& sequences,
                                       std::size_t length) {
  haplotypes_.clear();
  pairs_.clear();
  tree_.clear();
  haplotypes_.push_back(THaplotype{std::string(length, '0')});
  // A map finds the first equal haplotype without a search through the list per individual.
  std::unordered_map<std::string, std::size_t> index{{haplotypes_[0].Sequence, 0}};
  for (const std::string& s : sequences) {
    const auto [it, added] = index.try_emplace(s, haplotypes_.size());
    if (added) haplotypes_.push_back(THaplotype{s, 0});
    ++haplotypes_[it->second].Count;
  }
  largestCount_ = 0;
  for (const THaplotype& h : haplotypes_) largestCount_ = std::max(largestCount_, h.Count);
}

void THaplotypeTree::AddMedianHaplotypes() {
  bool added = true;
  while (added && haplotypes_.size() >= 3) {
    added = false;
    const std::size_t n = haplotypes_.size();
    for (std::size_t i = 0; i < n; ++i)
      for (std::size_t j = i + 1; j < n; ++j)
        for (std::size_t k = j + 1; k < n; ++k) {
          const std::string& a = haplotypes_[i].Sequence;
          const std::string& b = haplotypes_[j].Sequence;
          const std::string& c = haplotypes_[k].Sequence;
          std::string median = a;
          for (std::size_t p = 0; p < median.size() && p < b.size() && p < c.size(); ++p)
            if (b[p] == c[p]) median[p] = b[p];
          if (IndexOf(median) == 0) {
            haplotypes_.push_back(THaplotype{std::move(median), 0});
            added = true;
          }
        }
  }
}

void THaplotypeTree::SortHaplotypes() {
  const auto ones = [](const THaplotype& h) { return std::count(h.Sequence.begin(), h.Sequence.end(), '1'); };
  const auto leadingZeros = [](const THaplotype& h) {
    const std::size_t p = h.Sequence.find('1');
    return p == std::string::npos ? h.Sequence.size() : p;
  };
  std::stable_sort(haplotypes_.begin(), haplotypes_.end(),
                   [&](const THaplotype& a, const THaplotype& b) {
                     const auto oa = ones(a), ob = ones(b);
                     if (oa != ob) return oa < ob;
                     return leadingZeros(a) > leadingZeros(b);
                   });
}

void THaplotypeTree::ListHaplotypePairs() {
  pairs_.clear();
  const int n = Count();
  if (n > 0) At(1).Depth = 0;
  for (int i = 1; i <= n; ++i)
    for (int j = i + 1; j <= n; ++j) {
      const int d = HammingDistance(At(i).Sequence, At(j).Sequence);
      pairs_.push_back(HaplotypeLink{i, j, d});
      if (i == 1) At(j).Depth = d;
    }
  std::stable_sort(pairs_.begin(), pairs_.end(),
                   [](const HaplotypeLink& a, const HaplotypeLink& b) { return a.Distance < b.Distance; });
}

bool THaplotypeTree::BuildHaplotypeNetwork() {
  // A haplotype is in a component once a chosen link ends at it; joining two components is a
  // union of sets, so each haplotype is in at most one.
  tree_.clear();
  int dropped = 0;
  const int n = Count();
  std::vector<int> parent(static_cast<std::size_t>(n) + 1);
  std::iota(parent.begin(), parent.end(), 0);
  std::vector<char> linked(static_cast<std::size_t>(n) + 1, 0);
  const auto find = [&parent](int v) {
    while (parent[static_cast<std::size_t>(v)] != v) {
      parent[static_cast<std::size_t>(v)] = parent[static_cast<std::size_t>(parent[static_cast<std::size_t>(v)])];
      v = parent[static_cast<std::size_t>(v)];
    }
    return v;
  };
  for (const HaplotypeLink& link : pairs_) {
    if (static_cast<int>(tree_.size()) >= n - 1) break;
    const int a = link.First, b = link.Second;
    if (a < 1 || a > n || b < 1 || b > n || a == b) continue;
    int touching[2] = {0, 0};
    std::size_t count = 0;
    for (int h : {a, b})
      if (linked[static_cast<std::size_t>(h)] && std::find(touching, touching + count, find(h)) == touching + count)
        touching[count++] = find(h);
    if (count == 1 && linked[static_cast<std::size_t>(a)] && linked[static_cast<std::size_t>(b)])
      continue;  // both ends in one component already
    if (count > 2) {
      // Cannot happen while the components stay disjoint; reported rather than ignored.
      ++dropped;
      continue;
    }
    const int ra = find(a), rb = find(b);
    if (ra != rb) parent[static_cast<std::size_t>(rb)] = ra;
    linked[static_cast<std::size_t>(a)] = linked[static_cast<std::size_t>(b)] = 1;
    tree_.push_back(link);
  }
  droppedLinks_ += dropped;
  return dropped == 0 && static_cast<int>(tree_.size()) == std::max(n - 1, 0);
}

void THaplotypeTree::SplitLongLinks() {
  const std::size_t links = tree_.size();
  for (std::size_t t = 0; t < links; ++t) {
    const HaplotypeLink link = tree_[t];
    if (link.Distance < 2) continue;
    const std::string a = At(link.First).Sequence;
    const std::string b = At(link.Second).Sequence;  // copies: the list grows below
    std::vector<std::size_t> differ;
    for (std::size_t p = 0; p < a.size() && p < b.size(); ++p)
      if (a[p] != b[p]) differ.push_back(p);
    const std::string root(a.size(), '0');
    std::string step = a;
    int previous = link.First;
    for (std::size_t m = 2; m <= differ.size(); ++m) {
      step[differ[m - 2]] = b[differ[m - 2]];
      THaplotype h{step, 0};
      h.Depth = HammingDistance(step, root);
      haplotypes_.push_back(std::move(h));
      const int added = Count();
      tree_.push_back(HaplotypeLink{added, previous, 1});
      previous = added;
    }
    tree_[t] = HaplotypeLink{previous, link.Second, 1};
  }
}

void THaplotypeTree::SetParentLinks() {
  for (THaplotype& h : haplotypes_) h.Parent = 0;
  for (const HaplotypeLink& link : tree_) {
    if (At(link.First).Depth < At(link.Second).Depth)
      At(link.Second).Parent = link.First;
    else
      At(link.First).Parent = link.Second;
  }
}

bool THaplotypeTree::Layout(int width, int height) {
  if (haplotypes_.empty()) return true;
  for (THaplotype& h : haplotypes_) h.X = h.Y = h.Span = 0;
  int deepest = 0;
  for (const THaplotype& h : haplotypes_) deepest = std::max(deepest, h.Depth);
  THaplotype& root = At(1);
  root.Span = width - 80;
  root.X = RoundEven((width - 80) / 2.0) + 30;
  root.Y = 30;
  if (deepest > 0) {
    const int step = RoundEven((height - 80) / static_cast<double>(deepest));
    // Children per parent in list order, gathered once.
    std::vector<std::vector<int>> children(haplotypes_.size() + 1);
    for (int i = 1; i <= Count(); ++i)
      if (const int p = At(i).Parent; p >= 1 && p <= Count()) children[static_cast<std::size_t>(p)].push_back(i);
    for (int level = 0; level < deepest; ++level)
      for (int h = 1; h <= Count(); ++h) {
        if (At(h).Depth != level) continue;
        const auto& kids = children[static_cast<std::size_t>(h)];
        if (kids.empty()) continue;
        const int c = static_cast<int>(kids.size());
        const THaplotype parent = At(h);
        const int share = RoundEven(parent.Span / static_cast<double>(c));
        for (int k = 1; k <= c; ++k) {
          THaplotype& child = At(kids[static_cast<std::size_t>(k - 1)]);
          child.Span = share;
          child.Y = parent.Y + step;
          child.X = parent.X + RoundEven((k - 1 + 0.5) * share) - RoundEven(parent.Span * 0.5);
        }
      }
  }
  bool placed = true;
  for (const THaplotype& h : haplotypes_) placed = placed && h.X != 0;
  return placed;
}

bool THaplotypeTree::Build(const std::vector<std::string>& sequences, std::size_t length, int width,
                           int height) {
  droppedLinks_ = 0;
  CollectHaplotypes(sequences, length);
  AddMedianHaplotypes();
  SortHaplotypes();
  ListHaplotypePairs();
  BuildHaplotypeNetwork();
  SplitLongLinks();
  SortHaplotypes();
  ListHaplotypePairs();
  BuildHaplotypeNetwork();
  SetParentLinks();
  return Layout(width, height);
}
