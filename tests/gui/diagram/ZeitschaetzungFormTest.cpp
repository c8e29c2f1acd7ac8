// The time-estimation window driven offscreen on tests/data/charts/rho.dia:
//
//            A (1)              400,100
//     1 mut /     \ 2 mut
//       mv 1 (0)   C (2)        300,200 and 500,200
//   1 mut /  \ 3    | 2
//     B (1)   D (1)-+           250,320 and 400,320
//
// Links 1 A-mv1, 2 mv1-B, 3 A-C, 4 mv1-D, 5 C-D; Steiner trees {1,2,3,4} and {1,2,3,5}.
#include "Dia_File.h"
#include "FdiFile.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"
#include "ZeitschaetzungForm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

constexpr QPoint kA{400, 100}, kMv{300, 200}, kB{250, 320}, kC{500, 200}, kD{400, 320};

template <class T> T* Child(QWidget& w, const char* name) {
  T* c = w.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(c, nullptr) << name;
  return c;
}

std::uint32_t Le32(const std::string& bytes, std::size_t at) {
  std::uint32_t v = 0;
  std::memcpy(&v, bytes.data() + at, 4);
  return v;
}

class TimeWindow : public ::testing::Test {
protected:
  void SetUp() override {
    window = new TTime_estimate(nullptr, QSize(1024, 768));
    window->show();  // lays the controls out, so clicks land on them
  }
  void TearDown() override { delete window.data(); }

  std::string Copy(const char* fixture) {
    const std::string path = dir.file(std::filesystem::path(fixture).filename().string());
    if (!std::filesystem::exists(path)) std::filesystem::copy_file(testpaths::testData(fixture), path);
    return path;
  }
  void OpenFile(const std::string& path) {
    s.dialogs.openFile(path);
    Child<QAction>(*window, "Open1")->trigger();
  }
  void Click(const char* button) {
    QPushButton* b = Child<QPushButton>(*window, button);
    ASSERT_NE(b, nullptr);
    ASSERT_TRUE(b->isEnabled()) << button;
    QCoreApplication::processEvents();  // lays out controls that were just shown
    QTest::mouseClick(b, Qt::LeftButton);
  }
  void ClickImage(QPoint p) {
    QTest::mouseClick(Child<QWidget>(*window, "Image1"), Qt::LeftButton, {}, p);
  }
  QString Text(const char* edit) { return Child<QLineEdit>(*window, edit)->text(); }
  bool Hidden(const char* name) { return Child<QWidget>(*window, name)->isHidden(); }
  TColor PieColor(int node) { return window->Diagram()->Taxa[node - 1].Pies.at(0).PieColor; }
  const LinkType& Link(int link) { return window->Diagram()->Links[link - 1]; }

  // Opens rho.dia and chooses A as the ancestor and B, C and D as descendants.
  void ChooseBranches() {
    OpenFile(Copy("charts/rho.dia"));
    Click("AncestralSpecificationButton");
    ClickImage(kA);
    Click("DescendantSpecificationButton");
    for (QPoint p : {kB, kC, kD}) ClickImage(p);
  }

  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  QPointer<TTime_estimate> window;
};

TEST_F(TimeWindow, StartsEmptyWithOnlyTheMenu) {
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Time estimates"));
  for (const char* box : {"StepsBox", "DisplayParameters", "Results", "ZoomGroup",
                          "NavigationGroup", "SteinerParameters"})
    EXPECT_TRUE(Hidden(box)) << box;
  EXPECT_FALSE(Child<QAction>(*window, "Print1")->isEnabled());
  EXPECT_EQ(Child<QSpinBox>(*window, "MutationRateSpin")->value(), 20180);
  EXPECT_EQ(window->Surface().size(), QSize(740, 553));
  // Without a chosen file, cancelling the dialog does nothing.
  s.dialogs.openFile(std::nullopt);
  Child<QAction>(*window, "Open1")->trigger();
  EXPECT_EQ(window->Diagram(), nullptr);
}

