#include "RDF_DataSet_Definition.h"

#include "Dialogs.h"
#include "RdfMessages.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <unordered_map>
#include <unordered_set>

namespace {

// Which pairs of differing states cost nothing when one of them is an ambiguity code. Indexed
// [x][y] with x the state of the first taxon: the table is deliberately not symmetric.
class CompatibilityTable {
public:
  CompatibilityTable() {
    const auto row = [this](std::string_view xs, std::string_view ys) {
      for (char x : xs)
        for (char y : ys) table_[Index(x)].set(Index(y));
    };
    for (char x : std::string_view(".N")) table_[Index(x)].set();
    row("-01", ".N");
    row("A", ".DHMNRVW");
    row("G", ".BDKNRSV");
    row("C", ".BHMNSVY");
    row("T", ".BDHKNWY");
    row("W", ".ABDHKMNRTVY");
    row("S", ".BCDGHKMNRVY");
    row("R", ".ABDGHKMNSVW");
    row("Y", ".BCDHKMNSTVW");
    row("M", ".ABCDHNRSVWY");
    row("K", ".BDGHNRSTVWY");
    row("H", ".ABCDKMNRSTVWY");
    row("D", ".ABDGKMNRSTVWY");
    row("V", ".ABCDGKMNRSVWY");
    row("B", ".BCDGKMNRSTVWY");
  }
  bool Compatible(char x, char y) const { return table_[Index(x)][Index(y)]; }

private:
  static std::size_t Index(char c) { return static_cast<unsigned char>(c); }
  std::bitset<256> table_[256];
};

const CompatibilityTable& Compatibility() {
  static const CompatibilityTable table;
  return table;
}

std::string Cut(const std::string& text, std::size_t length) {
  return text.size() > length ? text.substr(0, length) : text;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

void RemoveBlanks(std::string& name) { std::erase(name, ' '); }

}  // namespace

// ---------------------------------------------------------------------------------------------

void Trdf_DataSet::Clear() {
  Taxa.clear();
  Characters.clear();
}

void Trdf_DataSet::SetStateSets(std::string_view allowed, std::string_view ambiguous) {
  AllowedStates = TCharSet(allowed);
  AmbiguousStates = TCharSet(ambiguous);
}

// ---------------------------------------------------------------------------------------------
// Checks

void Trdf_DataSet::CheckBinaryCharacters(bool& NotBinary) {
  if (NotBinary) return;
  constexpr char none = '\0';
  std::vector<std::array<char, 2>> codes(Characters.size(), {none, none});
  for (std::size_t c = 0; c < Characters.size(); ++c) {
    auto& [state0, state1] = codes[c];
    for (const Trdf_Sequence& taxon : Taxa) {
      if (c >= taxon.States.size()) continue;
      const char s = taxon.States[c];
      if (s == '.' || s == '?' || s == 'N') continue;
      if (state0 == none) {
        state0 = s;
      } else if (s != state0) {
        if (state1 == none) {
          state1 = s;
        } else if (s != state1) {
          NotBinary = true;
          dialogs().showMessage(rdf_messages::NotBinary(Characters[c].Name), DialogKind::Error);
          return;
        }
      }
    }
  }
  for (Trdf_Sequence& taxon : Taxa)
    for (std::size_t c = 0; c < Characters.size() && c < taxon.States.size(); ++c) {
      char& s = taxon.States[c];
      if (s == codes[c][0])
        s = '0';
      else if (s == codes[c][1])
        s = '1';
    }
}

bool Trdf_DataSet::CheckDuplicateNames(bool CheckTaxa, bool CheckCharacters,
                                       bool ShowMessage) const {
  const auto hasDuplicate = [](const auto& records) {
    std::unordered_set<std::string> seen;
    for (const auto& r : records)
      if (!seen.insert(r.Name).second) return true;
    return false;
  };
  const std::string* message = nullptr;
  if (CheckTaxa && hasDuplicate(Taxa))
    message = &rdf_messages::DuplicateTaxa;
  else if (CheckCharacters && hasDuplicate(Characters))
    message = &rdf_messages::DuplicateCharacters;
  if (message == nullptr) return true;
  if (ShowMessage) dialogs().showMessage(*message, DialogKind::Error);
  return false;
}

bool Trdf_DataSet::SequenceExists(const Trdf_Sequence& Sequence, bool IncludeInactiveTaxa,
                                  bool IncludeInactiveCharacters) const {
  for (const Trdf_Sequence& taxon : Taxa) {
    if (!IncludeInactiveTaxa && !taxon.Active) continue;
    bool same = true;
    for (std::size_t c = 0; c < Characters.size() && same; ++c) {
      if (!IncludeInactiveCharacters && !Characters[c].Active) continue;
      same = c < taxon.States.size() && c < Sequence.States.size() &&
             taxon.States[c] == Sequence.States[c];
    }
    if (same) return true;
  }
  return false;
}

bool Trdf_DataSet::NameExists(std::string_view Kind, std::string_view Name, int OwnPosition) const {
  const auto exists = [&](const auto& records) {
    for (std::size_t i = 0; i < records.size(); ++i)
      if (static_cast<int>(i) + 1 != OwnPosition && records[i].Name == Name) return true;
    return false;
  };
  return Kind == "Sequence" ? exists(Taxa) : exists(Characters);
}

// ---------------------------------------------------------------------------------------------
// Distances

bool Trdf_DataSet::StatesCompatible(char x, char y) const {
  if (x == y) return true;
  if (!AmbiguousStates.Contains(x) && !AmbiguousStates.Contains(y)) return false;
  return x == 'X' || y == 'X' || Compatibility().Compatible(x, y);
}

int Trdf_DataSet::WeightedDistance(int a, int b, bool IncludeInactiveCharacters) const {
  const std::string& x = Taxon(a).States;
  const std::string& y = Taxon(b).States;
  const std::size_t n = std::min({Characters.size(), x.size(), y.size()});
  int distance = 0;
  for (std::size_t c = 0; c < n; ++c) {
    const Trdf_Character& character = Characters[c];
    if ((IncludeInactiveCharacters || character.Active) && !StatesCompatible(x[c], y[c]))
      distance += character.Weight;
  }
  return distance;
}

int Trdf_DataSet::UnweightedDistance(int a, int b, bool IncludeInactiveCharacters) const {
  const std::string& x = Taxon(a).States;
  const std::string& y = Taxon(b).States;
  const std::size_t n = std::min({Characters.size(), x.size(), y.size()});
  int distance = 0;
  for (std::size_t c = 0; c < n; ++c)
    if ((IncludeInactiveCharacters || Characters[c].Active) && !StatesCompatible(x[c], y[c]))
      ++distance;
  return distance;
}

// ---------------------------------------------------------------------------------------------
// Ambiguity resolution

namespace {

// Column counters of the resolution by counts, numbered A 1, G 2, C 3, T 4, 0 5, 1 6.
constexpr std::string_view CountedStates = "AGCT01";

int CounterOf(char s) {
  const std::size_t i = CountedStates.find(s);
  return i == std::string_view::npos ? 0 : static_cast<int>(i) + 1;
}

// The counter chosen for ambiguity code `code` from the column counts; 0 leaves the cell as it is.
int ResolveByCounts(char code, const std::array<int, 7>& count, int fallback) {
  enum { A = 1, G, C, T };
  const auto upgrade = [&](int chosen, int other) {
    return count[chosen] < count[other] ? other : chosen;
  };
  switch (code) {
    case '.':
    case '?':
    case 'N': {
      int best = fallback;
      for (int k = 1; k <= 6; ++k) best = upgrade(best, k);
      return best;
    }
    case 'B': return upgrade(upgrade(G, C), T);
    case 'D': return upgrade(count[A] < count[G] ? G : fallback, T);
    case 'H': return upgrade(count[A] < count[C] ? C : fallback, T);
    case 'V': return upgrade(count[A] < count[G] ? G : fallback, C);
    case 'K': return count[G] < count[T] ? T : G;
    case 'S': return count[G] < count[C] ? C : G;
    case 'Y': return count[C] < count[T] ? T : C;
    case 'M': return count[A] < count[C] ? C : fallback;
    case 'R': return count[A] < count[G] ? G : fallback;
    case 'W': return count[A] < count[T] ? T : fallback;
    default: return 0;
  }
}

// The symbols of the nearest-neighbour resolution, in tie-breaking order, and which of them each
// ambiguity code admits.
constexpr std::string_view NeighbourSymbols = "ABGCTRMYSWKVDH01";

std::string_view AdmittedSymbols(char code) {
  switch (code) {
    case 'R': return "AG";
    case 'Y': return "CT";
    case 'W': return "AT";
    case 'S': return "GC";
    case 'K': return "GT";
    case 'M': return "AC";
    case 'D': return "AGTRWK";
    case 'V': return "AGCRMS";
    case 'B': return "GCTYSK";
    case 'H': return "ACTMYW";
    case '.':
    case 'N': return NeighbourSymbols;
    default: return {};
  }
}

}  // namespace

void Trdf_DataSet::ResolveAmbiguousStatesOfTaxon(bool IncludeInactiveTaxa,
                                                 bool IncludeInactiveCharacters) {
  const int fallback = AllowedStates.Contains('A') ? 1 : 5;
  // Counts per column over all taxa, kept current as cells are resolved: the same as counting
  // afresh for every cell.
  std::vector<std::array<int, 7>> counts(Characters.size(), std::array<int, 7>{});
  for (const Trdf_Sequence& taxon : Taxa)
    for (std::size_t c = 0; c < Characters.size() && c < taxon.States.size(); ++c)
      ++counts[c][static_cast<std::size_t>(CounterOf(taxon.States[c]))];

  for (Trdf_Sequence& taxon : Taxa) {
    if (!IncludeInactiveTaxa && !taxon.Active) continue;
    for (std::size_t c = 0; c < Characters.size() && c < taxon.States.size(); ++c) {
      if (!IncludeInactiveCharacters && !Characters[c].Active) continue;
      char& state = taxon.States[c];
      if (!AmbiguousStates.Contains(state)) continue;
      const int chosen = ResolveByCounts(state, counts[c], fallback);
      if (chosen == 0) continue;
      --counts[c][static_cast<std::size_t>(CounterOf(state))];
      state = CountedStates[static_cast<std::size_t>(chosen - 1)];
      ++counts[c][static_cast<std::size_t>(chosen)];
    }
  }
}

void Trdf_DataSet::ReplaceAmbiguousStates(bool IncludeInactiveCharacters, bool IncludeInactiveTaxa) {
  if (AllowedStates.Contains('Z')) {
    dialogs().showMessage(rdf_messages::NoAminoAcidReplacement, DialogKind::Information);
    return;
  }
  const auto counts = [&](const Trdf_Character& c) { return IncludeInactiveCharacters || c.Active; };
  std::vector<int> nearest;
  std::vector<std::size_t> cells;
  bool changed = true;
  while (changed) {
    changed = false;
    for (int t = 1; t <= TaxaCount(); ++t) {
      Trdf_Sequence& taxon = Taxon(t);
      if (!IncludeInactiveTaxa && !taxon.Active) continue;
      cells.clear();
      for (std::size_t c = 0; c < Characters.size() && c < taxon.States.size(); ++c)
        if (counts(Characters[c]) && AmbiguousStates.Contains(taxon.States[c])) cells.push_back(c);
      if (cells.empty()) continue;

      // Distances are held wide: weights of many characters easily pass 16 bits.
      nearest.clear();
      int minimum = std::numeric_limits<int>::max();
      for (int u = 1; u <= TaxaCount(); ++u) {
        if (u == t || (!IncludeInactiveTaxa && !Taxon(u).Active)) continue;
        const int d = WeightedDistance(t, u, IncludeInactiveCharacters);
        if (d < minimum) {
          minimum = d;
          nearest.clear();
        }
        if (d == minimum) nearest.push_back(u);
      }

      for (std::size_t c : cells) {
        std::array<int, NeighbourSymbols.size()> tally{};
        for (int u : nearest) {
          const std::string& states = Taxon(u).States;
          if (c >= states.size()) continue;
          const std::size_t k = NeighbourSymbols.find(states[c]);
          if (k != std::string_view::npos) ++tally[k];
        }
        // Symbols are tried in their order, so a tie goes to the earlier one.
        const std::string_view admitted = AdmittedSymbols(taxon.States[c]);
        int bestCount = 0;
        char best = '\0';
        for (std::size_t k = 0; k < NeighbourSymbols.size(); ++k) {
          if (tally[k] > bestCount && admitted.find(NeighbourSymbols[k]) != std::string_view::npos) {
            bestCount = tally[k];
            best = NeighbourSymbols[k];
          }
        }
        if (bestCount > 0) {
          taxon.States[c] = best;
          changed = true;
        }
      }
    }
  }
  ResolveAmbiguousStatesOfTaxon(true, true);
}

// ---------------------------------------------------------------------------------------------
// Editing

bool Trdf_DataSet::SetCharacterState(int TaxonPosition, int CharacterPosition, char State) {
  if (!TaxonInRange(TaxonPosition) || !CharacterInRange(CharacterPosition) ||
      static_cast<std::size_t>(CharacterPosition) > Taxon(TaxonPosition).States.size()) {
    dialogs().showMessage(rdf_messages::StateOutOfRange, DialogKind::Error);
    return false;
  }
  Taxon(TaxonPosition).States[static_cast<std::size_t>(CharacterPosition - 1)] = State;
  return true;
}

bool Trdf_DataSet::RenameCharacter(int Position, const std::string& NewName) {
  if (!CharacterInRange(Position)) return false;
  // The name is compared as it will be stored, so cutting cannot make a duplicate.
  const std::string name = Cut(NewName, rdf_limits::CharacterNameLength);
  if (NameExists("Character", name, Position)) {
    dialogs().showMessage(rdf_messages::NameExists, DialogKind::Error);
    return false;
  }
  Character(Position).Name = name;
  return true;
}

bool Trdf_DataSet::RenameTaxon(int Position, const std::string& NewName) {
  if (!TaxonInRange(Position)) return false;
  const std::string name = Cut(NewName, rdf_limits::TaxonNameLength);
  if (NameExists("Sequence", name, Position)) {
    dialogs().showMessage(rdf_messages::NameExists, DialogKind::Error);
    return false;
  }
  Taxon(Position).Name = name;
  return true;
}

bool Trdf_DataSet::SetFrequency(int Position, int Value) {
  if (!TaxonInRange(Position)) return false;
  if (Value < 1 || Value > rdf_limits::MaxFrequency) {
    dialogs().showMessage(rdf_messages::FrequencyRange, DialogKind::Error);
    return false;
  }
  Taxon(Position).Frequency = Value;
  return true;
}

bool Trdf_DataSet::SetTaxonInfo(int Field, int Position, const std::string& Text) {
  if (Field < 1 || Field > rdf_limits::InfoCount || !TaxonInRange(Position)) return false;
  Taxon(Position).Info[static_cast<std::size_t>(Field - 1)] = Cut(Text, rdf_limits::InfoLength);
  return true;
}

bool Trdf_DataSet::InsertCharacter(int Position, int Weight, const std::string& States,
                                   char MajorityState, const std::string& Name) {
  if (States.size() != Taxa.size()) {
    dialogs().showMessage(rdf_messages::CharacterStatesMismatch, DialogKind::Error);
    return false;
  }
  if (Weight < 0 || Weight > rdf_limits::MaxWeight) {
    dialogs().showMessage(rdf_messages::InsertWeightRange, DialogKind::Error);
    return false;
  }
  if (Position < 1 || Position > CharacterCount() + 1) return false;
  const auto at = static_cast<std::size_t>(Position - 1);
  Trdf_Character character;
  character.Name = Cut(Name, rdf_limits::CharacterNameLength);
  character.Weight = Weight;
  character.MajorityState = MajorityState;
  Characters.insert(Characters.begin() + static_cast<std::ptrdiff_t>(at), character);
  for (std::size_t i = 0; i < Taxa.size(); ++i) {
    std::string& s = Taxa[i].States;
    s.insert(std::min(at, s.size()), 1, States[i]);
  }
  return true;
}

bool Trdf_DataSet::DeleteCharacter(int Position) {
  if (!CharacterInRange(Position)) return false;
  if (CharacterCount() == 1) {
    dialogs().showMessage(rdf_messages::LastCharacter, DialogKind::Error);
    return false;
  }
  const auto at = static_cast<std::size_t>(Position - 1);
  Characters.erase(Characters.begin() + static_cast<std::ptrdiff_t>(at));
  for (Trdf_Sequence& taxon : Taxa)
    if (at < taxon.States.size()) taxon.States.erase(at, 1);
  return true;
}

bool Trdf_DataSet::DeleteTaxon(int Position) {
  if (!TaxonInRange(Position)) return false;
  if (TaxaCount() == 1) {
    dialogs().showMessage(rdf_messages::LastTaxon, DialogKind::Error);
    return false;
  }
  Taxa.erase(Taxa.begin() + (Position - 1));
  return true;
}

bool Trdf_DataSet::InsertTaxon(int Position, const std::string& States, const std::string& Name,
                               int Frequency) {
  const bool median = StartsWith(Name, "mv") || StartsWith(Name, "sco");
  if (TaxaCount() >= (median ? rdf_limits::MaxTaxaWithMedians : rdf_limits::MaxTaxa)) {
    dialogs().showMessage(rdf_messages::MaxTaxa, DialogKind::Error);
    return false;
  }
  if (Position < 1 || Position > TaxaCount() + 1) {
    dialogs().showMessage(rdf_messages::TaxonPosition, DialogKind::Error);
    return false;
  }
  if (States.size() != Characters.size()) {
    dialogs().showMessage(rdf_messages::TaxonLength, DialogKind::Error);
    return false;
  }
  Trdf_Sequence taxon;  // information texts start empty
  taxon.States = States;
  taxon.Name = Cut(Name, rdf_limits::TaxonNameLength);
  taxon.Frequency = Frequency;
  Taxa.insert(Taxa.begin() + (Position - 1), std::move(taxon));
  return true;
}

bool Trdf_DataSet::SetWeight(int Position, int Weight) {
  if (!CharacterInRange(Position)) return false;
  if (Weight < 0 || Weight > rdf_limits::MaxWeight) {
    dialogs().showMessage(rdf_messages::WeightRange(Weight), DialogKind::Error);
    return false;
  }
  Character(Position).Weight = Weight;
  Character(Position).Active = Weight != 0;
  return true;
}

// ---------------------------------------------------------------------------------------------
// Whole-set operations

void Trdf_DataSet::FindEquivalentTaxa() {
  // Equality on the active characters is an equivalence, so the first taxon of each class stays
  // active and every later member points to it; hashing finds the classes without comparing pairs.
  std::unordered_map<std::string, int> first;
  std::string key;
  for (int i = 1; i <= TaxaCount(); ++i) {
    Trdf_Sequence& taxon = Taxon(i);
    key.clear();
    for (std::size_t c = 0; c < Characters.size(); ++c)
      if (Characters[c].Active) key.push_back(c < taxon.States.size() ? taxon.States[c] : '\0');
    const auto [it, inserted] = first.try_emplace(key, i);
    taxon.Active = inserted;
    taxon.Representative = inserted ? 0 : it->second;
  }
}

void Trdf_DataSet::ApplyFrequencyCriterion() {
  FindEquivalentTaxa();
  std::vector<bool> followed(Taxa.size() + 1, false);
  for (const Trdf_Sequence& taxon : Taxa)
    if (taxon.Representative > 0) followed[static_cast<std::size_t>(taxon.Representative)] = true;
  for (int i = 1; i <= TaxaCount(); ++i)
    if (Taxon(i).Frequency <= 1 && !followed[static_cast<std::size_t>(i)]) Taxon(i).Active = 0;
}

void Trdf_DataSet::SetRootActive(bool Active) {
  for (Trdf_Sequence& taxon : Taxa) {
    std::string upper = taxon.Name;
    for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (upper == "ROOT") taxon.Active = Active;
  }
}

void Trdf_DataSet::RemoveBlanksFromNames(bool CharacterNames, bool TaxonNames) {
  if (CharacterNames)
    for (Trdf_Character& c : Characters) RemoveBlanks(c.Name);
  if (TaxonNames)
    for (Trdf_Sequence& t : Taxa) RemoveBlanks(t.Name);
}

void Trdf_DataSet::ComputeMajorityStates() {
  constexpr std::size_t maxDistinct = 10;
  for (std::size_t c = 0; c < Characters.size(); ++c) {
    std::array<char, maxDistinct> states{};
    std::array<int, maxDistinct> count{};
    std::size_t distinct = 0;
    for (const Trdf_Sequence& taxon : Taxa) {
      if (c >= taxon.States.size()) continue;
      const char s = taxon.States[c];
      std::size_t k = 0;
      while (k < distinct && states[k] != s) ++k;
      if (k == distinct) {
        if (distinct == maxDistinct) continue;
        states[distinct++] = s;
      }
      ++count[k];
    }
    if (distinct == 0) continue;
    std::size_t best = 0;
    for (std::size_t k = 1; k < distinct; ++k)
      if (count[k] > count[best]) best = k;
    Characters[c].MajorityState = states[best];
  }
}
