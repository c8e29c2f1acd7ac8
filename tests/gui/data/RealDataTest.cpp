// The published data sets beside the repository, carried through the rdf format: what goes in must
// come out, and the equivalent-taxa count must match the data's own count of distinct sequences.

#include "RDF_DataSet_Definition.h"

#include "ScriptedDialogs.h"
#include "TestPaths.h"
#include "UHelp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

namespace {

// A FASTA file as a data set: characters named by their column number, weight 10.
Trdf_DataSet FromFasta(const std::string& text) {
  Trdf_DataSet set;
  for (const std::string& line : SplitTextLines(text)) {
    if (line.empty()) continue;
    if (line[0] == '>') {
      set.Taxa.emplace_back();
      set.Taxa.back().Name = line.substr(1);
    } else if (!set.Taxa.empty()) {
      set.Taxa.back().States += line;
    }
  }
  const std::size_t n = set.Taxa.empty() ? 0 : set.Taxa[0].States.size();
  for (std::size_t c = 1; c <= n; ++c) {
    set.Characters.emplace_back();
    set.Characters.back().Name = std::to_string(c);
  }
  return set;
}

int ActiveTaxa(const Trdf_DataSet& set) {
  int n = 0;
  for (const Trdf_Sequence& t : set.Taxa) n += t.Active;
  return n;
}

struct RealSet {
  const char* file;
  const char* kind;  // "nuc", "amino", "binary"
  int taxa, characters, distinct;
};

class RealDataTest : public testing::TestWithParam<RealSet> {};

TEST_P(RealDataTest, SurvivesTheRdfRoundTrip) {
  const RealSet& r = GetParam();
  const std::string rel = std::string("mj/") + r.file;
  SKIP_WITHOUT_SHARED_DATA(rel);
  const std::string_view kind = r.kind;
  const auto allowed = kind == "amino"    ? rdf_states::AminoAcidAllowed
                       : kind == "binary" ? rdf_states::BinaryAllowed
                                          : rdf_states::NucleotideAllowed;
  const auto ambiguous = kind == "amino"    ? rdf_states::AminoAcidAmbiguous
                         : kind == "binary" ? rdf_states::BinaryAmbiguous
                                            : rdf_states::NucleotideAmbiguous;

  Trdf_DataSet source = FromFasta(testpaths::readFile(testpaths::sharedData(rel)));
  // The rdf layout holds upper-case states, and amino-acid data code a missing state as 'X'.
  for (Trdf_Sequence& t : source.Taxa)
    for (char& c : t.States) {
      c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (kind == "amino" && c == '?') c = 'X';
    }
  ASSERT_EQ(source.TaxaCount(), r.taxa);
  ASSERT_EQ(source.CharacterCount(), r.characters);

  testpaths::TempDir dir;
  ScriptedDialogsScope s;
  ASSERT_TRUE(source.WriteRdfFile(dir.file("a.rdf"), true, true));
  Trdf_DataSet set;
  set.SetStateSets(allowed, ambiguous);
  bool error = true;
  ASSERT_TRUE(set.ReadRdfFile(dir.file("a.rdf"), error, true, "MJ", true))
      << (s.dialogs.messages().empty() ? "" : s.dialogs.messages().back());
  ASSERT_EQ(set.TaxaCount(), r.taxa);
  ASSERT_EQ(set.CharacterCount(), r.characters);
  for (int t = 1; t <= r.taxa; ++t) {
    std::string expected = source.Taxon(t).States;
    for (char& c : expected)
      if (c == '?') c = 'N';
    ASSERT_EQ(set.Taxon(t).States, expected) << set.Taxon(t).Name;
  }
  ASSERT_TRUE(set.WriteRdfFile(dir.file("b.rdf"), true, true));
  // Only the '?' states change (to 'N'); names here hold no '?'.
  std::string expected = testpaths::readFile(dir.file("a.rdf"));
  std::replace(expected.begin(), expected.end(), '?', 'N');
  EXPECT_EQ(testpaths::readFile(dir.file("b.rdf")), expected);

  set.FindEquivalentTaxa();
  EXPECT_EQ(ActiveTaxa(set), r.distinct);

  // Resolving ambiguity leaves no ambiguous state behind (amino acids are refused).
  if (kind != "amino") {
    set.ReplaceAmbiguousStates(true, true);
    for (const Trdf_Sequence& t : set.Taxa)
      for (char c : t.States) ASSERT_FALSE(set.AmbiguousStates.Contains(c)) << t.Name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Published, RealDataTest,
    testing::Values(RealSet{"dolphin_dloop.fasta", "nuc", 126, 402, 33},
                    RealSet{"woodmouse_cytb.fasta", "nuc", 15, 965, 15},
                    RealSet{"h1n1_na_usa.fasta", "nuc", 36, 1434, 31},
                    RealSet{"ovomucoid_aa.fasta", "amino", 89, 88, 89},
                    RealSet{"ringe_ie_binary.fasta", "binary", 24, 3015, 24}),
    [](const testing::TestParamInfo<RealSet>& info) {
      std::string name = info.param.file;
      return name.substr(0, name.find('_'));
    });

}  // namespace
