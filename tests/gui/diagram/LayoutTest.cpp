// Headless layout of small networks: properties of the result, not pixels.

#include "Dia_File.h"
#include "DrawEdgesThread.h"
#include "Graphik_Programm.h"
#include "LayoutQuality.h"
#include "QtCanvas.h"
#include "RecordingCanvas.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cmath>
#include <map>
#include <memory>
#include <numbers>
#include <random>
#include <set>

namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kWidth = 777, kHeight = 553;  // the window's drawing surface

struct Layout {
  TDrawNetwork_Diagramm diagram;
  QImage surface{kWidth, kHeight, QImage::Format_RGB32};
  std::unique_ptr<TGraphik_Programm> engine;
  std::unique_ptr<TDrawEdges> placement;

  // Prepares the diagram as opening a file does, then builds the engine.
  void Prepare() {
    diagram.ImageCenter = {RoundEven(kWidth / 2.0), RoundEven(kHeight / 2.0)};
    diagram.DiagramCenter = diagram.ImageCenter;
    diagram.NumberTorsoParts();
    surface.fill(Qt::white);
    engine = std::make_unique<TGraphik_Programm>(diagram, surface);
  }
  // zeichnung_New, answering its message; true when something was laid out.
  bool LayOut() {
    ScriptedDialogsScope s;
    const bool ok = engine->zeichnung_New();
    EXPECT_EQ(s.dialogs.messages(),
              std::vector<std::string>{"Diagram is not adapted to the screen. It will be redrawn."});
    placement = std::make_unique<TDrawEdges>(*engine);
    return ok;
  }
  void Run() {
    ASSERT_TRUE(LayOut());
    placement->RunToEnd();
    EXPECT_TRUE(placement->DrawingDone());
  }
};

std::unique_ptr<Layout> Load(const std::string& file) {
  auto l = std::make_unique<Layout>();
  std::string error;
  const std::string path = testpaths::testData("layout/" + file).string();
  const bool ok = file.ends_with(".sto") ? LoadStoFile(l->diagram, path, &error)
                                         : LoadOutFile(l->diagram, path, &error);
  EXPECT_TRUE(ok) << error;
  l->Prepare();
  return l;
}

const TaxonType& NodeOf(const TNetwork_Diagramm& d, const std::string& name) {
  return d.Taxa[d.FindNode(name)];
}

// The drawn length of a link: through the bend points the torso left for it, else straight.
double PathLength(const TNetwork_Diagramm& d, const LinkType& l) {
  const TaxonType& a = NodeOf(d, l.Taxon1);
  const TaxonType& b = NodeOf(d, l.Taxon2);
  std::vector<HelpPoint> path{{a.X, a.Y}};
  for (const HelpPointLinkType& h : d.HelpPointLinks) {
    if (h.Taxon1 == l.Taxon1 && h.Taxon2 == l.Taxon2) path.insert(path.end(), h.Points.begin(), h.Points.end());
    if (h.Taxon1 == l.Taxon2 && h.Taxon2 == l.Taxon1) path.insert(path.end(), h.Points.rbegin(), h.Points.rend());
  }
  path.push_back({b.X, b.Y});
  double length = 0;
  for (std::size_t i = 1; i < path.size(); ++i)
    length += std::hypot(path[i].X - path[i - 1].X, path[i].Y - path[i - 1].Y);
  return length;
}

// Builds a chain of `links` links, for the unit length.
void Chain(TNetwork_Diagramm& d, int links) {
  for (int i = 0; i <= links; ++i) {
    TaxonType t;
    t.Name = std::to_string(i);
    d.Taxa.push_back(t);
  }
  for (int i = 0; i < links; ++i) {
    LinkType l;
    l.Taxon1 = std::to_string(i);
    l.Taxon2 = std::to_string(i + 1);
    l.Mutations.push_back({.Character = "1      a"});
    d.Links.push_back(l);
  }
}

}  // namespace

// ---- small rules -----------------------------------------------------------------------------

TEST(LayoutRules, UnitLengthFollowsTheLinkCountWithin10And40) {
  struct Case {
    int links;
    double unit;
  };
  for (const Case c : {Case{100, 19.95}, Case{10, 40}, Case{1000, 10}}) {
    Layout l;
    Chain(l.diagram, c.links);
    l.Prepare();
    l.engine->ComputeUnitLength();
    EXPECT_NEAR(l.engine->UnitLength, c.unit, 1e-9) << c.links << " links";
  }
}

TEST(LayoutRules, MutationKeysShareADirection) {
  struct Case {
    const char* a;
    const char* b;
    bool same;
  };
  for (const Case c : {Case{"16189 AG", "16189 GA", true}, Case{"16189 AG", "16189 AC", false},
                       Case{"16189 AG", "16189 AG", true}, Case{"16189 ", "16189 AC", true}, Case{"16189", "16189 AC", false},
                       Case{"16189 AG", "16188 AG", false}, Case{"5      a", "5      a", true}})
    EXPECT_EQ(SameDirection(c.a, c.b), c.same) << c.a << " / " << c.b;
}

