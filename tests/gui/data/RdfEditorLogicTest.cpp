// The rdf editor's rules without its window: creation, names, typed states, limits, the data
// check, undo, weights, and the open, save and exit steps.
#include "DlgChangeMultipleWeights.h"
#include "RDF_Editor_Grid.h"
#include "RdfMessages.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace rdf_editor_messages;

namespace {

std::string Fixture(const std::string& name) {
  return testpaths::testData("editor/" + name).string();
}

// A copy of a fixture in a scratch folder (opening may rewrite line ends, imports write beside).
std::string CopyOf(const testpaths::TempDir& dir, const std::string& name) {
  const std::string target = dir.file(name);
  fs::copy_file(Fixture(name), target);
  return target;
}

std::string States(const TRdfEditor& e) {
  std::string all;
  for (const Trdf_Sequence& t : e.DataSet().Taxa) all += t.States + "|";
  return all;
}

std::vector<std::string> TaxonNames(const TRdfEditor& e) {
  std::vector<std::string> names;
  for (const Trdf_Sequence& t : e.DataSet().Taxa) names.push_back(t.Name);
  return names;
}

}  // namespace

// --- creation and new names ---

struct CreateCase {
  const char* dataType;
  char firstState;
};
class RdfEditorCreate : public ::testing::TestWithParam<CreateCase> {};

TEST_P(RdfEditorCreate, NamesTaxaAndCharactersAndFillsTheFirstListedState) {
  ScriptedDialogsScope s;
  TRdfEditor e(GetParam().dataType);
  ASSERT_TRUE(e.CreateDataSet(3, 1, 10));
  EXPECT_EQ(TaxonNames(e), (std::vector<std::string>{"SQ1", "SQ2", "SQ3"}));
  ASSERT_EQ(e.DataSet().CharacterCount(), 1);
  EXPECT_EQ(e.DataSet().Character(1).Name, "CH1");
  EXPECT_EQ(e.DataSet().Character(1).Weight, 10);
  EXPECT_EQ(e.DataSet().Character(1).MajorityState, GetParam().firstState);
  for (const Trdf_Sequence& t : e.DataSet().Taxa) {
    EXPECT_EQ(t.States, std::string(1, GetParam().firstState));
    EXPECT_EQ(t.Frequency, 1);
  }
  EXPECT_EQ(e.DataSet().DataType, ' ');
  EXPECT_TRUE(s.dialogs.events().empty());
}

INSTANTIATE_TEST_SUITE_P(DataTypes, RdfEditorCreate,
                         ::testing::Values(CreateCase{"multistate", 'A'}, CreateCase{"amino", 'A'},
                                           CreateCase{"binary", '0'}, CreateCase{"rflp", '0'}));

TEST(RdfEditor, NewNamesTakeTheSmallestFreeNumber) {
  ScriptedDialogsScope s;
  TRdfEditor e("multistate");
  ASSERT_TRUE(e.CreateDataSet(3, 3, 10));
  ASSERT_TRUE(e.RenameTaxon(2, "X"));
  ASSERT_TRUE(e.RenameCharacter(1, "Y"));
  EXPECT_EQ(e.AddTaxon(TRdfInsertKind::Insert, 1), 1);
  EXPECT_EQ(TaxonNames(e), (std::vector<std::string>{"SQ2", "SQ1", "X", "SQ3"}));
  EXPECT_EQ(e.AddTaxon(TRdfInsertKind::AddFinal, 0), 5);
  EXPECT_EQ(e.DataSet().Taxon(5).Name, "SQ4");
  ASSERT_TRUE(e.InsertCharacter(4, 'G', 7));
  EXPECT_EQ(e.DataSet().Character(4).Name, "CH1");
  EXPECT_EQ(e.DataSet().Character(4).Weight, 7);
  EXPECT_EQ(e.DataSet().Taxon(1).States, "AAAG");
}

