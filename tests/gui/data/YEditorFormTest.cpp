// The STR editor window driven offscreen: creation, opening through the main window's factory,
// typing repeat values, the popup and value boxes, masked text cells, save -> open, and exit.
#include "EditorGridTestHelpers.h"
#include "Oberflaeche.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"
#include "Y_Editor_GridForm.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>

#include <memory>

using namespace y_editor_messages;

namespace {

std::string Fixture(const std::string& name) { return testpaths::testData("strsim/" + name).string(); }

void Click(QObject* form, const char* button) { Child<QPushButton>(form, button)->click(); }

std::unique_ptr<TY_EditorForm> OpenEditor(ScriptedDialogsScope& s, const std::string& type,
                                          std::optional<std::string> file) {
  EditorCreateMode = false;
  s.dialogs.openFile(std::move(file));
  std::unique_ptr<TY_EditorForm> form(static_cast<TY_EditorForm*>(CreateStrEditor(type)));
  if (form) form->show();
  return form;
}

std::unique_ptr<TY_EditorForm> CreatedEditor() {
  EditorCreateMode = true;
  std::unique_ptr<TY_EditorForm> form(static_cast<TY_EditorForm*>(CreateStrEditor("ychrom")));
  form->show();
  Click(form.get(), "CreateButton");
  return form;
}

}  // namespace

TEST(YEditorForm, CreationModeShowsTheSpinsThenTheGrids) {
  ScriptedDialogsScope s;
  EditorCreateMode = true;
  std::unique_ptr<TY_EditorForm> form(static_cast<TY_EditorForm*>(CreateStrEditor("ychrom")));
  ASSERT_NE(form, nullptr);
  form->show();
  EXPECT_EQ(form->windowTitle(), QStringLiteral("STR-Editor"));
  EXPECT_TRUE(Child<QGroupBox>(form.get(), "CreationBox")->isVisible());
  EXPECT_FALSE(Child<QGroupBox>(form.get(), "EditBox")->isVisible());
  for (const char* spin : {"NumberSequencesSpin", "NumberCharactersSpin", "DefaultWeightSpin"})
    EXPECT_EQ(Child<QSpinBox>(form.get(), spin)->value(), 10) << spin;
  Child<QSpinBox>(form.get(), "NumberSequencesSpin")->setValue(4);
  Child<QSpinBox>(form.get(), "NumberCharactersSpin")->setValue(3);
  Click(form.get(), "CreateButton");
  EXPECT_FALSE(Child<QGroupBox>(form.get(), "CreationBox")->isVisible());
  EXPECT_TRUE(Child<QGroupBox>(form.get(), "EditBox")->isVisible());
  auto* grid = Child<QTableView>(form.get(), "EditGrid");
  EXPECT_EQ(grid->model()->rowCount(), 4);
  EXPECT_EQ(grid->model()->columnCount(), 3);
  EXPECT_EQ(Cell(grid, 3, 2), QStringLiteral("99"));
  EXPECT_EQ(Cell(Child<QTableView>(form.get(), "SequencesGrid"), 3, 0), QStringLiteral("SQ4"));
  EXPECT_EQ(Cell(Child<QTableView>(form.get(), "CharactersGrid"), 0, 2), QStringLiteral("CH3"));
  EXPECT_EQ(Cell(Child<QTableView>(form.get(), "WeightGrid"), 0, 0), QStringLiteral("10"));
  EXPECT_EQ(Child<QTableView>(form.get(), "SequencesGrid")->model()->headerData(0, Qt::Horizontal),
            QStringLiteral("Taxon"));
}

TEST(YEditorForm, OpenStepCancelledOrFatalGivesNoWindow) {
  ScriptedDialogsScope s;
  EXPECT_EQ(OpenEditor(s, "ychrom", std::nullopt), nullptr);
  EXPECT_EQ(s.dialogs.lastFileRequest()->filter, "Y-chromosomal data files (*.ych)|*.ych");
  EXPECT_EQ(OpenEditor(s, "autosomal", Fixture("bad_count.ych")), nullptr);
  EXPECT_EQ(s.dialogs.lastFileRequest()->filter, "Y chromosomal data format (*.ych)|*.ych");
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{ych_messages::LocusCount(1)});
}