TEST(LayoutRules, AttemptsAlternateAroundTheBase) {
  const std::map<int, double> offsets{{1, 0}, {2, -0.2}, {3, 0.2}, {4, -0.4}, {5, 0.4}, {6, -0.6}, {7, 0.6}};
  for (const auto& [attempt, offset] : offsets) EXPECT_NEAR(AttemptOffset(attempt), offset, 1e-12) << attempt;
}

TEST(LayoutRules, OutwardAngleFromTheBoxCentre) {
  Layout l;
  Chain(l.diagram, 2);
  l.Prepare();
  TGraphik_Programm& e = *l.engine;
  e.BoxCentre = {100, 100};
  l.diagram.Taxa[0].X = 100;  // at the centre: dx becomes 1
  l.diagram.Taxa[0].Y = 100;
  EXPECT_NEAR(e.OutwardAngle(1), 0, 1e-12);
  l.diagram.Taxa[1].X = 100.3;  // straight above: dx 1.3
  l.diagram.Taxa[1].Y = 50;
  EXPECT_NEAR(e.OutwardAngle(2), std::atan(-50 / 1.3) + 2 * kPi, 1e-12);
  EXPECT_NEAR(e.OutwardAngle(2), 3 * kPi / 2, 0.03);
  l.diagram.Taxa[2].X = 50;  // left and below
  l.diagram.Taxa[2].Y = 150;
  EXPECT_NEAR(e.OutwardAngle(3), 3 * kPi / 4, 1e-12);
}

TEST(LayoutRules, FitScalesAboutTheDiagramCentre) {
  Layout l;
  Chain(l.diagram, 1);
  l.Prepare();
  TDrawNetwork_Diagramm& d = l.diagram;
  // The box of these two nodes (plus 20 on each side) is 518 wide: factor 777 / 518 = 1.5.
  d.Taxa[0].X = 388.5 - 239;
  d.Taxa[1].X = 388.5 + 239;
  d.Taxa[0].Y = d.Taxa[1].Y = 276.5;
  d.Taxa[0].Active = d.Taxa[1].Active = true;
  l.engine->UnitLength = 20;
  EXPECT_NEAR(l.engine->FitBox(kWidth, kHeight).Factor, 1.5, 1e-12);
  l.engine->FitDiagramToImage();
  EXPECT_NEAR(l.engine->UnitLength, 20 * 1.45, 1e-9);
  EXPECT_NEAR(d.Taxa[1].X - d.Taxa[0].X, 478 * 1.45, 1e-9);
  EXPECT_NEAR(d.Taxa[0].X, 388 + 1.45 * (149.5 - 388), 1e-9);
  EXPECT_EQ(d.ImageCenter, d.DiagramCenter);
}

TEST(LayoutRules, AFilledWindowIsNotFittedAgain) {
  Layout l;
  Chain(l.diagram, 1);
  l.Prepare();
  TDrawNetwork_Diagramm& d = l.diagram;
  d.Taxa[0] = {.X = 20, .Y = 20, .Active = true};
  d.Taxa[1] = {.X = kWidth - 20, .Y = kHeight - 20, .Active = true};
  l.engine->UnitLength = 20;
  const TIntPoint centre = d.DiagramCenter;
  l.engine->FitDiagramToImage();
  EXPECT_EQ(l.engine->UnitLength, 20);
  EXPECT_EQ(d.Taxa[0].X, 20);
  EXPECT_EQ(d.DiagramCenter, centre);
}

TEST(LayoutRules, TheTorsoQuestionGoesThroughTheDialogs) {
  ScriptedDialogsScope s;
  s.dialogs.answer(DialogAnswer::Yes);
  s.dialogs.answer(DialogAnswer::No);
  EXPECT_TRUE(AskModifyTorso());
  EXPECT_FALSE(AskModifyTorso());
  EXPECT_EQ(s.dialogs.questions().front(), "The torso has been completed. Do you wish to modify the torso?");
}

// ---- centre and directions -------------------------------------------------------------------

TEST(LayoutCentre, ATreeFallsBackToAllLinksWithEightDirections) {
  auto l = Load("tree.out");
  l->engine->RebuildIndex();
  l->engine->FindCentre();
  l->engine->CountTorsoDirections();
  // Nodes 1 and 2 both touch three links; the first maximum wins.
  EXPECT_EQ(l->diagram.Taxa[l->engine->CentreNode - 1].Name, "     1");
  EXPECT_EQ(l->engine->CentreDegree, 3);
  EXPECT_EQ(l->engine->FirstTorsoPart, 0);
  EXPECT_EQ(l->engine->DirectionCount, 8);
}

TEST(LayoutCentre, TheCentreTouchesTheMostLaterTorsoLinks) {
  struct Case {
    const char* file;
    const char* centre;
    int degree, part;
  };
  // bridge.out: node 5 touches the gate (not counted: part 100) and two links of the second square
  // after it, so it beats the first square's nodes with their two.
  for (const Case c : {Case{"square.out", "     1", 2, 1}, Case{"cube.out", "     1", 3, 1},
                       Case{"bridge.out", "     5", 3, 2}, Case{"network.sto", "     1", 2, 1}}) {
    auto l = Load(c.file);
    l->engine->RebuildIndex();
    l->engine->FindCentre();
    EXPECT_EQ(l->diagram.Taxa[l->engine->CentreNode - 1].Name, c.centre) << c.file;
    EXPECT_EQ(l->engine->CentreDegree, c.degree) << c.file;
    EXPECT_EQ(l->engine->FirstTorsoPart, c.part) << c.file;
  }
}

