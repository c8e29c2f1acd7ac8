#pragma once
// The rdf data editor without its window: the data set being edited with its one-step undo copy,
// the state sets of the chosen data type, the rules of every editing command (new names, limits,
// typed states, committed cell texts, default states, weights of a run of characters), the data
// check, and the open, save and exit steps with their dialogs. The window only maps grid cells to
// the positions used here (taxon = row + 1, character = column + 1) and refills its grids.
// Plain C++: no Qt.

#include "RDF_DataSet_Definition.h"

#include <optional>
#include <string>
#include <vector>

namespace rdf_editor_messages {

inline const std::string IncorrectCharacterPrefix = "Incorrect character: ";
inline const std::string EmptyTaxonName = "Sequence name is empty: Please correct the problem.";
inline const std::string EmptyCharacterName =
    "Character name is empty: Please correct the problem.";
inline std::string DuplicateTaxonName(const std::string& name) {
  return "At least two sequences have the same name: " + name + ". " +
         "Please correct the problem.";
}
inline std::string DuplicateCharacterName(const std::string& name) {
  return "At least two characters have the same name: " + name + ". " +
         "Please correct the problem.";
}
inline std::string BadWeight(const std::string& character) {
  return "Have detected a problem in changing the weight of character " + character +
         ". Its weight is now set to 0.";
}
inline std::string BadFrequency(const std::string& taxon) {
  return "Have detected a problem in changing the frequency of taxon " + taxon +
         ". Its frequency is now set to 0.";
}
inline const std::string ReplaceAmbiguousQuestion =
    "This option will replace all ambiguous states within the data set by searching for the best "
    "replacement within the sequences having minimal distance. Do you really want this?";
inline const std::string SavedNucleotide =
    "File has been saved. To calculate a network, please exit, proceed to the Calculation menu, "
    "choose MJ or RM, and call up your *.rdf file.";
inline const std::string SavedAmino =
    "File has been saved. To calculate a network, please exit, proceed to the Calculation menu, "
    "choose MJ, and call up your *.ami file.";
inline const std::string Completed = "File completed. You may proceed to the Calculation menu.";
inline const std::string NotSaved =
    "File not saved. Only saved files are available and can be called up in the Calculation menu "
    "to produce a network.";

}  // namespace rdf_editor_messages

// Where a new taxon or character comes from; the limit messages differ between them.
enum class TRdfInsertKind { Insert, AddFinal, Duplicate };

// The limit message shown before a taxon (character) is added in the given way.
std::string MaxTaxaMessage(TRdfInsertKind kind);
std::string MaxCharactersMessage(TRdfInsertKind kind);

// The state sets and the state list (one entry per state, its first character the state) of a
// data-type word ("amino", "multistate", "binary", "rflp"). Any other word gives the nucleotide
// ones.
struct TRdfEditorStates {
  std::string allowed;
  std::string ambiguous;
  std::vector<std::string> list;
};
TRdfEditorStates EditorStatesFor(const std::string& dataType);

// The list entry a combo box text stands for when no entry is selected: the entry whose first
// character equals the text's first character in upper case, else the first entry (0).
int StateEntryForText(const std::vector<std::string>& list, const std::string& text);

// What the grid edit masks let the user type into a cell of a text grid.
struct TCellMask {
  std::size_t maxLength = 0;
  bool digitsOnly = false;  // else letters and digits
  // The character typed as it enters the cell (letters in upper case), or '\0' when refused.
  char Typed(char c) const;
};
namespace rdf_editor_masks {
inline constexpr TCellMask TaxonName{rdf_limits::TaxonNameLength, false};
inline constexpr TCellMask Frequency{4, true};
inline constexpr TCellMask Information{15, false};
inline constexpr TCellMask CharacterName{rdf_limits::CharacterNameLength, false};
inline constexpr TCellMask Weight{2, true};
}  // namespace rdf_editor_masks

class TRdfEditor {
public:
  // Sets the data set's state sets for the data-type word. The data set starts empty.
  explicit TRdfEditor(std::string dataType);

  const std::string& DataTypeWord() const { return dataType_; }
  bool IsAmino() const { return dataType_ == "amino"; }
  const std::vector<std::string>& StateList() const { return states_.list; }
  bool IsAmbiguous(char state) const { return data_.AmbiguousStates.Contains(state); }
  const Trdf_DataSet& DataSet() const { return data_; }
  const std::string& FileName() const { return fileName_; }

