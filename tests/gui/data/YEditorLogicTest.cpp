// The STR editor's rules without its window: typed repeat values, new names, limits, committed
// cell texts, undo, the data check and the save -> open round trip.
#include "ScriptedDialogs.h"
#include "TestPaths.h"
#include "Y_Editor_Grid.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

using namespace y_editor_messages;

namespace {

TYEditor Created(int taxa, int loci, int weight = 10) {
  TYEditor editor("ychrom");
  EXPECT_TRUE(editor.CreateDataSet(taxa, loci, weight));
  return editor;
}

std::string Fixture(const std::string& name) { return testpaths::testData("strsim/" + name).string(); }

}  // namespace

TEST(YEditorCreate, NamesWeightsAndUndeterminedCells) {
  const TYEditor editor = Created(3, 2, 7);
  ASSERT_EQ(editor.TaxaCount(), 3);
  ASSERT_EQ(editor.LociCount(), 2);
  EXPECT_EQ(editor.Taxon(3).Name, "SQ3");
  EXPECT_EQ(editor.Taxon(1).Frequency, 1);
  EXPECT_EQ(editor.Locus(2).Name, "CH2");
  EXPECT_EQ(editor.Locus(2).Weight, 7);
  EXPECT_EQ(editor.Locus(1).DefaultRepeat, 99);
  for (int t = 1; t <= 3; ++t) EXPECT_EQ(editor.Taxon(t).Repeats, (std::vector<uint8_t>{99, 99}));
  EXPECT_FALSE(editor.CanUndo());
}

TEST(YEditorValueList, ItemsAndTheirValues) {
  const auto& list = RepeatValueList();
  ASSERT_EQ(list.size(), 101u);
  EXPECT_EQ(list[0], "Enter repeats directly with keyboard or use list below");
  EXPECT_EQ(list[1], "99 = Undetermined number of repeats");
  EXPECT_EQ(list[4], "2 = 2 repeats");
  EXPECT_EQ(list[100], "98 = 98 repeats");
  EXPECT_FALSE(RepeatEntryValue(0).has_value());
  EXPECT_EQ(RepeatEntryValue(1), uint8_t{99});
  EXPECT_EQ(RepeatEntryValue(2), uint8_t{0});
  EXPECT_EQ(RepeatEntryValue(100), uint8_t{98});
  EXPECT_FALSE(RepeatEntryValue(101).has_value());
}

// --- typing into the repeat table ---

struct TypingCase {
  const char* name;
  const char* keys;     // typed in order into cell (1, 1), which holds 99, in a fresh entry
  int value;            // the cell afterwards
  const char* message;  // the last message, or "" for none
};

class YEditorTyping : public ::testing::TestWithParam<TypingCase> {};

