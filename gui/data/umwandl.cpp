#include "umwandl.h"

#include "Dialogs.h"
#include "ImportText.h"
#include "RDF_DataSet_Definition.h"
#include "RdfMessages.h"
#include "UHelp.h"
#include "YchFile.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <optional>
#include <unordered_map>
#include <unordered_set>

using import_text::Int32Number;
using import_text::IsBlank;
using import_text::SplitList;
using import_text::TrimBlanks;

namespace {

// --- messages ---

std::string OverwriteQuestion(const std::string& format) {
  return "Warning: Translation of " + format +
         " into rdf format will overwrite existing rdf file and any taxon information in this "
         "file. Enter YES to continue network calculation and overwrite the rdf file, or NO to "
         "abort the translation and preserve the existing rdf file (change this file name to avoid "
         "overwriting and data loss)";
}
const std::string AnyFormat = "phy/nex/tor/ych format";
const std::string YchFormat = "ych format";

const std::string NoData = "The specified file contains no data.";
const std::string IncorrectFormat = "The specified file has an incorrect format.";
const std::string FirstLineCounts =
    "Error detected in first line concerning the number of taxa or the number of nucleotides.";
const std::string SequenceCount =
    "Error concerning the number of sequences. The specified number of sequences does not agree "
    "with the number of sequences within the first row.";
const std::string NotNexus = "The specified file is not in the required NEXUS format.";
const std::string Interleaved =
    "The given nexus-file is in interleaved format which is not supported within Tarvane. Please "
    "choose a different file and try again.";
const std::string NexusCounts =
    "The NEXUS file does not specify the number of taxa and the number of characters (NTAX=... "
    "and NCHAR=... in its DIMENSIONS command). Please correct the file and try again.";
const std::string FurtherErrors = "Further errors in the file will not be displayed";
const std::string TooManyLoci =
    "The specified file contains more loci than applicable with this version of Tarvane. Please "
    "contact Movrel for help.";

std::string NegativeCount(long long count, const std::string& what) {
  return "Error detected in first line concerning the number of " + what + ": " +
         std::to_string(count) + " is not a valid number of " + what + ".";
}
std::string ShortSequence(int taxon) {
  return "Sequence number " + std::to_string(taxon) +
         " does not have the specified number of nucleotides.";
}
std::string SameNames(int i, int j) {
  return "Error concerning the sequence names: Sequence number " + std::to_string(i) + " and " +
         std::to_string(j) + " have the same name within the first six characters. " +
         "The first six signs must be unique.";
}
std::string Multistate(std::size_t column) {
  return "The specified file contains a multistate character at position " +
         std::to_string(column) + ". The character will be ignored in further analyses.";
}
std::string MissingName(int taxon) {
  return "Error concerning the name of sequence number " + std::to_string(taxon) +
         ". The name is missing.";
}
std::string FewerRows(std::size_t rows, std::size_t announced) {
  return "Error concerning the number of sequences. The matrix contains " + std::to_string(rows) +
         " sequences, but NTAX specifies " + std::to_string(announced) + ".";
}
std::string WrongFrequency(int group) {
  return "Wrong frequency format of sequence " + std::to_string(group) +
         ". Frequency has been set to 1.";
}
std::string RenamedLoci(const std::vector<std::string>& renames) {
  std::string text = "Warning: The first six characters of locus names must differ. Renamed:";
  for (const std::string& r : renames) text += " " + r;
  return text;
}

void Show(const std::string& text) { dialogs().showMessage(text, DialogKind::Error); }

// --- shared steps ---

enum class Target { Write, Keep, Fail };

// The .rdf name beside the input, and whether it may be written: an existing file only after the
// user agreed.
Target RdfTarget(const std::string& fileName, const std::string& format, std::string& rdfName) {
  if (!ChangeFileExtension("rdf", fileName, rdfName)) return Target::Fail;
  std::error_code ec;
  if (std::filesystem::exists(rdfName, ec) &&
      !dialogs().askYesNo(OverwriteQuestion(format), DialogKind::Warning))
    return Target::Keep;
  return Target::Write;
}

bool ReadLines(const std::string& fileName, std::vector<std::string>& lines) {
  if (ReadTextFileLines(fileName, lines)) return true;
  Show(rdf_messages::CannotOpen(fileName));
  return false;
}

bool WriteRdf(const std::string& rdfName, std::string_view text) {
  if (WriteWholeFile(rdfName, text)) return true;
  Show(rdf_messages::CannotWrite(rdfName));
  return false;
}

bool WithinLimits(std::size_t taxa, std::size_t characters) {
  if (taxa > static_cast<std::size_t>(rdf_limits::MaxTaxa)) {
    Show(rdf_messages::MaxSequencesRead(rdf_limits::MaxTaxa));
    return false;
  }
  if (characters > static_cast<std::size_t>(rdf_limits::MaxCharacters)) {
    Show(rdf_messages::MaxCharactersRead(rdf_limits::MaxCharacters));
    return false;
  }
  return true;
}

// --- RFLP site lists (.tor) ---

struct Site {
  std::string token;  // sign and label, such as "+12"
  std::string key;    // the label's digits (at most 5), right-aligned in 5 columns
};

std::string SiteKey(std::string_view token) {
  std::string digits;
  for (char c : token)
    if (std::isdigit(static_cast<unsigned char>(c)) && digits.size() < 5) digits += c;
  return std::string(5 - digits.size(), ' ') + digits;
}

// The tokens of a site line without the closing "-1" (which is no site, even when a site "-1"
// exists).
std::vector<std::string> SiteTokens(std::string_view line) {
  std::vector<std::string> tokens;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    const std::size_t start = i;
    while (i < line.size() && !IsBlank(line[i])) ++i;
    if (i > start) tokens.emplace_back(line.substr(start, i - start));
  }
  if (!tokens.empty() && tokens.back() == "-1") tokens.pop_back();
  return tokens;
}

