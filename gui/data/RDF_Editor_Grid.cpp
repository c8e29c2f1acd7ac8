#include "RDF_Editor_Grid.h"

#include "Dialogs.h"
#include "EditorNames.h"
#include "RdfMessages.h"
#include "UHelp.h"
#include "umwandl.h"

#include <cctype>
#include <charconv>

namespace {

char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The masks admit digits only, so anything else (an empty cell above all) is no number.
std::optional<int> CellNumber(const std::string& text) {
  const std::string t = Trimmed(text);
  int value = 0;
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
  if (t.empty() || ec != std::errc() || end != t.data() + t.size()) return std::nullopt;
  return value;
}

std::string LimitMessage(const std::string& what, int limit, TRdfInsertKind kind,
                         const char* duplicateWording) {
  const char* wording = ") is attained. Please contact";
  if (kind == TRdfInsertKind::AddFinal) wording = ")is reached. Please contact";
  if (kind == TRdfInsertKind::Duplicate && duplicateWording != nullptr) wording = duplicateWording;
  return "The maximum number of " + what + " (" + std::to_string(limit) + wording +
         " Movrel for help.";
}

void Show(const std::string& text, DialogKind kind = DialogKind::Error) {
  dialogs().showMessage(text, kind);
}

}  // namespace

std::string MaxTaxaMessage(TRdfInsertKind kind) {
  return LimitMessage("taxa", rdf_limits::MaxTaxa, kind, nullptr);
}

std::string MaxCharactersMessage(TRdfInsertKind kind) {
  return LimitMessage("characters", rdf_limits::MaxCharacters, kind,
                      ")has been reached. Please contact");
}

TRdfEditorStates EditorStatesFor(const std::string& dataType) {
  if (dataType == "amino")
    return {std::string(rdf_states::AminoAcidAllowed), std::string(rdf_states::AminoAcidAmbiguous),
            {"A = Alanine", "B = Aspartic acid or asparagine", "C = Cysteine",
             "D = Aspartic acid", "E = Glutamic acid", "F = Phenylalanine", "G = Glycine",
             "H = Histidine", "I = Isoleucine", "K = Lysine", "L = Leucine", "M = Methionine",
             "N = Asparagine", "P = Proline", "Q = Glutamine", "R = Arginine", "S = Serine",
             "T = Threonine", "U = Selenocysteine", "V = Valine", "W = Tryptophan",
             "X = Unknown or other amino acid", "Y = Tyrosine",
             "Z = Glutamic acid or glutamine", "- = Deletion"}};
  if (dataType == "binary")
    return {".01?N", ".?N", {"0", "1", "N = 0 or 1", ". = 0 or 1"}};
  if (dataType == "rflp")
    return {".01?N",
            ".?N",
            {"0 = RFLP site absent", "1 = RFLP site present", "N = not determined",
             ". = not determined"}};
  // Nucleotides: unlike the calculations, the editor admits no 0/1, so a binary file opened as
  // nucleotide data is recognised and refused by the reader.
  return {"-.?ABCDGHKMNRSTVWY",
          ".?BDHKMNRSVWY",
          {"A = Adenine", "G = Guanine", "C = Cytosine", "T = Thymine", "R = A or G", "Y = C or T",
           "N = A,G,C or T", ". = A,G,C or T", "D = A,G or T", "W = A or T", "S = G or C",
           "M = A or C", "H = A,C or T", "V = A,G or C", "K = G or T", "B = G,C or T",
           "- = Deletion"}};
}

int StateEntryForText(const std::vector<std::string>& list, const std::string& text) {
  if (!text.empty()) {
    const char first = Upper(text[0]);
    for (std::size_t i = 0; i < list.size(); ++i)
      if (!list[i].empty() && list[i][0] == first) return static_cast<int>(i);
  }
  return 0;
}

char TCellMask::Typed(char c) const {
  const auto u = static_cast<unsigned char>(c);
  if (digitsOnly) return std::isdigit(u) ? c : '\0';
  return std::isalnum(u) ? Upper(c) : '\0';
}

