#include "MJTestSets.h"
#include "Median_joiningForm.h"
#include "OutFile.h"
#include "RdfMessages.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <unordered_set>

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

namespace {

// An alignment of `n` distinct sequences of `length` sites, each a copy of an earlier one with one
// to three sites changed (a fixed pseudo-random genealogy), written as an rdf file.
void WriteGenealogy(const std::string& file, int n, int length) {
  uint32_t seed = 12345;
  const auto next = [&seed](uint32_t bound) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % bound;
  };
  const char bases[] = "ACGT";
  std::vector<std::string> states{std::string(static_cast<std::size_t>(length), 'A')};
  std::unordered_set<std::string> seen{states[0]};
  while (static_cast<int>(states.size()) < n) {
    std::string s = states[next(static_cast<uint32_t>(states.size()))];
    for (uint32_t k = 0, changes = 1 + next(3); k < changes; ++k)
      s[next(static_cast<uint32_t>(length))] = bases[next(4)];
    if (seen.insert(s).second) states.push_back(s);
  }
  ScriptedDialogsScope quiet;
  Trdf_DataSet set = MakeSet(states);
  ASSERT_TRUE(set.WriteRdfFile(file, true, true));
}

}  // namespace

// The link gauge and the link count move while a search runs, not only at its ends, and pending
// events run during the calculation (so the window repaints and answers).
TEST(MJWindow, GaugeAndLinkCountMoveDuringTheSearchAndEventsRun) {
  testpaths::TempDir dir;
  const std::string data = dir.file("genealogy.rdf");
  WriteGenealogy(data, 300, 120);
  ScriptedDialogsScope s;
  QMainWindow main;
  QPointer<TMJ_Menue> w = new TMJ_Menue(&main);
  w->show();
  s.dialogs.openFile(data);
  Action(*w, "Open1")->trigger();
  ASSERT_TRUE(Action(*w, "Calculatenetwork1")->isEnabled());

  auto* gauge = w->findChild<QProgressBar*>("LinksGauge");
  auto* links = w->findChild<QLineEdit*>("EditLinks");
  ASSERT_TRUE(gauge && links);
  std::vector<int> gaugeValues;
  int linkCountsMidSearch = 0;
  QObject::connect(gauge, &QProgressBar::valueChanged, [&](int v) { gaugeValues.push_back(v); });
  QObject::connect(links, &QLineEdit::textChanged, [&] {
    if (gauge->value() > 0 && gauge->value() < 100) ++linkCountsMidSearch;
  });
  bool eventsRanWhileCalculating = false;
  QTimer::singleShot(0, [&] { eventsRanWhileCalculating = w && w->Calculating(); });

  s.dialogs.saveFile(std::nullopt);
  Action(*w, "Calculatenetwork1")->trigger();
  EXPECT_TRUE(eventsRanWhileCalculating);
  const auto midway = std::count_if(gaugeValues.begin(), gaugeValues.end(),
                                    [](int v) { return v > 0 && v < 100; });
  EXPECT_GE(midway, 10) << "gauge values: " << gaugeValues.size();
  EXPECT_GT(linkCountsMidSearch, 0);
  QApplication::processEvents();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A plain text chosen as data: one message that says what is wrong, and the window stays open
// for another file.
TEST(MJWindow, APlainTextFileGivesOneMessageAndTheWindowStaysOpen) {
  testpaths::TempDir dir;
  const std::string text = dir.file("notes.rdf");
  testpaths::writeFile(text, "Notes on the field trip\r\nWe took samples at three places.\r\n");
  ScriptedDialogsScope s;
  QMainWindow main;
  QPointer<TMJ_Menue> w = new TMJ_Menue(&main);
  w->show();
  s.dialogs.openFile(text);
  Action(*w, "Open1")->trigger();
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{rdf_messages::NotADataFile});
  QApplication::processEvents();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_FALSE(w.isNull());
  EXPECT_TRUE(w->isVisible());
  EXPECT_FALSE(Action(*w, "Calculatenetwork1")->isEnabled());
  EXPECT_EQ(w->DataSet(), nullptr);
  EXPECT_EQ(testpaths::readFile(text),
            "Notes on the field trip\r\nWe took samples at three places.\r\n");

  // The same window then opens a data file.
  const std::string data = dir.file("abc.rdf");
  std::filesystem::copy_file(testpaths::testData("calc/triple_with_duplicate.rdf"), data);
  s.dialogs.openFile(data);
  Action(*w, "Open1")->trigger();
  EXPECT_TRUE(Action(*w, "Calculatenetwork1")->isEnabled());
  delete w;
}

