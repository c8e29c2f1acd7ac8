#include "MJDistanceCache.h"
#include "MJRenumber.h"

#include <algorithm>
#include <new>

int TMJDistanceCache::AllocatedBlocks() const {
  return static_cast<int>(std::count_if(blocks_.begin(), blocks_.end(),
                                        [](const auto& b) { return b != nullptr; }));
}

int32_t* TMJDistanceCache::BlockFor(int64_t block) {
  if (block < 0 || block >= MaxBlocks) return nullptr;
  const auto b = static_cast<std::size_t>(block);
  if (b >= blocks_.size()) blocks_.resize(b + 1);
  if (!blocks_[b]) blocks_[b].reset(new (std::nothrow) int32_t[BlockSize]);
  return blocks_[b].get();
}

bool TMJDistanceCache::Store(int64_t index, int32_t value) {
  const int64_t x = index - 1;
  int32_t* block = x < 0 ? nullptr : BlockFor(x / BlockSize);
  if (!block) return false;
  block[x % BlockSize] = value;
  return true;
}

void TMJDistanceCache::Release() {
  blocks_.clear();
  blocks_.shrink_to_fit();
  inUse_ = false;
}

void TMJDistanceCache::Remove(std::vector<int> removed, int n) {
  if (removed.empty() || n < 2) return;
  std::sort(removed.begin(), removed.end());
  // New numbers of the remaining sequences (0 for removed ones).
  std::vector<int> newNumber;
  const int next = RenumberRemaining(n, removed, newNumber);
  // Every pair keeps its order and moves to an index no larger than its old one, so one forward
  // pass compacts in place; the rows before the first removed sequence stay where they are.
  const int first = std::max(removed.front(), 2);
  int64_t target = PackedPairIndex(1, first);
  for (int j = first; j <= n; ++j) {
    if (newNumber[static_cast<std::size_t>(j)] == 0) continue;
    for (int i = 1; i < j; ++i) {
      if (newNumber[static_cast<std::size_t>(i)] == 0) continue;
      const int64_t source = PackedPairIndex(i, j);
      if (source != target) Store(target, Get(i, j));
      ++target;
    }
  }
  const int remaining = next;
  const int64_t lastNeeded = remaining >= 2 ? (PackedPairIndex(remaining - 1, remaining) - 1) / BlockSize : -1;
  for (std::size_t b = static_cast<std::size_t>(lastNeeded + 1); b < blocks_.size(); ++b)
    blocks_[b].reset();
}

void PrunePendantLinks(TMJLinkList& links, const std::function<void()>& keepAlive) {
  // Removing a link with a pendant end until none is left ends in the same set of links whatever
  // the order: the links whose ends both keep at least two torso links.
  int maxEnd = 0;
  for (const TMJLink& l : links) maxEnd = std::max({maxEnd, l.a, l.b});
  std::vector<int> degree(static_cast<std::size_t>(maxEnd) + 1, 0);
  std::vector<std::vector<int>> incident(static_cast<std::size_t>(maxEnd) + 1);
  for (std::size_t k = 0; k < links.size(); ++k) {
    if (links[k].state != 1) continue;
    for (int v : {links[k].a, links[k].b}) {
      ++degree[static_cast<std::size_t>(v)];
      incident[static_cast<std::size_t>(v)].push_back(static_cast<int>(k));
    }
  }
  std::vector<int> pending;
  for (int v = 1; v <= maxEnd; ++v)
    if (degree[static_cast<std::size_t>(v)] == 1) pending.push_back(v);
  while (!pending.empty()) {
    const int v = pending.back();
    pending.pop_back();
    for (int k : incident[static_cast<std::size_t>(v)]) {
      TMJLink& l = links[static_cast<std::size_t>(k)];
      if (l.state != 1) continue;
      if (keepAlive) keepAlive();
      l.state = 0;
      for (int end : {l.a, l.b})
        if (--degree[static_cast<std::size_t>(end)] == 1) pending.push_back(end);
    }
  }
  LabelTorsoBridges(links, keepAlive);
}

