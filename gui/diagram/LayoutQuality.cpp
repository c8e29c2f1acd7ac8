#include "LayoutQuality.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

struct TPoint {
  double x, y;
};

struct TSegment {
  TPoint a, b;
};

struct TRect {
  double left, top, right, bottom;
};

double Cross(TPoint o, TPoint p, TPoint q) { return (p.x - o.x) * (q.y - o.y) - (p.y - o.y) * (q.x - o.x); }

// Proper crossings, and lines lying on top of each other; touching at an end does not count.
bool SegmentsCross(const TSegment& s, const TSegment& t) {
  const double d1 = Cross(t.a, t.b, s.a), d2 = Cross(t.a, t.b, s.b);
  const double d3 = Cross(s.a, s.b, t.a), d4 = Cross(s.a, s.b, t.b);
  constexpr double eps = 1e-9;
  if (((d1 > eps && d2 < -eps) || (d1 < -eps && d2 > eps)) && ((d3 > eps && d4 < -eps) || (d3 < -eps && d4 > eps)))
    return true;
  // Collinear pieces that share more than a point.
  if (std::abs(d1) <= eps && std::abs(d2) <= eps) {
    const bool horizontal = std::abs(s.a.x - s.b.x) >= std::abs(s.a.y - s.b.y);
    const auto key = [horizontal](TPoint p) { return horizontal ? p.x : p.y; };
    const double lo = std::max(std::min(key(s.a), key(s.b)), std::min(key(t.a), key(t.b)));
    const double hi = std::min(std::max(key(s.a), key(s.b)), std::max(key(t.a), key(t.b)));
    return hi - lo > 0.5;
  }
  return false;
}

double DistanceToSegment(TPoint p, const TSegment& s) {
  const double vx = s.b.x - s.a.x, vy = s.b.y - s.a.y;
  const double len2 = vx * vx + vy * vy;
  double t = len2 > 0 ? ((p.x - s.a.x) * vx + (p.y - s.a.y) * vy) / len2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p.x - (s.a.x + t * vx), p.y - (s.a.y + t * vy));
}

bool RectsOverlap(const TRect& a, const TRect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool CircleMeetsRect(TPoint c, double r, const TRect& b) {
  const double x = std::clamp(c.x, b.left, b.right), y = std::clamp(c.y, b.top, b.bottom);
  return std::hypot(c.x - x, c.y - y) < r;
}

bool RectInside(const TRect& b, int width, int height) {
  return b.left >= 0 && b.top >= 0 && b.right <= width && b.bottom <= height;
}

}  // namespace

TLayoutQuality MeasureLayout(const TNetwork_Diagramm& d, int width, int height, const TDrawOptions& o) {
  TLayoutQuality q;
  const double dx = d.ImageOffsetX(), dy = d.ImageOffsetY();
  const std::vector<bool> shown = ShownNodes(d, o);
  const int n = d.NodeCount();

  // Circles and labels on the surface.
  std::vector<TPoint> centre(n);
  std::vector<double> radius(n, 0);
  std::vector<TRect> label(n);
  std::vector<bool> hasLabel(n, false);
  for (int i = 0; i < n; ++i) {
    if (!shown[i]) continue;
    const TaxonType& t = d.Taxa[i];
    centre[i] = {t.X + dx, t.Y + dy};
    radius[i] = NodeRadius(t, o);
    const TNameBox& b = t.NameBox;
    hasLabel[i] = o.ShowNodeNames && b.Right > b.Left;
    if (hasLabel[i]) label[i] = {b.Left + dx, b.Top + dy, b.Right + dx, b.Bottom + dy};
    if (radius[i] > 0 && !RectInside({centre[i].x - radius[i], centre[i].y - radius[i], centre[i].x + radius[i],
                                      centre[i].y + radius[i]},
                                     width, height))
      ++q.Outside;
    if (hasLabel[i] && !RectInside(label[i], width, height)) ++q.Outside;
  }
  for (int i = 0; i < n; ++i) {
    if (!shown[i]) continue;
    for (int j = i + 1; j < n; ++j) {
      if (!shown[j]) continue;
      if (radius[i] > 0 && radius[j] > 0 &&
          std::hypot(centre[i].x - centre[j].x, centre[i].y - centre[j].y) < radius[i] + radius[j])
        ++q.Overlaps;
      if (hasLabel[i] && hasLabel[j] && RectsOverlap(label[i], label[j])) ++q.Overlaps;
      if (radius[i] > 0 && hasLabel[j] && CircleMeetsRect(centre[i], radius[i], label[j])) ++q.Overlaps;
      if (radius[j] > 0 && hasLabel[i] && CircleMeetsRect(centre[j], radius[j], label[i])) ++q.Overlaps;
    }
  }

  // The drawn links as polylines on the surface.
  const TLinkLookup lookup(d);
  struct TDrawnLink {
    const LinkType* link;
    std::vector<TSegment> segments;
  };
  std::vector<TDrawnLink> drawn;
  for (const LinkType& l : d.Links) {
    if (!IsLinkDrawn(l, o)) continue;
    const std::vector<HelpPoint> path = LinkPath(d, l, lookup);
    if (path.size() < 2) continue;
    TDrawnLink link{&l, {}};
    bool inside = true;
    for (std::size_t s = 0; s < path.size(); ++s) {
      const TPoint p{path[s].X + dx, path[s].Y + dy};
      inside = inside && p.x >= 0 && p.y >= 0 && p.x <= width && p.y <= height;
      if (s > 0) link.segments.push_back({{path[s - 1].X + dx, path[s - 1].Y + dy}, p});
    }
    if (!inside) ++q.Outside;
    drawn.push_back(std::move(link));
  }
  const auto sharesEnd = [](const LinkType& a, const LinkType& b) {
    return a.Taxon1 == b.Taxon1 || a.Taxon1 == b.Taxon2 || a.Taxon2 == b.Taxon1 || a.Taxon2 == b.Taxon2;
  };
  for (std::size_t i = 0; i < drawn.size(); ++i)
    for (std::size_t j = i + 1; j < drawn.size(); ++j) {
      if (sharesEnd(*drawn[i].link, *drawn[j].link)) continue;
      bool cross = false;
      for (const TSegment& s : drawn[i].segments)
        for (const TSegment& t : drawn[j].segments) cross = cross || SegmentsCross(s, t);
      q.Crossings += cross;
    }
  for (const TDrawnLink& l : drawn)
    for (int i = 0; i < n; ++i) {
      if (!shown[i] || radius[i] <= 0) continue;
      const std::string& name = d.Taxa[i].Name;
      if (name == l.link->Taxon1 || name == l.link->Taxon2) continue;
      for (const TSegment& s : l.segments)
        if (DistanceToSegment(centre[i], s) < radius[i] + 1) {
          ++q.Grazes;
          break;
        }
    }
  return q;
}
