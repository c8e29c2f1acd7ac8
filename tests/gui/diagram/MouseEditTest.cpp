// Mouse editing of a diagram without widgets: hits, drags, link rotation, style requests, double
// clicks and the one-step undo.

#include "Graphik_MouseEdit.h"
#include "ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const char* const kOffLengthQuestion =
    "The chosen link is not shown with the correct length.Modify it anyway?";

// The image shows the diagram shifted by (10, 20).
constexpr int kOffX = 10, kOffY = 20;

//        C (140,160)
//        |  3 mutations
//  A --- B --- D        A (100,100), B (140,100), D (180,100); 2 mutations each
// Every link is 20 pixels per mutation. B-D runs through a help point.
TDrawNetwork_Diagramm Network() {
  TDrawNetwork_Diagramm d;
  const struct {
    const char* name;
    double x, y;
  } nodes[] = {{"A", 100, 100}, {"B", 140, 100}, {"C", 140, 160}, {"D", 180, 100}};
  for (const auto& n : nodes) {
    TaxonType t;
    t.Name = t.Label = n.name;
    t.X = n.x;
    t.Y = n.y;
    t.Frequency = 1;
    t.Active = true;
    t.LineWidth = 1;
    t.NameBox = {n.x + 8, n.y - 20, n.x + 30, n.y - 10};
    t.Info[0] = {"Region", std::string("R") + n.name};
    t.Pies = {Pie{}};
    d.Taxa.push_back(t);
  }
  const struct {
    const char* t1;
    const char* t2;
    int mutations;
    bool torso;
  } links[] = {{"A", "B", 2, true}, {"B", "C", 3, false}, {"B", "D", 2, true}};
  for (const auto& l : links) {
    LinkType link;
    link.Taxon1 = l.t1;
    link.Taxon2 = l.t2;
    link.InTorso = l.torso;
    link.TorsoPart = l.torso ? 1 : 0;
    link.Active = true;
    link.LineWidth = 2;
    for (int m = 0; m < l.mutations; ++m) {
      MutationType mu;
      mu.Character = mu.Name = std::string(l.t1) + l.t2 + std::to_string(m);
      link.Mutations.push_back(mu);
    }
    d.Links.push_back(link);
  }
  // The label of mutation 2 of link B-C, in diagram units.
  d.Links[1].Mutations[1].NameBox = {150, 125, 170, 135};
  d.HelpPointLinks = {{"B", "D", {{160, 110}}}};
  d.DiagramCenter = {200, 150};
  d.ImageCenter = {200 + kOffX, 150 + kOffY};
  SchemeType scheme;
  scheme.SchemeName = "Region";
  scheme.SchemeLabels = {"RA"};
  scheme.SchemeColors = {clRed};
  d.ColorSchemes = {scheme};
  return d;
}

TDrawOptions Options() {
  TDrawOptions o;
  o.ShowCharacters = true;
  o.ShowNodeNames = true;
  return o;
}

// Image position of node n (1-based).
int Ix(const TDrawNetwork_Diagramm& d, int n) { return static_cast<int>(d.Taxa[n - 1].X) + kOffX; }
int Iy(const TDrawNetwork_Diagramm& d, int n) { return static_cast<int>(d.Taxa[n - 1].Y) + kOffY; }

class MouseEdit : public ::testing::Test {
protected:
  TMouseDownResult Down(TMouseButton button, int x, int y, bool infoOpen = false) {
    return edit.MouseDown(d, button, x, y, Options(), infoOpen);
  }
  TMouseDownResult DownOnNode(TMouseButton button, int node) {
    return Down(button, Ix(d, node), Iy(d, node));
  }

  ScriptedDialogsScope scope;
  TDrawNetwork_Diagramm d = Network();
  TGraphik_MouseEdit edit;
};

}  // namespace

TEST_F(MouseEdit, DragMovesTheNodeOnlyBeyondTwoPixelsAndSavesUndoOncePerDrag) {
  DownOnNode(TMouseButton::Left, 3);
  EXPECT_EQ(edit.DragNode(), 3);
  const int x = Ix(d, 3), y = Iy(d, 3);
  TMouseMoveResult r = edit.MouseMove(d, x + 2, y - 2);
  EXPECT_FALSE(r.Repaint);
  EXPECT_FALSE(r.UndoSaved);
  EXPECT_DOUBLE_EQ(d.Taxa[2].X, 140);

  r = edit.MouseMove(d, x + 3, y);
  EXPECT_TRUE(r.Repaint);
  EXPECT_TRUE(r.UndoSaved);
  EXPECT_DOUBLE_EQ(d.Taxa[2].X, 143);
  EXPECT_DOUBLE_EQ(d.Taxa[2].Y, 160);
  EXPECT_EQ(edit.UndoTaxa()[2].X, 140);
  r = edit.MouseMove(d, x + 30, y + 10);
  EXPECT_FALSE(r.UndoSaved);  // one copy per drag
  EXPECT_DOUBLE_EQ(d.Taxa[2].X, 170);
  EXPECT_DOUBLE_EQ(d.Taxa[2].Y, 170);
  edit.MouseUp();
  EXPECT_EQ(edit.DragNode(), 0);
  EXPECT_TRUE(edit.UndoPending());
  EXPECT_FALSE(edit.MouseMove(d, x + 60, y).Repaint);  // the button is up

  // A second drag; undo goes back to where it started, not to the first drag's start.
  DownOnNode(TMouseButton::Left, 3);
  EXPECT_TRUE(edit.MouseMove(d, 200 + kOffX, 200 + kOffY).UndoSaved);
  edit.MouseUp();
  d.ColorSchemes[0].SchemeActive = true;
  ASSERT_TRUE(edit.Undo(d));
  EXPECT_DOUBLE_EQ(d.Taxa[2].X, 170);
  EXPECT_DOUBLE_EQ(d.Taxa[2].Y, 170);
  EXPECT_FALSE(d.ColorSchemes[0].SchemeActive);
  EXPECT_FALSE(edit.HasUndo());
  EXPECT_FALSE(edit.Undo(d));  // only one step
}