TEST(RdfEditor, OnlyExactNumberedNamesAreTaken) {
  ScriptedDialogsScope s;
  TRdfEditor e("binary");
  ASSERT_TRUE(e.CreateDataSet(4, 1, 10));
  ASSERT_TRUE(e.RenameTaxon(2, "SQ02"));   // not SQ2
  ASSERT_TRUE(e.RenameTaxon(4, "SQ99999"));
  EXPECT_EQ(e.FreeTaxonName(), "SQ2");
  ASSERT_TRUE(e.RenameTaxon(2, "SQ2"));
  EXPECT_EQ(e.FreeTaxonName(), "SQ4");
  EXPECT_EQ(e.FreeCharacterName(), "CH2");
}

TEST(RdfEditor, DuplicatesCopyStatesFrequencyWeightAndDefaultState) {
  ScriptedDialogsScope s;
  TRdfEditor e("multistate");
  ASSERT_TRUE(e.Open(Fixture("nucleotide.rdf")));
  // T4 (frequency 3) copied before itself.
  EXPECT_EQ(e.AddTaxon(TRdfInsertKind::Duplicate, 4), 4);
  EXPECT_EQ(e.DataSet().Taxon(4).Name, "SQ1");
  EXPECT_EQ(e.DataSet().Taxon(4).States, "GCTTA");
  EXPECT_EQ(e.DataSet().Taxon(4).Frequency, 3);
  EXPECT_EQ(e.DataSet().Taxon(5).Name, "T4");
  // C4 (weight 0, inactive) copied before itself.
  ASSERT_TRUE(e.DuplicateCharacter(4));
  const Trdf_Character& copy = e.DataSet().Character(4);
  EXPECT_EQ(copy.Name, "CH1");
  EXPECT_EQ(copy.Weight, 0);
  EXPECT_FALSE(copy.Active);
  EXPECT_EQ(copy.MajorityState, 'T');
  EXPECT_EQ(e.DataSet().Taxon(1).States, "ACGTTA");
}

TEST(RdfEditor, DefaultStateIsWrittenIntoEveryTaxon) {
  ScriptedDialogsScope s;
  TRdfEditor e("multistate");
  ASSERT_TRUE(e.CreateDataSet(3, 2, 10));
  ASSERT_TRUE(e.SetDefaultState(2, 'T'));
  EXPECT_EQ(States(e), "AT|AT|AT|");
  EXPECT_EQ(e.AddTaxon(TRdfInsertKind::AddFinal, 0), 4);
  EXPECT_EQ(e.DataSet().Taxon(4).States, "AT");
}

// --- typed states ---

struct KeyCase {
  const char* dataType;
  char key;
  char stored;          // '\0': refused
  const char* message;  // expected message, or empty
};
class RdfEditorKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(RdfEditorKeys, TakesKeysInUpperCaseAndRefusesOthers) {
  const KeyCase& c = GetParam();
  ScriptedDialogsScope s;
  TRdfEditor e(c.dataType);
  ASSERT_TRUE(e.CreateDataSet(3, 2, 10));
  const std::string before = States(e);
  EXPECT_EQ(e.TypeState(2, 2, c.key), c.stored != '\0');
  if (c.stored != '\0') {
    EXPECT_EQ(e.DataSet().Taxon(2).States[1], c.stored);
    EXPECT_TRUE(s.dialogs.messages().empty());
  } else {
    EXPECT_EQ(States(e), before);
    EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{c.message});
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, RdfEditorKeys,
    ::testing::Values(KeyCase{"multistate", 'a', 'A', ""}, KeyCase{"multistate", 'r', 'R', ""},
                      KeyCase{"multistate", '-', '-', ""}, KeyCase{"multistate", '?', '?', ""},
                      KeyCase{"multistate", 'x', '\0', "Incorrect character: X"},
                      KeyCase{"multistate", '1', '\0', "Incorrect character: 1"},
                      KeyCase{"amino", 'w', 'W', ""},
                      KeyCase{"amino", 'o', '\0', "Incorrect character: O"},
                      KeyCase{"binary", '1', '1', ""}, KeyCase{"binary", 'n', 'N', ""},
                      KeyCase{"rflp", 'a', '\0', "Incorrect character: A"}));

