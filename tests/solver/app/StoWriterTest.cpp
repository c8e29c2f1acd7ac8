#include "StoWriter.h"

#include "OutReader.h"
#include "LogCapture.h"

#include <gtest/gtest.h>

using tesmo::IntArray;

namespace {

// The star fixture: vertices 1 "1", 2 "mv1", 3 "2", 4 "3"; links 1-3 join mv1 to the taxa,
// link 4 joins taxa 1 and 2 directly.
class StoWriterTest : public ::testing::Test {
protected:
  void SetUp() override {
    tesmo::readOutFile(outPath, graph, names);
    labels = std::move(graph.ID);
    graph.ID.clear();
  }
  IntArray arcs(std::initializer_list<std::pair<int, int>> ends) const {
    IntArray list(1, 0);
    for (auto [t, h] : ends) list.push_back(graph.findArc(t, h));
    list[0] = static_cast<int>(ends.size());
    return list;
  }
  std::string network() const { return "Section Network\n" + testpaths::readFile(outPath) + "End\n\nEOF\n"; }

  tesmotest::LogCapture capture{0};
  std::string outPath = testpaths::testData("solver/star.out").string();
  std::string stoPath = capture.dir().file("r.sto");
  tesmo::Graph graph;
  tesmo::NameSpace names{9, 100, false};
  IntArray labels;
};

TEST_F(StoWriterTest, ProgramOneWritesOneTreeThenTheNetwork) {
  tesmo::StoWriter writer(graph, labels, names);
  ASSERT_TRUE(writer.writeTree(stoPath, outPath, '1', 3, arcs({{2, 1}, {3, 2}, {2, 4}})));
  EXPECT_EQ(testpaths::readFile(stoPath),
            "STO File, Tarvane package, Format Version 1.0\n\n"
            "Section Subnetworks\nNumber 1\nCost 3\n"
            "Comment 'A not necessarily optimal tree from ASCEND-AND-PRUNE'\nEnd\n\n"
            "Section Sub 1\nTree-Edges 3\n"
            "Link\t1\t1\tmv1\nLink\t2\tmv1\t2\nLink\t3\t3\tmv1\nEnd\n\n" +
                network());
}

TEST_F(StoWriterTest, ProgramTwoNamesItsTreeOptimal) {
  tesmo::StoWriter writer(graph, labels, names);
  ASSERT_TRUE(writer.writeTree(stoPath, outPath, '2', 4000000000LL, arcs({{1, 3}})));
  EXPECT_EQ(testpaths::readFile(stoPath),
            "STO File, Tarvane package, Format Version 1.0\n\n"
            "Section Subnetworks\nNumber 1\nCost 4000000000\nComment 'Optimal tree'\nEnd\n\n"
            "Section Sub 1\nTree-Edges 1\nLink\t4\t2\t1\nEnd\n\n" +
                network());
}

TEST_F(StoWriterTest, ProgramsThreeAndFourWriteTheNetworkOfOptimalTrees) {
  tesmo::StoWriter writer(graph, labels, names);
  const IntArray net = arcs({{1, 2}, {3, 2}, {4, 2}, {1, 3}});
  const IntArray trees = arcs({{1, 2}, {3, 2}, {4, 2}, {1, 3}, {4, 2}});
  // store: tree 1 = first three arcs, tree 2 = the last two.
  const IntArray store = {0, trees[1], trees[2], trees[3], 0, trees[4], trees[5], 0};
  const IntArray starts = {0, 1, 5};
  const std::string mpNetwork = "Section MP-Network\nMP-Edges 4\nLink\t1\tmv1\t1\nLink\t2\tmv1\t2\n"
                                "Link\t3\tmv1\t3\nLink\t4\t2\t1\nEnd\n\n";
  ASSERT_TRUE(writer.writeNetwork(stoPath, outPath, '3', net, 3, store, starts, 2));
  EXPECT_EQ(testpaths::readFile(stoPath), "STO File, Tarvane package, Format Version 1.0\n\n" + mpNetwork + network());

  ASSERT_TRUE(writer.writeNetwork(stoPath, outPath, '4', net, 3, store, starts, 2));
  EXPECT_EQ(testpaths::readFile(stoPath),
            "STO File, Tarvane package, Format Version 1.0\n\n" + mpNetwork +
                "Section Subnetworks\nNumber 2\nCost 3\nCommand 'Optimal tree'\nEnd\n\n"
                "Section Sub 1\nTree-Edges 3\nLink\t1\tmv1\t1\nLink\t2\tmv1\t2\nLink\t3\tmv1\t3\nEnd\n\n"
                "Section Sub 2\nTree-Edges 2\nLink\t4\t2\t1\nLink\t3\tmv1\t3\nEnd\n\n" +
                network());

  ASSERT_TRUE(writer.writeNetwork(stoPath, outPath, '4', net, 3, store, starts, 0));
  EXPECT_EQ(testpaths::readFile(stoPath),
            "STO File, Tarvane package, Format Version 1.0\n\n" + mpNetwork +
                "Section Subnetworks\nNumber 1\nCost 3\nCommand 'Optimal tree'\nEnd\n\n" + network());
}

TEST_F(StoWriterTest, TheNetworkIsCopiedByteForByte) {
  const std::string bytes = "Final links : \r\nLink \x01\xff" "without end";
  const std::string odd = capture.dir().file("odd.out");
  testpaths::writeFile(odd, bytes);
  tesmo::StoWriter writer(graph, labels, names);
  ASSERT_TRUE(writer.writeTree(stoPath, odd, '1', 0, IntArray{0}));
  const std::string sto = testpaths::readFile(stoPath);
  EXPECT_EQ(sto.substr(sto.find("Section Network\n")), "Section Network\n" + bytes + "End\n\nEOF\n");
  // A missing network copies nothing.
  ASSERT_TRUE(writer.writeTree(stoPath, odd + ".none", '1', 0, IntArray{0}));
  EXPECT_NE(testpaths::readFile(stoPath).find("Section Network\nEnd\n\nEOF\n"), std::string::npos);
}

TEST_F(StoWriterTest, AnUnwritablePathFails) {
  tesmo::StoWriter writer(graph, labels, names);
  EXPECT_FALSE(writer.writeTree(capture.dir().file("no/such/dir/r.sto"), outPath, '1', 0, IntArray{0}));
  EXPECT_FALSE(writer.writeTree(capture.dir().path().string(), outPath, '1', 0, IntArray{0}));
  if (std::filesystem::exists("/dev/full")) {
    EXPECT_FALSE(writer.writeTree("/dev/full", outPath, '1', 0, IntArray{0}));
  }
}

TEST_F(StoWriterTest, AnArcOutsideTheNameTableFailsTheCheck) {
  names = tesmo::NameSpace(9, 100, false);
  names.add("1");
  tesmo::StoWriter writer(graph, labels, names);
  EXPECT_EXIT(writer.writeTree(stoPath, outPath, '1', 0, arcs({{2, 1}})), ::testing::ExitedWithCode(1), "");
  EXPECT_EQ(capture.text().rfind("Warning: (i<1 || i>count) in file 'Tesmo' line ", 0), 0u);
}

}  // namespace
