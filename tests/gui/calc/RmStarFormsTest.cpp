// The reduced-median and star-contraction windows driven offscreen with scripted dialogs.

#include "Median_joiningForm.h"
#include "Oberflaeche.h"
#include "OutFile.h"
#include "Reduced_medianForm.h"
#include "RmStarTestSupport.h"
#include "ScriptedDialogs.h"
#include "Star_contractionForm.h"
#include "TestPaths.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace rmstar_test;
using testpaths::TempDir;

template <class T>
T* Child(QWidget* w, const char* name) {
  T* c = w->findChild<T*>(name);
  EXPECT_NE(c, nullptr) << name;
  return c;
}

void Trigger(QWidget* w, const char* action) { Child<QAction>(w, action)->trigger(); }

void FlushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// A main window stand-in, disabled while a calculation window is open.
struct Parent {
  Parent() { widget.setEnabled(false); }
  QWidget widget;
};

}  // namespace

TEST(TRM_Menue, OpenCalculateSaveAndClose) {
  ScriptedDialogsScope s;
  TempDir dir;
  const std::string input = CopyFixture(dir, "closure.rdf");
  Parent parent;
  QPointer<TRM_Menue> w = new TRM_Menue(&parent.widget);
  EXPECT_EQ(w->windowTitle(), "Reduced Median");
  EXPECT_FALSE(Child<QAction>(w, "Calculation1")->isEnabled());

  s.dialogs.openFile(input);
  Trigger(w, "Open1");
  EXPECT_EQ(s.dialogs.lastFileRequest()->filter, TRM_Menue::OpenFilter);
  EXPECT_TRUE(Child<QAction>(w, "Calculation1")->isEnabled());
  EXPECT_EQ(Child<QAction>(w, "Threshold1")->text(), "Change reduction threshold (currently 2)");

  s.dialogs.saveFile(dir.file("closure.rmf"));
  s.dialogs.saveFile(dir.file("closure.out"));
  Trigger(w, "Calculation1");
  FlushDeletes();
  EXPECT_TRUE(w.isNull());
  EXPECT_TRUE(parent.widget.isEnabled());
  EXPECT_EQ(SaveProposals(s.dialogs),
            (std::vector<std::string>{dir.file("closure.rmf"), dir.file("closure.out")}));
  EXPECT_EQ(s.dialogs.messages(), (std::vector<std::string>{outfile::SavedMessage}));
  EXPECT_TRUE(std::filesystem::exists(dir.file("closure.out")));
}

TEST(TRM_Menue, ThresholdPanelAndFrequencyToggle) {
  ScriptedDialogsScope s;
  TempDir dir;
  Parent parent;
  QPointer<TRM_Menue> w = new TRM_Menue(&parent.widget);
  s.dialogs.openFile(CopyFixture(dir, "closure.rdf"));
  w->Open1Click();

  Trigger(w, "Threshold1");
  auto* edit = Child<QLineEdit>(w, "ThresholdEdit");
  EXPECT_EQ(edit->text(), "2.00");
  EXPECT_FALSE(Child<QAction>(w, "Calculation1")->isEnabled());
  edit->setText("3.5");
  emit edit->editingFinished();
  EXPECT_EQ(Child<QAction>(w, "Threshold1")->text(), "Change reduction threshold (currently 3.50)");
  edit->setText("abc");  // not a number: the threshold stays
  emit edit->editingFinished();
  EXPECT_EQ(edit->text(), "3.50");
  Child<QCheckBox>(w, "ChkGenerateLinks")->setChecked(false);
  Child<QPushButton>(w, "ThresholdOkButton")->click();
  EXPECT_DOUBLE_EQ(w->Options().Threshold, 3.5);
  EXPECT_FALSE(w->Options().GenerateLinks);
  EXPECT_TRUE(Child<QAction>(w, "Calculation1")->isEnabled());

  Trigger(w, "Frequency1");
  EXPECT_EQ(Child<QAction>(w, "Frequency1")->text(), "F&requency>1 criterion: active");
  Trigger(w, "Frequency1");
  EXPECT_EQ(Child<QAction>(w, "Frequency1")->text(), "F&requency>1 criterion: inactive");

  // With generate-links off only the .rmf file is asked for.
  s.dialogs.saveFile(dir.file("closure.rmf"));
  Trigger(w, "Calculation1");
  FlushDeletes();
  EXPECT_TRUE(w.isNull());
  EXPECT_EQ(SaveProposals(s.dialogs).size(), 1U);
  EXPECT_TRUE(std::filesystem::exists(dir.file("closure.rmf")));
}

