// The data-type dialog, the rdf editor window and the multiple-weights dialog, driven offscreen
// through their controls.
#include "Create_modifyForm.h"
#include "DlgChangeMultipleWeightsForm.h"
#include "EditorGridTestHelpers.h"
#include "Oberflaeche.h"
#include "RDF_Editor_GridForm.h"
#include "RdfMessages.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <memory>

namespace fs = std::filesystem;
using namespace rdf_editor_messages;

namespace {

std::string Fixture(const std::string& name) {
  return testpaths::testData("editor/" + name).string();
}

// Runs `act` on the first visible dialog of type D once a modal loop has shown it. When none
// appears the open dialogs are rejected so the test fails instead of hanging.
template <class D>
void WhenShown(std::function<void(D*)> act, int attempt = 0) {
  QTimer::singleShot(10, [act, attempt] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* d = qobject_cast<D*>(w); d != nullptr && d->isVisible()) {
        act(d);
        return;
      }
    }
    if (attempt < 200) return WhenShown<D>(act, attempt + 1);
    ADD_FAILURE() << "dialog not shown";
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* d = qobject_cast<QDialog*>(w); d != nullptr && d->isVisible()) d->reject();
  });
}

// The editor window on a fixture, opened as the main window opens it.
std::unique_ptr<TRDFEditorForm> OpenEditor(ScriptedDialogsScope& s, const std::string& type,
                                           const std::string& file) {
  EditorCreateMode = false;
  s.dialogs.openFile(file);
  std::unique_ptr<TRDFEditorForm> form(static_cast<TRDFEditorForm*>(CreateRdfEditor(type)));
  if (form) form->show();
  return form;
}

}  // namespace

// --- the data-type dialog ---

class DataTypeDialogWords : public ::testing::TestWithParam<TDataTypeEntry> {};

TEST_P(DataTypeDialogWords, ContinueReturnsTheCheckedTypesWord) {
  ScriptedDialogsScope s;
  const TDataTypeEntry entry = GetParam();
  QString caption;
  WhenShown<TFile_selection>([&](TFile_selection* d) {
    caption = d->windowTitle();
    Child<QRadioButton>(d, entry.radio)->click();
    Child<QPushButton>(d, "ContinueButton")->click();
  });
  const auto choice = RunDataTypeDialog(nullptr, false);
  ASSERT_TRUE(choice.has_value());
  EXPECT_TRUE(choice->createMode);
  EXPECT_EQ(choice->dataType, entry.word);
  EXPECT_EQ(caption, QStringLiteral("Create new file"));
}

INSTANTIATE_TEST_SUITE_P(AllTypes, DataTypeDialogWords, ::testing::ValuesIn(DataTypeEntries),
                         [](const auto& info) { return std::string(info.param.radio); });

TEST(DataTypeDialog, ModifyModeHidesHelpAndKeepsNucleotidesPreselected) {
  ScriptedDialogsScope s;
  bool helpVisible = true;
  QString caption;
  WhenShown<TFile_selection>([&](TFile_selection* d) {
    caption = d->windowTitle();
    helpVisible = Child<QPushButton>(d, "HelpButton")->isVisible();
    EXPECT_TRUE(Child<QRadioButton>(d, "Nucleotide")->isChecked());
    EXPECT_TRUE(Child<QRadioButton>(d, "RadioModify")->isChecked());
    Child<QPushButton>(d, "ContinueButton")->click();
  });
  const auto choice = RunDataTypeDialog(nullptr, true);
  ASSERT_TRUE(choice.has_value());
  EXPECT_FALSE(choice->createMode);
  EXPECT_EQ(choice->dataType, "multistate");
  EXPECT_FALSE(helpVisible);
  EXPECT_EQ(caption, QStringLiteral("File selection"));
}