TEST_P(YEditorTyping, KeysBuildTheValue) {
  ScriptedDialogsScope s;
  TYEditor editor = Created(3, 2);
  for (const char* k = GetParam().keys; *k != '\0'; ++k) editor.TypeRepeat(1, 1, *k);
  EXPECT_EQ(editor.Taxon(1).Repeats[0], GetParam().value);
  const auto messages = s.dialogs.messages();
  if (*GetParam().message == '\0') {
    EXPECT_TRUE(messages.empty());
  } else {
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), GetParam().message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, YEditorTyping,
    ::testing::Values(TypingCase{"TwoDigits", "12", 12, ""},
                      TypingCase{"ThirdDigitExceeds", "123", 12, "The value exceeds the maximum."},
                      TypingCase{"FirstDigitReplacesUndetermined", "7", 7, ""},
                      TypingCase{"TabStartsNewValue", "5\t7", 7, ""},
                      TypingCase{"WrongKeyStartsNewValue", "4x8", 8, "Wrong character: X"},
                      TypingCase{"NinetyNine", "99", 99, ""},
                      TypingCase{"LeadingZero", "09", 9, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// --- taxa and loci ---

TEST(YEditorTaxa, NewNameFillsTheFirstGap) {
  TYEditor editor = Created(3, 1);
  editor.RenameTaxon(2, "X");
  editor.RenameTaxon(3, "SQ3");
  EXPECT_EQ(editor.FreeTaxonName(), "SQ2");
  const int at = editor.AddTaxon(TYInsertKind::Insert, 2);
  EXPECT_EQ(at, 2);
  EXPECT_EQ(editor.Taxon(2).Name, "SQ2");
  EXPECT_EQ(editor.Taxon(2).Repeats, std::vector<uint8_t>{99});
}

TEST(YEditorTaxa, DuplicateGoesAfterTheCurrentOneWithItsValues) {
  TYEditor editor = Created(3, 2);
  editor.SetRepeat(2, 1, 14);
  editor.SetInfo(2, 2, "EUROPE");
  EXPECT_EQ(editor.AddTaxon(TYInsertKind::Duplicate, 2), 3);
  EXPECT_EQ(editor.Taxon(3).Name, "SQ4");
  EXPECT_EQ(editor.Taxon(3).Repeats, (std::vector<uint8_t>{14, 99}));
  EXPECT_EQ(editor.Taxon(3).Info[1], "EUROPE");
  EXPECT_EQ(editor.AddTaxon(TYInsertKind::AddFinal, 1), 5);
}

TEST(YEditorTaxa, LastTaxonAndLastLocusCannotBeDeleted) {
  ScriptedDialogsScope s;
  TYEditor editor("ychrom");
  ASSERT_TRUE(editor.Open(Fixture("small.ych")));
  ASSERT_TRUE(editor.DeleteTaxon(1));
  EXPECT_FALSE(editor.DeleteTaxon(1));
  ASSERT_TRUE(editor.DeleteLocus(3));
  ASSERT_TRUE(editor.DeleteLocus(1));
  EXPECT_FALSE(editor.DeleteLocus(1));
  EXPECT_EQ(s.dialogs.messages(), (std::vector<std::string>{CannotDeleteTaxon, CannotDeleteLocus}));
  EXPECT_EQ(editor.TaxaCount(), 1);
  EXPECT_EQ(editor.LociCount(), 1);
  EXPECT_EQ(editor.Taxon(1).Repeats, std::vector<uint8_t>{99});  // the microvariant's column
}

TEST(YEditorLoci, InsertDuplicateAndDefaultFillColumns) {
  TYEditor editor = Created(3, 2);
  editor.SetRepeat(1, 2, 13);
  ASSERT_TRUE(editor.InsertLocus(1, 5, 4));
  EXPECT_EQ(editor.Locus(1).Name, "CH3");
  EXPECT_EQ(editor.Locus(1).Weight, 4);
  EXPECT_EQ(editor.Locus(1).DefaultRepeat, 5);
  EXPECT_EQ(editor.Taxon(1).Repeats, (std::vector<uint8_t>{5, 99, 13}));
  ASSERT_TRUE(editor.DuplicateLocus(3));
  EXPECT_EQ(editor.LociCount(), 4);
  EXPECT_EQ(editor.Locus(4).Name, "CH4");
  EXPECT_EQ(editor.Taxon(1).Repeats, (std::vector<uint8_t>{5, 99, 13, 13}));
  ASSERT_TRUE(editor.SetDefaultRepeat(2, 20));
  for (int t = 1; t <= 3; ++t) EXPECT_EQ(editor.Taxon(t).Repeats[1], 20);
  EXPECT_EQ(editor.Locus(2).DefaultRepeat, 20);
  // A new taxon takes every locus's default value.
  editor.AddTaxon(TYInsertKind::AddFinal, 0);
  EXPECT_EQ(editor.Taxon(4).Repeats, (std::vector<uint8_t>{5, 20, 99, 99}));
}

struct LimitCase {
  TYInsertKind kind;
  const char* taxaMessage;
  const char* lociMessage;
};

TEST(YEditorLimits, TaxaAndLociAreRefusedAtTheLimitWithTheirWording) {
  const LimitCase cases[] = {
      {TYInsertKind::Insert,
       "The maximum number of taxa (30000) is attained. Please contact Movrel for help.",
       "The maximum number of loci (1000) is reached. Please contact Movrel for help."},
      {TYInsertKind::Duplicate,
       "The maximum number of taxa (30000)is attained. Please contact Movrel for help.",
       "The maximum number of loci (1000) is reached. Please contact Movrel for help."},
      {TYInsertKind::AddFinal,
       "The maximum number of taxa (30000) is reached. Please contact Movrel for help.",
       "The maximum number of loci (1000)is reached. Please contact Movrel for help."},
  };
  ScriptedDialogsScope s;
  TYEditor taxa = Created(ych_limits::MaxTaxa, 1);
  TYEditor loci = Created(3, ych_limits::MaxLoci);
  for (const LimitCase& c : cases) {
    s.dialogs.clear();
    EXPECT_EQ(taxa.AddTaxon(c.kind, 1), 0);
    EXPECT_FALSE(loci.CanAddLocus(c.kind));
    EXPECT_EQ(s.dialogs.messages(), (std::vector<std::string>{c.taxaMessage, c.lociMessage}));
  }
  EXPECT_FALSE(loci.InsertLocus(1, 0, 10));
  EXPECT_FALSE(loci.DuplicateLocus(1));
  EXPECT_EQ(taxa.TaxaCount(), ych_limits::MaxTaxa);
  EXPECT_EQ(loci.LociCount(), ych_limits::MaxLoci);
}

// --- committed cells ---

struct CommitCase {
  const char* text;
  int weight;              // stored weight
  int frequency;           // stored frequency
  bool weightMessage;      // the weight problem message
  bool frequencyMessage;   // the frequency problem message
};

TEST(YEditorCommit, WeightAndFrequencyTexts) {
  const CommitCase cases[] = {
      {"12", 12, 12, false, false},
      {"7x", 7, 7, false, false},
      {"", 255, -1, false, false},  // an empty cell is -1; a weight keeps it as a byte
      {"x", 0, 0, true, true},
      {"300", 0, 300, true, false},  // a weight is one byte: refused, not wrapped
      {"99999999999999", 0, 0, true, true},
  };
  for (const CommitCase& c : cases) {
    SCOPED_TRACE(c.text);
    ScriptedDialogsScope s;
    TYEditor editor = Created(3, 1);
    editor.SetWeightText(1, c.text);
    editor.SetFrequencyText(1, c.text);
    EXPECT_EQ(editor.Locus(1).Weight, c.weight);
    EXPECT_EQ(editor.Taxon(1).Frequency, c.frequency);
    std::vector<std::string> expected;
    if (c.weightMessage) expected.push_back(BadWeight("CH1"));
    if (c.frequencyMessage) expected.push_back(BadFrequency("SQ1"));
    EXPECT_EQ(s.dialogs.messages(), expected);
  }
}

TEST(YEditorCommit, NamesAndInformationAreCut) {
  TYEditor editor = Created(3, 1);
  editor.RenameTaxon(1, "ABCDEFGHIJKLMNOPQR");
  editor.RenameLocus(1, "DYS389III");
  editor.SetInfo(6, 1, std::string(60, 'Z'));
  EXPECT_EQ(editor.Taxon(1).Name, "ABCDEFGHIJKLMNO");
  EXPECT_EQ(editor.Locus(1).Name, "DYS389II");
  EXPECT_EQ(editor.Taxon(1).Info[5], std::string(50, 'Z'));
  EXPECT_FALSE(editor.SetInfo(7, 1, "X"));
}

TEST(YEditorCommit, InformationClipboard) {
  TYEditor editor = Created(3, 1);
  EXPECT_FALSE(editor.PasteInfo(1, 2));  // nothing copied yet
  editor.SetInfo(1, 1, "RED");
  editor.CopyInfo(2, 1);                 // an empty cell copies nothing
  editor.CopyInfo(1, 1);
  EXPECT_TRUE(editor.PasteInfo(3, 2));
  EXPECT_EQ(editor.Taxon(2).Info[2], "RED");
}

TEST(YEditorUndo, RestoresOnlyTheStateBeforeTheLastChange) {
  TYEditor editor = Created(3, 2);
  editor.SetRepeat(1, 1, 11);
  editor.SetRepeat(1, 2, 22);
  ASSERT_TRUE(editor.Undo());
  EXPECT_EQ(editor.Taxon(1).Repeats, (std::vector<uint8_t>{11, 99}));
  EXPECT_FALSE(editor.CanUndo());
  EXPECT_FALSE(editor.Undo());
  EXPECT_EQ(editor.Taxon(1).Repeats, (std::vector<uint8_t>{11, 99}));
}

// --- check, save, open ---

struct CheckCase {
  const char* name;
  std::function<void(TYEditor&)> change;
  std::string message;
  int taxon, locus;
};

TEST(YEditorCheck, FirstProblemIsShownAndSelected) {
  const CheckCase cases[] = {
      {"EmptyLastTaxon", [](TYEditor& e) { e.RenameTaxon(3, ""); }, EmptyTaxonName, 3, 0},
      {"SameTaxa", [](TYEditor& e) { e.RenameTaxon(3, "SQ2"); }, DuplicateTaxonName("SQ2"), 2, 0},
      {"EmptyLocus", [](TYEditor& e) { e.RenameLocus(2, ""); }, EmptyLocusName, 0, 2},
      {"SameLoci", [](TYEditor& e) { e.RenameLocus(1, "CH2"); }, DuplicateLocusName("CH2"), 0, 1},
      {"TaxaBeforeLoci",
       [](TYEditor& e) {
         e.RenameLocus(1, "");
         e.RenameTaxon(1, "");
       },
       EmptyTaxonName, 1, 0},
      // Names differ by case only: not the same name.
      {"CaseCounts", [](TYEditor& e) { e.RenameTaxon(3, "sq2"); }, "", 0, 0},
  };
  for (const CheckCase& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedDialogsScope s;
    TYEditor editor = Created(3, 2);
    c.change(editor);
    const auto problem = editor.CheckData();
    if (c.message.empty()) {
      EXPECT_FALSE(problem.has_value());
      EXPECT_TRUE(s.dialogs.messages().empty());
      continue;
    }
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(problem->taxon, c.taxon);
    EXPECT_EQ(problem->locus, c.locus);
    EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{c.message});
    EXPECT_TRUE(editor.CheckFailed());
  }
}

TEST(YEditorSave, SaveOpenRoundTripForcesTheExtension) {
  testpaths::TempDir dir;
  ScriptedDialogsScope s;
  TYEditor editor = Created(3, 2);
  editor.SetRepeat(2, 1, 14);
  editor.SetFrequencyText(3, "25");
  editor.SetInfo(4, 1, "G1");
  editor.RenameLocus(2, "DYS389II");
  s.dialogs.saveFile((dir.path() / "data.txt").string());
  ASSERT_TRUE(editor.SaveWithDialog());
  const std::string saved = (dir.path() / "data.ych").string();
  EXPECT_EQ(editor.FileName(), saved);
  EXPECT_TRUE(editor.Saved());
  EXPECT_EQ(s.dialogs.lastFileRequest()->filter, "Y chromosomal data format (*.ych)|*.ych");

  TYEditor reopened("ychrom");
  ASSERT_TRUE(reopened.Open(saved));
  EXPECT_EQ(reopened.DataSet().Sequences, editor.DataSet().Sequences);
  ASSERT_EQ(reopened.LociCount(), 2);
  EXPECT_EQ(reopened.Locus(2).Name, "DYS389II");
  EXPECT_EQ(reopened.Locus(1).Weight, editor.Locus(1).Weight);
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{Saved});
}

TEST(YEditorSave, FailedWriteIsNoSave) {
  testpaths::TempDir dir;
  ScriptedDialogsScope s;
  TYEditor editor = Created(3, 2);
  EXPECT_FALSE(editor.Save((dir.path() / "missing" / "data.ych").string()));
  EXPECT_FALSE(editor.Saved());
  for (const std::string& m : s.dialogs.messages()) EXPECT_NE(m, Saved);
  EXPECT_FALSE(s.dialogs.messages().empty());
}

TEST(YEditorSave, CheckProblemStopsTheSaveBeforeTheDialog) {
  ScriptedDialogsScope s;
  TYEditor editor = Created(3, 2);
  editor.RenameTaxon(1, "SQ2");
  EXPECT_FALSE(editor.SaveWithDialog());  // no save dialog queued: none may appear
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{DuplicateTaxonName("SQ2")});
}

