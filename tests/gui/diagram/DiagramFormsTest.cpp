// The statistics and taxon-information windows: their lines for a fixture, the .sta export,
// closing, and the screen scaling they share.

#include "Dia_File.h"
#include "DiagramFormScaling.h"
#include "Graphik_Statistics.h"
#include "Graphik_StatisticsForm.h"
#include "Graphik_Taxon_infoForm.h"
#include "Graphik_WindowLogic.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"
#include "UHelp.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>

namespace {

TNetwork_Diagramm LoadNetwork() {
  ScriptedDialogsScope s;
  TNetwork_Diagramm d;
  EXPECT_TRUE(LoadOutFile(d, testpaths::testData("window/network.out").string()));
  ShowOriginalNetwork(d);
  return d;
}

std::vector<std::string> ExpectedStaLines() {
  return SplitTextLines(testpaths::readFile(testpaths::testData("window/network.sta")));
}

}  // namespace

TEST(StatisticsWindow, ShowsTheLinesOfTheFixtureAndExportsThem) {
  const TNetwork_Diagramm d = LoadNetwork();
  QWidget drawingWindow;
  TGraph_Stat stat(QSize(1024, 768));
  ScriptedDialogsScope s;
  stat.ShowStatistics(&d, &drawingWindow);
  EXPECT_FALSE(drawingWindow.isEnabled());
  EXPECT_TRUE(s.dialogs.messages().empty());

  const std::vector<std::string> expected = ExpectedStaLines();
  const std::vector<std::string> captions(expected.begin(), expected.begin() + 8);
  const std::vector<std::string> characters(expected.begin() + 10, expected.end());
  EXPECT_EQ(stat.ShownLines(), captions);
  EXPECT_EQ(stat.CharacterLines(), characters);

  testpaths::TempDir dir;
  s.dialogs.saveFile(dir.file("stats"));
  stat.findChild<QPushButton*>("ExportBtn")->click();
  EXPECT_EQ(s.dialogs.lastFileRequest()->filter, "Tarvane statistics (*.sta)|*.sta");
  EXPECT_EQ(testpaths::readFile(dir.file("stats.sta")),
            testpaths::readFile(testpaths::testData("window/network.sta")));
  EXPECT_EQ(s.dialogs.messages().back(), "Statistics have been saved successfully.");

  // A cancelled save writes nothing and says nothing.
  s.dialogs.saveFile(std::nullopt);
  stat.findChild<QPushButton*>("ExportBtn")->click();
  EXPECT_EQ(s.dialogs.messages().size(), 1u);

  stat.findChild<QPushButton*>("ExitBtn")->click();
  EXPECT_TRUE(drawingWindow.isEnabled());
  EXPECT_TRUE(stat.isHidden());
  EXPECT_EQ(stat.findChild<QListWidget*>("CharacterList")->count(), 0);
}

TEST(StatisticsWindow, WarnsAboutCutLinksAndFailedEstimates) {
  TNetwork_Diagramm d = LoadNetwork();
  d.LongEdges = 1;
  // A second torso square joined to the first by no torso link: the estimate cannot be made.
  for (const char* name : {"a", "b", "c"}) {
    TaxonType t;
    t.Name = t.Label = name;
    t.Active = true;
    d.Taxa.push_back(t);
  }
  for (auto [x, y] : {std::pair{"a", "b"}, {"b", "c"}, {"c", "a"}}) {
    LinkType l;
    l.Taxon1 = x;
    l.Taxon2 = y;
    l.InTorso = true;
    l.TorsoPart = 1;
    l.Active = true;
    l.Mutations.resize(1);
    l.Mutations[0].Character = l.Mutations[0].Name = std::string("z") + x;
    d.Links.push_back(l);
  }
  TGraph_Stat stat(QSize(1024, 768));
  ScriptedDialogsScope s;
  stat.ShowStatistics(&d, nullptr);
  EXPECT_EQ(s.dialogs.messages(),
            (std::vector<std::string>{StatisticsLongEdgesWarning(), "Can not calculate tree length"}));
  EXPECT_EQ(stat.ShownLines()[1], "Estimated number of mutations of shortest tree within the torso:    0");
}

