#include "Dia_File.h"

#include "DiagramText.h"
#include "Dialogs.h"
#include "UHelp.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <set>
#include <stdexcept>

using namespace diagramtext;

namespace {

std::string NoBlanks(std::string_view text) { return ReplaceCharByString(text, ' ', ""); }

// Cuts the first ';'-closed field off `rest`, the way every ';'-separated line of a .out file is
// read: a last field without its own ';' loses its last character.
std::string CutField(std::string& rest) {
  const int p = FirstCharPos(rest, ';');
  std::string head = rest.substr(0, static_cast<std::size_t>(p - 1));
  rest.erase(0, static_cast<std::size_t>(p));
  return head;
}

// ---- .out ----

std::string CleanMutationField(std::string field) {
  field.resize(8, ' ');
  for (char& c : field) {
    const bool kept = c == ' ' || c == '-' || c == '.' || c == '/' || c == '_' ||
                      (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (!kept) c = ' ';
  }
  // Left-justify in 8 characters.
  const std::size_t first = field.find_first_not_of(' ');
  if (first == std::string::npos) return field;
  std::string out = field.substr(first);
  out.resize(8, ' ');
  return out;
}

// The link number stands right-justified in columns 5-9; from link 100000 on its extra digits
// push the rest of the line to the right. The line is read as if they were not there.
std::string WithoutLinkNumberOverflow(const std::string& line) {
  std::size_t end = 4;
  while (end < line.size() && line[end] == ' ') ++end;
  while (end < line.size() && line[end] >= '0' && line[end] <= '9') ++end;
  return end > 9 ? line.substr(0, 9) + line.substr(end) : line;
}

void ReadOutLink(TNetwork_Diagramm& d, const std::string& fileLine) {
  const std::string line = WithoutLinkNumberOverflow(fileLine);
  LinkType link;
  link.Taxon1 = Columns(line, 18, 6);
  link.Taxon2 = Columns(line, 35, 6);
  const char state = line.size() >= 11 ? line[10] : ' ';
  if (state == '*' || (state >= '1' && state <= '9') || state == 'a') {
    link.InTorso = true;
    link.TorsoPart = 1;
  }
  std::size_t count = 0;
  if (line.size() > 55) count = (line.size() - 55 + 8) / 9;  // a last, shorter field counts
  if (count > static_cast<std::size_t>(kMaxMutationsPerLink)) {
    count = kMaxMutationsPerLink;
    ++d.LongEdges;
  }
  link.Mutations.resize(count);
  for (std::size_t k = 0; k < count; ++k)
    link.Mutations[k].Character = CleanMutationField(Columns(line, 56 + 9 * k, 8));
  d.Links.push_back(std::move(link));
}

// A reader error: the message names the line.
std::runtime_error LineError(std::size_t lineIndex, const std::string& what) {
  return std::runtime_error("Line " + std::to_string(lineIndex + 1) + ": " + what);
}

void ReadOutFrequency(TNetwork_Diagramm& d, const std::string& line, std::size_t lineIndex) {
  TaxonType t;
  t.Name = Columns(line, 19, 6);
  t.Frequency = ParseInteger(ColumnsFrom(line, 28).substr(0, 10)).value_or(1);
  if (t.Frequency < 0)
    throw LineError(lineIndex, "the frequency " + std::to_string(t.Frequency) + " is negative.");
  t.OrigFrequency = t.Frequency;
  d.Taxa.push_back(std::move(t));
}

void ReadOutMapping(TNetwork_Diagramm& d, const std::string& line) {
  std::string rest = line;
  const std::string kind = CutField(rest);
  const std::string name = CutField(rest);
  if (kind == "Mapping of taxon") {
    const int n = d.FindNode(name);
    if (n >= 0) d.Taxa[n].Label = rest;
  } else if (kind == "Mapping of character") {
    const std::string character = NoBlanks(name);
    for (LinkType& l : d.Links)
      for (MutationType& m : l.Mutations)
        if (NoBlanks(m.Character.substr(0, 6)) == character) m.Name = rest;
  }
}

void SetInfo(TaxonType& t, std::size_t item, const std::string& label, const std::string& value) {
  t.Info[item] = {label.substr(0, kInfoLabelLength), value.substr(0, kInfoValueLength)};
}

void ReadOutInformation(TNetwork_Diagramm& d, const std::string& line) {
  std::string rest = line;
  CutField(rest);  // "Other information of taxon"
  const int n = d.FindNode(CutField(rest));
  if (n < 0) return;
  TaxonType& t = d.Taxa[n];
  while (!rest.empty()) {
    const std::string kind = CutField(rest);
    const int group = kind.starts_with("Group") ? GroupNumber(std::string_view(kind).substr(5)) : -1;
    if (kind == "EthnicGroup") SetInfo(t, 0, "Ethnic group", CutField(rest));
    else if (kind == "Phenotype") SetInfo(t, 0, kind, CutField(rest));
    else if (kind == "Region" || kind == "Geography") SetInfo(t, 1, kind, CutField(rest));
    else if (kind == "Haplogroup" || kind == "Lineage") SetInfo(t, 2, kind, CutField(rest));
    else if (group >= 1 && group <= 3) SetInfo(t, 2 + group, "Group" + std::to_string(group), CutField(rest));
    // An unknown kind is passed over by itself.
  }
}

void FinishOutNetwork(TNetwork_Diagramm& d) {
  d.TotalTaxa = 0;
  d.TotalHaplotypes = 0;
  for (LinkType& l : d.Links)
    for (MutationType& m : l.Mutations)
      if (m.Name.empty()) m.Name = m.Character;
  // Frequencies are not negative; their sums are taken in 64 bits and refused past an int.
  const auto checkedSum = [](std::int64_t sum) {
    if (sum > std::numeric_limits<std::int32_t>::max())
      throw std::runtime_error("The frequencies add up to more than " +
                               std::to_string(std::numeric_limits<std::int32_t>::max()) + ".");
    return static_cast<std::int32_t>(sum);
  };
  std::int64_t total = 0;
  for (TaxonType& t : d.Taxa) {
    if (t.Label.empty()) t.Label = t.Name;
    if (!IsMedianName(t.Name) || t.Frequency > 0) {
      total += t.Frequency;
      ++d.TotalHaplotypes;
    }
  }
  d.TotalTaxa = checkedSum(total);
  for (const EquiTaxonType& e : d.EquivalentTaxa) {
    const int n1 = d.FindNode(e.Taxon1), n2 = d.FindNode(e.Taxon2);
    if (n1 >= 0 && n2 >= 0)
      d.Taxa[n1].Frequency =
          checkedSum(std::int64_t{d.Taxa[n1].Frequency} + d.Taxa[n2].Frequency);
  }
  for (TaxonType& t : d.Taxa) {
    Pie p;
    p.PieFrequency = t.Frequency;
    p.PieColor = clYellow;
    p.PiePattern = bsSolid;
    t.Pies = {p};
  }
  d.TotalHaplotypes -= d.EquivalentTaxonCount();
  if (d.LongEdges > 0) dialogs().showMessage(LongEdgesWarning(), DialogKind::Warning);
}

// ---- .sto ----

int IntegerOrThrow(const std::string& text, std::size_t lineIndex) {
  const std::optional<int> value = ParseInteger(text);
  if (!value) throw LineError(lineIndex, "\"" + text + "\" is not an integer.");
  return *value;
}

bool IsEnd(const std::string& line) { return line.starts_with("End"); }

// The link number of a "Link<TAB>number<TAB>name<TAB>name" line; nothing when the line has fewer
// than two separators.
std::optional<int> StoLinkNumber(const std::string& line, std::size_t lineIndex) {
  const std::size_t first = line.find_first_of("\t;");
  if (first == std::string::npos) return std::nullopt;
  const std::size_t second = line.find_first_of("\t;", first + 1);
  if (second == std::string::npos) return std::nullopt;
  return IntegerOrThrow(line.substr(first + 1, second - first - 1), lineIndex);
}

// A section that the file ends in before its "End" line: the file was cut off.
std::runtime_error Unclosed(const std::string& section) {
  return std::runtime_error("The file is cut off: its section \"" + section + "\" has no End line.");
}

// The link lines of a tree or network section up to its "End" line. A count line ("Tree-Edges n",
// "MP-Edges n") must agree with the link lines that follow it.
void ReadStoLinks(const std::vector<std::string>& lines, std::size_t& pos, SubTree& links,
                  const std::string& section) {
  std::optional<int> announced;
  std::size_t announcedAt = 0;
  int linkLines = 0;
  while (pos < lines.size()) {
    const std::string& line = lines[pos];
    const std::size_t index = pos++;
    if (IsEnd(line)) {
      if (announced && *announced != linkLines)
        throw LineError(announcedAt, "the section \"" + section + "\" announces " +
                                         std::to_string(*announced) + " links but lists " +
                                         std::to_string(linkLines) + ".");
      return;
    }
    if (line.starts_with("Tree-Edges") || line.starts_with("MP-Edges")) {
      const std::size_t blank = line.find(' ');
      announced = IntegerOrThrow(blank == std::string::npos ? std::string() : line.substr(blank + 1),
                                 index);
      announcedAt = index;
      continue;
    }
    if (!line.starts_with("Link")) continue;
    ++linkLines;
    if (const std::optional<int> k = StoLinkNumber(line, index)) links.push_back(*k);
  }
  throw Unclosed(section);
}

void ReadStoSubnetworkList(TNetwork_Diagramm& d, const std::vector<std::string>& lines,
                           std::size_t& pos) {
  while (pos < lines.size()) {
    const std::string& line = lines[pos];
    const std::size_t index = pos++;
    if (IsEnd(line)) return;
    if (line.starts_with("Number")) IntegerOrThrow(ColumnsFrom(line, 8), index);
    else if (line.starts_with("Cost")) d.SteinerLength = IntegerOrThrow(ColumnsFrom(line, 6), index);
  }
  throw Unclosed("Subnetworks");
}

void ReadStoSubnetwork(TNetwork_Diagramm& d, const std::vector<std::string>& lines,
                       std::size_t& pos) {
  d.SteinerTrees.emplace_back();
  ReadStoLinks(lines, pos, d.SteinerTrees.back(), "Sub " + std::to_string(d.SteinerTrees.size()));
}

void ReadStoMPNetwork(TNetwork_Diagramm& d, const std::vector<std::string>& lines,
                      std::size_t& pos) {
  d.SteinerNetwork.clear();
  ReadStoLinks(lines, pos, d.SteinerNetwork, "MP-Network");
}

// Reads the file's lines; `cutLine` tells whether the last line has no line end, as in a file cut
// off in mid-line (every writer ends every line; a hand-edited file may not).
bool ReadLines(const std::string& fileName, std::vector<std::string>& lines, bool& cutLine,
               std::string* error) {
  std::string text;
  if (!ReadWholeFile(fileName, text)) {
    if (error) *error = "Cannot read the file " + fileName + ".";
    return false;
  }
  cutLine = !text.empty() && text.back() != '\n' && text.back() != '\r';
  lines = SplitTextLines(text);
  return true;
}

bool IsStarLine(const std::string& line) { return line.starts_with("*****"); }

// What is missing from the network lines [from, to) of a network file cut short at a line end;
// empty when nothing is. A network file closes its weights with its third star line and then
// names every weighted character and every taxon (median vectors aside); a file without the
// third star line (hand-made, or from elsewhere) is taken as it is. `named` tells whether the
// names were there to check (the third star line was found).
std::string MissingNetworkLines(const std::vector<std::string>& lines, std::size_t from,
                                std::size_t to, bool* named = nullptr) {
  int stars = 0;
  std::size_t weights = 0, characterNames = 0;
  std::vector<std::string> taxa;
  std::set<std::string> namedTaxa;
  for (std::size_t i = from; i < to && i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (IsStarLine(line)) ++stars;
    else if (line.starts_with("Weight of character")) ++weights;
    else if (line.starts_with("Mapping of character;")) ++characterNames;
    else if (line.starts_with("Freq")) taxa.push_back(Columns(line, 19, 6));
    else if (line.starts_with("Mapping of taxon;")) {
      std::string rest = line;
      CutField(rest);
      namedTaxa.insert(CutField(rest));
    }
  }
  if (named) *named = stars >= 3;
  if (stars < 3) return {};
  if (characterNames < weights)
    return std::to_string(weights) + " characters are weighted but only " +
           std::to_string(characterNames) + " are named.";
  for (const std::string& taxon : taxa)
    if (!IsMedianName(taxon) && !namedTaxa.contains(taxon))
      return "Taxon " + NoBlanks(taxon) + " is not named.";
  return {};
}

}  // namespace

void ReadOutNetworkSection(TNetwork_Diagramm& d, const std::vector<std::string>& lines,
                           std::size_t& pos) {
  while (pos < lines.size()) {
    const std::string& line = lines[pos++];
    if (line.starts_with("End")) break;
    const std::string key = line.substr(0, 4);
    if (key == "F2Cr" || key == "Spec") d.SpecialFileType = true;
    else if (key == "Link") ReadOutLink(d, line);
    else if (key == "Taxa" || key == "Tax.")
      d.EquivalentTaxa.push_back({Columns(line, 6, 6), Columns(line, 23, 6)});
    else if (key == "Freq") ReadOutFrequency(d, line, pos - 1);
    else if (key == "Mapp") ReadOutMapping(d, line);
    else if (key == "Othe") ReadOutInformation(d, line);
  }
  FinishOutNetwork(d);
}

bool LoadOutFile(TNetwork_Diagramm& d, const std::string& fileName, std::string* error) {
  d.ClearDiagram();
  std::vector<std::string> lines;
  bool cutLine = false;
  if (!ReadLines(fileName, lines, cutLine, error)) return false;
  bool named = false;
  std::string missing = MissingNetworkLines(lines, 0, lines.size(), &named);
  // Without its names to vouch for it, a file ending in mid-line may have lost anything.
  if (missing.empty() && cutLine && !named) missing = "its last line is incomplete.";
  if (!missing.empty()) {
    if (error) *error = "The file " + fileName + " is cut off: " + missing;
    return false;
  }
  try {
    std::size_t pos = 0;
    ReadOutNetworkSection(d, lines, pos);
  } catch (const std::runtime_error& e) {
    if (error) *error = e.what();
    return false;
  }
  return true;
}

bool LoadStoFile(TNetwork_Diagramm& d, const std::string& fileName, std::string* error) {
  d.ClearDiagram();
  std::vector<std::string> lines;
  // A cut in mid-line leaves its section without an "End" line; a cut in the closing "EOF"
  // line loses nothing.
  bool cutLine = false;
  if (!ReadLines(fileName, lines, cutLine, error)) return false;
  try {
    bool network = false;
    std::size_t pos = 0;
    while (pos < lines.size()) {
      const std::string& line = lines[pos];
      const std::size_t index = pos++;
      if (line.starts_with("Section Subnetworks")) {
        ReadStoSubnetworkList(d, lines, pos);
      } else if (line.starts_with("Section Sub ")) {
        IntegerOrThrow(ColumnsFrom(line, 13), index);
        ReadStoSubnetwork(d, lines, pos);
      } else if (line.starts_with("Section Network")) {
        const std::size_t from = pos;
        ReadOutNetworkSection(d, lines, pos);
        if (pos == from || !IsEnd(lines[pos - 1])) throw Unclosed("Network");
        const std::string missing = MissingNetworkLines(lines, from, pos - 1);
        if (!missing.empty()) throw std::runtime_error("The file is cut off: " + missing);
        network = true;
      } else if (line.starts_with("Section MP-Network")) {
        ReadStoMPNetwork(d, lines, pos);
      }
    }
    if (!network) throw std::runtime_error("The file holds no network section.");
  } catch (const std::runtime_error& e) {
    if (error) *error = e.what();
    return false;
  }
  // The trees are read before the network they index.
  d.DropInvalidSteinerLinks();
  return true;
}

// ---- .dia ----

namespace {

// Val-style conversions of the fixed-column file: a malformed number reads as 0.
int DiaInteger(const std::string& text) { return ParseInteger(text).value_or(0); }
double DiaReal(const std::string& text) { return ParseReal(text).value_or(0); }

struct DiaCorrupted {};  // the file ended before its frequency block

class DiaReader {
public:
  DiaReader(TNetwork_Diagramm& d, const std::vector<std::string>& lines) : d_(d), lines_(lines) {}

