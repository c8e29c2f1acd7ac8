#include "Network_Diagramm.h"

#include "Dialogs.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>


bool IsMedianName(const std::string& name) { return name.starts_with("mv"); }

TSplit SplitAtChar(const std::string& text, char ch) {
  const std::size_t p = text.find(ch);
  if (p == std::string::npos) return {text, {}};
  return {text.substr(0, p), text.substr(p + 1)};
}

void TNetwork_Diagramm::ClearDiagram() { *this = TNetwork_Diagramm(); }

void TNetwork_Diagramm::ZoomDiagram(int width, int height, double factor) {
  if (std::fabs(factor - 1) <= 0.01) return;
  const double cx = DiagramCenter.X, cy = DiagramCenter.Y;
  for (TaxonType& t : Taxa) {
    t.X = cx + factor * (t.X - cx);
    t.Y = cy + factor * (t.Y - cy);
  }
  for (HelpPointLinkType& h : HelpPointLinks)
    for (HelpPoint& p : h.Points) {
      p.X = cx + factor * (p.X - cx);
      p.Y = cy + factor * (p.Y - cy);
    }
  ImageCenter.X = RoundEven(width / 2.0 + factor * (ImageCenter.X - width / 2.0));
  ImageCenter.Y = RoundEven(height / 2.0 + factor * (ImageCenter.Y - height / 2.0));
}

void TNetwork_Diagramm::MarkLinks(const SubTree& links) {
  for (TaxonType& t : Taxa) t.Active = false;
  for (LinkType& l : Links) l.Active = false;
  for (std::int32_t k : links) {
    if (k < 1 || k > LinkCount()) continue;
    LinkType& link = Links[k - 1];
    link.Active = true;
    for (const std::string* end : {&link.Taxon1, &link.Taxon2}) {
      const int n = FindNode(*end);
      if (n >= 0) Taxa[n].Active = true;
    }
  }
}

void TNetwork_Diagramm::MarkSteinerNetwork() {
  if (!SteinerNetwork.empty()) MarkLinks(SteinerNetwork);
}

void TNetwork_Diagramm::MarkSteinerTree(int t) {
  if (t < 1 || t > SteinerTreeCount() || SteinerTrees[t - 1].empty()) return;
  MarkLinks(SteinerTrees[t - 1]);
}

void TNetwork_Diagramm::DropInvalidSteinerLinks() {
  const auto outside = [this](std::int32_t k) { return k < 1 || k > LinkCount(); };
  std::erase_if(SteinerNetwork, outside);
  for (SubTree& tree : SteinerTrees) std::erase_if(tree, outside);
}

int TNetwork_Diagramm::FindNode(const std::string& name) const {
  for (int i = 0; i < NodeCount(); ++i)
    if (Taxa[i].Name == name) return i;
  return -1;
}

std::string TNetwork_Diagramm::LookupNodeLabel(const std::string& name) const {
  const int n = FindNode(name);
  return n >= 0 ? Taxa[n].Label : name;
}

bool TNetwork_Diagramm::HasSinglePie(int node) const {
  return node >= 1 && node <= NodeCount() && Taxa[node - 1].Pies.size() == 1;
}

THitResult TNetwork_Diagramm::HitTest(double px, double py, bool mutations, bool labels,
                                      bool medians, bool onlyTorso) const {
  const double dx = ImageOffsetX(), dy = ImageOffsetY();
  std::set<std::string> torsoEnds;
  if (onlyTorso)
    for (const LinkType& l : Links)
      if (l.InTorso) torsoEnds.insert({l.Taxon1, l.Taxon2});

  for (int i = 0; i < NodeCount(); ++i) {
    const TaxonType& t = Taxa[i];
    if (!t.Active || (onlyTorso && !torsoEnds.contains(t.Name))) continue;
    if (!medians && IsMedianName(t.Name)) continue;
    if (std::fabs(dx + t.X - px) < 6 && std::fabs(dy + t.Y - py) < 6) return {THitKind::Node, i + 1, 0};
    if (labels && px >= dx + t.NameBox.Left && px <= dx + t.NameBox.Right &&
        py >= dy + t.NameBox.Top && py <= dy + t.NameBox.Bottom)
      return {THitKind::NodeLabel, i + 1, 0};
  }

  for (int k = 0; k < LinkCount(); ++k) {
    const LinkType& l = Links[k];
    if ((onlyTorso && !l.InTorso) || !l.Active) continue;
    if (mutations)
      for (int j = 0; j < l.MutationCount(); ++j) {
        const TNameBox& b = l.Mutations[j].NameBox;
        if (px >= dx + b.Left && px <= dx + b.Right && py >= dy + b.Top && py <= dy + b.Bottom)
          return {THitKind::Mutation, k + 1, j + 1};
      }
    const int n1 = FindNode(l.Taxon1), n2 = FindNode(l.Taxon2);
    if (n1 < 0 || n2 < 0) continue;
    const double x1 = Taxa[n1].X, y1 = Taxa[n1].Y, x2 = Taxa[n2].X, y2 = Taxa[n2].Y;
    if (std::fabs(x1 - x2) > 7) {
      if (px > std::min(x1, x2) + dx && px < std::max(x1, x2) + dx) {
        const double y = dy + y1 + (px - dx - x1) * (y2 - y1) / (x2 - x1);
        if (std::fabs(py - y) < 5) return {THitKind::Link, k + 1, 0};
      }
    } else if (py > std::min(y1, y2) + dy && py < std::max(y1, y2) + dy) {
      const double x = dx + x1 + (py - dy - y1) * (x2 - x1) / (y2 - y1);
      if (std::fabs(px - x) < 5) return {THitKind::Link, k + 1, 0};
    }
  }
  return {};
}

