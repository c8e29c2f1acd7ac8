#include "YchFile.h"

#include "Dialogs.h"
#include "ImportText.h"
#include "RdfMessages.h"
#include "UHelp.h"

#include <optional>

namespace {

using import_text::AllDigits;
using import_text::Int32Number;
using import_text::SplitAt;
using import_text::TrimBlanks;

// A byte as the file stores it: 0..255, or "-1" for 255 (the editor keeps an empty weight or repeat
// cell as -1). Anything else, a larger number included, is no byte: it is never wrapped.
std::optional<uint8_t> ByteNumber(std::string_view text) {
  text = TrimBlanks(text);
  if (text == "-1") return uint8_t{255};
  if (!AllDigits(text) || text.size() > 9) return std::nullopt;
  const int value = std::stoi(std::string(text));
  if (value > 255) return std::nullopt;
  return static_cast<uint8_t>(value);
}

bool LocusNameCharacter(char c) {
  return c == ' ' || c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
         (c >= 'a' && c <= 'z');
}

// Reads the three header lines into `data`; false after the fatal message.
bool ReadHeader(const std::vector<std::string>& lines, TDataSet& data) {
  const std::string& names = lines[0];
  if (names.empty() || names.front() == ' ') {
    dialogs().showMessage(ych_messages::LociFormat, DialogKind::Error);
    return false;
  }
  std::string name;
  auto addLocus = [&]() {
    if (static_cast<int>(data.Loci.size()) >= ych_limits::MaxLoci) {
      dialogs().showMessage(ych_messages::MaxLoci, DialogKind::Error);
      return false;
    }
    data.Loci.push_back(TGridLocus{name, 0, ych_limits::DefaultWeight});
    name.clear();
    return true;
  };
  for (char c : names) {
    if (c == ',') {
      if (!addLocus()) return false;
    } else if (LocusNameCharacter(c) && name.size() < ych_limits::LocusNameLength) {
      name += c;
    }
  }
  if (!name.empty() && !addLocus()) return false;

  const std::vector<std::string_view> weights = SplitAt(lines[1], ',');
  for (std::size_t i = 0; i < weights.size() && i < data.Loci.size(); ++i) {
    if (const std::optional<uint8_t> weight = ByteNumber(weights[i])) {
      data.Loci[i].Weight = *weight;
    } else if (i + 1 < weights.size()) {
      // A last piece without a comma after it keeps 10 silently.
      dialogs().showMessage(rdf_messages::WeightNotNumber(data.Loci[i].Name), DialogKind::Warning);
    }
  }
  return true;
}

// Reads one three-line taxon block, its repeat values on the 1-based line `repeatsLine`; false after
// a fatal message.
bool ReadTaxon(const std::string& head, const std::string& repeats, std::size_t repeatsLine,
               const std::string& frequency, TDataSet& data) {
  if (head.empty() || head.front() == ' ') {
    dialogs().showMessage(ych_messages::DataFormat, DialogKind::Error);
    return false;
  }
  if (static_cast<int>(data.Sequences.size()) >= ych_limits::MaxTaxa) {
    dialogs().showMessage(ych_messages::MaxTaxa, DialogKind::Error);
    return false;
  }
  const int position = static_cast<int>(data.Sequences.size()) + 1;
  TGridSequence taxon;
  taxon.Repeats.assign(data.Loci.size(), 0);

  const std::vector<std::string_view> fields = SplitAt(head, ';');
  taxon.Name = std::string(fields[0].substr(0, ych_limits::TaxonNameLength));
  for (int f = 0; f < ych_limits::InfoCount && f + 1 < static_cast<int>(fields.size()); ++f)
    taxon.Info[f] = std::string(fields[f + 1].substr(0, ych_limits::InfoLength));

  // Every ',' ends a value; a last value counts only when it is not empty, so a trailing comma
  // changes nothing.
  const std::vector<std::string_view> values = SplitAt(repeats, ',');
  for (std::size_t i = 0; i < values.size() && i < data.Loci.size(); ++i)
    if (!IsYchRepeatValue(values[i])) {
      dialogs().showMessage(ych_messages::BadRepeat(TrimBlanks(values[i]), fields[0], repeatsLine,
                                                    data.Loci[i].Name),
                            DialogKind::Error);
      return false;
    }
  std::size_t count = values.size() - 1;
  if (!TrimBlanks(values.back()).empty()) ++count;
  if (count != data.Loci.size()) {
    dialogs().showMessage(ych_messages::LocusCount(position), DialogKind::Error);
    return false;
  }
  for (std::size_t i = 0; i < count; ++i) taxon.Repeats[i] = YchRepeatValue(values[i]);

  if (!TrimBlanks(frequency).empty()) {
    if (const std::optional<int32_t> value = Int32Number(frequency))
      taxon.Frequency = *value;
    else
      dialogs().showMessage(ych_messages::Frequency(position), DialogKind::Warning);
  }
  data.Sequences.push_back(std::move(taxon));
  return true;
}

}  // namespace

