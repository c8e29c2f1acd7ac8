// The mismatch histogram, its chart and the reading of .rdf, .tor and .ych files for it.
#include "Mismatch.h"
#include "MismatchForm.h"
#include "RecordingCanvas.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

struct TaxonRow {
  const char* states;
  int frequency;
  bool active = true;
};

Trdf_DataSet MakeData(std::initializer_list<TaxonRow> rows, std::vector<bool> activeCharacters) {
  Trdf_DataSet d;
  int i = 0;
  for (const TaxonRow& r : rows) {
    Trdf_Sequence t;
    t.Name = "T" + std::to_string(++i);
    t.States = r.states;
    t.Frequency = r.frequency;
    t.Active = r.active ? 1 : 0;
    d.Taxa.push_back(t);
  }
  for (bool active : activeCharacters) {
    Trdf_Character c;
    c.Name = "c";
    c.Active = active ? 1 : 0;
    d.Characters.push_back(c);
  }
  return d;
}

struct HistogramCase {
  const char* name;
  Trdf_DataSet data;
  std::vector<std::int64_t> counts;
  double mean;
};

class MismatchHistogram : public ::testing::TestWithParam<HistogramCase> {};

TEST_P(MismatchHistogram, CountsPairsByDifferences) {
  const HistogramCase& c = GetParam();
  const TMismatchHistogram h = ComputeMismatch(c.data);
  EXPECT_EQ(h.Counts, c.counts);
  EXPECT_EQ(h.MaxK, static_cast<int>(c.counts.size()) - 1);
  EXPECT_EQ(h.MaxCount, *std::max_element(c.counts.begin(), c.counts.end()));
  EXPECT_DOUBLE_EQ(h.Mean(), c.mean);
}

const std::vector<bool> kFive(5, true);