TEST(RdfEditor, AmbiguousStatesFollowTheDataType) {
  TRdfEditor nucleotide("multistate");
  EXPECT_TRUE(nucleotide.IsAmbiguous('R'));
  EXPECT_FALSE(nucleotide.IsAmbiguous('A'));
  TRdfEditor binary("binary");
  EXPECT_TRUE(binary.IsAmbiguous('N'));
  EXPECT_FALSE(binary.IsAmbiguous('1'));
  TRdfEditor amino("amino");
  EXPECT_TRUE(amino.IsAmbiguous('X'));
  EXPECT_FALSE(amino.IsAmbiguous('R'));
}

// --- limits ---

struct LimitCase {
  TRdfInsertKind kind;
  const char* taxaMessage;
  const char* charactersMessage;
};
class RdfEditorLimits : public ::testing::TestWithParam<LimitCase> {};

TEST_P(RdfEditorLimits, FullDataSetsRefuseNewTaxaAndCharactersWithTheirMessage) {
  const LimitCase& c = GetParam();
  ScriptedDialogsScope s;
  TRdfEditor taxa("binary");
  ASSERT_TRUE(taxa.CreateDataSet(rdf_limits::MaxTaxa, 1, 10));
  EXPECT_EQ(taxa.AddTaxon(c.kind, 1), 0);
  EXPECT_EQ(taxa.DataSet().TaxaCount(), rdf_limits::MaxTaxa);

  TRdfEditor characters("binary");
  ASSERT_TRUE(characters.CreateDataSet(3, rdf_limits::MaxCharacters, 10));
  EXPECT_FALSE(characters.CanAddCharacter(c.kind));
  if (c.kind == TRdfInsertKind::Duplicate)
    EXPECT_FALSE(characters.DuplicateCharacter(1));
  else
    EXPECT_FALSE(characters.InsertCharacter(1, '0', 10));
  EXPECT_EQ(characters.DataSet().CharacterCount(), rdf_limits::MaxCharacters);

  const std::string insertCharacters =
      "The maximum number of characters (10000) is attained. Please contact Movrel for help.";
  const std::vector<std::string> expected{
      c.taxaMessage, c.charactersMessage,
      c.kind == TRdfInsertKind::Duplicate ? c.charactersMessage : insertCharacters};
  EXPECT_EQ(s.dialogs.messages(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, RdfEditorLimits,
    ::testing::Values(
        LimitCase{TRdfInsertKind::Insert,
                  "The maximum number of taxa (30000) is attained. Please contact Movrel for help.",
                  "The maximum number of characters (10000) is attained. Please contact Movrel for "
                  "help."},
        LimitCase{TRdfInsertKind::AddFinal,
                  "The maximum number of taxa (30000)is reached. Please contact Movrel for help.",
                  "The maximum number of characters (10000)is reached. Please contact Movrel for "
                  "help."},
        LimitCase{TRdfInsertKind::Duplicate,
                  "The maximum number of taxa (30000) is attained. Please contact Movrel for help.",
                  "The maximum number of characters (10000)has been reached. Please contact "
                  "Movrel for help."}));

TEST(RdfEditor, CreationBeyondTheLimitsIsRefused) {
  ScriptedDialogsScope s;
  TRdfEditor e("multistate");
  EXPECT_FALSE(e.CreateDataSet(rdf_limits::MaxTaxa + 1, 1, 10));
  EXPECT_FALSE(e.CreateDataSet(3, rdf_limits::MaxCharacters + 1, 10));
  EXPECT_FALSE(e.CreateDataSet(3, 1, 100));
  EXPECT_EQ(e.DataSet().TaxaCount(), 0);
  EXPECT_EQ(s.dialogs.messages().size(), 3u);
}

// --- committed cell texts ---

TEST(RdfEditor, CellTextsAreCommittedThroughTheDataSetRules) {
  ScriptedDialogsScope s;
  TRdfEditor e("multistate");
  ASSERT_TRUE(e.Open(Fixture("nucleotide.rdf")));

  EXPECT_FALSE(e.RenameTaxon(1, "T2"));
  EXPECT_TRUE(e.RenameTaxon(1, "ABCDEFGHIJKLMNOPQ"));
  EXPECT_EQ(e.DataSet().Taxon(1).Name, "ABCDEFGHIJKLMNO");
  EXPECT_FALSE(e.RenameCharacter(2, "C1"));
  EXPECT_TRUE(e.RenameCharacter(2, "LONGNAME12"));
  EXPECT_EQ(e.DataSet().Character(2).Name, "LONGNAME");

  EXPECT_TRUE(e.SetFrequencyText(2, "17"));
  EXPECT_EQ(e.DataSet().Taxon(2).Frequency, 17);
  // Not a number: reported, then refused as frequency 0, so the frequency stays.
  EXPECT_FALSE(e.SetFrequencyText(2, ""));
  EXPECT_EQ(e.DataSet().Taxon(2).Frequency, 17);

  EXPECT_TRUE(e.SetWeightText(1, "7"));
  EXPECT_EQ(e.DataSet().Character(1).Weight, 7);
  // Not a number: reported and set to 0, which makes the character inactive.
  EXPECT_TRUE(e.SetWeightText(1, ""));
  EXPECT_EQ(e.DataSet().Character(1).Weight, 0);
  EXPECT_FALSE(e.DataSet().Character(1).Active);

  EXPECT_EQ(s.dialogs.messages(),
            (std::vector<std::string>{
                rdf_messages::NameExists, rdf_messages::NameExists,
                BadFrequency("T2"), rdf_messages::FrequencyRange,
                BadWeight("C1")}));
}

TEST(RdfEditor, InformationClipboardCopiesAndPastesTexts) {
  ScriptedDialogsScope s;
  TRdfEditor e("multistate");
  ASSERT_TRUE(e.Open(Fixture("nucleotide.rdf")));
  e.CopyInfo(1, 1);
  EXPECT_EQ(e.InfoClipboard(), "Cave");
  ASSERT_TRUE(e.PasteInfo(2, 3));
  EXPECT_EQ(e.DataSet().Taxon(3).Info[1], "Cave");
  ASSERT_TRUE(e.SetInfo(1, 1, ""));
  EXPECT_EQ(e.DataSet().Taxon(1).Info[0], "");
}

TEST(RdfEditor, WeightsOfARunAreSetOrRefusedOneCharacterAtATime) {
  ScriptedDialogsScope s;
  TRdfEditor e("multistate");
  ASSERT_TRUE(e.CreateDataSet(3, 5, 10));
  EXPECT_TRUE(e.SetWeights(2, 4, 0));
  for (int c = 1; c <= 5; ++c)
    EXPECT_EQ(e.DataSet().Character(c).Weight, c >= 2 && c <= 4 ? 0 : 10) << c;

  EXPECT_FALSE(e.SetWeights(1, 3, 150));
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>(3, rdf_messages::WeightRange(150)));
  EXPECT_EQ(e.DataSet().Character(1).Weight, 10);
  EXPECT_EQ(e.DataSet().Character(2).Weight, 0);
  EXPECT_FALSE(e.SetWeights(4, 6, 5));  // past the last character
}

// --- undo ---

TEST(RdfEditor, UndoRestoresTheStateBeforeTheLastChangeOnlyOnce) {
  ScriptedDialogsScope s;
  TRdfEditor e("multistate");
  ASSERT_TRUE(e.CreateDataSet(3, 2, 10));
  EXPECT_FALSE(e.CanUndo());
  ASSERT_TRUE(e.TypeState(1, 1, 'G'));
  ASSERT_TRUE(e.DeleteTaxon(3));
  ASSERT_TRUE(e.Undo());
  EXPECT_EQ(States(e), "GA|AA|AA|");
  EXPECT_FALSE(e.CanUndo());
  EXPECT_FALSE(e.Undo());
  EXPECT_EQ(States(e), "GA|AA|AA|");
}

// --- the data check ---

struct CheckCase {
  const char* name;
  const char* file;  // fixture to open, or nullptr for a created 3 x 3 data set
  void (*edit)(TRdfEditor&);
  std::string message;
  int taxon;
  int character;
};
class RdfEditorCheck : public ::testing::TestWithParam<CheckCase> {};

TEST_P(RdfEditorCheck, FindsTheFirstProblemAndSelectsIt) {
  const CheckCase& c = GetParam();
  ScriptedDialogsScope s;
  TRdfEditor e("multistate");
  if (c.file != nullptr) {
    // Opening runs the check once already.
    ASSERT_TRUE(e.Open(Fixture(c.file)));
    s.dialogs.clear();
  } else {
    ASSERT_TRUE(e.CreateDataSet(3, 3, 10));
  }
  if (c.edit != nullptr) c.edit(e);
  s.dialogs.clear();
  const auto problem = e.CheckData();
  ASSERT_TRUE(problem.has_value());
  EXPECT_EQ(problem->taxon, c.taxon);
  EXPECT_EQ(problem->character, c.character);
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{c.message});
  EXPECT_TRUE(e.CheckFailed());
}