TEST(LayoutCentre, OneLinkGetsItsFirstEndAsCentre) {
  auto l = Load("onelink.out");
  l->Run();
  EXPECT_EQ(l->diagram.Taxa[l->engine->CentreNode - 1].Name, "     1");
  const TaxonType& centre = NodeOf(l->diagram, "     1");
  EXPECT_EQ(centre.X, l->diagram.DiagramCenter.X);
  EXPECT_EQ(centre.Y, l->diagram.DiagramCenter.Y);
  EXPECT_TRUE(l->diagram.Links[0].Active);
  EXPECT_EQ(l->diagram.Links[0].TorsoPart, 100);  // a lone torso link is a bridge: laid as a gate
  const TaxonType& other = NodeOf(l->diagram, "     2");
  EXPECT_NEAR(std::hypot(other.X - centre.X, other.Y - centre.Y), 2 * l->engine->UnitLength, 1e-9);
}

TEST(LayoutCentre, DirectionSlotsAlternateBetweenHalfPlanes) {
  auto l = Load("square.out");
  l->LayOut();
  // Two torso mutations: 10 slots; slot k at k pi / 10, plus pi for even k.
  ASSERT_EQ(l->engine->DirectionCount, 10);
  ASSERT_EQ(l->engine->Directions.size(), 10u);
  for (int k = 1; k <= 10; ++k)
    EXPECT_NEAR(l->engine->Directions[k - 1].Angle, k * kPi / 10 + (k % 2 == 0 ? kPi : 0), 1e-12) << k;
  EXPECT_NEAR(l->engine->Directions[0].Angle, kPi / 10, 1e-12);
  EXPECT_NEAR(l->engine->Directions[1].Angle, 2 * kPi / 10 + kPi, 1e-12);
}

// ---- whole layouts ---------------------------------------------------------------------------

class WholeLayout : public ::testing::TestWithParam<const char*> {};

TEST_P(WholeLayout, EveryLinkIsLaidOutAtItsLengthAndMutationsRunParallel) {
  auto l = Load(GetParam());
  l->Run();
  const TDrawNetwork_Diagramm& d = l->diagram;
  const double unit = l->engine->UnitLength;
  ASSERT_GE(unit, 1.0);
  for (const LinkType& link : d.Links) {
    SCOPED_TRACE(link.Taxon1 + " - " + link.Taxon2);
    EXPECT_TRUE(link.Active);
    EXPECT_NEAR(PathLength(d, link), link.MutationCount() * unit, 1e-6 * unit);
  }
  // Single-mutation links of the same mutation point the same way or the opposite way.
  for (const LinkType& a : d.Links)
    for (const LinkType& b : d.Links) {
      if (&a == &b || a.MutationCount() != 1 || b.MutationCount() != 1 || !a.InTorso || !b.InTorso) continue;
      if (!SameDirection(a.Mutations[0].Character, b.Mutations[0].Character)) continue;
      const TaxonType &a1 = NodeOf(d, a.Taxon1), &a2 = NodeOf(d, a.Taxon2);
      const TaxonType &b1 = NodeOf(d, b.Taxon1), &b2 = NodeOf(d, b.Taxon2);
      const double cross = (a2.X - a1.X) * (b2.Y - b1.Y) - (a2.Y - a1.Y) * (b2.X - b1.X);
      EXPECT_NEAR(cross / (unit * unit), 0, 1e-9) << a.Taxon1 << "-" << a.Taxon2 << " / " << b.Taxon1 << "-" << b.Taxon2;
    }
  // Every linked node has a place; nodes ending no link have none and count as done.
  for (std::size_t i = 0; i < d.Taxa.size(); ++i) {
    EXPECT_TRUE(d.NodeDone[i]) << d.Taxa[i].Name;
    bool linked = false;
    for (const LinkType& link : d.Links) linked = linked || link.Taxon1 == d.Taxa[i].Name || link.Taxon2 == d.Taxa[i].Name;
    EXPECT_EQ(d.Taxa[i].Active, linked) << d.Taxa[i].Name;
  }
}

TEST_P(WholeLayout, TwoRunsGiveTheSamePositions) {
  auto first = Load(GetParam());
  auto second = Load(GetParam());
  first->Run();
  second->Run();
  EXPECT_EQ(first->diagram, second->diagram);
  EXPECT_EQ(first->surface, second->surface);
}

