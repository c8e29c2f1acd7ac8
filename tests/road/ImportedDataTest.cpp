// Every real data file the imports accept goes on to a median-joining network.
#include "Dia_File.h"
#include "MJDataFile.h"
#include "Median_joining.h"
#include "OutFile.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

namespace fs = std::filesystem;

namespace {

class ImportedData : public ::testing::TestWithParam<const char*> {};

}  // namespace

// The way the median-joining window goes: the same import and choice of state sets, the
// calculation, the .out file, and the drawing window's reading of it.
TEST_P(ImportedData, ImportsAndRunsMedianJoining) {
  const std::string rel = std::string("mj/") + GetParam();
  SKIP_WITHOUT_SHARED_DATA(rel);
  testpaths::TempDir dir;
  ScriptedDialogsScope s;
  const fs::path input = dir.path() / fs::path(GetParam()).filename();
  fs::copy_file(testpaths::sharedData(rel), input);
  const std::optional<TMJDataFile> file = PrepareMJDataFile(input.string());
  ASSERT_TRUE(file) << testing::PrintToString(s.dialogs.texts());
  const bool aminoAcids = fs::path(GetParam()).stem().string().ends_with("_aa");
  EXPECT_EQ(file->AminoAcids, aminoAcids);

  Trdf_DataSet data;
  ASSERT_TRUE(LoadMJDataSet(data, file->RdfName, file->AminoAcids, true, true))
      << testing::PrintToString(s.dialogs.texts());
  // Protein data has no N to warn about: asparagine is a residue like any other.
  if (aminoAcids) EXPECT_TRUE(s.dialogs.texts().empty()) << testing::PrintToString(s.dialogs.texts());
  // The whole protein alignment grows a median network of hundreds of vectors, too slow for a
  // sanitizer build; its first taxa still walk the whole way.
  if (aminoAcids && data.TaxaCount() > 30) data.Taxa.resize(30);
  TMJOptions options;
  options.AminoAcids = file->AminoAcids;
  TMJCalculation calc(data, options);
  ASSERT_TRUE(calc.Calculate());
  EXPECT_GT(calc.Links().size(), 0u);
  EXPECT_GE(calc.SequenceCount(), 3);

  const std::string out = (dir.path() / "net.out").string();
  ASSERT_TRUE(outfile::WriteOutText(out, MJOutText(calc, file->RdfName)));
  TNetwork_Diagramm diagram;
  std::string error;
  ASSERT_TRUE(LoadOutFile(diagram, out, &error)) << error;
  EXPECT_GE(diagram.NodeCount(), calc.SequenceCount());
  EXPECT_EQ(static_cast<std::size_t>(diagram.LinkCount()), calc.Links().size());
}

INSTANTIATE_TEST_SUITE_P(
    SharedData, ImportedData,
    ::testing::Values("woodmouse_cytb.phy", "woodmouse_cytb.nex", "dolphin_dloop.phy",
                      "dolphin_dloop.nex", "h1n1_na_usa.phy", "ringe_ie_binary.phy",
                      "toy_dna_6x12.phy", "toy_binary_4x9.phy", "danes_ystr.ych",
                      "peru_ystr.ych", "ovomucoid_aa.phy", "ovomucoid_aa.nex"),
    [](const auto& info) {
      std::string name = info.param;
      for (char& c : name)
        if (c == '.') c = '_';
      return name;
    });