TEST_F(TimeWindow, OpeningPresetsStylesAndShowsStepOne) {
  OpenFile(Copy("charts/rho.dia"));
  EXPECT_EQ(s.dialogs.lastFileRequest()->filter,
            "Unformatted Tarvane diagrams (*.dia)|*.dia|Formatted Tarvane diagrams (*.fdi)|*.fdi");
  ASSERT_NE(window->Diagram(), nullptr);
  EXPECT_EQ(window->Diagram()->NodeCount(), 5);
  for (const LinkType& l : window->Diagram()->Links) {
    EXPECT_EQ(l.LineColor, 0x808080);
    EXPECT_EQ(l.LineWidth, 1);
  }
  EXPECT_EQ(PieColor(1), clYellow);
  EXPECT_EQ(PieColor(2), clRed);  // the median vector
  for (const char* check : {"NodeNames", "Medianvectors", "NodesProportional", "MutatedPositions"})
    EXPECT_TRUE(Child<QCheckBox>(*window, check)->isChecked()) << check;
  EXPECT_FALSE(Child<QCheckBox>(*window, "OnlyTorso")->isChecked());
  EXPECT_FALSE(Hidden("StepsBox"));
  EXPECT_FALSE(Hidden("AncestralSpecificationButton"));
  EXPECT_TRUE(Hidden("DescendantSpecificationButton"));
  EXPECT_TRUE(Hidden("TimeCalculationButton"));
  EXPECT_TRUE(Hidden("ResetButton"));
  EXPECT_FALSE(Hidden("SteinerParameters"));
  EXPECT_TRUE(Child<QRadioButton>(*window, "RadioCompleteNetwork")->isChecked());
  EXPECT_TRUE(Child<QAction>(*window, "Saveas1")->isEnabled());
  EXPECT_EQ(Child<QWidget>(*window, "Image1")->toolTip(),
            QStringLiteral("Click button before selecting nodes"));
  EXPECT_EQ(Child<QSpinBox>(*window, "TaxCircMaxSizeSpin")->value(), 15);
  // The diagram was painted: the surface is no longer all white.
  EXPECT_NE(window->Surface().pixel(kA), qRgb(255, 255, 255));
  EXPECT_TRUE(s.dialogs.messages().empty());
}

TEST_F(TimeWindow, ClicksBeforeAStepButtonChooseNothing) {
  OpenFile(Copy("charts/rho.dia"));
  ClickImage(kA);
  EXPECT_EQ(window->Selection().Ancestor(), 0);
}

TEST_F(TimeWindow, CalculatesRhoSigmaAndYears) {
  ChooseBranches();
  EXPECT_EQ(window->Selection().Ancestor(), 1);
  EXPECT_EQ(PieColor(1), clBlue);
  EXPECT_EQ(PieColor(3), 0x008000);
  EXPECT_FALSE(Hidden("TimeCalculationButton"));
  EXPECT_EQ(window->Mode(), TTime_estimate::ClickMode::Descendants);

  Click("TimeCalculationButton");
  EXPECT_EQ(Text("RhoEdit"), QStringLiteral("2"));
  EXPECT_EQ(Text("AgeEdit"), QStringLiteral("40360 years"));
  EXPECT_EQ(Text("SigmaEdit"), QStringLiteral("0.8"));
  EXPECT_EQ(Text("SigmaYearsEdit"), QStringLiteral("16144 years"));
  EXPECT_FALSE(Hidden("Results"));
  EXPECT_TRUE(Hidden("DisplayParameters"));
  EXPECT_FALSE(Child<QPushButton>(*window, "AncestralSpecificationButton")->isEnabled());
  for (int link : {1, 2, 3, 4}) {
    EXPECT_EQ(Link(link).LineWidth, 3) << link;
    EXPECT_EQ(Link(link).LineColor, clBlue) << link;
  }
  EXPECT_EQ(Link(5).LineWidth, 1);

  Child<QSpinBox>(*window, "MutationRateSpin")->setValue(10000);
  EXPECT_EQ(Text("AgeEdit"), QStringLiteral("20000 years"));
  EXPECT_EQ(Text("SigmaYearsEdit"), QStringLiteral("8000 years"));

  Click("OKButton");
  EXPECT_TRUE(Hidden("Results"));
  EXPECT_FALSE(Hidden("DisplayParameters"));
  EXPECT_EQ(Link(1).LineWidth, 1);
  EXPECT_EQ(Link(1).LineColor, 0x808080);
  EXPECT_TRUE(Child<QPushButton>(*window, "TimeCalculationButton")->isEnabled());
}

TEST_F(TimeWindow, ClickingAChosenDescendantAgainRemovesIt) {
  ChooseBranches();
  ClickImage(kC);
  EXPECT_FALSE(window->Selection().Contains(4));
  EXPECT_EQ(PieColor(4), clYellow);
  // A median vector chosen and dropped gets its red back.
  ClickImage(kMv);
  EXPECT_EQ(PieColor(2), 0x008000);
  ClickImage(kMv);
  EXPECT_EQ(PieColor(2), clRed);
  // The ancestor cannot be its own descendant.
  ClickImage(kA);
  EXPECT_FALSE(window->Selection().Contains(1));
  EXPECT_EQ(PieColor(1), clBlue);
}