TEST(YEditorForm, OpenedFileIsCheckedAndShown) {
  ScriptedDialogsScope s;
  auto form = OpenEditor(s, "ychrom", Fixture("duplicate_taxa.ych"));
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{DuplicateTaxonName("A1")});
  EXPECT_TRUE(Child<QGroupBox>(form.get(), "EditBox")->isVisible());
  auto* grid = Child<QTableView>(form.get(), "EditGrid");
  EXPECT_EQ(Cell(grid, 1, 1), QStringLiteral("23"));
}

TEST(YEditorForm, TypingRepeatValuesAndTheirLimit) {
  ScriptedDialogsScope s;
  auto form = CreatedEditor();
  auto* grid = Child<QTableView>(form.get(), "EditGrid");
  grid->setFocus();
  form->SelectCell(2, 2);
  QTest::keyClicks(grid, "12");
  EXPECT_EQ(Cell(grid, 1, 1), QStringLiteral("12"));
  QTest::keyClicks(grid, "3");
  EXPECT_EQ(Cell(grid, 1, 1), QStringLiteral("12"));
  QTest::keyClicks(grid, "a");
  EXPECT_EQ(s.dialogs.messages(), (std::vector<std::string>{ValueExceeds, "Wrong character: A"}));
  // Another cell starts a new value.
  form->SelectCell(2, 1);
  QTest::keyClicks(grid, "7");
  form->SelectCell(2, 2);
  QTest::keyClicks(grid, "5");
  EXPECT_EQ(Cell(grid, 1, 0), QStringLiteral("7"));
  EXPECT_EQ(Cell(grid, 1, 1), QStringLiteral("5"));
  // Undo takes back only the last change.
  auto* undo = Child<QPushButton>(form.get(), "UndoButton");
  ASSERT_TRUE(undo->isEnabled());
  undo->click();
  EXPECT_EQ(Cell(grid, 1, 1), QStringLiteral("12"));
  EXPECT_EQ(Cell(grid, 1, 0), QStringLiteral("7"));
  EXPECT_FALSE(undo->isEnabled());
}

TEST(YEditorForm, PopupItemSetsTheCurrentCell) {
  ScriptedDialogsScope s;
  auto form = CreatedEditor();
  form->SelectCell(3, 1);
  auto* menu = Child<QMenu>(form.get(), "RepeatPopup");
  const QList<QAction*> actions = menu->actions();
  ASSERT_EQ(actions.size(), 101);
  actions[2]->trigger();  // "0 = 0 repeats/..."
  EXPECT_EQ(Cell(Child<QTableView>(form.get(), "EditGrid"), 2, 0), QStringLiteral("0"));
  actions[0]->trigger();  // the prompt changes nothing
  EXPECT_EQ(Cell(Child<QTableView>(form.get(), "EditGrid"), 2, 0), QStringLiteral("0"));
}

TEST(YEditorForm, InsertingALocusAsksForItsValue) {
  ScriptedDialogsScope s;
  auto form = CreatedEditor();
  form->SelectCell(1, 2);
  Click(form.get(), "NewCharacterButton");
  auto* box = Child<QGroupBox>(form.get(), "RepeatBox");
  EXPECT_TRUE(box->isVisible());
  EXPECT_FALSE(Child<QGroupBox>(form.get(), "EditBox")->isEnabled());
  auto* values = Child<QComboBox>(form.get(), "RepeatValues");
  values->setCurrentIndex(values->findText(QStringLiteral("5 = 5 repeats")));
  Click(form.get(), "OKButton");
  EXPECT_FALSE(box->isVisible());
  EXPECT_TRUE(Child<QGroupBox>(form.get(), "EditBox")->isEnabled());
  EXPECT_EQ(values->currentIndex(), 0);
  EXPECT_EQ(form->Editor().LociCount(), 11);
  EXPECT_EQ(form->Editor().Locus(2).Name, "CH11");
  EXPECT_EQ(form->Editor().Locus(2).DefaultRepeat, 5);
  EXPECT_EQ(form->CurrentLocus(), 2);
  EXPECT_EQ(Cell(Child<QTableView>(form.get(), "EditGrid"), 9, 1), QStringLiteral("5"));

  // A typed text picks the first item starting with its first character.
  Click(form.get(), "NewFinalCharacterButton");
  values->setEditText(QStringLiteral("7x"));
  Click(form.get(), "OKButton");
  EXPECT_EQ(form->Editor().Locus(12).DefaultRepeat, 7);
}