bool IsYchRepeatValue(std::string_view Text) {
  Text = TrimBlanks(Text);
  if (Text.empty() || Text == "-1" || Text == "?" || AllDigits(Text)) return true;
  const std::size_t dot = Text.find('.');
  return dot != std::string_view::npos && AllDigits(Text.substr(0, dot)) &&
         AllDigits(Text.substr(dot + 1));
}

uint8_t YchRepeatValue(std::string_view Text) {
  if (TrimBlanks(Text).empty()) return 0;
  return ByteNumber(Text).value_or(ych_limits::Undetermined);
}

bool ReadYchText(std::string_view Text, TDataSet& Data) {
  const std::vector<std::string> lines = SplitTextLines(Text);
  // Without the names and weights there is no data set (the empty third line may be missing).
  if (lines.size() < 2) {
    dialogs().showMessage(ych_messages::LociFormat, DialogKind::Error);
    return false;
  }
  TDataSet read;
  if (!ReadHeader(lines, read)) return false;
  // Blocks of three lines per taxon; a remainder of one or two lines is ignored.
  for (std::size_t block = 3; block + 3 <= lines.size(); block += 3)
    if (!ReadTaxon(lines[block], lines[block + 1], block + 2, lines[block + 2], read)) return false;
  Data = std::move(read);
  return true;
}

bool ReadYchFile(const std::string& FileName, TDataSet& Data) {
  std::string text;
  if (!ReadWholeFile(FileName, text)) {
    dialogs().showMessage(rdf_messages::CannotOpen(FileName), DialogKind::Error);
    return false;
  }
  return ReadYchText(text, Data);
}

std::string YchText(const TDataSet& Data) {
  std::string out;
  for (std::size_t i = 0; i < Data.Loci.size(); ++i) {
    if (i > 0) out += ',';
    out += Data.Loci[i].Name.substr(0, ych_limits::LocusNameLength);
  }
  out += "\r\n";
  for (std::size_t i = 0; i < Data.Loci.size(); ++i) {
    if (i > 0) out += ',';
    out += std::to_string(Data.Loci[i].Weight);
  }
  out += "\r\n\r\n";
  for (const TGridSequence& taxon : Data.Sequences) {
    out += taxon.Name.substr(0, ych_limits::TaxonNameLength) + ';';
    for (const std::string& info : taxon.Info) out += info.substr(0, ych_limits::InfoLength) + ';';
    out += "\r\n";
    for (std::size_t i = 0; i < taxon.Repeats.size(); ++i) {
      if (i > 0) out += ',';
      out += std::to_string(taxon.Repeats[i]);
    }
    out += "\r\n" + std::to_string(taxon.Frequency) + "\r\n";
  }
  return out;
}

bool WriteYchFile(const std::string& FileName, const TDataSet& Data) {
  if (WriteWholeFile(FileName, YchText(Data))) return true;
  dialogs().showMessage(rdf_messages::CannotWrite(FileName), DialogKind::Error);
  return false;
}
