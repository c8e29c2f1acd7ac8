#include "DrawNetwork_Diagramm.h"

#include "UHelp.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <set>

namespace {

// The unordered pair of two names; the first one's length keeps every pair apart.
std::string PairKey(const std::string& a, const std::string& b) {
  const std::string& first = a < b ? a : b;
  const std::string& second = a < b ? b : a;
  return std::to_string(first.size()) + ' ' + first + second;
}

const std::vector<int> kNoHelpPointLinks;

}  // namespace

TLinkLookup::TLinkLookup(const TNetwork_Diagramm& d) {
  for (int i = 0; i < d.NodeCount(); ++i) firstNode_.try_emplace(d.Taxa[i].Name, i);
  for (int h = 0; h < d.HelpPointLinkCount(); ++h) AddHelpPointLink(d, h);
}

int TLinkLookup::FirstNode(const std::string& name) const {
  const auto it = firstNode_.find(name);
  return it == firstNode_.end() ? -1 : it->second;
}

void TLinkLookup::AddHelpPointLink(const TNetwork_Diagramm& d, int index) {
  const HelpPointLinkType& h = d.HelpPointLinks[index];
  helpByPair_[PairKey(h.Taxon1, h.Taxon2)].push_back(index);
}

void TLinkLookup::ClearHelpPointLinks() { helpByPair_.clear(); }

const std::vector<int>& TLinkLookup::HelpPointLinksBetween(const std::string& a,
                                                           const std::string& b) const {
  const auto it = helpByPair_.find(PairKey(a, b));
  return it == helpByPair_.end() ? kNoHelpPointLinks : it->second;
}

// The polyline a drawn link follows: through the bend points of the first help-point link between
// the same nodes when it is a torso link with more than one mutation, otherwise straight between
// the node centres. A link of n mutations has n - 1 bend points, one between every two mutation
// steps, as the layout leaves them; a help-point link with fewer leaves the link straight. Empty
// when an end node is missing.
std::vector<HelpPoint> LinkPath(const TNetwork_Diagramm& d, const LinkType& l, const TLinkLookup& lookup) {
  const int n1 = lookup.FirstNode(l.Taxon1), n2 = lookup.FirstNode(l.Taxon2);
  if (n1 < 0 || n2 < 0) return {};
  const HelpPoint p1{d.Taxa[n1].X, d.Taxa[n1].Y}, p2{d.Taxa[n2].X, d.Taxa[n2].Y};
  const int bends = l.MutationCount() - 1;
  if (l.InTorso && bends > 0)
    for (int index : lookup.HelpPointLinksBetween(l.Taxon1, l.Taxon2)) {
      const HelpPointLinkType& h = d.HelpPointLinks[index];
      if (h.PointCount() < bends) continue;
      const bool forward = h.Taxon1 == l.Taxon1;
      std::vector<HelpPoint> path{forward ? p1 : p2};
      path.insert(path.end(), h.Points.begin(), h.Points.begin() + bends);
      path.push_back(forward ? p2 : p1);
      return path;
    }
  return {p1, p2};
}

// Nodes shown: active ones, and with onlyTorso only the ends of torso links.
std::vector<bool> ShownNodes(const TNetwork_Diagramm& d, const TDrawOptions& o) {
  std::set<std::string> torsoEnds;
  if (o.ShowOnlyTorso)
    for (const LinkType& l : d.Links)
      if (l.InTorso) torsoEnds.insert({l.Taxon1, l.Taxon2});
  std::vector<bool> shown(d.Taxa.size());
  for (std::size_t i = 0; i < d.Taxa.size(); ++i)
    shown[i] = d.Taxa[i].Active && (!o.ShowOnlyTorso || torsoEnds.contains(d.Taxa[i].Name));
  return shown;
}

namespace {

int TaxonRadius(const TaxonType& t, const TDrawOptions& o) {
  if (!o.NodesProportional) return o.MinRadius;
  // A negative frequency is drawn as 0.
  const double frequency = std::max(0, t.Frequency);
  return std::min(RoundEven(std::sqrt(frequency) * o.MinRadius), o.MaxRadius);
}

TPen LinePen(TColor color, int width, std::uint8_t style) { return TPen{color, width, style}; }

}  // namespace