TEST(TaxonInfoWindow, ShowsTheNodeAndStartsEmptyAfterClosing) {
  const TNetwork_Diagramm d = LoadNetwork();
  QWidget drawingWindow;
  TTax_info info(QSize(1024, 768));
  EXPECT_EQ(info.TaxInfoBox()->font().pixelSize(), 12);
  EXPECT_EQ(info.TaxInfoBox()->selectionMode(), QAbstractItemView::MultiSelection);
  info.ShowTaxon(d, 1, QPoint(30, 40), &drawingWindow);
  EXPECT_FALSE(drawingWindow.isEnabled());
  EXPECT_EQ(info.pos(), QPoint(30, 40));
  ASSERT_FALSE(info.Lines().empty());
  EXPECT_EQ(info.Lines().front(), "Information about taxon Alpha:");
  EXPECT_EQ(info.Lines().size(), 11u);

  info.close();
  EXPECT_TRUE(drawingWindow.isEnabled());
  EXPECT_TRUE(info.Lines().empty());
  info.ShowTaxon(d, 2, QPoint(0, 0), &drawingWindow);
  EXPECT_EQ(info.Lines(), (std::vector<std::string>{"Information about taxon Beta:",
                                                    "Total frequency:   1",
                                                    "_____________________________"}));
  info.close();
}

TEST(TaxonInfoWindow, OpensWhollyOnTheScreen) {
  // Beside a node low on a 768-pixel screen the 400-pixel window would end below the screen.
  const TNetwork_Diagramm d = LoadNetwork();
  TTax_info info(QSize(1366, 768));
  ASSERT_EQ(info.height(), 400);
  info.ShowTaxon(d, 1, QPoint(300, 429), nullptr);
  EXPECT_EQ(info.frameGeometry().left(), 300);
  EXPECT_LE(info.frameGeometry().bottom(), 767);
  info.close();
  // Near the right edge it moves left; where it fits it stays where it was asked to be.
  info.ShowTaxon(d, 1, QPoint(1300, 10), nullptr);
  EXPECT_LE(info.frameGeometry().right(), 1365);
  EXPECT_EQ(info.frameGeometry().top(), 10);
  info.close();
}

TEST(ScreenPlacement, AWindowIsMovedOnlyAsFarAsItMustToStayOnTheScreen) {
  struct Case {
    QPoint wanted;
    QSize size;
    QPoint expected;
  };
  const QRect screen(0, 0, 1366, 768);
  for (const Case& c : {Case{{300, 429}, {320, 400}, {300, 368}}, Case{{10, 20}, {320, 400}, {10, 20}},
                        Case{{1200, 700}, {320, 400}, {1046, 368}}, Case{{-50, -5}, {320, 400}, {0, 0}},
                        Case{{100, 100}, {2000, 900}, {0, 0}}}) {
    EXPECT_EQ(PlaceInside(c.wanted, c.size, screen), c.expected) << c.wanted.x() << "," << c.wanted.y();
  }
  // The free area of a screen starts where it does.
  EXPECT_EQ(PlaceInside({0, 0}, {100, 100}, QRect(0, 30, 1366, 738)), QPoint(0, 30));
}

TEST(DiagramDialogScaling, DesignScreenKeepsTheSizeOthersFollowTheScreen) {
  struct Case {
    QSize screen;
    QSize client;
    double factor;
  };
  for (const Case& c : {Case{{1024, 768}, {560, 480}, 1.0}, Case{{1280, 1024}, {700, 640}, 1.25},
                        Case{{800, 600}, {437, 375}, 600.0 / 768}}) {
    QWidget form;
    const QFont font = form.font();
    const ScreenScaling s = ScaleDiagramForm(form, QSize(560, 480), c.screen);
    EXPECT_EQ(form.size(), c.client);
    EXPECT_DOUBLE_EQ(s.factor, c.factor);
    EXPECT_TRUE(form.property("scaled").toBool());
    if (font.pointSizeF() > 0) {
      EXPECT_NEAR(form.font().pointSizeF(), font.pointSizeF() * c.factor, 1e-6);
    }
  }
  // The two windows use the rule with their own design sizes.
  EXPECT_EQ(TGraph_Stat(QSize(1280, 1024)).size(), QSize(700, 640));
  EXPECT_EQ(TTax_info(QSize(1280, 1024)).size(), QSize(400, 533));
}