TEST_P(WholeLayout, PauseAndContinueEqualsAnUninterruptedRun) {
  auto whole = Load(GetParam());
  whole->Run();
  for (int pauseAfter : {0, 1, 2, 3, 5}) {
    auto paused = Load(GetParam());
    ASSERT_TRUE(paused->LayOut());
    TDrawEdges& p = *paused->placement;
    p.Start();
    for (int i = 0; i < pauseAfter && p.Step(); ++i) {
    }
    p.Stop();
    EXPECT_FALSE(p.Step());  // a stopped placement places nothing
    p.RunToEnd();
    EXPECT_TRUE(p.DrawingDone());
    EXPECT_EQ(paused->diagram, whole->diagram) << "paused after " << pauseAfter << " steps";
    EXPECT_EQ(p.PlacementIndex(), whole->placement->PlacementIndex());
  }
}

TEST_P(WholeLayout, TheSurfaceShowsWhatAFullRedrawShows) {
  auto l = Load(GetParam());
  l->Run();
  QImage full(kWidth, kHeight, QImage::Format_RGB32);
  full.fill(Qt::white);
  {
    TGraphik_Programm painter(l->diagram, full);
    painter.RebuildIndex();
    painter.Repaint(LayoutDrawOptions(false));
  }
  // The layout decides by white and not white: those must agree pixel for pixel.
  int differing = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const bool a = (l->surface.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
      const bool b = (full.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
      differing += a != b;
    }
  EXPECT_EQ(differing, 0);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, WholeLayout,
                         ::testing::Values("tree.out", "square.out", "cube.out", "bridge.out", "onelink.out",
                                           "disconnected.out", "network.sto"),
                         [](const auto& info) {
                           std::string name = info.param;
                           return name.substr(0, name.find('.')) + (name.ends_with(".sto") ? "Sto" : "");
                         });

TEST(LayoutShapes, ACubeKeepsItsShape) {
  auto l = Load("cube.out");
  l->Run();
  // Node i is the bit pattern i - 1: its place is the centre's plus one vector per set bit.
  const TDrawNetwork_Diagramm& d = l->diagram;
  const auto at = [&](int i) { return NodeOf(d, std::string(5, ' ') + std::to_string(i)); };
  for (int i = 1; i <= 8; ++i) {
    const int bits = i - 1;
    double x = at(1).X, y = at(1).Y;
    for (int bit = 0; bit < 3; ++bit)
      if (bits & (1 << bit)) {
        x += at(1 + (1 << bit)).X - at(1).X;
        y += at(1 + (1 << bit)).Y - at(1).Y;
      }
    EXPECT_NEAR(at(i).X, x, 1e-9) << i;
    EXPECT_NEAR(at(i).Y, y, 1e-9) << i;
  }
  // Three different directions.
  const double c12 = (at(2).X - at(1).X) * (at(3).Y - at(1).Y) - (at(2).Y - at(1).Y) * (at(3).X - at(1).X);
  EXPECT_GT(std::abs(c12), 1.0);
}

TEST(LayoutShapes, TheBridgeIsAStraightGate) {
  auto l = Load("bridge.out");
  l->Run();
  const TDrawNetwork_Diagramm& d = l->diagram;
  const LinkType& gate = d.Links[4];
  ASSERT_EQ(gate.TorsoPart, 100);
  const TaxonType &a = NodeOf(d, gate.Taxon1), &b = NodeOf(d, gate.Taxon2);
  EXPECT_NEAR(std::hypot(b.X - a.X, b.Y - a.Y), 2 * l->engine->UnitLength, 1e-9);
  // No bend points for a gate: the torso left bends only for the rectangle's two-mutation sides.
  for (const HelpPointLinkType& h : d.HelpPointLinks)
    EXPECT_FALSE((h.Taxon1 == gate.Taxon1 && h.Taxon2 == gate.Taxon2) || (h.Taxon1 == gate.Taxon2 && h.Taxon2 == gate.Taxon1));
}

TEST(LayoutShapes, ASecondLinkOfTheSameMutationTurnsBySixtyDegrees) {
  // A-B and A-C carry the same mutation. With a non-blank eighth character the second is turned
  // by 60 degrees so the two do not overlap; a key without one keeps the direction.
  struct Case {
    const char* key;
    double turn;
  };
  for (const Case c : {Case{"5      a", kPi / 3}, Case{"5       ", 0.0}}) {
    Layout l;
    for (const char* name : {"A", "B", "C", "D"}) l.diagram.Taxa.push_back({.Name = name});
    const auto link = [&](const char* a, const char* b, const char* key) {
      LinkType x;
      x.Taxon1 = a;
      x.Taxon2 = b;
      x.InTorso = true;
      x.TorsoPart = 1;
      x.Mutations.push_back({.Character = key});
      l.diagram.Links.push_back(x);
    };
    link("A", "B", c.key);
    link("A", "C", c.key);
    link("B", "D", "7      a");
    link("C", "D", "7      a");
    l.Prepare();
    ASSERT_TRUE(l.LayOut());
    const TaxonType &a = NodeOf(l.diagram, "A"), &b = NodeOf(l.diagram, "B"), &cc = NodeOf(l.diagram, "C");
    ASSERT_TRUE(cc.Active);
    const double ab = std::atan2(b.Y - a.Y, b.X - a.X), ac = std::atan2(cc.Y - a.Y, cc.X - a.X);
    EXPECT_NEAR(std::remainder(ac - ab, 2 * kPi), c.turn, 1e-9) << c.key;
    // The closing link C-D is drawn although D was placed from B.
    EXPECT_TRUE(l.diagram.Links[3].Active);
  }
}

TEST(LayoutShapes, TorsoLinksOfSeveralMutationsBendAtEveryUnit) {
  auto l = Load("bridge.out");
  l->Run();
  const TDrawNetwork_Diagramm& d = l->diagram;
  const double unit = l->engine->UnitLength;
  // The rectangle's long sides (two new mutations, one slot): one bend each, one unit along.
  int bent = 0;
  for (const HelpPointLinkType& h : d.HelpPointLinks) {
    ASSERT_EQ(h.PointCount(), 1) << h.Taxon1 << " - " << h.Taxon2;
    const TaxonType &a = NodeOf(d, h.Taxon1), &b = NodeOf(d, h.Taxon2);
    EXPECT_NEAR(std::hypot(h.Points[0].X - a.X, h.Points[0].Y - a.Y), unit, 1e-9);
    EXPECT_NEAR(std::hypot(h.Points[0].X - b.X, h.Points[0].Y - b.Y), unit, 1e-9);
    ++bent;
  }
  EXPECT_EQ(bent, 2);

  // The drawing follows the bends: two segments of the link meet at each bend point.
  TRecordingCanvas canvas;
  DrawDiagram(l->diagram, canvas, kWidth, kHeight, LayoutDrawOptions(false));
  const std::vector<TRecordingCanvas::Call> lines = canvas.Of(TRecordingCanvas::Kind::Line);
  for (const HelpPointLinkType& h : d.HelpPointLinks) {
    const int x = RoundEven(h.Points[0].X + d.ImageOffsetX()), y = RoundEven(h.Points[0].Y + d.ImageOffsetY());
    int ends = 0;
    for (const TRecordingCanvas::Call& line : lines)
      ends += (line.coords[0] == x && line.coords[1] == y) + (line.coords[2] == x && line.coords[3] == y);
    EXPECT_EQ(ends, 2) << h.Taxon1 << " - " << h.Taxon2;
  }
}

TEST(LayoutShapes, NodesCutOffFromTheCentreEndTheRun) {
  // Two separate links: the second pair is never reached, and every loop still ends.
  Layout l;
  Chain(l.diagram, 3);
  l.diagram.Links.erase(l.diagram.Links.begin() + 1);  // 0-1 and 2-3
  l.Prepare();
  l.Run();
  int active = 0;
  for (const LinkType& link : l.diagram.Links) active += link.Active;
  EXPECT_EQ(active, 1);
}

TEST(LayoutShapes, ATorsoCutInTwoEndsToo) {
  // Two squares with no link between them: the torso pass finds no node of the second.
  auto l = Load("bridge.out");
  l->diagram.Links.erase(l->diagram.Links.begin() + 4);
  for (LinkType& link : l->diagram.Links) link.TorsoPart = link.InTorso ? 1 : 0;
  l->diagram.NumberTorsoParts();
  l->Run();
  int active = 0;
  for (const LinkType& link : l->diagram.Links) active += link.Active;
  EXPECT_EQ(active, 4);
}

TEST(LayoutPlacement, ALinkToAMissingNodeStopsWithAMessage) {
  Layout l;
  Chain(l.diagram, 2);
  l.diagram.Links[1].Taxon2 = "nobody";
  l.Prepare();
  ASSERT_TRUE(l.LayOut());
  ScriptedDialogsScope s;
  TDrawEdges& p = *l.placement;
  p.Start();
  while (p.Step()) {
  }
  EXPECT_FALSE(p.DrawingDone());
  EXPECT_TRUE(p.PauseRequested());
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{" DataSet is corrupt: Missing Taxon in Modul DrawEdges!"});
  p.RunToEnd();
  EXPECT_TRUE(p.DrawingDone());
  EXPECT_TRUE(l.diagram.Links[0].Active);
  EXPECT_FALSE(l.diagram.Links[1].Active);
}

