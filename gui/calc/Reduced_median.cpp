#include "Reduced_median.h"

#include "Dialogs.h"
#include "Median_joining.h"
#include "OutFile.h"
#include "UHelp.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <unordered_set>
#include <utility>

namespace {

// --- Bit sets over taxa or characters ---

std::size_t Words(int bits) { return static_cast<std::size_t>(bits + 63) / 64; }
bool Test(const TRMBits& b, int i) {
  return (b[static_cast<std::size_t>(i) / 64] >> (i % 64)) & 1U;
}
void Set(TRMBits& b, int i) { b[static_cast<std::size_t>(i) / 64] |= uint64_t{1} << (i % 64); }
bool Any(const TRMBits& b) {
  return std::any_of(b.begin(), b.end(), [](uint64_t w) { return w != 0; });
}
TRMBits And(const TRMBits& a, const TRMBits& b) {
  TRMBits r(a.size());
  for (std::size_t k = 0; k < a.size(); ++k) r[k] = a[k] & b[k];
  return r;
}
// a without b.
TRMBits Minus(const TRMBits& a, const TRMBits& b) {
  TRMBits r(a.size());
  for (std::size_t k = 0; k < a.size(); ++k) r[k] = a[k] & ~b[k];
  return r;
}
bool Equal(const TRMBits& a, const TRMBits& b) { return a == b; }

// Among the taxa of `set`, do all four state pairs of columns a and b occur?
bool AllFourPairs(const TRMBits& a, const TRMBits& b, const TRMBits& set) {
  bool p11 = false, p10 = false, p01 = false, p00 = false;
  for (std::size_t k = 0; k < set.size(); ++k) {
    p11 = p11 || (a[k] & b[k] & set[k]);
    p10 = p10 || (a[k] & ~b[k] & set[k]);
    p01 = p01 || (~a[k] & b[k] & set[k]);
    p00 = p00 || (~a[k] & ~b[k] & set[k]);
  }
  return p11 && p10 && p01 && p00;
}

}  // namespace

bool LoadRMDataSet(Trdf_DataSet& data, const std::string& fileName, bool showMessages) {
  TDataSetReading how = MJReading(false, showMessages, true);
  how.Tag = "RM";
  how.ReplaceAmbiguous = false;
  if (!ReadDataSet(data, fileName, how)) return false;
  // Any state other than the binary ones (not only nucleotides: a gap as well) asks for the
  // recoding; the calculation itself works on '0'/'1' only.
  const TCharSet binary(rdf_states::BinaryAllowed);
  for (const Trdf_Sequence& t : data.Taxa) {
    const bool multistate =
        std::any_of(t.States.begin(), t.States.end(), [&](char s) { return !binary.Contains(s); });
    if (!multistate) continue;
    bool notBinary = false;
    data.CheckBinaryCharacters(notBinary);
    if (notBinary) {
      if (showMessages) dialogs().showMessage(rm_messages::Multistate, DialogKind::Error);
      data.Clear();
      return false;
    }
    data.SetStateSets(rdf_states::BinaryAllowed, rdf_states::BinaryAmbiguous);
    break;
  }
  return true;
}

std::string GeneralThreshold(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.4g", value);
  return buffer;
}

std::string FixedThreshold(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%4.2f", value);
  return buffer;
}

std::string ProposedName(const std::string& dataFileName, const std::string& extension) {
  return (dataFileName.size() >= 3 ? dataFileName.substr(0, dataFileName.size() - 3)
                                   : std::string()) +
         extension;
}

bool RefuseInputFile(const std::string& chosen, const std::string& dataFileName) {
  std::error_code ec;
  if (!std::filesystem::exists(chosen, ec) ||
      !std::filesystem::equivalent(chosen, dataFileName, ec))
    return false;
  dialogs().showMessage(rm_messages::SameAsInput + chosen + ".", DialogKind::Error);
  return true;
}

// ---------------------------------------------------------------------------------------------

TRMCalculation::TRMCalculation(Trdf_DataSet& data, const TRMOptions& options, TRMObserver* observer)
    : data_(data), options_(options), observer_(observer) {}

