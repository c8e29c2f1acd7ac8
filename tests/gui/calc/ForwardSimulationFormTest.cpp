// The forward-simulation window driven offscreen: defaults, a seeded run with its plot, tree and
// .fsi file, the start-population choices and their refusals, and closing during a run.
#include "ForwardSimulationForm.h"
#include "ScriptedDialogs.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>

#include <memory>

using namespace fsim_messages;

namespace {

template <class W>
W* Child(QObject* parent, const char* name) {
  W* w = parent->findChild<W*>(QLatin1String(name));
  EXPECT_NE(w, nullptr) << name;
  return w;
}

void Set(QObject* form, const char* spin, int value) { Child<QSpinBox>(form, spin)->setValue(value); }
void Click(QObject* form, const char* button) { Child<QPushButton>(form, button)->click(); }

// A small run: 40 individuals of 4 haplotypes, 20 generations, refresh every 5.
std::unique_ptr<TFrmForwardSimulation> SmallForm(uint64_t seed = 77) {
  auto form = std::make_unique<TFrmForwardSimulation>();
  form->setSeed(seed);
  form->show();
  Set(form.get(), "SpinLength", 10);
  Set(form.get(), "SpinYears", 200);
  Set(form.get(), "SpinNumberGenerations", 20);
  Set(form.get(), "SpinPopulationSize", 40);
  Set(form.get(), "SpinPopulationHaplotypes", 4);
  Set(form.get(), "SpinPopulationGrowth", 5);
  return form;
}

bool HasColour(const QImage& image, QRgb colour) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF)) return true;
  return false;
}

}  // namespace

TEST(ForwardSimulationForm, DefaultsOfTheParameters) {
  TFrmForwardSimulation form;
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Forward Simulation"));
  const std::pair<const char*, int> defaults[] = {
      {"SpinLength", 369}, {"SpinYears", 20180}, {"SpinPopulationGrowth", 50},
      {"SpinSigma", 3}, {"SpinGenerationDuration", 20}, {"SpinNumberGenerations", 1000},
      {"SpinRefresh", 5}, {"SpinPopulationSize", 1000}, {"SpinPopulationHaplotypes", 5},
      {"SpinEventPopulationSize", 1000}, {"SpinEventStartGeneration", 20}, {"SpinEventDuration", 5}};
  for (const auto& [name, value] : defaults) EXPECT_EQ(Child<QSpinBox>(&form, name)->value(), value) << name;
  EXPECT_TRUE(Child<QRadioButton>(&form, "RadioGenerate")->isChecked());
  EXPECT_TRUE(Child<QRadioButton>(&form, "RadioEqual")->isChecked());
  EXPECT_FALSE(Child<QPushButton>(&form, "BtnSaveSimulation")->isEnabled());
  auto* events = Child<QTableWidget>(&form, "EventGrid");
  EXPECT_EQ(events->rowCount(), 0);
  EXPECT_EQ(events->horizontalHeaderItem(2)->text(), QStringLiteral("Event duration"));
}

TEST(ForwardSimulationForm, SeededRunDrawsAndSavesARepeatableFile) {
  testpaths::TempDir dir;
  std::string files[2];
  for (int run = 0; run < 2; ++run) {
    ScriptedDialogsScope s;
    auto form = SmallForm();
    Click(form.get(), "BtnStartSimulation");
    ASSERT_NE(form->Simulation(), nullptr);
    EXPECT_EQ(form->Simulation()->Generation(), 20);
    EXPECT_EQ(form->StartPopulation().Size(), 40);
    EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{Finished});
    EXPECT_TRUE(Child<QPushButton>(form.get(), "BtnSaveSimulation")->isEnabled());
    EXPECT_TRUE(HasColour(form->PopSizeImage(), qRgb(0, 0, 255)));   // the size line
    EXPECT_TRUE(HasColour(form->TreeImage(), qRgb(0, 0, 255)));      // observed haplotypes
    EXPECT_TRUE(HasColour(form->TreeImage(), qRgb(255, 255, 0)));    // the empty root
    s.dialogs.clear();
    s.dialogs.saveFile(dir.file("run" + std::to_string(run)));
    Click(form.get(), "BtnSaveSimulation");
    EXPECT_EQ(s.dialogs.lastFileRequest()->filter, "Simulation files (*.fsi)|*.fsi");
    EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{Written});
    files[run] = testpaths::readFile(dir.file("run" + std::to_string(run) + ".fsi"));
    EXPECT_EQ(files[run], FsiText(form->Simulation()->Population()));
  }
  EXPECT_EQ(files[0], files[1]);
  EXPECT_EQ(files[0].rfind(std::string(files[0].find(';'), '0') + ";", 0), 0u);  // root first
}

TEST(ForwardSimulationForm, EventsComeFromTheSpinsAndAreChecked) {
  ScriptedDialogsScope s;
  auto form = SmallForm();
  Set(form.get(), "SpinEventPopulationSize", 60);
  Set(form.get(), "SpinEventStartGeneration", 5);
  Set(form.get(), "SpinEventDuration", 4);
  Click(form.get(), "BtnAddEvent");
  Click(form.get(), "BtnAddEvent");
  auto* events = Child<QTableWidget>(form.get(), "EventGrid");
  ASSERT_EQ(events->rowCount(), 2);
  events->setCurrentCell(1, 0);
  Click(form.get(), "BtnRemoveEvent");
  ASSERT_EQ(events->rowCount(), 1);
  events->item(0, 2)->setText(QStringLiteral("four"));
  Click(form.get(), "BtnStartSimulation");
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{Events});
  EXPECT_EQ(form->Simulation(), nullptr);
  EXPECT_TRUE(Child<QGroupBox>(form.get(), "ParameterGroup")->isVisible());
  EXPECT_FALSE(Child<QGroupBox>(form.get(), "DisplayGroup")->isVisible());

  s.dialogs.clear();
  events->item(0, 2)->setText(QStringLiteral("4"));
  Click(form.get(), "BtnStartSimulation");
  ASSERT_NE(form->Simulation(), nullptr);
  EXPECT_EQ(form->Simulation()->Sizes()[9], 60);
}