struct TorTaxon {
  std::string name;
  std::vector<std::string> tokens;
  std::string frequency;
};

// --- Y-STR repeat tables (.ych) ---

struct YchLocus {
  std::string name;
  int weight = rdf_limits::DefaultWeight;
  int minimum = 1000;
  int maximum = -1000;
  int characters() const { return std::max(0, maximum - minimum); }
};

// Locus names are cut to 6 characters, so that the two-letter suffixes keep character names within
// 8. A cut name equal to an earlier one (DYS389I, DYS389II) would give equal character names: it
// ends in the last characters of its full name instead, or in a number when that is not enough.
void MakeLocusNamesUnique(std::vector<YchLocus>& loci, const std::vector<std::string>& fullNames) {
  std::vector<std::string> renames;
  std::unordered_set<std::string> used;
  for (std::size_t l = 0; l < loci.size(); ++l) {
    std::string name = fullNames[l].substr(0, 6);
    const std::string& full = fullNames[l];
    for (std::size_t tail = 1; used.count(name) && tail <= 5 && tail < full.size(); ++tail)
      name = full.substr(0, 6 - tail) + full.substr(full.size() - tail);
    for (int n = 1; used.count(name); ++n) {
      const std::string number = std::to_string(n);
      name = full.substr(0, 6 - std::min<std::size_t>(6, number.size())) + number;
    }
    if (name != full.substr(0, 6)) renames.push_back(full + " -> " + name);
    used.insert(name);
    loci[l].name = name;
  }
  if (!renames.empty()) dialogs().showMessage(RenamedLoci(renames), DialogKind::Warning);
}

// "aa", "ab", ..., "az", "ba", ...
std::string Suffix(int index) {
  return {static_cast<char>('a' + index / 26 % 26), static_cast<char>('a' + index % 26)};
}

// A repeat value the recoding can use: the editor's reading of the value, 99 and above (also the
// microvariants and other values the editor keeps as undetermined) being undetermined.
std::optional<int> DeterminedRepeat(std::string_view text) {
  const int value = YchRepeatValue(text);
  if (value >= ych_limits::Undetermined) return std::nullopt;
  return value;
}

// --- PHYLIP and NEXUS ---

struct Sequence {
  std::string name;
  std::string states;
};

// A kept column: its 1-based number in the source, and its states (recoded in binary mode).
struct Column {
  std::size_t number;
  std::string states;
};