TEST(DataTypeDialog, ExitReturnsNothing) {
  ScriptedDialogsScope s;
  WhenShown<TFile_selection>([](TFile_selection* d) {
    Child<QRadioButton>(d, "AminoRadio")->click();
    Child<QPushButton>(d, "ExitButton")->click();
  });
  EXPECT_FALSE(RunDataTypeDialog(nullptr, false).has_value());
}

TEST(DataTypeDialog, AccessorsAndHelp) {
  ScriptedDialogsScope s;
  TFile_selection d;
  EXPECT_EQ(d.DataType(), "multistate");
  EXPECT_TRUE(d.IsCreateMode());
  d.SelectDataType("rflp");
  EXPECT_EQ(d.DataType(), "rflp");
  d.SelectDataType("nucleotide");
  EXPECT_EQ(d.DataType(), "rflp");
  d.SetCreateMode(false);
  EXPECT_FALSE(d.IsCreateMode());
  d.SetCreateMode(true);
  EXPECT_TRUE(d.IsCreateMode());
  Child<QPushButton>(&d, "HelpButton")->click();
  ASSERT_EQ(s.dialogs.messages().size(), 1u);
  EXPECT_NE(s.dialogs.messages()[0].find(
                "DNA OR AMINO ACID SEQUENCES: Proceed directly to the appropriate menu."),
            std::string::npos);
}

// --- opening the editor ---

TEST(RdfEditorForm, CreateModeBuildsTheDataSetFromTheSpins) {
  ScriptedDialogsScope s;
  EditorCreateMode = true;
  std::unique_ptr<QWidget> window(CreateRdfEditor("multistate"));
  ASSERT_NE(window, nullptr);
  window->show();
  EXPECT_EQ(window->windowTitle(), QStringLiteral("RDF-Editor"));
  auto* creation = Child<QGroupBox>(window.get(), "CreationBox");
  auto* edit = Child<QGroupBox>(window.get(), "EditBox");
  EXPECT_TRUE(creation->isVisible());
  EXPECT_FALSE(edit->isVisible());
  EXPECT_EQ(Child<QSpinBox>(window.get(), "NumberSequencesSpin")->value(), 10);
  EXPECT_EQ(Child<QSpinBox>(window.get(), "NumberCharactersSpin")->value(), 10);
  EXPECT_EQ(Child<QSpinBox>(window.get(), "DefaultWeightSpin")->value(), 10);

  Child<QSpinBox>(window.get(), "NumberSequencesSpin")->setValue(3);
  Child<QSpinBox>(window.get(), "NumberCharactersSpin")->setValue(1);
  Child<QPushButton>(window.get(), "CreateButton")->click();
  EXPECT_FALSE(creation->isVisible());
  EXPECT_TRUE(edit->isVisible());
  auto* names = Child<QTableView>(window.get(), "SequencesGrid");
  auto* states = Child<QTableView>(window.get(), "EditGrid");
  ASSERT_EQ(names->model()->rowCount(), 3);
  EXPECT_EQ(Cell(names, 2, 0), QStringLiteral("SQ3"));
  EXPECT_EQ(Cell(states, 1, 0), QStringLiteral("A"));
  EXPECT_EQ(Cell(Child<QTableView>(window.get(), "CharactersGrid"), 0, 0), QStringLiteral("CH1"));
  EXPECT_EQ(Cell(Child<QTableView>(window.get(), "WeightGrid"), 0, 0), QStringLiteral("10"));
  EXPECT_EQ(Cell(Child<QTableView>(window.get(), "FrequencyGrid"), 0, 0), QStringLiteral("1"));
  EXPECT_TRUE(s.dialogs.events().empty());
}

TEST(RdfEditorForm, ModifyModeFailuresGiveNoWindow) {
  ScriptedDialogsScope s;
  EditorCreateMode = false;
  s.dialogs.openFile(std::nullopt);
  EXPECT_EQ(CreateRdfEditor("multistate"), nullptr);
  s.dialogs.openFile(Fixture("binary.rdf"));
  EXPECT_EQ(CreateRdfEditor("multistate"), nullptr);
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{rdf_messages::BinaryEditor});
}