// ---------------------------------------------------------------------------------------------

TRdfEditor::TRdfEditor(std::string dataType)
    : dataType_(std::move(dataType)), states_(EditorStatesFor(dataType_)) {
  data_.SetStateSets(states_.allowed, states_.ambiguous);
}

template <class F>
bool TRdfEditor::Change(F&& change) {
  undo_ = Snapshot{data_.Taxa, data_.Characters};
  const bool ok = change();
  if (ok) saved_ = false;
  return ok;
}

std::string TRdfEditor::DefaultStates() const {
  std::string states;
  states.reserve(data_.Characters.size());
  for (const Trdf_Character& c : data_.Characters)
    states.push_back(c.MajorityState != ' ' ? c.MajorityState : states_.list.front()[0]);
  return states;
}

std::string TRdfEditor::FreeTaxonName() const { return FreeRecordName("SQ", data_.Taxa); }

std::string TRdfEditor::FreeCharacterName() const {
  return FreeRecordName("CH", data_.Characters);
}

bool TRdfEditor::CreateDataSet(int taxa, int characters, int weight) {
  if (taxa < 1 || taxa > rdf_limits::MaxTaxa) {
    Show(MaxTaxaMessage(TRdfInsertKind::Insert));
    return false;
  }
  if (characters < 1 || characters > rdf_limits::MaxCharacters) {
    Show(MaxCharactersMessage(TRdfInsertKind::Insert));
    return false;
  }
  if (weight < 0 || weight > rdf_limits::MaxWeight) {
    Show(rdf_messages::WeightRange(weight));
    return false;
  }
  data_.Clear();
  data_.DataType = ' ';
  const char state = states_.list.front()[0];
  for (int c = 1; c <= characters; ++c) {
    Trdf_Character character;
    character.Name = "CH" + std::to_string(c);
    character.Weight = weight;
    character.Active = weight != 0;
    character.MajorityState = state;
    data_.Characters.push_back(std::move(character));
  }
  for (int t = 1; t <= taxa; ++t) {
    Trdf_Sequence taxon;
    taxon.Name = "SQ" + std::to_string(t);
    taxon.States.assign(static_cast<std::size_t>(characters), state);
    data_.Taxa.push_back(std::move(taxon));
  }
  undo_.reset();
  saved_ = false;
  return true;
}

std::string TRdfEditor::OpenFilter() const {
  if (IsAmino()) return "Amino acid files|*.ami";
  if (dataType_ == "rflp") return "RFLP data file|*.tor";
  return "Binary or multistate files|*.rdf|Files generated with star contraction|*.sco";
}

bool TRdfEditor::OpenWithDialog() {
  FileDialogRequest request;
  request.title = "Open";
  request.filter = OpenFilter();
  const std::optional<std::string> name = dialogs().openFileName(request);
  if (!name) {
    openFailed_ = true;
    return false;
  }
  return Open(*name);
}

bool TRdfEditor::Open(const std::string& fileName) {
  openFailed_ = true;
  std::string rdfName = fileName;
  if (dataType_ == "rflp") {
    if (!ImportTorFile(fileName) || !ChangeFileExtension("rdf", fileName, rdfName)) return false;
  }
  // The reader takes LF, CR and CR LF line ends alike: a file that is only opened is never
  // rewritten.
  bool error = false;
  if (!data_.ReadRdfFile(rdfName, error, true, "Editor", false) || error) return false;
  openFailed_ = false;
  fileName_ = rdfName;
  undo_.reset();
  saved_ = false;
  CheckData();
  return true;
}

bool TRdfEditor::TypeState(int taxon, int character, char key) {
  const char state = Upper(key);
  if (!data_.AllowedStates.Contains(state)) {
    Show(rdf_editor_messages::IncorrectCharacterPrefix + state);
    return false;
  }
  return SetState(taxon, character, state);
}

bool TRdfEditor::SetState(int taxon, int character, char state) {
  return Change([&] { return data_.SetCharacterState(taxon, character, state); });
}

