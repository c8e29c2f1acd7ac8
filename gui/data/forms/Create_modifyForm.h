#pragma once
// The modal data-type dialog "File selection": before an editor opens, the user states what kind
// of data the file holds. The choice is a data-type word that decides which editor opens and with
// which states.

#include "DataTypeChoice.h"

#include <QDialog>
#include <QSize>

#include <optional>
#include <string>

class QPushButton;
class QRadioButton;

// The seven data types: radio button name, caption and the word it stands for.
struct TDataTypeEntry {
  const char* radio;
  const char* caption;
  const char* word;
};
inline constexpr TDataTypeEntry DataTypeEntries[] = {
    {"Nucleotide", "DNA Nucleotide data", "multistate"},
    {"AminoRadio", "Amino acid data", "amino"},
    {"Rflp", "Endonuclease (RFLP) data", "rflp"},
    {"Y_chromosom", "Y-STR data", "ychrom"},
    {"AutosomalData", "Autosomal-STR data", "autosomal"},
    {"MixedData", "Mixed data (DNA/STR/RFLP)", "mixed"},
    {"BinaryDataRadio", "Binary data", "binary"},
};

// The text the help button shows.
const std::string& FileSelectionHelpText();

class TFile_selection : public QDialog {
  Q_OBJECT
public:
  // Scales itself like the main window for a screen of `screenSize` (the primary screen when
  // empty).
  explicit TFile_selection(QWidget* parent = nullptr, QSize screenSize = {});

  // Checks the radio button of `word`; a word of none changes nothing.
  void SelectDataType(const std::string& word);
  std::string DataType() const;
  void SetCreateMode(bool create);
  bool IsCreateMode() const;

public slots:
  void HelpButtonClick();

private:
  QRadioButton* radios_[std::size(DataTypeEntries)] = {};
  QRadioButton* RadioCreate_ = nullptr;
  QRadioButton* RadioModify_ = nullptr;
  QPushButton* HelpButton_ = nullptr;
};

// The main window's data-type dialog: runs TFile_selection modally at top 40, left 0, in create
// mode with "Create new file" as caption, or in modify mode without its help button; the choice
// when left with Continue, nothing with Exit.
std::optional<TDataTypeChoice> RunDataTypeDialog(QWidget* parent, bool modify);