  bool Saved() const { return saved_; }
  bool OpenFailed() const { return openFailed_; }
  bool CheckFailed() const { return checkFailed_; }
  bool CanUndo() const { return undo_.has_value(); }

  // --- Create mode ---
  // A new data set of `taxa` taxa "SQ1".. (frequency 1) and `characters` characters "CH1".. with
  // `weight` and the first listed state as default state and as every taxon's state. False (with
  // the limit message) beyond the data set's limits.
  bool CreateDataSet(int taxa, int characters, int weight);

  // --- Modify mode ---
  // The open dialog's filter for the data type.
  std::string OpenFilter() const;
  // Asks for a file (the open dialog) and opens it; sets the open-failed flag on cancel or error.
  bool OpenWithDialog();
  // Reads `fileName` (RFLP site lists are imported into an .rdf of the same name first); then
  // runs CheckData. False, with the open-failed flag set, when nothing could be read.
  bool Open(const std::string& fileName);

  // --- Editing; positions are 1-based; false when refused (after its message) ---
  // A key typed into the state grid: taken in upper case; a state outside the allowed set shows
  // "Incorrect character: " + the key.
  bool TypeState(int taxon, int character, char key);
  bool SetState(int taxon, int character, char state);
  // A new taxon before `position` (Insert), at the end (AddFinal, `position` ignored) or a copy of
  // taxon `position` before it (Duplicate). Returns the new taxon's position, 0 when refused.
  int AddTaxon(TRdfInsertKind kind, int position);
  bool DeleteTaxon(int position);
  // The limit check made before the state of a new character is asked for.
  bool CanAddCharacter(TRdfInsertKind kind) const;
  // A new character at `position` (1..count+1) with `state` everywhere and as default state.
  bool InsertCharacter(int position, char state, int weight);
  // A copy of character `position` (states, weight, default state) before it.
  bool DuplicateCharacter(int position);
  bool DeleteCharacter(int position);
  // Makes `state` the character's default state and every taxon's state at it.
  bool SetDefaultState(int character, char state);
  bool SetWeights(int start, int end, int weight);

  // Committed cell texts.
  bool RenameTaxon(int taxon, const std::string& text);
  bool SetFrequencyText(int taxon, const std::string& text);
  bool SetInfo(int field, int taxon, const std::string& text);
  bool RenameCharacter(int character, const std::string& text);
  bool SetWeightText(int character, const std::string& text);

  // The information grid's own clipboard.
  void CopyInfo(int field, int taxon);
  bool PasteInfo(int field, int taxon);
  const std::string& InfoClipboard() const { return infoClipboard_; }

  // After Yes to the question: ReplaceAmbiguousStates over all characters and taxa.
  bool ReplaceAmbiguousStates();
  // Recodes every character to 0/1 when all are binary; false (after the data set's message)
  // otherwise.
  bool Binarize();
  // Restores the copy taken before the last change; only once.
  bool Undo();

  // --- Check, save, exit ---
  struct Problem {
    int taxon = 0;      // 1-based position of the taxon to select, or 0
    int character = 0;  // 1-based position of the character to select, or 0
  };
  // Empty names and names used twice, taxa first; the first problem is shown and returned.
  std::optional<Problem> CheckData();
  std::string SaveFilter() const;
  std::string SaveExtension() const { return IsAmino() ? "ami" : "rdf"; }
  // CheckData, the save dialog proposing the current file name, then Save. False when the check
  // failed, the dialog was cancelled or the file could not be written.
  bool SaveWithDialog();
  // Writes the data set (inactive characters and taxa included) to `fileName` with the extension
  // forced; "saved" message and flag only when the file was written.
  bool Save(std::string fileName);
  // The Exit button: true when the window may close.
  bool ConfirmExit() const;

  // "SQ" / "CH" followed by the smallest number from 1 that no taxon (character) name uses.
  std::string FreeTaxonName() const;
  std::string FreeCharacterName() const;

private:
  // Takes the undo copy, runs the change and clears the saved flag when it succeeded.
  template <class F>
  bool Change(F&& change);
  std::string DefaultStates() const;

  std::string dataType_;
  TRdfEditorStates states_;
  Trdf_DataSet data_;
  struct Snapshot {
    std::vector<Trdf_Sequence> taxa;
    std::vector<Trdf_Character> characters;
  };
  std::optional<Snapshot> undo_;
  std::string fileName_;
  std::string infoClipboard_;
  bool saved_ = false;
  bool openFailed_ = false;
  bool checkFailed_ = false;
};