// Keeps the columns 1..characters that vary; in binary mode recodes them to '0' (the first taxon's
// state) and '1', dropping multistate ones with a message (at most `maxMessages` of them, then a
// closing note). Every sequence holds at least `characters` states.
std::vector<Column> VariableColumns(const std::vector<Sequence>& taxa, std::size_t characters,
                                    bool binary, int maxMessages) {
  std::vector<Column> kept;
  int messages = 0;
  for (std::size_t c = 0; c < characters; ++c) {
    const char first = taxa[0].states[c];
    char second = 0;
    bool multistate = false;
    for (const Sequence& taxon : taxa) {
      const char s = taxon.states[c];
      if (s == first) continue;
      if (second == 0)
        second = s;
      else if (s != second)
        multistate = true;
    }
    if (second == 0) continue;  // constant
    if (binary && multistate) {
      if (messages < maxMessages) {
        Show(Multistate(c + 1));
        if (++messages == maxMessages) Show(FurtherErrors);
      }
      continue;
    }
    Column column{c + 1, {}};
    column.states.reserve(taxa.size());
    for (const Sequence& taxon : taxa)
      column.states += binary ? (taxon.states[c] == first ? '0' : '1') : taxon.states[c];
    kept.push_back(std::move(column));
  }
  return kept;
}

// The first taxon (in file order) whose name comes again is named with its first repetition.
bool NamesUnique(const std::vector<Sequence>& taxa) {
  std::unordered_map<std::string_view, std::vector<std::size_t>> positions;
  for (std::size_t i = 0; i < taxa.size(); ++i) positions[taxa[i].name].push_back(i);
  for (std::size_t i = 0; i < taxa.size(); ++i) {
    const std::vector<std::size_t>& same = positions[taxa[i].name];
    if (same.size() > 1) {
      Show(SameNames(static_cast<int>(i + 1), static_cast<int>(same[1] + 1)));
      return false;
    }
  }
  return true;
}

// The old fixed-column rdf layout: six lines of column numbers written vertically, one line per
// taxon (name right-aligned in 6 columns, a blank, the states, frequency 1 in 3 columns), an empty
// line and the weights, 125 to a line.
std::string OldLayoutText(const std::vector<Sequence>& taxa, const std::vector<Column>& columns) {
  std::vector<std::string> names;
  names.reserve(columns.size());
  for (const Column& column : columns) names.push_back(std::to_string(column.number));
  std::string out;
  for (std::size_t k = 0; k < 6; ++k) {
    out += "       ";
    for (const std::string& name : names) out += k < name.size() ? name[k] : ' ';
    out += "\r\n";
  }
  for (std::size_t t = 0; t < taxa.size(); ++t) {
    out += std::string(6 - std::min<std::size_t>(6, taxa[t].name.size()), ' ') + taxa[t].name + ' ';
    for (const Column& column : columns) out += column.states[t];
    out += "  1\r\n";
  }
  out += "\r\n";
  for (std::size_t c = 0; c < columns.size(); c += 125) {
    for (std::size_t i = c; i < columns.size() && i < c + 125; ++i) out += "10";
    out += "\r\n";
  }
  return out;
}

// Residue letters that are no nucleotide code: one of them anywhere makes an amino-acid alignment.
bool HoldsAminoAcids(const std::vector<Sequence>& taxa, std::size_t characters) {
  constexpr std::string_view residuesOnly = "EFILPQUXZ";
  for (const Sequence& taxon : taxa)
    for (std::size_t c = 0; c < characters && c < taxon.states.size(); ++c) {
      const char s = static_cast<char>(std::toupper(static_cast<unsigned char>(taxon.states[c])));
      if (residuesOnly.find(s) != std::string_view::npos) return true;
    }
  return false;
}