INSTANTIATE_TEST_SUITE_P(
    Problems, RdfEditorCheck,
    ::testing::Values(
        CheckCase{"EmptyNameInLastRow", nullptr, [](TRdfEditor& e) { e.RenameTaxon(3, ""); },
                  EmptyTaxonName, 3, 0},
        CheckCase{"DuplicateTaxa", "duplicate_taxa.rdf", nullptr, DuplicateTaxonName("T1"), 3, 0},
        CheckCase{"EmptyCharacterName", nullptr,
                  [](TRdfEditor& e) { e.RenameCharacter(2, ""); }, EmptyCharacterName, 0, 2},
        CheckCase{"DuplicateCharacters", "duplicate_characters.rdf", nullptr,
                  DuplicateCharacterName("C1"), 0, 2},
        CheckCase{"TaxaBeforeCharacters", nullptr,
                  [](TRdfEditor& e) {
                    e.RenameCharacter(1, "");
                    e.RenameTaxon(2, "");
                  },
                  EmptyTaxonName, 2, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RdfEditor, CleanDataPassesTheCheck) {
  ScriptedDialogsScope s;
  TRdfEditor e("multistate");
  ASSERT_TRUE(e.Open(Fixture("nucleotide.rdf")));
  EXPECT_FALSE(e.CheckData().has_value());
  EXPECT_FALSE(e.CheckFailed());
  EXPECT_TRUE(s.dialogs.messages().empty());
}

// --- opening ---

TEST(RdfEditor, OpeningAFileOfTheWrongTypeFails) {
  struct Case {
    const char* dataType;
    const char* file;
    std::string message;
  };
  for (const Case& c : {Case{"multistate", "binary.rdf", rdf_messages::BinaryEditor},
                        Case{"binary", "nucleotide.rdf", rdf_messages::MultistateEditor},
                        Case{"multistate", "missing.rdf",
                             rdf_messages::CannotOpen(Fixture("missing.rdf"))}}) {
    ScriptedDialogsScope s;
    TRdfEditor e(c.dataType);
    EXPECT_FALSE(e.Open(Fixture(c.file))) << c.file;
    EXPECT_TRUE(e.OpenFailed());
    EXPECT_EQ(e.DataSet().TaxaCount(), 0);
    EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{c.message}) << c.file;
  }
}

TEST(RdfEditor, OpenDialogOffersTheDataTypesFilterAndCancelFails) {
  struct Case {
    const char* dataType;
    const char* filter;
  };
  for (const Case& c :
       {Case{"amino", "Amino acid files|*.ami"}, Case{"rflp", "RFLP data file|*.tor"},
        Case{"multistate",
             "Binary or multistate files|*.rdf|Files generated with star contraction|*.sco"},
        Case{"binary",
             "Binary or multistate files|*.rdf|Files generated with star contraction|*.sco"}}) {
    ScriptedDialogsScope s;
    s.dialogs.openFile(std::nullopt);
    TRdfEditor e(c.dataType);
    EXPECT_FALSE(e.OpenWithDialog());
    EXPECT_TRUE(e.OpenFailed());
    ASSERT_NE(s.dialogs.lastFileRequest(), nullptr);
    EXPECT_EQ(s.dialogs.lastFileRequest()->filter, c.filter);
  }
}

TEST(RdfEditor, RflpSiteListsAreImportedAndTheRdfFileRead) {
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  const std::string tor = CopyOf(dir, "sites.tor");
  TRdfEditor e("rflp");
  ASSERT_TRUE(e.Open(tor));
  EXPECT_EQ(e.FileName(), dir.file("sites.rdf"));
  EXPECT_EQ(TaxonNames(e), (std::vector<std::string>{"Taxon1", "Taxon2", "Taxon3"}));
  EXPECT_TRUE(fs::exists(dir.file("sites.rdf")));
}

TEST(RdfEditor, OpeningReadsEveryLineEndAndLeavesTheFileAsItWas) {
  const std::pair<const char*, const char*> cases[] = {{"LF", "\n"}, {"CR", "\r"}};
  for (const auto& [label, eol] : cases) {
    ScriptedDialogsScope s;
    testpaths::TempDir dir;
    const std::string name = dir.file("lines.rdf");
    std::string text = testpaths::readFile(Fixture("nucleotide.rdf"));
    std::erase(text, '\r');
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
      text.replace(at, 1, eol);
    testpaths::writeFile(name, text);
    const auto written = fs::last_write_time(name);
    TRdfEditor e("multistate");
    ASSERT_TRUE(e.Open(name)) << label;
    EXPECT_EQ(e.DataSet().TaxaCount(), 4) << label;
    EXPECT_EQ(testpaths::readFile(name), text) << label;
    EXPECT_EQ(fs::last_write_time(name), written) << label;
  }
}

// --- whole-set operations ---

TEST(RdfEditor, ReplaceAmbiguousStatesOnlyAfterYes) {
  ScriptedDialogsScope s;
  TRdfEditor e("multistate");
  ASSERT_TRUE(e.Open(Fixture("nucleotide.rdf")));
  s.dialogs.answer(DialogAnswer::No);
  EXPECT_FALSE(e.ReplaceAmbiguousStates());
  EXPECT_EQ(e.DataSet().Taxon(2).States, "ACGTR");
  s.dialogs.answer(DialogAnswer::Yes);
  EXPECT_TRUE(e.ReplaceAmbiguousStates());
  // T2's nearest taxon is T1 (…A): R resolves to A.
  EXPECT_EQ(e.DataSet().Taxon(2).States, "ACGTA");
  EXPECT_EQ(s.dialogs.questions(),
            (std::vector<std::string>{ReplaceAmbiguousQuestion, ReplaceAmbiguousQuestion}));
}

TEST(RdfEditor, BinarizationRecodesOnlyBinaryData) {
  ScriptedDialogsScope s;
  TRdfEditor e("multistate");
  ASSERT_TRUE(e.CreateDataSet(3, 2, 10));
  ASSERT_TRUE(e.TypeState(2, 1, 'G'));
  ASSERT_TRUE(e.Binarize());
  EXPECT_EQ(States(e), "00|10|00|");

  TRdfEditor multi("multistate");
  ASSERT_TRUE(multi.CreateDataSet(3, 1, 10));
  ASSERT_TRUE(multi.TypeState(2, 1, 'G'));
  ASSERT_TRUE(multi.TypeState(3, 1, 'T'));
  s.dialogs.clear();
  EXPECT_FALSE(multi.Binarize());
  EXPECT_EQ(States(multi), "A|G|T|");
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{rdf_messages::NotBinary("CH1")});
}