TEST(YEditorForm, DefaultValueFillsTheLocus) {
  ScriptedDialogsScope s;
  auto form = CreatedEditor();
  form->SelectCell(1, 3);
  Child<QAction>(form.get(), "Setdefaultnumberofrepeats1")->trigger();
  EXPECT_EQ(Child<QLineEdit>(form.get(), "LocusNameEdit")->text(), QStringLiteral("CH3"));
  auto* values = Child<QComboBox>(form.get(), "DefaultValues");
  values->setCurrentIndex(values->findText(QStringLiteral("14 = 14 repeats")));
  Click(form.get(), "ContinueButton");
  for (int t = 1; t <= 10; ++t) EXPECT_EQ(form->Editor().Taxon(t).Repeats[2], 14);
}

TEST(YEditorForm, TaxonCommandsAndTheirMessages) {
  ScriptedDialogsScope s;
  auto form = CreatedEditor();
  form->SelectCell(2, 1);
  Click(form.get(), "NewSequenceButton");
  EXPECT_EQ(form->Editor().Taxon(2).Name, "SQ11");
  Click(form.get(), "CopySequenceButton");
  EXPECT_EQ(form->Editor().TaxaCount(), 12);
  Click(form.get(), "NewFinalSequenceButton");
  EXPECT_EQ(form->CurrentTaxon(), 13);
  Click(form.get(), "DeleteSequenceButton");
  EXPECT_EQ(form->Editor().TaxaCount(), 12);
  Child<QAction>(form.get(), "Deletelocus1")->trigger();
  EXPECT_EQ(form->Editor().LociCount(), 9);
  EXPECT_TRUE(s.dialogs.messages().empty());
}

TEST(YEditorForm, MaskedTextCellsCommitThroughTheEditor) {
  ScriptedDialogsScope s;
  auto form = CreatedEditor();
  TypeIntoCell(Child<QTableView>(form.get(), "SequencesGrid"), 0, 0, QStringLiteral("ab-c d"));
  EXPECT_EQ(form->Editor().Taxon(1).Name, "ABCD");
  TypeIntoCell(Child<QTableView>(form.get(), "WeightGrid"), 0, 1, QStringLiteral("x789"));
  EXPECT_EQ(form->Editor().Locus(2).Weight, 78);
  TypeIntoCell(Child<QTableView>(form.get(), "FrequencyGrid"), 2, 0, QStringLiteral("123456"));
  EXPECT_EQ(form->Editor().Taxon(3).Frequency, 1234);
  TypeIntoCell(Child<QTableView>(form.get(), "CharactersGrid"), 0, 0, QStringLiteral("dys389ii9"));
  EXPECT_EQ(form->Editor().Locus(1).Name, "DYS389II");
  EXPECT_TRUE(s.dialogs.messages().empty());
}

TEST(YEditorForm, SaveThenOpenThroughTheEditor) {
  testpaths::TempDir dir;
  ScriptedDialogsScope s;
  TDataSet saved;
  {
    auto form = OpenEditor(s, "ychrom", Fixture("small.ych"));
    ASSERT_NE(form, nullptr);
    auto* grid = Child<QTableView>(form.get(), "EditGrid");
    grid->setFocus();
    form->SelectCell(2, 3);
    QTest::keyClicks(grid, "31");
    s.dialogs.saveFile(dir.file("copy"));
    Click(form.get(), "SaveButton");
    EXPECT_EQ(s.dialogs.lastFileRequest()->fileName, Fixture("small.ych"));
    EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{Saved});
    saved = form->Editor().DataSet();
    s.dialogs.clear();
    Click(form.get(), "ExitButton");
    EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{Completed});
    EXPECT_FALSE(form->isVisible());
  }
  auto again = OpenEditor(s, "ychrom", dir.file("copy.ych"));
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->Editor().DataSet(), saved);
  EXPECT_EQ(again->Editor().Taxon(2).Repeats, (std::vector<uint8_t>{15, 99, 31}));
  EXPECT_EQ(again->Editor().Taxon(1).Info[0], "Europe");
  // The file the user opened is left as it was.
  EXPECT_EQ(testpaths::readFile(testpaths::testData("strsim/small.ych")),
            "DYS19,DYS389I,DYS389II\r\n10,5,10\r\n\r\nA1;Europe;;;;;;\r\n14,13,29\r\n3\r\n"
            "B2;;;;;;;\r\n15,12.2,30\r\n1\r\n");
}

