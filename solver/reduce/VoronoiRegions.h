#pragma once
// Nearest terminals of the reduction instance: the Voronoi regions of the terminals (first-nearest
// terminal, distance and predecessor per vertex) with the links between regions, the generalized
// MST over those links (optionally expanded into a tree offered to setUpper), and the second- and
// third-nearest terminals. The results are the instance's own fields (nearDist, nearPred,
// nearBase, voronoiSlot, regionLinks, linkSlot, mstLink, vertexValue, blowUpMark); the work space
// lives with the instance too, so an object is only a handle and repeated runs allocate nothing
// once the arrays have their size.

namespace tesmo {

class ReduceGraph;
struct VoronoiWork;

class VoronoiRegions {
public:
  explicit VoronoiRegions(ReduceGraph& R);

  // Allocates the nearest-terminal arrays on first use (grown when the instance outgrew them)
  // and empties the link list.
  void initArrays();
  // Row 1 of the nearest terminals, voronoiSlot, and the links between the regions (links
  // longer than limit are not recorded).
  void computeRegions(int limit);
  // Replaces the link list by the minimum spanning forest of the links; sets mstLink (direct
  // terminal-terminal edges) and blowUpMark.
  void generalizedMst();
  // As generalizedMst, marking every edge of the expanded forest in mstLink and counting its
  // use at each vertex in vertexValue; with force (or option mstComputeUpper) and no stored
  // tree the expanded forest is offered to setUpper.
  void generalizedMstUpper(int force);
  void secondNearest(int limit);
  void thirdNearest(int limit);

private:
  void allocateNearArrays();
  void ensureMstArrays();
  void acceptMstLinks(bool expand, bool collectTree);
  void useMstSlot(int s, bool collectTree);

  ReduceGraph& R_;
  VoronoiWork& work_;
};

}  // namespace tesmo