// The common end of the PHYLIP and NEXUS imports: checks, column selection, the overwrite question
// and the file.
bool WriteSequences(const std::string& fileName, const std::vector<Sequence>& taxa,
                    std::size_t characters, bool binary, int maxMessages, bool* aminoAcids) {
  if (aminoAcids) *aminoAcids = HoldsAminoAcids(taxa, characters);
  if (!NamesUnique(taxa)) return false;
  const std::vector<Column> columns = VariableColumns(taxa, characters, binary, maxMessages);
  if (!WithinLimits(taxa.size(), columns.size())) return false;
  std::string rdfName;
  if (RdfTarget(fileName, AnyFormat, rdfName) != Target::Write) return false;
  return WriteRdf(rdfName, OldLayoutText(taxa, columns));
}

// Numbers of a PHYLIP first line: digits form numbers, a blank ends one, other characters are
// ignored, except that a '-' right before a number's first digit makes it negative (and so refused
// by the caller, rather than read as its absolute value). Very large numbers are held at a ceiling
// that no file reaches.
std::vector<long long> FirstLineNumbers(std::string_view line) {
  constexpr long long ceiling = std::numeric_limits<long long>::max() / 20;
  std::vector<long long> numbers;
  std::optional<long long> current;
  bool negative = false, minusBefore = false;
  for (char c : line) {
    if (std::isdigit(static_cast<unsigned char>(c))) {
      if (!current) negative = minusBefore;
      current = std::min(ceiling, current.value_or(0) * 10 + (c - '0'));
    } else if (IsBlank(c) && current) {
      numbers.push_back(negative ? -*current : *current);
      current.reset();
    }
    minusBefore = c == '-';
  }
  if (current) numbers.push_back(negative ? -*current : *current);
  return numbers;
}

std::string WithoutBlanks(std::string_view text) {
  std::string out;
  for (char c : text)
    if (!IsBlank(c)) out += c;
  return out;
}

// The number directly after '=' in a NEXUS word such as "NTAX=12"; 0 when there is none.
std::size_t NumberAfterEquals(std::string_view word) {
  std::size_t value = 0;
  for (std::size_t i = word.find('=') + 1; i < word.size() && value < 1000000000; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(word[i]))) break;
    value = value * 10 + static_cast<std::size_t>(word[i] - '0');
  }
  return value;
}

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

bool ImportTorFile(const std::string& FileName) {
  std::string rdfName;
  switch (RdfTarget(FileName, AnyFormat, rdfName)) {
    case Target::Fail: return false;
    case Target::Keep: return true;
    case Target::Write: break;
  }
  std::vector<std::string> lines;
  if (!ReadLines(FileName, lines)) return false;

  // Three lines per taxon up to the name line "-1".
  std::vector<TorTaxon> taxa;
  for (std::size_t i = 0; i + 3 <= lines.size(); i += 3) {
    if (TrimBlanks(lines[i]) == "-1") break;
    taxa.push_back({lines[i], SiteTokens(lines[i + 1]), std::string(TrimBlanks(lines[i + 2]))});
  }
  if (taxa.empty()) {
    Show(NoData);
    return false;
  }

  if (!WithinLimits(taxa.size(), 0)) return false;

  // The sites, sorted by the numbers of their labels; equal numbers keep their first appearance.
  std::vector<Site> sites;
  std::unordered_set<std::string> known;
  for (const TorTaxon& taxon : taxa)
    for (const std::string& token : taxon.tokens) {
      if (token[0] == '?' || !known.insert(token).second) continue;
      if (!WithinLimits(0, sites.size() + 1)) return false;
      Site site{token, SiteKey(token)};
      const auto at = std::upper_bound(sites.begin(), sites.end(), site.key,
                                       [](const std::string& key, const Site& s) {
                                         return key < s.key;
                                       });
      sites.insert(at, std::move(site));
    }

  Trdf_DataSet data;
  std::string defaults;
  std::unordered_map<std::string, std::size_t> siteOfToken;
  std::unordered_multimap<std::string, std::size_t> sitesOfLabel;
  for (std::size_t s = 0; s < sites.size(); ++s) {
    const std::string& token = sites[s].token;
    Trdf_Character character;
    character.Name = token + std::string(token.size() < 7 ? 7 - token.size() : 0, ' ');
    data.Characters.push_back(std::move(character));
    defaults += token[0] == '-' ? '1' : '0';
    siteOfToken.emplace(token, s);
    sitesOfLabel.emplace(token.substr(1), s);
  }
  for (const TorTaxon& taxon : taxa) {
    Trdf_Sequence sequence;
    sequence.Name = taxon.name.substr(0, 6);
    sequence.Frequency = taxon.frequency.empty() ? 1 : Int32Number(taxon.frequency).value_or(1);
    // The rdf reader refuses it; refused here, no .rdf is written from it.
    if (sequence.Frequency < 0) {
      Show(rdf_messages::NegativeFrequency(sequence.Name, sequence.Frequency));
      return false;
    }
    sequence.States = defaults;
    for (const std::string& token : taxon.tokens) {
      if (token[0] == '?') {
        // Every site of that label is undetermined in this taxon, whatever its sign.
        const auto [first, last] = sitesOfLabel.equal_range(token.substr(1));
        for (auto it = first; it != last; ++it) sequence.States[it->second] = '?';
      } else if (const auto it = siteOfToken.find(token); it != siteOfToken.end()) {
        sequence.States[it->second] = token[0] == '-' ? '0' : '1';
      }
    }
    data.Taxa.push_back(std::move(sequence));
  }
  return WriteRdf(rdfName, data.RdfText(true, true));
}

