#pragma once
// The star-contraction window: opens a data file, sets the maximum star radius, runs the
// contraction and saves the .pro protocol and the .sco file. Created by the main window as
// `new TStar_Menue(mainWindow)`; closing it frees it and enables the main window again.

#include "CalcWindow.h"
#include "Star_contraction.h"

#include <string>

class QAction;
class QGroupBox;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QSpinBox;

class TStar_Menue : public TCalcWindow {
  Q_OBJECT

 public:
  explicit TStar_Menue(QWidget* parent = nullptr);
  ~TStar_Menue() override;

  static const char* const OpenFilter;

  int Radius() const { return radius_; }
  bool Binary() const { return binary_; }

  // Menu handlers (public so tests can drive them as the menu does).
  void File1Click();
  void Parameters1Click();
  void Calculation1Click();

 private:
  class Progress;
  void setMenusEnabled(bool enabled) override;
  void SetButtonClick();

  int radius_ = 5;
  bool binary_ = false;

  QAction* fileAction_ = nullptr;
  QAction* parametersAction_ = nullptr;
  QAction* calculateAction_ = nullptr;
  QMenu* helpMenu_ = nullptr;

  QGroupBox* parametersGroup_ = nullptr;
  QSpinBox* radiusSpin_ = nullptr;
  QGroupBox* equivalentGroup_ = nullptr;
  QProgressBar* equiProgress_ = nullptr;
  QLineEdit* equiCount_ = nullptr;
  QGroupBox* medianGroup_ = nullptr;
  QLineEdit* examinedEdit_ = nullptr;
  QLineEdit* mediansEdit_ = nullptr;
  QGroupBox* cliquesGroup_ = nullptr;
  QLineEdit* cliquesEdit_ = nullptr;
  QLineEdit* checkingEdit_ = nullptr;
};
