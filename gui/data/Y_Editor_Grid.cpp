#include "Y_Editor_Grid.h"

#include "Dialogs.h"
#include "EditorNames.h"
#include "UHelp.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace {

void Show(const std::string& text, DialogKind kind = DialogKind::Error) {
  dialogs().showMessage(text, kind);
}

// The number a committed cell text begins with; -1 for an empty cell; nothing when the text
// cannot be converted (no leading digit, or too large a number).
std::optional<int> CellLeadingNumber(const std::string& text) {
  if (text.empty()) return -1;
  try {
    const int value = LeadingNumber(text);
    if (value < 0) return std::nullopt;
    return value;
  } catch (const std::out_of_range&) {
    return std::nullopt;
  }
}

// Index of the first record named like a later one, or of an empty name, in `records`.
template <class Records>
std::optional<std::pair<int, bool>> NameProblem(const Records& records) {
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (records[i].Name.empty()) return std::pair{static_cast<int>(i) + 1, true};
    for (std::size_t j = i + 1; j < records.size(); ++j)
      if (records[j].Name == records[i].Name) return std::pair{static_cast<int>(i) + 1, false};
  }
  return std::nullopt;
}

}  // namespace

std::string YMaxTaxaMessage(TYInsertKind kind) {
  const char* tail = ") is attained. Please contact";
  if (kind == TYInsertKind::Duplicate) tail = ")is attained. Please contact";
  if (kind == TYInsertKind::AddFinal) tail = ") is reached. Please contact";
  return std::string("The maximum number of taxa (") + "30000" + tail + " Movrel for help.";
}

std::string YMaxLociMessage(TYInsertKind kind) {
  const char* tail = kind == TYInsertKind::AddFinal ? ")is reached. Please contact"
                                                    : ") is reached. Please contact";
  return std::string("The maximum number of loci (") + "1000" + tail + " Movrel for help.";
}

const std::vector<std::string>& RepeatValueList() {
  static const std::vector<std::string> list = [] {
    std::vector<std::string> l{"Enter repeats directly with keyboard or use list below",
                               "99 = Undetermined number of repeats",
                               "0 = 0 repeats/point mutation absent/RFLP site absent",
                               "1 = 1 repeat/point mutation present/RFLP site present"};
    for (int n = 2; n <= 98; ++n)
      l.push_back(std::to_string(n) + " = " + std::to_string(n) + " repeats");
    return l;
  }();
  return list;
}

std::optional<uint8_t> RepeatEntryValue(int entry) {
  const auto& list = RepeatValueList();
  if (entry < 1 || entry >= static_cast<int>(list.size())) return std::nullopt;
  const int value = LeadingNumber(list[static_cast<std::size_t>(entry)]);
  return static_cast<uint8_t>(value);
}

// ---------------------------------------------------------------------------------------------

template <class F>
bool TYEditor::Change(F&& change) {
  TDataSet before = data_;
  const bool ok = change();
  undo_ = std::move(before);
  // Unlike a flag kept for the window's lifetime, a change after a save makes Exit ask again, so
  // edits made after saving are not dropped without a word.
  if (ok) saved_ = false;
  return ok;
}

std::vector<uint8_t> TYEditor::DefaultRepeats() const {
  std::vector<uint8_t> repeats;
  repeats.reserve(data_.Loci.size());
  for (const TGridLocus& l : data_.Loci) repeats.push_back(l.DefaultRepeat);
  return repeats;
}

std::string TYEditor::FreeTaxonName() const {
  return FreeRecordName("SQ", data_.Sequences);
}
std::string TYEditor::FreeLocusName() const { return FreeRecordName("CH", data_.Loci); }

bool TYEditor::CreateDataSet(int taxa, int loci, int weight) {
  if (taxa < 1 || taxa > ych_limits::MaxTaxa) {
    Show(YMaxTaxaMessage(TYInsertKind::Insert));
    return false;
  }
  if (loci < 1 || loci > ych_limits::MaxLoci) {
    Show(YMaxLociMessage(TYInsertKind::Insert));
    return false;
  }
  weight = std::clamp(weight, 0, 99);
  data_ = {};
  for (int l = 1; l <= loci; ++l)
    data_.Loci.push_back(
        TGridLocus{"CH" + std::to_string(l), ych_limits::Undetermined, static_cast<uint8_t>(weight)});
  for (int t = 1; t <= taxa; ++t) {
    TGridSequence s;
    s.Name = "SQ" + std::to_string(t);
    s.Frequency = 1;
    s.Repeats.assign(static_cast<std::size_t>(loci), ych_limits::Undetermined);
    data_.Sequences.push_back(std::move(s));
  }
  undo_.reset();
  saved_ = false;
  return true;
}

std::string TYEditor::OpenFilter() const {
  return dataType_ == "ychrom" ? "Y-chromosomal data files (*.ych)|*.ych"
                               : "Y chromosomal data format (*.ych)|*.ych";
}

