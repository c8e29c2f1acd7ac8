#pragma once
// The star-contraction window: opens a data file, sets the maximum star radius, runs the
// contraction and saves the .pro protocol and the .sco file. Created by the main window as
// `new TStar_Menue(mainWindow)`; closing it frees it and enables the main window again.

#include "Star_contraction.h"

#include <QMainWindow>

#include <memory>
#include <string>

class QAction;
class QGroupBox;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QSpinBox;

class TStar_Menue : public QMainWindow {
  Q_OBJECT

 public:
  explicit TStar_Menue(QWidget* parent = nullptr);
  ~TStar_Menue() override;

  static const char* const OpenFilter;

  bool Calculating() const { return calculating_; }
  int Radius() const { return radius_; }
  const Trdf_DataSet* DataSet() const { return data_.get(); }
  const std::string& DataFileName() const { return fileName_; }
  bool Binary() const { return binary_; }

  // Menu handlers (public so tests can drive them as the menu does).
  void File1Click();
  void Parameters1Click();
  void Calculation1Click();
  void About1Click();
  void Weblink1Click();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  class Progress;
  void setMenusEnabled(bool enabled);
  void SetButtonClick();

  std::unique_ptr<Trdf_DataSet> data_;
  std::string fileName_;
  int n_ = 0;
  int radius_ = 5;
  bool binary_ = false;
  bool calculating_ = false;

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