bool TRMCalculation::Prepare() {
  data_.ReplaceAmbiguousStates(false, true);
  data_.FindEquivalentTaxa();
  if (options_.FrequencyCriterion) data_.ApplyFrequencyCriterion();
  const auto active = std::count_if(data_.Taxa.begin(), data_.Taxa.end(),
                                    [](const Trdf_Sequence& t) { return t.Active != 0; });
  if (active < 3) {
    dialogs().showMessage(mj_messages::FewerThanThree, DialogKind::Warning);
    return false;
  }
  MarkConstantCharacters();
  int minimum = 250;
  for (const Trdf_Character& c : data_.Characters)
    if (c.Active && c.Weight > 0) minimum = std::min(minimum, c.Weight);
  minimumWeight_ = minimum == 250 ? 0 : minimum;
  return true;
}

void TRMCalculation::MarkConstantCharacters() {
  const auto first = std::find_if(data_.Taxa.begin(), data_.Taxa.end(),
                                  [](const Trdf_Sequence& t) { return t.Active != 0; });
  for (int c = 0; c < data_.CharacterCount(); ++c) {
    Trdf_Character& ch = data_.Characters[static_cast<std::size_t>(c)];
    ch.Active = 1;
    if (ch.Weight == 0 || first == data_.Taxa.end()) {
      ch.Active = ch.Weight != 0;
      continue;
    }
    const char s = first->States[static_cast<std::size_t>(c)];
    const bool constant =
        std::all_of(data_.Taxa.begin(), data_.Taxa.end(), [&](const Trdf_Sequence& t) {
          return !t.Active || t.States[static_cast<std::size_t>(c)] == s;
        });
    if (constant) ch.Active = 0;
  }
}

TRMBits TRMCalculation::Column(int c) const {
  TRMBits b(Words(data_.TaxaCount()), 0);
  for (int t = 0; t < data_.TaxaCount(); ++t)
    if (data_.Taxa[static_cast<std::size_t>(t)].States[static_cast<std::size_t>(c)] == '1')
      Set(b, t);
  return b;
}

TRMBits TRMCalculation::TaxaWhere(bool (*pred)(const Trdf_Sequence&)) const {
  TRMBits b(Words(data_.TaxaCount()), 0);
  for (int t = 0; t < data_.TaxaCount(); ++t)
    if (pred(data_.Taxa[static_cast<std::size_t>(t)])) Set(b, t);
  return b;
}

int TRMCalculation::FrequencySum(const TRMBits& set) const {
  int sum = 0;
  for (int t = 0; t < data_.TaxaCount(); ++t)
    if (Test(set, t)) sum += data_.Taxa[static_cast<std::size_t>(t)].Frequency;
  return sum;
}

int TRMCalculation::GroupWeight(int c) const {
  int w = data_.Characters[static_cast<std::size_t>(c)].Weight;
  for (const Trdf_Character& e : data_.Characters)
    if (e.EqualTo == c + 1) w += e.Weight;
  return w;
}

// Characters (0-based here) that cut the distinct sequences the same way follow the first of them.
void TRMCalculation::ComputeEqualTo() {
  const int n = data_.CharacterCount();
  columns_.assign(static_cast<std::size_t>(n), {});
  for (int c = 0; c < n; ++c) columns_[static_cast<std::size_t>(c)] = Column(c);
  allTaxa_ = TaxaWhere([](const Trdf_Sequence&) { return true; });
  partTaxa_ = TaxaWhere([](const Trdf_Sequence& t) { return t.Active || t.Representative > 0; });
  activeTaxa_ = TaxaWhere([](const Trdf_Sequence& t) { return t.Active != 0; });
  const TRMBits distinct = TaxaWhere([](const Trdf_Sequence& t) { return t.Representative == 0; });

  for (Trdf_Character& ch : data_.Characters) ch.EqualTo = 0;
  for (int i = 0; i < n; ++i) {
    const Trdf_Character& ci = data_.Characters[static_cast<std::size_t>(i)];
    if (!ci.Active || ci.EqualTo != 0) continue;
    for (int j = i + 1; j < n; ++j) {
      Trdf_Character& cj = data_.Characters[static_cast<std::size_t>(j)];
      if (!cj.Active || cj.EqualTo != 0) continue;
      TRMBits d = columns_[static_cast<std::size_t>(i)];
      for (std::size_t k = 0; k < d.size(); ++k)
        d[k] = (d[k] ^ columns_[static_cast<std::size_t>(j)][k]) & distinct[k];
      if (!Any(d) || Equal(d, distinct)) cj.EqualTo = i + 1;
    }
  }
}