TEST(RdfEditorForm, ButtonsFollowTheDataType) {
  struct Case {
    const char* type;
    const char* file;
    bool replace, binarize;
  };
  for (const Case& c : {Case{"multistate", "nucleotide.rdf", true, true},
                        Case{"binary", "binary.rdf", true, false},
                        Case{"amino", "amino.ami", false, false}}) {
    ScriptedDialogsScope s;
    auto form = OpenEditor(s, c.type, Fixture(c.file));
    ASSERT_NE(form, nullptr) << c.type;
    EXPECT_EQ(Child<QPushButton>(form.get(), "ReplaceAmbiguousButton")->isVisible(), c.replace);
    EXPECT_EQ(Child<QPushButton>(form.get(), "BinarizationButton")->isVisible(), c.binarize);
    EXPECT_FALSE(Child<QPushButton>(form.get(), "CheckDataButton")->isVisible());
    EXPECT_FALSE(Child<QPushButton>(form.get(), "UndoButton")->isEnabled());
    EXPECT_EQ(Child<QComboBox>(form.get(), "CharacterStates")->count(),
              static_cast<int>(EditorStatesFor(c.type).list.size()));
  }
}

TEST(RdfEditorForm, OpensAFixtureIntoTheGrids) {
  ScriptedDialogsScope s;
  auto form = OpenEditor(s, "multistate", Fixture("nucleotide.rdf"));
  ASSERT_NE(form, nullptr);
  auto* states = Child<QTableView>(form.get(), "EditGrid");
  ASSERT_EQ(states->model()->rowCount(), 4);
  ASSERT_EQ(states->model()->columnCount(), 5);
  EXPECT_EQ(Cell(states, 1, 4), QStringLiteral("R"));
  EXPECT_EQ(states->model()->index(1, 4).data(Qt::BackgroundRole).value<QColor>(), QColor(Qt::red));
  EXPECT_EQ(states->model()->index(1, 3).data(Qt::BackgroundRole).value<QColor>(),
            QColor(Qt::yellow));
  EXPECT_EQ(Cell(Child<QTableView>(form.get(), "FrequencyGrid"), 3, 0), QStringLiteral("3"));
  auto* info = Child<QTableView>(form.get(), "FurtherInformationGrid");
  EXPECT_EQ(Cell(info, 0, 0), QStringLiteral("Cave"));
  EXPECT_EQ(info->model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Group 1"));
  EXPECT_EQ(Cell(Child<QTableView>(form.get(), "WeightGrid"), 0, 2), QStringLiteral("5"));
  EXPECT_TRUE(s.dialogs.messages().empty());
}

// --- editing cells ---

TEST(RdfEditorForm, StateGridTakesKeysAndRefusesOthers) {
  ScriptedDialogsScope s;
  auto form = OpenEditor(s, "multistate", Fixture("nucleotide.rdf"));
  ASSERT_NE(form, nullptr);
  auto* states = Child<QTableView>(form.get(), "EditGrid");
  form->SelectCell(2, 3);
  QTest::keyClick(states, Qt::Key_A);
  EXPECT_EQ(form->Editor().DataSet().Taxon(2).States, "ACATR");
  EXPECT_EQ(Cell(states, 1, 2), QStringLiteral("A"));
  QTest::keyClick(states, Qt::Key_Return);
  EXPECT_EQ(form->CurrentCharacter(), 4);
  QTest::keyClick(states, 'x');
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{"Incorrect character: X"});
  EXPECT_EQ(form->Editor().DataSet().Taxon(2).States, "ACATR");
  // Enter stops at the last column.
  form->SelectCell(2, 5);
  QTest::keyClick(states, Qt::Key_Return);
  EXPECT_EQ(form->CurrentCharacter(), 5);
}

