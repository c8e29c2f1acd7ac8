#include "Star_contraction.h"

#include "Dialogs.h"
#include "Median_joining.h"
#include "OutFile.h"
#include "Reduced_median.h"
#include "UHelp.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <unordered_set>

using outfile::RightJustify;

namespace sc_messages {
std::string ContinueQuestion(int remaining) {
  return "There are " + RightJustify(remaining, 4) + " taxa left. Should the contraction" +
         " be continued?";
}
std::string FinishedMessage(int remaining) {
  return "Have finished star contraction. There are " + std::to_string(remaining) + " taxa left.";
}
std::string CannotWrite(const std::string& fileName) {
  return "The file " + fileName + " could not be written.";
}
}  // namespace sc_messages

bool LoadStarDataSet(Trdf_DataSet& data, const std::string& fileName, bool aminoAcids,
                     bool checkNames, bool showMessages) {
  // Reading for star contraction differs from reading for median joining only in the blanks
  // removed from the names (the two tags show the same messages).
  TDataSetReading how = MJReading(aminoAcids, showMessages, checkNames);
  how.RemoveBlanks = true;
  return ReadDataSet(data, fileName, how);
}

// ---------------------------------------------------------------------------------------------

int TStar::MemberCount() const {
  std::size_t k = 0;
  for (const auto& c : classes) k += c.size();
  return static_cast<int>(k);
}

void TStar::Clear() {
  for (auto& c : classes) c.clear();
}

namespace {

// The distances of sequences 1..size, each computed once when first asked for, while the table
// stays small; beyond that every distance is computed when asked.
class DistanceTable {
public:
  DistanceTable(const Trdf_DataSet& data, int size) : data_(data), size_(size) {
    if (size <= CachedUpTo) table_.assign(static_cast<std::size_t>(size + 1) * (size + 1), -1);
  }
  int operator()(int a, int b) {
    if (table_.empty() || a > size_ || b > size_) return data_.UnweightedDistance(a, b, true);
    int& v = table_[static_cast<std::size_t>(a) * (size_ + 1) + b];
    if (v < 0) v = table_[static_cast<std::size_t>(b) * (size_ + 1) + a] =
                 data_.UnweightedDistance(a, b, true);
    return v;
  }

private:
  static constexpr int CachedUpTo = 2000;
  const Trdf_DataSet& data_;
  int size_;
  std::vector<int> table_;
};

}  // namespace

bool TStar::Remove(int taxon) {
  bool removed = false;
  for (auto& c : classes) {
    const auto it = std::find(c.begin(), c.end(), taxon);
    if (it == c.end()) continue;
    c.erase(it);
    removed = true;
  }
  return removed;
}

TStarContraction::TStarContraction(Trdf_DataSet& data, std::string dataFileName, int radius,
                                   TStarObserver* observer)
    : data_(data),
      fileName_(std::move(dataFileName)),
      radius_(std::clamp(radius, 1, MaxRadius)),
      observer_(observer),
      n_(data.TaxaCount()),
      counts_(static_cast<std::size_t>(data.TaxaCount()) + 1, 0) {}

void TStarContraction::Line(const std::string& text) {
  protocol_ += text;
  protocol_ += "\r\n";
}

std::vector<int>& TStarContraction::ClusterOf(int centre) {
  const auto it = clusterOfCentre_.find(centre);
  if (it != clusterOfCentre_.end()) return clusters_[it->second];
  clusterOfCentre_[centre] = clusters_.size();
  clusters_.push_back({centre});
  return clusters_.back();
}

void TStarContraction::gleichetaxafeststellen() {
  Line("Results of star contraction of the data file " + fileName_);
  Line("Identical taxa: ");
  Line("");
  std::vector<bool> identical(static_cast<std::size_t>(n_) + 1, false);
  int pairs = 0;
  for (int i = 1; i < n_; ++i) {
    if (observer_) observer_->EquivalentProgress(i * 100 / std::max(1, n_ - 1), pairs);
    if (identical[static_cast<std::size_t>(i)]) continue;
    for (int j = i + 1; j <= n_; ++j) {
      // A taxon already clustered with an earlier one stays there.
      if (identical[static_cast<std::size_t>(j)] || Distance(i, j) != 0) continue;
      identical[static_cast<std::size_t>(j)] = true;
      ++pairs;
      data_.Taxon(j).Active = 0;
      ClusterOf(i).push_back(j);
      Line("Taxon " + RightJustify(data_.Taxon(i).Name, 6) + " with taxon " +
           RightJustify(data_.Taxon(j).Name, 6));
    }
  }
  if (observer_) observer_->EquivalentProgress(100, pairs);
}

