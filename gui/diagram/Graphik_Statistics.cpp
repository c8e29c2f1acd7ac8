#include "Graphik_Statistics.h"

#include "UHelp.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace {

std::string Key6(std::string_view text) { return std::string(text.substr(0, 6)); }
std::string Cut8(const std::string& text) { return text.substr(0, 8); }

std::string Right(int value, int width) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%*d", width, value);
  return buffer;
}

bool IsActiveTorsoLink(const LinkType& l) { return l.Active && l.InTorso; }

// The working state of the greedy tree: torso nodes by their 6-character key.
class TreeEstimator {
public:
  explicit TreeEstimator(const TNetwork_Diagramm& d) : d_(d) {
    for (const LinkType& l : d_.Links) {
      if (!l.Active) continue;
      if (l.InTorso) {
        AddTorsoNode(Key6(l.Taxon1));
        AddTorsoNode(Key6(l.Taxon2));
      } else {
        nonTorsoEnds_.insert(Key6(l.Taxon1));
        nonTorsoEnds_.insert(Key6(l.Taxon2));
      }
    }
  }

  TTreeLengthEstimate Run() {
    TTreeLengthEstimate result;
    SelectInitial();
    if (selected_.empty()) return result;  // no active torso link at all
    if (!Grow()) {
      result.Failed = true;
      return result;
    }
    Prune();
    for (int link : selected_) result.Length += d_.Links[link].MutationCount();
    for (int link : selected_) result.Links.push_back(link + 1);
    return result;
  }

private:
  void AddTorsoNode(const std::string& key) {
    if (torsoSet_.insert(key).second) torsoNodes_.push_back(key);
  }
  bool Attached(const std::string& key) const {
    return torsoSet_.contains(key) && nonTorsoEnds_.contains(key);
  }
  static bool Median(const std::string& key) { return IsMedianName(key); }
  std::string End1(int link) const { return Key6(d_.Links[link].Taxon1); }
  std::string End2(int link) const { return Key6(d_.Links[link].Taxon2); }

  void Select(int link) {
    selected_.push_back(link);
    isSelected_[link] = true;
    ++selectedEnds_[End1(link)];
    ++selectedEnds_[End2(link)];
  }

  void SelectInitial() {
    isSelected_.assign(d_.Links.size(), false);
    int bestTaxon = -1, bestMedian = -1;
    for (std::size_t i = 0; i < d_.Links.size(); ++i) {
      const LinkType& l = d_.Links[i];
      if (!IsActiveTorsoLink(l)) continue;
      const bool bothMedian = Median(End1(i)) && Median(End2(i));
      int& best = bothMedian ? bestMedian : bestTaxon;
      if (best < 0 || l.MutationCount() < d_.Links[best].MutationCount())
        best = static_cast<int>(i);
    }
    for (std::size_t i = 0; i < d_.Links.size(); ++i) {
      const LinkType& l = d_.Links[i];
      if (!IsActiveTorsoLink(l)) continue;
      const int link = static_cast<int>(i);
      if (l.TorsoPart == 100) {
        Select(link);
        continue;
      }
      if (l.MutationCount() != 1) continue;
      const std::string a = End1(link), b = End2(link);
      const bool taxonA = !Median(a), taxonB = !Median(b);
      const bool attachedA = Attached(a), attachedB = Attached(b);
      const bool qualifies = (taxonA && taxonB) || (attachedA && attachedB) ||
                             (attachedA && taxonB) || (attachedB && taxonA);
      if (qualifies && (!selectedEnds_.contains(a) || !selectedEnds_.contains(b))) Select(link);
    }
    if (selected_.empty()) {
      if (bestTaxon >= 0) Select(bestTaxon);
      else if (bestMedian >= 0) Select(bestMedian);
    }
  }