bool ImportYchFile(const std::string& FileName) {
  std::string rdfName;
  switch (RdfTarget(FileName, YchFormat, rdfName)) {
    case Target::Fail: return false;
    case Target::Keep: return true;
    case Target::Write: break;
  }
  std::vector<std::string> lines;
  if (!ReadLines(FileName, lines)) return false;
  if (lines.size() <= 3) {
    Show(NoData);
    return false;
  }

  // Loci: names, then weights.
  std::vector<std::string> fullNames;
  if (!TrimBlanks(lines[0]).empty())
    for (std::string_view piece : SplitList(lines[0], ',')) {
      std::string name;
      for (char c : TrimBlanks(piece))
        if (c != ';') name += c;  // ';' separates the fields of an rdf file
      fullNames.push_back(std::move(name));
    }
  if (fullNames.empty()) {
    Show(ych_messages::LociFormat);
    return false;
  }
  if (fullNames.size() > static_cast<std::size_t>(ych_limits::MaxLoci)) {
    Show(TooManyLoci);
    return false;
  }
  std::vector<YchLocus> loci(fullNames.size());
  MakeLocusNamesUnique(loci, fullNames);
  const std::vector<std::string_view> weights = SplitList(lines[1], ',');
  for (std::size_t l = 0; l < loci.size() && l < weights.size(); ++l) {
    const std::optional<int32_t> weight = Int32Number(weights[l]);
    if (weight && *weight >= 0 && *weight <= rdf_limits::MaxWeight)
      loci[l].weight = *weight;
    else
      dialogs().showMessage(rdf_messages::WeightNotNumber(loci[l].name), DialogKind::Warning);
  }

  // Taxa in complete three-line groups; a taxon with '?' in its repeats, or whose repeats do not
  // start with a digit, is left out.
  struct Taxon {
    std::size_t line;  // its name line
    std::vector<std::optional<int>> repeats;
  };
  std::vector<Taxon> taxa;
  for (std::size_t i = 3; i + 3 <= lines.size(); i += 3) {
    const std::string& repeats = lines[i + 1];
    if (repeats.find('?') != std::string::npos || repeats.empty() ||
        !std::isdigit(static_cast<unsigned char>(repeats[0])))
      continue;
    const std::vector<std::string_view> values = SplitList(repeats, ',');
    for (std::size_t l = 0; l < values.size() && l < loci.size(); ++l)
      if (!IsYchRepeatValue(values[l])) {
        const std::string& head = lines[i];
        Show(ych_messages::BadRepeat(TrimBlanks(values[l]), head.substr(0, head.find(';')), i + 2,
                                     fullNames[l]));
        return false;
      }
    if (values.size() != loci.size()) {
      // Without this check the taxon's state line would be shorter or longer than the others.
      Show(ych_messages::LocusCount(static_cast<int>(i / 3)));
      return false;
    }
    Taxon taxon{i, {}};
    for (std::size_t l = 0; l < loci.size(); ++l) {
      const std::optional<int> v = DeterminedRepeat(values[l]);
      if (v) {
        loci[l].minimum = std::min(loci[l].minimum, *v);
        loci[l].maximum = std::max(loci[l].maximum, *v);
      }
      taxon.repeats.push_back(v);
    }
    taxa.push_back(std::move(taxon));
  }
  std::size_t characters = 0;
  for (const YchLocus& locus : loci) characters += static_cast<std::size_t>(locus.characters());
  if (!WithinLimits(taxa.size(), characters)) return false;

  // Each locus becomes (maximum - minimum) threshold characters: character t is '1' when the
  // value is at most minimum + t.
  Trdf_DataSet data;
  for (const YchLocus& locus : loci)
    for (int t = 0; t < locus.characters(); ++t) {
      Trdf_Character character;
      character.Name = locus.name + Suffix(t);
      character.Weight = locus.weight;
      character.Active = locus.weight != 0;
      data.Characters.push_back(std::move(character));
    }
  for (const Taxon& taxon : taxa) {
    Trdf_Sequence sequence;
    const std::string& head = lines[taxon.line];
    const std::size_t semicolon = head.find(';');
    sequence.Name = head.substr(0, semicolon);
    if (semicolon != std::string::npos) {
      const std::vector<std::string_view> info =
          import_text::SplitAt(std::string_view(head).substr(semicolon + 1), ';');
      for (std::size_t f = 0; f < info.size() && f < sequence.Info.size(); ++f)
        sequence.Info[f] = std::string(info[f].substr(0, rdf_limits::InfoLength));
    }
    const std::optional<int32_t> frequency = Int32Number(lines[taxon.line + 2]);
    if (frequency && *frequency >= 1 && *frequency <= rdf_limits::MaxFrequency) {
      sequence.Frequency = *frequency;
    } else {
      dialogs().showMessage(WrongFrequency(static_cast<int>(taxon.line / 3 + 1)),
                            DialogKind::Warning);
    }
    for (std::size_t l = 0; l < loci.size(); ++l) {
      const std::optional<int>& v = taxon.repeats[l];
      for (int t = loci[l].minimum; t < loci[l].maximum; ++t)
        sequence.States += !v ? '?' : (t < *v ? '0' : '1');
    }
    data.Taxa.push_back(std::move(sequence));
  }
  return WriteRdf(rdfName, data.RdfText(true, true));
}

