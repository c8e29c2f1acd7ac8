// Branches outside the torso, the direction checks they and the stepwise placement use, the box
// around the placed nodes and the one fit of the first layout to the surface.

#include "Graphik_LayoutInternal.h"
#include "Graphik_Programm.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>

namespace {

constexpr double kPi = std::numbers::pi;

// Hits of a ray at distance r: the 3 x 3 pixels around the image point (ax, ay) shifted by r in
// the direction (c, s), tested only 5 pixels or more inside the surface.
int RayHits(const layoutdetail::TPixelSampler& pixels, double c, double s, double ax, double ay, int r) {
  using layoutdetail::RoundPixel;
  const int ru = RoundPixel(r * c), rv = RoundPixel(r * s);
  const int p0 = RoundPixel(ax - 1), p1 = RoundPixel(ax + 1);
  const int q0 = RoundPixel(ay - 1), q1 = RoundPixel(ay + 1);
  int hits = 0;
  for (int p = p0; p <= p1; ++p)
    for (int q = q0; q <= q1; ++q) {
      const int u = p + ru, v = q + rv;
      if (u >= 5 && u + 4 < pixels.Width() && v >= 5 && v + 4 < pixels.Height() && !pixels.IsWhite(u, v)) ++hits;
    }
  return hits;
}

}  // namespace

void TGraphik_Programm::ComputeBoxCentre() {
  const TDrawNetwork_Diagramm& d = diagram_;
  if (CentreNode == 0) {
    BoxCentre = d.DiagramCenter;
    return;
  }
  const TaxonType& c = d.Taxa[CentreNode - 1];
  double minX = c.X, maxX = c.X, minY = c.Y, maxY = c.Y;
  for (int i = 1; i < d.NodeCount(); ++i) {
    const TaxonType& t = d.Taxa[i];
    if (!t.Active) continue;
    minX = std::min(minX, t.X);
    maxX = std::max(maxX, t.X);
    minY = std::min(minY, t.Y);
    maxY = std::max(maxY, t.Y);
  }
  BoxCentre = {RoundEven((minX + maxX) * 0.5), RoundEven((minY + maxY) * 0.5)};
}

TGraphik_Programm::TFitBox TGraphik_Programm::FitBox(int width, int height) const {
  TFitBox b;
  b.MinX = b.MaxX = width / 2.0;
  b.MinY = b.MaxY = height / 2.0;
  for (const TaxonType& t : diagram_.Taxa) {
    if (!t.Active) continue;
    b.MinX = std::min(b.MinX, t.X);
    b.MaxX = std::max(b.MaxX, t.X);
    b.MinY = std::min(b.MinY, t.Y);
    b.MaxY = std::max(b.MaxY, t.Y);
  }
  b.MinX -= 20;
  b.MinY -= 20;
  b.MaxX += 20;
  b.MaxY += 20;
  b.Factor = std::min(width / (b.MaxX - b.MinX), height / (b.MaxY - b.MinY));
  return b;
}

double TGraphik_Programm::OutwardAngle(int node) const {
  const TaxonType& t = diagram_.Taxa[node - 1];
  double dx = t.X - BoxCentre.X;
  if (std::abs(dx) < 0.5) dx += 1;
  const double dy = t.Y - BoxCentre.Y;
  double angle = std::atan(dy / dx);
  if (dx < 0) angle += kPi;
  else if (dy < 0) angle += 2 * kPi;
  return angle;
}

double TGraphik_Programm::winkel_NEW(int attempt, int mutations, double startY, double startX) {
  const double base = OutwardAngle(CurrentNode);
  double angle = base + AttemptOffset(attempt);
  richtung_pruefen_NEW(angle, base, mutations, startY, startX);
  return angle;
}

double TGraphik_Programm::GetNewDirection(int attempt, int link, bool useOutward, double givenAngle,
                                          int node) {
  const double base = useOutward ? OutwardAngle(node) : givenAngle;
  double angle = base + AttemptOffset(attempt);
  const TaxonType& t = diagram_.Taxa[node - 1];
  richtung_pruefen_NEW(angle, base, diagram_.Links[link - 1].MutationCount(), t.Y, t.X);
  return angle;
}

