#include "Graphik_Programm.h"

#include "Dialogs.h"
#include "Graphik_LayoutInternal.h"

#include <algorithm>
#include <cmath>
#include <numbers>

using layoutdetail::Prefix6;

const std::vector<int> TGraphik_Programm::Impl::kNone;

namespace {

constexpr double kPi = std::numbers::pi;

}  // namespace

bool SameDirection(const std::string& a, const std::string& b) {
  if (Prefix6(a) != Prefix6(b)) return false;
  if (a.size() != 8 || b.size() != 8) return true;
  return (a[6] == b[6] && a[7] == b[7]) || (a[6] == b[7] && a[7] == b[6]);
}

double AttemptOffset(int attempt) {
  const int k = attempt / 2;
  return attempt % 2 == 1 ? 0.2 * k : -0.2 * k;
}

TDrawOptions LayoutDrawOptions(bool onlyTorso) {
  TDrawOptions o;
  o.ShowNodeNames = false;
  o.NodesProportional = false;
  o.ShowOnlyTorso = onlyTorso;
  o.ShowMedians = true;
  o.ShowMedianNames = false;
  o.ShowCharacters = false;
  o.MinRadius = 4;
  o.MaxRadius = 4;
  o.MedRadius = 3;
  return o;
}

bool AskModifyTorso() {
  return dialogs().askYesNo("The torso has been completed. Do you wish to modify the torso?");
}

TGraphik_Programm::TGraphik_Programm(TDrawNetwork_Diagramm& diagram, QImage& surface)
    : impl_(std::make_unique<Impl>()), diagram_(diagram), surface_(surface) {
  impl_->drawLookup = std::make_unique<TLinkLookup>(diagram_);
  // The pixel sampling reads 32-bit scan lines.
  if (surface_.format() != QImage::Format_RGB32 && surface_.format() != QImage::Format_ARGB32 &&
      surface_.format() != QImage::Format_ARGB32_Premultiplied)
    surface_.convertTo(QImage::Format_RGB32);
}

TGraphik_Programm::~TGraphik_Programm() = default;

// ---- lookups ---------------------------------------------------------------------------------

void TGraphik_Programm::RebuildIndex() {
  Impl& m = *impl_;
  m.nodesOfName.clear();
  m.linksAt.clear();
  const int n = diagram_.NodeCount();
  m.activeCount = 0;
  for (int i = 0; i < n; ++i) {
    m.nodesOfName[diagram_.Taxa[i].Name].push_back(i + 1);
    if (diagram_.Taxa[i].Active) ++m.activeCount;
  }
  for (int j = 0; j < diagram_.LinkCount(); ++j) {
    const LinkType& l = diagram_.Links[j];
    m.linksAt[l.Taxon1].push_back(j + 1);
    if (l.Taxon2 != l.Taxon1) m.linksAt[l.Taxon2].push_back(j + 1);
  }
  m.drawLookup = std::make_unique<TLinkLookup>(diagram_);
  m.endOfLink.assign(n, false);
  m.endOfTorsoLink.assign(n, false);
  m.nodeParts.assign(n, {});
  for (int i = 0; i < n; ++i) {
    const auto it = m.linksAt.find(diagram_.Taxa[i].Name);
    if (it == m.linksAt.end()) continue;
    m.endOfLink[i] = true;
    for (int j : it->second) {
      const LinkType& l = diagram_.Links[j - 1];
      if (l.InTorso) m.endOfTorsoLink[i] = true;
      std::vector<std::uint8_t>& parts = m.nodeParts[i];
      if (std::find(parts.begin(), parts.end(), l.TorsoPart) == parts.end()) parts.push_back(l.TorsoPart);
    }
  }
}

const std::vector<int>& TGraphik_Programm::NodesNamed(const std::string& name) const {
  const auto it = impl_->nodesOfName.find(name);
  return it == impl_->nodesOfName.end() ? Impl::kNone : it->second;
}

const std::vector<int>& TGraphik_Programm::LinksAt(const std::string& name) const {
  const auto it = impl_->linksAt.find(name);
  return it == impl_->linksAt.end() ? Impl::kNone : it->second;
}

int TGraphik_Programm::FirstNode(const std::string& name) const {
  const std::vector<int>& v = NodesNamed(name);
  return v.empty() ? 0 : v.front();
}