void TRMCalculation::ComputeIncompatible() {
  const int n = data_.CharacterCount();
  lists_.assign(static_cast<std::size_t>(n), {});
  incompatible_.assign(static_cast<std::size_t>(n), TRMBits(Words(n), 0));
  const auto counted = [&](int c) {
    const Trdf_Character& ch = data_.Characters[static_cast<std::size_t>(c)];
    return ch.Active && ch.EqualTo == 0;
  };
  for (int i = 0; i < n; ++i) {
    if (!counted(i)) continue;
    for (int j = i + 1; j < n; ++j) {
      if (!counted(j)) continue;
      if (!AllFourPairs(columns_[static_cast<std::size_t>(i)],
                        columns_[static_cast<std::size_t>(j)], allTaxa_))
        continue;
      Set(incompatible_[static_cast<std::size_t>(i)], j);
      Set(incompatible_[static_cast<std::size_t>(j)], i);
    }
    KeepAlive();
  }
  // Lists in character order; a character has at most as many partners as there are characters,
  // and the character count itself is capped.
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      if (Test(incompatible_[static_cast<std::size_t>(i)], j))
        lists_[static_cast<std::size_t>(i)].push_back(j);
}

bool TRMCalculation::Acceptable(int c, const TRMBits& newC, const TRMBits& newChar) const {
  for (int k = 0; k < data_.CharacterCount(); ++k) {
    const Trdf_Character& ch = data_.Characters[static_cast<std::size_t>(k)];
    if (k == c || !ch.Active || ch.EqualTo != 0 ||
        Test(incompatible_[static_cast<std::size_t>(c)], k))
      continue;
    const TRMBits& col = columns_[static_cast<std::size_t>(k)];
    if (AllFourPairs(col, newC, activeTaxa_) || AllFourPairs(col, newChar, activeTaxa_))
      return false;
  }
  return true;
}

namespace {

// The two characters that splitting c at side sigma by the partition Z, O gives: c keeps sigma on
// Z, the new character has sigma on O, every other taxon has the opposite state at both.
std::pair<TRMBits, TRMBits> SplitColumns(char sigma, const TRMBits& Z, const TRMBits& O,
                                         const TRMBits& all) {
  if (sigma == '1') return {Z, O};
  return {Minus(all, Z), Minus(all, O)};
}

}  // namespace