bool IsLinkDrawn(const LinkType& l, const TDrawOptions& o) { return l.Active && (!o.ShowOnlyTorso || l.InTorso); }

int NodeRadius(const TaxonType& t, const TDrawOptions& o) {
  if (IsMedianName(t.Name)) return o.ShowMedians ? o.MedRadius : 0;
  return TaxonRadius(t, o);
}

void ClipLineToBox(int& x1, int& y1, int& x2, int& y2, int width, int height) {
  if (x1 <= width && y1 <= height && x2 <= width && y2 <= height) return;
  const auto outside = [&] { x1 = y1 = x2 = y2 = -1; };
  // Moves the end (xa, ya) beyond `limit` on its own axis onto the edge.
  const auto cut = [](int& ua, int& va, int ub, int vb, int limit) {
    va = RoundEven(vb + static_cast<double>(va - vb) * (limit - ub) / (ua - ub));
    ua = limit;
  };
  if (x1 > width && x2 > width) return outside();
  if (x1 > width) cut(x1, y1, x2, y2, width);
  else if (x2 > width) cut(x2, y2, x1, y1, width);
  if (y1 > height && y2 > height) return outside();
  if (y1 > height) cut(y1, x1, y2, x2, height);
  else if (y2 > height) cut(y2, x2, y1, x1, height);
}

TSchemeColouring::TSchemeColouring(const TNetwork_Diagramm& d) : d_(d) {
  for (std::size_t i = 0; i < d.ColorSchemes.size(); ++i)
    if (d.ColorSchemes[i].SchemeActive) {
      scheme_ = &d.ColorSchemes[i];
      item_ = i;
      break;
    }
  // Schemes are built one per information item, in the items' order.
  if (scheme_ == nullptr || item_ >= TaxonType().Info.size()) {
    scheme_ = nullptr;
    return;
  }
  if (d.EquivalentTaxa.empty()) return;
  std::unordered_map<std::string, int> first;  // the first node of each name, as FindNode
  for (int i = 0; i < d.NodeCount(); ++i) first.try_emplace(d.Taxa[i].Name, i);
  for (const EquiTaxonType& e : d.EquivalentTaxa) {
    if (e.Taxon1 == e.Taxon2) continue;
    const auto n = first.find(e.Taxon2);
    if (n != first.end()) equivalents_[e.Taxon1].push_back(n->second);
  }
}

std::vector<Pie> TSchemeColouring::PiesFor(const TaxonType& node) const {
  if (scheme_ == nullptr || IsMedianName(node.Name)) return {};
  const TColor own = node.Pies.empty() ? clYellow : node.Pies.front().PieColor;
  std::vector<Pie> pies;
  bool valued = false;
  // Segments are keyed by the value; taxa without a value of the scheme share the empty key.
  const auto add = [&](const TaxonType& taxon, std::int32_t frequency) {
    std::string value = taxon.Info[item_].InfoValue;
    TColor colour = own;
    const auto label = std::ranges::find(scheme_->SchemeLabels, value);
    if (!value.empty() && label != scheme_->SchemeLabels.end()) {
      const auto at = static_cast<std::size_t>(label - scheme_->SchemeLabels.begin());
      colour = at < scheme_->SchemeColors.size() ? scheme_->SchemeColors[at] : clYellow;
      valued = true;
    } else {
      value.clear();
    }
    const std::int32_t share = std::max<std::int32_t>(0, frequency);
    for (Pie& p : pies)
      if (p.PieLabel == value) {
        p.PieFrequency = static_cast<std::int32_t>(
            std::min<std::int64_t>(std::int64_t{p.PieFrequency} + share, INT32_MAX));
        return;
      }
    pies.push_back({value, colour, share, bsSolid});
  };
  add(node, node.OrigFrequency);
  if (const auto it = equivalents_.find(node.Name); it != equivalents_.end())
    for (int n : it->second) add(d_.Taxa[n], d_.Taxa[n].Frequency);
  if (!valued) return {};
  return pies;
}