TEST_F(MouseEdit, LeftClickOnANodeDoesNothingWhileTheInformationWindowIsOpen) {
  const TMouseDownResult r = Down(TMouseButton::Left, Ix(d, 1), Iy(d, 1), true);
  EXPECT_EQ(edit.DragNode(), 0);
  EXPECT_FALSE(r.Repaint);
  edit.MouseMove(d, 0, 0);
  EXPECT_DOUBLE_EQ(d.Taxa[0].X, 100);
}

TEST_F(MouseEdit, SelectedLinkTurnsItsGrabbedSideAboutTheOtherEnd) {
  // Left click on the middle of A-B.
  TMouseDownResult r = Down(TMouseButton::Left, 120 + kOffX, 100 + kOffY);
  EXPECT_TRUE(r.LinkSelected);
  EXPECT_TRUE(r.Repaint);
  EXPECT_EQ(edit.SelectedLink(), 1);
  EXPECT_EQ(edit.SelectedLinkWidth(), 2);
  EXPECT_EQ(d.Links[0].LineWidth, 3);
  EXPECT_EQ(d.LinkSides[0], SplitType{"A"});
  edit.MouseUp();

  // Grab B: A is the pivot; B's side (B, C, D) turns.
  DownOnNode(TMouseButton::Left, 2);
  EXPECT_EQ(edit.RotateNode(), 2);
  EXPECT_EQ(edit.RotatePivot(), 1);
  EXPECT_EQ(edit.DragNode(), 0);
  const int bx = Ix(d, 2), by = Iy(d, 2);
  // Five pixels or less: ignored.
  EXPECT_FALSE(edit.MouseMove(d, bx + 5, by - 5).Rotating);
  // More, but within 8 pixels of the pivot in x and y: a step without turning.
  TMouseMoveResult m = edit.MouseMove(d, Ix(d, 1) + 8, Iy(d, 1) - 8);
  EXPECT_TRUE(m.Rotating);
  EXPECT_TRUE(m.UndoSaved);
  EXPECT_FALSE(m.Repaint);
  EXPECT_DOUBLE_EQ(d.Taxa[1].X, 140);
  // Straight down from the pivot: B goes 2 x 20 below A, and its side follows.
  m = edit.MouseMove(d, Ix(d, 1), Iy(d, 1) + 60);
  EXPECT_TRUE(m.Repaint);
  EXPECT_FALSE(m.UndoSaved);
  EXPECT_NEAR(d.Taxa[1].X, 100, 0.05);
  EXPECT_NEAR(d.Taxa[1].Y, 140, 0.01);
  EXPECT_NEAR(d.Taxa[2].X, 100, 0.05);  // C moved with B
  EXPECT_NEAR(d.Taxa[2].Y, 200, 0.01);
  EXPECT_NEAR(d.Taxa[3].X, 140, 0.05);  // and D
  EXPECT_NEAR(d.HelpPointLinks[0].Points[0].X, 120, 0.05);
  EXPECT_DOUBLE_EQ(d.Taxa[0].X, 100);  // the pivot stays
  edit.MouseUp();
  EXPECT_EQ(edit.SelectedLink(), 1);  // still selected for the next grab

  // Undo puts the nodes and the help point back.
  ASSERT_TRUE(edit.Undo(d));
  EXPECT_DOUBLE_EQ(d.Taxa[1].X, 140);
  EXPECT_DOUBLE_EQ(d.Taxa[2].Y, 160);
  EXPECT_DOUBLE_EQ(d.HelpPointLinks[0].Points[0].X, 160);
}

TEST_F(MouseEdit, NodeOffTheSelectedLinkIsDraggedAndTheLinkDeselected) {
  Down(TMouseButton::Left, 120 + kOffX, 100 + kOffY);
  edit.MouseUp();
  const TMouseDownResult r = DownOnNode(TMouseButton::Left, 3);
  EXPECT_TRUE(r.Repaint);
  EXPECT_EQ(edit.SelectedLink(), 0);
  EXPECT_EQ(d.Links[0].LineWidth, 2);
  EXPECT_EQ(edit.DragNode(), 3);
  EXPECT_EQ(edit.RotateNode(), 0);
}