  // Joins the torso nodes; false when some cannot be reached through active torso links.
  bool Grow() {
    tree_.insert(End1(selected_.front()));
    tree_.insert(End2(selected_.front()));
    int maxMutations = 0;
    for (const LinkType& l : d_.Links)
      if (IsActiveTorsoLink(l)) maxMutations = std::max(maxMutations, l.MutationCount());
    for (;;) {
      for (bool added = true; added;) {
        added = false;
        for (int link : selected_) {
          const bool in1 = tree_.contains(End1(link)), in2 = tree_.contains(End2(link));
          if (in1 != in2) {
            tree_.insert(in1 ? End2(link) : End1(link));
            added = true;
          }
        }
      }
      if (std::all_of(torsoNodes_.begin(), torsoNodes_.end(),
                      [&](const std::string& n) { return tree_.contains(n); }))
        return true;
      // No link with a larger count exists, so growth that finds nothing up to the largest count
      // can never join the rest. A link without mutations costs nothing and is tried first.
      int next = -1;
      for (int k = 0; k <= maxMutations && next < 0; ++k) next = NextLink(k);
      if (next < 0) return false;
      Select(next);
    }
  }

  // The link of k mutations that the growth takes next: both ends taxa, else a new taxon, else a
  // new median vector; -1 when no candidate has k mutations.
  int NextLink(int k) const {
    int newTaxon = -1, newMedian = -1;
    for (std::size_t i = 0; i < d_.Links.size(); ++i) {
      const LinkType& l = d_.Links[i];
      if (!IsActiveTorsoLink(l) || l.MutationCount() != k || isSelected_[i]) continue;
      const int link = static_cast<int>(i);
      const bool in1 = tree_.contains(End1(link)), in2 = tree_.contains(End2(link));
      if (in1 == in2) continue;
      const std::string& newEnd = in1 ? End2(link) : End1(link);
      const std::string& innerEnd = in1 ? End1(link) : End2(link);
      if (!Median(newEnd) && !Median(innerEnd)) return link;
      if (!Median(newEnd)) {
        if (newTaxon < 0) newTaxon = link;
      } else if (newMedian < 0) {
        newMedian = link;
      }
    }
    return newTaxon >= 0 ? newTaxon : newMedian;
  }

  // Drops median-vector leaves that hang on no other selected link and carry no branch.
  void Prune() {
    for (bool dropped = true; dropped;) {
      dropped = false;
      for (std::size_t s = 0; s < selected_.size();) {
        const int link = selected_[s];
        const auto droppable = [&](const std::string& end) {
          return Median(end) && selectedEnds_[end] == 1 && !Attached(end);
        };
        if (droppable(End1(link)) || droppable(End2(link))) {
          --selectedEnds_[End1(link)];
          --selectedEnds_[End2(link)];
          isSelected_[link] = false;
          selected_.erase(selected_.begin() + static_cast<std::ptrdiff_t>(s));
          dropped = true;
        } else {
          ++s;
        }
      }
    }
  }

  const TNetwork_Diagramm& d_;
  std::vector<std::string> torsoNodes_;
  std::unordered_set<std::string> torsoSet_, nonTorsoEnds_, tree_;
  std::vector<int> selected_;  // 0-based link indices in order of selection
  std::vector<bool> isSelected_;
  std::unordered_map<std::string, int> selectedEnds_;  // key -> number of selected links at it
};

}  // namespace

std::vector<TCharacterRow> CharacterTable(const TNetwork_Diagramm& d) {
  std::vector<TCharacterRow> rows;
  std::unordered_map<std::string, std::size_t> rowOf;  // 6-character key -> row
  for (const LinkType& l : d.Links) {
    if (!l.Active) continue;
    for (const MutationType& m : l.Mutations) {
      const auto [it, added] = rowOf.try_emplace(Key6(m.Character), rows.size());
      if (added) rows.push_back({Cut8(m.Character), Cut8(m.Name), 1});
      else ++rows[it->second].Count;
    }
  }
  std::stable_sort(rows.begin(), rows.end(), [](const TCharacterRow& a, const TCharacterRow& b) {
    return a.Count > b.Count;
  });
  return rows;
}