TEST(YEditorForm, ExitAfterCancelledSaveAsks) {
  ScriptedDialogsScope s;
  auto form = CreatedEditor();
  s.dialogs.saveFile(std::nullopt);
  Click(form.get(), "SaveButton");
  s.dialogs.answer(DialogAnswer::Cancel);
  Click(form.get(), "ExitButton");
  EXPECT_EQ(s.dialogs.questions(), std::vector<std::string>{NotSaved});
  EXPECT_TRUE(form->isVisible());
  s.dialogs.answer(DialogAnswer::Ok);
  form->close();  // the title bar asks the same
  EXPECT_FALSE(form->isVisible());
}

TEST(YEditorForm, SaveWithAProblemSelectsIt) {
  ScriptedDialogsScope s;
  auto form = CreatedEditor();
  TypeIntoCell(Child<QTableView>(form.get(), "SequencesGrid"), 9, 0, QString());
  form->SelectCell(1, 1);
  Click(form.get(), "SaveButton");  // no save dialog may appear
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{EmptyTaxonName});
  EXPECT_EQ(form->CurrentTaxon(), 10);
}

TEST(YEditorForm, SwitchShowsTheInformationGridWithItsKeys) {
  ScriptedDialogsScope s;
  auto form = CreatedEditor();
  Click(form.get(), "SwitchButton");
  auto* info = Child<QTableView>(form.get(), "FurtherInformationGrid");
  EXPECT_TRUE(info->isVisible());
  EXPECT_FALSE(Child<QTableView>(form.get(), "EditGrid")->isVisible());
  EXPECT_EQ(info->model()->headerData(3, Qt::Horizontal), QStringLiteral("Group 1"));
  TypeIntoCell(info, 0, 1, QStringLiteral("north"));
  EXPECT_EQ(form->Editor().Taxon(1).Info[1], "NORTH");
  info->setFocus();
  info->setCurrentIndex(info->model()->index(0, 1));
  QTest::keySequence(info, QKeySequence::Copy);
  info->setCurrentIndex(info->model()->index(4, 2));
  QTest::keySequence(info, QKeySequence::Paste);
  EXPECT_EQ(form->Editor().Taxon(5).Info[2], "NORTH");
  QTest::keyClick(info, Qt::Key_Delete);
  EXPECT_EQ(form->Editor().Taxon(5).Info[2], "");
}

TEST(YEditorForm, RealDataOpensAndSavesUnchanged) {
  SKIP_WITHOUT_SHARED_DATA("mj/danes_ystr.ych");
  testpaths::TempDir dir;
  ScriptedDialogsScope s;
  const std::string danes = testpaths::sharedData("mj/danes_ystr.ych").string();
  auto form = OpenEditor(s, "ychrom", danes);
  ASSERT_NE(form, nullptr);
  auto* loci = Child<QTableView>(form.get(), "CharactersGrid");
  EXPECT_EQ(Cell(loci, 0, 1), QStringLiteral("DYS389I"));
  EXPECT_EQ(Cell(loci, 0, 2), QStringLiteral("DYS389II"));
  EXPECT_EQ(Child<QTableView>(form.get(), "EditGrid")->model()->rowCount(), 136);
  s.dialogs.saveFile(dir.file("danes.ych"));
  Click(form.get(), "SaveButton");
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{Saved});
  EXPECT_EQ(testpaths::readFile(dir.file("danes.ych")), testpaths::readFile(danes));

  // The microvariant comes back undetermined, and stays so through a save.
  const std::string peru = testpaths::sharedData("mj/peru_ystr.ych").string();
  auto second = OpenEditor(s, "mixed", peru);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(Cell(Child<QTableView>(second.get(), "EditGrid"), 12, 7), QStringLiteral("99"));
  s.dialogs.saveFile(dir.file("peru.ych"));
  Click(second.get(), "SaveButton");
  auto third = OpenEditor(s, "mixed", dir.file("peru.ych"));
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(third->Editor().DataSet(), second->Editor().DataSet());
}