bool TYEditor::OpenWithDialog() {
  FileDialogRequest request;
  request.title = "Open";
  request.filter = OpenFilter();
  const std::optional<std::string> name = dialogs().openFileName(request);
  return name && Open(*name);
}

bool TYEditor::Open(const std::string& fileName) {
  TDataSet read;
  if (!ReadYchFile(fileName, read)) return false;  // the reader showed why
  data_ = std::move(read);
  fileName_ = fileName;
  undo_.reset();
  saved_ = false;
  newEntry_ = true;
  CheckData();
  return true;
}

bool TYEditor::TypeRepeat(int taxon, int locus, char key) {
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
  if (upper < '0' || upper > '9') {
    newEntry_ = true;
    if (upper != '\t') Show(y_editor_messages::WrongCharacterPrefix + upper);
    return false;
  }
  if (!ValidTaxon(taxon) || !ValidLocus(locus)) return false;
  const int digit = upper - '0';
  uint8_t& cell = data_.Sequences[static_cast<std::size_t>(taxon - 1)]
                      .Repeats[static_cast<std::size_t>(locus - 1)];
  const bool fresh = newEntry_;
  newEntry_ = false;
  return Change([&] {
    const int candidate = fresh ? digit : cell * 10 + digit;
    if (candidate > 99) {
      Show(y_editor_messages::ValueExceeds);
      return false;
    }
    cell = static_cast<uint8_t>(candidate);
    return true;
  });
}

bool TYEditor::SetRepeat(int taxon, int locus, uint8_t value) {
  if (!ValidTaxon(taxon) || !ValidLocus(locus)) return false;
  return Change([&] {
    data_.Sequences[static_cast<std::size_t>(taxon - 1)]
        .Repeats[static_cast<std::size_t>(locus - 1)] = value;
    return true;
  });
}

int TYEditor::AddTaxon(TYInsertKind kind, int position) {
  if (TaxaCount() >= ych_limits::MaxTaxa) {
    Show(YMaxTaxaMessage(kind));
    return 0;
  }
  TGridSequence taxon;
  if (kind == TYInsertKind::Duplicate) {
    if (!ValidTaxon(position)) return 0;
    taxon = Taxon(position);
    ++position;
  } else {
    taxon.Repeats = DefaultRepeats();
    if (kind == TYInsertKind::AddFinal || !ValidTaxon(position)) position = TaxaCount() + 1;
  }
  taxon.Name = FreeTaxonName();
  Change([&] {
    data_.Sequences.insert(data_.Sequences.begin() + (position - 1), std::move(taxon));
    return true;
  });
  return position;
}

bool TYEditor::DeleteTaxon(int position) {
  if (TaxaCount() < 2) {
    Show(y_editor_messages::CannotDeleteTaxon);
    return false;
  }
  if (!ValidTaxon(position)) return false;
  return Change([&] {
    data_.Sequences.erase(data_.Sequences.begin() + (position - 1));
    return true;
  });
}

bool TYEditor::CanAddLocus(TYInsertKind kind) const {
  if (LociCount() < ych_limits::MaxLoci) return true;
  Show(YMaxLociMessage(kind));
  return false;
}

bool TYEditor::InsertLocus(int position, uint8_t value, int weight) {
  if (!CanAddLocus(TYInsertKind::Insert)) return false;
  if (position < 1 || position > LociCount() + 1) position = LociCount() + 1;
  const TGridLocus locus{FreeLocusName(), value, static_cast<uint8_t>(std::clamp(weight, 0, 99))};
  return Change([&] {
    data_.Loci.insert(data_.Loci.begin() + (position - 1), locus);
    for (TGridSequence& s : data_.Sequences) s.Repeats.insert(s.Repeats.begin() + (position - 1), value);
    return true;
  });
}

bool TYEditor::DuplicateLocus(int position) {
  if (!CanAddLocus(TYInsertKind::Duplicate) || !ValidLocus(position)) return false;
  TGridLocus locus = Locus(position);
  locus.Name = FreeLocusName();
  return Change([&] {
    data_.Loci.insert(data_.Loci.begin() + position, locus);
    for (TGridSequence& s : data_.Sequences)
      s.Repeats.insert(s.Repeats.begin() + position, s.Repeats[static_cast<std::size_t>(position - 1)]);
    return true;
  });
}

bool TYEditor::DeleteLocus(int position) {
  if (LociCount() < 2) {
    Show(y_editor_messages::CannotDeleteLocus);
    return false;
  }
  if (!ValidLocus(position)) return false;
  return Change([&] {
    data_.Loci.erase(data_.Loci.begin() + (position - 1));
    for (TGridSequence& s : data_.Sequences) s.Repeats.erase(s.Repeats.begin() + (position - 1));
    return true;
  });
}

