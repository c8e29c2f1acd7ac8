#include "Graphik_PdfExport.h"

#include "Graphik_Programm.h"
#include "PdfBox.h"
#include "QtCanvas.h"

#include <algorithm>
#include <cmath>

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

}  // namespace

QImage RenderDiagramPage(const TNetwork_Diagramm& diagram, const TDrawOptions& options,
                         QSize page) {
  // The working copy keeps nodes, links and help points; schemes, trees and equivalents stay out.
  TDrawNetwork_Diagramm copy;
  copy.Taxa = diagram.Taxa;
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
  pageOptions.MinRadius = RoundEven(minSize);
  pageOptions.MaxRadius = RoundEven(maxSize);
  pageOptions.MedRadius = RoundEven(nodeSize);
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
