#pragma once
// How readable a drawn diagram is: links that cross, node circles and labels drawn on top of each
// other, links that run through a node they do not end at, and what lies off the surface. Used by
// the layout's checks and the layout benchmark.

#include "DrawNetwork_Diagramm.h"
#include "Network_Diagramm.h"

struct TLayoutQuality {
  int Crossings = 0;  // pairs of drawn links without a common end whose lines cross
  int Overlaps = 0;   // pairs of node circles or node labels that overlap
  int Grazes = 0;     // (link, node) pairs: the link runs through a circle it does not end at
  int Outside = 0;    // nodes, labels and links not wholly on the surface
};

// Measures what DrawDiagram paints with `options` on a width x height surface. The node labels'
// boxes are taken from the last drawing (NameBox), so the diagram must have been drawn with the
// same options before.
TLayoutQuality MeasureLayout(const TNetwork_Diagramm& diagram, int width, int height,
                             const TDrawOptions& options);
