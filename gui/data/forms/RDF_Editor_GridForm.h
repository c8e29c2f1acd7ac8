#pragma once
// The window "RDF-Editor": a spreadsheet of grids over one TRdfEditor. Each grid is a view of a
// TEditorGridModel, which maps its cells to taxa and characters; TRdfCellDelegate gives the text
// grids their edit masks. Every command calls the editor and then refills all grids.

#include "EditorGridModel.h"
#include "RDF_Editor_Grid.h"

#include <QSize>
#include <QStyledItemDelegate>
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

// Gives the text grids' cells their edit masks, and commits on the keys that leave a cell.
class TRdfCellDelegate : public QStyledItemDelegate {
  Q_OBJECT
public:
  // With `uprightText` the cells' texts are painted turned upwards (narrow columns).
  TRdfCellDelegate(TCellMask mask, bool taxonSide, QObject* parent = nullptr,
                   bool uprightText = false);
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;

protected:
  bool eventFilter(QObject* object, QEvent* event) override;

private:
  TCellMask mask_;
  bool taxonSide_;
  bool upright_;
};

class TRDFEditorForm : public QWidget {
  Q_OBJECT
public:
  // Creates the window for a data-type word, scaled for a screen of `screenSize` (the primary
  // screen when empty). In create mode the creation box is shown; in modify mode the caller runs
  // OpenStep.
  TRDFEditorForm(const std::string& dataType, bool createMode, QWidget* parent = nullptr,
                 QSize screenSize = {});
  ~TRDFEditorForm() override;

  // The modify mode's open dialog and reading; false (the open-failed flag) when cancelled or
  // unreadable.
  bool OpenStep();

  TRdfEditor& Editor() { return editor_; }
  // 1-based position of the current taxon / character (0 when none).
  int CurrentTaxon() const;
  int CurrentCharacter() const;
  void SelectCell(int taxon, int character);

public slots:
  void CreateButtonClick();
  void InsertSequenceClick();
  void AddFinalSequenceClick();
  void DuplicateSequenceClick();
  void DeleteSequenceClick();
  void InsertCharacterClick();
  void AddFinalCharacterClick();
  void DuplicateCharacterClick();
  void DeleteCharacterClick();
  void SetDefaultCharacterStateClick();
  void OKButtonClick();        // "Character state specification"
  void ContinueButtonClick();  // "Specification of default character states"
  void CheckDataClick();
  void SaveClick();
  void ExitClick();
  void UndoClick();
  void ReplaceAmbiguousClick();
  void BinarizationClick();
  void ChangeMultipleWeightsClick();
  void SwitchInputWindowClick();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  void buildGrids(QWidget* parent);
  void buildButtons(QWidget* parent);
  void buildStateBoxes();
  void refillGrids();
  void refreshCells();
  void showEditBox();
  void beginCharacterInsert(TRdfInsertKind kind, int position);
  char chosenState(QComboBox* box) const;
  bool stateGridKey(QKeyEvent* key);
  bool informationGridKey(QKeyEvent* key);

  TRdfEditor editor_;
  std::unique_ptr<TEditorGridSource> gridSource_;
  TEditorGrids* grids_ = nullptr;  // a child made before the grids
  bool exitConfirmed_ = false;
  int pendingCharacter_ = 0;
  int defaultCharacter_ = 0;

  QGroupBox* CreationBox_ = nullptr;
  QSpinBox* NumberSequencesSpin_ = nullptr;
  QSpinBox* NumberCharactersSpin_ = nullptr;
  QSpinBox* DefaultWeightSpin_ = nullptr;
  QGroupBox* EditBox_ = nullptr;
  QGroupBox* DefaultCharacterStateBox_ = nullptr;
  QComboBox* CharacterStates_ = nullptr;
  QGroupBox* DefaultCharacterBox_ = nullptr;
  QLineEdit* CharacterNameEdit_ = nullptr;
  QComboBox* CharacterStateBox_ = nullptr;

  QTableView* EditGrid_ = nullptr;
  QTableView* SequencesGrid_ = nullptr;
  QTableView* FrequencyGrid_ = nullptr;
  QTableView* FurtherInformationGrid_ = nullptr;
  QTableView* CharactersGrid_ = nullptr;
  QTableView* WeightGrid_ = nullptr;
  QScrollBar* ScrollVert_ = nullptr;
  QScrollBar* ScrollHoriz_ = nullptr;
  std::array<QWidget*, 2> characterLabels_{};
  QPushButton* UndoButton_ = nullptr;
};

// The main window's factory for the rdf editor: the window for a data-type word in the mode
// EditorCreateMode holds; nullptr when the modify mode's open step failed or was cancelled.
QWidget* CreateRdfEditor(const std::string& dataType);
