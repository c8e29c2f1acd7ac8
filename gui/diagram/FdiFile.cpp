#include "FdiFile.h"

#include "DiagramText.h"
#include "Dialogs.h"
#include "UHelp.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <stdexcept>

namespace {

constexpr const char* kTaxaMessage =
    "Error in data file: Specified number of taxa does not agree with available taxa.";
constexpr const char* kLinksMessage =
    "Error in data file: Specified number of links does not agree with available links.";
constexpr const char* kHelpPointsMessage =
    "Error in data file: Specified number of links containing help points does not agree with "
    "available links with help points.";
constexpr const char* kEquivalentMessage =
    "Error in data file: Specified number of equivalent taxa does not agree with available "
    "equivalent taxa.";
constexpr const char* kSteinerMessage =
    "Error in data file: Specified number of steiner trees does not agree with available steiner "
    "trees.";

// Brush patterns 0..7 by name.
constexpr std::array<const char*, 8> kPatternNames = {
    "SOLID", "CLEAR", "HORIZONTAL", "VERTICAL", "FDIAGONAL", "BDIAGONAL", "CROSS", "DIAGCROSS"};

// ---- writing ----

// No value is escaped: a ';' would split it, a line end would break the line.
std::string Field(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (c == ';') c = ',';
    else if (c == '\r' || c == '\n') c = ' ';
  }
  return out;
}

const char* Bool(bool b) { return b ? "TRUE" : "FALSE"; }
std::string Num(long long v) { return std::to_string(v); }

void WriteTaxon(std::string& out, const TNetwork_Diagramm& d, const TaxonType& t) {
  out += "TAXON_NAME;" + Field(d.LookupNodeLabel(t.Name)) + ";";
  out += "TAXON_NAME_HEIGHT;" + Num(t.NameHeight) + ";";
  for (auto [bit, word] : {std::pair{fsBold, "BOLD"}, {fsUnderline, "UNDERLINE"},
                           {fsStrikeOut, "STRIKEOUT"}, {fsItalic, "ITALIC"}})
    if (t.NameStyle & bit) out += std::string("TAXON_NAME_STYLE;") + word + ";";
  out += "TAXON_NAME_COLOR;" + Num(t.NameColor) + ";";
  out += "TAXON_FREQUENCY;" + Num(t.Frequency) + ";";
  out += "TAXON_ORIG_FREQUENCY;" + Num(t.OrigFrequency) + ";";
  out += (t.Info[1].InfoLabel == "Region" ? "TAXON_REGION;" : "TAXON_GEOGRAPHY;") +
         Field(t.Info[1].InfoValue) + ";";
  out += (t.Info[0].InfoLabel == "Ethnic group" ? "TAXON_ETHNIC_GROUP;" : "TAXON_PHENOTYPE;") +
         Field(t.Info[0].InfoValue) + ";";
  out += (t.Info[2].InfoLabel == "Haplogroup" ? "TAXON_HAPLOGROUP;" : "TAXON_LINEAGE;") +
         Field(t.Info[2].InfoValue) + ";";
  for (int k = 1; k <= 3; ++k)
    out += "TAXON_GROUP" + Num(k) + ";" + Field(t.Info[2 + k].InfoLabel) + ";" +
           Field(t.Info[2 + k].InfoValue) + ";";
  out += "TAXON_X;" + Num(RoundEven(t.X)) + ";";
  out += "TAXON_Y;" + Num(RoundEven(t.Y)) + ";";
  for (std::size_t s = 0; s < t.Pies.size(); ++s) {
    const Pie& p = t.Pies[s];
    const std::string n = Num(static_cast<long long>(s) + 1);
    out += "TAXON_COLOR_PIE" + n + ";" + Num(p.PieColor) + ";";
    out += "TAXON_PIE_FREQUENCY" + n + ";" + Num(p.PieFrequency) + ";";
    if (p.PiePattern < kPatternNames.size())
      out += "TAXON_STYLE_PIE" + n + ";" + kPatternNames[p.PiePattern] + ";";
  }
  out += "TAXON_LINE_WIDTH;" + Num(t.LineWidth) + ";";
  out += "TAXON_LINE_COLOR;" + Num(t.LineColor) + ";";
  if (t.LineStyle == psSolid) out += "TAXON_LINE_STYLE;SOLID;";
  else if (t.LineStyle == psClear) out += "TAXON_LINE_STYLE;CLEAR;";
  out += std::string("TAXON_ACTIVE;") + Bool(t.Active);
}