void TNetwork_Diagramm::BuildColorSchemes() {
  ColorSchemes.clear();
  if (Taxa.empty()) return;
  ColorSchemes.resize(Taxa.front().Info.size());
  for (std::size_t i = 0; i < ColorSchemes.size(); ++i) {
    SchemeType& s = ColorSchemes[i];
    s.SchemeName = Taxa.front().Info[i].InfoLabel;
    for (const TaxonType& t : Taxa) {
      const std::string& value = t.Info[i].InfoValue;
      if (value.empty() || std::ranges::find(s.SchemeLabels, value) != s.SchemeLabels.end())
        continue;
      s.SchemeLabels.push_back(value);
      s.SchemeColors.push_back(clYellow);
    }
  }
}

// ---- style setters ----

template <class F> void TNetwork_Diagramm::ForLinks(int link, bool nonTorso, bool torso, F apply) {
  if (!nonTorso && !torso) {
    if (link >= 1 && link <= LinkCount()) apply(Links[link - 1]);
    return;
  }
  for (LinkType& l : Links)
    if ((l.InTorso && torso) || (!l.InTorso && nonTorso)) apply(l);
}

template <class F> void TNetwork_Diagramm::ForNodes(int node, bool medians, bool taxa, F apply) {
  if (!medians && !taxa) {
    if (node >= 1 && node <= NodeCount()) apply(Taxa[node - 1]);
    return;
  }
  for (TaxonType& t : Taxa)
    if (IsMedianName(t.Name) ? medians : taxa) apply(t);
}

template <class F>
void TNetwork_Diagramm::ForMutations(int link, int mutation, bool wholeLink, bool all, F apply) {
  if (all) {
    for (LinkType& l : Links)
      for (MutationType& m : l.Mutations) apply(m);
    return;
  }
  if (link < 1 || link > LinkCount()) return;
  LinkType& l = Links[link - 1];
  if (wholeLink) {
    for (MutationType& m : l.Mutations) apply(m);
  } else if (mutation >= 1 && mutation <= l.MutationCount()) {
    apply(l.Mutations[mutation - 1]);
  }
}

void TNetwork_Diagramm::SetLinkLineColor(int link, TColor value, bool nonTorso, bool torso) {
  ForLinks(link, nonTorso, torso, [&](LinkType& l) { l.LineColor = value; });
}
void TNetwork_Diagramm::SetLinkLineStyle(int link, std::uint8_t value, bool nonTorso, bool torso) {
  ForLinks(link, nonTorso, torso, [&](LinkType& l) { l.LineStyle = value; });
}
void TNetwork_Diagramm::SetLinkLineWidth(int link, std::int32_t value, bool nonTorso, bool torso) {
  ForLinks(link, nonTorso, torso, [&](LinkType& l) { l.LineWidth = value; });
}

void TNetwork_Diagramm::SetTaxonPieColor(int node, int segment, TColor value, bool medians,
                                         bool taxa) {
  ForNodes(node, medians, taxa, [&](TaxonType& t) {
    if (segment >= 1 && segment <= static_cast<int>(t.Pies.size())) t.Pies[segment - 1].PieColor = value;
  });
}
void TNetwork_Diagramm::SetTaxonPiePattern(int node, int segment, std::uint8_t value, bool medians,
                                           bool taxa) {
  ForNodes(node, medians, taxa, [&](TaxonType& t) {
    if (segment >= 1 && segment <= static_cast<int>(t.Pies.size())) t.Pies[segment - 1].PiePattern = value;
  });
}

