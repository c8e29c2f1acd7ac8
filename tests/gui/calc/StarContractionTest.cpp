// Star contraction: identical taxa, stars around taxa and around generated median vectors, the
// questions between rounds, the .pro and .sco files of small fixtures; invariants on real data.

#include "Reduced_median.h"
#include "RmStarTestSupport.h"
#include "ScriptedDialogs.h"
#include "Star_contraction.h"
#include "TestPaths.h"
#include "umwandl.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace {

using namespace rmstar_test;
using testpaths::TempDir;

Trdf_DataSet Load(const std::string& file) {
  Trdf_DataSet data;
  EXPECT_TRUE(LoadStarDataSet(data, file, false, true, true));
  return data;
}

}  // namespace

TEST(StarContractionText, Questions) {
  EXPECT_EQ(sc_messages::ContinueQuestion(12),
            "There are   12 taxa left. Should the contraction be continued?");
  EXPECT_EQ(sc_messages::FinishedMessage(7),
            "Have finished star contraction. There are 7 taxa left.");
}

TEST(StarContraction, TwoTaxaDoNothing) {
  ScriptedDialogsScope s;  // any prompt would fail the test
  Trdf_DataSet data;
  data.Characters.push_back({"c1"});
  for (const char* st : {"A", "C"}) {
    Trdf_Sequence t;
    t.States = st;
    data.Taxa.push_back(t);
  }
  EXPECT_FALSE(RunStarContraction(data, "x.rdf", 5));
}

// A centre taxon with four neighbours at distance 1 and an identical copy; a far taxon stays.
// Answering No after round 1 writes the .sco file at once; characters constant among the remaining
// taxa (s7, s8) are left out.
TEST(StarContractionFiles, StarAroundATaxon) {
  ScriptedDialogsScope s;
  TempDir dir;
  const std::string input = CopyFixture(dir, "star.rdf");
  s.dialogs.saveFile(dir.file("star.pro"));
  s.dialogs.answer(DialogAnswer::No);
  s.dialogs.saveFile(dir.file("star"));  // the extension is forced to .SCO
  Trdf_DataSet data = Load(input);
  EXPECT_TRUE(RunStarContraction(data, input, 5));
  EXPECT_EQ(testpaths::readFile(dir.file("star.pro")), Expected("star.pro", input));
  EXPECT_EQ(testpaths::readFile(dir.file("star.SCO")), Expected("star.sco", input));
  EXPECT_EQ(
      s.dialogs.questions(),
      (std::vector<std::string>{"There are    2 taxa left. Should the contraction be continued?"}));
  EXPECT_EQ(SaveProposals(s.dialogs),
            (std::vector<std::string>{dir.file("star.pro"), dir.file("star.SCO")}));
}

TEST(StarContractionFiles, StarAroundAGeneratedMedianVector) {
  ScriptedDialogsScope s;
  TempDir dir;
  const std::string input = CopyFixture(dir, "starmedian.rdf");
  s.dialogs.saveFile(dir.file("starmedian.pro"));
  s.dialogs.answer(DialogAnswer::Yes);
  s.dialogs.answer(DialogAnswer::Yes);
  s.dialogs.saveFile(dir.file("starmedian.SCO"));
  Trdf_DataSet data = Load(input);
  EXPECT_TRUE(RunStarContraction(data, input, 5));
  // Rounds 2 and 3 find nothing more: they add only their empty protocol lines.
  EXPECT_EQ(testpaths::readFile(dir.file("starmedian.pro")),
            Expected("starmedian.pro", input) + "\r\n\r\n");
  EXPECT_EQ(testpaths::readFile(dir.file("starmedian.SCO")), Expected("starmedian.sco", input));
  EXPECT_EQ(s.dialogs.messages(),
            (std::vector<std::string>{"Have finished star contraction. There are 2 taxa left."}));
}