int TStarContraction::Remaining() const {
  int r = 0;
  for (int i = 1; i <= n_; ++i) r += data_.Taxon(i).Active ? 1 : 0;
  return r;
}

void TStarContraction::medianvektoren() {
  std::unordered_set<std::string> known;
  for (const Trdf_Sequence& t : data_.Taxa)
    if (t.Active) known.insert(t.States);
  const auto active = [&](int t) { return data_.Taxon(t).Active != 0; };
  const int limit = radius_ + 1;
  DistanceTable dist(data_, n_);
  for (int i = 1; i <= n_ - 2; ++i) {
    if (!active(i)) continue;
    if (observer_) observer_->ExaminedSequence(i, data_.TaxaCount() - n_);
    for (int k = i + 1; k <= n_; ++k) {
      if (!active(k) || dist(i, k) != 2) continue;
      for (int j = k + 1; j <= n_; ++j) {
        KeepAlive();
        if (!active(j)) continue;
        const int dij = dist(i, j), dkj = dist(k, j);
        if (dij <= 1 || dij > limit || dkj <= 1 || dkj > limit) continue;
        const std::string& si = data_.Taxon(i).States;
        const std::string& sk = data_.Taxon(k).States;
        const std::string& sj = data_.Taxon(j).States;
        std::string median = si;
        for (std::size_t c = 0; c < median.size(); ++c)
          median[c] = si[c] == sk[c] || si[c] == sj[c] ? si[c] : sk[c];
        if (known.count(median)) continue;
        if (data_.TaxaCount() >= rdf_limits::MaxTaxaWithMedians) {
          if (!limitShown_)
            dialogs().showMessage(sc_messages::TooManySequences, DialogKind::Warning);
          limitShown_ = true;
          return;
        }
        known.insert(median);
        Trdf_Sequence mv;
        mv.States = std::move(median);
        mv.Name = "Sco";
        mv.Frequency = 0;
        data_.Taxa.push_back(std::move(mv));
        counts_.push_back(0);
      }
    }
  }
  if (observer_) observer_->ExaminedSequence(n_, data_.TaxaCount() - n_);
}

void TStarContraction::Expansionszentren_bestimmen() {
  stars_.clear();
  const int total = data_.TaxaCount();
  for (int p = 1; p <= total; ++p) {
    if (!data_.Taxon(p).Active) continue;
    TStar star;
    star.centre = p;
    star.median = p > n_;
    const int cp = counts_[static_cast<std::size_t>(p)];
    for (int t = 1; t <= n_; ++t) {
      if (t == p || !data_.Taxon(t).Active) continue;
      KeepAlive();
      const int d = Distance(p, t);
      if (d <= 0 || d > radius_) continue;
      const int ct = counts_[static_cast<std::size_t>(t)];
      if (ct == 0 || cp >= 2 * ct) star.classes[static_cast<std::size_t>(d)].push_back(t);
    }
    const auto count = [&](int d) {
      return static_cast<int>(star.classes[static_cast<std::size_t>(d)].size());
    };
    const int c1 = count(1) + 1, c2 = count(2), c3 = count(3);  // class 1 holds the centre too
    if ((c1 <= 2 && cp <= 1) || c1 + c2 + c3 == 1 || (c2 * 0.5 + c1 + c3 * 0.25 < 4.5 && cp < 2))
      continue;
    stars_.push_back(std::move(star));
  }
  if (observer_) observer_->Cliques(static_cast<int>(stars_.size()));
}

namespace {

struct Membership {
  std::size_t star;
  int cls;
};

// Where each taxon stands in the stars: (star, class) pairs, in star order.
std::unordered_map<int, std::vector<Membership>> Memberships(const std::vector<TStar>& stars) {
  std::unordered_map<int, std::vector<Membership>> m;
  for (std::size_t s = 0; s < stars.size(); ++s)
    for (int d = 1; d <= TStarContraction::MaxRadius; ++d)
      for (int t : stars[s].classes[static_cast<std::size_t>(d)]) m[t].push_back({s, d});
  return m;
}

void RemoveFromClass(TStar& star, int d, int taxon) {
  auto& c = star.classes[static_cast<std::size_t>(d)];
  c.erase(std::remove(c.begin(), c.end(), taxon), c.end());
}

}  // namespace