TEST(RdfEditorForm, NameCellsAreMaskedAndCommittedThroughTheDataSet) {
  ScriptedDialogsScope s;
  auto form = OpenEditor(s, "multistate", Fixture("nucleotide.rdf"));
  ASSERT_NE(form, nullptr);
  auto* names = Child<QTableView>(form.get(), "SequencesGrid");
  TypeIntoCell(names, 0, 0, QStringLiteral("t2"));
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{rdf_messages::NameExists});
  EXPECT_EQ(Cell(names, 0, 0), QStringLiteral("T1"));

  s.dialogs.clear();
  TypeIntoCell(names, 0, 0, QStringLiteral("new_1-abcdefghijklmnop"), Qt::Key_Down);
  EXPECT_EQ(form->Editor().DataSet().Taxon(1).Name, "NEW1ABCDEFGHIJK");
  EXPECT_EQ(form->CurrentTaxon(), 2);
  EXPECT_TRUE(s.dialogs.messages().empty());
  EXPECT_TRUE(Child<QPushButton>(form.get(), "UndoButton")->isEnabled());

  auto* characters = Child<QTableView>(form.get(), "CharactersGrid");
  TypeIntoCell(characters, 0, 1, QStringLiteral("pos2"), Qt::Key_Right);
  EXPECT_EQ(form->Editor().DataSet().Character(2).Name, "POS2");
  EXPECT_EQ(form->CurrentCharacter(), 3);
}

TEST(RdfEditorForm, NumberCellsReportTextsThatAreNoNumber) {
  ScriptedDialogsScope s;
  auto form = OpenEditor(s, "multistate", Fixture("nucleotide.rdf"));
  ASSERT_NE(form, nullptr);
  auto* frequencies = Child<QTableView>(form.get(), "FrequencyGrid");
  TypeIntoCell(frequencies, 1, 0, QStringLiteral("12x345"));
  EXPECT_EQ(form->Editor().DataSet().Taxon(2).Frequency, 1234);
  TypeIntoCell(frequencies, 1, 0, QString());
  EXPECT_EQ(form->Editor().DataSet().Taxon(2).Frequency, 1234);

  auto* weights = Child<QTableView>(form.get(), "WeightGrid");
  TypeIntoCell(weights, 0, 0, QStringLiteral("150"));
  EXPECT_EQ(form->Editor().DataSet().Character(1).Weight, 15);
  TypeIntoCell(weights, 0, 1, QString());
  EXPECT_EQ(form->Editor().DataSet().Character(2).Weight, 0);
  EXPECT_EQ(Cell(weights, 0, 1), QStringLiteral("0"));
  EXPECT_EQ(s.dialogs.messages(),
            (std::vector<std::string>{BadFrequency("T2"), rdf_messages::FrequencyRange,
                                      BadWeight("C2")}));
}