INSTANTIATE_TEST_SUITE_P(
    Cases, MismatchHistogram,
    ::testing::Values(
        // A (2), A' (1) identical, B (1) three differences away: 1 + 2 pairs at 0, 2 + 1 at 3.
        HistogramCase{"handChecked", MakeData({{"ACGTA", 2}, {"ACGTA", 1}, {"TGCTA", 1}}, kFive),
                      {3, 0, 0, 3}, 1.5},
        // A switched-off taxon takes part in no pair, not even within itself.
        HistogramCase{"inactiveTaxon",
                      MakeData({{"ACGTA", 2}, {"ACGTA", 1}, {"TGCTA", 1}, {"TTTTT", 3, false}},
                               kFive),
                      {3, 0, 0, 3}, 1.5},
        // The differences in an inactive character are not counted.
        HistogramCase{"inactiveCharacter",
                      MakeData({{"ACGTA", 2}, {"ACGTA", 1}, {"TGCTA", 1}},
                               {false, true, true, true, true}),
                      {3, 0, 3}, 1.0},
        // Ambiguity codes are plain states here: N against A is a difference.
        HistogramCase{"ambiguousStatesDiffer", MakeData({{"NA?", 1}, {"AA-", 1}}, {true, true, true}),
                      {0, 0, 1}, 2.0},
        // Frequencies of 0 and 1 alone give no pair at all, though the classes reach the
        // largest difference seen.
        HistogramCase{"noPairs", MakeData({{"AC", 0}, {"GT", 1}}, {true, true}), {0, 0, 0}, 0.0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MismatchHistogramLimits, PairsBeyondAThousandDifferencesKeepTheirClass) {
  const std::string a(1200, 'A'), b(1200, 'C');
  Trdf_DataSet d = MakeData({{a.c_str(), 1}, {b.c_str(), 2}}, std::vector<bool>(1200, true));
  const TMismatchHistogram h = ComputeMismatch(d);
  EXPECT_EQ(h.MaxK, 1200);
  EXPECT_EQ(h.Counts[1200], 2);
  EXPECT_EQ(h.Counts[0], 1);
  EXPECT_EQ(h.Total(), 3);
}

TEST(MismatchHistogramLimits, ShortStateStringsCountAsDifferences) {
  Trdf_DataSet d = MakeData({{"AC", 1}, {"A", 1}}, {true, true});
  EXPECT_EQ(ComputeMismatch(d).Counts, (std::vector<std::int64_t>{0, 1}));
}

TEST(MismatchMean, CaptionHasThreeDecimalsInEightCharacters) {
  EXPECT_EQ(MeanCaption(1.5), "Unweighted mean pairwise difference:    1.500");
  EXPECT_EQ(MeanCaption(2.0 / 3), "Unweighted mean pairwise difference:    0.667");
}

// ---- Chart geometry ----------------------------------------------------------------------------

TEST(MismatchChart, HandCheckedGeometry) {
  TMismatchHistogram h;
  h.Counts = {3, 0, 0, 3};
  h.MaxK = 3;
  h.MaxCount = 3;
  TRecordingCanvas canvas;
  DrawMismatchChart(canvas, 800, 600, h);

  const auto lines = canvas.Of(TRecordingCanvas::Kind::Line);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0].coords, (std::vector<int>{70, 60, 70, 540}));
  EXPECT_EQ(lines[1].coords, (std::vector<int>{70, 540, 630, 540}));
  EXPECT_EQ(lines[0].pen.Width, 2);

  // step = round(560 / 4) = 140, x0 = 140; scale = 480 / 3.3, a count of 3 is 436 pixels high.
  const auto boxes = canvas.Of(TRecordingCanvas::Kind::Rectangle);
  std::vector<std::vector<int>> bars;
  for (const auto& b : boxes)
    if (b.brush.Color == clBlack) bars.push_back(b.coords);
  ASSERT_EQ(bars.size(), 4u);
  EXPECT_EQ(bars[0], (std::vector<int>{98, 104, 182, 540}));
  EXPECT_EQ(bars[1], (std::vector<int>{238, 540, 322, 540}));
  EXPECT_EQ(bars[3], (std::vector<int>{518, 104, 602, 540}));

  std::map<std::string, std::vector<int>> texts;
  // The first text of each kind: the tick labels come before the bar counts.
  for (const auto& t : canvas.Of(TRecordingCanvas::Kind::Text)) texts.emplace(t.text, t.coords);
  EXPECT_EQ(texts["0"], (std::vector<int>{137, 555}));
  EXPECT_EQ(texts["Pairwise"], (std::vector<int>{650, 540}));
  EXPECT_EQ(texts["differences"], (std::vector<int>{650, 555}));
  EXPECT_EQ(texts["Relative frequency"], (std::vector<int>{1, 10}));
  // Tick 10 of the y axis: 10 x 0.3 / 6 = 0.5 at the height of the tallest bar.
  EXPECT_EQ(texts["0.50000"], (std::vector<int>{7, 600 - 436 - 63}));
  EXPECT_EQ(texts.count("0.55000"), 1u);
  EXPECT_EQ(texts["3"].size(), 2u);
}

TEST(MismatchChart, WithoutPairsOnlyTheBackgroundIsPainted) {
  TRecordingCanvas canvas;
  DrawMismatchChart(canvas, 800, 600, TMismatchHistogram{});
  ASSERT_EQ(canvas.calls.size(), 1u);
  EXPECT_EQ(canvas.calls[0].coords, (std::vector<int>{0, 0, 800, 600}));
}

TEST(MismatchChart, ManyClassesKeepAStepOfAtLeastOnePixel) {
  TMismatchHistogram h;
  h.Counts.assign(1201, 0);
  h.Counts[1200] = 1;
  h.MaxK = 1200;
  h.MaxCount = 1;
  TRecordingCanvas canvas;
  DrawMismatchChart(canvas, 800, 600, h);
  std::vector<int> lastBar;
  for (const auto& b : canvas.Of(TRecordingCanvas::Kind::Rectangle))
    if (b.brush.Color == clBlack) lastBar = b.coords;
  ASSERT_EQ(lastBar.size(), 4u);
  EXPECT_GT(lastBar[0], 1000);  // bar 1200 stands apart from bar 0
}

// ---- Reading data files --------------------------------------------------------------------------