int TGraphik_Programm::LastNode(const std::string& name) const {
  const std::vector<int>& v = NodesNamed(name);
  return v.empty() ? 0 : v.back();
}

bool TGraphik_Programm::AnyActiveNamed(const std::string& name) const {
  for (int i : NodesNamed(name))
    if (diagram_.Taxa[i - 1].Active) return true;
  return false;
}

void TGraphik_Programm::ActivateNode(int node) {
  TaxonType& t = diagram_.Taxa[node - 1];
  if (t.Active) return;
  t.Active = true;
  ++impl_->activeCount;
}

int TGraphik_Programm::ActiveNodeCount() const { return impl_->activeCount; }

void TGraphik_Programm::ResetNodeDone() {
  const int n = diagram_.NodeCount();
  diagram_.NodeDone.assign(n, false);
  diagram_.NodeDistance.resize(n, 0);
  for (int i = 0; i < n; ++i) diagram_.NodeDone[i] = !impl_->endOfLink[i];
}

// ---- painting --------------------------------------------------------------------------------

TGraphik_Programm::TPaintBatch::TPaintBatch(TGraphik_Programm& layout) : layout_(layout) {
  ++layout_.impl_->batchDepth;
}

TGraphik_Programm::TPaintBatch::~TPaintBatch() {
  if (--layout_.impl_->batchDepth == 0) layout_.impl_->canvas.reset();
}

namespace {

TCanvas& CanvasOf(std::unique_ptr<TQtCanvas>& canvas, QImage& surface) {
  if (!canvas) canvas = std::make_unique<TQtCanvas>(surface);
  return *canvas;
}

}  // namespace

void TGraphik_Programm::Repaint(const TDrawOptions& options) {
  TPaintBatch batch(*this);
  impl_->canvas.reset();  // fill() must not run under an open painter
  surface_.fill(Qt::white);
  DrawDiagram(diagram_, CanvasOf(impl_->canvas, surface_), Width(), Height(), options);
  if (OnPainted) OnPainted();
}

void TGraphik_Programm::PaintLink(int link, const TDrawOptions& o) {
  const LinkType& l = diagram_.Links[link - 1];
  if (!IsLinkDrawn(l, o)) return;
  const int n1 = FirstNode(l.Taxon1), n2 = FirstNode(l.Taxon2);
  if (n1 == 0 || n2 == 0) return;
  TPaintBatch batch(*this);
  TCanvas& canvas = CanvasOf(impl_->canvas, surface_);
  DrawLink(diagram_, canvas, l, *impl_->drawLookup, Width(), Height());
  // Nodes lie on top of links in the full picture.
  for (int n : {n1, n2}) {
    const TaxonType& t = diagram_.Taxa[n - 1];
    if (t.Active && (!o.ShowOnlyTorso || impl_->endOfTorsoLink[n - 1]))
      DrawNode(diagram_, canvas, t, Width(), Height(), o);
  }
  if (OnPainted) OnPainted();
}

// ---- centre and unit -------------------------------------------------------------------------