// ---- torso parts -----------------------------------------------------------------------------

namespace {

// A random torso: nodes "n0".., links among them, some doubled, some self-loops, some outside.
TDrawNetwork_Diagramm RandomTorso(unsigned seed, int nodes, int links) {
  std::mt19937 rng(seed);
  TDrawNetwork_Diagramm d;
  std::uniform_int_distribution<int> node(0, nodes - 1), kind(0, 19);
  for (int i = 0; i < links; ++i) {
    LinkType l;
    const int a = i < nodes - 1 ? i + 1 : node(rng);  // a spanning path keeps most of it connected
    const int k = kind(rng);
    const int b = i < nodes - 1 ? (k < 15 ? node(rng) % (i + 1) : i) : (k == 0 ? a : node(rng));
    l.Taxon1 = "n" + std::to_string(k % 2 ? a : b);
    l.Taxon2 = "n" + std::to_string(k % 2 ? b : a);
    l.InTorso = k != 19;
    l.TorsoPart = l.InTorso ? 1 : 0;
    d.Links.push_back(l);
  }
  return d;
}

// The numbering rule taken literally, link by link, for a torso numbered for the first time: each
// bridge in index order (while numbers last) takes the next number, hands it to every torso link
// reachable from its Taxon2 end without crossing it or an earlier bridge, and becomes 100.
void NumberTorsoPartsByTheRule(TDrawNetwork_Diagramm& d) {
  int counter = 1;
  const auto inPart = [](const LinkType& l) { return l.TorsoPart >= 1 && l.TorsoPart <= 99; };
  // The links (other than j) reachable from `start` over links of a part.
  const auto gather = [&](std::size_t j, const std::string& start) {
    std::set<std::string> nodes{start};
    std::vector<bool> member(d.Links.size(), false);
    for (bool changed = true; changed;) {
      changed = false;
      for (std::size_t k = 0; k < d.Links.size(); ++k) {
        const LinkType& l = d.Links[k];
        if (k == j || member[k] || !inPart(l)) continue;
        if (!nodes.contains(l.Taxon1) && !nodes.contains(l.Taxon2)) continue;
        member[k] = true;
        nodes.insert({l.Taxon1, l.Taxon2});
        changed = true;
      }
    }
    return member;
  };
  for (std::size_t j = 0; j < d.Links.size(); ++j) {
    if (d.Links[j].TorsoPart == 0) continue;
    const std::vector<bool> first = gather(j, d.Links[j].Taxon1);
    const std::vector<bool> second = gather(j, d.Links[j].Taxon2);
    bool shared = false;
    for (std::size_t k = 0; k < d.Links.size() && !shared; ++k) shared = first[k] && second[k];
    if (shared || counter >= 99) continue;
    ++counter;
    for (std::size_t k = 0; k < d.Links.size(); ++k)
      if (second[k]) d.Links[k].TorsoPart = static_cast<std::uint8_t>(counter);
    d.Links[j].TorsoPart = 100;
  }
}

}  // namespace

