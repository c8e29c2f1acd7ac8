#include "Graphik_PdfExport.h"

#include "Graphik_Programm.h"
#include "PdfBox.h"
#include "QtCanvas.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

namespace {

struct Box {
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
};

// The box over the active nodes, started by the first of them.
Box ActiveBox(const TNetwork_Diagramm& d) {
  Box b;
  bool first = true;
  for (const TaxonType& t : d.Taxa) {
    if (!t.Active) continue;
    if (first) {
      b = {t.X, t.Y, t.X, t.Y};
      first = false;
      continue;
    }
    b.minX = std::min(b.minX, t.X);
    b.maxX = std::max(b.maxX, t.X);
    b.minY = std::min(b.minY, t.Y);
    b.maxY = std::max(b.maxY, t.Y);
  }
  return b;
}

int Scaled(int value, double f) { return RoundEven(value * f); }

// Where the last drawing reached, in diagram units: the disc of every shown node, its label, and
// the mutation labels of every drawn link.
Box DrawnExtent(const TNetwork_Diagramm& d, const TDrawOptions& o) {
  std::set<std::string> torsoEnds;
  if (o.ShowOnlyTorso)
    for (const LinkType& l : d.Links)
      if (l.InTorso) torsoEnds.insert({l.Taxon1, l.Taxon2});
  Box b;
  bool first = true;
  const auto take = [&](double x1, double y1, double x2, double y2) {
    if (first) {
      b = {x1, y1, x2, y2};
      first = false;
      return;
    }
    b.minX = std::min(b.minX, x1);
    b.minY = std::min(b.minY, y1);
    b.maxX = std::max(b.maxX, x2);
    b.maxY = std::max(b.maxY, y2);
  };
  const auto takeLabel = [&](const TNameBox& box) {
    if (box.Right > box.Left && box.Bottom > box.Top) take(box.Left, box.Top, box.Right, box.Bottom);
  };
  for (const TaxonType& t : d.Taxa) {
    if (!t.Active || (o.ShowOnlyTorso && !torsoEnds.contains(t.Name))) continue;
    const double r = NodeRadius(t, o);
    take(t.X - r, t.Y - r, t.X + r, t.Y + r);
    if (o.ShowNodeNames) takeLabel(t.NameBox);
  }
  if (o.ShowCharacters)
    for (const LinkType& l : d.Links)
      if (IsLinkDrawn(l, o))
        for (const MutationType& m : l.Mutations) takeLabel(m.NameBox);
  return b;
}

constexpr int kPageMargin = 10;  // pixels kept free at each edge of the page

}  // namespace

QImage RenderDiagramPage(const TNetwork_Diagramm& diagram, const TDrawOptions& options,
                         QSize page) {
  // The working copy keeps nodes, links and help points, and the colour schemes with the
  // equivalent taxa they colour by, so the page shows the colours the screen shows; the trees
  // stay out.
  TDrawNetwork_Diagramm copy;
  copy.Taxa = diagram.Taxa;
  copy.ColorSchemes = diagram.ColorSchemes;
  copy.EquivalentTaxa = diagram.EquivalentTaxa;
  copy.Links = diagram.Links;
  copy.HelpPointLinks = diagram.HelpPointLinks;
  copy.DiagramCenter = diagram.DiagramCenter;
  copy.ImageCenter = diagram.ImageCenter;

  const int pw = page.width(), ph = page.height();
  QImage image(page, QImage::Format_RGB32);
  image.fill(Qt::white);

  double nodeSize = options.MedRadius, maxSize = options.MaxRadius, minSize = options.MinRadius;
  TGraphik_Programm layout(copy, image);
  const TGraphik_Programm::TFitBox start = layout.FitBox(pw, ph);
  Box box{start.MinX, start.MinY, start.MaxX, start.MaxY};

  // Zooming changes the labels' sizes, which changes the box: repeat until the fit settles.
  // Bounded, so a box that keeps moving cannot hold the export for ever.
  for (int round = 0; round < 50; ++round) {
    const double w = box.maxX - box.minX, h = box.maxY - box.minY;
    if (w <= 0 || h <= 0) break;
    const double f = std::min(pw / w, ph / h);
    copy.ZoomDiagram(pw, ph, f);
    box = ActiveBox(copy);
    for (TaxonType& t : copy.Taxa) {
      if (!t.Active) continue;
      t.NameHeight = Scaled(t.NameHeight, f);
      t.LineWidth = Scaled(t.LineWidth, f);
    }
    box.minX -= 200;
    box.minY -= 50;
    box.maxX += 50;
    box.maxY += 50;
    for (LinkType& l : copy.Links) {
      if (!l.Active) continue;
      l.LineWidth = Scaled(l.LineWidth, f);
      for (MutationType& m : l.Mutations) m.NameHeight = Scaled(m.NameHeight, f);
    }
    nodeSize *= f;
    maxSize *= f;
    minSize *= f;
    if (std::fabs(f - 1) < 0.1) break;
  }
  copy.ImageCenter = {RoundEven(copy.DiagramCenter.X - box.minX),
                      RoundEven(copy.DiagramCenter.Y - box.minY)};

  TDrawOptions pageOptions = options;
  // The fit above goes by node centres and fixed margins; a large node or a long label can still
  // reach past the page. Shrink until what is drawn fits, then centre it on the page.
  for (int round = 0; round < 10; ++round) {
    pageOptions.MinRadius = RoundEven(minSize);
    pageOptions.MaxRadius = RoundEven(maxSize);
    pageOptions.MedRadius = RoundEven(nodeSize);
    image.fill(Qt::white);
    {
      TQtCanvas measure(image);
      DrawDiagram(copy, measure, pw, ph, pageOptions);
    }
    const Box e = DrawnExtent(copy, pageOptions);
    const double w = e.maxX - e.minX, h = e.maxY - e.minY;
    double f = std::min({1.0, (pw - 2.0 * kPageMargin) / std::max(w, 1.0),
                         (ph - 2.0 * kPageMargin) / std::max(h, 1.0)});
    if (f >= 1) {
      copy.ImageCenter = {RoundEven(copy.DiagramCenter.X + (pw - w) / 2 - e.minX),
                          RoundEven(copy.DiagramCenter.Y + (ph - h) / 2 - e.minY)};
      break;
    }
    f = std::min(f, 0.985);  // a zoom closer to 1 than 1 % changes nothing
    copy.ZoomDiagram(pw, ph, f);
    for (TaxonType& t : copy.Taxa) t.NameHeight = Scaled(t.NameHeight, f);
    for (LinkType& l : copy.Links)
      for (MutationType& m : l.Mutations) m.NameHeight = Scaled(m.NameHeight, f);
    nodeSize *= f;
    maxSize *= f;
    minSize *= f;
  }
  image.fill(Qt::white);
  TQtCanvas canvas(image);
  DrawDiagram(copy, canvas, pw, ph, pageOptions);
  return image;
}

bool SaveDiagramToPdf(const TNetwork_Diagramm& diagram, const TDrawOptions& options,
                      const std::string& fileName, std::string* error) {
  const QImage image = RenderDiagramPage(diagram, options, PdfDiagramPageSize());
  return SaveDiagramImageToPdf(image, fileName, error);
}
