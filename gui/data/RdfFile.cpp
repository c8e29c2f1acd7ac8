// Reading and writing rdf files: the current ';'-separated layout (read and written) and the old
// fixed-column layout (read only, still written by the PHYLIP and NEXUS imports).

#include "RDF_DataSet_Definition.h"

#include "Dialogs.h"
#include "RdfMessages.h"
#include "UHelp.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace {

constexpr std::string_view CurrentVersion = "1.0";

// A decimal integer with optional leading blanks and sign and nothing after its digits.
bool ParseInteger(std::string_view text, int& value) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i < text.size() && text[i] == '+') ++i;
  const char* first = text.data() + i;
  const char* last = text.data() + text.size();
  if (first == last) return false;
  const auto [end, ec] = std::from_chars(first, last, value);
  return ec == std::errc() && end == last;
}

// Cuts a ';'-separated line into fields. A field ends at the first ';' among all but the last
// character of what remains; without one, the last character is taken for the closing ';' and
// dropped (so a single remaining character makes one empty field).
std::vector<std::string> CutFields(std::string_view line) {
  std::vector<std::string> fields;
  while (!line.empty()) {
    const auto pos = static_cast<std::size_t>(FirstCharPos(line, ';'));
    fields.emplace_back(line.substr(0, pos - 1));
    line.remove_prefix(pos);
  }
  return fields;
}

std::string Cut(std::string_view text, std::size_t length) {
  return std::string(text.substr(0, length));
}

bool IsLetterOrDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

class RdfReader {
public:
  RdfReader(Trdf_DataSet& set, bool showMessages, std::string_view tag)
      : set_(set), show_(showMessages), tag_(tag) {}

  // Reads the lines into the data set; false on error.
  bool Read(const std::vector<std::string>& lines, bool checkNames) {
    lines_ = &lines;
    set_.DataType = ' ';
    const std::string_view first = Line(0);
    const bool blank = !first.empty() && first[0] == ' ';
    if (blank) {
      if (first.size() > 1 && (first[1] == '2' || first[1] == 'S')) set_.DataType = first[1];
      const std::string_view second = Line(1);
      const std::size_t semicolon = second.find(';');
      if (semicolon != std::string_view::npos && semicolon + 1 != second.size()) {
        const std::string_view rest = first.size() > 2 ? first.substr(2) : std::string_view();
        const std::string_view version =
            rest.starts_with(';') ? rest.substr(1, 3) : std::string_view();
        ReadCurrent(version);
      } else {
        ReadOld(7);
      }
    } else {
      ReadOld(0);
    }
    Finish(checkNames);
    return !error_;
  }

private:
  std::string_view Line(std::size_t i) const {
    return i < lines_->size() ? std::string_view((*lines_)[i]) : std::string_view();
  }

  void Fail(const std::string& message) {
    error_ = true;
    if (show_ && !message.empty()) dialogs().showMessage(message, DialogKind::Error);
  }
  void Warn(const std::string& message) {
    if (show_) dialogs().showMessage(message, DialogKind::Warning);
  }

  bool AddCharacter(std::string name) {
    if (set_.CharacterCount() == rdf_limits::MaxCharacters) {
      Fail(rdf_messages::MaxCharactersRead(rdf_limits::MaxCharacters));
      return false;
    }
    Trdf_Character character;
    character.Name = Cut(name, rdf_limits::CharacterNameLength);
    set_.Characters.push_back(std::move(character));
    return true;
  }

  bool AddTaxon() {
    if (set_.TaxaCount() == rdf_limits::MaxTaxa) {
      Fail(rdf_messages::MaxSequencesRead(rdf_limits::MaxTaxa));
      return false;
    }
    set_.Taxa.emplace_back();
    return true;
  }

  // A weight read from the file obeys the same range as one set by hand.
  void SetWeight(Trdf_Character& character, int weight) {
    if (weight < 0 || weight > rdf_limits::MaxWeight) {
      Warn(rdf_messages::WeightRange(weight));
      return;
    }
    character.Weight = weight;
    character.Active = weight != 0;
  }

