#pragma once
// The haplotype tree of a simulated population: the distinct sequences with their counts, joined
// into a spanning tree rooted at the all-zero sequence, with median and intermediate haplotypes
// added so that every link is one mutation long, and laid out level by level for drawing.
// Plain C++: no Qt.

#include "UHelp.h"

#include <cstdint>
#include <string>
#include <vector>

struct THaplotype {
  std::string Sequence;  // '0' / '1'
  int32_t Count = 0;     // individuals with this sequence (0 for added haplotypes)
  int Depth = 0;         // distance from the root
  int32_t Parent = 0;    // 1-based index of the parent, 0 for none
  int32_t Span = 0;      // width given to the subtree, in pixels
  int32_t X = 0, Y = 0;  // centre of the node, in pixels; X = 0 means not placed
};

struct HaplotypeLink {
  int32_t First = 0;   // 1-based haplotype indices
  int32_t Second = 0;
  int32_t Distance = 0;
};

// Shown once for every pair the spanning tree had to drop.
inline const std::string LinkInMoreThanTwoComponents =
    "Algorithm failed: Link could be added to more than two components.";

// Positions at which two sequences of the same length differ.
int HammingDistance(const std::string& a, const std::string& b);

class THaplotypeTree {
public:
  // Haplotype 1 is the all-zero root of `length` positions; each sequence adds to the count of the
  // first equal haplotype or is appended with count 1.
  void CollectHaplotypes(const std::vector<std::string>& sequences, std::size_t length);
  // Every median of three listed haplotypes, appended until no new one appears.
  void AddMedianHaplotypes();
  // By the number of '1's; ties put the later first '1' first; otherwise the order stays.
  void SortHaplotypes();
  // All pairs i < j, stably sorted by distance; sets each haplotype's depth.
  void ListHaplotypePairs();
  // A spanning tree over the pair list, shortest links first. False when the pair list cannot join
  // every haplotype (it always can for a complete pair list) or a pair had to be dropped because
  // it would touch more than two components (DroppedLinks()).
  bool BuildHaplotypeNetwork();
  // Replaces each tree link of distance d >= 2 by a chain of d unit links through d - 1 new
  // haplotypes.
  void SplitLongLinks();
  void SetParentLinks();
  // Places the nodes in an image of the given size. With only the root (no depth above 0) the
  // root alone is placed. False when some haplotype could not be placed (its X stays 0).
  bool Layout(int width, int height);

  // Steps 1 to 9 in order, as each redraw of the simulation runs them.
  bool Build(const std::vector<std::string>& sequences, std::size_t length, int width, int height);

  // 1-based access as the steps use it.
  const THaplotype& Haplotype(int i) const { return haplotypes_.at(static_cast<std::size_t>(i - 1)); }
  int Count() const { return static_cast<int>(haplotypes_.size()); }
  const std::vector<THaplotype>& Haplotypes() const { return haplotypes_; }
  const std::vector<HaplotypeLink>& Pairs() const { return pairs_; }
  const std::vector<HaplotypeLink>& Tree() const { return tree_; }
  int LargestCount() const { return largestCount_; }
  // Pairs the spanning trees of the last Build dropped: each would have touched more than two
  // components.
  int DroppedLinks() const { return droppedLinks_; }

private:
  THaplotype& At(int i) { return haplotypes_[static_cast<std::size_t>(i - 1)]; }
  int IndexOf(const std::string& sequence) const;

  std::vector<THaplotype> haplotypes_;
  std::vector<HaplotypeLink> pairs_;
  std::vector<HaplotypeLink> tree_;
  int largestCount_ = 0;
  int droppedLinks_ = 0;
};