TEST(StarContractionFiles, CancelledDialogsWriteNothing) {
  {
    ScriptedDialogsScope s;
    TempDir dir;
    const std::string input = CopyFixture(dir, "star.rdf");
    s.dialogs.saveFile(std::nullopt);
    Trdf_DataSet data = Load(input);
    EXPECT_FALSE(RunStarContraction(data, input, 5));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
  }
  {
    ScriptedDialogsScope s;
    TempDir dir;
    const std::string input = CopyFixture(dir, "star.rdf");
    s.dialogs.saveFile(dir.file("star.pro"));
    s.dialogs.answer(DialogAnswer::No);
    s.dialogs.saveFile(std::nullopt);
    Trdf_DataSet data = Load(input);
    EXPECT_FALSE(RunStarContraction(data, input, 5));
    EXPECT_FALSE(std::filesystem::exists(dir.file("star.SCO")));
  }
}

TEST(StarContractionFiles, AnUnwritableProtocolStopsBeforeCalculating) {
  ScriptedDialogsScope s;
  TempDir dir;
  const std::string input = CopyFixture(dir, "star.rdf");
  s.dialogs.saveFile(dir.file("missing/star.pro"));
  Trdf_DataSet data = Load(input);
  EXPECT_FALSE(RunStarContraction(data, input, 5));
  EXPECT_EQ(s.dialogs.messages(),
            (std::vector<std::string>{sc_messages::CannotWrite(dir.file("missing/star.pro"))}));
  EXPECT_TRUE(s.dialogs.questions().empty());
}

// A radius of 1 still finds the star (members at distance 1), a far taxon never joins.
TEST(StarContractionSteps, ClustersAndCounts) {
  ScriptedDialogsScope s;
  TempDir dir;
  Trdf_DataSet data = Load(CopyFixture(dir, "star.rdf"));
  TStarContraction calc(data, "star.rdf", 1);
  calc.gleichetaxafeststellen();
  EXPECT_EQ(calc.Remaining(), 6);
  calc.Round();
  EXPECT_EQ(calc.Remaining(), 2);
  EXPECT_EQ(calc.ContractionCount(1), 4);
  std::vector<std::vector<int>> clusters;
  for (const auto& c : calc.Clusters())
    if (!c.empty()) clusters.push_back(c);
  EXPECT_EQ(clusters, (std::vector<std::vector<int>>{{1, 2, 3, 4, 5, 6}}));
}

// --- Real data ---

TEST(StarContractionSharedData, DolphinEveryTaxonWrittenOnce) {
  SKIP_WITHOUT_SHARED_DATA("mj/dolphin_dloop.phy");
  ScriptedDialogsScope s;
  TempDir dir;
  const std::string phy = dir.file("dolphin.phy");
  std::filesystem::copy_file(testpaths::sharedData("mj/dolphin_dloop.phy"), phy);
  ASSERT_TRUE(ImportPhylipFile(phy, false));
  Trdf_DataSet data = Load(dir.file("dolphin.rdf"));
  const int taxa = data.TaxaCount();
  std::map<std::string, int> names;
  for (const Trdf_Sequence& t : data.Taxa) ++names[t.Name];

  TStarContraction calc(data, dir.file("dolphin.rdf"), 5);
  calc.gleichetaxafeststellen();
  int remaining = calc.Remaining();
  for (int round = 1; round <= 3; ++round) {
    calc.Round();
    EXPECT_LE(calc.Remaining(), remaining);
    remaining = calc.Remaining();
  }
  calc.ZeroConstantWeights();
  EXPECT_LT(remaining, taxa);

  // The .sco file reads back; it holds every input taxon once plus the median vectors kept, and
  // every contracted taxon carries the states of the active taxon written before it.
  Trdf_DataSet sco;
  sco.SetStateSets(rdf_states::NucleotideAllowed, rdf_states::NucleotideAmbiguous);
  bool error = false;
  ASSERT_TRUE(sco.ReadRdfText(calc.ScoText(), error, true, "SC", false));
  EXPECT_EQ(sco.TaxaCount(), taxa + calc.TotalMedians());
  std::map<std::string, int> written;
  for (const Trdf_Sequence& t : sco.Taxa)
    if (t.Name.rfind("sco", 0) != 0) ++written[t.Name];
  EXPECT_EQ(written, names);
  EXPECT_EQ(calc.SequenceCount(), taxa + calc.TotalMedians());
}
