// A real network in the drawing window: the woodmouse cytochrome b data through median joining,
// laid out and rendered offscreen. With TARVANE_SCREENSHOT set to a path, the picture of the
// window is written there as PNG (that is how the picture of the documentation is made).

#include "Graphik_ProgrammForm.h"
#include "Median_joining.h"
#include "OutFile.h"
#include "RDF_DataSet_Definition.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"
#include "umwandl.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QPushButton>
#include <QTest>

#include <cstdlib>
#include <filesystem>

TEST(DrawWindowScreenshot, WoodmouseNetworkIsLaidOutAndReadable) {
  SKIP_WITHOUT_SHARED_DATA("mj/woodmouse_cytb.phy");
  testpaths::TempDir dir;
  // The import writes its .rdf beside the input, so it works on a copy.
  const std::string phy = dir.file("woodmouse.phy");
  std::filesystem::copy_file(testpaths::sharedData("mj/woodmouse_cytb.phy"), phy);
  ScriptedDialogsScope s;
  ASSERT_TRUE(ImportPhylipFile(phy, false));
  Trdf_DataSet data;
  ASSERT_TRUE(LoadMJDataSet(data, dir.file("woodmouse.rdf"), false, false, false));
  TMJCalculation calc(data, TMJOptions{});
  ASSERT_TRUE(calc.Calculate());
  const std::string out = dir.file("woodmouse.out");
  testpaths::writeFile(out, MJOutText(calc, dir.file("woodmouse.rdf")));

  auto* w = new TGraphik_Menue(nullptr, QSize(1280, 1024));
  w->setAttribute(Qt::WA_DeleteOnClose, false);
  s.dialogs.openFile(out);
  s.dialogs.answer(DialogAnswer::No);
  w->findChild<QAction*>("Open21")->trigger();
  QTRY_VERIFY_WITH_TIMEOUT(w->PlacementDone(), 120000);
  w->findChild<QPushButton*>("FinalizeButton")->click();
  for (const LinkType& l : w->Diagram()->Links) EXPECT_TRUE(l.Active);
  for (const TaxonType& t : w->Diagram()->Taxa) EXPECT_TRUE(t.Active) << t.Name;

  w->resize(1270, 940);
  w->show();
  QCoreApplication::processEvents();
  const QImage shot = w->grab().toImage();
  ASSERT_FALSE(shot.isNull());
  // Every node lies on the surface, away from its border.
  const TNetwork_Diagramm& d = *w->Diagram();
  for (const TaxonType& t : d.Taxa) {
    const double x = t.X + d.ImageOffsetX(), y = t.Y + d.ImageOffsetY();
    EXPECT_TRUE(x > 5 && y > 5 && x < w->Surface().width() - 5 && y < w->Surface().height() - 5)
        << t.Name << " at " << x << ", " << y;
  }
  if (const char* path = std::getenv("TARVANE_SCREENSHOT")) {
    EXPECT_TRUE(shot.save(path, "PNG"));
  }
  w->hide();
  delete w;
}