TEST(YEditorExit, AsksUntilSavedAndAgainAfterAChange) {
  testpaths::TempDir dir;
  ScriptedDialogsScope s;
  TYEditor editor = Created(3, 2);
  s.dialogs.answer(DialogAnswer::Cancel);
  EXPECT_FALSE(editor.ConfirmExit());
  EXPECT_EQ(s.dialogs.questions(), std::vector<std::string>{NotSaved});
  ASSERT_TRUE(editor.Save((dir.path() / "a.ych").string()));
  s.dialogs.clear();
  EXPECT_TRUE(editor.ConfirmExit());
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{Completed});
  editor.SetRepeat(1, 1, 3);
  s.dialogs.answer(DialogAnswer::Ok);
  EXPECT_TRUE(editor.ConfirmExit());
  EXPECT_EQ(s.dialogs.questions(), std::vector<std::string>{NotSaved});
}

TEST(YEditorOpen, FatalErrorKeepsNothing) {
  ScriptedDialogsScope s;
  TYEditor editor("ychrom");
  EXPECT_FALSE(editor.Open(Fixture("bad_count.ych")));
  EXPECT_EQ(editor.TaxaCount(), 0);
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{ych_messages::LocusCount(1)});
}

TEST(YEditorOpen, RepeatValueThatIsNoNumberKeepsTheOpenDataSet) {
  testpaths::TempDir dir;
  ScriptedDialogsScope s;
  TYEditor editor("ychrom");
  ASSERT_TRUE(editor.Open(Fixture("small.ych")));
  editor.SetRepeat(1, 1, 17);
  const TDataSet before = editor.DataSet();
  const std::string bad = (dir.path() / "typo.ych").string();
  const std::string text = "DYS19,DYS390\r\n10,10\r\n\r\nT1;\r\n12,1a\r\n1\r\n";
  {
    std::ofstream out(bad, std::ios::binary);
    out << text;
  }
  s.dialogs.clear();
  EXPECT_FALSE(editor.Open(bad));
  EXPECT_EQ(s.dialogs.messages(),
            std::vector<std::string>{"The repeat value \"1a\" of taxon T1 (line 5) at locus "
                                     "DYS390 is not a number. Please correct the data file and "
                                     "then try again."});
  EXPECT_EQ(editor.DataSet(), before);
  EXPECT_EQ(editor.FileName(), Fixture("small.ych"));
  EXPECT_FALSE(editor.Saved());
  // Nothing is written: the refused file is as it was and stands alone.
  std::ifstream in(bad, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), text);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(YEditorOpen, RealDataKeepsLongLocusNamesAndMarksMicrovariants) {
  SKIP_WITHOUT_SHARED_DATA("mj/peru_ystr.ych");
  ScriptedDialogsScope s;
  TYEditor danes("ychrom"), peru("mixed");
  ASSERT_TRUE(danes.Open(testpaths::sharedData("mj/danes_ystr.ych").string()));
  ASSERT_TRUE(peru.Open(testpaths::sharedData("mj/peru_ystr.ych").string()));
  EXPECT_TRUE(s.dialogs.messages().empty());
  EXPECT_EQ(danes.Locus(2).Name, "DYS389I");
  EXPECT_EQ(danes.Locus(3).Name, "DYS389II");
  EXPECT_EQ(danes.TaxaCount(), 136);
  EXPECT_EQ(peru.Locus(23).Name, "YGATAH4");
  EXPECT_EQ(peru.Taxon(13).Repeats[7], ych_limits::Undetermined);  // "12.2"
  EXPECT_EQ(peru.Taxon(13).Repeats[4], 32);
}