TEST(TorsoParts, NumberingFollowsTheRuleAndIsStable) {
  struct Case {
    int nodes, links;
  };
  unsigned seed = 1;
  for (const Case c : {Case{5, 4}, Case{6, 8}, Case{12, 14}, Case{30, 32}, Case{40, 60}, Case{150, 151}}) {
    for (int round = 0; round < 15; ++round, ++seed) {
      TDrawNetwork_Diagramm byRule = RandomTorso(seed, c.nodes, c.links);
      TDrawNetwork_Diagramm numbered = byRule;
      NumberTorsoPartsByTheRule(byRule);
      numbered.NumberTorsoParts();
      TDrawNetwork_Diagramm again = numbered;
      again.NumberTorsoParts();
      for (int j = 0; j < byRule.LinkCount(); ++j) {
        ASSERT_EQ(+numbered.Links[j].TorsoPart, +byRule.Links[j].TorsoPart)
            << "seed " << seed << " link " << j + 1 << " of " << c.links;
        ASSERT_EQ(+again.Links[j].TorsoPart, +numbered.Links[j].TorsoPart)
            << "numbered again, seed " << seed << " link " << j + 1 << " of " << c.links;
      }
    }
  }
}

TEST(TorsoParts, FixturesNumberTheirBridge) {
  auto l = Load("bridge.out");
  std::vector<int> parts;
  for (const LinkType& link : l->diagram.Links) parts.push_back(link.TorsoPart);
  // The bridge 4-5 takes 100, the square behind its Taxon2 end part 2.
  EXPECT_EQ(parts, (std::vector<int>{1, 1, 1, 1, 100, 2, 2, 2, 2, 0}));
}

TEST(LayoutShapes, RandomNetworksLayOutEveryLinkTheCentreReaches) {
  // Odd torsos (doubled links, self-loops, long cycles, more bridges than part numbers) with
  // mutations drawn from a small pool: the layout must end and reach all it can.
  struct Case {
    int nodes, links;
  };
  unsigned seed = 100;
  for (const Case c : {Case{6, 9}, Case{20, 30}, Case{60, 70}, Case{150, 160}}) {
    for (int round = 0; round < 4; ++round, ++seed) {
      SCOPED_TRACE("seed " + std::to_string(seed));
      Layout l;
      static_cast<TNetwork_Diagramm&>(l.diagram) = RandomTorso(seed, c.nodes, c.links);
      std::mt19937 rng(seed);
      for (LinkType& link : l.diagram.Links) {
        const int count = 1 + static_cast<int>(rng() % 3);
        for (int k = 0; k < count; ++k)
          link.Mutations.push_back({.Character = std::to_string(rng() % 12) + "      a"});
      }
      for (int i = 0; i < c.nodes; ++i) l.diagram.Taxa.push_back({.Name = "n" + std::to_string(i)});
      l.Prepare();
      l.Run();
      // The links reachable from the centre over links.
      std::set<std::string> reached{l.diagram.Taxa[l.engine->CentreNode - 1].Name};
      for (bool grew = true; grew;) {
        grew = false;
        for (const LinkType& link : l.diagram.Links)
          if (reached.contains(link.Taxon1) != reached.contains(link.Taxon2)) {
            reached.insert({link.Taxon1, link.Taxon2});
            grew = true;
          }
      }
      for (const LinkType& link : l.diagram.Links)
        EXPECT_EQ(link.Active, reached.contains(link.Taxon1)) << link.Taxon1 << " - " << link.Taxon2;
    }
  }
}