TEST(RdfEditorForm, InformationGridCopiesPastesAndDeletes) {
  ScriptedDialogsScope s;
  auto form = OpenEditor(s, "multistate", Fixture("nucleotide.rdf"));
  ASSERT_NE(form, nullptr);
  Child<QPushButton>(form.get(), "SwitchInputWindowButton")->click();
  auto* info = Child<QTableView>(form.get(), "FurtherInformationGrid");
  EXPECT_TRUE(info->isVisible());
  EXPECT_FALSE(Child<QTableView>(form.get(), "EditGrid")->isVisible());
  info->setFocus();
  info->setCurrentIndex(info->model()->index(0, 0));
  QTest::keyClick(info, Qt::Key_C, Qt::ControlModifier);
  info->setCurrentIndex(info->model()->index(2, 1));
  QTest::keyClick(info, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(form->Editor().DataSet().Taxon(3).Info[1], "Cave");
  info->setCurrentIndex(info->model()->index(0, 0));
  QTest::keyClick(info, Qt::Key_Delete);
  EXPECT_EQ(form->Editor().DataSet().Taxon(1).Info[0], "");
  TypeIntoCell(info, 1, 2, QStringLiteral("line b"));
  EXPECT_EQ(form->Editor().DataSet().Taxon(2).Info[2], "LINEB");
}

TEST(RdfEditorForm, ScrollBarsMoveTheGridsTogether) {
  ScriptedDialogsScope s;
  EditorCreateMode = true;
  std::unique_ptr<QWidget> window(CreateRdfEditor("binary"));
  window->resize(800, 500);
  window->show();
  Child<QSpinBox>(window.get(), "NumberSequencesSpin")->setValue(300);
  Child<QSpinBox>(window.get(), "NumberCharactersSpin")->setValue(400);
  Child<QPushButton>(window.get(), "CreateButton")->click();
  QCoreApplication::processEvents();
  auto* vertical = Child<QScrollBar>(window.get(), "ScrollVert");
  auto* horizontal = Child<QScrollBar>(window.get(), "ScrollHoriz");
  ASSERT_GT(vertical->maximum(), 0);
  ASSERT_GT(horizontal->maximum(), 0);
  vertical->setValue(vertical->maximum() / 2);
  horizontal->setValue(horizontal->maximum() / 3);
  for (const char* name : {"EditGrid", "SequencesGrid", "FrequencyGrid"})
    EXPECT_EQ(Child<QTableView>(window.get(), name)->verticalScrollBar()->value(),
              vertical->value())
        << name;
  for (const char* name : {"EditGrid", "CharactersGrid", "WeightGrid"})
    EXPECT_EQ(Child<QTableView>(window.get(), name)->horizontalScrollBar()->value(),
              horizontal->value())
        << name;
  // Moving in one grid moves the bar and the others.
  auto* names = Child<QTableView>(window.get(), "SequencesGrid");
  names->setCurrentIndex(names->model()->index(299, 0));
  EXPECT_EQ(vertical->value(), vertical->maximum());
  EXPECT_EQ(Child<QTableView>(window.get(), "EditGrid")->verticalScrollBar()->value(),
            vertical->maximum());
}

// --- inserting and deleting ---

TEST(RdfEditorForm, InsertsAndDeletesTaxaAndCharacters) {
  ScriptedDialogsScope s;
  auto form = OpenEditor(s, "multistate", Fixture("nucleotide.rdf"));
  ASSERT_NE(form, nullptr);
  const Trdf_DataSet& set = form->Editor().DataSet();
  const auto click = [&](const char* name) { Child<QPushButton>(form.get(), name)->click(); };

  form->SelectCell(2, 1);
  click("InsertSequenceButton");
  ASSERT_EQ(set.TaxaCount(), 5);
  EXPECT_EQ(set.Taxon(2).Name, "SQ1");
  EXPECT_EQ(set.Taxon(2).States, "ACGTA");  // the characters' most frequent states
  click("AddFinalSequenceButton");
  EXPECT_EQ(set.Taxon(6).Name, "SQ2");
  EXPECT_EQ(form->CurrentTaxon(), 6);
  EXPECT_TRUE(Child<QTableView>(form.get(), "SequencesGrid")->hasFocus() ||
              !QApplication::focusWidget());
  form->SelectCell(5, 1);  // T4
  click("DuplicateSequenceButton");
  EXPECT_EQ(set.Taxon(5).Name, "SQ3");
  EXPECT_EQ(set.Taxon(5).Frequency, 3);
  click("DeleteSequenceButton");
  EXPECT_EQ(set.Taxon(5).Name, "T4");
  EXPECT_EQ(set.TaxaCount(), 6);

  // A new character: the state box asks first and holds the editor back.
  form->SelectCell(1, 2);
  click("InsertCharacterButton");
  auto* box = Child<QGroupBox>(form.get(), "DefaultCharacterStateBox");
  EXPECT_TRUE(box->isVisible());
  EXPECT_FALSE(Child<QGroupBox>(form.get(), "EditBox")->isEnabled());
  Child<QSpinBox>(form.get(), "DefaultWeightSpin")->setValue(4);
  auto* combo = Child<QComboBox>(form.get(), "CharacterStates");
  combo->setEditText(QStringLiteral("t"));
  Child<QPushButton>(form.get(), "OKButton")->click();
  EXPECT_FALSE(box->isVisible());
  EXPECT_TRUE(Child<QGroupBox>(form.get(), "EditBox")->isEnabled());
  ASSERT_EQ(set.CharacterCount(), 6);
  EXPECT_EQ(set.Character(2).Name, "CH1");
  EXPECT_EQ(set.Character(2).Weight, 4);
  EXPECT_EQ(set.Taxon(1).States, "ATCGTA");
  EXPECT_EQ(form->CurrentCharacter(), 2);

  click("AddFinalCharacterButton");
  combo->setEditText(QStringLiteral("zzz"));  // no entry starts so: the first entry
  Child<QPushButton>(form.get(), "OKButton")->click();
  EXPECT_EQ(set.Character(7).Name, "CH2");
  EXPECT_EQ(set.Taxon(3).States.back(), 'A');

  form->SelectCell(1, 1);
  click("DuplicateCharacterButton");
  EXPECT_EQ(set.Character(1).Name, "CH3");
  click("DeleteCharacterButton");
  EXPECT_EQ(set.Character(1).Name, "C1");
  EXPECT_EQ(set.CharacterCount(), 7);
  EXPECT_EQ(Child<QTableView>(form.get(), "CharactersGrid")->model()->columnCount(), 7);
}

TEST(RdfEditorForm, PopupItemsAndDefaultStates) {
  ScriptedDialogsScope s;
  auto form = OpenEditor(s, "multistate", Fixture("nucleotide.rdf"));
  ASSERT_NE(form, nullptr);
  form->SelectCell(3, 2);
  QAction* guanine = nullptr;
  for (QAction* a : Child<QMenu>(form.get(), "StatePopup")->actions())
    if (a->text() == QStringLiteral("G = Guanine")) guanine = a;
  ASSERT_NE(guanine, nullptr);
  guanine->trigger();
  EXPECT_EQ(form->Editor().DataSet().Taxon(3).States, "GGGTA");

  form->SelectCell(1, 4);
  Child<QAction>(form.get(), "SetDefaultCharacterState1")->trigger();
  EXPECT_TRUE(Child<QGroupBox>(form.get(), "DefaultCharacterBox")->isVisible());
  EXPECT_EQ(Child<QLineEdit>(form.get(), "CharacterNameEdit")->text(), QStringLiteral("C4"));
  EXPECT_FALSE(Child<QGroupBox>(form.get(), "EditBox")->isEnabled());
  Child<QComboBox>(form.get(), "CharacterStateBox")->setCurrentIndex(2);  // C = Cytosine
  Child<QPushButton>(form.get(), "ContinueButton")->click();
  for (const Trdf_Sequence& t : form->Editor().DataSet().Taxa) EXPECT_EQ(t.States[3], 'C');
  Child<QAction>(form.get(), "AddFinalSequence1")->trigger();
  EXPECT_EQ(form->Editor().DataSet().Taxa.back().States[3], 'C');
}

TEST(RdfEditorForm, UndoIsOneStep) {
  ScriptedDialogsScope s;
  auto form = OpenEditor(s, "multistate", Fixture("nucleotide.rdf"));
  ASSERT_NE(form, nullptr);
  auto* undo = Child<QPushButton>(form.get(), "UndoButton");
  form->SelectCell(1, 1);
  Child<QPushButton>(form.get(), "DeleteCharacterButton")->click();
  Child<QPushButton>(form.get(), "DeleteSequenceButton")->click();
  EXPECT_TRUE(undo->isEnabled());
  undo->click();
  EXPECT_FALSE(undo->isEnabled());
  EXPECT_EQ(form->Editor().DataSet().TaxaCount(), 4);
  EXPECT_EQ(form->Editor().DataSet().CharacterCount(), 4);
  EXPECT_EQ(Child<QTableView>(form.get(), "EditGrid")->model()->columnCount(), 4);
}

// --- weights through the dialog ---

TEST(RdfEditorForm, MultipleWeightsThroughTheDialog) {
  ScriptedDialogsScope s;
  auto form = OpenEditor(s, "multistate", Fixture("nucleotide.rdf"));
  ASSERT_NE(form, nullptr);
  WhenShown<TDlgListSelection>([](TDlgListSelection* d) {
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Multiple characters weighting"));
    EXPECT_EQ(Child<QLineEdit>(d, "EdtWeight")->text(), QStringLiteral("10"));
    EXPECT_EQ(Child<QComboBox>(d, "CmbEndList")->currentIndex(), 0);
    Child<QComboBox>(d, "cmbStartList")->setCurrentIndex(3);
    Child<QComboBox>(d, "CmbEndList")->setCurrentIndex(1);
    Child<QLineEdit>(d, "EdtWeight")->setText(QStringLiteral("abc"));
    Child<QPushButton>(d, "BtnOK")->click();  // refused: the dialog stays
    Child<QLineEdit>(d, "EdtWeight")->setText(QStringLiteral("6"));
    Child<QPushButton>(d, "BtnOK")->click();
  });
  Child<QPushButton>(form.get(), "ChangeMultipleWeightsButton")->click();
  const Trdf_DataSet& set = form->Editor().DataSet();
  EXPECT_EQ(set.Character(1).Weight, 10);
  for (int c = 2; c <= 4; ++c) EXPECT_EQ(set.Character(c).Weight, 6);
  EXPECT_EQ(set.Character(5).Weight, 10);
  EXPECT_EQ(s.dialogs.messages(),
            std::vector<std::string>{"The entered weight is invalid. Please correct"});

  // Out of range: each character refuses on its own and nothing changes.
  s.dialogs.clear();
  WhenShown<TDlgListSelection>([](TDlgListSelection* d) {
    Child<QComboBox>(d, "CmbEndList")->setCurrentIndex(2);
    Child<QLineEdit>(d, "EdtWeight")->setText(QStringLiteral("150"));
    Child<QPushButton>(d, "BtnOK")->click();
  });
  Child<QPushButton>(form.get(), "ChangeMultipleWeightsButton")->click();
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>(3, rdf_messages::WeightRange(150)));
  EXPECT_EQ(set.Character(1).Weight, 10);
  EXPECT_EQ(set.Character(3).Weight, 6);

  // Cancel and the label "New weight" leave without a change.
  for (const char* leave : {"BtnCancel", "LblWeight"}) {
    WhenShown<TDlgListSelection>([leave](TDlgListSelection* d) {
      Child<QLineEdit>(d, "EdtWeight")->setText(QStringLiteral("1"));
      if (std::string(leave) == "BtnCancel")
        Child<QPushButton>(d, leave)->click();
      else
        QTest::mouseClick(Child<QWidget>(d, leave), Qt::LeftButton);
    });
    Child<QPushButton>(form.get(), "ChangeMultipleWeightsButton")->click();
    EXPECT_EQ(set.Character(1).Weight, 10) << leave;
  }
}