TEST_F(MouseEdit, LinkOffTheCommonUnitIsSelectedOnlyWhenTheUserAgrees) {
  d.Taxa[2].Y = 250;  // B-C: 50 pixels per mutation instead of 20
  scope.dialogs.answer(DialogAnswer::No);
  const int x = 140 + kOffX, y = 200 + kOffY;
  EXPECT_FALSE(Down(TMouseButton::Left, x, y).LinkSelected);
  EXPECT_EQ(scope.dialogs.questions(), std::vector<std::string>{kOffLengthQuestion});
  EXPECT_EQ(edit.SelectedLink(), 0);
  EXPECT_EQ(d.Links[1].LineWidth, 2);

  scope.dialogs.answer(DialogAnswer::Yes);
  EXPECT_TRUE(Down(TMouseButton::Left, x, y).LinkSelected);
  EXPECT_EQ(edit.SelectedLink(), 2);
}

TEST_F(MouseEdit, RightClickAsksForTheStyleDialogOfWhatWasHit) {
  struct Case {
    const char* what;
    int x, y;
    TStyleRequest style;
    THitKind kind;
    int index, mutation;
  };
  const Case cases[] = {
      {"link", 120 + kOffX, 101 + kOffY, TStyleRequest::LinkStyle, THitKind::Link, 1, 0},
      {"node", 180 + kOffX, 100 + kOffY, TStyleRequest::TaxonStyle, THitKind::Node, 4, 0},
      {"node label", 120 + kOffX, 85 + kOffY, TStyleRequest::TaxonNameStyle, THitKind::NodeLabel,
       1, 0},
      {"mutation label", 160 + kOffX, 130 + kOffY, TStyleRequest::MutationStyle,
       THitKind::Mutation, 2, 2},
      {"nothing", 300, 300, TStyleRequest::None, THitKind::Nothing, 0, 0},
  };
  for (const Case& c : cases) {
    // A link selected before is deselected by every right click on an element.
    Down(TMouseButton::Left, 160 + kOffX, 100 + kOffY);
    edit.MouseUp();
    ASSERT_EQ(edit.SelectedLink(), 3) << c.what;
    const TMouseDownResult r = Down(TMouseButton::Right, c.x, c.y);
    EXPECT_EQ(r.Style, c.style) << c.what;
    EXPECT_EQ(edit.Hit().Kind, c.kind) << c.what;
    EXPECT_EQ(edit.Hit().Index, c.index) << c.what;
    EXPECT_EQ(edit.Hit().Mutation, c.mutation) << c.what;
    EXPECT_EQ(edit.SelectedLink() == 0, c.style != TStyleRequest::None) << c.what;
    EXPECT_EQ(d.Links[2].LineWidth, c.style != TStyleRequest::None ? 2 : 3) << c.what;
    edit.Deselect(d);
  }
}

TEST_F(MouseEdit, LeftClickOnALabelDoesNothing) {
  for (const auto& [x, y] : {std::pair{120 + kOffX, 85 + kOffY}, {160 + kOffX, 130 + kOffY}}) {
    const TMouseDownResult r = Down(TMouseButton::Left, x, y);
    EXPECT_EQ(r.Style, TStyleRequest::None);
    EXPECT_FALSE(r.Repaint);
    EXPECT_EQ(edit.DragNode(), 0);
    EXPECT_EQ(edit.SelectedLink(), 0);
  }
}

TEST_F(MouseEdit, DoubleClickNamesTheNodeOfTheLastMouseDown) {
  bool repaint = true;
  Down(TMouseButton::Left, 300, 300);
  EXPECT_EQ(edit.DoubleClick(d, repaint), 0);
  EXPECT_FALSE(repaint);

  Down(TMouseButton::Left, 120 + kOffX, 100 + kOffY);  // select A-B
  edit.MouseUp();
  DownOnNode(TMouseButton::Left, 4);  // D is no end of it: deselected here already
  edit.MouseUp();
  EXPECT_EQ(edit.DoubleClick(d, repaint), 4);
  EXPECT_FALSE(repaint);

  Down(TMouseButton::Left, 120 + kOffX, 100 + kOffY);
  edit.MouseUp();
  DownOnNode(TMouseButton::Left, 1);  // an end: grabbed for rotation, still selected
  edit.MouseUp();
  EXPECT_EQ(edit.DoubleClick(d, repaint), 1);
  EXPECT_TRUE(repaint);
  EXPECT_EQ(edit.SelectedLink(), 0);
  EXPECT_EQ(d.Links[0].LineWidth, 2);
}

TEST_F(MouseEdit, ResetForgetsTheUndoCopyOfAnotherDiagram) {
  edit.SaveUndoInformation(d);
  Down(TMouseButton::Left, 120 + kOffX, 100 + kOffY);
  edit.Reset();
  EXPECT_FALSE(edit.HasUndo());
  EXPECT_EQ(edit.SelectedLink(), 0);
  TDrawNetwork_Diagramm other = Network();
  other.Taxa[0].X = 5;
  EXPECT_FALSE(edit.Undo(other));
  EXPECT_DOUBLE_EQ(other.Taxa[0].X, 5);
}