void WriteLink(std::string& out, const TNetwork_Diagramm& d, const LinkType& l) {
  out += "LINK_TAXON1;" + Field(d.LookupNodeLabel(l.Taxon1)) + ";";
  out += "LINK_TAXON2;" + Field(d.LookupNodeLabel(l.Taxon2)) + ";";
  out += std::string("LINK_IN_TORSO;") + Bool(l.InTorso) + ";";
  out += "LINK_TORSO_PART;" + Num(l.TorsoPart) + ";";
  out += "NUMBER_OF_MUTATIONS;" + Num(l.MutationCount()) + ";";
  for (int k = 1; k <= l.MutationCount(); ++k) {
    const MutationType& m = l.Mutations[k - 1];
    const std::string key = "MUTATION" + Num(k);
    out += key + "_NAME;" + Field(m.Name) + ";";
    out += key + "_NAME_HEIGHT;" + Num(m.NameHeight) + ";";
    for (auto [bit, word] : {std::pair{fsBold, "BOLD"}, {fsItalic, "ITALIC"},
                             {fsStrikeOut, "STRIKEOUT"}, {fsUnderline, "UNDERLINE"}})
      if (m.NameStyle & bit) out += key + "_NAME_STYLE;" + word + ";";
    out += key + "_NAME_COLOR;" + Num(m.NameColor) + ";";
  }
  out += "LINK_LINE_WIDTH;" + Num(l.LineWidth) + ";";
  if (l.LineStyle == psSolid) out += "LINK_LINE_STYLE;SOLID;";
  else if (l.LineStyle == psClear) out += "LINK_LINE_STYLE;CLEAR;";
  out += "LINK_LINE_COLOR;" + Num(l.LineColor) + ";";
  out += std::string("LINK_ACTIVE;") + Bool(l.Active);
}

void WriteHelpPointLink(std::string& out, const TNetwork_Diagramm& d, const HelpPointLinkType& h) {
  out += "HELP_POINT_LINK_TAXON1;" + Field(d.LookupNodeLabel(h.Taxon1)) + ";";
  out += "HELP_POINT_LINK_TAXON2;" + Field(d.LookupNodeLabel(h.Taxon2)) + ";";
  out += "NUMBER_OF_HELP_POINTS;" + Num(h.PointCount()) + ";";
  for (int j = 1; j <= h.PointCount(); ++j) {
    out += "HELP_POINT" + Num(j) + "_X;" + Num(RoundEven(h.Points[j - 1].X)) + ";";
    out += "HELP_POINT" + Num(j) + "_Y;" + Num(RoundEven(h.Points[j - 1].Y)) + ";";
  }
}

void WriteLinkNumbers(std::string& out, const SubTree& links) {
  for (std::int32_t k : links) out += Num(k) + ";";
}

// ---- reading ----

struct FdiBlockError {
  const char* Message;
};

// The ';'-separated fields of one line, taken from the front.
class Fields {
public:
  explicit Fields(std::string text) : rest_(std::move(text)) {}
  bool Empty() const { return rest_.empty(); }
  std::string Next() {
    TSplit s = SplitAtChar(rest_, ';');
    rest_ = std::move(s.Rest);
    return std::move(s.Head);
  }
  std::string Peek() const { return SplitAtChar(rest_, ';').Head; }
  // How many fields are left: a count above it cannot have been written with its items.
  std::size_t Left() const {
    return rest_.empty() ? 0 : static_cast<std::size_t>(std::ranges::count(rest_, ';')) + 1;
  }

private:
  std::string rest_;
};

int Int(const std::string& text) {
  const std::optional<int> v = diagramtext::ParseInteger(text);
  if (!v) throw std::runtime_error("\"" + text + "\" is not a valid integer value.");
  return *v;
}
bool IsTrue(const std::string& text) { return text == "TRUE"; }