TEST_F(TimeWindow, ChoosingAnotherAncestorResetsTheDescendants) {
  ChooseBranches();
  Click("AncestralSpecificationButton");
  ASSERT_EQ(s.dialogs.messages().size(), 1u);
  EXPECT_EQ(s.dialogs.messages()[0],
            "You have already chosen descendent nodes. They will be reset by choosing a different "
            "ancestral node.");
  EXPECT_TRUE(window->Selection().Descendants().empty());
  EXPECT_EQ(PieColor(3), clYellow);
  EXPECT_EQ(window->Mode(), TTime_estimate::ClickMode::Ancestor);
  ClickImage(kC);
  EXPECT_EQ(window->Selection().Ancestor(), 4);
  EXPECT_EQ(PieColor(1), clYellow);
}

TEST_F(TimeWindow, ShortestTreesLimitThePaths) {
  OpenFile(Copy("charts/rho.dia"));
  auto* tree = Child<QRadioButton>(*window, "RadioSteinerTree");
  ASSERT_FALSE(tree->isHidden());
  QCoreApplication::processEvents();
  // On the indicator: a radio button reacts to its indicator and caption only.
  QTest::mouseClick(tree, Qt::LeftButton, {}, QPoint(6, tree->height() / 2));
  ASSERT_TRUE(tree->isChecked());
  EXPECT_FALSE(Hidden("NextTreeButton"));
  EXPECT_TRUE(Hidden("PreviousTreeButton"));
  EXPECT_FALSE(Link(5).Active);
  Click("NextTreeButton");
  EXPECT_EQ(window->CurrentTree(), 2);
  EXPECT_TRUE(Hidden("NextTreeButton"));
  EXPECT_FALSE(Hidden("PreviousTreeButton"));
  EXPECT_FALSE(Link(4).Active);

  // In tree 2 D hangs on C: 4 mutations over links 3 and 5, each carrying D alone.
  Click("AncestralSpecificationButton");
  ClickImage(kA);
  Click("DescendantSpecificationButton");
  ClickImage(kD);
  Click("TimeCalculationButton");
  EXPECT_EQ(Text("RhoEdit"), QStringLiteral("2"));
  EXPECT_EQ(Text("SigmaEdit"), QStringLiteral("1"));
  EXPECT_EQ(Link(5).LineWidth, 3);
  EXPECT_EQ(Link(1).LineWidth, 1);
}

TEST_F(TimeWindow, ZoomAndNavigationMoveThePicture) {
  OpenFile(Copy("charts/rho.dia"));
  const TIntPoint start = window->Diagram()->ImageCenter;
  Click("RightButton");
  EXPECT_EQ(window->Diagram()->ImageCenter.X, start.X + 30);
  Child<QSpinBox>(*window, "ShiftInterval")->setValue(10);
  Click("UpButton");
  EXPECT_EQ(window->Diagram()->ImageCenter.Y, start.Y - 10);
  const double before = window->Diagram()->Taxa[2].X;
  Click("Zoom_groesser");
  EXPECT_NE(window->Diagram()->Taxa[2].X, before);
}

TEST_F(TimeWindow, FdiFileBringsItsDisplayOptions) {
  TNetwork_Diagramm d;
  ASSERT_TRUE(LoadDiaFile(d, Copy("charts/rho.dia")));
  TDrawOptions o;
  o.ShowNodeNames = false;
  o.NodesProportional = false;
  o.ShowCharacters = false;
  o.ShowOnlyTorso = true;
  const std::string fdi = dir.file("rho.fdi");
  ASSERT_TRUE(WriteFdiFile(d, fdi, o));
  OpenFile(fdi);
  ASSERT_NE(window->Diagram(), nullptr);
  EXPECT_EQ(window->Diagram()->NodeCount(), 5);
  EXPECT_FALSE(Child<QCheckBox>(*window, "NodeNames")->isChecked());
  EXPECT_FALSE(Child<QCheckBox>(*window, "NodesProportional")->isChecked());
  EXPECT_TRUE(Child<QCheckBox>(*window, "OnlyTorso")->isChecked());
  EXPECT_TRUE(Child<QCheckBox>(*window, "Medianvectors")->isChecked());
}

TEST_F(TimeWindow, UnreadableFileLeavesTheWindowEmpty) {
  OpenFile(dir.file("missing.dia"));
  ASSERT_FALSE(window.isNull());
  ASSERT_FALSE(s.dialogs.messages().empty());
  EXPECT_EQ(s.dialogs.messages().back(), "An error occurred. Please contact Movrel for help.");
  EXPECT_EQ(window->Diagram()->NodeCount(), 0);
  EXPECT_TRUE(Hidden("StepsBox"));
  EXPECT_EQ(window->Surface().pixel(kA), qRgb(255, 255, 255));
}