// ---- readability of a finished drawing -------------------------------------------------------

namespace {

struct Placed {
  const char* name;
  double x, y;
  int frequency;
};

// Active nodes at fixed places (the image and diagram centres agree), linked as given, drawn once
// with `options` so that the names' boxes are known.
TDrawNetwork_Diagramm Drawn(const std::vector<Placed>& nodes,
                            const std::vector<std::pair<const char*, const char*>>& links,
                            const TDrawOptions& options) {
  TDrawNetwork_Diagramm d;
  d.ImageCenter = d.DiagramCenter = {RoundEven(kWidth / 2.0), RoundEven(kHeight / 2.0)};
  for (const Placed& p : nodes) {
    TaxonType t;
    t.Name = p.name;
    t.X = p.x;
    t.Y = p.y;
    t.Frequency = p.frequency;
    t.NameHeight = 6;
    t.Active = true;
    d.Taxa.push_back(t);
  }
  for (const auto& [a, b] : links) {
    LinkType l;
    l.Taxon1 = a;
    l.Taxon2 = b;
    l.Active = true;
    MutationType m;
    m.Character = "1      a";
    m.NameHeight = 6;
    l.Mutations.push_back(m);
    d.Links.push_back(l);
  }
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  TQtCanvas canvas(image);
  DrawDiagram(d, canvas, kWidth, kHeight, options);
  return d;
}

TDrawOptions Plain() {
  TDrawOptions o;
  o.ShowNodeNames = o.NodesProportional = o.ShowCharacters = false;
  o.MinRadius = 4;
  return o;
}

}  // namespace