void TNetwork_Diagramm::SetTaxonPieFrequencies(int node, const std::vector<std::int32_t>& shares,
                                               bool medians, bool taxa) {
  std::int64_t total = 0;
  for (std::int32_t s : shares) total += s;
  ForNodes(node, medians, taxa, [&](TaxonType& t) {
    // One segment per share; segment 1 always exists and takes what the others leave.
    t.Pies.resize(std::max<std::size_t>(1, shares.size()));
    if (total <= 0) {
      t.Pies[0].PieFrequency = std::max(1, t.Frequency);
      for (std::size_t k = 1; k < t.Pies.size(); ++k) t.Pies[k].PieFrequency = 0;
      return;
    }
    std::int64_t others = 0;
    for (std::size_t k = 1; k < shares.size(); ++k) {
      const std::int64_t product = static_cast<std::int64_t>(t.Frequency) * shares[k];
      t.Pies[k].PieFrequency = RoundEven(static_cast<double>(product) / static_cast<double>(total));
      others += t.Pies[k].PieFrequency;
    }
    t.Pies[0].PieFrequency = static_cast<std::int32_t>(t.Frequency - others);
  });
}

void TNetwork_Diagramm::SetTaxonNameColor(int node, TColor value, bool medians, bool taxa) {
  ForNodes(node, medians, taxa, [&](TaxonType& t) { t.NameColor = value; });
}
void TNetwork_Diagramm::SetTaxonNameHeight(int node, std::int32_t value, bool medians, bool taxa) {
  ForNodes(node, medians, taxa, [&](TaxonType& t) { t.NameHeight = value; });
}
void TNetwork_Diagramm::SetTaxonNameStyle(int node, std::uint8_t value, bool medians, bool taxa) {
  ForNodes(node, medians, taxa, [&](TaxonType& t) { t.NameStyle = value; });
}
void TNetwork_Diagramm::SetTaxonLineWidth(int node, std::int32_t value, bool medians, bool taxa) {
  ForNodes(node, medians, taxa, [&](TaxonType& t) { t.LineWidth = value; });
}
void TNetwork_Diagramm::SetTaxonLineColor(int node, TColor value, bool medians, bool taxa) {
  ForNodes(node, medians, taxa, [&](TaxonType& t) { t.LineColor = value; });
}
void TNetwork_Diagramm::SetTaxonLineStyle(int node, std::uint8_t value, bool medians, bool taxa) {
  ForNodes(node, medians, taxa, [&](TaxonType& t) { t.LineStyle = value; });
}

void TNetwork_Diagramm::SetAllMutationNameHeights(std::int32_t value) {
  ForMutations(0, 0, false, true, [&](MutationType& m) { m.NameHeight = value; });
}
void TNetwork_Diagramm::SetAllMutationNameColors(TColor value) {
  ForMutations(0, 0, false, true, [&](MutationType& m) { m.NameColor = value; });
}
void TNetwork_Diagramm::SetMutationNameHeight(int link, int mutation, std::int32_t value,
                                              bool wholeLink, bool all) {
  if (value <= 3) return;  // unreadably small labels are refused
  ForMutations(link, mutation, wholeLink, all, [&](MutationType& m) { m.NameHeight = value; });
}
void TNetwork_Diagramm::SetMutationNameStyle(int link, int mutation, std::uint8_t value,
                                             bool wholeLink, bool all) {
  ForMutations(link, mutation, wholeLink, all, [&](MutationType& m) { m.NameStyle = value; });
}
void TNetwork_Diagramm::SetMutationNameColor(int link, int mutation, TColor value, bool wholeLink,
                                             bool all) {
  ForMutations(link, mutation, wholeLink, all, [&](MutationType& m) { m.NameColor = value; });
}

// ---- TDrawNetwork_Diagramm ----

double TDrawNetwork_Diagramm::MutationUnitLength(int link, bool ask) const {
  // Per-mutation length of a link, or a negative value when it has none (missing end node or no
  // mutations: such a link has no length per mutation).
  const auto perMutation = [this](const LinkType& l) {
    const int n1 = FindNode(l.Taxon1), n2 = FindNode(l.Taxon2);
    if (n1 < 0 || n2 < 0 || l.MutationCount() == 0) return -1.0;
    return std::hypot(Taxa[n1].X - Taxa[n2].X, Taxa[n1].Y - Taxa[n2].Y) / l.MutationCount();
  };

  double unit = 0;
  double previous = -1;
  int measured = 0;
  for (const LinkType& l : Links) {
    if (!l.Active) continue;
    const double length = perMutation(l);
    if (length < 0) continue;
    ++measured;
    if (previous >= 0 && std::fabs(length - previous) < 1) {
      unit = length;
      break;
    }
    previous = length;
  }
  if (measured == 1 && unit == 0) unit = previous;

  if (link < 1 || link > LinkCount()) return 0;
  const LinkType& l = Links[link - 1];
  if (FindNode(l.Taxon1) < 0 || FindNode(l.Taxon2) < 0) return 0;
  const double own = perMutation(l);
  if (own < 0 || std::fabs(own - unit) <= 2) return unit;
  if (ask &&
      !dialogs().askYesNo("The chosen link is not shown with the correct length.Modify it anyway?"))
    return 0;
  return own;
}