TEST(ForwardSimulationForm, DescribedDistributionSumsItsCells) {
  ScriptedDialogsScope s;
  auto form = SmallForm();
  Set(form.get(), "SpinPopulationSize", 1000);
  Set(form.get(), "SpinPopulationHaplotypes", 3);
  Child<QRadioButton>(form.get(), "RadioDescribed")->setChecked(true);
  auto* grid = Child<QTableWidget>(form.get(), "FrequencyGrid");
  ASSERT_EQ(grid->rowCount(), 3);
  EXPECT_EQ(grid->item(2, 0)->text(), QStringLiteral("333"));
  grid->item(0, 0)->setText(QStringLiteral("10"));
  EXPECT_EQ(Child<QSpinBox>(form.get(), "SpinPopulationSize")->value(), 676);
  grid->item(1, 0)->setText(QStringLiteral("x"));
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{FrequencyCell});
  s.dialogs.clear();
  Click(form.get(), "BtnStartSimulation");
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{Frequencies});
  grid->item(1, 0)->setText(QStringLiteral("5"));
  grid->item(2, 0)->setText(QStringLiteral("3"));
  s.dialogs.clear();
  Set(form.get(), "SpinNumberGenerations", 1);
  Click(form.get(), "BtnStartSimulation");
  EXPECT_EQ(form->StartPopulation().Size(), 18);
  EXPECT_EQ(form->StartPopulation().Individuals[17].Sequence, "001");
}

TEST(ForwardSimulationForm, LoadedStartPopulation) {
  ScriptedDialogsScope s;
  auto form = SmallForm();
  Child<QRadioButton>(form.get(), "RadioLoad")->setChecked(true);
  EXPECT_FALSE(Child<QGroupBox>(form.get(), "PopulationSpecification")->isVisible());
  s.dialogs.openFile(std::nullopt);  // cancelled: no run
  Click(form.get(), "BtnStartSimulation");
  EXPECT_EQ(s.dialogs.lastFileRequest()->filter,
            "Simulation files (*.fsi)|*.fsi|RDF data set (*.rdf)|*.rdf");
  EXPECT_EQ(form->Simulation(), nullptr);
  s.dialogs.openFile(testpaths::testData("strsim/incompatible.fsi").string());
  Click(form.get(), "BtnStartSimulation");
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{Incompatible});
  EXPECT_EQ(form->Simulation(), nullptr);
  s.dialogs.clear();
  s.dialogs.openFile(testpaths::testData("strsim/start.rdf").string());
  Click(form.get(), "BtnStartSimulation");
  EXPECT_EQ(form->StartPopulation().Size(), 6);
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{Finished});
}

TEST(ForwardSimulationForm, ClosingDuringARunStopsIt) {
  ScriptedDialogsScope s;
  auto form = SmallForm();
  Set(form.get(), "SpinNumberGenerations", 9999);
  Set(form.get(), "SpinRefresh", 1);
  QTimer::singleShot(0, form.get(), [&form] { Click(form.get(), "BtnExit"); });
  Click(form.get(), "BtnStartSimulation");
  EXPECT_FALSE(form->Running());
  EXPECT_FALSE(form->isVisible());
  ASSERT_NE(form->Simulation(), nullptr);
  EXPECT_LT(form->Simulation()->Generation(), 9999);
  EXPECT_TRUE(s.dialogs.messages().empty());
}

TEST(ForwardSimulationForm, FactoryWindowDeletesItselfOnClose) {
  QWidget* window = CreateForwardSimulation();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->parent(), nullptr);
  EXPECT_TRUE(window->testAttribute(Qt::WA_DeleteOnClose));
  delete window;
}

TEST(ForwardSimulationDrawing, PlotKeepsARangeForEqualSizes) {
  QImage image(300, 200, QImage::Format_RGB32);
  DrawPopulationSizePlot(image, {2000, 2000, 2000}, 2);
  EXPECT_TRUE(HasColour(image, qRgb(0, 0, 255)));
  EXPECT_EQ(image.pixel(50, 100) & 0xFFFFFF, 0u);  // the y axis
}

TEST(ForwardSimulationDrawing, StarTreeColoursAndPlaces) {
  QImage image(480, 400, QImage::Format_RGB32);
  TPopulation p;
  for (const char* s : {"100", "010", "001", "001"}) p.Individuals.push_back({s, 1});
  EXPECT_TRUE(DrawHaplotypeTree(image, p));
  EXPECT_EQ(image.pixel(230, 30) & 0xFFFFFF, qRgb(255, 255, 0) & 0xFFFFFF);
  for (int x : {96, 230, 362}) EXPECT_EQ(image.pixel(x, 350) & 0xFFFFFF, 0x0000FFu) << x;
}