bool TRMCalculation::FindBestSplit(TRMSplit& best) {
  alternatives_.clear();
  bool found = false;
  const int n = data_.CharacterCount();
  std::vector<int> weight(static_cast<std::size_t>(n), 0);
  for (int c = 0; c < n; ++c) weight[static_cast<std::size_t>(c)] = GroupWeight(c);

  for (int c = 0; c < n; ++c) {
    const auto& list = lists_[static_cast<std::size_t>(c)];
    if (list.empty()) continue;
    KeepAlive();
    const TRMBits& colC = columns_[static_cast<std::size_t>(c)];
    for (std::size_t jx = 0; jx < list.size(); ++jx) {
      const int j = list[jx];
      const TRMBits& colJ = columns_[static_cast<std::size_t>(j)];
      for (const char sigma : {'0', '1'}) {
        const TRMBits side = sigma == '1' ? And(partTaxa_, colC) : Minus(partTaxa_, colC);
        const TRMBits other = sigma == '1' ? Minus(partTaxa_, colC) : And(partTaxa_, colC);
        const TRMBits Z = Minus(side, colJ);
        const TRMBits O = And(side, colJ);

        std::vector<int> group{j};
        std::vector<bool> swapped{false};
        TRMBits groupIncompatible = incompatible_[static_cast<std::size_t>(j)];
        for (std::size_t kx = jx + 1; kx < list.size(); ++kx) {
          const int k = list[kx];
          if (Test(groupIncompatible, k)) continue;
          // k divides the side as j does, or with the labels swapped.
          const TRMBits& colK = columns_[static_cast<std::size_t>(k)];
          bool same = true, opposite = true;
          for (std::size_t w = 0; w < side.size() && (same || opposite); ++w) {
            const uint64_t d = (colJ[w] ^ colK[w]) & side[w];
            same = same && d == 0;
            opposite = opposite && d == side[w];
          }
          if (!same && !opposite) continue;
          group.push_back(k);
          swapped.push_back(opposite);
          const TRMBits& row = incompatible_[static_cast<std::size_t>(k)];
          for (std::size_t w = 0; w < row.size(); ++w) groupIncompatible[w] |= row[w];
        }
        int groupWeight = 0;
        for (int g : group) groupWeight += weight[static_cast<std::size_t>(g)];
        const int cWeight = weight[static_cast<std::size_t>(c)];
        if (cWeight * options_.Threshold > groupWeight) continue;

        // The other side divided consistently by every group member.
        TRMBits zOther = other, oOther = other;
        for (std::size_t g = 0; g < group.size(); ++g) {
          const TRMBits& col = columns_[static_cast<std::size_t>(group[g])];
          for (std::size_t w = 0; w < zOther.size(); ++w) {
            const uint64_t zeroLike = swapped[g] ? col[w] : ~col[w];
            zOther[w] &= zeroLike;
            oOther[w] &= ~zeroLike;
          }
        }
        const int rest = FrequencySum(other) - FrequencySum(zOther) - FrequencySum(oOther);
        const int a = FrequencySum(zOther) + rest - FrequencySum(Z);
        const int b = FrequencySum(oOther) + rest - FrequencySum(O);
        const int score = a >= 1 && b >= 1 ? a + b : 0;
        if (score <= 0) continue;

        const double ratio = static_cast<double>(groupWeight) / cWeight;
        enum { Ignore, Replace, Add } verdict = Replace;
        if (found) {
          if (ratio > best.ratio + 0.01)
            verdict = Replace;
          else if (ratio < best.ratio - 0.01)
            verdict = Ignore;
          else if (score > best.score)
            verdict = Replace;
          else if (score == best.score && alternatives_.size() < 10)
            verdict = Add;
          else
            verdict = Ignore;
        }
        if (verdict == Ignore) continue;
        const auto [newC, newChar] = SplitColumns(sigma, Z, O, allTaxa_);
        if (!Acceptable(c, newC, newChar)) continue;

        TRMSplit split;
        split.c = c + 1;
        split.j = j + 1;
        split.sigma = sigma;
        split.ratio = ratio;
        split.score = score;
        for (int g : group) split.group.push_back(g + 1);
        if (verdict == Replace) {
          best = split;
          alternatives_.assign(1, split);
          found = true;
        } else {
          alternatives_.push_back(split);
        }
      }
    }
  }
  return found;
}

