#pragma once
// The time-estimation window: opens a .dia or .fdi diagram into a diagram of its own, lets the
// user click an ancestral node and descendant nodes, and shows the rho statistic, its standard
// deviation and both in years for a mutation rate. Prints or saves a snapshot of the window.
//
// The diagram is painted on a QImage (the surface `Image1` shows it). Created without a parent by
// the main window (or with the window to enable again on close); deletes itself when closed.

#include "DrawNetwork_Diagramm.h"
#include "Network_Diagramm.h"
#include "Zeitschaetzung.h"

#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <QSize>

#include <functional>
#include <memory>
#include <string>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QRadioButton;
class QSpinBox;

class TTime_estimate : public QMainWindow {
  Q_OBJECT
public:
  enum class ClickMode { None, Ancestor, Descendants };

  // `parent` is enabled again when the window closes. Scales itself from the 1024 x 768 design to
  // a screen of `screenSize` (the primary screen when empty).
  explicit TTime_estimate(QWidget* parent = nullptr, QSize screenSize = {});
  ~TTime_estimate() override;

  // The print and printer-setup dialog; true when confirmed. Tests replace it.
  std::function<bool(QPrinter&)> PrinterDialog;

  const TNetwork_Diagramm* Diagram() const { return diagram_.get(); }
  const TTimeSelection& Selection() const { return selection_; }
  const TRhoResult& Result() const { return result_; }
  ClickMode Mode() const { return mode_; }
  const QImage& Surface() const { return surface_; }
  const std::string& CurrentFileName() const { return fileName_; }
  int CurrentTree() const { return currentTree_; }
  TDrawOptions DisplayOptions() const;
  // The window's client area as the user sees it.
  QImage Snapshot();
  // Prints the snapshot on a landscape page, stretched to the page less 50 units on every side.
  bool PrintTo(QPrinter& printer);
  // Chooses the node under (x, y) of the surface, as a left click there does.
  void ClickAt(int x, int y);

public slots:
  void Open1Click();
  void AncestralSpecificationButtonClick();
  void DescendantSpecificationButtonClick();
  void TimeCalculationButtonClick();
  void MutationRateSpinChange();
  void OKButtonClick();
  void ResetButtonClick();
  void refreshButtonClick();
  void Zoom_groesserClick();
  void Zoom_kleinerClick();
  void LeftButtonClick();
  void RightButtonClick();
  void UpButtonClick();
  void DownButtonClick();
  void ShiftIntervalChange();
  void RadioCompleteNetworkClick();
  void RadioSteinerNetworkClick();
  void RadioSteinerTreeClick();
  void PreviousTreeButtonClick();
  void NextTreeButtonClick();
  void Print1Click();
  void Saveas1Click();
  void Printersetup1Click();
  void About1Click();
  void Weblink1Click();
  void Exit1Click();

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  class SurfaceWidget;
  void buildMenus();
  void buildControls();
  void ResetDisplay();
  void PresetStyles();
  void SetupSteinerParameters();
  void UpdateTreeButtons();
  void ShowOnlyStepOne();
  void ShowResults();
  void Shift(int dx, int dy);
  void Zoom(double factor);

  QPointer<QWidget> caller_;
  std::unique_ptr<TNetwork_Diagramm> diagram_;
  std::unique_ptr<QPrinter> printer_;
  QImage surface_;
  std::string fileName_;
  TTimeSelection selection_;
  TRhoResult result_;
  ClickMode mode_ = ClickMode::None;
  int shiftInterval_ = 30;
  int currentTree_ = 1;
  bool suppressRefresh_ = false;

  QAction* Print1_ = nullptr;
  QAction* Saveas1_ = nullptr;
  QWidget* Image1_ = nullptr;
  QGroupBox* StepsBox_ = nullptr;
  QLabel* Step1Label_ = nullptr;
  QLabel* Step2Label_ = nullptr;
  QLabel* Step3Label_ = nullptr;
  QLabel* OptionalLabel_ = nullptr;
  QPushButton* AncestralSpecificationButton_ = nullptr;
  QPushButton* DescendantSpecificationButton_ = nullptr;
  QPushButton* TimeCalculationButton_ = nullptr;
  QPushButton* ResetButton_ = nullptr;
  QGroupBox* RateBox_ = nullptr;
  QSpinBox* MutationRateSpin_ = nullptr;
  QGroupBox* DisplayParameters_ = nullptr;
  QSpinBox* MedCircRadSpin_ = nullptr;
  QSpinBox* TaxCircMinSizeSpin_ = nullptr;
  QSpinBox* TaxCircMaxSizeSpin_ = nullptr;
  QCheckBox* NodesProportional_ = nullptr;
  QCheckBox* Medianvectors_ = nullptr;
  QCheckBox* OnlyTorso_ = nullptr;
  QCheckBox* NodeNames_ = nullptr;
  QCheckBox* MutatedPositions_ = nullptr;
  QGroupBox* ZoomGroup_ = nullptr;
  QGroupBox* NavigationGroup_ = nullptr;
  QSpinBox* ShiftInterval_ = nullptr;
  QGroupBox* SteinerParameters_ = nullptr;
  QRadioButton* RadioCompleteNetwork_ = nullptr;
  QRadioButton* RadioSteinerNetwork_ = nullptr;
  QRadioButton* RadioSteinerTree_ = nullptr;
  QPushButton* PreviousTreeButton_ = nullptr;
  QPushButton* NextTreeButton_ = nullptr;
  QGroupBox* Results_ = nullptr;
  QLineEdit* RhoEdit_ = nullptr;
  QLineEdit* AgeEdit_ = nullptr;
  QLineEdit* SigmaEdit_ = nullptr;
  QLineEdit* SigmaYearsEdit_ = nullptr;
};