std::string CharacterLine(const TCharacterRow& row) {
  std::string name = row.Name;
  name.resize(8, ' ');
  return name + " : " + Right(row.Count, 3);
}

TTreeLengthEstimate TreeLengthStatistics(const TNetwork_Diagramm& d) {
  return TreeEstimator(d).Run();
}

int SteinerTorsoMutationSum(const TNetwork_Diagramm& d) {
  if (d.SteinerTrees.empty()) return 0;
  int sum = 0;
  for (int link : d.SteinerTrees.front())
    if (link >= 1 && link <= d.LinkCount() && d.Links[link - 1].InTorso)
      sum += d.Links[link - 1].MutationCount();
  return sum;
}

std::string StatisticsLongEdgesWarning() {
  return std::string("Warning: The chosen out-file includes link(s) containing more than ") +
         "1000" + " mutations." + " As a conseqence, the statistics option will not" +
         " work correctly. You have to modify the results by" +
         " adding the missing mutations of this (these) link(s)" + " manually.";
}

TNetworkStatistics::TNetworkStatistics(const TNetwork_Diagramm& d) {
  int outside = 0, activeTaxa = 0, activeHaplotypes = 0;
  for (const LinkType& l : d.Links)
    if (l.Active && !l.InTorso) outside += l.MutationCount();
  for (const TaxonType& t : d.Taxa) {
    if (!t.Active) continue;
    activeTaxa += t.Frequency;
    if (t.Frequency > 0) ++activeHaplotypes;
  }

  int torso = 0;
  std::string torsoCaption, totalCaption;
  if (d.SteinerTreeCount() != 0) {
    torsoCaption = "Number of mutations of steiner tree within the torso:";
    totalCaption = "Number of mutations of steiner tree: ";
    torso = SteinerTorsoMutationSum(d);
  } else {
    torsoCaption = "Estimated number of mutations of shortest tree within the torso:";
    totalCaption = "Estimated number of mutations of shortest tree: ";
    const TTreeLengthEstimate estimate = TreeLengthStatistics(d);
    torso = estimate.Length;
    TreeLengthFailed = estimate.Failed;
  }

  const auto orText = [](int value, const char* below1) {
    return value < 1 ? std::string(below1) : Right(value, 5);
  };
  Lines = {{
      {"Total number of mutations disregarding the torso   :", Right(outside, 5)},
      {torsoCaption, Right(torso, 5)},
      {totalCaption, Right(torso + outside, 5)},
      {"Weighted length of Steiner tree(s):", orText(d.SteinerLength, "n/a")},
      {"Total number of taxa: ", orText(d.TotalTaxa, "?")},
      {"Number of active taxa: ", Right(activeTaxa, 5)},
      {"Total number of haplotypes:", orText(d.TotalHaplotypes, "?")},
      {"Number of active haplotypes:", Right(activeHaplotypes, 5)},
  }};
  Characters = CharacterTable(d);
  HasLongEdges = d.LongEdges > 0;
}

std::string TNetworkStatistics::StaText() const {
  std::string text;
  const auto line = [&](const std::string& s) { text += s + "\r\n"; };
  if (HasLongEdges) line(StatisticsLongEdgesWarning());
  for (const TStatisticsLine& l : Lines) line(l.Caption + l.Value);
  line("");
  line("Maximum number of mutations at character");
  for (const TCharacterRow& row : Characters) line(CharacterLine(row));
  return text;
}

bool WriteStaFile(const TNetworkStatistics& statistics, const std::string& fileName,
                  std::string* error) {
  if (WriteWholeFile(fileName, statistics.StaText())) return true;
  if (error) *error = "Cannot write the file " + fileName + ".";
  return false;
}