void TGraphik_Programm::FindCentre() {
  const std::vector<LinkType>& links = diagram_.Links;
  const int count = diagram_.LinkCount();
  std::string centreName;
  CentreDegree = 0;
  FirstTorsoPart = 0;

  // For link i, each end name (cut to 6) counts 1 plus every later qualifying link touching it
  // (once per matching end) and takes the part of the last of them. Counted backwards in one
  // sweep: `later` holds, per name, the touches of the links after i and the part of the last.
  // Every link takes part, the last one too, so a one-link network has a centre.
  const auto scan = [&](bool torsoOnly) {
    struct Later {
      int touches = 0;
      int part = -1;
    };
    std::unordered_map<std::string, Later> later;
    std::vector<std::array<std::pair<int, int>, 2>> counts(count);
    for (int i = count - 1; i >= 0; --i) {
      const LinkType& l = links[i];
      if (!torsoOnly || l.InTorso) {
        const std::string names[2] = {l.Taxon1.substr(0, 6), l.Taxon2.substr(0, 6)};
        for (int e = 0; e < 2; ++e) {
          const auto it = later.find(names[e]);
          counts[i][e] = it == later.end() ? std::pair{1, 0}
                                           : std::pair{1 + it->second.touches, std::max(0, it->second.part)};
        }
      }
      if (!torsoOnly || (l.InTorso && l.TorsoPart < 100)) {
        for (const std::string* name : {&l.Taxon1, &l.Taxon2}) {
          Later& entry = later[*name];
          ++entry.touches;
        }
        // The part comes from the highest-index link touching the name: set it once, going down.
        for (const std::string* name : {&l.Taxon1, &l.Taxon2}) {
          Later& entry = later[*name];
          if (entry.part < 0) entry.part = l.TorsoPart;
        }
      }
    }
    for (int i = 0; i < count; ++i) {
      const LinkType& l = links[i];
      if (torsoOnly && !l.InTorso) continue;
      const std::string names[2] = {l.Taxon1.substr(0, 6), l.Taxon2.substr(0, 6)};
      for (int e = 0; e < 2; ++e)
        if (counts[i][e].first > CentreDegree) {
          centreName = names[e];
          CentreDegree = counts[i][e].first;
          FirstTorsoPart = torsoOnly ? counts[i][e].second : 0;
        }
    }
  };
  scan(true);
  if (CentreDegree == 0) scan(false);

  CentreNode = FirstNode(centreName);
  if (CentreNode == 0) {
    // The centre's name names no node: start from the first end of a link that does.
    for (const LinkType& l : links) {
      CentreNode = FirstNode(l.Taxon1);
      if (CentreNode == 0) CentreNode = FirstNode(l.Taxon2);
      if (CentreNode != 0) break;
    }
    if (CentreDegree == 0 && CentreNode != 0) CentreDegree = 1;
  }
}

void TGraphik_Programm::CountTorsoDirections() {
  std::set<std::string> names;
  for (const LinkType& l : diagram_.Links)
    if (l.InTorso)
      for (const MutationType& m : l.Mutations) names.insert(m.Character);
  DirectionCount = static_cast<int>(names.size()) + 8;
}

void TGraphik_Programm::ComputeUnitLength() {
  const int links = diagram_.LinkCount();
  UnitLength = links == 0 ? 0 : (Width() + Height()) * 1.5 / links;
  UnitLength = std::clamp(UnitLength, 10.0, 40.0);
}

// ---- torso -----------------------------------------------------------------------------------

namespace {

// Places a node and, during a torso pass, widens the box of placed nodes (every node from the
// second on, as the full box computation counts them).
void PlaceNode(TDrawNetwork_Diagramm& d, TGraphik_Programm::Impl& m, int node, double x, double y) {
  TaxonType& t = d.Taxa[node - 1];
  t.X = x;
  t.Y = y;
  if (node >= 2) {
    m.boxMinX = std::min(m.boxMinX, x);
    m.boxMaxX = std::max(m.boxMaxX, x);
    m.boxMinY = std::min(m.boxMinY, y);
    m.boxMaxY = std::max(m.boxMaxY, y);
  }
}

void AddCandidate(TDrawNetwork_Diagramm& d, TGraphik_Programm::Impl& m, int node) {
  for (std::uint8_t part : m.nodeParts[node - 1])
    m.partCandidates[part].insert({d.NodeDistance[node - 1], node});
}

}  // namespace