// --- saving and leaving ---

TEST(RdfEditorForm, SaveWritesWhatReadsBackEqual) {
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  auto form = OpenEditor(s, "multistate", Fixture("nucleotide.rdf"));
  ASSERT_NE(form, nullptr);
  form->SelectCell(1, 1);
  QTest::keyClick(Child<QTableView>(form.get(), "EditGrid"), Qt::Key_T);
  s.dialogs.saveFile(dir.file("edited"));
  Child<QPushButton>(form.get(), "SaveButton")->click();
  ASSERT_NE(s.dialogs.lastFileRequest(), nullptr);
  EXPECT_EQ(s.dialogs.lastFileRequest()->fileName, Fixture("nucleotide.rdf"));
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{SavedNucleotide});

  Trdf_DataSet back;
  back.SetStateSets(EditorStatesFor("multistate").allowed, EditorStatesFor("multistate").ambiguous);
  bool error = false;
  ASSERT_TRUE(back.ReadRdfFile(dir.file("edited.rdf"), error, false, "Editor", false));
  EXPECT_EQ(back.Taxa, form->Editor().DataSet().Taxa);
  // The default states are no part of the file: the reader takes the most frequent ones.
  std::vector<Trdf_Character> expected = form->Editor().DataSet().Characters;
  for (std::size_t c = 0; c < expected.size(); ++c)
    expected[c].MajorityState = back.Characters[c].MajorityState;
  EXPECT_EQ(back.Characters, expected);
  EXPECT_EQ(back.Taxon(1).States, "TCGTA");

  // Saved: Exit confirms and closes.
  s.dialogs.clear();
  Child<QPushButton>(form.get(), "ExitButton")->click();
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{Completed});
  EXPECT_FALSE(form->isVisible());
}

