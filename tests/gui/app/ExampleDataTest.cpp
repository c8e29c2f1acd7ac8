// The bundled example data set stays readable by the program and is written back unchanged.
#include "RDF_DataSet_Definition.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

namespace {

std::string examplePath() {
  return testpaths::testData("../../examples/example.rdf").lexically_normal().string();
}

TEST(ExampleData, ReadsAsNineTaxaOfTwentyCharacters) {
  ScriptedDialogsScope scripted;  // any message would fail the test
  Trdf_DataSet data;
  data.SetStateSets(rdf_states::NucleotideAllowed, rdf_states::NucleotideAmbiguous);
  bool error = false;
  ASSERT_TRUE(data.ReadRdfFile(examplePath(), error, true, "MJ", true));
  EXPECT_FALSE(error);
  EXPECT_EQ(data.TaxaCount(), 9);
  EXPECT_EQ(data.CharacterCount(), 20);
  EXPECT_EQ(data.Character(4).Weight, 20);
  // The fields say what they hold: the place under Geography (2), the year of sampling under
  // Group 1 (4); Phenotype (1) and Lineage (3) stay empty.
  for (int t = 1; t <= data.TaxaCount(); ++t) {
    const auto& info = data.Taxon(t).Info;
    EXPECT_EQ(info[0], "") << t;
    EXPECT_TRUE(info[1] == "North coast" || info[1] == "Inland valley" || info[1] == "Southern isles")
        << t << ": " << info[1];
    EXPECT_EQ(info[2], "") << t;
    EXPECT_TRUE(info[3].size() == 4 && info[3].rfind("20", 0) == 0) << t << ": " << info[3];
  }

  // H8 repeats H1: the one duplicate of the set.
  data.FindEquivalentTaxa();
  int duplicates = 0;
  for (int t = 1; t <= data.TaxaCount(); ++t) duplicates += data.Taxon(t).Representative != 0;
  EXPECT_EQ(duplicates, 1);
  EXPECT_EQ(data.Taxon(8).Representative, 1);
}

TEST(ExampleData, WritesBackByteForByte) {
  ScriptedDialogsScope scripted;
  Trdf_DataSet data;
  data.SetStateSets(rdf_states::NucleotideAllowed, rdf_states::NucleotideAmbiguous);
  bool error = false;
  ASSERT_TRUE(data.ReadRdfFile(examplePath(), error, false, "MJ", true));
  EXPECT_EQ(data.RdfText(true, true), testpaths::readFile(examplePath()));
}

}  // namespace