void DrawNode(const TNetwork_Diagramm& d, TCanvas& canvas, const TaxonType& t, int width, int height,
              const TDrawOptions& o, const TSchemeColouring* colouring) {
  const int r = NodeRadius(t, o);
  if (r <= 0) return;
  const int cx = RoundEven(t.X + d.ImageOffsetX()), cy = RoundEven(t.Y + d.ImageOffsetY());
  if (cx + r > width || cy + r > height) return;
  const int x1 = cx - r, y1 = cy - r, x2 = cx + r, y2 = cy + r;
  const TPen outline = LinePen(t.LineColor, t.LineWidth, t.LineStyle);

  canvas.SetBrush({clWhite, bsSolid});
  canvas.SetPen(LinePen(clWhite, 1, psSolid));
  canvas.Ellipse(x1, y1, x2, y2);

  std::vector<Pie> schemePies;
  if (colouring != nullptr) {
    schemePies = colouring->PiesFor(t);
  } else if (std::ranges::any_of(d.ColorSchemes, &SchemeType::SchemeActive)) {
    schemePies = TSchemeColouring(d).PiesFor(t);
  }
  const std::vector<Pie>& pies = schemePies.empty() ? t.Pies : schemePies;
  // A scheme's segments share out what they add up to; a node's own ones its frequency.
  std::int64_t total = t.Frequency;
  if (!schemePies.empty()) {
    total = 0;
    for (const Pie& p : schemePies) total += p.PieFrequency;
  }

  if (pies.empty()) {
    canvas.SetPen(outline);
    canvas.SetBrush({clWhite, bsClear});
    canvas.Ellipse(x1, y1, x2, y2);
  } else if (pies.size() == 1 || total <= 0) {
    canvas.SetBrush({pies.front().PieColor, pies.front().PiePattern});
    canvas.SetPen(outline);
    canvas.Ellipse(x1, y1, x2, y2);
  } else {
    double angle = 0;
    for (const Pie& p : pies) {
      canvas.SetBrush({p.PieColor, p.PiePattern});
      canvas.SetPen(LinePen(p.PieColor, 1, psSolid));
      if (p.PieFrequency <= 0) continue;
      const double sweep = static_cast<double>(p.PieFrequency) / static_cast<double>(total) * 2 *
                           std::numbers::pi;
      canvas.Pie(x1, y1, x2, y2, angle, sweep);
      angle += sweep;
    }
    canvas.SetPen(outline);
    canvas.SetBrush({clWhite, bsClear});
    canvas.Ellipse(x1, y1, x2, y2);
  }
}

void DrawNodes(const TNetwork_Diagramm& d, TCanvas& canvas, int width, int height,
               const TDrawOptions& o) {
  const std::vector<bool> shown = ShownNodes(d, o);
  const TSchemeColouring colouring(d);
  for (std::size_t i = 0; i < d.Taxa.size(); ++i)
    if (shown[i]) DrawNode(d, canvas, d.Taxa[i], width, height, o, &colouring);
}

void DrawLink(const TNetwork_Diagramm& d, TCanvas& canvas, const LinkType& l,
              const TLinkLookup& lookup, int width, int height) {
  const std::vector<HelpPoint> path = LinkPath(d, l, lookup);
  if (path.empty()) return;
  const int dx = d.ImageOffsetX(), dy = d.ImageOffsetY();
  canvas.SetPen(LinePen(l.LineColor, l.LineWidth, l.LineStyle));
  for (std::size_t s = 1; s < path.size(); ++s) {
    int x1 = RoundEven(path[s - 1].X + dx), y1 = RoundEven(path[s - 1].Y + dy);
    int x2 = RoundEven(path[s].X + dx), y2 = RoundEven(path[s].Y + dy);
    ClipLineToBox(x1, y1, x2, y2, width, height);
    canvas.Line(x1, y1, x2, y2);
  }
}

namespace {

// The first `count` characters of `text` without blanks, or the whole text without blanks cut to
// `count`, as the two label rules say.
std::string FirstThenNoBlanks(const std::string& text, std::size_t count) {
  return ReplaceCharByString(std::string_view(text).substr(0, count), ' ', "");
}
std::string NoBlanksThenFirst(const std::string& text, std::size_t count) {
  return ReplaceCharByString(text, ' ', "").substr(0, count);
}

}  // namespace