// --- saving and leaving ---

TEST(RdfEditor, SaveForcesTheExtensionAndReadsBackEqual) {
  for (const char* type : {"multistate", "amino"}) {
    ScriptedDialogsScope s;
    testpaths::TempDir dir;
    const bool amino = std::string(type) == "amino";
    TRdfEditor e(type);
    ASSERT_TRUE(e.Open(Fixture(amino ? "amino.ami" : "nucleotide.rdf")));
    ASSERT_TRUE(e.SetInfo(3, 2, "Lineage B"));
    ASSERT_TRUE(e.Save(dir.file("copy.txt")));
    const std::string written = dir.file(amino ? "copy.ami" : "copy.rdf");
    EXPECT_EQ(e.FileName(), written);
    EXPECT_TRUE(e.Saved());
    EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{amino ? SavedAmino : SavedNucleotide});

    Trdf_DataSet back;
    const TRdfEditorStates states = EditorStatesFor(type);
    back.SetStateSets(states.allowed, states.ambiguous);
    bool error = false;
    ASSERT_TRUE(back.ReadRdfFile(written, error, false, "Editor", false));
    EXPECT_EQ(back.Taxa, e.DataSet().Taxa);
    EXPECT_EQ(back.Characters, e.DataSet().Characters);
  }
}