void TStarContraction::ResolveOverlaps() {
  // 1. A taxon stays in its nearest star only, except that a nearer median-vector star does not
  // take it away from a star centred on a taxon.
  {
    const auto all = Memberships(stars_);
    for (const auto& [t, ms] : all)
      for (const Membership& far : ms) {
        const bool drop = std::any_of(ms.begin(), ms.end(), [&](const Membership& near) {
          return near.cls < far.cls && !(stars_[near.star].median && !stars_[far.star].median);
        });
        if (drop) RemoveFromClass(stars_[far.star], far.cls, t);
      }
    std::unordered_map<int, std::size_t> starOfCentre;
    for (std::size_t s = 0; s < stars_.size(); ++s) starOfCentre.emplace(stars_[s].centre, s);
    for (std::size_t b = 0; b < stars_.size(); ++b) {
      if (!stars_[b].median) continue;
      auto& c1 = stars_[b].classes[1];
      std::erase_if(c1, [&](int t) {
        const auto it = starOfCentre.find(t);
        return it != starOfCentre.end() && it->second < b;
      });
    }
  }
  // 2. Potential median vectors survive only as centres of stars that keep members; their members
  // leave the farther classes of the other stars.
  for (int p = n_ + 1; p <= data_.TaxaCount(); ++p) data_.Taxon(p).Active = 0;
  for (TStar& star : stars_) {
    if (!star.median) continue;
    if (star.MemberCount() == 1)
      star.Clear();
    else
      data_.Taxon(star.centre).Active = 1;
  }
  for (std::size_t m = 0; m < stars_.size(); ++m) {
    if (!stars_[m].median) continue;
    for (int d = 1; d <= MaxRadius; ++d)
      for (int t : stars_[m].classes[static_cast<std::size_t>(d)])
        for (std::size_t s = 0; s < stars_.size(); ++s)
          if (s != m)
            for (int far = d + 1; far <= MaxRadius; ++far) RemoveFromClass(stars_[s], far, t);
  }
  // 3. A taxon at the same distance from two centres belongs to neither.
  {
    const auto all = Memberships(stars_);
    for (const auto& [t, ms] : all)
      for (const Membership& a : ms) {
        const bool twice = std::any_of(ms.begin(), ms.end(), [&](const Membership& b) {
          return b.star != a.star && b.cls == a.cls;
        });
        if (twice) RemoveFromClass(stars_[a.star], a.cls, t);
      }
  }
  // 4. Members of the stars that will be contracted leave the active taxa.
  for (TStar& star : stars_) {
    const int members = star.MemberCount();
    if (star.median && members <= 1) {
      star.Clear();
      continue;
    }
    if (members > 1 || (members == 1 && !star.median))
      for (const auto& c : star.classes)
        for (int t : c) data_.Taxon(t).Active = 0;
  }
  // 5. Members that share a mutation with a taxon left outside return to the active taxa.
  problem_zuordnungen();
}