TEST_F(TimeWindow, CancellingAfterAnEarlierChoiceReadsThatFileAgain) {
  ChooseBranches();
  s.dialogs.openFile(std::nullopt);
  Child<QAction>(*window, "Open1")->trigger();
  EXPECT_EQ(window->Diagram()->NodeCount(), 5);
  EXPECT_EQ(window->Selection().Ancestor(), 0);
  EXPECT_EQ(PieColor(1), clYellow);
}

TEST_F(TimeWindow, LongLinksAreWarnedAboutAndTheDiagramStillOpens) {
  // rho.dia with a count of cut links among its keyword lines.
  std::ifstream in(testpaths::testData("charts/rho.dia"), std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::size_t at = text.find("Tot. taxa");
  ASSERT_NE(at, std::string::npos);
  text.insert(at, "Long edges: 2\r\n");
  const std::string path = dir.file("long.dia");
  std::ofstream(path, std::ios::binary) << text;
  OpenFile(path);
  ASSERT_FALSE(window.isNull());
  EXPECT_EQ(s.dialogs.messages(),
            (std::vector<std::string>{
                "Warning: There are links within the output filecontaining more than 1000 mutations. The links "
                "withinthis program are restricted to 1000 mutations at most.Please check these links by hand.",
                "Warning: There are links in the output filecontaining more than 1000 mutations. The link length "
                "inthis program is restricted to 1000 mutations at most.Please check these links by hand."}));
  EXPECT_EQ(window->Diagram()->LongEdges, 2);
  EXPECT_EQ(window->Diagram()->NodeCount(), 5);
  EXPECT_FALSE(Hidden("StepsBox"));
}

TEST_F(TimeWindow, SpecialDiagramClosesTheWindow) {
  OpenFile(Copy("charts/contracted.dia"));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(window.isNull());
  ASSERT_EQ(s.dialogs.messages().size(), 1u);
  EXPECT_TRUE(s.dialogs.messages()[0].starts_with(
      "The specified diagram has been constructed either by using the Frequency>1 criterion"));
}

TEST_F(TimeWindow, SavesASnapshotBitmap) {
  ChooseBranches();
  Click("TimeCalculationButton");
  s.dialogs.saveFile(dir.file("shot"));
  Child<QAction>(*window, "Saveas1")->trigger();
  EXPECT_EQ(s.dialogs.lastFileRequest()->fileName, "noname.bmp");
  const std::string bytes = testpaths::readFile(dir.file("shot.bmp"));
  ASSERT_GE(bytes.size(), 54u);
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  const QImage shot = window->Snapshot();
  EXPECT_EQ(Le32(bytes, 18), static_cast<std::uint32_t>(shot.width()));
  EXPECT_EQ(Le32(bytes, 22), static_cast<std::uint32_t>(shot.height()));
  EXPECT_EQ(bytes.size(), 54u + 4u * shot.width() * shot.height());
  EXPECT_GE(shot.width(), 740);
  EXPECT_TRUE(s.dialogs.messages().empty());
}

TEST_F(TimeWindow, MetafileIsNotAvailable) {
  OpenFile(Copy("charts/rho.dia"));
  s.dialogs.saveFile(dir.file("shot.emf"));
  Child<QAction>(*window, "Saveas1")->trigger();
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{"This option is currently not available."});
  EXPECT_FALSE(std::filesystem::exists(dir.file("shot.emf")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("shot.bmp")));
}

TEST_F(TimeWindow, PrintsToAPdfFileAndReportsPrinterSetup) {
  OpenFile(Copy("charts/rho.dia"));
  const std::string pdf = dir.file("print.pdf");
  s.dialogs.onPrinter([&pdf](QPrinter& p) {
    p.setOutputFormat(QPrinter::PdfFormat);
    p.setOutputFileName(QString::fromStdString(pdf));
    return true;
  });
  Child<QAction>(*window, "Print1")->trigger();
  const std::string bytes = testpaths::readFile(pdf);
  ASSERT_GT(bytes.size(), 100u);
  EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
  Child<QAction>(*window, "Printersetup1")->trigger();
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{"The printer setup has been changed."});
}

TEST_F(TimeWindow, ExitDropsTheDiagramAndReleasesTheWindow) {
  OpenFile(Copy("charts/rho.dia"));
  Child<QAction>(*window, "Exit1")->trigger();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(window.isNull());
}

TEST(TimeWindowCaller, ClosingEnablesTheCallerAgain) {
  ScriptedDialogsScope s;
  QWidget caller;
  QPointer<TTime_estimate> w = new TTime_estimate(&caller, QSize(1024, 768));
  EXPECT_TRUE(w->testAttribute(Qt::WA_DeleteOnClose));
  caller.setEnabled(false);
  w->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(w.isNull());
  EXPECT_TRUE(caller.isEnabled());
}

}  // namespace