int TRdfEditor::AddTaxon(TRdfInsertKind kind, int position) {
  if (data_.TaxaCount() >= rdf_limits::MaxTaxa) {
    Show(MaxTaxaMessage(kind));
    return 0;
  }
  const int count = data_.TaxaCount();
  std::string states = DefaultStates();
  int frequency = 1;
  if (kind == TRdfInsertKind::AddFinal) {
    position = count + 1;
  } else if (kind == TRdfInsertKind::Duplicate) {
    if (position < 1 || position > count) return 0;
    states = data_.Taxon(position).States;
    frequency = data_.Taxon(position).Frequency;
  } else if (position < 1 || position > count) {
    position = count + 1;
  }
  const std::string name = FreeTaxonName();
  return Change([&] { return data_.InsertTaxon(position, states, name, frequency); }) ? position
                                                                                        : 0;
}

bool TRdfEditor::DeleteTaxon(int position) {
  return Change([&] { return data_.DeleteTaxon(position); });
}

bool TRdfEditor::CanAddCharacter(TRdfInsertKind kind) const {
  if (data_.CharacterCount() < rdf_limits::MaxCharacters) return true;
  Show(MaxCharactersMessage(kind));
  return false;
}

bool TRdfEditor::InsertCharacter(int position, char state, int weight) {
  if (!CanAddCharacter(TRdfInsertKind::Insert)) return false;
  const std::string states(data_.Taxa.size(), state);
  const std::string name = FreeCharacterName();
  return Change([&] {
    if (!data_.InsertCharacter(position, weight, states, state, name)) return false;
    data_.Character(position).Active = weight != 0;
    return true;
  });
}

bool TRdfEditor::DuplicateCharacter(int position) {
  if (!CanAddCharacter(TRdfInsertKind::Duplicate)) return false;
  if (position < 1 || position > data_.CharacterCount()) return false;
  const Trdf_Character source = data_.Character(position);
  std::string states;
  for (const Trdf_Sequence& taxon : data_.Taxa)
    states.push_back(taxon.States[static_cast<std::size_t>(position - 1)]);
  const std::string name = FreeCharacterName();
  return Change([&] {
    if (!data_.InsertCharacter(position, source.Weight, states, source.MajorityState, name))
      return false;
    data_.Character(position).Active = source.Active;
    return true;
  });
}

bool TRdfEditor::DeleteCharacter(int position) {
  return Change([&] { return data_.DeleteCharacter(position); });
}

bool TRdfEditor::SetDefaultState(int character, char state) {
  if (character < 1 || character > data_.CharacterCount()) return false;
  return Change([&] {
    data_.Character(character).MajorityState = state;
    for (Trdf_Sequence& taxon : data_.Taxa)
      taxon.States[static_cast<std::size_t>(character - 1)] = state;
    return true;
  });
}

bool TRdfEditor::SetWeights(int start, int end, int weight) {
  if (start < 1 || end > data_.CharacterCount() || start > end) return false;
  return Change([&] {
    bool all = true;
    for (int c = start; c <= end; ++c) all = data_.SetWeight(c, weight) && all;
    return all;
  });
}

bool TRdfEditor::RenameTaxon(int taxon, const std::string& text) {
  return Change([&] { return data_.RenameTaxon(taxon, text); });
}

bool TRdfEditor::SetFrequencyText(int taxon, const std::string& text) {
  if (taxon < 1 || taxon > data_.TaxaCount()) return false;
  std::optional<int> value = CellNumber(text);
  if (!value) {
    Show(rdf_editor_messages::BadFrequency(data_.Taxon(taxon).Name));
    value = 0;  // refused by the range check: the frequency stays
  }
  return Change([&] { return data_.SetFrequency(taxon, *value); });
}

bool TRdfEditor::SetInfo(int field, int taxon, const std::string& text) {
  return Change([&] { return data_.SetTaxonInfo(field, taxon, text); });
}

bool TRdfEditor::RenameCharacter(int character, const std::string& text) {
  return Change([&] { return data_.RenameCharacter(character, text); });
}