  // A frequency read from the file; a negative one ends the reading (after the message).
  bool SetFrequency(Trdf_Sequence& taxon, int frequency) {
    if (frequency < 0) {
      Fail(rdf_messages::NegativeFrequency(taxon.Name, frequency));
      return false;
    }
    taxon.Frequency = frequency;
    return true;
  }

  // The message for the first state outside AllowedStates; empty for none.
  std::string BadStateMessage(char state, bool oldLayout) const {
    const int taxon = set_.TaxaCount();
    const bool binary = set_.AllowedStates.Contains('0') && set_.AllowedStates.Contains('1');
    if (oldLayout) {
      // The multistate texts name the method that needs binary data: each caller gets its own,
      // and the network calculations that take any states get the plain one.
      if (binary && tag_ == "RM") return rdf_messages::OldMultistate;
      if (binary && tag_ == "SIM") return rdf_messages::MultistateSIM;
      if (binary && tag_ == "Editor") return rdf_messages::MultistateEditor;
      return rdf_messages::OldIncorrectSign(taxon);
    }
    if (binary) {
      if (tag_ == "RM") return rdf_messages::MultistateRM;
      if (tag_ == "Editor") return rdf_messages::MultistateEditor;
      if (tag_ == "SIM") return rdf_messages::MultistateSIM;
      return rdf_messages::IncorrectCharacter(taxon);
    }
    if (state != '0' && state != '1') return rdf_messages::IncorrectCharacter(taxon);
    return tag_ == "Editor" ? rdf_messages::BinaryEditor : std::string();
  }

  // Appends the states of `text` to the last taxon; false (after the message) at a bad state.
  // In amino-acid data 'N' is asparagine, a state like any other, and '?' (missing data in an
  // alignment) is the amino-acid code for an undetermined residue, 'X'.
  bool AppendStates(std::string_view text, bool oldLayout) {
    std::string& states = set_.Taxa.back().States;
    const bool aminoAcids = set_.AllowedStates.Contains('Z');
    for (char s : text) {
      if (s == ';') continue;
      if (aminoAcids && s == '?') s = 'X';
      if (!set_.AllowedStates.Contains(s)) {
        Fail(BadStateMessage(s, oldLayout));
        return false;
      }
      if (!aminoAcids && (s == '?' || s == 'N')) {
        s = 'N';
        sawN_ = true;
      }
      states.push_back(s);
    }
    return true;
  }

  // Every later operation relies on one state per character, so a taxon without it is refused.
  bool CheckStateCount() {
    if (set_.Taxa.empty()) return true;
    const Trdf_Sequence& taxon = set_.Taxa.back();
    if (taxon.States.size() == set_.Characters.size()) return true;
    Fail(rdf_messages::WrongStateCount(taxon.Name, taxon.States.size(), set_.Characters.size()));
    return false;
  }

  void ReadCurrent(std::string_view version) {
    for (std::string& name : CutFields(Line(1)))
      if (!AddCharacter(std::move(name))) return;
    if (set_.Characters.empty()) return Fail(rdf_messages::NoCharacters);

    const std::vector<std::string> weights = CutFields(Line(2));
    for (std::size_t i = 0; i < set_.Characters.size() && i < weights.size(); ++i) {
      Trdf_Character& character = set_.Characters[i];
      int weight = 0;
      if (ParseInteger(weights[i], weight))
        SetWeight(character, weight);
      else
        Warn(rdf_messages::WeightNotNumber(character.Name));
    }
    if (weights.size() < set_.Characters.size()) Warn(rdf_messages::WeightCountMismatch);

    if (version != CurrentVersion) return;
    int renamed = 0;
    for (std::size_t i = 3; i < lines_->size(); ++i) {
      const std::string_view line = Line(i);
      if (line.empty()) continue;
      if (line[0] != '>') {
        if (!set_.Taxa.empty() && !AppendStates(line, false)) return;
        continue;
      }
      if (!CheckStateCount() || !AddTaxon()) return;
      Trdf_Sequence& taxon = set_.Taxa.back();
      const std::vector<std::string> fields = CutFields(line.substr(1));
      if (!fields.empty()) taxon.Name = fields[0];
      if (taxon.Name.size() + 1 >= rdf_limits::TaxonNameLength) {
        const std::string counter = std::to_string(++renamed);
        const std::string oldName = taxon.Name;
        taxon.Name = oldName.substr(0, rdf_limits::TaxonNameLength - counter.size()) + counter;
        Warn(rdf_messages::Renamed(oldName, taxon.Name));
      }
      int frequency = 0;
      if (fields.size() > 1 && ParseInteger(fields[1], frequency) &&
          !SetFrequency(taxon, frequency))
        return;
      for (std::size_t k = 0; k < taxon.Info.size() && k + 2 < fields.size(); ++k)
        taxon.Info[k] = Cut(fields[k + 2], rdf_limits::InfoLength);
    }
    CheckStateCount();
  }

