#pragma once
// Editing a drawn diagram with the mouse, without widgets: a left click on a link selects it for
// rotation (highlighted at width 3) and a drag on one of its ends turns that side of the network
// about the other end; a left drag on a node moves it; a right click asks for the style dialog of
// what was hit; a double click names the node whose information is to be shown. The first
// effective move of each drag or rotation takes a one-step undo copy of the nodes.
//
// Positions are image pixels; node and link numbers are 1-based (0: none). The drawing window
// calls these from the mouse events of its drawing surface and does what the results ask
// (repaint, open a dialog, show "Undo").

#include "DrawNetwork_Diagramm.h"
#include "Network_Diagramm.h"

#include <vector>

enum class TMouseButton { Left, Right, Other };

// The style dialog a right click asks for; the element is Hit().
enum class TStyleRequest { None, LinkStyle, MutationStyle, TaxonStyle, TaxonNameStyle };

struct TMouseDownResult {
  TStyleRequest Style = TStyleRequest::None;
  bool Repaint = false;
  bool LinkSelected = false;  // a link is now selected for rotation
};

struct TMouseMoveResult {
  bool Repaint = false;
  bool UndoSaved = false;  // the undo copy was taken: "Undo" is shown and enabled
  bool Rotating = false;   // a rotation step: the surface's hints are switched off
};

class TGraphik_MouseEdit {
public:
  // Hit-tests (x, y) with the display options (mutation labels, node labels, median vectors, only
  // the torso) and acts on the button. `infoWindowOpen`: the taxon information window is shown,
  // so a left click on a node does nothing.
  TMouseDownResult MouseDown(TDrawNetwork_Diagramm& diagram, TMouseButton button, int x, int y,
                             const TDrawOptions& options, bool infoWindowOpen);
  TMouseMoveResult MouseMove(TDrawNetwork_Diagramm& diagram, int x, int y);
  // Ends a drag or rotation; the selected link stays selected.
  void MouseUp();
  // The node to show in the taxon information window when the last mouse down hit one (0
  // otherwise); a selected link is deselected first and `repaint` set.
  int DoubleClick(TNetwork_Diagramm& diagram, bool& repaint);

  // Gives the selected link its width back and selects none; true when one was selected.
  bool Deselect(TNetwork_Diagramm& diagram);
  // Copies every node (and the help points, which a rotation moves with them).
  void SaveUndoInformation(const TNetwork_Diagramm& diagram);
  // Restores the copy's nodes and help points, switches every colour scheme off and forgets the
  // copy; false when there is none.
  bool Undo(TNetwork_Diagramm& diagram);
  bool HasUndo() const { return hasUndo_; }
  // Forgets selection, hit and undo copy: the diagram was replaced.
  void Reset();

  int SelectedLink() const { return SelectedLink_; }
  int SelectedLinkWidth() const { return SelectedLinkWidth_; }
  int RotateNode() const { return RotateNode_; }
  int RotatePivot() const { return RotatePivot_; }
  int DragNode() const { return DragNode_; }
  bool UndoPending() const { return UndoPending_; }
  const THitResult& Hit() const { return Hit_; }
  const std::vector<TaxonType>& UndoTaxa() const { return UndoTaxa_; }

private:
  void SelectLink(TDrawNetwork_Diagramm& diagram, int link, TMouseDownResult& result);
  void GrabNode(TNetwork_Diagramm& diagram, int node, int x, int y, TMouseDownResult& result);
  // Takes the undo copy on the first effective move after a mouse up.
  void SaveUndoOnce(const TNetwork_Diagramm& diagram, TMouseMoveResult& result);

  int SelectedLink_ = 0;
  int SelectedLinkWidth_ = 0;
  int RotateNode_ = 0;
  int RotatePivot_ = 0;
  int DragNode_ = 0;
  int LastMouseX_ = 0;
  int LastMouseY_ = 0;
  bool UndoPending_ = true;
  THitResult Hit_;
  bool hasUndo_ = false;
  std::vector<TaxonType> UndoTaxa_;
  std::vector<HelpPointLinkType> undoHelpPoints_;
};