void TStarContraction::problem_zuordnungen() {
  const int total = data_.TaxaCount();
  DistanceTable dist(data_, total);
  std::vector<int> bottleneck(static_cast<std::size_t>(total) + 1);
  std::vector<bool> done(static_cast<std::size_t>(total) + 1);
  for (std::size_t s = 0; s < stars_.size(); ++s) {
    TStar& star = stars_[s];
    if (star.MemberCount() == 0) continue;
    if (observer_) observer_->CheckingClique(static_cast<int>(s) + 1);
    const int centre = star.centre;
    // bottleneck[x]: the smallest largest step of a chain of active taxa from the centre to x; x
    // is reached by steps shorter than d exactly when this is below d. Recomputed when members
    // return to the active taxa.
    bool stale = true;
    const auto computeBottleneck = [&] {
      std::fill(bottleneck.begin(), bottleneck.end(), std::numeric_limits<int>::max());
      std::fill(done.begin(), done.end(), false);
      bottleneck[static_cast<std::size_t>(centre)] = 0;
      for (;;) {
        int u = 0;
        for (int x = 1; x <= total; ++x)
          if (!done[static_cast<std::size_t>(x)] && (x == centre || data_.Taxon(x).Active) &&
              bottleneck[static_cast<std::size_t>(x)] != std::numeric_limits<int>::max() &&
              (u == 0 ||
               bottleneck[static_cast<std::size_t>(x)] < bottleneck[static_cast<std::size_t>(u)]))
            u = x;
        if (u == 0) break;
        done[static_cast<std::size_t>(u)] = true;
        for (int x = 1; x <= total; ++x) {
          if (done[static_cast<std::size_t>(x)] || !data_.Taxon(x).Active) continue;
          const int step = std::max(bottleneck[static_cast<std::size_t>(u)], dist(u, x));
          if (step < bottleneck[static_cast<std::size_t>(x)])
            bottleneck[static_cast<std::size_t>(x)] = step;
        }
      }
      stale = false;
    };
    const std::string& sc = data_.Taxon(centre).States;
    for (int t = 1; t <= n_; ++t) {
      if (t == centre || !data_.Taxon(t).Active || star.MemberCount() == 0) continue;
      KeepAlive();
      const int d = dist(centre, t);
      if (d < 1) continue;
      if (d > 1) {
        if (stale) computeBottleneck();
        const bool reached = bottleneck[static_cast<std::size_t>(t)] < d;
        if (reached) continue;
      }
      const std::string& st = data_.Taxon(t).States;
      std::vector<int> released;
      for (const auto& c : star.classes)
        for (int m : c) {
          const std::string& sm = data_.Taxon(m).States;
          for (std::size_t k = 0; k < sc.size(); ++k)
            if (st[k] != sc[k] && !data_.AmbiguousStates.Contains(st[k]) && sm[k] == st[k]) {
              released.push_back(m);
              break;
            }
        }
      for (int m : released) {
        star.Remove(m);
        data_.Taxon(m).Active = 1;
        stale = true;
      }
    }
  }
  for (TStar& star : stars_) {
    if (!star.median || star.MemberCount() > 1) continue;
    for (const auto& c : star.classes)
      for (int t : c) data_.Taxon(t).Active = 1;
    star.Clear();
  }
}

void TStarContraction::Contract() {
  contracted_.clear();
  std::vector<int> used;        // potential median vectors used, in order
  std::vector<int> usedCounts;  // their contraction counts
  for (std::size_t s = 0; s < stars_.size(); ++s) {
    TStar& star = stars_[s];
    const int members = star.MemberCount();
    if (!(members > 1 || (members == 1 && !star.median))) continue;
    int centreCount = 0;
    std::string line;
    if (star.median) {
      const int k = static_cast<int>(used.size()) + 1;
      const std::string name = "sco" + RightJustify(total_ + k, 3);
      Line("Have generated a median vector. Name of the sequence: " + name);
      Line("Sequence of the median vector: ");
      Line(data_.Taxon(star.centre).States);
      line = "Have contracted seq. " + name;
      used.push_back(star.centre);
      star.centre = n_ + k;  // its place once the round ends
    } else {
      line = "Have contracted seq. " + RightJustify(data_.Taxon(star.centre).Name, 6);
    }
    for (const auto& c : star.classes)
      for (int m : c) {
        ++centreCount;
        line += " with " + RightJustify(data_.Taxon(m).Name, 6);
        data_.Taxon(m).Active = 0;
      }
    Line(line);
    if (star.median)
      usedCounts.push_back(centreCount);
    else
      counts_[static_cast<std::size_t>(star.centre)] += centreCount;
    contracted_.push_back(s);
  }
  // The used median vectors become sequences n+1, n+2, ...; the others are dropped.
  std::vector<Trdf_Sequence> kept;
  for (int p : used) kept.push_back(data_.Taxon(p));
  data_.Taxa.resize(static_cast<std::size_t>(n_));
  counts_.resize(static_cast<std::size_t>(n_) + 1);
  for (std::size_t k = 0; k < kept.size(); ++k) {
    kept[k].Active = 1;
    kept[k].Name = "sco" + std::to_string(total_ + static_cast<int>(k) + 1);
    data_.Taxa.push_back(std::move(kept[k]));
    counts_.push_back(usedCounts[k]);
  }
  n_ += static_cast<int>(used.size());
  total_ += static_cast<int>(used.size());
  Line("");

  for (std::size_t s : contracted_) {
    const TStar& star = stars_[s];
    ClusterOf(star.centre);
    for (const auto& c : star.classes)
      for (int m : c) {
        ClusterOf(star.centre).push_back(m);
        const auto it = clusterOfCentre_.find(m);
        if (it == clusterOfCentre_.end() || m == star.centre) continue;
        std::vector<int> moved = std::move(clusters_[it->second]);
        clusters_[it->second].clear();
        clusterOfCentre_.erase(it);
        std::vector<int>& mine = ClusterOf(star.centre);
        mine.insert(mine.end(), moved.begin() + 1, moved.end());
      }
  }
  stars_.clear();
}

