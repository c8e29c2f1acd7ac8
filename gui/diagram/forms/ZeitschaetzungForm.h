#pragma once
// The time-estimation window: opens a .dia or .fdi diagram into a diagram of its own, lets the
// user click an ancestral node and descendant nodes, and shows the rho statistic, its standard
// deviation and both in years for a mutation rate. Prints or saves a snapshot of the window.
//
// The diagram is painted on the surface of a TDiagramView (`Image1`). Created without a parent by
// the main window (or with the window to enable again on close); deletes itself when closed.

#include "DrawNetwork_Diagramm.h"
#include "Network_Diagramm.h"
#include "Zeitschaetzung.h"

#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <QSize>

#include <memory>
#include <string>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class TDiagramView;
class TShortestTreesBox;

class TTime_estimate : public QMainWindow {
  Q_OBJECT
public:
  enum class ClickMode { None, Ancestor, Descendants };

  // `parent` is enabled again when the window closes. Scales itself from the 1024 x 768 design to
  // a screen of `screenSize` (the primary screen when empty).
  explicit TTime_estimate(QWidget* parent = nullptr, QSize screenSize = {});
  ~TTime_estimate() override;

  const TNetwork_Diagramm* Diagram() const { return diagram_.get(); }
  const TTimeSelection& Selection() const { return selection_; }
  const TRhoResult& Result() const { return result_; }
  ClickMode Mode() const { return mode_; }
  const QImage& Surface() const;
  const std::string& CurrentFileName() const { return fileName_; }
  int CurrentTree() const;
  TDrawOptions DisplayOptions() const;
  // The window's client area as the user sees it.
  QImage Snapshot();
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
  void Print1Click();
  void Saveas1Click();
  void Printersetup1Click();
  void About1Click();
  void Weblink1Click();
  void Exit1Click();

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  void buildMenus();
  void buildControls();
  void ResetDisplay();
  void PresetStyles();
  void ShowOnlyStepOne();
  void ShowResults();

  QPointer<QWidget> caller_;
  std::unique_ptr<TNetwork_Diagramm> diagram_;
  std::string fileName_;
  TTimeSelection selection_;
  TRhoResult result_;
  ClickMode mode_ = ClickMode::None;
  bool suppressRefresh_ = false;

  QAction* Print1_ = nullptr;
  QAction* Saveas1_ = nullptr;
  TDiagramView* Image1_ = nullptr;
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
  TShortestTreesBox* SteinerParameters_ = nullptr;
  QGroupBox* Results_ = nullptr;
  QLineEdit* RhoEdit_ = nullptr;
  QLineEdit* AgeEdit_ = nullptr;
  QLineEdit* SigmaEdit_ = nullptr;
  QLineEdit* SigmaYearsEdit_ = nullptr;
};
