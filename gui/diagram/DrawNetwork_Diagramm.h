#pragma once
// Painting a diagram on a canvas: links (straight, or through help points), nodes as circles or pie
// charts sized by frequency, node labels and mutation labels. Records where every label went
// (NameBox) for hit-testing. The same routine serves the screen, bitmap and PDF export, printing
// and the tests' recording canvas.

#include "Canvas.h"
#include "Network_Diagramm.h"

#include <string>
#include <unordered_map>
#include <vector>

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

// The lookups drawing a link needs, so a full redraw is linear rather than a name search per link
// end: the first node of each name and the help-point links between each pair of names. Built
// once per drawing; a layout that appends help-point links registers them as it goes.
class TLinkLookup {
public:
  explicit TLinkLookup(const TNetwork_Diagramm& diagram);
  // 0-based index of the first node named `name`, -1 when none (as FindNode).
  int FirstNode(const std::string& name) const;
  // Help-point link `index` (0-based) of the diagram; its end names must not change afterwards.
  void AddHelpPointLink(const TNetwork_Diagramm& diagram, int index);
  void ClearHelpPointLinks();
  // 0-based indices of the help-point links between `a` and `b` (either way round), in index order.
  const std::vector<int>& HelpPointLinksBetween(const std::string& a, const std::string& b) const;

private:
  std::unordered_map<std::string, int> firstNode_;
  std::unordered_map<std::string, std::vector<int>> helpByPair_;
};

// The pie charts an active colour scheme gives the nodes. A node stands for itself and the taxa
// equivalent to it; it is drawn as one segment per value of the scheme's information item among
// those taxa, in the value's colour, weighted by their frequencies, in the order the values first
// occur (taxa without a value share the node's own first colour). A median vector, a node none of
// whose taxa has a value, and every node while no scheme is active keep their own pies.
class TSchemeColouring {
public:
  explicit TSchemeColouring(const TNetwork_Diagramm& diagram);
  bool Active() const { return scheme_ != nullptr; }
  // The segments `node` is drawn with; empty when it keeps its own pies.
  std::vector<Pie> PiesFor(const TaxonType& node) const;

private:
  const TNetwork_Diagramm& d_;
  const SchemeType* scheme_ = nullptr;
  std::size_t item_ = 0;  // the information item the scheme colours by
  std::unordered_map<std::string, std::vector<int>> equivalents_;  // name -> equivalent nodes
};

// Paints `diagram` on an image of width x height pixels. A diagram without links or nodes paints
// nothing, not even the background.
void DrawDiagram(TNetwork_Diagramm& diagram, TCanvas& canvas, int width, int height,
                 const TDrawOptions& options);

// Whether DrawDiagram draws a link: active and, with ShowOnlyTorso, a torso link.
bool IsLinkDrawn(const LinkType& link, const TDrawOptions& options);

// Single pieces of DrawDiagram, for callers that repaint only what changed. Whether a node is shown
// or a link drawn (active, torso) is the caller's choice; these paint as the full drawing does.
// DrawLink paints the line (bent through its help points when it has them), DrawLinkLabels its
// mutation labels (which the full drawing puts on top of all nodes); a link with an end that names
// no node paints nothing.
// `colouring`: the active colour scheme's pies, built once per drawing; when null DrawNode builds
// its own.
void DrawNode(const TNetwork_Diagramm& diagram, TCanvas& canvas, const TaxonType& node, int width,
              int height, const TDrawOptions& options,
              const TSchemeColouring* colouring = nullptr);
void DrawLink(const TNetwork_Diagramm& diagram, TCanvas& canvas, const LinkType& link,
              const TLinkLookup& lookup, int width, int height);
void DrawLinkLabels(const TNetwork_Diagramm& diagram, TCanvas& canvas, LinkType& link,
                    const TLinkLookup& lookup, int width, int height);

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

// The polyline a drawn link follows in diagram units (through its help points when it is drawn
// bent); empty when an end node is missing.
std::vector<HelpPoint> LinkPath(const TNetwork_Diagramm& diagram, const LinkType& link,
                                const TLinkLookup& lookup);
// Per node (0-based): whether DrawDiagram shows it (active, and with ShowOnlyTorso a torso end).
std::vector<bool> ShownNodes(const TNetwork_Diagramm& diagram, const TDrawOptions& options);

// Radius in pixels a node is drawn with (0: not drawn).
int NodeRadius(const TaxonType& node, const TDrawOptions& options);
