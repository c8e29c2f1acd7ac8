#pragma once
// The window "Forward Simulation": the run parameters, the size events and the start population;
// during a run the plot of the population size and the haplotype tree of the current population,
// redrawn at every refresh interval; the final population is saved as a .fsi file.
// The run happens in the GUI thread and lets pending messages run after every redraw.

#include "ForwardSimulation.h"

#include <QImage>
#include <QSize>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableWidget;

// The population-size plot of generations 0..sizes.size()-1 over the x range 0..generations.
void DrawPopulationSizePlot(QImage& image, const std::vector<int>& sizes, int generations);
// Builds the haplotype tree of `population` for the image's size and draws it. False when some
// node could not be placed (it is still drawn).
bool DrawHaplotypeTree(QImage& image, const TPopulation& population);

class TFrmForwardSimulation : public QWidget {
  Q_OBJECT
public:
  explicit TFrmForwardSimulation(QWidget* parent = nullptr, QSize screenSize = {});
  ~TFrmForwardSimulation() override;

  // A fixed seed makes the next runs repeatable; without one the clock seeds each run.
  void setSeed(std::optional<uint64_t> seed) { seed_ = seed; }
  const TForwardSimulation* Simulation() const { return simulation_.get(); }
  const TPopulation& StartPopulation() const { return start_; }
  const QImage& PopSizeImage() const { return popSizeImage_; }
  const QImage& TreeImage() const { return treeImage_; }
  bool Running() const { return running_; }

public slots:
  void BtnStartSimulationClick();
  void BtnSaveSimulationClick();
  void BtnExitClick();
  void BtnAddEventClick();
  void BtnRemoveEventClick();

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  QSpinBox* spin(const char* name, const char* label, int value, int lo, int hi, QWidget* parent,
                 class QFormLayout* layout);
  void fillFrequencyGrid();
  void frequencyCellChanged();
  bool readParameters(TSimParameters& p, std::vector<SimulationEvent>& events);
  bool readStartPopulation();
  void redraw();

  std::optional<uint64_t> seed_;
  TPopulation start_;
  std::unique_ptr<TForwardSimulation> simulation_;
  bool running_ = false;
  bool abort_ = false;
  bool filling_ = false;
  QImage popSizeImage_;
  QImage treeImage_;

  QGroupBox* ParameterGroup_ = nullptr;
  QGroupBox* DisplayGroup_ = nullptr;
  QGroupBox* PopulationSpecification_ = nullptr;
  QSpinBox* SpinLength_ = nullptr;
  QSpinBox* SpinYears_ = nullptr;
  QSpinBox* SpinPopulationGrowth_ = nullptr;
  QSpinBox* SpinSigma_ = nullptr;
  QSpinBox* SpinGenerationDuration_ = nullptr;
  QSpinBox* SpinNumberGenerations_ = nullptr;
  QSpinBox* SpinRefresh_ = nullptr;
  QSpinBox* SpinPopulationSize_ = nullptr;
  QSpinBox* SpinPopulationHaplotypes_ = nullptr;
  QSpinBox* SpinEventPopulationSize_ = nullptr;
  QSpinBox* SpinEventStartGeneration_ = nullptr;
  QSpinBox* SpinEventDuration_ = nullptr;
  QTableWidget* EventGrid_ = nullptr;
  QTableWidget* FrequencyGrid_ = nullptr;
  QRadioButton* RadioLoad_ = nullptr;
  QRadioButton* RadioGenerate_ = nullptr;
  QRadioButton* RadioEqual_ = nullptr;
  QRadioButton* RadioDescribed_ = nullptr;
  QLabel* ImagePopSize_ = nullptr;
  QLabel* ImageTreeView_ = nullptr;
  QLabel* StatusLabel_ = nullptr;
  QPushButton* BtnStartSimulation_ = nullptr;
  QPushButton* BtnSaveSimulation_ = nullptr;
};

// The main window's factory: the window, unshown, without a parent, deleted when closed.
QWidget* CreateForwardSimulation();
