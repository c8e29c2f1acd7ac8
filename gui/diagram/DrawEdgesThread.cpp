#include "DrawEdgesThread.h"

#include "Dialogs.h"

#include <cmath>

TDrawEdges::TDrawEdges(TGraphik_Programm& layout) : layout_(layout), d_(layout.Diagram()) {}

void TDrawEdges::Start() {
  pauseRequested_ = false;
  started_ = true;
  layout_.RebuildIndex();
  const int n = d_.NodeCount();
  d_.NodeDone.resize(n, false);
  d_.NodeDistance.resize(n, 0);
  torsoLinks_.clear();
  branchLinks_.clear();
  openNodes_.clear();
  for (int j = 1; j <= d_.LinkCount(); ++j) {
    const LinkType& l = d_.Links[j - 1];
    if (l.Active) (l.InTorso ? torsoLinks_ : branchLinks_).insert(j);
  }
  for (int i = 1; i <= n; ++i)
    if (d_.Taxa[i - 1].Active && !d_.NodeDone[i - 1]) openNodes_.insert(i);
  // The torso was painted with only torso links shown; links it laid out that are not torso
  // links (gates of a free-standing Steiner network) appear once every link is shown.
  TGraphik_Programm::TPaintBatch batch(layout_);
  for (int j : branchLinks_) layout_.PaintLink(j, LayoutDrawOptions(false));
  CheckDone();
}

void TDrawEdges::Stop() { pauseRequested_ = true; }

void TDrawEdges::RunToEnd() {
  Start();
  while (Step()) {
  }
}

int TDrawEdges::FirstOpenEnd(int link) const {
  const LinkType& l = d_.Links[link - 1];
  int best = 0;
  for (const std::string* end : {&l.Taxon1, &l.Taxon2})
    for (int i : layout_.NodesNamed(*end))
      if (d_.Taxa[i - 1].Active && !d_.NodeDone[i - 1] && (best == 0 || i < best)) {
        best = i;
        break;
      }
  return best;
}

namespace {

// The first node open at a link of `links` (index order); links without an open end leave the
// set for good, as nodes are never undone while placing.
template <class F> int FirstOpenOf(std::set<int>& links, F openEnd) {
  while (!links.empty()) {
    const int node = openEnd(*links.begin());
    if (node != 0) return node;
    links.erase(links.begin());
  }
  return 0;
}

}  // namespace

int TDrawEdges::ChooseFirstNode() {
  const int node = FirstOpenOf(torsoLinks_, [this](int j) { return FirstOpenEnd(j); });
  if (node != 0) return node;
  return openNodes_.empty() ? 0 : *openNodes_.begin();
}

int TDrawEdges::ChooseNextNode() {
  return FirstOpenOf(branchLinks_, [this](int j) { return FirstOpenEnd(j); });
}

void TDrawEdges::Activate(int node) {
  layout_.ActivateNode(node);
  if (!d_.NodeDone[node - 1]) openNodes_.insert(node);
}

void TDrawEdges::Expand(int node, bool first) {
  d_.NodeDone[node - 1] = true;
  openNodes_.erase(node);
  const TDrawOptions options = LayoutDrawOptions(false);
  const std::string name = d_.Taxa[node - 1].Name;
  const std::vector<int> links = layout_.LinksAt(name);
  int attempt = 0;
  bool missing = false;
  for (int j : links) {
    LinkType& l = d_.Links[j - 1];
    if (l.Active) continue;
    const int other = layout_.FirstNode(l.Taxon1 == name ? l.Taxon2 : l.Taxon1);
    if (other == 0) {
      missing = true;
      continue;
    }
    l.Active = true;
    (l.InTorso ? torsoLinks_ : branchLinks_).insert(j);
    TaxonType& o = d_.Taxa[other - 1];
    if (!o.Active) {
      Activate(other);
      ++attempt;
      const double angle = layout_.GetNewDirection(attempt, j, first, previousAngle_, node);
      if (first && attempt == 1) previousAngle_ = angle;
      const TaxonType& from = d_.Taxa[node - 1];
      o.X = from.X + std::cos(angle) * l.MutationCount() * layout_.UnitLength;
      o.Y = from.Y + std::sin(angle) * l.MutationCount() * layout_.UnitLength;
      d_.NodeDistance[other - 1] = d_.NodeDistance[node - 1] + l.MutationCount();
      ++placementIndex_;
    }
    // A link whose ends are both placed already is drawn as it stands: nothing moves.
    layout_.PaintLink(j, options);
  }
  if (missing) {
    dialogs().showMessage(" DataSet is corrupt: Missing Taxon in Modul DrawEdges!", DialogKind::Error);
    pauseRequested_ = true;
  }
}

void TDrawEdges::CheckDone() {
  drawingDone_ = openNodes_.empty();
}

bool TDrawEdges::Step() {
  if (!started_) Start();
  if (pauseRequested_ || drawingDone_) return false;
  TGraphik_Programm::TPaintBatch batch(layout_);
  layout_.CurrentNode = 0;
  if (phase_ == Phase::ChooseNext) {
    if (const int node = ChooseNextNode(); node != 0) {
      layout_.CurrentNode = node;
      Expand(node, false);
    } else {
      phase_ = Phase::ChooseFirst;
    }
  }
  if (phase_ == Phase::ChooseFirst && layout_.CurrentNode == 0) {
    if (const int node = ChooseFirstNode(); node != 0) {
      layout_.CurrentNode = node;
      Expand(node, true);
      phase_ = Phase::ChooseNext;
    }
  }
  CheckDone();
  return !drawingDone_ && !pauseRequested_;
}