TEST(RdfEditorForm, FailedSaveShowsTheErrorAndExitStillWarns) {
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  auto form = OpenEditor(s, "multistate", Fixture("nucleotide.rdf"));
  ASSERT_NE(form, nullptr);
  const std::string target = dir.file("missing/edited.rdf");
  s.dialogs.saveFile(target);
  Child<QPushButton>(form.get(), "SaveButton")->click();
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{rdf_messages::CannotWrite(target)});
  EXPECT_FALSE(fs::exists(target));

  s.dialogs.answer(DialogAnswer::Cancel);
  Child<QPushButton>(form.get(), "ExitButton")->click();
  EXPECT_TRUE(form->isVisible());
  s.dialogs.answer(DialogAnswer::Ok);
  Child<QPushButton>(form.get(), "ExitButton")->click();
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(s.dialogs.questions(), (std::vector<std::string>{NotSaved, NotSaved}));
}

TEST(RdfEditorForm, ClosingByTheTitleBarWarnsLikeExit) {
  ScriptedDialogsScope s;
  auto form = OpenEditor(s, "multistate", Fixture("nucleotide.rdf"));
  ASSERT_NE(form, nullptr);
  s.dialogs.answer(DialogAnswer::Cancel);
  EXPECT_FALSE(form->close());
  EXPECT_TRUE(form->isVisible());
  s.dialogs.answer(DialogAnswer::Ok);
  EXPECT_TRUE(form->close());
  EXPECT_EQ(s.dialogs.questions(), (std::vector<std::string>{NotSaved, NotSaved}));
}

TEST(RdfEditorForm, SaveStopsAtAnEmptyNameAndSelectsIt) {
  ScriptedDialogsScope s;
  auto form = OpenEditor(s, "multistate", Fixture("nucleotide.rdf"));
  ASSERT_NE(form, nullptr);
  TypeIntoCell(Child<QTableView>(form.get(), "SequencesGrid"), 3, 0, QString());
  form->SelectCell(1, 2);
  // No save dialog is queued: asking for one would fail the test.
  Child<QPushButton>(form.get(), "SaveButton")->click();
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{EmptyTaxonName});
  EXPECT_EQ(form->CurrentTaxon(), 4);
  EXPECT_FALSE(form->Editor().Saved());
}

TEST(RdfEditorForm, AminoAcidsSaveAsAmi) {
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  auto form = OpenEditor(s, "amino", Fixture("amino.ami"));
  ASSERT_NE(form, nullptr);
  s.dialogs.saveFile(dir.file("protein.rdf"));
  Child<QPushButton>(form.get(), "SaveButton")->click();
  EXPECT_EQ(s.dialogs.lastFileRequest()->filter, "amino acid data format (*.ami)|*.ami");
  EXPECT_TRUE(fs::exists(dir.file("protein.ami")));
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{SavedAmino});
}
