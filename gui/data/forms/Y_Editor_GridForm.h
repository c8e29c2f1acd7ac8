#pragma once
// The window "STR-Editor": a spreadsheet of grids over one TYEditor. Each grid is a view of a
// TEditorGridModel, which maps its cells to taxa and loci; the text grids get their edit masks from the
// rdf editor's cell delegate. Typed repeat values go through the editor, which refuses a wrong
// key or a value above the maximum with its message. Every command calls the editor and then
// refills all grids.

#include "EditorGridModel.h"
#include "Y_Editor_Grid.h"

#include <QSize>
#include <QWidget>

#include <array>
#include <memory>
#include <string>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QScrollBar;
class QSpinBox;
class QTableView;
class TEditorGrids;

class TY_EditorForm : public QWidget {
  Q_OBJECT
public:
  // Creates the window for a data-type word ("ychrom", "autosomal", "mixed"), scaled for a screen
  // of `screenSize` (the primary screen when empty). In creation mode the creation box is shown;
  // in open mode the caller runs OpenStep.
  TY_EditorForm(const std::string& dataType, bool createMode, QWidget* parent = nullptr,
                QSize screenSize = {});
  ~TY_EditorForm() override;

  // The open mode's dialog and reading; false when cancelled or unreadable.
  bool OpenStep();

  TYEditor& Editor() { return editor_; }
  int CurrentTaxon() const;
  int CurrentLocus() const;
  void SelectCell(int taxon, int locus);

public slots:
  void CreateButtonClick();
  void NewSequenceButtonClick();
  void NewFinalSequenceButtonClick();
  void CopySequenceButtonClick();
  void DeleteSequenceButtonClick();
  void NewCharacterButtonClick();
  void NewFinalCharacterButtonClick();
  void OKButtonClick();  // "Repeat specification"
  void CopyCharacterButtonClick();
  void DeleteCharacterButtonClick();
  void Setdefaultnumberofrepeats1Click();
  void ContinueButtonClick();  // "Specification of default values"
  void CheckDataButtonClick();
  void SaveButtonClick();
  void UndoButtonClick();
  void SwitchButtonClick();
  void ExitButtonClick();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  void buildGrids(QWidget* parent);
  void buildButtons(QWidget* parent);
  void buildValueBoxes();
  void refillGrids();
  void refreshCells();
  void showEditBox();
  void selectProblem(const TYEditor::Problem& problem);
  void beginLocusInsert(TYInsertKind kind, int position);
  uint8_t chosenValue(QComboBox* box, uint8_t fallback) const;
  bool repeatGridKey(QKeyEvent* key);
  bool informationGridKey(QKeyEvent* key);

  TYEditor editor_;
  std::unique_ptr<TEditorGridSource> gridSource_;
  TEditorGrids* grids_ = nullptr;  // a child made before the grids
  bool exitConfirmed_ = false;
  int pendingLocus_ = 0;
  int defaultLocus_ = 0;

  QGroupBox* CreationBox_ = nullptr;
  QSpinBox* NumberSequencesSpin_ = nullptr;
  QSpinBox* NumberCharactersSpin_ = nullptr;
  QSpinBox* DefaultWeightSpin_ = nullptr;
  QGroupBox* EditBox_ = nullptr;
  QGroupBox* RepeatBox_ = nullptr;
  QComboBox* RepeatValues_ = nullptr;
  QGroupBox* DefaultValueBox_ = nullptr;
  QLineEdit* LocusNameEdit_ = nullptr;
  QComboBox* DefaultValues_ = nullptr;

  QTableView* EditGrid_ = nullptr;
  QTableView* SequencesGrid_ = nullptr;
  QTableView* FrequencyGrid_ = nullptr;
  QTableView* FurtherInformationGrid_ = nullptr;
  QTableView* CharactersGrid_ = nullptr;
  QTableView* WeightGrid_ = nullptr;
  QScrollBar* ScrollVert_ = nullptr;
  QScrollBar* ScrollHoriz_ = nullptr;
  std::array<QWidget*, 2> locusLabels_{};
  QPushButton* UndoButton_ = nullptr;
};

// The main window's factory for the STR editor: the window for a data-type word in the mode
// EditorCreateMode holds; nullptr when the open mode's open step failed or was cancelled.
QWidget* CreateStrEditor(const std::string& dataType);
