#include "Graphik_MouseEdit.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kHighlightWidth = 3;
// A link whose drawn length per mutation is below this has no usable unit to rotate with.
constexpr double kMinUnitLength = 0.5;
// Mouse travel (pixels, in x or in y) below which nothing moves.
constexpr int kRotateStep = 5;
constexpr int kPivotDeadZone = 8;
constexpr int kDragStep = 2;

TStyleRequest RightClickStyle(THitKind kind) {
  switch (kind) {
    case THitKind::Link: return TStyleRequest::LinkStyle;
    case THitKind::Mutation: return TStyleRequest::MutationStyle;
    case THitKind::Node: return TStyleRequest::TaxonStyle;
    case THitKind::NodeLabel: return TStyleRequest::TaxonNameStyle;
    case THitKind::Nothing: break;
  }
  return TStyleRequest::None;
}

bool IsEndOf(const TaxonType& node, const LinkType& link) {
  return node.Name == link.Taxon1 || node.Name == link.Taxon2;
}

}  // namespace

TMouseDownResult TGraphik_MouseEdit::MouseDown(TDrawNetwork_Diagramm& d, TMouseButton button,
                                               int x, int y, const TDrawOptions& options,
                                               bool infoWindowOpen) {
  TMouseDownResult result;
  Hit_ = d.HitTest(x, y, options.ShowCharacters, options.ShowNodeNames, options.ShowMedians,
                   options.ShowOnlyTorso);
  if (button == TMouseButton::Right) {
    // A style dialog for what was hit; a selected link gives its width back first.
    const TStyleRequest style = RightClickStyle(Hit_.Kind);
    if (style != TStyleRequest::None) {
      result.Repaint = Deselect(d);
      result.Style = style;
    }
  } else if (button == TMouseButton::Left) {
    // Labels are not moved with the mouse.
    if (Hit_.Kind == THitKind::Link) SelectLink(d, Hit_.Index, result);
    else if (Hit_.Kind == THitKind::Node && !infoWindowOpen) GrabNode(d, Hit_.Index, x, y, result);
  }
  return result;
}

void TGraphik_MouseEdit::SelectLink(TDrawNetwork_Diagramm& d, int link,
                                    TMouseDownResult& result) {
  result.Repaint = Deselect(d);
  UndoPending_ = true;
  if (link < 1 || link > d.LinkCount() || d.MutationUnitLength(link, true) < kMinUnitLength)
    return;
  SelectedLink_ = link;
  d.SplitNetworkAtLink(link);
  LinkType& l = d.Links[link - 1];
  SelectedLinkWidth_ = l.LineWidth;
  l.LineWidth = kHighlightWidth;
  result.Repaint = true;
  result.LinkSelected = true;
}

void TGraphik_MouseEdit::GrabNode(TNetwork_Diagramm& d, int node, int x, int y,
                                  TMouseDownResult& result) {
  if (node < 1 || node > d.NodeCount()) return;
  const TaxonType& grabbed = d.Taxa[node - 1];
  if (SelectedLink_ < 1 || SelectedLink_ > d.LinkCount()) {
    DragNode_ = node;
    return;
  }
  const LinkType& link = d.Links[SelectedLink_ - 1];
  if (!IsEndOf(grabbed, link)) {
    result.Repaint = Deselect(d);
    DragNode_ = node;
    return;
  }
  RotateNode_ = node;
  LastMouseX_ = x;
  LastMouseY_ = y;
  RotatePivot_ = 0;
  for (int k = 1; k <= d.NodeCount(); ++k)
    if (k != node && IsEndOf(d.Taxa[k - 1], link)) RotatePivot_ = k;
}

void TGraphik_MouseEdit::SaveUndoOnce(const TNetwork_Diagramm& d, TMouseMoveResult& result) {
  if (!UndoPending_) return;
  SaveUndoInformation(d);
  UndoPending_ = false;
  result.UndoSaved = true;
}

TMouseMoveResult TGraphik_MouseEdit::MouseMove(TDrawNetwork_Diagramm& d, int x, int y) {
  TMouseMoveResult result;
  const int offX = d.ImageOffsetX(), offY = d.ImageOffsetY();
  const auto valid = [&d](int node) { return node >= 1 && node <= d.NodeCount(); };

  if (valid(RotatePivot_) && valid(RotateNode_) && SelectedLink_ >= 1 &&
      SelectedLink_ <= d.LinkCount() &&
      (std::abs(x - LastMouseX_) > kRotateStep || std::abs(y - LastMouseY_) > kRotateStep)) {
    result.Rotating = true;
    SaveUndoOnce(d, result);
    LastMouseX_ = x;
    LastMouseY_ = y;
    const TaxonType& pivot = d.Taxa[RotatePivot_ - 1];
    const double dx = x - pivot.X - offX, dy = y - pivot.Y - offY;
    if (std::abs(dx) > kPivotDeadZone || std::abs(dy) > kPivotDeadZone) {
      d.RotateLinkSide(SelectedLink_, RotatePivot_, RotateNode_, dx, dy);
      result.Repaint = true;
    }
  }

  if (valid(DragNode_)) {
    TaxonType& node = d.Taxa[DragNode_ - 1];
    if (std::abs(x - (offX + node.X)) > kDragStep || std::abs(y - (offY + node.Y)) > kDragStep) {
      SaveUndoOnce(d, result);
      node.X = x - offX;
      node.Y = y - offY;
      result.Repaint = true;
    }
  }
  return result;
}

void TGraphik_MouseEdit::MouseUp() {
  RotateNode_ = 0;
  RotatePivot_ = 0;
  DragNode_ = 0;
  UndoPending_ = true;
}

int TGraphik_MouseEdit::DoubleClick(TNetwork_Diagramm& d, bool& repaint) {
  repaint = false;
  if (Hit_.Kind != THitKind::Node || Hit_.Index < 1 || Hit_.Index > d.NodeCount()) return 0;
  repaint = Deselect(d);
  return Hit_.Index;
}

bool TGraphik_MouseEdit::Deselect(TNetwork_Diagramm& d) {
  if (SelectedLink_ <= 0) return false;
  if (SelectedLink_ <= d.LinkCount()) d.Links[SelectedLink_ - 1].LineWidth = SelectedLinkWidth_;
  SelectedLink_ = 0;
  return true;
}

void TGraphik_MouseEdit::SaveUndoInformation(const TNetwork_Diagramm& d) {
  UndoTaxa_ = d.Taxa;
  undoHelpPoints_ = d.HelpPointLinks;
  hasUndo_ = true;
}

bool TGraphik_MouseEdit::Undo(TNetwork_Diagramm& d) {
  if (!hasUndo_) return false;
  std::copy_n(UndoTaxa_.begin(), std::min(UndoTaxa_.size(), d.Taxa.size()), d.Taxa.begin());
  // A rotation moved the help points of the turned side; they go back with its nodes.
  if (undoHelpPoints_.size() == d.HelpPointLinks.size()) d.HelpPointLinks = undoHelpPoints_;
  for (SchemeType& scheme : d.ColorSchemes) scheme.SchemeActive = false;
  hasUndo_ = false;
  return true;
}

void TGraphik_MouseEdit::Reset() { *this = TGraphik_MouseEdit(); }