  void ReadOld(std::size_t nameWidth) {
    const std::string_view first = Line(0);
    for (std::size_t col = nameWidth; col < first.size(); ++col)
      if (IsLetterOrDigit(first[col]) && !AddCharacter(std::string(1, first[col]))) return;
    const std::size_t characters = set_.Characters.size();
    if (characters == 0) return Fail(rdf_messages::NoCharacters);
    // Lines 2 to 6 continue the names downwards, one column per character.
    for (std::size_t row = 1; row < 6; ++row) {
      const std::string_view line = Line(row);
      for (std::size_t i = 0; i < characters; ++i) {
        const std::size_t col = nameWidth + i;
        const char c = col < line.size() && IsLetterOrDigit(line[col]) ? line[col] : ' ';
        std::string& name = set_.Characters[i].Name;
        if (name.size() < rdf_limits::CharacterNameLength) name.push_back(c);
      }
    }

    // The weights take the last lines: an empty one and then 125 pairs to a line.
    const std::size_t weightLines = (characters - 1) / 125 + 2;
    const std::size_t lineCount = lines_->size();
    const std::size_t taxaEnd =
        std::max<std::size_t>(6, lineCount > weightLines ? lineCount - weightLines : 0);
    // Without a single taxon line this is no data file (a plain text, say), not a data set of
    // too few sequences.
    if (taxaEnd <= 6) return Fail(rdf_messages::NotADataFile);
    for (std::size_t i = 6; i < taxaEnd; ++i) {
      if (!AddTaxon()) return;
      std::string line(Line(i).substr(0, nameWidth + characters + 3));
      for (char& c : line) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      Trdf_Sequence& taxon = set_.Taxa.back();
      if (nameWidth > 0) {
        taxon.Name = line.substr(0, std::min<std::size_t>(6, line.size()));
      } else {
        taxon.Name = std::to_string(static_cast<long>(i) - 9);
        if (taxon.Name.size() < 6) taxon.Name.insert(0, 6 - taxon.Name.size(), ' ');
      }
      const std::string_view states =
          nameWidth < line.size() ? std::string_view(line).substr(nameWidth, characters)
                                  : std::string_view();
      if (!AppendStates(states, true)) return;
      if (line.size() > nameWidth + characters) {
        int frequency = 0;
        if (ParseInteger(std::string_view(line).substr(nameWidth + characters), frequency)) {
          if (!SetFrequency(taxon, frequency)) return;
        } else {
          Warn(rdf_messages::OldFrequency(set_.TaxaCount()));
        }
      }
      if (!CheckStateCount()) return;
    }

    std::size_t character = 0;
    for (std::size_t i = taxaEnd; i < lineCount; ++i) {
      const std::string_view line = Line(i);
      // Half the length, rounded to even: a last single character counts only when that says so.
      std::size_t pairs = line.size() / 2;
      if (line.size() % 2 == 1 && pairs % 2 == 1) ++pairs;
      for (std::size_t p = 0; p < pairs; ++p, ++character) {
        if (character >= characters) return;
        int weight = 0;
        if (ParseInteger(line.substr(2 * p, 2), weight))
          SetWeight(set_.Characters[character], weight);
        else
          Warn(rdf_messages::OldWeightNotNumber(static_cast<int>(character) + 1));
      }
    }
  }

