#pragma once
// Painting a diagram on a canvas: links (straight, or through help points), nodes as circles or pie
// charts sized by frequency, node labels and mutation labels. Records where every label went
// (NameBox) for hit-testing. The same routine serves the screen, bitmap and PDF export, printing
// and the tests' recording canvas.

#include "Canvas.h"
#include "Network_Diagramm.h"

// The nine drawing options; the .fdi file stores exactly these. The defaults are those of a
// finished drawing in the drawing window.
struct TDrawOptions {
  bool ShowNodeNames = true;
  bool NodesProportional = true;
  bool ShowOnlyTorso = false;
  bool ShowMedians = true;
  bool ShowMedianNames = true;
  bool ShowCharacters = true;
  int MinRadius = 4;  // pixels
  int MaxRadius = 50;
  int MedRadius = 3;
  bool operator==(const TDrawOptions&) const = default;
};

// Paints `diagram` on an image of width x height pixels. A diagram without links or nodes paints
// nothing, not even the background.
void DrawDiagram(TNetwork_Diagramm& diagram, TCanvas& canvas, int width, int height,
                 const TDrawOptions& options);

// The three steps of DrawDiagram, for callers that repaint parts.
void DrawNodes(const TNetwork_Diagramm& diagram, TCanvas& canvas, int width, int height,
               const TDrawOptions& options);
void DrawNodeNames(TNetwork_Diagramm& diagram, TCanvas& canvas, int width, int height,
                   const TDrawOptions& options);
void DrawMutationLabels(TNetwork_Diagramm& diagram, TCanvas& canvas, int width, int height,
                        const TDrawOptions& options);

// Cuts a segment at the right edge x = width and the bottom edge y = height (left and top are not
// clipped); a segment wholly beyond them becomes (-1, -1, -1, -1).
void ClipLineToBox(int& x1, int& y1, int& x2, int& y2, int width, int height);

// Radius in pixels a node is drawn with (0: not drawn).
int NodeRadius(const TaxonType& node, const TDrawOptions& options);