namespace {

// Bridges among the links with state > 0 (iterative lowpoint search; parallel links are no bridges).
std::vector<bool> FindBridges(const TMJLinkList& links,
                              const std::vector<std::vector<int>>& incident) {
  const std::size_t vertices = incident.size();
  std::vector<bool> bridge(links.size(), false);
  std::vector<int> order(vertices, 0), low(vertices, 0);
  int counter = 0;
  struct Frame {
    int vertex;
    int viaLink;
    std::size_t next;
  };
  std::vector<Frame> stack;
  for (std::size_t root = 1; root < vertices; ++root) {
    if (order[root] != 0 || incident[root].empty()) continue;
    order[root] = low[root] = ++counter;
    stack.push_back({static_cast<int>(root), -1, 0});
    while (!stack.empty()) {
      Frame& f = stack.back();
      const auto v = static_cast<std::size_t>(f.vertex);
      if (f.next < incident[v].size()) {
        const int k = incident[v][f.next++];
        if (k == f.viaLink) continue;
        const TMJLink& l = links[static_cast<std::size_t>(k)];
        const auto w = static_cast<std::size_t>(l.a == f.vertex ? l.b : l.a);
        if (order[w] == 0) {
          order[w] = low[w] = ++counter;
          stack.push_back({static_cast<int>(w), k, 0});
        } else {
          low[v] = std::min(low[v], order[w]);
        }
      } else {
        const int via = f.viaLink;
        stack.pop_back();
        if (!stack.empty()) {
          const auto parent = static_cast<std::size_t>(stack.back().vertex);
          low[parent] = std::min(low[parent], low[v]);
          if (low[v] > order[parent]) bridge[static_cast<std::size_t>(via)] = true;
        }
      }
    }
  }
  return bridge;
}

}  // namespace

void LabelTorsoBridges(TMJLinkList& links, const std::function<void()>& keepAlive) {
  int maxEnd = 0;
  for (const TMJLink& l : links) maxEnd = std::max({maxEnd, l.a, l.b});
  std::vector<std::vector<int>> incident(static_cast<std::size_t>(maxEnd) + 1);
  for (std::size_t k = 0; k < links.size(); ++k)
    if (links[k].state > 0 && links[k].state < TorsoBridgeState) {
      incident[static_cast<std::size_t>(links[k].a)].push_back(static_cast<int>(k));
      incident[static_cast<std::size_t>(links[k].b)].push_back(static_cast<int>(k));
    }
  // A link joins its ends through the other torso links exactly when it lies on a cycle; taking a
  // bridge out of the torso (state 100) makes no other link a bridge or a cycle link, so the
  // bridges can be found once.
  const std::vector<bool> bridge = FindBridges(links, incident);
  int label = 1;
  std::vector<int> seenVertex(static_cast<std::size_t>(maxEnd) + 1, 0);
  std::vector<int> inSide(links.size(), 0);
  std::vector<int> stack;
  for (std::size_t k = 0; k < links.size() && label < 9; ++k) {
    if (keepAlive) keepAlive();
    if (links[k].state <= 0 || !bridge[k]) continue;
    ++label;
    // Side b: the links reachable from end b without this link, through links of state 1..99.
    std::vector<int> sideB;
    stack.assign(1, links[k].b);
    seenVertex[static_cast<std::size_t>(links[k].b)] = label;
    while (!stack.empty()) {
      const auto v = static_cast<std::size_t>(stack.back());
      stack.pop_back();
      for (int m : incident[v]) {
        const TMJLink& l = links[static_cast<std::size_t>(m)];
        if (static_cast<std::size_t>(m) == k || l.state <= 0 || l.state >= TorsoBridgeState)
          continue;
        const auto w = static_cast<std::size_t>(l.a == static_cast<int>(v) ? l.b : l.a);
        if (inSide[static_cast<std::size_t>(m)] != label) {
          inSide[static_cast<std::size_t>(m)] = label;
          sideB.push_back(m);
        }
        if (seenVertex[w] != label) {
          seenVertex[w] = label;
          stack.push_back(static_cast<int>(w));
        }
      }
    }
    for (int m : sideB) links[static_cast<std::size_t>(m)].state = label;
    links[k].state = TorsoBridgeState;
  }
}