void TGraphik_Programm::torso_New() {
  TPaintBatch batch(*this);
  Impl& m = *impl_;
  TDrawNetwork_Diagramm& d = diagram_;
  const int n = d.NodeCount();
  d.NodeDone.assign(n, false);
  d.NodeDistance.assign(n, 0);
  for (TaxonType& t : d.Taxa) t.Active = false;
  for (LinkType& l : d.Links) l.Active = false;
  d.HelpPointLinks.clear();
  m.drawLookup->ClearHelpPointLinks();
  m.activeCount = 0;
  for (auto& s : m.partCandidates) s.clear();
  UsedDirections.clear();
  m.usedByPrefix.clear();
  CurrentPart = FirstTorsoPart;
  if (CentreNode == 0) {
    Repaint(LayoutDrawOptions(true));
    return;
  }

  TaxonType& centre = d.Taxa[CentreNode - 1];
  centre.X = d.DiagramCenter.X;
  centre.Y = d.DiagramCenter.Y;
  m.boxMinX = m.boxMaxX = centre.X;
  m.boxMinY = m.boxMaxY = centre.Y;
  ActivateNode(CentreNode);
  AddCandidate(d, m, CentreNode);
  Repaint(LayoutDrawOptions(true));

  Directions.assign(DirectionCount, {});
  for (int k = 1; k <= DirectionCount; ++k)
    Directions[k - 1].Angle = k * kPi / DirectionCount + (k % 2 == 0 ? kPi : 0.0);

  m.passes = 0;
  CurrentNode = 0;
  bool found = false, progress = false;
  do {
    progress = false;
    for (;;) {
      // ChooseNextNode: the nearest open node of the current part (lowest index among equals);
      // with none, the previous node is expanded again, which lays out nothing new unless it
      // also ends links of the newly chosen part.
      auto& candidates = m.partCandidates[CurrentPart];
      while (!candidates.empty() && d.NodeDone[candidates.begin()->second - 1])
        candidates.erase(candidates.begin());
      const bool chose = !candidates.empty();
      if (chose) {
        CurrentNode = candidates.begin()->second;
        candidates.erase(candidates.begin());
      }
      BoxCentre = {RoundEven((m.boxMinX + m.boxMaxX) * 0.5), RoundEven((m.boxMinY + m.boxMaxY) * 0.5)};
      ++m.passes;
      const int before = m.activeCount;
      if (CurrentNode != 0) {
        d.NodeDone[CurrentNode - 1] = true;
        ExpandTorsoNode();
      }
      progress = progress || chose || m.activeCount > before;
      if (m.activeCount == m.passes) break;
      if (!chose && m.activeCount == before) {
        // Nothing to choose and nothing laid out: the passes that would follow only count up
        // to the number of active nodes.
        m.passes = std::max(m.passes, m.activeCount);
        break;
      }
      // More passes than active nodes would never meet the count again.
      if (m.passes > m.activeCount) break;
    }
    // A new part to lay out counts as progress; choosing the same part again without anything
    // having changed would repeat the same passes for ever.
    const int beforeGates = m.activeCount, partBefore = CurrentPart;
    found = gates_New();
    progress = progress || m.activeCount > beforeGates || CurrentPart != partBefore;
  } while (found && progress);
}

void TGraphik_Programm::ExpandTorsoNode() {
  TDrawNetwork_Diagramm& d = diagram_;
  const std::string name = d.Taxa[CurrentNode - 1].Name;
  // Copied: laying out does not change the lookups, but keeps the loop independent of them.
  const std::vector<int> links = LinksAt(name);
  for (int j : links) {
    const LinkType& l = d.Links[j - 1];
    if (l.TorsoPart != CurrentPart || !l.InTorso) continue;
    // The parallel links follow a link that placed its other end: the two links of a square are
    // laid out one after the other.
    for (int next = j; next != 0 && LayOutTorsoLink(next);) next = NextParallelLink(next);
  }
}

int TGraphik_Programm::NextParallelLink(int link) const {
  const TDrawNetwork_Diagramm& d = diagram_;
  const LinkType& l = d.Links[link - 1];
  if (l.MutationCount() != 1) return 0;
  const std::string& current = d.Taxa[CurrentNode - 1].Name;
  const std::string& other = l.Taxon1 == current ? l.Taxon2 : l.Taxon1;
  const auto single = [&](int j) {
    const LinkType& c = d.Links[j - 1];
    return j != link && c.MutationCount() == 1 && c.InTorso;
  };
  // Candidates at the current node: the last one per mutation.
  std::unordered_map<std::string, int> lastCandidate;
  for (int j : LinksAt(current))
    if (single(j) && !d.Links[j - 1].Active) lastCandidate[d.Links[j - 1].Mutations[0].Character] = j;
  if (lastCandidate.empty()) return 0;
  for (int i : LinksAt(other)) {
    if (!single(i)) continue;
    const auto it = lastCandidate.find(d.Links[i - 1].Mutations[0].Character);
    if (it != lastCandidate.end()) return it->second;
  }
  return 0;
}

int TGraphik_Programm::FindUsedDirection(const std::string& key) const {
  const auto it = impl_->usedByPrefix.find(Prefix6(key));
  if (it == impl_->usedByPrefix.end()) return -1;
  for (auto e = it->second.rbegin(); e != it->second.rend(); ++e)
    if (SameDirection(UsedDirections[*e].MutationName, key)) return *e;
  return -1;
}

void TGraphik_Programm::AddUsedDirection(const std::string& key, double angle) {
  impl_->usedByPrefix[Prefix6(key)].push_back(static_cast<int>(UsedDirections.size()));
  UsedDirections.push_back({key.substr(0, 8), angle});
}