// Files the reader refuses give one message, no data set and nothing to calculate, so no .out
// file is written: a file refused without a message of its own gets the window's summary, and a
// negative frequency, which once went into the .out file (and the drawing window then refused),
// is refused naming its taxon.
TEST(MJWindow, RefusedFilesGiveOneMessageAndNoNetwork) {
  struct Case {
    const char* name;
    const char* text;
    std::string message;
  };
  const Case cases[] = {
      // '0' is no amino-acid state, and the reader refuses it silently.
      {"binary.ami",
       "  ;1.0\r\na;b;\r\n10;10;\r\n>A;1;;;;;;;\r\nAK\r\n>B;1;;;;;;;\r\n0K\r\n>C;1;;;;;;;\r\nAL\r\n",
       mj_messages::FormatError},
      {"neg.rdf",
       "  ;1.0\r\na;b;\r\n10;10;\r\n>A;1;;;;;;;\r\nAC\r\n>B;-4;;;;;;;\r\nGC\r\n>C;1;;;;;;;\r\nAT\r\n",
       rdf_messages::NegativeFrequency("B", -4)},
  };
  for (const Case& c : cases) {
    testpaths::TempDir dir;
    const std::string data = dir.file(c.name);
    testpaths::writeFile(data, c.text);
    ScriptedDialogsScope s;
    QMainWindow main;
    QPointer<TMJ_Menue> w = new TMJ_Menue(&main);
    s.dialogs.openFile(data);
    Action(*w, "Open1")->trigger();
    EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{c.message}) << c.name;
    ASSERT_FALSE(w.isNull());
    EXPECT_FALSE(Action(*w, "Calculatenetwork1")->isEnabled()) << c.name;
    EXPECT_EQ(w->DataSet(), nullptr) << c.name;
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
      files.push_back(e.path().filename().string());
    EXPECT_EQ(files, std::vector<std::string>{c.name});
    delete w;
  }
}

// An amino-acid alignment with '?' for missing data: imported with amino-acid states (N is
// asparagine, no missing state), computed, and the network written.
TEST(MJWindow, OpensAnAminoAcidPhylipFileAndComputesItsNetwork) {
  testpaths::TempDir dir;
  const std::string phy = dir.file("prot.phy");
  testpaths::writeFile(phy,
                       "5 10\r\n"
                       "Alpha     MKNLEV?PQA\r\n"
                       "Beta      MKNLEVLPQA\r\n"
                       "Gamma     MKNIEVLPQA\r\n"
                       "Delta     MKDIEVLPQA\r\n"
                       "Eps       MKDIEVLPRA\r\n");
  ScriptedDialogsScope s;
  QMainWindow main;
  QPointer<TMJ_Menue> w = new TMJ_Menue(&main);
  s.dialogs.openFile(phy);
  Action(*w, "Open1")->trigger();
  EXPECT_TRUE(s.dialogs.messages().empty()) << s.dialogs.messages().front();
  ASSERT_TRUE(Action(*w, "Calculatenetwork1")->isEnabled());
  EXPECT_TRUE(w->Options().AminoAcids);
  EXPECT_FALSE(Action(*w, "WeightingTransversions1")->isVisible());
  ASSERT_NE(w->DataSet(), nullptr);
  // Kept columns 3, 4, 7 and 9; Alpha's '?' is the undetermined residue X.
  EXPECT_EQ(w->DataSet()->Taxon(1).States, "NLXQ");
  EXPECT_EQ(w->DataSet()->Taxon(5).States, "DILR");
  s.dialogs.saveFile(dir.file("prot.out"));
  Action(*w, "Calculatenetwork1")->trigger();
  const std::string out = testpaths::readFile(dir.file("prot.out"));
  // Alpha matches Beta but for its missing residue: Beta, Gamma, Delta, Eps form a chain, and
  // Alpha joins it without a mutation of its own.
  EXPECT_NE(out.find("Final links"), std::string::npos) << out;
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{outfile::SavedMessage});
  QApplication::processEvents();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