TEST(LayoutQuality, CountsCrossingsOverlapsGrazesAndWhatIsOffTheSurface) {
  struct Case {
    const char* what;
    std::vector<Placed> nodes;
    std::vector<std::pair<const char*, const char*>> links;
    TLayoutQuality expected;
  };
  const std::vector<Case> cases = {
      {"two links crossing", {{"A", 100, 100, 1}, {"B", 200, 200, 1}, {"C", 100, 200, 1}, {"D", 200, 100, 1}},
       {{"A", "B"}, {"C", "D"}}, {.Crossings = 1}},
      {"links meeting at a node", {{"A", 100, 100, 1}, {"B", 200, 200, 1}, {"C", 100, 200, 1}},
       {{"A", "B"}, {"A", "C"}}, {}},
      {"one link on top of another", {{"A", 100, 100, 1}, {"B", 300, 100, 1}, {"C", 150, 100, 1}, {"D", 250, 100, 1}},
       {{"A", "B"}, {"C", "D"}}, {.Crossings = 1, .Grazes = 2}},
      {"circles on top of each other", {{"A", 100, 100, 1}, {"B", 106, 100, 1}, {"C", 200, 100, 1}},
       {{"A", "C"}, {"B", "C"}}, {.Overlaps = 1, .Grazes = 1}},
      {"circles that only touch", {{"A", 100, 100, 1}, {"B", 108, 100, 1}}, {{"A", "B"}}, {}},
      {"a link through a node it does not end at", {{"A", 100, 100, 1}, {"B", 300, 100, 1}, {"C", 200, 102, 1}},
       {{"A", "B"}}, {.Grazes = 1}},
      {"a node and its link off the surface", {{"A", 100, 100, 1}, {"B", 800, 100, 1}}, {{"A", "B"}},
       {.Outside = 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const TDrawNetwork_Diagramm d = Drawn(c.nodes, c.links, Plain());
    const TLayoutQuality q = MeasureLayout(d, kWidth, kHeight, Plain());
    EXPECT_EQ(q.Crossings, c.expected.Crossings);
    EXPECT_EQ(q.Overlaps, c.expected.Overlaps);
    EXPECT_EQ(q.Grazes, c.expected.Grazes);
    EXPECT_EQ(q.Outside, c.expected.Outside);
  }
}

TEST(LayoutQuality, ANameUnderAnotherNodeIsAnOverlap) {
  TDrawOptions o = Plain();
  o.ShowNodeNames = true;
  o.MinRadius = 3;
  TDrawNetwork_Diagramm d = Drawn({{"A", 300, 100, 1}, {"B", 400, 100, 1}}, {{"A", "B"}}, o);
  EXPECT_EQ(MeasureLayout(d, kWidth, kHeight, o).Overlaps, 0);
  // B moved onto the middle of A's name (drawn left of A's circle).
  const TNameBox& name = d.Taxa[0].NameBox;
  ASSERT_GT(name.Right, name.Left);
  d.Taxa[1].X = (name.Left + name.Right) / 2;
  d.Taxa[1].Y = (name.Top + name.Bottom) / 2;
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  {
    TQtCanvas canvas(image);
    DrawDiagram(d, canvas, kWidth, kHeight, o);
  }
  EXPECT_EQ(MeasureLayout(d, kWidth, kHeight, o).Overlaps, 1);
}

namespace {

// Spreads `d` on a window-sized surface for the finished drawing and measures the result.
TLayoutQuality Spread(TDrawNetwork_Diagramm& d, double* unit = nullptr) {
  QImage surface(kWidth, kHeight, QImage::Format_RGB32);
  surface.fill(Qt::white);
  TGraphik_Programm engine(d, surface);
  engine.UnitLength = 10;
  engine.SpreadForDrawing(TDrawOptions{});
  if (unit) *unit = engine.UnitLength;
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  {
    TQtCanvas canvas(image);
    DrawDiagram(d, canvas, kWidth, kHeight, TDrawOptions{});
  }
  return MeasureLayout(d, kWidth, kHeight, TDrawOptions{});
}

}  // namespace

TEST(LayoutSpread, FrequentNodesCrowdedAroundACentreGetRoomForCirclesAndNames) {
  // Six nodes of frequency 25 (radius 20) ten pixels from a centre, as a small unit leaves them.
  std::vector<Placed> nodes{{"C", 388, 276, 1}};
  const char* names[] = {"N1", "N2", "N3", "N4", "N5", "N6"};
  std::vector<std::pair<const char*, const char*>> links;
  for (int k = 0; k < 6; ++k) {
    nodes.push_back({names[k], 388 + 10 * std::cos(k * kPi / 3), 276 + 10 * std::sin(k * kPi / 3), 25});
    links.push_back({"C", names[k]});
  }
  TDrawNetwork_Diagramm d = Drawn(nodes, links, TDrawOptions{});
  ASSERT_GT(MeasureLayout(d, kWidth, kHeight, TDrawOptions{}).Overlaps, 0);
  double unit = 0;
  const TLayoutQuality q = Spread(d, &unit);
  EXPECT_EQ(q.Overlaps, 0);
  EXPECT_EQ(q.Outside, 0);
  EXPECT_EQ(q.Crossings, 0);
  EXPECT_GT(unit, 10);  // the unit follows the picture's growth
}

TEST(LayoutSpread, ANetworkOffTheSurfaceComesOnItAndParallelLinksStayParallel) {
  // A square far to the right and below; its opposite sides carry the same mutation.
  TDrawNetwork_Diagramm d = Drawn({{"A", 900, 600, 1}, {"B", 960, 600, 1}, {"C", 900, 640, 1}, {"D", 960, 640, 1}},
                                  {{"A", "B"}, {"C", "D"}, {"A", "C"}, {"B", "D"}}, TDrawOptions{});
  ASSERT_GT(MeasureLayout(d, kWidth, kHeight, TDrawOptions{}).Outside, 0);
  const TLayoutQuality q = Spread(d);
  EXPECT_EQ(q.Outside, 0);
  EXPECT_EQ(q.Overlaps, 0);
  const auto at = [&](int i) { return d.Taxa[i]; };
  const auto cross = [&](int a, int b, int c, int e) {
    return (at(b).X - at(a).X) * (at(e).Y - at(c).Y) - (at(b).Y - at(a).Y) * (at(e).X - at(c).X);
  };
  EXPECT_NEAR(cross(0, 1, 2, 3), 0, 1e-6);
  EXPECT_NEAR(cross(0, 2, 1, 3), 0, 1e-6);
  // It fills the surface now: wider than the 60 pixels it had.
  EXPECT_GT(at(1).X - at(0).X, 300);
}

TEST(LayoutSpread, BendPointsFollowTheirLinksAndTwoRunsAgree) {
  auto first = Load("bridge.out");
  auto second = Load("bridge.out");
  for (Layout* l : {first.get(), second.get()}) {
    l->Run();
    l->engine->SpreadForDrawing(TDrawOptions{});
  }
  EXPECT_EQ(first->diagram, second->diagram);
  // Each bend point still lies one step of its link from both ends, as far as a stretch allows:
  // at least strictly between them.
  const TDrawNetwork_Diagramm& d = first->diagram;
  ASSERT_FALSE(d.HelpPointLinks.empty());
  for (const HelpPointLinkType& h : d.HelpPointLinks) {
    const TaxonType &a = NodeOf(d, h.Taxon1), &b = NodeOf(d, h.Taxon2);
    const HelpPoint& p = h.Points[0];
    const double ab = std::hypot(b.X - a.X, b.Y - a.Y);
    EXPECT_LT(std::hypot(p.X - a.X, p.Y - a.Y), ab) << h.Taxon1 << " - " << h.Taxon2;
    EXPECT_LT(std::hypot(p.X - b.X, p.Y - b.Y), ab) << h.Taxon1 << " - " << h.Taxon2;
  }
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  {
    TQtCanvas canvas(image);
    DrawDiagram(first->diagram, canvas, kWidth, kHeight, TDrawOptions{});
  }
  const TLayoutQuality q = MeasureLayout(first->diagram, kWidth, kHeight, TDrawOptions{});
  EXPECT_EQ(q.Overlaps, 0);
  EXPECT_EQ(q.Outside, 0);
}
