#pragma once
// The reduced-median window: opens a binary data file, sets the weights, the reduction threshold
// and the Frequency>1 criterion, runs the calculation and saves the .rmf and .out files. Created by
// the main window as `new TRM_Menue(mainWindow)`; closing it frees it and enables the main window.

#include "CalcWindow.h"
#include "Reduced_median.h"

#include <string>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;

class TRM_Menue : public TCalcWindow {
  Q_OBJECT

 public:
  explicit TRM_Menue(QWidget* parent = nullptr);
  ~TRM_Menue() override;

  static const char* const OpenFilter;

  const TRMOptions& Options() const { return options_; }

  // Menu handlers (public so tests can drive them as the menu does).
  void Open1Click();
  void Weighting1Click();
  void Threshold1Click();
  void Frequency1Click();
  void Calculation1Click();

 private:
  class Progress;
  void setMenusEnabled(bool enabled) override;
  void ThresholdEditExit();
  void ThresholdOkClick();

  TRMOptions options_;

  QMenu* fileMenu_ = nullptr;
  QMenu* parametersMenu_ = nullptr;
  QMenu* helpMenu_ = nullptr;
  QAction* calculateAction_ = nullptr;
  QAction* exitAction_ = nullptr;
  QAction* thresholdAction_ = nullptr;
  QAction* frequencyAction_ = nullptr;

  QGroupBox* thresholdPanel_ = nullptr;
  QLineEdit* thresholdEdit_ = nullptr;
  QCheckBox* generateLinks_ = nullptr;

  QGroupBox* splitGroup_ = nullptr;
  QLineEdit* roundEdit_ = nullptr;
  QLineEdit* siteEdit_ = nullptr;
  QGroupBox* medianGroup_ = nullptr;
  QLabel* medianLabel_ = nullptr;
  QProgressBar* medianGauge_ = nullptr;
  QGroupBox* linksGroup_ = nullptr;
  QLabel* linksLabel_ = nullptr;
  QProgressBar* linksGauge_ = nullptr;
};
