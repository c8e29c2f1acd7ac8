#pragma once
// The stepwise placement of the nodes left after the torso: nodes are placed one expansion at a
// time, growing outward from those already placed, so the user watches the network unfold and can
// pause it. The window drives it from a timer (one Step() per tick; "Pause" calls Stop(),
// "Continue" calls Start() and restarts the timer); tests and the benchmark call RunToEnd(). No
// thread and no nested event loop: Step() returns after one node.

#include "Graphik_Programm.h"

#include <set>
#include <vector>

class TDrawEdges {
public:
  // Works on the layout's diagram and surface. The layout's zeichnung_New must have run (it sets
  // NodeDone and BoxCentre); the constructor clears PlacementIndex and DrawingDone.
  explicit TDrawEdges(TGraphik_Programm& layout);

  // Starts or resumes placing: clears PauseRequested and takes the diagram's current state (nodes
  // may have been moved while paused).
  void Start();
  // Expands one node: places every unplaced link at it (new end at the chosen direction, at
  // MutationCount x UnitLength) and paints each. True while more remains; false when the
  // placement is done (DrawingDone), paused, or stopped by a link naming no node (the message
  // " DataSet is corrupt: Missing Taxon in Modul DrawEdges!" is shown and the run pauses).
  bool Step();
  // Start(), then Step() until it returns false.
  void RunToEnd();
  // Sets PauseRequested: the next Step() places nothing and returns false.
  void Stop();

  bool PauseRequested() const { return pauseRequested_; }
  bool DrawingDone() const { return drawingDone_; }
  int PlacementIndex() const { return placementIndex_; }  // links placed so far

private:
  enum class Phase { ChooseFirst, ChooseNext };
  int ChooseFirstNode();  // 1-based, 0 when none
  int ChooseNextNode();
  int FirstOpenEnd(int link) const;
  void Expand(int node, bool first);
  void Activate(int node);
  void CheckDone();

  TGraphik_Programm& layout_;
  TDrawNetwork_Diagramm& d_;
  bool pauseRequested_ = false;
  bool drawingDone_ = false;
  bool started_ = false;
  int placementIndex_ = 0;
  double previousAngle_ = 0;
  Phase phase_ = Phase::ChooseFirst;
  // Active links with InTorso / without it that may still have an end to expand (1-based), and
  // the active nodes not yet expanded; entries go lazily once both ends are done.
  std::set<int> torsoLinks_, branchLinks_, openNodes_;
};
