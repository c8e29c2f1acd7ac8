#pragma once
// The median-joining window: opens a data file, sets the options through its menus and panels,
// runs the calculation (TMJCalculation) and saves the network as an .out file. Created by the main
// window as `new TMJ_Menue(mainWindow)`; closing it frees it and enables the main window again.

#include "CalcWindow.h"
#include "Median_joining.h"

#include <memory>
#include <string>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QSpinBox;

class TMJ_Menue : public TCalcWindow {
  Q_OBJECT

public:
  explicit TMJ_Menue(QWidget* parent = nullptr);
  ~TMJ_Menue() override;

  // The open dialog's filter.
  static const char* const OpenFilter;
  // The epsilon item's caption for an epsilon value.
  static std::string EpsilonCaption(int epsilon);

  const TMJOptions& Options() const { return options_; }

  // Menu handlers (public so the main window and tests can drive them as the menu does).
  void Open1Click();
  void ChangeWeights1Click();
  void ChangeEpsilon1Click();
  void Frequency1Click();
  void WeightingTransversions1Click();
  void Criterion1Click();
  void ExternalRooting1Click();
  void MJSquare1Click();
  void Calculatenetwork1Click();

private:
  class Progress;
  void setMenusEnabled(bool enabled) override { enableMenus(enabled, false); }
  void enableMenus(bool enabled, bool alsoHelp);
  void resetOptions();
  void updateCaptions();
  void showParameterPanel(bool epsilon);
  void ParamOkClick();
  void EpsilonSpinExit();
  void TransversSpinExit();
  void TransitSpinExit();

  TMJOptions options_;
  bool binary_ = false;

  QMenu* fileMenu_ = nullptr;
  QMenu* parametersMenu_ = nullptr;
  QMenu* helpMenu_ = nullptr;
  QAction* calculateAction_ = nullptr;
  QAction* epsilonAction_ = nullptr;
  QAction* frequencyAction_ = nullptr;
  QAction* weightingAction_ = nullptr;
  QAction* criterionAction_ = nullptr;
  QAction* rootingAction_ = nullptr;
  QAction* squareAction_ = nullptr;

  QGroupBox* parameterPanel_ = nullptr;
  QLabel* epsilonLabel_ = nullptr;
  QSpinBox* epsilonSpin_ = nullptr;
  QLabel* transversLabel_ = nullptr;
  QSpinBox* transversSpin_ = nullptr;
  QLabel* transitLabel_ = nullptr;
  QSpinBox* transitSpin_ = nullptr;
  QPushButton* paramOk_ = nullptr;

  QGroupBox* resultsGroup_ = nullptr;
  QLineEdit* editRound_ = nullptr;
  QLineEdit* editMedians_ = nullptr;
  QLineEdit* editSequences_ = nullptr;
  QLineEdit* editLinks_ = nullptr;
  QLineEdit* editFeasComb_ = nullptr;
  QProgressBar* linksGauge_ = nullptr;
  QProgressBar* combGauge_ = nullptr;
};