bool ImportPhylipFile(const std::string& FileName, bool Binary, bool* AminoAcids) {
  std::vector<std::string> lines;
  if (!ReadLines(FileName, lines)) return false;
  if (lines.empty()) {
    Show(NoData);
    return false;
  }
  if (lines[0].empty()) {
    Show(IncorrectFormat);
    return false;
  }
  const std::vector<long long> counts = FirstLineNumbers(lines[0]);
  if (counts.size() < 2 || counts[0] == 0 || counts[1] == 0) {
    Show(FirstLineCounts);
    return false;
  }
  if (counts[0] < 0 || counts[1] < 0) {
    Show(counts[0] < 0 ? NegativeCount(counts[0], "taxa")
                       : NegativeCount(counts[1], "nucleotides"));
    return false;
  }
  const auto taxaCount = static_cast<std::size_t>(counts[0]);
  const auto characters = static_cast<std::size_t>(counts[1]);
  if (!WithinLimits(taxaCount, 0)) return false;

  std::vector<Sequence> taxa;
  std::size_t nameWidth = 0;  // the name field: the first data line's first word and its blanks
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (TrimBlanks(line).empty()) continue;
    if (nameWidth == 0) {
      while (nameWidth < line.size() && IsBlank(line[nameWidth])) ++nameWidth;
      while (nameWidth < line.size() && !IsBlank(line[nameWidth])) ++nameWidth;
      while (nameWidth < line.size() && IsBlank(line[nameWidth])) ++nameWidth;
    }
    const std::string name = WithoutBlanks(std::string_view(line).substr(0, nameWidth));
    if (!name.empty() && taxa.size() < taxaCount) {
      if (!taxa.empty() && taxa.back().states.size() < characters) {
        Show(ShortSequence(static_cast<int>(taxa.size())));
        return false;
      }
      taxa.push_back({name.substr(0, 6), {}});
    }
    if (line.size() > nameWidth) taxa.back().states += WithoutBlanks(line.substr(nameWidth));
  }
  // The last taxon is held to the same length as the others.
  if (!taxa.empty() && taxa.back().states.size() < characters) {
    Show(ShortSequence(static_cast<int>(taxa.size())));
    return false;
  }
  if (taxa.size() < taxaCount) {
    Show(SequenceCount);
    return false;
  }
  // Capped as for NEXUS: a binary reading of a large multistate file would otherwise show one box
  // per column, thousands of them.
  return WriteSequences(FileName, taxa, characters, Binary, 5, AminoAcids);
}