std::optional<std::uint8_t> PatternFromName(const std::string& word) {
  for (std::size_t i = 0; i < kPatternNames.size(); ++i)
    if (word == kPatternNames[i]) return static_cast<std::uint8_t>(i);
  return std::nullopt;
}

std::optional<std::uint8_t> LineStyleFromName(const std::string& word) {
  if (word == "SOLID") return psSolid;
  if (word == "CLEAR") return psClear;
  return std::nullopt;
}

std::uint8_t Byte(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

void SetInfo(TaxonType& t, std::size_t item, const std::string& label, const std::string& value) {
  t.Info[item] = {label.substr(0, kInfoLabelLength), value.substr(0, kInfoValueLength)};
}

std::string WithoutDigits(const std::string& key) {
  std::string out;
  for (char c : key)
    if (c < '0' || c > '9') out += c;
  return out;
}

// The segment number at the end of a key, 1 .. limit; a refused number is a broken taxa block.
std::size_t SegmentNumber(const std::string& key, std::size_t limit) {
  const std::size_t digits = key.find_last_not_of("0123456789") + 1;
  const std::optional<int> s = diagramtext::ParseInteger(key.substr(digits));
  if (!s || *s < 1 || static_cast<std::size_t>(*s) > limit) throw FdiBlockError{kTaxaMessage};
  return static_cast<std::size_t>(*s);
}

TaxonType ReadTaxon(const std::string& line) {
  TaxonType t;
  Fields f(line);
  // A segment number can be no larger than the line's field count.
  const std::size_t segmentLimit = f.Left();
  const auto pie = [&t](std::size_t s) -> Pie& {
    if (t.Pies.size() < s) t.Pies.resize(s);
    return t.Pies[s - 1];
  };
  while (!f.Empty()) {
    const std::string key = f.Next();
    if (key == "TAXON_NAME") t.Name = t.Label = f.Next();
    else if (key == "TAXON_NAME_HEIGHT") t.NameHeight = Int(f.Next());
    else if (key == "TAXON_NAME_COLOR") t.NameColor = Int(f.Next());
    else if (key == "TAXON_NAME_STYLE") {
      const std::string word = f.Next();
      if (word == "BOLD") t.NameStyle |= fsBold;
      else if (word == "UNDERLINE") t.NameStyle |= fsUnderline;
      else if (word == "ITALIC") t.NameStyle |= fsItalic;
      else if (word == "STRIKEOUT") t.NameStyle |= fsStrikeOut;
    } else if (key == "TAXON_REGION") SetInfo(t, 1, "Region", f.Next());
    else if (key == "TAXON_GEOGRAPHY") SetInfo(t, 1, "Geography", f.Next());
    else if (key == "TAXON_ETHNIC_GROUP") SetInfo(t, 0, "Ethnic group", f.Next());
    else if (key == "TAXON_PHENOTYPE") SetInfo(t, 0, "Phenotype", f.Next());
    else if (key == "TAXON_HAPLOGROUP") SetInfo(t, 2, "Haplogroup", f.Next());
    else if (key == "TAXON_LINEAGE") SetInfo(t, 2, "Lineage", f.Next());
    else if (key == "TAXON_FREQUENCY") {
      t.Frequency = t.OrigFrequency = pie(1).PieFrequency = Int(f.Next());
    } else if (key == "TAXON_ORIG_FREQUENCY") {
      pie(1);
      t.OrigFrequency = Int(f.Next());
    } else if (key == "TAXON_X") t.X = Int(f.Next());
    else if (key == "TAXON_Y") t.Y = Int(f.Next());
    else if (key == "TAXON_COLOR") pie(1).PieColor = Int(f.Next());
    else if (key == "TAXON_STYLE") {
      pie(1);
      if (const auto p = PatternFromName(f.Next())) t.Pies[0].PiePattern = *p;
    } else if (key == "TAXON_LINE_WIDTH") t.LineWidth = Int(f.Next());
    else if (key == "TAXON_LINE_COLOR") t.LineColor = Int(f.Next());
    else if (key == "TAXON_LINE_STYLE") {
      if (const auto s = LineStyleFromName(f.Next())) t.LineStyle = *s;
    } else if (key == "TAXON_ACTIVE") t.Active = IsTrue(f.Next());
    else if (key.starts_with("TAXON_GROUP") && WithoutDigits(key) == "TAXON_GROUP") {
      const int k = diagramtext::GroupNumber(std::string_view(key).substr(11));
      if (k < 1 || k > 3) continue;
      const std::string label = f.Next();
      SetInfo(t, static_cast<std::size_t>(2 + k), label, f.Next());
    } else {
      const std::string generic = WithoutDigits(key);
      if (generic == "TAXON_COLOR_PIE") {
        pie(SegmentNumber(key, segmentLimit)).PieColor = Int(f.Next());
      } else if (generic == "TAXON_PIE_FREQUENCY") {
        pie(SegmentNumber(key, segmentLimit)).PieFrequency = Int(f.Next());
      } else if (generic == "TAXON_STYLE_PIE") {
        Pie& p = pie(SegmentNumber(key, segmentLimit));
        if (const auto pattern = PatternFromName(f.Next())) p.PiePattern = *pattern;
      }
      // Any other key is passed over by itself.
    }
  }
  return t;
}

// Takes the field `key` when it comes next, then its value; false when it does not.
bool Take(Fields& f, const std::string& key, std::string& value) {
  if (f.Peek() != key) return false;
  f.Next();
  value = f.Next();
  return true;
}

LinkType ReadLink(const std::string& line) {
  LinkType l;
  Fields f(line);
  while (!f.Empty()) {
    const std::string key = f.Next();
    if (key == "LINK_TAXON1") l.Taxon1 = f.Next();
    else if (key == "LINK_TAXON2") l.Taxon2 = f.Next();
    else if (key == "LINK_IN_TORSO") l.InTorso = IsTrue(f.Next());
    else if (key == "LINK_TORSO_PART") l.TorsoPart = Byte(Int(f.Next()));
    else if (key == "LINK_LINE_WIDTH") l.LineWidth = Int(f.Next());
    else if (key == "LINK_LINE_STYLE") {
      if (const auto s = LineStyleFromName(f.Next())) l.LineStyle = *s;
    } else if (key == "LINK_LINE_COLOR") l.LineColor = Int(f.Next());
    else if (key == "LINK_ACTIVE") l.Active = IsTrue(f.Next());
    else if (key == "NUMBER_OF_MUTATIONS") {
      const int n = Int(f.Next());
      if (n < 0 || static_cast<std::size_t>(n) > f.Left()) throw FdiBlockError{kLinksMessage};
      l.Mutations.resize(static_cast<std::size_t>(n));
      // The items of each mutation stand in a fixed order; a missing one stays zero.
      for (int k = 1; k <= n; ++k) {
        MutationType& m = l.Mutations[k - 1];
        const std::string prefix = "MUTATION" + std::to_string(k);
        std::string value;
        if (Take(f, prefix + "_NAME", value)) m.Character = m.Name = value;
        if (Take(f, prefix + "_NAME_HEIGHT", value)) m.NameHeight = Int(value);
        while (Take(f, prefix + "_NAME_STYLE", value)) {
          if (value == "BOLD") m.NameStyle |= fsBold;
          else if (value == "ITALIC") m.NameStyle |= fsItalic;
          else if (value == "STRIKEOUT") m.NameStyle |= fsStrikeOut;
          else if (value == "UNDERLINE") m.NameStyle |= fsUnderline;
        }
        if (Take(f, prefix + "_NAME_COLOR", value)) m.NameColor = Int(value);
      }
    }
  }
  return l;
}

HelpPointLinkType ReadHelpPointLink(const std::string& line) {
  HelpPointLinkType h;
  Fields f(line);
  while (!f.Empty()) {
    const std::string key = f.Next();
    if (key == "HELP_POINT_LINK_TAXON1") h.Taxon1 = f.Next();
    else if (key == "HELP_POINT_LINK_TAXON2") h.Taxon2 = f.Next();
    else if (key == "NUMBER_OF_HELP_POINTS") {
      const int n = Int(f.Next());
      if (n < 0 || static_cast<std::size_t>(n) > f.Left()) throw FdiBlockError{kHelpPointsMessage};
      h.Points.resize(static_cast<std::size_t>(n));
      for (int j = 1; j <= n; ++j) {
        const std::string prefix = "HELP_POINT" + std::to_string(j);
        std::string value;
        if (Take(f, prefix + "_X", value)) h.Points[j - 1].X = Int(value);
        if (Take(f, prefix + "_Y", value)) h.Points[j - 1].Y = Int(value);
      }
    }
  }
  return h;
}

SubTree ReadLinkNumbers(Fields& f) {
  SubTree links;
  while (!f.Empty()) links.push_back(Int(f.Next()));
  return links;
}

SchemeType ReadScheme(Fields& f) {
  SchemeType s;
  while (!f.Empty()) {
    const std::string key = f.Next();
    if (key == "SCHEME_ACTIVE") s.SchemeActive = IsTrue(f.Next());
    else if (key == "SCHEME_TYPE") s.SchemeName = f.Next();
    else if (key == "SCHEME_ITEM") {
      s.SchemeLabels.push_back(f.Next());
      // A colour belongs to its item only when it is announced; otherwise the item is yellow and
      // the field in its place is dropped.
      const bool announced = f.Next() == "ITEM_COLOR";
      s.SchemeColors.push_back(announced ? Int(f.Next()) : clYellow);
    }
  }
  return s;
}

class FdiReader {
public:
  FdiReader(TNetwork_Diagramm& d, const std::vector<std::string>& lines, TDrawOptions& options)
      : d_(d), lines_(lines), options_(options) {}

  void Read() {
    while (pos_ < lines_.size()) {
      Fields f(lines_[pos_++]);
      const std::string key = f.Next();
      if (!key.empty() && ReadItem(key, f)) sawItem_ = true;
    }
  }
  // False when no line began with a key of the format: the file is no diagram at all.
  bool SawItem() const { return sawItem_; }

private:
  // Reads the block of `count` lines that follows, one element each; an empty line leaves its
  // element empty. A negative count, or one larger than the lines left, is a broken block.
  template <class F> void ReadBlock(int count, const char* message, F element) {
    if (count < 0) throw FdiBlockError{message};
    const std::size_t available = std::min(static_cast<std::size_t>(count), lines_.size() - pos_);
    for (std::size_t i = 0; i < available; ++i) element(lines_[pos_++]);
    if (available < static_cast<std::size_t>(count)) throw FdiBlockError{message};
  }

  // Reads one top-level item; false when `key` is none of the format's.
  bool ReadItem(const std::string& key, Fields& f) {
    if (key == "SHOW_NODENAMES") options_.ShowNodeNames = IsTrue(f.Next());
    else if (key == "NODES_PROPORTIONAL") options_.NodesProportional = IsTrue(f.Next());
    else if (key == "SHOW_ONLY_TORSO") options_.ShowOnlyTorso = IsTrue(f.Next());
    else if (key == "SHOW_MEDIANS") options_.ShowMedians = IsTrue(f.Next());
    else if (key == "SHOW_MEDIAN_NAMES") options_.ShowMedianNames = IsTrue(f.Next());
    else if (key == "SHOW_CHARACTERS") options_.ShowCharacters = IsTrue(f.Next());
    else if (key == "MIN_CIRC_RADIUS") options_.MinRadius = Int(f.Next());
    else if (key == "MAX_CIRC_RADIUS") options_.MaxRadius = Int(f.Next());
    else if (key == "MED_RADIUS") options_.MedRadius = Int(f.Next());
    else if (key == "SPECIAL_FILE_TYPE") d_.SpecialFileType = IsTrue(f.Next());
    else if (key == "DIAGRAM_CENTER") {
      d_.DiagramCenter.X = Int(f.Next());
      d_.DiagramCenter.Y = Int(f.Next());
    } else if (key == "IMAGE_CENTER") {
      d_.ImageCenter.X = Int(f.Next());
      d_.ImageCenter.Y = Int(f.Next());
    } else if (key == "NUMBER_OF_TAXA") {
      ReadBlock(Int(f.Next()), kTaxaMessage,
                [&](const std::string& line) { d_.Taxa.push_back(ReadTaxon(line)); });
    } else if (key == "NUMBER_OF_LINKS") {
      ReadBlock(Int(f.Next()), kLinksMessage,
                [&](const std::string& line) { d_.Links.push_back(ReadLink(line)); });
    } else if (key == "NUMBER_OF_HELP_POINT_LINKS") {
      ReadBlock(Int(f.Next()), kHelpPointsMessage, [&](const std::string& line) {
        d_.HelpPointLinks.push_back(ReadHelpPointLink(line));
      });
    } else if (key == "NUMBER_EQUIVALENT_TAXA") {
      ReadBlock(Int(f.Next()), kEquivalentMessage, [&](const std::string& line) {
        EquiTaxonType& e = d_.EquivalentTaxa.emplace_back();
        Fields pair(line);
        if (pair.Next() != "EQUIVALENT_TAXA") return;
        e.Taxon1 = pair.Next();
        e.Taxon2 = pair.Next();
      });
    } else if (key == "NUMBER_OF_STEINER_TREES") {
      ReadBlock(Int(f.Next()), kSteinerMessage, [&](const std::string& line) {
        SubTree& tree = d_.SteinerTrees.emplace_back();
        Fields links(line);
        if (links.Next() == "STEINER_TREE") tree = ReadLinkNumbers(links);
      });
    } else if (key == "LONG_EDGES") d_.LongEdges = Int(f.Next());
    else if (key == "TOTAL_TAXA") d_.TotalTaxa = Int(f.Next());
    else if (key == "TOTAL_HAPLOTYPES") d_.TotalHaplotypes = Int(f.Next());
    else if (key == "STEINER_LENGTH") d_.SteinerLength = Int(f.Next());
    else if (key == "STEINER_NETWORK") d_.SteinerNetwork = ReadLinkNumbers(f);
    else if (key == "COLOR_SCHEME") d_.ColorSchemes.push_back(ReadScheme(f));
    else return false;
    return true;
  }

  TNetwork_Diagramm& d_;
  const std::vector<std::string>& lines_;
  TDrawOptions& options_;
  std::size_t pos_ = 0;
  bool sawItem_ = false;
};

// Why a file without a single item of the format is refused, naming the line that shows it: a
// plain text or a binary file would otherwise open as an empty diagram.
std::string NotADiagramMessage(const std::string& fileName, const std::vector<std::string>& lines) {
  const std::string text = "The file " + fileName + " is not a formatted diagram file (.fdi): ";
  const auto lineNumber = [&](auto it) { return std::to_string(it - lines.begin() + 1); };
  const auto control = [](char c) { return static_cast<unsigned char>(c) < 32 && c != '\t'; };
  const auto binary = std::ranges::find_if(
      lines, [&](const std::string& l) { return std::ranges::any_of(l, control); });
  if (binary != lines.end())
    return text + "line " + lineNumber(binary) + " holds binary data, not text.";
  const auto first = std::ranges::find_if(lines, [](const std::string& l) { return !l.empty(); });
  if (first == lines.end()) return text + "it is empty.";
  return text + "line " + lineNumber(first) + " begins with \"" + first->substr(0, 40) +
         "\", and no line holds a diagram item such as SHOW_NODENAMES or NUMBER_OF_TAXA.";
}

}  // namespace