  // False after a mutation problem (the message already shown).
  bool Read();

private:
  const std::string& Next() {
    if (pos_ >= lines_.size()) throw DiaCorrupted{};
    return lines_[pos_++];
  }
  void SkipEmptyLine() {
    if (pos_ < lines_.size() && lines_[pos_].empty()) ++pos_;
  }
  int Count(const std::string& line) {
    const int n = DiaInteger(Columns(line, 1, 6));
    if (n < 0) throw std::runtime_error("Negative count in line " + std::to_string(pos_) + ".");
    return n;
  }
  bool ReadLink(int number, const std::string& line);
  void ReadHelpPointLink(const std::string& line);
  void ReadKeywordLines();
  void ReadLinkNumbers(SubTree& links, bool passEmptyLines);

  TNetwork_Diagramm& d_;
  const std::vector<std::string>& lines_;
  std::size_t pos_ = 0;
};

bool DiaReader::ReadLink(int number, const std::string& line) {
  LinkType link;
  link.Taxon1 = Columns(line, 1, 6);
  link.Taxon2 = Columns(line, 8, 6);
  link.InTorso = NoBlanks(Columns(line, 15, 6)) == "TRUE";
  link.TorsoPart = link.InTorso ? 1 : 0;
  const long long count = DiaInteger(Columns(line, 22, 6));
  if (count < 0 || static_cast<long long>(line.size()) < 9 * count + 25) {
    dialogs().showMessage("TNetwork_Diagramm.LoadFromFile: Detected a problem concerning the "
                          "mutations  of link " + std::to_string(number) + ".",
                          DialogKind::Error);
    return false;
  }
  link.Mutations.resize(static_cast<std::size_t>(count));
  for (std::size_t k = 0; k < link.Mutations.size(); ++k) {
    MutationType& m = link.Mutations[k];
    m.Character = Columns(line, 29 + 9 * k, 8);
    m.Name = m.Character;
    m.NameHeight = 6;
    m.NameColor = clBlue;
  }
  link.Active = true;
  link.LineWidth = 1;
  d_.Links.push_back(std::move(link));
  return true;
}

void DiaReader::ReadHelpPointLink(const std::string& line) {
  HelpPointLinkType h;
  h.Taxon1 = Columns(line, 1, 6);
  h.Taxon2 = Columns(line, 8, 6);
  const int count = std::max(0, RoundEven((static_cast<double>(line.size()) - 14) / 14));
  for (int j = 0; j < count; ++j)
    h.Points.push_back({DiaReal(Columns(line, 15 + 14 * j, 6)), DiaReal(Columns(line, 22 + 14 * j, 6))});
  d_.HelpPointLinks.push_back(std::move(h));
}

void DiaReader::ReadLinkNumbers(SubTree& links, bool passEmptyLines) {
  // The first line that is no link number ends the list and is consumed with it.
  while (pos_ < lines_.size()) {
    const std::string& line = lines_[pos_++];
    if (passEmptyLines && line.empty()) continue;
    const std::optional<int> k = ParseInteger(line);
    if (!k) return;
    links.push_back(*k);
  }
}

void DiaReader::ReadKeywordLines() {
  while (pos_ < lines_.size()) {
    const std::string& line = lines_[pos_++];
    if (line.starts_with("Long edges:")) d_.LongEdges = DiaInteger(ColumnsFrom(line, 13));
    else if (line.starts_with("Tot. taxa :")) d_.TotalTaxa = DiaInteger(ColumnsFrom(line, 13));
    else if (line.starts_with("Tot. haplo:")) d_.TotalHaplotypes = DiaInteger(ColumnsFrom(line, 13));
    else if (line.starts_with("Equiv. Taxa:")) {
      const int count = DiaInteger(ColumnsFrom(line, 14));
      for (int i = 0; i < count && pos_ < lines_.size(); ++i) {
        const std::string& pair = lines_[pos_++];
        d_.EquivalentTaxa.push_back({Columns(pair, 1, 6), Columns(pair, 7, 6)});
      }
    } else if (line.starts_with("Steiner length:")) {
      d_.SteinerLength = DiaInteger(ColumnsFrom(line, 16));
    } else if (line.starts_with("Steiner trees:")) {
      // The count follows from the "Steiner tree:" blocks themselves.
    } else if (line == "Steiner tree:") {
      d_.SteinerTrees.emplace_back();
      ReadLinkNumbers(d_.SteinerTrees.back(), false);
    } else if (line == "Steiner Network:") {
      d_.SteinerNetwork.clear();
      ReadLinkNumbers(d_.SteinerNetwork, true);
    }
  }
}

bool DiaReader::Read() {
  d_.SpecialFileType = Next().starts_with("S!");
  SkipEmptyLine();
  const std::string& diagramCenter = Next();
  d_.DiagramCenter = {DiaInteger(Columns(diagramCenter, 1, 6)), DiaInteger(Columns(diagramCenter, 8, 6))};
  const std::string& imageCenter = Next();
  d_.ImageCenter = {DiaInteger(Columns(imageCenter, 1, 6)), DiaInteger(Columns(imageCenter, 8, 6))};

  const int nodes = Count(Next());
  for (int i = 0; i < nodes; ++i) {
    const std::string& line = Next();
    TaxonType t;
    t.Name = Columns(line, 1, 6);
    t.X = DiaReal(Columns(line, 8, 6));
    t.Y = DiaReal(Columns(line, 15, 6));
    d_.Taxa.push_back(std::move(t));
  }

  SkipEmptyLine();
  const int links = Count(Next());
  for (int i = 0; i < links; ++i)
    if (!ReadLink(i + 1, Next())) return false;

  SkipEmptyLine();
  const int helpPointLinks = Count(Next());
  for (int i = 0; i < helpPointLinks; ++i) ReadHelpPointLink(Next());

  SkipEmptyLine();
  Next();  // heading of the frequency block
  for (TaxonType& t : d_.Taxa) t.Frequency = DiaInteger(Columns(Next(), 8, 3));

  ReadKeywordLines();
  return true;
}

}  // namespace

bool LoadDiaFile(TNetwork_Diagramm& d, const std::string& fileName) {
  d.ClearDiagram();
  std::vector<std::string> lines;
  try {
    if (!ReadTextFileLines(fileName, lines))
      throw std::runtime_error("Cannot read the file " + fileName + ".");
    if (!DiaReader(d, lines).Read()) {
      d.ClearDiagram();
      return false;
    }
  } catch (const DiaCorrupted&) {
    d.ClearDiagram();
    dialogs().showMessage("The diagram file is corrupted. Frequencies are missing.", DialogKind::Error);
    return false;
  } catch (const std::exception& e) {
    d.ClearDiagram();
    dialogs().showMessage(std::string("Unknown error: ") + e.what(), DialogKind::Error);
    return false;
  }

  std::set<std::string> equivalent;
  for (const EquiTaxonType& e : d.EquivalentTaxa) equivalent.insert(e.Taxon2);
  for (TaxonType& t : d.Taxa) {
    t.NameHeight = 8;
    t.LineWidth = 1;
    t.OrigFrequency = t.Frequency;
    Pie p;
    p.PieColor = clBlue;
    p.PieFrequency = t.Frequency;
    t.Pies = {p};
    t.Active = !equivalent.contains(t.Name);
    t.Label = t.Name;
  }
  d.DropInvalidSteinerLinks();
  if (d.LongEdges > 0) dialogs().showMessage(LongEdgesWarning(), DialogKind::Warning);
  return true;
}
