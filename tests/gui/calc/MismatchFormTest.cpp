// The mismatch window driven offscreen: opening, selection, the chart, printing and the bitmap.
#include "MismatchForm.h"
#include "Oberflaeche.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace {

template <class T> T* Child(QWidget& w, const char* name) {
  T* c = w.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(c, nullptr) << name;
  return c;
}

void Trigger(QWidget& w, const char* action) {
  QAction* a = Child<QAction>(w, action);
  ASSERT_NE(a, nullptr);
  ASSERT_TRUE(a->isEnabled()) << action;
  a->trigger();
}

void ClickRow(QListWidget* list, int row) {
  QListWidgetItem* item = list->item(row);
  ASSERT_NE(item, nullptr);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

std::uint32_t Le32(const std::string& bytes, std::size_t at) {
  std::uint32_t v = 0;
  std::memcpy(&v, bytes.data() + at, 4);
  return v;
}

class MismatchWindow : public ::testing::Test {
protected:
  void SetUp() override {
    ChartWidth = 800;
    ChartHeight = 600;
    window = new TMismatch_Menue;
  }
  void TearDown() override { delete window.data(); }

  // Opens a copy of a fixture from a scratch folder.
  void Open(const char* fixture) {
    const std::string path = dir.file(std::filesystem::path(fixture).filename().string());
    std::filesystem::copy_file(testpaths::testData(fixture), path);
    s.dialogs.openFile(path);
    Trigger(*window, "Open1");
  }

  ScriptedDialogsScope s;
  testpaths::TempDir dir;
  QPointer<TMismatch_Menue> window;
};

TEST_F(MismatchWindow, StartsWithOnlyTheFileMenu) {
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Mismatch"));
  EXPECT_FALSE(Child<QMenu>(*window, "Selection1")->menuAction()->isEnabled());
  EXPECT_FALSE(Child<QAction>(*window, "Mismatch1")->isEnabled());
  EXPECT_TRUE(Child<QMenu>(*window, "File1")->menuAction()->isEnabled());
  EXPECT_TRUE(Child<QPushButton>(*window, "NextButton")->isHidden());
  EXPECT_EQ(window->Chart().size(), QSize(800, 600));
}

TEST_F(MismatchWindow, OpenSwitchOffATaxonAndDrawTheChart) {
  Open("charts/mismatch.rdf");
  ASSERT_NE(window->DataSet(), nullptr);
  EXPECT_EQ(s.dialogs.lastFileRequest()->filter, mismatch::OpenFilter);

  Trigger(*window, "Sequences1");
  auto* active = Child<QListWidget>(*window, "ActiveListBox");
  auto* inactive = Child<QListWidget>(*window, "InactiveListBox");
  EXPECT_FALSE(active->isHidden());
  ASSERT_EQ(active->count(), 4);
  EXPECT_EQ(active->item(3)->text(), QStringLiteral("X"));
  EXPECT_FALSE(Child<QAction>(*window, "Mismatch1")->isEnabled());

  ClickRow(active, 3);  // X becomes inactive
  ASSERT_EQ(inactive->count(), 1);
  EXPECT_EQ(inactive->item(0)->text(), QStringLiteral("X"));
  EXPECT_EQ(active->count(), 3);

  QTest::mouseClick(Child<QPushButton>(*window, "NextButton"), Qt::LeftButton);
  EXPECT_TRUE(active->isHidden());
  EXPECT_TRUE(window->Chart().pixel(10, 10) == qRgb(255, 255, 255));

  Trigger(*window, "Mismatch1");
  EXPECT_EQ(window->Histogram().Counts, (std::vector<std::int64_t>{3, 0, 0, 3}));
  auto* mean = Child<QLabel>(*window, "MeanLbl");
  EXPECT_FALSE(mean->isHidden());
  EXPECT_EQ(mean->text(), QStringLiteral("Unweighted mean pairwise difference:    1.500"));
  // The menus stay off until Next; the tallest bar is black.
  EXPECT_FALSE(Child<QMenu>(*window, "File1")->menuAction()->isEnabled());
  EXPECT_EQ(window->Chart().pixel(140, 300), qRgb(0, 0, 0));
  EXPECT_FALSE(Child<QPushButton>(*window, "SaveButton")->isHidden());

  QTest::mouseClick(Child<QPushButton>(*window, "NextButton"), Qt::LeftButton);
  EXPECT_TRUE(mean->isHidden());
  EXPECT_TRUE(Child<QMenu>(*window, "File1")->menuAction()->isEnabled());
}

TEST_F(MismatchWindow, SwitchingACharacterOffAndOnAgain) {
  Open("charts/mismatch.rdf");
  Trigger(*window, "Characters1");
  auto* active = Child<QListWidget>(*window, "ActiveListBox");
  auto* inactive = Child<QListWidget>(*window, "InactiveListBox");
  ASSERT_EQ(active->count(), 5);
  ClickRow(active, 0);
  ClickRow(active, 0);
  ASSERT_EQ(inactive->count(), 2);
  ClickRow(inactive, 1);  // c2 back on
  EXPECT_EQ(inactive->count(), 1);
  EXPECT_EQ(window->DataSet()->Characters[0].Active, 0);
  EXPECT_EQ(window->DataSet()->Characters[1].Active, 1);
}

TEST_F(MismatchWindow, TorFileOpensThroughItsImport) {
  Open("charts/sites.tor");
  ASSERT_NE(window->DataSet(), nullptr);
  EXPECT_EQ(window->FileName(), dir.file("sites.rdf"));
  EXPECT_TRUE(std::filesystem::exists(dir.file("sites.rdf")));
  Trigger(*window, "Mismatch1");
  EXPECT_EQ(window->Histogram().Counts, (std::vector<std::int64_t>{1, 0, 2, 0, 3}));
}

TEST_F(MismatchWindow, FailedReadClosesTheWindowAndEnablesTheCaller) {
  s.dialogs.openFile(dir.file("missing.rdf"));
  Trigger(*window, "Open1");
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(window.isNull());
  EXPECT_FALSE(s.dialogs.messages().empty());
}

TEST_F(MismatchWindow, CancelledOpenKeepsTheWindowEmpty) {
  s.dialogs.openFile(std::nullopt);
  Trigger(*window, "Open1");
  ASSERT_FALSE(window.isNull());
  EXPECT_EQ(window->DataSet(), nullptr);
  EXPECT_FALSE(Child<QAction>(*window, "Mismatch1")->isEnabled());
}

TEST_F(MismatchWindow, SavesTheChartAsA32BitBitmap) {
  Open("charts/mismatch.rdf");
  Trigger(*window, "Mismatch1");
  s.dialogs.saveFile(dir.file("chart.png"));
  QTest::mouseClick(Child<QPushButton>(*window, "SaveButton"), Qt::LeftButton);
  EXPECT_EQ(s.dialogs.lastFileRequest()->fileName, "noname.bmp");
  EXPECT_EQ(s.dialogs.lastFileRequest()->filter, "Bitmap (*.bmp)|*.bmp");
  const std::string bytes = testpaths::readFile(dir.file("chart.bmp"));
  ASSERT_GE(bytes.size(), 54u);
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  EXPECT_EQ(Le32(bytes, 18), 800u);        // as wide as the chart
  EXPECT_EQ(Le32(bytes, 22), 640u);        // and 40 pixels taller
  EXPECT_EQ(bytes.size(), 54u + 800u * 640u * 4u);
  EXPECT_TRUE(s.dialogs.messages().empty());
}

TEST_F(MismatchWindow, FailedBitmapWriteIsReported) {
  Open("charts/mismatch.rdf");
  Trigger(*window, "Mismatch1");
  s.dialogs.saveFile(dir.file("no/such/folder/chart.bmp"));
  QTest::mouseClick(Child<QPushButton>(*window, "SaveButton"), Qt::LeftButton);
  EXPECT_EQ(s.dialogs.messages().size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(dir.file("no/such/folder/chart.bmp")));
}

TEST_F(MismatchWindow, PrintsToAPdfFile) {
  Open("charts/mismatch.rdf");
  Trigger(*window, "Mismatch1");
  const std::string pdf = dir.file("chart.pdf");
  s.dialogs.onPrinter([&pdf](QPrinter& p) {
    p.setOutputFormat(QPrinter::PdfFormat);
    p.setOutputFileName(QString::fromStdString(pdf));
    return true;
  });
  QTest::mouseClick(Child<QPushButton>(*window, "PrintButton"), Qt::LeftButton);
  const std::string bytes = testpaths::readFile(pdf);
  ASSERT_GT(bytes.size(), 100u);
  EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
}

TEST_F(MismatchWindow, ExitReleasesTheWindow) {
  Open("charts/mismatch.rdf");
  Trigger(*window, "Exit1");
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(window.isNull());
}

TEST(MismatchWindowCaller, ClosingEnablesTheCallerAgain) {
  ScriptedDialogsScope s;
  QWidget caller;
  QPointer<TMismatch_Menue> w = new TMismatch_Menue(&caller);
  caller.setEnabled(false);
  w->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(w.isNull());
  EXPECT_TRUE(caller.isEnabled());
}

TEST(MismatchWindowStandalone, WorksWithoutAParent) {
  ScriptedDialogsScope s;
  QPointer<TMismatch_Menue> w = new TMismatch_Menue;
  EXPECT_TRUE(w->testAttribute(Qt::WA_DeleteOnClose));
  w->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(w.isNull());
}

}  // namespace