void TGraphik_Programm::richtung_pruefen_NEW(double& angle, double base, int mutations,
                                             double startY, double startX) {
  const layoutdetail::TPixelSampler pixels(surface_);
  const double ax = diagram_.ImageOffsetX() + startX, ay = diagram_.ImageOffsetY() + startY;
  const int rEnd = RoundEven((mutations + 1.2) * UnitLength);
  int hits = 0;
  const double c0 = std::cos(angle), s0 = std::sin(angle);
  for (int r = 7; r <= rEnd; ++r) hits += RayHits(pixels, c0, s0, ax, ay, r);
  if (hits == 0) return;

  double best = angle, bestGap = std::abs(angle - base);
  int bestHits = hits;
  const double limit = (mutations + 1.5) * UnitLength;
  for (int j = 1; j <= 40; ++j) {
    const double c = j % 2 == 1 ? angle - 0.15 * (j / 2 + 1) : angle + 0.15 * (j / 2);
    int h = 0;
    const double cc = std::cos(c), cs = std::sin(c);
    for (int r = 7; r - 1 < limit && h <= bestHits; ++r) h += RayHits(pixels, cc, cs, ax, ay, r);
    const double gap = std::abs(c - base);
    if (h < bestHits || (h <= bestHits && gap < bestGap)) {
      best = c;
      bestHits = h;
      bestGap = gap;
    }
    if (bestHits == 0 && bestGap < 0.2) break;
  }
  angle = best;
}

void TGraphik_Programm::aeste_zeichnen_NEW() {
  TPaintBatch batch(*this);
  TDrawNetwork_Diagramm& d = diagram_;
  ComputeBoxCentre();
  CurrentNode = 0;
  ResetNodeDone();
  const TDrawOptions options = LayoutDrawOptions(false);

  // The sweep over the nodes with wrap-around visits the open nodes (active, not done) in index
  // order from the current one; it ends when none is left, also when nodes cut off from the
  // centre are never reached.
  std::set<int> open;
  for (int i = 1; i <= d.NodeCount(); ++i)
    if (d.Taxa[i - 1].Active && !d.NodeDone[i - 1]) open.insert(i);
  while (!open.empty()) {
    auto it = open.upper_bound(CurrentNode);
    if (it == open.end()) it = open.begin();
    CurrentNode = *it;
    open.erase(it);
    d.NodeDone[CurrentNode - 1] = true;
    const std::string name = d.Taxa[CurrentNode - 1].Name;
    const std::vector<int> links = LinksAt(name);
    for (int j : links) {
      LinkType& l = d.Links[j - 1];
      if (l.Active) continue;
      const bool otherIsTaxon2 = l.Taxon1 == name;
      const int other = otherIsTaxon2 ? LastNode(l.Taxon2) : FirstNode(l.Taxon1);
      if (other == 0) continue;  // a link naming no node stays out of the picture
      l.Active = true;
      TaxonType& o = d.Taxa[other - 1];
      if (!o.Active) {
        ActivateNode(other);
        const TaxonType& from = d.Taxa[CurrentNode - 1];
        const int count = l.MutationCount();
        const double angle = winkel_NEW(1, count, from.Y, from.X);
        o.X = from.X + std::cos(angle) * count * UnitLength;
        o.Y = from.Y + std::sin(angle) * count * UnitLength;
        d.NodeDistance[other - 1] = d.NodeDistance[CurrentNode - 1] + count;
        if (!d.NodeDone[other - 1]) open.insert(other);
      }
      PaintLink(j, options);
    }
  }
}

void TGraphik_Programm::FitDiagramToImage() {
  TDrawNetwork_Diagramm& d = diagram_;
  const int w = Width(), h = Height();
  TFitBox b = FitBox(w, h);
  if (b.Factor >= 0.95 && b.Factor <= 1.02 && std::abs(b.MinX - (w - b.MaxX)) <= 10 &&
      std::abs(b.MinY - (h - b.MaxY)) <= 10)
    return;
  const double f = b.Factor - 0.05;
  UnitLength *= f;
  const double cx = d.DiagramCenter.X, cy = d.DiagramCenter.Y;
  for (TaxonType& t : d.Taxa)
    if (t.Active) {
      t.X = f * (t.X - cx) + cx;
      t.Y = f * (t.Y - cy) + cy;
    }
  for (HelpPointLinkType& hp : d.HelpPointLinks)
    for (HelpPoint& p : hp.Points) {
      p.X = f * (p.X - cx) + cx;
      p.Y = f * (p.Y - cy) + cy;
    }
  b = FitBox(w, h);
  d.DiagramCenter.X += RoundEven((w - (b.MinX + b.MaxX)) * 0.5);
  d.DiagramCenter.Y += RoundEven((h - (b.MinY + b.MaxY)) * 0.5);
  d.ImageCenter = d.DiagramCenter;
}
