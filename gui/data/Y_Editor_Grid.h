#pragma once
// The STR editor without its window: the .ych data set being edited with its one-step undo copy,
// the repeat-value list, the rules of every editing command (new names, limits, typed repeat
// values, committed cell texts, default repeat values), the data check, and the open, save and
// exit steps with their dialogs. The window maps grid cells to the positions used here
// (taxon = row + 1, locus = column + 1) and refills its grids.
// Plain C++: no Qt.

#include "RDF_Editor_Grid.h"  // TCellMask
#include "YchFile.h"

#include <optional>
#include <string>
#include <vector>

namespace y_editor_messages {

inline const std::string ValueExceeds = "The value exceeds the maximum.";
inline const std::string WrongCharacterPrefix = "Wrong character: ";
inline const std::string CannotDeleteTaxon =
    "Cannot delete the specified taxon because at least one taxon has to remain within the data "
    "set.";
inline const std::string CannotDeleteLocus =
    "Cannot delete the specified locus because at least one locus has to remain in the data set.";
inline const std::string EmptyTaxonName = "Taxon name is empty: Please correct the problem.";
inline const std::string EmptyLocusName = "Locus name is empty: Please correct the problem.";
inline std::string DuplicateTaxonName(const std::string& name) {
  return "At least two taxa have the same name: " + name + ". " + "Please correct the problem.";
}
inline std::string DuplicateLocusName(const std::string& name) {
  return "At least two loci have the same name: " + name + ". " + "Please correct the problem.";
}
inline std::string BadWeight(const std::string& locus) {
  return "Have detected a problem in changing the weight of locus " + locus +
         ". Its weight is now set to 0.";
}
inline std::string BadFrequency(const std::string& taxon) {
  return "Have detected a problem in changing the frequency of taxon " + taxon +
         ". Its frequency is now set to 0.";
}
inline const std::string Saved = "File has been saved.";
inline const std::string Completed = "File completed. You may proceed to the Calculation menu.";
inline const std::string NotSaved =
    "File not saved. Only saved files are available and can be called up in the Calculation menu "
    "to produce a network.";

}  // namespace y_editor_messages

// Where a new taxon or locus comes from; the limit messages differ between them.
enum class TYInsertKind { Insert, AddFinal, Duplicate };
std::string YMaxTaxaMessage(TYInsertKind kind);
std::string YMaxLociMessage(TYInsertKind kind);

// The repeat-value list of the popup menu and the value boxes: a prompt, 99, 0, 1, then 2..98.
const std::vector<std::string>& RepeatValueList();
// The value an entry of the list stands for (the number its text begins with); none for the
// prompt or an index outside the list.
std::optional<uint8_t> RepeatEntryValue(int entry);

namespace y_editor_masks {
inline constexpr TCellMask TaxonName{ych_limits::TaxonNameLength, false};
inline constexpr TCellMask LocusName{ych_limits::LocusNameLength, false};
inline constexpr TCellMask RflpLocusName{6, false};
inline constexpr TCellMask Weight{2, true};
inline constexpr TCellMask Frequency{4, true};
inline constexpr TCellMask Information{15, false};
}  // namespace y_editor_masks

class TYEditor {
public:
  explicit TYEditor(std::string dataType) : dataType_(std::move(dataType)) {}

  const std::string& DataTypeWord() const { return dataType_; }
  const TDataSet& DataSet() const { return data_; }
  int TaxaCount() const { return static_cast<int>(data_.Sequences.size()); }
  int LociCount() const { return static_cast<int>(data_.Loci.size()); }
  const TGridSequence& Taxon(int taxon) const { return data_.Sequences.at(taxon - 1); }
  const TGridLocus& Locus(int locus) const { return data_.Loci.at(locus - 1); }
  const std::string& FileName() const { return fileName_; }
  TCellMask LocusNameMask() const {
    return dataType_ == "rflp" ? y_editor_masks::RflpLocusName : y_editor_masks::LocusName;
  }