TEST(MismatchData, ReadsAnRdfFileAndRemovesBlanks) {
  ScriptedDialogsScope s;
  Trdf_DataSet d;
  std::string rdf;
  ASSERT_TRUE(LoadMismatchData(testpaths::testData("charts/mismatch.rdf").string(), d, rdf));
  EXPECT_EQ(rdf, testpaths::testData("charts/mismatch.rdf").string());
  EXPECT_EQ(d.TaxaCount(), 4);
  EXPECT_EQ(d.CharacterCount(), 5);
  // All four taxa: 6 pairs at 0, 6 at 3 and 9 at 4 differences.
  EXPECT_EQ(ComputeMismatch(d).Counts, (std::vector<std::int64_t>{6, 0, 0, 6, 9}));
}

TEST(MismatchData, TorFileIsTranslatedBesideItself) {
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  const std::string tor = dir.file("sites.TOR");
  std::filesystem::copy_file(testpaths::testData("charts/sites.tor"), tor);
  const std::string original = testpaths::readFile(tor);
  Trdf_DataSet d;
  std::string rdf;
  ASSERT_TRUE(LoadMismatchData(tor, d, rdf));
  EXPECT_EQ(rdf, dir.file("sites.rdf"));
  EXPECT_TRUE(std::filesystem::exists(rdf));
  EXPECT_EQ(testpaths::readFile(tor), original);
  ASSERT_EQ(d.TaxaCount(), 3);
  // 1100 (2), 0?11, ?000: '?' is a plain state here.
  EXPECT_EQ(ComputeMismatch(d).Counts, (std::vector<std::int64_t>{1, 0, 2, 0, 3}));
}

TEST(MismatchData, YchFileIsTranslatedAndRead) {
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  const std::string ych = dir.file("thresholds.ych");
  std::filesystem::copy_file(testpaths::testData("charts/thresholds.ych"), ych);
  Trdf_DataSet d;
  std::string rdf;
  const bool read = LoadMismatchData(ych, d, rdf);
  // The import may warn about the odd repeat values of this table; it still yields a data set.
  ASSERT_TRUE(read);
  EXPECT_EQ(rdf, dir.file("thresholds.rdf"));
  EXPECT_GT(d.TaxaCount(), 0);
  EXPECT_GT(d.CharacterCount(), 0);
}

TEST(MismatchData, MissingFileFailsWithAMessageAndAnEmptySet) {
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  Trdf_DataSet d;
  std::string rdf;
  EXPECT_FALSE(LoadMismatchData(dir.file("none.rdf"), d, rdf));
  EXPECT_EQ(d.TaxaCount(), 0);
  EXPECT_FALSE(s.dialogs.messages().empty());
}

TEST(MismatchData, FailedImportReadsNoStaleRdf) {
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  // A stale .rdf beside a .tor that does not exist must not be read in its place.
  std::filesystem::copy_file(testpaths::testData("charts/mismatch.rdf"), dir.file("gone.rdf"));
  s.dialogs.answer(DialogAnswer::Yes);  // overwrite the existing .rdf
  Trdf_DataSet d;
  std::string rdf;
  EXPECT_FALSE(LoadMismatchData(dir.file("gone.tor"), d, rdf));
  EXPECT_EQ(d.TaxaCount(), 0);
}

TEST(MismatchData, DecliningTheOverwriteReadsTheExistingRdf) {
  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  std::filesystem::copy_file(testpaths::testData("charts/sites.tor"), dir.file("sites.tor"));
  std::filesystem::copy_file(testpaths::testData("charts/mismatch.rdf"), dir.file("sites.rdf"));
  s.dialogs.answer(DialogAnswer::No);
  Trdf_DataSet d;
  std::string rdf;
  ASSERT_TRUE(LoadMismatchData(dir.file("sites.tor"), d, rdf));
  EXPECT_EQ(d.TaxaCount(), 4);  // the kept file, untouched
  EXPECT_EQ(testpaths::readFile(dir.file("sites.rdf")),
            testpaths::readFile(testpaths::testData("charts/mismatch.rdf")));
}

}  // namespace