  void Finish(bool checkNames) {
    if (!error_ && sawN_) Warn(rdf_messages::ContainsN);
    if (!error_ && checkNames && !set_.CheckDuplicateNames(true, true, show_)) error_ = true;
    if (!error_ && set_.TaxaCount() < 3) Fail(rdf_messages::LessThanThree);
  }

  Trdf_DataSet& set_;
  const std::vector<std::string>* lines_ = nullptr;
  bool show_;
  std::string_view tag_;
  bool error_ = false;
  bool sawN_ = false;
};

}  // namespace

bool Trdf_DataSet::ReadRdfText(std::string_view Text, bool& Error, bool ShowMessages,
                               std::string_view Tag, bool CheckNames) {
  Clear();
  RdfReader reader(*this, ShowMessages, Tag);
  Error = !reader.Read(SplitTextLines(Text), CheckNames);
  if (Error)
    Clear();
  else
    ComputeMajorityStates();
  return !Error;
}

bool Trdf_DataSet::ReadRdfFile(const std::string& FileName, bool& Error, bool ShowMessages,
                               std::string_view Tag, bool CheckNames) {
  std::string text;
  if (!ReadWholeFile(FileName, text)) {
    Clear();
    DataType = ' ';
    Error = true;
    if (ShowMessages) dialogs().showMessage(rdf_messages::CannotOpen(FileName), DialogKind::Error);
    return false;
  }
  return ReadRdfText(text, Error, ShowMessages, Tag, CheckNames);
}

bool ReadDataSet(Trdf_DataSet& data, const std::string& fileName, const TDataSetReading& how) {
  data = Trdf_DataSet();
  data.SetStateSets(how.Allowed, how.Ambiguous);
  bool error = false;
  if (!data.ReadRdfFile(fileName, error, how.ShowMessages, how.Tag, how.CheckNames) || error) {
    data.Clear();
    return false;
  }
  if (how.LengthMessage)
    for (const Trdf_Sequence& t : data.Taxa)
      if (static_cast<int>(t.States.size()) != data.CharacterCount()) {
        if (how.ShowMessages) dialogs().showMessage(how.LengthMessage, DialogKind::Error);
        data.Clear();
        return false;
      }
  if (how.ReplaceAmbiguous) data.ReplaceAmbiguousStates(false, true);
  if (how.RemoveBlanks) data.RemoveBlanksFromNames(true, true);
  return true;
}

std::string Trdf_DataSet::RdfText(bool WriteInactiveCharacters, bool WriteInactiveTaxa) const {
  static constexpr std::string_view eol = "\r\n";
  std::vector<std::size_t> columns;
  for (std::size_t c = 0; c < Characters.size(); ++c)
    if (WriteInactiveCharacters || Characters[c].Active) columns.push_back(c);

  std::string out;
  out.append(" ").push_back(DataType);
  out.append(";").append(CurrentVersion).append(eol);
  for (std::size_t c : columns) out.append(Characters[c].Name).push_back(';');
  out.append(eol);
  for (std::size_t c : columns) out.append(std::to_string(Characters[c].Weight)).push_back(';');
  out.append(eol);

  const auto writeTaxon = [&](const Trdf_Sequence& taxon) {
    out.append(">").append(taxon.Name).append(";").append(std::to_string(taxon.Frequency));
    out.push_back(';');
    for (const std::string& info : taxon.Info) out.append(info).push_back(';');
    out.append(eol);
    for (std::size_t c : columns)
      if (c < taxon.States.size()) out.push_back(taxon.States[c]);
    out.append(eol);
  };
  for (const Trdf_Sequence& taxon : Taxa)
    if (taxon.Active) writeTaxon(taxon);
  if (WriteInactiveTaxa)
    for (const Trdf_Sequence& taxon : Taxa)
      if (!taxon.Active) writeTaxon(taxon);
  return out;
}

bool Trdf_DataSet::WriteRdfFile(const std::string& FileName, bool WriteInactiveCharacters,
                                bool WriteInactiveTaxa) const {
  if (!WriteWholeFile(FileName, RdfText(WriteInactiveCharacters, WriteInactiveTaxa))) {
    dialogs().showMessage(rdf_messages::CannotWrite(FileName), DialogKind::Error);
    return false;
  }
  return true;
}