void TGraphik_Programm::ClearUsedDirections() {
  UsedDirections.clear();
  impl_->usedByPrefix.clear();
  for (DirectionSlot& s : Directions) s.Used = false;
}

bool TGraphik_Programm::LayOutTorsoLink(int link) {
  Impl& m = *impl_;
  TDrawNetwork_Diagramm& d = diagram_;
  LinkType& l = d.Links[link - 1];
  const TaxonType& from = d.Taxa[CurrentNode - 1];
  const std::string& otherName = l.Taxon1 == from.Name ? l.Taxon2 : l.Taxon1;
  const int other = LastNode(otherName);
  if (other == 0) return false;  // a link naming no node stays out of the picture
  const bool wasActive = d.Taxa[other - 1].Active;
  const bool wasDone = d.NodeDone[other - 1];
  if (wasActive) {
    // Both ends placed (the closing link of a cycle): drawn, nothing moves.
    if (!l.Active) {
      l.Active = true;
      PaintLink(link, LayoutDrawOptions(true));
    }
    return false;
  }
  ActivateNode(other);
  l.Active = true;
  if (!wasDone) {
    double x = from.X, y = from.Y;
    bool firstNew = true;
    int slot = 0;
    int help = -1;
    const int count = l.MutationCount();
    for (int k = 1; k <= count; ++k) {
      const std::string& key = l.Mutations[k - 1].Character;
      const int usedIndex = FindUsedDirection(key);
      double angle;
      if (usedIndex < 0) {
        if (firstNew) {
          slot = richtung_best_New(m.passes);
          firstNew = false;
        }
        angle = Directions[slot - 1].Angle;
        AddUsedDirection(key, angle);
        Directions[slot - 1].Used = true;
      } else {
        angle = UsedDirections[usedIndex].Angle;
        if (count == 1 && key.size() >= 8 && key[7] != ' ' && HasParallelAtCurrent(link)) angle += kPi / 3;
      }
      x += std::cos(angle) * UnitLength;
      y += std::sin(angle) * UnitLength;
      if (k < count) {
        if (help < 0) {
          help = d.HelpPointLinkCount();
          d.HelpPointLinks.push_back({from.Name, otherName, {}});
          m.drawLookup->AddHelpPointLink(d, help);
        }
        d.HelpPointLinks[help].Points.push_back({x, y});
      }
    }
    PlaceNode(d, m, other, x, y);
    d.NodeDistance[other - 1] = d.NodeDistance[CurrentNode - 1] + count;
    AddCandidate(d, m, other);
  }
  PaintLink(link, LayoutDrawOptions(true));
  return !wasDone;
}

bool TGraphik_Programm::HasParallelAtCurrent(int link) const {
  const TDrawNetwork_Diagramm& d = diagram_;
  const std::string& current = d.Taxa[CurrentNode - 1].Name;
  const std::string& character = d.Links[link - 1].Mutations[0].Character;
  for (int j : LinksAt(current)) {
    const LinkType& c = d.Links[j - 1];
    if (j == link || c.Mutations.empty() || c.Mutations[0].Character != character) continue;
    for (const std::string* end : {&c.Taxon1, &c.Taxon2})
      if (*end != current && AnyActiveNamed(*end)) return true;
  }
  return false;
}