  bool Saved() const { return saved_; }
  bool CheckFailed() const { return checkFailed_; }
  bool CanUndo() const { return undo_.has_value(); }

  // --- Creation ---
  // `taxa` taxa "SQ1".. (frequency 1) and `loci` loci "CH1".. with `weight`, default repeat value
  // 99 and 99 in every cell. False (after the limit message) beyond the limits.
  bool CreateDataSet(int taxa, int loci, int weight);

  // --- Opening ---
  std::string OpenFilter() const;
  // The open dialog, then Open; false when cancelled or unreadable.
  bool OpenWithDialog();
  // Reads the .ych file and runs the data check; false (the data set unchanged) on a fatal error.
  bool Open(const std::string& fileName);

  // --- Editing; positions are 1-based; false when refused (after its message) ---
  // A key typed into the repeat table (EditGridKeyPress). Digits build the cell's value; with the
  // new-entry flag set a digit starts a new value.
  bool TypeRepeat(int taxon, int locus, char key);
  // The next digit starts a new value (a mouse press, another cell).
  void StartNewEntry() { newEntry_ = true; }
  bool NewEntry() const { return newEntry_; }
  bool SetRepeat(int taxon, int locus, uint8_t value);
  // A new taxon before `position` (Insert), at the end (AddFinal) or a copy of taxon `position`
  // after it (Duplicate). Returns the new taxon's position, 0 when refused.
  int AddTaxon(TYInsertKind kind, int position);
  bool DeleteTaxon(int position);
  // The limit check made before the repeat value of a new locus is asked for.
  bool CanAddLocus(TYInsertKind kind) const;
  // A new locus at `position` (1..count+1) with `value` in every cell and as default value.
  bool InsertLocus(int position, uint8_t value, int weight);
  // A copy of locus `position` after it.
  bool DuplicateLocus(int position);
  bool DeleteLocus(int position);
  bool SetDefaultRepeat(int locus, uint8_t value);

  // Committed cell texts.
  bool RenameTaxon(int taxon, const std::string& text);
  bool SetFrequencyText(int taxon, const std::string& text);
  bool SetInfo(int field, int taxon, const std::string& text);
  bool RenameLocus(int locus, const std::string& text);
  bool SetWeightText(int locus, const std::string& text);

  // The information grid's own clipboard.
  void CopyInfo(int field, int taxon);
  bool PasteInfo(int field, int taxon);
  const std::string& InfoClipboard() const { return infoClipboard_; }

  // Restores the copy taken before the last change; only once.
  bool Undo();

  // --- Check, save, exit ---
  struct Problem {
    int taxon = 0;  // 1-based position of the taxon to select, or 0
    int locus = 0;  // 1-based position of the locus to select, or 0
  };
  // Empty names and names used twice, taxa first; the first problem is shown and returned.
  std::optional<Problem> CheckData();
  // CheckData, the save dialog proposing the current file name, then Save. False when the check
  // failed, the dialog was cancelled or the file could not be written.
  bool SaveWithDialog();
  // Writes the data set to `fileName` with the extension "ych" forced; "saved" message and flag
  // only when the file was written.
  bool Save(std::string fileName);
  // The Exit button: true when the window may close.
  bool ConfirmExit() const;

  // "SQ" / "CH" followed by the smallest number from 1 that no taxon (locus) name uses.
  std::string FreeTaxonName() const;
  std::string FreeLocusName() const;

private:
  template <class F>
  bool Change(F&& change);
  bool ValidTaxon(int taxon) const { return taxon >= 1 && taxon <= TaxaCount(); }
  bool ValidLocus(int locus) const { return locus >= 1 && locus <= LociCount(); }
  std::vector<uint8_t> DefaultRepeats() const;

  std::string dataType_;
  TDataSet data_;
  std::optional<TDataSet> undo_;
  std::string fileName_;
  std::string infoClipboard_;
  bool saved_ = false;
  bool checkFailed_ = false;
  bool newEntry_ = true;
};
