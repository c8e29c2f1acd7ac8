#include "Median_joiningForm.h"
#include "OutFile.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>

#include <filesystem>

namespace {

QAction* Action(QWidget& w, const char* name) {
  QAction* a = w.findChild<QAction*>(name);
  EXPECT_NE(a, nullptr) << name;
  return a;
}

}  // namespace

TEST(MJWindow, TogglesChangeTheirCaptionsExactly) {
  ScriptedDialogsScope s;
  QMainWindow main;
  auto* w = new TMJ_Menue(&main);
  struct Toggle {
    const char* name;
    const char* on;
    const char* off;
  };
  const Toggle toggles[] = {
      {"Frequency1", "&Frequency>1 criterion: active", "&Frequency>1 criterion: inactive"},
      {"Criterion1", "Criterion: Greedy FHP", "Criterion: Connection cost"},
      {"ExternalRooting1", "&External rooting: active", "&External rooting: inactive"},
      {"MJSquare1", "&MJ square option: active", "&MJ square option: inactive"},
  };
  for (const Toggle& t : toggles) {
    QAction* a = Action(*w, t.name);
    ASSERT_NE(a, nullptr);
    a->trigger();
    EXPECT_EQ(a->text().toStdString(), t.on);
    a->trigger();
    EXPECT_EQ(a->text().toStdString(), t.off);
  }
  EXPECT_EQ(Action(*w, "ChangeEpsilon1")->text().toStdString(), "Change E&psilon (currently 0)");
  EXPECT_EQ(TMJ_Menue::EpsilonCaption(10), "Change E&psilon (currently  10)");
  delete w;
}

TEST(MJWindow, OpenCalculateSaveAndClose) {
  testpaths::TempDir dir;
  const std::string data = dir.file("abc.rdf");
  std::filesystem::copy_file(testpaths::testData("calc/triple_with_duplicate.rdf"), data);
  ScriptedDialogsScope s;
  QMainWindow main;
  main.setEnabled(false);  // as the main window does while a tool window is open
  QPointer<TMJ_Menue> w = new TMJ_Menue(&main);
  w->show();
  EXPECT_FALSE(Action(*w, "Calculatenetwork1")->isEnabled());

  s.dialogs.openFile(data);
  Action(*w, "Open1")->trigger();
  ASSERT_TRUE(s.dialogs.lastFileRequest());
  EXPECT_EQ(s.dialogs.lastFileRequest()->filter, TMJ_Menue::OpenFilter);
  ASSERT_TRUE(Action(*w, "Calculatenetwork1")->isEnabled());

  // Epsilon through its panel: the spin edit runs 0..255 and the caption follows it.
  Action(*w, "ChangeEpsilon1")->trigger();
  auto* spin = w->findChild<QSpinBox*>("EpsilonSpin");
  ASSERT_NE(spin, nullptr);
  EXPECT_EQ(spin->maximum(), 255);
  spin->setValue(10);
  w->findChild<QPushButton*>("Param_ok_button")->click();
  EXPECT_EQ(Action(*w, "ChangeEpsilon1")->text().toStdString(), "Change E&psilon (currently  10)");
  EXPECT_EQ(w->Options().Epsilon, 10);

  s.dialogs.saveFile(dir.file("abc.out"));
  Action(*w, "Calculatenetwork1")->trigger();
  const FileDialogRequest* save = s.dialogs.lastFileRequest();
  ASSERT_TRUE(save);
  EXPECT_EQ(save->fileName, dir.file("abc.out"));
  ASSERT_TRUE(std::filesystem::exists(dir.file("abc.out")));
  const std::string out = testpaths::readFile(dir.file("abc.out"));
  EXPECT_EQ(out.substr(0, out.find("\r\n")), "Results of file " + data + " with Epsilon=10");
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{outfile::SavedMessage});
  QApplication::processEvents();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(w.isNull());
  EXPECT_TRUE(main.isEnabled());
}

TEST(MJWindow, EpsilonQuestionYesOpensThePanelAndCalculatesNothing) {
  testpaths::TempDir dir;
  const std::string data = dir.file("abc.rdf");
  std::filesystem::copy_file(testpaths::testData("calc/triple_with_duplicate.rdf"), data);
  ScriptedDialogsScope s;
  QMainWindow main;
  QPointer<TMJ_Menue> w = new TMJ_Menue(&main);
  s.dialogs.openFile(data);
  Action(*w, "Open1")->trigger();
  Action(*w, "ChangeEpsilon1")->trigger();
  w->findChild<QSpinBox*>("EpsilonSpin")->setValue(5);
  w->findChild<QPushButton*>("Param_ok_button")->click();
  s.dialogs.answer(DialogAnswer::Yes);
  Action(*w, "Calculatenetwork1")->trigger();
  EXPECT_EQ(s.dialogs.questions().size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(dir.file("abc.out")));
  EXPECT_FALSE(w.isNull());
  EXPECT_FALSE(Action(*w, "Calculatenetwork1")->isEnabled());  // the panel holds the menus
  delete w;
}

// A PHYLIP file is translated into an .rdf beside it and the network computed from that.
TEST(MJWindow, OpensAPhylipFileThroughTheImport) {
  testpaths::TempDir dir;
  const std::string phy = dir.file("five.phy");
  testpaths::writeFile(phy,
                       "5 8\r\n"
                       "Alpha     ACGTACGT\r\n"
                       "Beta      ACGTACGA\r\n"
                       "Gamma     ACGTACAA\r\n"
                       "Delta     TCGTACAA\r\n"
                       "Eps       TCGAACAA\r\n");
  ScriptedDialogsScope s;
  QMainWindow main;
  QPointer<TMJ_Menue> w = new TMJ_Menue(&main);
  s.dialogs.openFile(phy);
  Action(*w, "Open1")->trigger();
  EXPECT_TRUE(std::filesystem::exists(dir.file("five.rdf")));
  ASSERT_TRUE(Action(*w, "Calculatenetwork1")->isEnabled());
  s.dialogs.saveFile(dir.file("five.out"));
  Action(*w, "Calculatenetwork1")->trigger();
  EXPECT_EQ(s.dialogs.lastFileRequest()->fileName, dir.file("five.out"));
  const std::string out = testpaths::readFile(dir.file("five.out"));
  // Five sequences in a chain of single mutations: four links.
  EXPECT_NE(out.find("Final links"), std::string::npos);
  EXPECT_NE(out.find("Link    4 "), std::string::npos) << out;
  EXPECT_EQ(out.find("Link    5 "), std::string::npos) << out;
  QApplication::processEvents();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