bool TYEditor::SetDefaultRepeat(int locus, uint8_t value) {
  if (!ValidLocus(locus)) return false;
  return Change([&] {
    data_.Loci[static_cast<std::size_t>(locus - 1)].DefaultRepeat = value;
    for (TGridSequence& s : data_.Sequences) s.Repeats[static_cast<std::size_t>(locus - 1)] = value;
    return true;
  });
}

bool TYEditor::RenameTaxon(int taxon, const std::string& text) {
  if (!ValidTaxon(taxon)) return false;
  return Change([&] {
    data_.Sequences[static_cast<std::size_t>(taxon - 1)].Name =
        text.substr(0, ych_limits::TaxonNameLength);
    return true;
  });
}

bool TYEditor::SetFrequencyText(int taxon, const std::string& text) {
  if (!ValidTaxon(taxon)) return false;
  return Change([&] {
    TGridSequence& s = data_.Sequences[static_cast<std::size_t>(taxon - 1)];
    const std::optional<int> value = CellLeadingNumber(text);
    if (!value) Show(y_editor_messages::BadFrequency(s.Name));
    s.Frequency = value.value_or(0);
    return true;
  });
}

bool TYEditor::SetInfo(int field, int taxon, const std::string& text) {
  if (!ValidTaxon(taxon) || field < 1 || field > ych_limits::InfoCount) return false;
  return Change([&] {
    data_.Sequences[static_cast<std::size_t>(taxon - 1)].Info[static_cast<std::size_t>(field - 1)] =
        text.substr(0, ych_limits::InfoLength);
    return true;
  });
}

bool TYEditor::RenameLocus(int locus, const std::string& text) {
  if (!ValidLocus(locus)) return false;
  return Change([&] {
    data_.Loci[static_cast<std::size_t>(locus - 1)].Name = text.substr(0, ych_limits::LocusNameLength);
    return true;
  });
}

bool TYEditor::SetWeightText(int locus, const std::string& text) {
  if (!ValidLocus(locus)) return false;
  return Change([&] {
    TGridLocus& l = data_.Loci[static_cast<std::size_t>(locus - 1)];
    std::optional<int> value = CellLeadingNumber(text);
    // A weight is one byte: a larger number is refused rather than wrapped.
    if (value && *value > 255) value.reset();
    if (!value) Show(y_editor_messages::BadWeight(l.Name));
    // An empty cell (-1) is kept as 255 like the file's "-1".
    l.Weight = static_cast<uint8_t>(value.value_or(0) & 0xFF);
    return true;
  });
}

void TYEditor::CopyInfo(int field, int taxon) {
  if (!ValidTaxon(taxon) || field < 1 || field > ych_limits::InfoCount) return;
  const std::string& text = Taxon(taxon).Info[static_cast<std::size_t>(field - 1)];
  if (!text.empty()) infoClipboard_ = text;
}

bool TYEditor::PasteInfo(int field, int taxon) {
  if (infoClipboard_.empty()) return false;
  return SetInfo(field, taxon, infoClipboard_);
}

bool TYEditor::Undo() {
  if (!undo_) return false;
  data_ = std::move(*undo_);
  undo_.reset();
  saved_ = false;
  return true;
}

std::optional<TYEditor::Problem> TYEditor::CheckData() {
  checkFailed_ = true;
  if (const auto p = NameProblem(data_.Sequences)) {
    Show(p->second ? y_editor_messages::EmptyTaxonName
                   : y_editor_messages::DuplicateTaxonName(Taxon(p->first).Name));
    return Problem{p->first, 0};
  }
  if (const auto p = NameProblem(data_.Loci)) {
    Show(p->second ? y_editor_messages::EmptyLocusName
                   : y_editor_messages::DuplicateLocusName(Locus(p->first).Name));
    return Problem{0, p->first};
  }
  checkFailed_ = false;
  return std::nullopt;
}

bool TYEditor::SaveWithDialog() {
  if (CheckData()) return false;
  FileDialogRequest request;
  request.title = "Save";
  request.filter = "Y chromosomal data format (*.ych)|*.ych";
  request.fileName = fileName_;
  request.defaultExt = "ych";
  const std::optional<std::string> name = dialogs().saveFileName(request);
  return name && Save(*name);
}

bool TYEditor::Save(std::string fileName) {
  ForceFileExtension("ych", fileName);
  if (!WriteYchFile(fileName, data_)) return false;  // the writer showed why
  fileName_ = fileName;
  saved_ = true;
  Show(y_editor_messages::Saved, DialogKind::Information);
  return true;
}

bool TYEditor::ConfirmExit() const {
  if (saved_) {
    Show(y_editor_messages::Completed, DialogKind::Information);
    return true;
  }
  return dialogs().askOkCancel(y_editor_messages::NotSaved, DialogKind::Warning);
}