bool ImportNexusFile(const std::string& FileName, bool Binary, bool* AminoAcids) {
  std::vector<std::string> lines;
  if (!ReadLines(FileName, lines)) return false;
  if (lines.empty()) {
    Show(NoData);
    return false;
  }
  // The NEXUS standard does not distinguish case, so "#nexus" is accepted as well.
  if (Upper(lines[0]).rfind("#NEXUS", 0) != 0) {
    Show(NotNexus);
    return false;
  }

  // Header up to the line holding MATRIX.
  std::size_t taxaCount = 0;
  std::size_t characters = 0;
  std::size_t row = 1;
  bool matrix = false;
  for (; row < lines.size() && !matrix; ++row) {
    std::string word;
    const std::string line = Upper(lines[row]) + ' ';
    for (char c : line) {
      if (c != ' ' && c != '\t' && c != ';') {
        word += c;
        continue;
      }
      if (word.rfind("NTAX=", 0) == 0) taxaCount = NumberAfterEquals(word);
      if (word.rfind("NCHAR=", 0) == 0) characters = NumberAfterEquals(word);
      if (word == "MATRIX") matrix = true;
      if (word == "INTERLEAVE" || word == "INTERLEAVE=YES") {
        Show(Interleaved);
        return false;
      }
      word.clear();
    }
  }
  if (taxaCount == 0 || characters == 0) {
    Show(NexusCounts);
    return false;
  }
  if (!WithinLimits(taxaCount, 0)) return false;

  // Matrix: one line per taxon, the sequence after the line's last blank. The ';' that closes the
  // matrix ends it.
  std::vector<Sequence> taxa;
  for (; row < lines.size() && taxa.size() < taxaCount; ++row) {
    std::string_view text = lines[row];
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    const std::string_view content = TrimBlanks(text);
    if (content.empty() || content[0] == '[') continue;
    if (content[0] == ';') break;
    const int number = static_cast<int>(taxa.size()) + 1;
    const std::size_t lastBlank = text.find_last_of(" \t");
    const std::size_t start = lastBlank == std::string_view::npos ? 0 : lastBlank + 1;
    if (text.size() - start < characters) {
      Show(ShortSequence(number));
      return false;
    }
    const std::string_view name = TrimBlanks(text.substr(0, start));
    if (name.empty()) {
      Show(MissingName(number));
      return false;
    }
    taxa.push_back({std::string(name.substr(0, 6)), std::string(text.substr(start, characters))});
  }
  if (taxa.size() < taxaCount) {
    Show(FewerRows(taxa.size(), taxaCount));
    return false;
  }
  return WriteSequences(FileName, taxa, characters, Binary, 5, AminoAcids);
}

std::optional<TImportedFile> ImportDataFile(const std::string& Chosen, bool Binary) {
  std::string type = Chosen.size() >= 3 ? Chosen.substr(Chosen.size() - 3) : Chosen;
  for (char& c : type) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  TImportedFile file{Chosen, false};
  bool imported = true;
  if (type == "TOR")
    imported = ImportTorFile(Chosen);
  else if (type == "YCH")
    imported = ImportYchFile(Chosen);
  else if (type == "PHY")
    imported = ImportPhylipFile(Chosen, Binary, &file.AminoAcids);
  else if (type == "NEX")
    imported = ImportNexusFile(Chosen, Binary, &file.AminoAcids);
  else
    return file;
  if (!imported || !ChangeFileExtension("rdf", Chosen, file.RdfName)) return std::nullopt;
  return file;
}
