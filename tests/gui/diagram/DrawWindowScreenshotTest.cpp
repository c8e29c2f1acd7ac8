// Real networks in the drawing window: the bundled example and shared data sets, through their
// import and median joining, laid out and rendered offscreen on the screens of a laptop and a
// desktop, must be readable: no node or name on top of another and nothing off the surface. With TARVANE_SCREENSHOT set to a path, the picture of
// the window with the dolphin network is written there as PNG (that is how the picture of the
// documentation is made).

#include "Graphik_ProgrammForm.h"
#include "LayoutQuality.h"
#include "Median_joining.h"
#include "OutFile.h"
#include "QtCanvas.h"
#include "RDF_DataSet_Definition.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"
#include "umwandl.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

namespace {

struct RealData {
  const char* file;  // in the shared data's mj folder, or the bundled example
  bool screenshot;
  QSize screen = QSize(1366, 768);
  bool tree = false;  // a tree: drawn without any crossing or link through a node
};

constexpr const char* kExample = "example.rdf";

class RealNetwork : public ::testing::TestWithParam<RealData> {};

}  // namespace

TEST_P(RealNetwork, IsLaidOutReadablyOnTheSurface) {
  const bool example = std::string(GetParam().file) == kExample;
  const std::string file = std::string("mj/") + GetParam().file;
  if (!example) SKIP_WITHOUT_SHARED_DATA(file);
  testpaths::TempDir dir;
  // The import writes its .rdf beside the input, so it works on a copy.
  const std::filesystem::path source =
      example ? testpaths::testData("../../examples/example.rdf").lexically_normal() : testpaths::sharedData(file);
  const std::string copy = dir.file(source.filename().string());
  std::filesystem::copy_file(source, copy);
  ScriptedDialogsScope s;
  const std::optional<TImportedFile> imported = ImportDataFile(copy, false);
  ASSERT_TRUE(imported.has_value());
  Trdf_DataSet data;
  ASSERT_TRUE(LoadMJDataSet(data, imported->RdfName, imported->AminoAcids, false, false));
  TMJOptions options;
  options.AminoAcids = imported->AminoAcids;
  TMJCalculation calc(data, options);
  ASSERT_TRUE(calc.Calculate());
  const std::string out = dir.file("network.out");
  testpaths::writeFile(out, MJOutText(calc, imported->RdfName));

  auto* w = new TGraphik_Menue(nullptr, GetParam().screen);
  w->setAttribute(Qt::WA_DeleteOnClose, false);
  w->show();
  QCoreApplication::processEvents();
  s.dialogs.openFile(out);
  s.dialogs.answer(DialogAnswer::No);
  w->findChild<QAction*>("Open21")->trigger();
  QTRY_VERIFY_WITH_TIMEOUT(w->PlacementDone(), 120000);
  w->findChild<QPushButton*>("FinalizeButton")->click();
  QCoreApplication::processEvents();
  TDrawNetwork_Diagramm& d = *w->Diagram();
  for (const LinkType& l : d.Links) EXPECT_TRUE(l.Active);
  // Every node that ends a link is placed (taxa equal to another one end none).
  std::set<std::string> ends;
  for (const LinkType& l : d.Links) ends.insert({l.Taxon1, l.Taxon2});
  for (const TaxonType& t : d.Taxa) EXPECT_EQ(t.Active, ends.contains(t.Name)) << t.Name;

  // The finished picture as the window shows it.
  const QImage& surface = w->Surface();
  EXPECT_GT(surface.width(), 777);
  const TLayoutQuality q = MeasureLayout(d, surface.width(), surface.height(), w->DisplayOptions());
  EXPECT_EQ(q.Overlaps, 0);
  EXPECT_EQ(q.Outside, 0);
  if (GetParam().tree) {
    EXPECT_EQ(q.Crossings, 0);
    EXPECT_EQ(q.Grazes, 0);
  }

  // The column of controls is wide enough for them.
  auto* column = w->findChild<QScrollArea*>(QStringLiteral("ControlsScrollArea"));
  ASSERT_NE(column, nullptr);
  EXPECT_FALSE(column->horizontalScrollBar()->isVisible());

  const QImage shot = w->grab().toImage();
  ASSERT_FALSE(shot.isNull());
  if (const char* path = std::getenv("TARVANE_SCREENSHOT"); path && GetParam().screenshot) {
    EXPECT_TRUE(shot.save(path, "PNG"));
  }
  w->hide();
  delete w;
}

INSTANTIATE_TEST_SUITE_P(SharedData, RealNetwork,
                         ::testing::Values(RealData{kExample, false, QSize(1366, 768), true},
                                           RealData{kExample, false, QSize(1920, 1080), true},
                                           RealData{"woodmouse_cytb.phy", false}, RealData{"dolphin_dloop.nex", true},
                                           RealData{"danes_ystr.ych", false}),
                         [](const auto& info) {
                           const std::string name = info.param.file;
                           return name.substr(0, name.find_first_of("_.")) + std::to_string(info.param.screen.width());
                         });