std::string FdiText(const TNetwork_Diagramm& d, const TDrawOptions& o) {
  std::string out;
  const auto line = [&out](const std::string& text) { out += text + "\r\n"; };
  line(std::string("SHOW_NODENAMES;") + Bool(o.ShowNodeNames));
  line(std::string("NODES_PROPORTIONAL;") + Bool(o.NodesProportional));
  line(std::string("SHOW_ONLY_TORSO;") + Bool(o.ShowOnlyTorso));
  line(std::string("SHOW_MEDIANS;") + Bool(o.ShowMedians));
  line(std::string("SHOW_MEDIAN_NAMES;") + Bool(o.ShowMedianNames));
  line(std::string("SHOW_CHARACTERS;") + Bool(o.ShowCharacters));
  line("MIN_CIRC_RADIUS;" + Num(o.MinRadius));
  line("MAX_CIRC_RADIUS;" + Num(o.MaxRadius));
  line("MED_RADIUS;" + Num(o.MedRadius));
  line("");
  line(std::string("SPECIAL_FILE_TYPE;") + Bool(d.SpecialFileType));
  line("DIAGRAM_CENTER;" + Num(d.DiagramCenter.X) + ";" + Num(d.DiagramCenter.Y));
  line("IMAGE_CENTER;" + Num(d.ImageCenter.X) + ";" + Num(d.ImageCenter.Y));

  line("NUMBER_OF_TAXA;" + Num(d.NodeCount()));
  for (const TaxonType& t : d.Taxa) {
    WriteTaxon(out, d, t);
    out += "\r\n";
  }
  line("");
  line("NUMBER_OF_LINKS;" + Num(d.LinkCount()));
  for (const LinkType& l : d.Links) {
    WriteLink(out, d, l);
    out += "\r\n";
  }
  line("");
  line("NUMBER_OF_HELP_POINT_LINKS;" + Num(d.HelpPointLinkCount()));
  for (const HelpPointLinkType& h : d.HelpPointLinks) {
    WriteHelpPointLink(out, d, h);
    out += "\r\n";
  }
  line("");
  line("LONG_EDGES;" + Num(d.LongEdges));
  line("TOTAL_TAXA;" + Num(d.TotalTaxa));
  line("TOTAL_HAPLOTYPES;" + Num(d.TotalHaplotypes));
  line("NUMBER_EQUIVALENT_TAXA;" + Num(d.EquivalentTaxonCount()));
  for (const EquiTaxonType& e : d.EquivalentTaxa)
    line("EQUIVALENT_TAXA;" + Field(d.LookupNodeLabel(e.Taxon1)) + ";" +
         Field(d.LookupNodeLabel(e.Taxon2)));
  if (!d.SteinerTrees.empty() || !d.SteinerNetwork.empty()) {
    line("STEINER_LENGTH;" + Num(d.SteinerLength));
    line("NUMBER_OF_STEINER_TREES;" + Num(d.SteinerTreeCount()));
  }
  for (const SubTree& tree : d.SteinerTrees) {
    out += "STEINER_TREE;";
    WriteLinkNumbers(out, tree);
    out += "\r\n";
  }
  if (!d.SteinerNetwork.empty()) {
    out += "STEINER_NETWORK;";
    WriteLinkNumbers(out, d.SteinerNetwork);
    out += "\r\n";
  }
  for (const SchemeType& s : d.ColorSchemes) {
    out += std::string("COLOR_SCHEME;SCHEME_ACTIVE;") + Bool(s.SchemeActive) + ";";
    out += "SCHEME_TYPE;" + Field(s.SchemeName) + ";";
    for (std::size_t i = 0; i < s.SchemeLabels.size(); ++i) {
      const TColor color = i < s.SchemeColors.size() ? s.SchemeColors[i] : clYellow;
      out += "SCHEME_ITEM;" + Field(s.SchemeLabels[i]) + ";ITEM_COLOR;" + Num(color) + ";";
    }
    out += "\r\n";
  }
  return out;
}