void TDrawNetwork_Diagramm::SplitNetworkAtLink(int link) {
  LinkSides = {};
  if (link < 1 || link > LinkCount()) return;
  const LinkType& cut = Links[link - 1];
  const auto isParallelCopy = [&cut](const LinkType& l) {
    if (!cut.InTorso || !l.InTorso || cut.TorsoPart != l.TorsoPart || cut.TorsoPart >= 100 ||
        cut.Mutations.empty())
      return false;
    const std::string character = cut.Mutations.front().Character.substr(0, 6);
    return std::ranges::any_of(l.Mutations, [&](const MutationType& m) {
      return m.Character.substr(0, 6) == character;
    });
  };

  for (int side = 0; side < 2; ++side) {
    SplitType& nodes = LinkSides[side];
    std::set<std::string> in;
    nodes.push_back(side == 0 ? cut.Taxon1 : cut.Taxon2);
    in.insert(nodes.front());
    for (std::size_t next = 0; next < nodes.size(); ++next) {
      const std::string current = nodes[next];
      for (int k = 0; k < LinkCount(); ++k) {
        const LinkType& l = Links[k];
        if (k == link - 1 || isParallelCopy(l)) continue;
        const std::string* other = l.Taxon1 == current ? &l.Taxon2
                                   : l.Taxon2 == current ? &l.Taxon1 : nullptr;
        if (other && in.insert(*other).second) nodes.push_back(*other);
      }
    }
  }

  // The smaller side is exact; the larger one becomes everything else, so nodes reached from
  // neither end still move with it.
  const int smaller = LinkSides[0].size() <= LinkSides[1].size() ? 0 : 1;
  const std::set<std::string> small(LinkSides[smaller].begin(), LinkSides[smaller].end());
  SplitType& large = LinkSides[1 - smaller];
  large.clear();
  for (const TaxonType& t : Taxa)
    if (!small.contains(t.Name)) large.push_back(t.Name);
}

void TDrawNetwork_Diagramm::RotateLinkSide(int link, int pivot, int grabbed, double dx, double dy) {
  if (link < 1 || link > LinkCount() || pivot < 1 || pivot > NodeCount() || grabbed < 1 ||
      grabbed > NodeCount())
    return;
  if (std::fabs(dx) < 0.01) dx += 0.02;
  double a = std::atan(dy / dx);
  if (dx >= 0 && dy < 0) a += 2 * std::numbers::pi;
  if (dx < 0) a += std::numbers::pi;
  const double u = MutationUnitLength(link, false);
  if (!(u > 0)) return;

  const LinkType& l = Links[link - 1];
  TaxonType& g = Taxa[grabbed - 1];
  const TaxonType& p = Taxa[pivot - 1];
  const double shiftX = p.X + std::cos(a) * l.MutationCount() * u - g.X;
  const double shiftY = p.Y + std::sin(a) * l.MutationCount() * u - g.Y;
  const SplitType& side = LinkSides[g.Name == l.Taxon1 ? 0 : 1];
  const std::set<std::string> moving(side.begin(), side.end());
  for (TaxonType& t : Taxa)
    if (moving.contains(t.Name)) {
      t.X += shiftX;
      t.Y += shiftY;
    }
  if (!moving.contains(g.Name)) {
    g.X += shiftX;
    g.Y += shiftY;
  }
  for (const LinkType& torso : Links) {
    if (!torso.InTorso || torso.MutationCount() < 2 || !moving.contains(torso.Taxon1) ||
        !moving.contains(torso.Taxon2))
      continue;
    for (HelpPointLinkType& h : HelpPointLinks) {
      const bool same = (h.Taxon1 == torso.Taxon1 && h.Taxon2 == torso.Taxon2) ||
                        (h.Taxon1 == torso.Taxon2 && h.Taxon2 == torso.Taxon1);
      if (!same) continue;
      for (HelpPoint& pt : h.Points) {
        pt.X += shiftX;
        pt.Y += shiftY;
      }
    }
  }
}