bool TRMCalculation::ApplySplit(const TRMSplit& split) {
  const int c = split.c - 1;
  const TRMBits all = TaxaWhere([](const Trdf_Sequence&) { return true; });
  const TRMBits part =
      TaxaWhere([](const Trdf_Sequence& t) { return t.Active || t.Representative > 0; });
  const TRMBits colC = Column(c), colJ = Column(split.j - 1);
  const TRMBits side = split.sigma == '1' ? And(part, colC) : Minus(part, colC);
  // Named pairs, not a structured binding: the lambdas below capture them.
  const std::pair<TRMBits, TRMBits> columns =
      SplitColumns(split.sigma, Minus(side, colJ), And(side, colJ), all);
  const TRMBits& newC = columns.first;
  const TRMBits& newChar = columns.second;

  std::vector<int> followers;
  for (int e = 0; e < data_.CharacterCount(); ++e)
    if (data_.Characters[static_cast<std::size_t>(e)].EqualTo == split.c) followers.push_back(e);
  if (data_.CharacterCount() + 1 + static_cast<int>(followers.size()) > rdf_limits::MaxCharacters) {
    if (!characterLimitShown_)
      dialogs().showMessage(rm_messages::TooManyCharacters, DialogKind::Warning);
    characterLimitShown_ = true;
    return false;
  }

  // A follower equals c or is its complement on the distinct sequences; it is split alike.
  const auto firstDistinct =
      std::find_if(data_.Taxa.begin(), data_.Taxa.end(),
                   [](const Trdf_Sequence& t) { return t.Representative == 0; });
  const auto stateString = [&](const TRMBits& bits, bool invert) {
    std::string s(static_cast<std::size_t>(data_.TaxaCount()), '0');
    for (int t = 0; t < data_.TaxaCount(); ++t)
      s[static_cast<std::size_t>(t)] = (Test(bits, t) != invert) ? '1' : '0';
    return s;
  };
  const auto rewrite = [&](int column, const std::string& states) {
    for (int t = 0; t < data_.TaxaCount(); ++t)
      data_.Taxa[static_cast<std::size_t>(t)].States[static_cast<std::size_t>(column)] =
          states[static_cast<std::size_t>(t)];
  };
  const auto splitOne = [&](int column, bool invert) {
    const Trdf_Character ch = data_.Characters[static_cast<std::size_t>(column)];
    const std::string newStates = stateString(newChar, invert);
    rewrite(column, stateString(newC, invert));
    data_.Characters[static_cast<std::size_t>(column)].EqualTo = 0;
    data_.InsertCharacter(data_.CharacterCount() + 1, ch.Weight, newStates, ch.MajorityState,
                          ch.Name);
  };
  std::vector<bool> invert;
  for (int e : followers) {
    const std::size_t ue = static_cast<std::size_t>(e), uc = static_cast<std::size_t>(c);
    invert.push_back(firstDistinct != data_.Taxa.end() &&
                     firstDistinct->States[ue] != firstDistinct->States[uc]);
  }
  splitOne(c, false);
  for (std::size_t f = 0; f < followers.size(); ++f) splitOne(followers[f], invert[f]);
  return true;
}

void TRMCalculation::RunSplitRounds() {
  for (;;) {
    KeepAlive();
    ++rounds_;
    if (observer_) observer_->RoundStarted(rounds_);
    ComputeEqualTo();
    ComputeIncompatible();
    TRMSplit best;
    if (!FindBestSplit(best)) break;
    if (observer_) observer_->SplittingSite(data_.Character(best.c).Name);
    if (!ApplySplit(best)) break;
  }
}