TEST(RdfEditor, FailedSaveReportsTheErrorAndNoSavedMessage) {
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  TRdfEditor e("multistate");
  ASSERT_TRUE(e.Open(Fixture("nucleotide.rdf")));
  const std::string target = dir.file("no-such-folder/out.rdf");
  EXPECT_FALSE(e.Save(target));
  EXPECT_FALSE(e.Saved());
  EXPECT_EQ(e.FileName(), Fixture("nucleotide.rdf"));
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{rdf_messages::CannotWrite(target)});
}

TEST(RdfEditor, SaveDialogProposesTheFileAndCancelWritesNothing) {
  ScriptedDialogsScope s;
  TRdfEditor e("multistate");
  ASSERT_TRUE(e.Open(Fixture("nucleotide.rdf")));
  s.dialogs.saveFile(std::nullopt);
  EXPECT_FALSE(e.SaveWithDialog());
  ASSERT_NE(s.dialogs.lastFileRequest(), nullptr);
  EXPECT_EQ(s.dialogs.lastFileRequest()->fileName, Fixture("nucleotide.rdf"));
  EXPECT_EQ(s.dialogs.lastFileRequest()->filter, "Multistate or binary data format (*.rdf)|*.rdf");
  EXPECT_FALSE(e.Saved());
  EXPECT_TRUE(s.dialogs.messages().empty());
}

