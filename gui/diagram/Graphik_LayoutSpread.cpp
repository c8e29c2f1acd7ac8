// The last step of a layout: the placed network is made readable with the sizes the finished
// drawing gives its nodes and names. The layout works with small circles and no names, so large
// (frequent) nodes and their names end up on top of each other, and the fit of the first layout
// may leave nodes off the surface. This step scales the network to the surface and then moves
// nodes apart, as little as it can, until no circle or name covers another, keeping every node
// and name on the surface.

#include "Graphik_LayoutInternal.h"
#include "Graphik_Programm.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

namespace {

constexpr double kMargin = 4;   // pixels kept free along the surface's edges
constexpr double kGap = 2;      // pixels kept between two nodes' circles and names
constexpr int kMaxRounds = 2000;
constexpr double kMaxStretch = 4;  // most one axis may scale more than the other

// A node as the finished drawing shows it: its centre on the surface and how far its circle and
// name reach from it on each side.
struct TExtent {
  double x = 0, y = 0;
  double left = 0, right = 0, top = 0, bottom = 0;
  bool shown = false;
};

// Moves `value` into [lo, hi]; into its middle when the range is empty.
double Clamp(double value, double lo, double hi) { return lo <= hi ? std::clamp(value, lo, hi) : (lo + hi) / 2; }

}  // namespace