bool TRdfEditor::SetWeightText(int character, const std::string& text) {
  if (character < 1 || character > data_.CharacterCount()) return false;
  std::optional<int> value = CellNumber(text);
  if (!value) {
    Show(rdf_editor_messages::BadWeight(data_.Character(character).Name));
    value = 0;
  }
  return Change([&] { return data_.SetWeight(character, *value); });
}

void TRdfEditor::CopyInfo(int field, int taxon) {
  if (field < 1 || field > rdf_limits::InfoCount || taxon < 1 || taxon > data_.TaxaCount()) return;
  infoClipboard_ = data_.Taxon(taxon).Info[static_cast<std::size_t>(field - 1)];
}

bool TRdfEditor::PasteInfo(int field, int taxon) { return SetInfo(field, taxon, infoClipboard_); }

bool TRdfEditor::ReplaceAmbiguousStates() {
  if (!dialogs().askYesNo(rdf_editor_messages::ReplaceAmbiguousQuestion)) return false;
  return Change([&] {
    data_.ReplaceAmbiguousStates(true, true);
    return true;
  });
}

bool TRdfEditor::Binarize() {
  return Change([&] {
    bool notBinary = false;
    data_.CheckBinaryCharacters(notBinary);
    return !notBinary;
  });
}

bool TRdfEditor::Undo() {
  if (!undo_) return false;
  data_.Taxa = std::move(undo_->taxa);
  data_.Characters = std::move(undo_->characters);
  undo_.reset();
  saved_ = false;
  return true;
}

std::optional<TRdfEditor::Problem> TRdfEditor::CheckData() {
  checkFailed_ = true;
  const auto fail = [](const std::string& message, Problem where) {
    Show(message);
    return std::optional<Problem>(where);
  };
  const int taxa = data_.TaxaCount();
  for (int i = 1; i <= taxa; ++i) {
    const std::string& name = data_.Taxon(i).Name;
    if (name.empty()) return fail(rdf_editor_messages::EmptyTaxonName, {i, 0});
    for (int j = i + 1; j <= taxa; ++j)
      if (data_.Taxon(j).Name == name)
        return fail(rdf_editor_messages::DuplicateTaxonName(name), {j, 0});
  }
  const int characters = data_.CharacterCount();
  for (int i = 1; i <= characters; ++i) {
    const std::string& name = data_.Character(i).Name;
    if (name.empty()) return fail(rdf_editor_messages::EmptyCharacterName, {0, i});
    for (int j = i + 1; j <= characters; ++j)
      if (data_.Character(j).Name == name)
        return fail(rdf_editor_messages::DuplicateCharacterName(name), {0, j});
  }
  checkFailed_ = false;
  return std::nullopt;
}

std::string TRdfEditor::SaveFilter() const {
  return IsAmino() ? "amino acid data format (*.ami)|*.ami"
                   : "Multistate or binary data format (*.rdf)|*.rdf";
}

bool TRdfEditor::SaveWithDialog() {
  if (CheckData()) return false;
  FileDialogRequest request;
  request.title = "Save";
  request.filter = SaveFilter();
  request.fileName = fileName_;
  request.defaultExt = SaveExtension();
  const std::optional<std::string> name = dialogs().saveFileName(request);
  if (!name) return false;
  return Save(*name);
}

bool TRdfEditor::Save(std::string fileName) {
  ForceFileExtension(SaveExtension(), fileName);
  if (!data_.WriteRdfFile(fileName, true, true)) return false;  // the writer showed why
  fileName_ = fileName;
  saved_ = true;
  Show(IsAmino() ? rdf_editor_messages::SavedAmino : rdf_editor_messages::SavedNucleotide,
       DialogKind::Information);
  return true;
}

bool TRdfEditor::ConfirmExit() const {
  if (saved_) {
    Show(rdf_editor_messages::Completed, DialogKind::Information);
    return true;
  }
  return dialogs().askOkCancel(rdf_editor_messages::NotSaved, DialogKind::Warning);
}