void DrawNodeNames(TNetwork_Diagramm& d, TCanvas& canvas, int width, int height,
                   const TDrawOptions& o) {
  const int dx = d.ImageOffsetX(), dy = d.ImageOffsetY();
  const std::vector<bool> shown = ShownNodes(d, o);
  for (std::size_t i = 0; i < d.Taxa.size(); ++i) {
    if (!shown[i]) continue;
    TaxonType& t = d.Taxa[i];
    // The label keeps its place beside the circle even when median vectors are hidden.
    const int r = std::min(IsMedianName(t.Name) ? o.MedRadius : TaxonRadius(t, o), o.MaxRadius);
    std::string text = t.Label.empty() ? FirstThenNoBlanks(t.Name, 6) : NoBlanksThenFirst(t.Label, 6);
    if (!(o.ShowMedianNames && o.ShowMedians) && IsMedianName(text)) text.clear();

    canvas.SetFont({"Arial", t.NameHeight, t.NameStyle, t.NameColor});
    canvas.SetBrush({clWhite, bsClear});
    const TTextSize size = canvas.TextExtent(text);
    TNameBox& box = t.NameBox;
    box.Left = t.X - 2 - (size.Width + r);
    box.Top = t.Y - size.Height / 2.0;
    box.Right = box.Left + size.Width;
    box.Bottom = box.Top + size.Height;
    if (!text.empty() && box.Right + dx <= width && box.Bottom + dy <= height)
      canvas.TextOut(RoundEven(box.Left + dx), RoundEven(box.Top + dy), text);
  }
}

void DrawLinkLabels(const TNetwork_Diagramm& d, TCanvas& canvas, LinkType& l,
                    const TLinkLookup& lookup, int width, int height) {
  const std::vector<HelpPoint> path = LinkPath(d, l, lookup);
  if (path.empty()) return;
  const int dx = d.ImageOffsetX(), dy = d.ImageOffsetY();
  const int n = l.MutationCount();
  for (int j = 1; j <= n; ++j) {
    MutationType& m = l.Mutations[j - 1];
    double x, y;
    if (path.size() == 2) {
      // From the Taxon2 node towards the Taxon1 node.
      const HelpPoint& p1 = path.front();
      const HelpPoint& p2 = path.back();
      x = RoundEven(p2.X + (p1.X - p2.X) * j / (n + 1));
      y = RoundEven(p2.Y + (p1.Y - p2.Y) * j / (n + 1));
    } else {
      // One label on the middle of each segment.
      const std::size_t segment = std::min<std::size_t>(j, path.size() - 1);
      x = RoundEven((path[segment - 1].X + path[segment].X) / 2);
      y = RoundEven((path[segment - 1].Y + path[segment].Y) / 2);
    }
    const std::string text = m.Name.empty() ? FirstThenNoBlanks(m.Character, 6) : m.Name.substr(0, 6);
    canvas.SetFont({"Arial", m.NameHeight, m.NameStyle, m.NameColor});
    canvas.SetBrush({clWhite, bsClear});
    const TTextSize size = canvas.TextExtent(text);
    m.NameBox = {x - size.Width / 2.0, y - size.Height / 2.0, x + size.Width / 2.0,
                 y + size.Height / 2.0};
    if (x + dx + size.Width / 2.0 <= width && y + dy + size.Height / 2.0 <= height)
      canvas.TextOut(RoundEven(m.NameBox.Left + dx), RoundEven(m.NameBox.Top + dy), text);
  }
}

void DrawMutationLabels(TNetwork_Diagramm& d, TCanvas& canvas, int width, int height,
                        const TDrawOptions& o) {
  const TLinkLookup lookup(d);
  for (LinkType& l : d.Links)
    if (IsLinkDrawn(l, o)) DrawLinkLabels(d, canvas, l, lookup, width, height);
}

void DrawDiagram(TNetwork_Diagramm& d, TCanvas& canvas, int width, int height,
                 const TDrawOptions& o) {
  if (d.Links.empty() || d.Taxa.empty()) return;
  canvas.SetPen(LinePen(clBlack, 2, psSolid));
  canvas.SetBrush({clWhite, bsSolid});
  canvas.Rectangle(1, 1, width, height);

  const TLinkLookup lookup(d);
  for (const LinkType& l : d.Links)
    if (IsLinkDrawn(l, o)) DrawLink(d, canvas, l, lookup, width, height);

  DrawNodes(d, canvas, width, height, o);
  if (o.ShowNodeNames) DrawNodeNames(d, canvas, width, height, o);
  if (o.ShowCharacters) DrawMutationLabels(d, canvas, width, height, o);
  canvas.Refresh();
}
