// Every real data file the imports accept goes on to a median-joining network.
#include "Median_joining.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"
#include "umwandl.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

class ImportedData : public ::testing::TestWithParam<const char*> {};

}  // namespace

TEST_P(ImportedData, ImportsAndRunsMedianJoining) {
  const std::string rel = std::string("mj/") + GetParam();
  SKIP_WITHOUT_SHARED_DATA(rel);
  testpaths::TempDir dir;
  ScriptedDialogsScope s;
  const fs::path input = dir.path() / fs::path(GetParam()).filename();
  fs::copy_file(testpaths::sharedData(rel), input);
  const std::string ext = input.extension().string();
  const bool imported = ext == ".phy"   ? ImportPhylipFile(input.string(), false)
                        : ext == ".nex" ? ImportNexusFile(input.string(), false)
                                        : ImportYchFile(input.string());
  ASSERT_TRUE(imported) << testing::PrintToString(s.dialogs.texts());
  fs::path rdf = input;
  rdf.replace_extension(".rdf");

  Trdf_DataSet data;
  ASSERT_TRUE(LoadMJDataSet(data, rdf.string(), false, true, true))
      << testing::PrintToString(s.dialogs.texts());
  TMJCalculation calc(data, TMJOptions{});
  ASSERT_TRUE(calc.Calculate());
  EXPECT_GT(calc.Links().size(), 0u);
  EXPECT_GE(calc.SequenceCount(), 3);
}

INSTANTIATE_TEST_SUITE_P(
    SharedData, ImportedData,
    ::testing::Values("woodmouse_cytb.phy", "woodmouse_cytb.nex", "dolphin_dloop.phy",
                      "dolphin_dloop.nex", "h1n1_na_usa.phy", "ringe_ie_binary.phy",
                      "toy_dna_6x12.phy", "toy_binary_4x9.phy", "danes_ystr.ych",
                      "peru_ystr.ych"),
    [](const auto& info) {
      std::string name = info.param;
      for (char& c : name)
        if (c == '.') c = '_';
      return name;
    });