TEST(TRM_Menue, WeightsPanelShowsTheWeightAfterSetWeight) {
  ScriptedDialogsScope s;
  TempDir dir;
  Parent parent;
  QPointer<TRM_Menue> w = new TRM_Menue(&parent.widget);
  s.dialogs.openFile(CopyFixture(dir, "closure.rdf"));
  w->Open1Click();
  Trigger(w, "Weighting1");
  auto* list = Child<QListWidget>(w, "WeightList");
  ASSERT_EQ(list->count(), 3);
  auto* edit = Child<QLineEdit>(w, "WeightEdit");
  for (const auto& [typed, shown] : {std::pair{"150", "Weight of character c2:  10"},
                                     std::pair{"7", "Weight of character c2:   7"}}) {
    emit list->itemClicked(list->item(1));
    edit->setText(typed);
    emit edit->editingFinished();
    EXPECT_EQ(list->item(1)->text().toStdString(), shown);
  }
  EXPECT_EQ(s.dialogs.messages().size(), 1U);  // 150 is refused by the data set
  EXPECT_EQ(w->DataSet()->Character(2).Weight, 7);
  Child<QPushButton>(w, "Weight_ok_button")->click();
  EXPECT_TRUE(Child<QAction>(w, "Calculation1")->isEnabled());
  w->close();
}

// The weights panel of the median-joining window passes typed weights up to 254 (three digits)
// to the data set, the reduced-median one any whole number; the data set holds 0..99 and says so
// for the rest. The line always shows the weight the character then has.
TEST(CalcWindowWeights, EachWindowPassesItsRangeToTheDataSet) {
  enum class Window { MJ, RM };
  struct Case {
    Window window;
    const char* typed;
    int weight;    // of character 2 afterwards (10 before)
    int messages;  // the data set's range message
  };
  const Case cases[] = {
      {Window::MJ, "7", 7, 0},     {Window::RM, "7", 7, 0},
      {Window::MJ, "0", 0, 0},     {Window::RM, "99", 99, 0},
      {Window::MJ, "150", 10, 1},  {Window::RM, "150", 10, 1},
      {Window::MJ, "254", 10, 1},  {Window::MJ, "255", 10, 0},  // beyond the window's range
      {Window::RM, "255", 10, 1},  {Window::RM, "1000", 10, 1},
      {Window::MJ, "1000", 10, 1},  // cut to "100" by the three-digit edit
      {Window::MJ, "-1", 10, 0},   {Window::RM, "-1", 10, 0},
      {Window::MJ, "x", 10, 0},    {Window::RM, "", 10, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.window == Window::MJ ? "MJ " : "RM ") + c.typed);
    ScriptedDialogsScope s;
    TempDir dir;
    Parent parent;
    QPointer<TCalcWindow> w;
    if (c.window == Window::MJ) w = new TMJ_Menue(&parent.widget);
    else w = new TRM_Menue(&parent.widget);
    s.dialogs.openFile(CopyFixture(dir, "closure.rdf"));
    Trigger(w, "Open1");
    Trigger(w, c.window == Window::MJ ? "ChangeWeights1" : "Weighting1");
    auto* list = Child<QListWidget>(w, "WeightList");
    ASSERT_EQ(list->count(), 3);
    EXPECT_FALSE(Child<QAction>(w, c.window == Window::MJ ? "Calculatenetwork1" : "Calculation1")
                     ->isEnabled());
    emit list->itemClicked(list->item(1));
    auto* edit = Child<QLineEdit>(w, "WeightEdit");
    edit->setText(c.typed);
    emit edit->editingFinished();
    EXPECT_EQ(w->DataSet()->Character(2).Weight, c.weight);
    EXPECT_EQ(list->item(1)->text().toStdString(),
              "Weight of character c2: " + outfile::RightJustify(c.weight, 3));
    EXPECT_EQ(static_cast<int>(s.dialogs.messages().size()), c.messages);
    Child<QPushButton>(w, "Weight_ok_button")->click();
    EXPECT_EQ(list->count(), 0);
    EXPECT_TRUE(Child<QAction>(w, c.window == Window::MJ ? "Calculatenetwork1" : "Calculation1")
                    ->isEnabled());
    w->close();
    FlushDeletes();
    EXPECT_TRUE(w.isNull());
    EXPECT_TRUE(parent.widget.isEnabled());
  }
}

TEST(TRM_Menue, MultistateFileClosesTheWindow) {
  ScriptedDialogsScope s;
  TempDir dir;
  Parent parent;
  QPointer<TRM_Menue> w = new TRM_Menue(&parent.widget);
  s.dialogs.openFile(CopyFixture(dir, "multistate.rdf"));
  w->Open1Click();
  FlushDeletes();
  EXPECT_TRUE(w.isNull());
  EXPECT_TRUE(parent.widget.isEnabled());
  ASSERT_FALSE(s.dialogs.messages().empty());
  EXPECT_EQ(s.dialogs.messages().back(), rm_messages::Multistate);
}