bool TRMCalculation::GenerateMedians() {
  if (observer_) observer_->MedianGenerationStarted();
  std::vector<int> chars;  // the active characters, in order
  for (int c = 0; c < data_.CharacterCount(); ++c)
    if (data_.Characters[static_cast<std::size_t>(c)].Active) chars.push_back(c);
  std::vector<int> taxa;
  for (int t = 0; t < data_.TaxaCount(); ++t)
    if (data_.Taxa[static_cast<std::size_t>(t)].Active) taxa.push_back(t);
  if (chars.empty() || taxa.empty()) return true;

  const int m = static_cast<int>(chars.size());
  const std::size_t words = Words(m);
  const auto state = [&](int t, int s) {
    return data_.Taxa[static_cast<std::size_t>(t)]
               .States[static_cast<std::size_t>(chars[static_cast<std::size_t>(s)])] == '1';
  };
  std::vector<TRMBits> ones(taxa.size(), TRMBits(words, 0));
  for (std::size_t t = 0; t < taxa.size(); ++t)
    for (int s = 0; s < m; ++s)
      if (state(taxa[t], s)) Set(ones[t], s);

  std::vector<TRMBits> store;
  bool zero = false, one = false;
  for (int t : taxa) (state(t, 0) ? one : zero) = true;
  if (zero) store.emplace_back(words, 0);
  if (one) {
    store.emplace_back(words, 0);
    Set(store.back(), 0);
  }
  const std::size_t storeCap = static_cast<std::size_t>(rdf_limits::MaxTaxaWithMedians);
  for (int s = 1; s < m; ++s) {
    KeepAlive();
    if (observer_) observer_->MedianProgress(s * 100 / m, static_cast<int>(store.size()));
    // ok[v][w]: the earlier characters g at which some taxon has v at s and w at g.
    TRMBits ok[2][2];
    for (auto& row : ok)
      for (auto& b : row) b.assign(words, 0);
    for (std::size_t t = 0; t < taxa.size(); ++t) {
      const int v = state(taxa[t], s) ? 1 : 0;
      for (std::size_t w = 0; w < words; ++w) {
        ok[v][1][w] |= ones[t][w];
        ok[v][0][w] |= ~ones[t][w];
      }
    }
    const auto mayTake = [&](const TRMBits& x, int v) {
      for (std::size_t w = 0; w < words; ++w) {
        uint64_t prefix = ~uint64_t{0};
        const int from = static_cast<int>(w) * 64;
        if (from >= s) break;
        if (s - from < 64) prefix = (uint64_t{1} << (s - from)) - 1;
        if (((x[w] & ~ok[v][1][w]) | (~x[w] & ~ok[v][0][w])) & prefix) return false;
      }
      return true;
    };
    std::vector<TRMBits> next;
    next.reserve(store.size());
    for (TRMBits& x : store) {
      const bool take0 = mayTake(x, 0), take1 = mayTake(x, 1);
      if (take0) next.push_back(x);
      if (take1) {
        next.push_back(x);
        Set(next.back(), s);
      }
      if (next.size() > storeCap) {
        dialogs().showMessage(rm_messages::TooManyMedians, DialogKind::Error);
        return false;
      }
    }
    store.swap(next);
  }

  // The full strings that are no sequence yet become median vectors.
  std::unordered_set<std::string> known;
  const auto key = [&](const std::string& states) {
    std::string k;
    k.reserve(chars.size());
    for (int c : chars) k.push_back(states[static_cast<std::size_t>(c)] == '1' ? '1' : '0');
    return k;
  };
  for (int t : taxa) known.insert(key(data_.Taxa[static_cast<std::size_t>(t)].States));
  const std::string pattern = data_.Taxa[static_cast<std::size_t>(taxa.front())].States;
  std::vector<std::string> medians;
  for (const TRMBits& x : store) {
    std::string states = pattern;  // inactive characters keep the first sequence's states
    for (int s = 0; s < m; ++s)
      states[static_cast<std::size_t>(chars[static_cast<std::size_t>(s)])] = Test(x, s) ? '1' : '0';
    if (known.insert(key(states)).second) medians.push_back(std::move(states));
  }
  if (static_cast<int>(medians.size()) > outfile::MaxMedianVectors ||
      data_.TaxaCount() + static_cast<int>(medians.size()) > rdf_limits::MaxTaxaWithMedians) {
    dialogs().showMessage(rm_messages::TooManyMedians, DialogKind::Error);
    return false;
  }
  for (std::string& states : medians) {
    Trdf_Sequence mv;
    mv.States = std::move(states);
    mv.Name = MedianVectorName(++medianCount_);
    mv.Frequency = 0;
    data_.Taxa.push_back(std::move(mv));
  }
  if (observer_) observer_->MedianProgress(100, medianCount_);
  return true;
}

int TRMCalculation::Distance(int i, int j) const {
  const std::string& a = data_.Taxon(i).States;
  const std::string& b = data_.Taxon(j).States;
  int d = 0;
  for (std::size_t c = 0; c < data_.Characters.size(); ++c)
    if (data_.Characters[c].Active && (a[c] == '1') != (b[c] == '1'))
      d += data_.Characters[c].Weight;
  return d;
}

bool TRMCalculation::Check_feasible_link(int i, int j) const {
  if (i == j) {
    dialogs().showMessage(rm_messages::FeasibleLinkError, DialogKind::Error);
    return false;
  }
  const int d = Distance(i, j);
  if (d <= minimumWeight_) return true;
  std::vector<int> reach{i};
  std::vector<bool> seen(static_cast<std::size_t>(data_.TaxaCount()) + 1, false);
  seen[static_cast<std::size_t>(i)] = true;
  for (std::size_t r = 0; r < reach.size(); ++r) {
    const int x = reach[r];
    for (int k = 1; k <= data_.TaxaCount(); ++k) {
      if (k == x || k == j || !data_.Taxon(k).Active || Distance(k, x) >= d) continue;
      if (Distance(k, j) < d) return false;
      if (!seen[static_cast<std::size_t>(k)]) {
        seen[static_cast<std::size_t>(k)] = true;
        reach.push_back(k);
      }
    }
  }
  return true;
}