void TStarContraction::Round() {
  medianvektoren();
  Expansionszentren_bestimmen();
  ResolveOverlaps();
  Contract();
}

void TStarContraction::ZeroConstantWeights() {
  const Trdf_Sequence* first = nullptr;
  for (int i = 1; i <= n_ && !first; ++i)
    if (data_.Taxon(i).Active) first = &data_.Taxon(i);
  if (!first) return;
  for (std::size_t c = 0; c < data_.Characters.size(); ++c) {
    bool constant = true;
    for (int i = 1; i <= n_ && constant; ++i)
      constant = !data_.Taxon(i).Active || data_.Taxon(i).States[c] == first->States[c];
    if (constant) data_.Characters[c].Weight = 0;
  }
}

std::string TStarContraction::ScoText() const {
  const std::string eol = "\r\n";
  std::vector<std::size_t> columns;
  for (std::size_t c = 0; c < data_.Characters.size(); ++c)
    if (data_.Characters[c].Weight > 0) columns.push_back(c);
  std::string out = " S;1.0" + eol;
  for (std::size_t c : columns) out += data_.Characters[c].Name + ";";
  out += eol;
  for (std::size_t c : columns) out += std::to_string(data_.Characters[c].Weight) + ";";
  out += eol;
  const auto taxonLines = [&](const Trdf_Sequence& taxon, const std::string& states) {
    out += ">" + taxon.Name + ";" + std::to_string(taxon.Frequency) + ";";
    for (const std::string& info : taxon.Info) out += info + ";";
    out += eol;
    for (std::size_t c : columns) out += states[c];
    out += eol;
  };
  for (int i = 1; i <= n_; ++i) {
    const Trdf_Sequence& taxon = data_.Taxon(i);
    if (!taxon.Active) continue;
    taxonLines(taxon, taxon.States);
    const auto it = clusterOfCentre_.find(i);
    if (it == clusterOfCentre_.end()) continue;
    const std::vector<int>& cluster = clusters_[it->second];
    for (std::size_t m = 1; m < cluster.size(); ++m)
      taxonLines(data_.Taxon(cluster[m]), taxon.States);
  }
  return out;
}

// ---------------------------------------------------------------------------------------------

namespace {

std::optional<std::string> AskSaveName(const char* title, const char* filter,
                                       const std::string& dataFileName, const std::string& ext) {
  FileDialogRequest request;
  request.title = title;
  request.filter = filter;
  request.defaultExt = ext;
  request.fileName = ProposedName(dataFileName, ext);
  auto chosen = dialogs().saveFileName(request);
  if (!chosen) return std::nullopt;
  ForceFileExtension(ext, *chosen);
  if (RefuseInputFile(*chosen, dataFileName)) return std::nullopt;
  return chosen;
}

bool WriteChecked(const std::string& fileName, const std::string& text) {
  if (WriteWholeFile(fileName, text)) return true;
  dialogs().showMessage(sc_messages::CannotWrite(fileName), DialogKind::Error);
  return false;
}

}  // namespace

bool RunStarContraction(Trdf_DataSet& data, const std::string& dataFileName, int radius,
                        TStarObserver* observer) {
  if (data.TaxaCount() <= 2) return false;
  const auto protocolName =
      AskSaveName(sc_messages::ProtocolTitle, sc_messages::ProtocolFilter, dataFileName, "pro");
  // The protocol file is created before the calculation, so a folder that cannot be written to
  // is known before anything is calculated.
  if (!protocolName || !WriteChecked(*protocolName, "")) return false;

  TStarContraction calc(data, dataFileName, radius, observer);
  calc.gleichetaxafeststellen();
  for (int round = 1; round <= 3; ++round) {
    calc.Round();
    const int remaining = calc.Remaining();
    if (round < 3 && !dialogs().askYesNo(sc_messages::ContinueQuestion(remaining))) break;
    if (round == 3) dialogs().showMessage(sc_messages::FinishedMessage(remaining));
  }
  calc.ZeroConstantWeights();
  if (!WriteChecked(*protocolName, calc.Protocol())) return false;
  const auto resultName =
      AskSaveName(sc_messages::ResultTitle, sc_messages::ResultFilter, dataFileName, "SCO");
  if (!resultName) return false;
  return WriteChecked(*resultName, calc.ScoText());
}
