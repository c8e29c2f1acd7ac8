#pragma once
// The reduced-median window: opens a binary data file, sets the weights, the reduction threshold
// and the Frequency>1 criterion, runs the calculation and saves the .rmf and .out files. Created by
// the main window as `new TRM_Menue(mainWindow)`; closing it frees it and enables the main window.

#include "CalcWindowParts.h"
#include "Reduced_median.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include <memory>
#include <optional>
#include <string>

class QWidget;


class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QProgressBar;

class TRM_Menue : public QMainWindow {
  Q_OBJECT

 public:
  explicit TRM_Menue(QWidget* parent = nullptr);
  ~TRM_Menue() override;

  static const char* const OpenFilter;

  bool Calculating() const { return calculating_; }
  const TRMOptions& Options() const { return options_; }
  const Trdf_DataSet* DataSet() const { return data_.get(); }
  const std::string& DataFileName() const { return fileName_; }

  // Menu handlers (public so tests can drive them as the menu does).
  void Open1Click();
  void Weighting1Click();
  void Threshold1Click();
  void Frequency1Click();
  void Calculation1Click();
  void About1Click();
  void Weblink1Click();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  class Progress;
  void setMenusEnabled(bool enabled);
  void ThresholdEditExit();
  void ThresholdOkClick();
  void WeightListClick(QListWidgetItem* line);
  void WeightEditExit();
  void WeightOkClick();
  std::string weightLine(int character) const;

  std::unique_ptr<Trdf_DataSet> data_;
  TRMOptions options_;
  std::string fileName_;
  int n_ = 0;
  bool calculating_ = false;
  int editedCharacter_ = 0;

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

  QGroupBox* weightPanel_ = nullptr;
  QListWidget* weightList_ = nullptr;
  QLabel* newWeightLabel_ = nullptr;
  QLineEdit* weightEdit_ = nullptr;

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