void TRMCalculation::ComputeFinalLinks() {
  if (observer_) observer_->LinksStarted();
  links_.clear();
  std::vector<int> act;
  for (int t = 1; t <= data_.TaxaCount(); ++t)
    if (data_.Taxon(t).Active) act.push_back(t);
  const int n = static_cast<int>(act.size());
  std::vector<int> chars, weights;
  for (int c = 0; c < data_.CharacterCount(); ++c)
    if (data_.Characters[static_cast<std::size_t>(c)].Active) {
      chars.push_back(c);
      weights.push_back(data_.Characters[static_cast<std::size_t>(c)].Weight);
    }
  const std::size_t words = Words(static_cast<int>(chars.size()));
  std::vector<TRMBits> rows(static_cast<std::size_t>(n), TRMBits(words, 0));
  for (int a = 0; a < n; ++a)
    for (std::size_t s = 0; s < chars.size(); ++s)
      if (data_.Taxon(act[static_cast<std::size_t>(a)])
              .States[static_cast<std::size_t>(chars[s])] == '1')
        Set(rows[static_cast<std::size_t>(a)], static_cast<int>(s));
  const auto dist = [&](int a, int b) {
    int d = 0;
    for (std::size_t w = 0; w < words; ++w) {
      uint64_t x = rows[static_cast<std::size_t>(a)][w] ^ rows[static_cast<std::size_t>(b)][w];
      while (x) {
        d += weights[w * 64 + static_cast<std::size_t>(std::countr_zero(x))];
        x &= x - 1;
      }
    }
    return d;
  };

  // A link is feasible when no chain of shorter steps joins its ends: its length equals the
  // largest step on the path between its ends in a minimum spanning tree (the same rule as the
  // reach-list search of Check_feasible_link, without searching once per pair).
  std::vector<std::vector<std::pair<int, int>>> tree(static_cast<std::size_t>(n));
  {
    std::vector<int> key(static_cast<std::size_t>(n), std::numeric_limits<int>::max());
    std::vector<int> parent(static_cast<std::size_t>(n), -1);
    std::vector<bool> in(static_cast<std::size_t>(n), false);
    if (n > 0) key[0] = 0;
    for (int step = 0; step < n; ++step) {
      int u = -1;
      for (int v = 0; v < n; ++v)
        if (!in[static_cast<std::size_t>(v)] &&
            (u < 0 || key[static_cast<std::size_t>(v)] < key[static_cast<std::size_t>(u)]))
          u = v;
      in[static_cast<std::size_t>(u)] = true;
      if (parent[static_cast<std::size_t>(u)] >= 0) {
        tree[static_cast<std::size_t>(u)].push_back(
            {parent[static_cast<std::size_t>(u)], key[static_cast<std::size_t>(u)]});
        tree[static_cast<std::size_t>(parent[static_cast<std::size_t>(u)])].push_back(
            {u, key[static_cast<std::size_t>(u)]});
      }
      for (int v = 0; v < n; ++v) {
        if (in[static_cast<std::size_t>(v)]) continue;
        const int d = dist(u, v);
        if (d < key[static_cast<std::size_t>(v)]) {
          key[static_cast<std::size_t>(v)] = d;
          parent[static_cast<std::size_t>(v)] = u;
        }
      }
      KeepAlive();
    }
  }
  std::vector<int> bottleneck(static_cast<std::size_t>(n));
  std::vector<int> stack;
  for (int a = 0; a < n; ++a) {
    KeepAlive();
    std::fill(bottleneck.begin(), bottleneck.end(), -1);
    bottleneck[static_cast<std::size_t>(a)] = 0;
    stack.assign(1, a);
    while (!stack.empty()) {
      const int u = stack.back();
      stack.pop_back();
      for (const auto& [v, w] : tree[static_cast<std::size_t>(u)])
        if (bottleneck[static_cast<std::size_t>(v)] < 0) {
          bottleneck[static_cast<std::size_t>(v)] =
              std::max(bottleneck[static_cast<std::size_t>(u)], w);
          stack.push_back(v);
        }
    }
    for (int b = a + 1; b < n; ++b) {
      const int d = dist(a, b);
      if (d <= minimumWeight_ || d <= bottleneck[static_cast<std::size_t>(b)])
        links_.push_back({act[static_cast<std::size_t>(a)], act[static_cast<std::size_t>(b)], 1});
    }
    if (observer_)
      observer_->LinkProgress(static_cast<int>(100.0 * (a + 1) * (2.0 * n - a - 2) /
                                               std::max(1.0, double(n) * (n - 1))),
                              static_cast<int>(links_.size()));
  }
  PrunePendantLinks(links_, [this] { KeepAlive(); });
  if (observer_) observer_->LinksFinished();
}