TEST(RdfEditor, ExitConfirmsSavedWorkAndWarnsAboutUnsavedWork) {
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  TRdfEditor e("multistate");
  ASSERT_TRUE(e.CreateDataSet(3, 1, 10));
  s.dialogs.answer(DialogAnswer::Cancel);
  EXPECT_FALSE(e.ConfirmExit());
  s.dialogs.answer(DialogAnswer::Ok);
  EXPECT_TRUE(e.ConfirmExit());
  EXPECT_EQ(s.dialogs.questions(), (std::vector<std::string>{NotSaved, NotSaved}));
  EXPECT_EQ(s.dialogs.events()[0].type, ScriptedDialogs::Event::Question);

  ASSERT_TRUE(e.Save(dir.file("new.rdf")));
  s.dialogs.clear();
  EXPECT_TRUE(e.ConfirmExit());
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{Completed});
  // Any change makes the file unsaved again.
  ASSERT_TRUE(e.TypeState(1, 1, 'C'));
  EXPECT_FALSE(e.Saved());
}

// --- small rules ---

TEST(RdfEditorRules, ComboTextsPickAnEntryByTheirFirstCharacter) {
  const std::vector<std::string> list = EditorStatesFor("multistate").list;
  EXPECT_EQ(StateEntryForText(list, "g"), 1);
  EXPECT_EQ(StateEntryForText(list, "T = whatever"), 3);
  EXPECT_EQ(StateEntryForText(list, "-"), 16);
  EXPECT_EQ(StateEntryForText(list, "z"), 0);
  EXPECT_EQ(StateEntryForText(list, ""), 0);
}