bool WriteFdiFile(const TNetwork_Diagramm& d, const std::string& fileName,
                  const TDrawOptions& options, std::string* error) {
  std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
  if (file) file << FdiText(d, options);
  if (file) file.close();
  if (file) return true;
  if (error) *error = "Cannot write the file " + fileName + ".";
  return false;
}

bool ReadFdiFile(TNetwork_Diagramm& d, const std::string& fileName, TDrawOptions& options) {
  d.ClearDiagram();
  try {
    std::vector<std::string> lines;
    if (!ReadTextFileLines(fileName, lines))
      throw std::runtime_error("Cannot read the file " + fileName + ".");
    // The options are taken over only from a file that proves to be a diagram.
    TDrawOptions read = options;
    FdiReader reader(d, lines, read);
    reader.Read();
    if (!reader.SawItem()) {
      dialogs().showMessage(NotADiagramMessage(fileName, lines), DialogKind::Error);
      return false;
    }
    options = read;
  } catch (const FdiBlockError& e) {
    dialogs().showMessage(e.Message, DialogKind::Error);
    return false;
  } catch (const std::exception& e) {
    dialogs().showMessage(std::string("Unknown error: ") + e.what(), DialogKind::Error);
    return false;
  }
  d.DropInvalidSteinerLinks();
  if (d.LongEdges > 0)
    dialogs().showMessage(diagramtext::LongEdgesWarning(), DialogKind::Warning);
  return true;
}