// ---------------------------------------------------------------------------------------------

using namespace outfile;

std::string RMOutText(const TRMCalculation& calc, const std::string& dataFileName) {
  const Trdf_DataSet& data = calc.Data();
  std::string out;
  AppendLine(out, "Results of file " + dataFileName +
                      " with reduction threshold=" + ScientificThreshold(calc.Options().Threshold));
  if (calc.Options().FrequencyCriterion) AppendLine(out, "F2Criterion: Frequency>=2");
  if (data.DataType != ' ') AppendLine(out, std::string("SpecialFileType: ") + data.DataType);
  AppendLine(out, "");
  AppendEquivalentTaxa(out, data, false);
  AppendLinks(out, data, calc.Links(), MutationMarks::Blank);
  AppendLine(out, StarLine());
  for (int i = 1; i <= data.TaxaCount(); ++i)
    AppendLine(out, FrequencyLine(SequenceKey(data.Taxon(i).Name, i), data.Taxon(i).Frequency, 3));
  AppendLine(out, StarLine());
  AppendWeights(out, data, true);
  AppendLine(out, StarLine());
  AppendCharacterMappings(out, data);
  for (int i = 1; i <= data.TaxaCount(); ++i)
    AppendTaxonMapping(out, SequenceKey(data.Taxon(i).Name, i), data.Taxon(i));
  return out;
}

bool SaveRmfFile(Trdf_DataSet& data, const TRMOptions& options, const std::string& dataFileName) {
  FileDialogRequest request;
  request.title = "Save reduced data set";
  request.filter = rm_messages::RmfFilter;
  request.defaultExt = "rmf";
  request.fileName = ProposedName(dataFileName, "rmf");
  auto chosen = dialogs().saveFileName(request);
  if (!chosen) return false;
  ForceFileExtension("rmf", *chosen);
  if (RefuseInputFile(*chosen, dataFileName)) return false;
  if (options.FrequencyCriterion) data.DataType = '2';
  std::vector<int> copied;
  for (int t = 1; t <= data.TaxaCount(); ++t) {
    Trdf_Sequence& taxon = data.Taxon(t);
    if (taxon.Representative <= 0 || taxon.Representative > data.TaxaCount()) continue;
    taxon.Active = 1;
    taxon.States = data.Taxon(taxon.Representative).States;
    copied.push_back(t);
  }
  const bool written = data.WriteRdfFile(*chosen, false, false);
  for (int t : copied) data.Taxon(t).Active = 0;
  return written;
}

bool WriteRMOutFile(TRMCalculation& calc, const std::string& dataFileName) {
  if (!calc.GenerateMedians()) return false;
  calc.MarkConstantCharacters();
  calc.ComputeFinalLinks();
  const auto name = AskOutFileName(dataFileName, rm_messages::OutFilter);
  if (!name || RefuseInputFile(*name, dataFileName)) return false;
  if (!WriteOutText(*name, RMOutText(calc, dataFileName))) return false;
  dialogs().showMessage(SavedMessage);
  return true;
}

void RunReducedMedian(Trdf_DataSet& data, const TRMOptions& options,
                      const std::string& dataFileName, TRMObserver* observer) {
  TRMCalculation calc(data, options, observer);
  if (!calc.Prepare()) return;
  calc.RunSplitRounds();
  SaveRmfFile(data, options, dataFileName);
  if (options.GenerateLinks) WriteRMOutFile(calc, dataFileName);
}