TEST(RdfEditorRules, MasksAdmitWhatTheGridsAllow) {
  EXPECT_EQ(rdf_editor_masks::TaxonName.Typed('a'), 'A');
  EXPECT_EQ(rdf_editor_masks::TaxonName.Typed('7'), '7');
  EXPECT_EQ(rdf_editor_masks::TaxonName.Typed('_'), '\0');
  EXPECT_EQ(rdf_editor_masks::Weight.Typed('5'), '5');
  EXPECT_EQ(rdf_editor_masks::Weight.Typed('a'), '\0');
  EXPECT_EQ(rdf_editor_masks::Frequency.maxLength, 4u);
  EXPECT_EQ(rdf_editor_masks::CharacterName.maxLength, 8u);
}

// --- the multiple-weights dialog's rule ---

struct WeightsCase {
  int start, end;
  const char* text;
  bool accepted;
  int wantStart, wantEnd, wantWeight;
  const char* message;
};
class MultipleWeights : public ::testing::TestWithParam<WeightsCase> {};

TEST_P(MultipleWeights, AcceptsCompleteChoicesWithAWholeNumber) {
  const WeightsCase& c = GetParam();
  ScriptedDialogsScope s;
  TMultipleWeights w;
  w.SetNames({"a", "b", "c", "d", "e"});
  w.SetWeight(10);
  EXPECT_EQ(w.Accept(c.start, c.end, c.text), c.accepted);
  EXPECT_EQ(w.Start(), c.wantStart);
  EXPECT_EQ(w.End(), c.wantEnd);
  EXPECT_EQ(w.Weight(), c.wantWeight);
  if (c.accepted)
    EXPECT_TRUE(s.dialogs.messages().empty());
  else
    EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{c.message});
}

INSTANTIATE_TEST_SUITE_P(
    Table, MultipleWeights,
    ::testing::Values(
        WeightsCase{4, 1, "7", true, 2, 5, 7, ""}, WeightsCase{0, 0, "+3", true, 1, 1, 3, ""},
        WeightsCase{2, 3, "150", true, 3, 4, 150, ""},
        WeightsCase{1, 2, "-4", true, 2, 3, -4, ""},
        WeightsCase{-1, 2, "5", false, 1, 1, 10, "You have to set the required parameter first"},
        WeightsCase{1, -1, "5", false, 1, 1, 10, "You have to set the required parameter first"},
        WeightsCase{1, 2, "", false, 1, 1, 10, "You have to set the required parameter first"},
        WeightsCase{1, 2, "5a", false, 1, 1, 10, "The entered weight is invalid. Please correct"},
        WeightsCase{1, 2, " 5", false, 1, 1, 10, "The entered weight is invalid. Please correct"},
        WeightsCase{1, 2, "+", false, 1, 1, 10, "The entered weight is invalid. Please correct"},
        WeightsCase{1, 2, "99999999999", false, 1, 1, 10,
                    "The entered weight is invalid. Please correct"}));