// While the calculation runs the window refuses to close: its keep-alive step lets a close
// request through, which must not free the data set under the calculation.
TEST(TRM_Menue, RefusesToCloseWhileCalculating) {
  ScriptedDialogsScope s;
  TempDir dir;
  Parent parent;
  QPointer<TRM_Menue> w = new TRM_Menue(&parent.widget);
  w->show();
  s.dialogs.openFile(CopyFixture(dir, "closure.rdf"));
  w->Open1Click();
  int refused = 0;
  double clock = 1e6;
  SetKeepAliveClock([&] { return clock -= 1.0; });  // a clock set back lets the pump run
  SetKeepAlivePump([&] {
    if (!w) return;
    w->close();
    if (w->isVisible() && w->Calculating()) ++refused;
  });
  s.dialogs.saveFile(std::nullopt);
  s.dialogs.saveFile(std::nullopt);
  w->Calculation1Click();
  SetKeepAliveClock({});
  SetKeepAlivePump({});
  FlushDeletes();
  EXPECT_GT(refused, 0);
  EXPECT_TRUE(w.isNull());
  EXPECT_TRUE(parent.widget.isEnabled());
}

TEST(TStar_Menue, OpenSetRadiusCalculateAndExit) {
  ScriptedDialogsScope s;
  TempDir dir;
  const std::string input = CopyFixture(dir, "star.rdf");
  Parent parent;
  QPointer<TStar_Menue> w = new TStar_Menue(&parent.widget);
  EXPECT_EQ(w->windowTitle(), "Star contraction");
  EXPECT_FALSE(Child<QAction>(w, "Calculation1")->isEnabled());

  s.dialogs.openFile(input);
  Trigger(w, "File1");
  EXPECT_EQ(s.dialogs.lastFileRequest()->title,
            "Please specify the file that should be contracted");
  EXPECT_TRUE(Child<QAction>(w, "Calculation1")->isEnabled());

  Trigger(w, "Parameters1");
  EXPECT_FALSE(Child<QGroupBox>(w, "ParametersGroup")->isHidden());
  EXPECT_FALSE(Child<QAction>(w, "Calculation1")->isEnabled());
  Child<QSpinBox>(w, "RadiusSpin")->setValue(3);
  Child<QPushButton>(w, "SetButton")->click();
  EXPECT_EQ(w->Radius(), 3);
  EXPECT_TRUE(Child<QGroupBox>(w, "ParametersGroup")->isHidden());
  EXPECT_TRUE(Child<QAction>(w, "Calculation1")->isEnabled());

  s.dialogs.saveFile(dir.file("star.pro"));
  s.dialogs.answer(DialogAnswer::No);
  s.dialogs.saveFile(dir.file("star.SCO"));
  Trigger(w, "Calculation1");
  EXPECT_EQ(SaveProposals(s.dialogs),
            (std::vector<std::string>{dir.file("star.pro"), dir.file("star.SCO")}));
  EXPECT_EQ(testpaths::readFile(dir.file("star.SCO")),
            testpaths::readFile(testpaths::testData("rmstar/star.sco")));
  EXPECT_EQ(Child<QLineEdit>(w, "Anz_equi_tax")->text(), "   1");
  // The data set is freed after a run; the file menu is enabled again.
  EXPECT_FALSE(Child<QAction>(w, "Calculation1")->isEnabled());
  EXPECT_TRUE(Child<QAction>(w, "File1")->isEnabled());

  Trigger(w, "Exit1");
  FlushDeletes();
  EXPECT_TRUE(w.isNull());
  EXPECT_TRUE(parent.widget.isEnabled());
}

// An amino-acid PHYLIP file reaches star contraction with amino-acid states: E, L, Q are residues,
// N is asparagine, and '?' the undetermined residue X.
TEST(TStar_Menue, OpensAnAminoAcidPhylipFile) {
  ScriptedDialogsScope s;
  TempDir dir;
  const std::string phy = dir.file("prot.phy");
  testpaths::writeFile(phy,
                       "4 6\r\n"
                       "Alpha     MNLE?Q\r\n"
                       "Beta      MNLEKQ\r\n"
                       "Gamma     MDLEKQ\r\n"
                       "Delta     MDIEKR\r\n");
  Parent parent;
  QPointer<TStar_Menue> w = new TStar_Menue(&parent.widget);
  s.dialogs.openFile(phy);
  Trigger(w, "File1");
  EXPECT_TRUE(s.dialogs.messages().empty()) << s.dialogs.messages().front();
  ASSERT_FALSE(w.isNull());
  ASSERT_NE(w->DataSet(), nullptr);
  EXPECT_EQ(w->DataSet()->Taxon(1).States, "NLXQ");
  EXPECT_EQ(w->DataSet()->Taxon(4).States, "DIKR");
  EXPECT_TRUE(Child<QAction>(w, "Calculation1")->isEnabled());
  delete w;
}