void TGraphik_Programm::SpreadForDrawing(const TDrawOptions& finished) {
  TDrawNetwork_Diagramm& d = diagram_;
  const int n = d.NodeCount();
  if (n == 0 || d.LinkCount() == 0) return;
  const int W = Width(), H = Height();
  RebuildIndex();

  // The names' boxes as the finished drawing lays them out.
  {
    QImage scratch(W, H, QImage::Format_RGB32);
    TQtCanvas canvas(scratch);
    DrawDiagram(d, canvas, W, H, finished);
  }
  const std::vector<bool> shown = ShownNodes(d, finished);
  const double dx = d.ImageOffsetX(), dy = d.ImageOffsetY();
  std::vector<TExtent> e(n);
  std::vector<int> nodes;
  double minX = std::numeric_limits<double>::max(), maxX = -minX, minY = minX, maxY = -minX;
  double reachL = 0, reachR = 0, reachT = 0, reachB = 0;
  for (int i = 0; i < n; ++i) {
    if (!shown[i]) continue;
    const TaxonType& t = d.Taxa[i];
    TExtent& x = e[i];
    x.shown = true;
    x.x = t.X + dx;
    x.y = t.Y + dy;
    const double r = NodeRadius(t, finished);
    x.left = x.right = x.top = x.bottom = r;
    const TNameBox& b = t.NameBox;
    if (finished.ShowNodeNames && b.Right > b.Left) {
      x.left = std::max(x.left, t.X - b.Left);
      x.right = std::max(x.right, b.Right - t.X);
      x.top = std::max(x.top, t.Y - b.Top);
      x.bottom = std::max(x.bottom, b.Bottom - t.Y);
    }
    x.left += kGap / 2;
    x.right += kGap / 2;
    x.top += kGap / 2;
    x.bottom += kGap / 2;
    minX = std::min(minX, x.x);
    maxX = std::max(maxX, x.x);
    minY = std::min(minY, x.y);
    maxY = std::max(maxY, x.y);
    reachL = std::max(reachL, x.left);
    reachR = std::max(reachR, x.right);
    reachT = std::max(reachT, x.top);
    reachB = std::max(reachB, x.bottom);
    nodes.push_back(i);
  }
  if (nodes.empty()) return;

  // Scale and move the centres so that every circle and name fits the surface, the network filling
  // it. The two axes may scale differently (up to kMaxStretch apart): links that run parallel stay
  // parallel and crossings stay as they are, while a network that grew long and narrow gets the
  // whole surface for its names.
  const double roomX = W - 2 * kMargin - reachL - reachR, roomY = H - 2 * kMargin - reachT - reachB;
  constexpr double kNone = std::numeric_limits<double>::max();
  double scaleX = maxX - minX > 1e-9 && roomX > 0 ? roomX / (maxX - minX) : kNone;
  double scaleY = maxY - minY > 1e-9 && roomY > 0 ? roomY / (maxY - minY) : kNone;
  if (scaleX == kNone && scaleY == kNone) scaleX = scaleY = 1;
  else if (scaleX == kNone) scaleX = scaleY;
  else if (scaleY == kNone) scaleY = scaleX;
  scaleX = std::min(scaleX, kMaxStretch * scaleY);
  scaleY = std::min(scaleY, kMaxStretch * scaleX);
  const double scale = std::min(scaleX, scaleY);
  const double midX = (minX + maxX) / 2, midY = (minY + maxY) / 2;
  const double toX = kMargin + reachL + roomX / 2, toY = kMargin + reachT + roomY / 2;
  const auto place = [&](double& x, double& y) {
    x = toX + scaleX * (x - midX);
    y = toY + scaleY * (y - midY);
  };
  for (int i : nodes) place(e[i].x, e[i].y);
  // Help points follow in surface coordinates.
  for (HelpPointLinkType& h : d.HelpPointLinks)
    for (HelpPoint& p : h.Points) {
      double x = p.X + dx, y = p.Y + dy;
      place(x, y);
      p.X = x;
      p.Y = y;
    }
  UnitLength *= scale;
  std::vector<double> startX(n), startY(n);
  for (int i : nodes) {
    startX[i] = e[i].x;
    startY[i] = e[i].y;
  }

  // Overlap removal: every overlapping pair is pushed apart along the line through its centres,
  // half each, just far enough to clear on one axis (which keeps the nodes' arrangement better
  // than pushes along the axes); then every node is kept on the surface. A sweep over the nodes
  // sorted by their left edge finds the pairs.
  const auto keepOnSurface = [&](TExtent& x) {
    x.x = Clamp(x.x, kMargin + x.left, W - kMargin - x.right);
    x.y = Clamp(x.y, kMargin + x.top, H - kMargin - x.bottom);
  };
  for (int i : nodes) keepOnSurface(e[i]);
  std::vector<int> order = nodes;
  for (int round = 0; round < kMaxRounds; ++round) {
    std::sort(order.begin(), order.end(), [&](int a, int b) {
      const double la = e[a].x - e[a].left, lb = e[b].x - e[b].left;
      return la != lb ? la < lb : a < b;
    });
    bool moved = false;
    for (std::size_t p = 0; p < order.size(); ++p) {
      TExtent& a = e[order[p]];
      for (std::size_t q = p + 1; q < order.size(); ++q) {
        TExtent& b = e[order[q]];
        if (b.x - b.left >= a.x + a.right) break;
        const double ox = std::min(a.x + a.right, b.x + b.right) - std::max(a.x - a.left, b.x - b.left);
        const double oy = std::min(a.y + a.bottom, b.y + b.bottom) - std::max(a.y - a.top, b.y - b.top);
        if (ox <= 0 || oy <= 0) continue;
        moved = true;
        const double vx = b.x - a.x, vy = b.y - a.y, len = std::hypot(vx, vy);
        if (len > 1e-6) {
          // Apart along the line through the two centres, just far enough on one axis.
          const double ux = vx / len, uy = vy / len;
          const double sx = std::abs(ux) > 1e-9 ? ox / std::abs(ux) : std::numeric_limits<double>::max();
          const double sy = std::abs(uy) > 1e-9 ? oy / std::abs(uy) : std::numeric_limits<double>::max();
          const double half = std::min(sx, sy) / 2 + 0.01;
          a.x -= ux * half;
          a.y -= uy * half;
          b.x += ux * half;
          b.y += uy * half;
        } else if (ox <= oy) {
          // a is left of b by its left edge; keep that order.
          const double half = ox / 2 + 0.01;
          a.x -= half;
          b.x += half;
        } else {
          const double half = oy / 2 + 0.01;
          const bool aAbove = a.y != b.y ? a.y < b.y : order[p] < order[q];
          a.y += aAbove ? -half : half;
          b.y += aAbove ? half : -half;
        }
      }
    }
    for (int i : nodes) keepOnSurface(e[i]);
    if (!moved) break;
  }

  // Back to diagram coordinates; help points move with the two ends of their link, each in
  // proportion to how far along the link it lies.
  std::vector<double> moveX(n, 0), moveY(n, 0);
  for (int i : nodes) {
    moveX[i] = e[i].x - startX[i];
    moveY[i] = e[i].y - startY[i];
    TaxonType& t = d.Taxa[i];
    t.X = e[i].x - dx;
    t.Y = e[i].y - dy;
  }
  for (HelpPointLinkType& h : d.HelpPointLinks) {
    const int a = FirstNode(h.Taxon1), b = FirstNode(h.Taxon2);
    const std::size_t count = h.Points.size();
    for (std::size_t k = 0; k < count; ++k) {
      HelpPoint& p = h.Points[k];
      const double t = static_cast<double>(k + 1) / static_cast<double>(count + 1);
      if (a != 0 && b != 0) {
        p.X += (1 - t) * moveX[a - 1] + t * moveX[b - 1];
        p.Y += (1 - t) * moveY[a - 1] + t * moveY[b - 1];
      }
      p.X = std::clamp(p.X, kMargin, W - kMargin) - dx;
      p.Y = std::clamp(p.Y, kMargin, H - kMargin) - dy;
    }
  }
}
