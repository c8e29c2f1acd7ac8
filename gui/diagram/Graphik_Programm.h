#pragma once
// The layout of a freshly read network: every distinct torso mutation gets its own direction, a
// link is drawn as a chain of unit steps (one per mutation), so links carrying the same mutation
// run parallel and close into squares and cubes. Branches outside the torso hang on it pointing
// away from the middle, each direction checked against what is already painted.
//
// The engine works on a diagram and a drawing surface (a QImage) without any widget, so tests and
// the benchmark lay out headless. Free directions are found by sampling the surface's pixels
// (white is free), which is why the layout paints as it goes. It paints only what changed (a link
// and its end nodes); the white/non-white picture it samples is the one a full DrawDiagram with
// the same options gives.
//
// Node and link numbers in this interface are 1-based (0: none), as in the diagram's operations.

#include "DrawNetwork_Diagramm.h"
#include "Network_Diagramm.h"

#include <QImage>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

struct DirectionSlot {
  double Angle = 0;
  bool Used = false;
};

struct UsedDirection {
  std::string MutationName;  // at most 8 characters
  double Angle = 0;
};

// Two mutation keys share a direction when their first six characters agree and, when both are
// exactly 8 long, their last two agree as they stand or exchanged (p->q and q->p).
bool SameDirection(const std::string& a, const std::string& b);

// Offset of the attempt rule: attempts 1, 2, 3, 4, 5 give 0, -0.2, +0.2, -0.4, +0.4.
double AttemptOffset(int attempt);

// Options the layout paints with: node size 3, minimum and maximum 4, median vectors shown, no
// names, mutated positions or proportional sizes; `onlyTorso` while the torso is laid out.
TDrawOptions LayoutDrawOptions(bool onlyTorso);


// The answer to "The torso has been completed. Do you wish to modify the torso?", asked through
// dialogs(); true for Yes.
bool AskModifyTorso();

class TGraphik_Programm {
public:
  // Lays out `diagram` on `surface` (both must outlive the engine). The surface's size is the
  // image size of the layout (777 x 553 in the window).
  TGraphik_Programm(TDrawNetwork_Diagramm& diagram, QImage& surface);
  ~TGraphik_Programm();
  TGraphik_Programm(const TGraphik_Programm&) = delete;
  TGraphik_Programm& operator=(const TGraphik_Programm&) = delete;

  // Called after the surface changed (a link or a whole picture painted). The window updates its
  // widget here; it must not process events (no nested event loop).
  std::function<void()> OnPainted;

  // The whole layout run: centre, torso, branches, fit to the surface, the message "Diagram is
  // not adapted to the screen. It will be redrawn." (through dialogs()), the torso again with the
  // fitted unit, then BoxCentre and NodeDone made ready for TDrawEdges. The caller sets
  // ImageCenter = DiagramCenter = the surface centre before (as opening a file does), disables
  // and re-enables its image, creates the TDrawEdges and asks AskModifyTorso() afterwards.
  // False (nothing laid out) when the diagram has no links or no node names an end of a link.
  bool zeichnung_New();

  // The steps of the run, for tests and the window.
  void FindCentre();
  void CountTorsoDirections();
  void ComputeUnitLength();  // from the surface size and LinkCount, kept within 10..40
  void torso_New();
  bool gates_New();  // the "found" result: a gate was laid out or a next torso part chosen
  int richtung_best_New(int mode);  // a free slot, 1-based
  void aeste_zeichnen_NEW();
  void FitDiagramToImage();
  // Every node's NodeDone := false, except nodes that are an end of no link (true).
  void ResetNodeDone();

  // Direction functions (also used by TDrawEdges).
  void ComputeBoxCentre();
  double OutwardAngle(int node) const;
  double winkel_NEW(int attempt, int mutations, double startY, double startX);
  double GetNewDirection(int attempt, int link, bool useOutward, double givenAngle, int node);
  void richtung_pruefen_NEW(double& angle, double base, int mutations, double startY,
                            double startX);

  // After the placement: scales the network to the surface and moves nodes apart until no node's
  // circle or name, drawn with `finished` (the finished drawing's options), covers another's, every
  // node and name kept on the surface. Help points follow their links' ends.
  void SpreadForDrawing(const TDrawOptions& finished);

  struct TFitBox {
    double MinX = 0, MinY = 0, MaxX = 0, MaxY = 0, Factor = 1;
  };
  TFitBox FitBox(int width, int height) const;

  // Painting on the surface: the whole diagram (fills white first), or one link with its two end
  // nodes on top. Both call OnPainted.
  void Repaint(const TDrawOptions& options);
  void PaintLink(int link, const TDrawOptions& options);

  // Keeps one painter open on the surface for the lifetime of the batch (nested batches share
  // it); every entry point that paints opens one, so the painter is closed again when control
  // goes back to the event loop.
  class TPaintBatch {
  public:
    explicit TPaintBatch(TGraphik_Programm& layout);
    ~TPaintBatch();
    TPaintBatch(const TPaintBatch&) = delete;
    TPaintBatch& operator=(const TPaintBatch&) = delete;

  private:
    TGraphik_Programm& layout_;
  };

  // Rebuilds the name and link lookups after the diagram's nodes or links changed.
  void RebuildIndex();
  // 1-based first / last node of a name, 0 when none.
  int FirstNode(const std::string& name) const;
  int LastNode(const std::string& name) const;
  // 1-based nodes of a name and links touching a name, in index order.
  const std::vector<int>& NodesNamed(const std::string& name) const;
  const std::vector<int>& LinksAt(const std::string& name) const;
  bool AnyActiveNamed(const std::string& name) const;
  // Makes a node (1-based) active and keeps the count of active nodes.
  void ActivateNode(int node);
  int ActiveNodeCount() const;

  TDrawNetwork_Diagramm& Diagram() { return diagram_; }
  QImage& Surface() { return surface_; }
  int Width() const { return surface_.width(); }
  int Height() const { return surface_.height(); }

  // Working data of the layout.
  double UnitLength = 0;
  int CentreNode = 0;
  int CentreDegree = 0;
  int FirstTorsoPart = 0;
  int CurrentPart = 0;
  int CurrentNode = 0;
  int DirectionCount = 0;
  std::vector<DirectionSlot> Directions;  // 1-based: slot k is Directions[k - 1]
  std::vector<UsedDirection> UsedDirections;
  TIntPoint BoxCentre;

  // The engine's lookups and working sets (defined in its sources).
  struct Impl;

private:
  void ExpandTorsoNode();
  bool LayOutTorsoLink(int link);  // true when it placed the other end
  int NextParallelLink(int link) const;
  bool HasParallelAtCurrent(int link) const;
  int FindUsedDirection(const std::string& key) const;  // index into UsedDirections, -1 if none
  void AddUsedDirection(const std::string& key, double angle);
  void ClearUsedDirections();

  std::unique_ptr<Impl> impl_;
  TDrawNetwork_Diagramm& diagram_;
  QImage& surface_;
};