int TGraphik_Programm::richtung_best_New(int mode) {
  const TDrawNetwork_Diagramm& d = diagram_;
  if (Directions.empty()) return 0;
  const TaxonType& node = d.Taxa[CurrentNode - 1];
  double target;
  if (mode == 1) {
    target = (2.0 * ActiveNodeCount() - 2) * kPi / std::max(1, CentreDegree);
  } else {
    double dx = node.X - BoxCentre.X;
    if (std::abs(dx) < 0.001) dx += 0.002;
    const double dy = node.Y - BoxCentre.Y;
    target = std::atan(dy / dx);
    if (dx < 0) target += kPi;
    else if (dy < 0) target += 2 * kPi;
  }
  const int offX = d.ImageOffsetX(), offY = d.ImageOffsetY();
  const int rMax = RoundEven(2 * UnitLength);
  const int px0 = RoundEven(node.X - 1), px1 = RoundEven(node.X + 1);
  const int py0 = RoundEven(node.Y - 1), py1 = RoundEven(node.Y + 1);
  const layoutdetail::TPixelSampler pixels(surface_);
  const int width = pixels.Width(), height = pixels.Height();

  // Every slot used: the marks are cleared and the search repeated.
  for (int round = 0; round < 2; ++round) {
    int best = 0, bestHits = 32000;
    double bestGap = 2 * kPi;
    for (int f = 1; f <= DirectionCount; ++f) {
      const DirectionSlot& slot = Directions[f - 1];
      if (slot.Used) continue;
      int hits = 0;
      if (mode >= 2) {
        const double c = std::cos(slot.Angle), s = std::sin(slot.Angle);
        for (int r = 6; r <= rMax && hits < bestHits + 3; ++r) {
          const int ru = layoutdetail::RoundPixel(r * c), rv = layoutdetail::RoundPixel(r * s);
          for (int px = px0; px <= px1; ++px)
            for (int py = py0; py <= py1; ++py) {
              const int u = px + ru, v = py + rv;
              if (u > 0 && u + offX <= width && v > 0 && v + offY < height - 10 &&
                  !pixels.IsWhite(u + offX, v + offY))
                ++hits;
            }
        }
      }
      const double gap = std::abs(slot.Angle - target);
      if (hits <= bestHits + 2 && (gap < bestGap || hits < bestHits)) {
        best = f;
        bestHits = hits;
        bestGap = gap;
      }
      if (bestHits <= 3 && bestGap < 0.1) break;
    }
    if (best != 0) return best;
    for (DirectionSlot& s : Directions) s.Used = false;
  }
  return 1;
}

// ---- gates -----------------------------------------------------------------------------------

bool TGraphik_Programm::gates_New() {
  TDrawNetwork_Diagramm& d = diagram_;
  bool found = false;
  ClearUsedDirections();
  std::vector<int> gateLinks;
  for (int j = 1; j <= d.LinkCount(); ++j)
    if (d.Links[j - 1].TorsoPart == 100) gateLinks.push_back(j);

  for (bool laid = true; laid;) {
    laid = false;
    for (int j : gateLinks) {
      LinkType& l = d.Links[j - 1];
      if (l.Active) continue;
      const int n1 = FirstNode(l.Taxon1), n2 = FirstNode(l.Taxon2);
      if (n1 == 0 || n2 == 0) continue;
      const bool a1 = d.Taxa[n1 - 1].Active, a2 = d.Taxa[n2 - 1].Active;
      if (!a1 && !a2) continue;
      l.Active = true;
      laid = true;
      if (a1 && a2) {
        // Both ends placed: drawn as it stands.
        PaintLink(j, LayoutDrawOptions(true));
        continue;
      }
      const int placed = a1 ? n1 : n2, fresh = a1 ? n2 : n1;
      CurrentNode = placed;
      const int slot = richtung_best_New(5);
      const double angle = Directions[slot - 1].Angle;
      AddUsedDirection("", angle);
      Directions[slot - 1].Used = true;
      const TaxonType& from = d.Taxa[placed - 1];
      const double length = l.MutationCount() * UnitLength;
      ActivateNode(fresh);
      PlaceNode(d, *impl_, fresh, from.X + std::cos(angle) * length, from.Y + std::sin(angle) * length);
      d.NodeDistance[fresh - 1] = l.MutationCount() + d.NodeDistance[placed - 1];
      AddCandidate(d, *impl_, fresh);
      found = true;
      PaintLink(j, LayoutDrawOptions(true));
    }
  }
  ClearUsedDirections();

  CurrentPart = 0;
  for (const LinkType& l : d.Links) {
    if (CurrentPart != 0) break;
    if (!l.InTorso || l.TorsoPart >= 100) continue;
    const bool a1 = AnyActiveNamed(l.Taxon1), a2 = AnyActiveNamed(l.Taxon2);
    if (a1 != a2) {
      found = true;
      CurrentPart = l.TorsoPart;
    }
  }
  return found;
}

// ---- the whole run ---------------------------------------------------------------------------

bool TGraphik_Programm::zeichnung_New() {
  TPaintBatch batch(*this);
  RebuildIndex();
  FindCentre();
  CountTorsoDirections();
  ComputeUnitLength();
  if (CentreNode == 0) return false;

  torso_New();
  aeste_zeichnen_NEW();
  FitDiagramToImage();
  dialogs().showMessage("Diagram is not adapted to the screen. It will be redrawn.");
  torso_New();

  ComputeBoxCentre();
  ResetNodeDone();
  return true;
}
