#pragma once
// The drawing window: opens a network (.out, .sto, .dia, .fdi), lays it out while the user
// watches, lets the user pause and continue the placement, zoom, move the picture and browse the
// shortest trees, and saves it as .fdi, exports it as a 32-bit bitmap or prints it. The finished
// picture is edited with the mouse (moving nodes, turning one side of a link, styling what was
// right-clicked, showing a double-clicked node's information) with a one-step undo.
//
// The diagram is painted on a QImage (the drawing surface `Image1` shows it); bitmap export and
// printing use that image. The stepwise placement runs from a timer owned by the window, one step
// per tick, so the window stays responsive without a second thread or a nested event loop.

#include "DiagramStyles.h"
#include "DrawNetwork_Diagramm.h"
#include "Graphik_MouseEdit.h"
#include "Network_Diagramm.h"

#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <QSize>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QDialog;
class QGroupBox;
class QLabel;
class QMenu;
class QPrinter;
class QPushButton;
class QRadioButton;
class QSpinBox;
class TDrawEdges;
class TGraph_Stat;
class TGraphik_Programm;
class TTax_info;

class TGraphik_Menue : public QMainWindow {
  Q_OBJECT
public:
  // `parent` is enabled again when the window closes. The window scales itself from the
  // 1024 x 768 design to a screen of `screenSize` (the primary screen when empty) and deletes
  // itself when closed.
  explicit TGraphik_Menue(QWidget* parent = nullptr, QSize screenSize = {});
  ~TGraphik_Menue() override;

  // The printer dialog; returns true when confirmed. Tests replace it to print to a file.
  std::function<bool(QPrinter&)> PrinterDialog;
  // Runs a style dialog modally and returns its result (kModalOk when confirmed). Tests replace
  // it to fill in and confirm or cancel the dialog.
  std::function<int(QDialog&)> ShowModal;

  // State, for the program and its tests.
  TDrawNetwork_Diagramm* Diagram() const { return diagram_.get(); }
  const QImage& Surface() const { return surface_; }
  QImage GetScreenShot() const;
  double UnitLength() const { return UnitLength_; }
  bool DiagramSaved() const { return DiagramSaved_; }
  const std::string& CurrentFileName() const { return CurrentFileName_; }
  int CurrentTree() const { return CurrentTree_; }
  int ShiftStep() const { return ShiftStep_; }
  bool PlacementRunning() const;
  bool PlacementDone() const { return placementDone_; }
  TDrawOptions DisplayOptions() const;
  const TGraphik_MouseEdit& MouseEdit() const { return mouseEdit_; }
  // Stretches the screen image onto a landscape page of `printer`; false after an error, which
  // was shown as "Unknown error: " plus its text.
  bool PrintTo(QPrinter& printer);

public slots:
  void Open21Click();
  void Save1Click();
  void Print1Click();
  void Printersetup1Click();
  void Exit1Click();
  void refreshButtonClick();
  void FontSizeSpinChange();
  void StatisticButtonClick();
  void Zoom_groesserClick();
  void Zoom_kleinerClick();
  void LeftButtonClick();
  void RightButtonClick();
  void UpButtonClick();
  void DownButtonClick();
  void ShiftIntervalChange();
  void RadioSteinerTreeClick();
  void RadioSteinerNetworkClick();
  void RadioCompleteNetworkClick();
  void PreviousTreeButtonClick();
  void NextTreeButtonClick();
  void StopButtonClick();
  void EndCorrectionButtonClick();
  void FinalizeButtonClick();
  void UndoButtonClick();
  void HelpButtonClick();
  void BtnHelpMoveLinkClick();
  void BtnHelpMoveNodeClick();
  void BtnHelpNodeInfoClick();
  void BtnHelpFormatClick();
  void CmbColorSchemeChange();

  // Mouse events of the drawing surface `Image1` (positions in its pixels); nothing happens
  // while no diagram exists.
  void Image1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
  void Image1MouseMove(Qt::KeyboardModifiers shift, int x, int y);
  void Image1MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
  void Image1DblClick();

protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void buildMenus();
  void buildControls(int imageWidth, int imageHeight);
  void Initialize();
  void FinishDrawing();
  void SetupShortestTreeGroup();
  void BuildSchemes();
  void SaveUndoInformation();
  void EditLinkStyle(int link);
  void EditMutationStyle(int link, int mutation);
  void EditTaxonStyle(int node);
  void EditTaxonNameStyle(int node);
  // A text dialog confirmed with a size other than the "Font size " spin's leaves mixed sizes,
  // which the spin shows as 0.
  void MarkMixedFontSizes(int size);
  void ChooseColorScheme(const std::string& name);
  // The "Font size " field shows the diagram's label height (0 when they differ).
  void ShowFontSize();
  // An edit of the diagram (a style, a moved node, a scheme, a size, an undo): it needs saving
  // again. Zooming, moving the picture and browsing trees are no edits.
  void MarkChanged();
  void ShowActiveScheme();
  // The taxon information window of the run (one of this window's own when there is none).
  TTax_info* TaxonInfoWindow();
  bool TaxonInfoOpen() const;
  void OpenNetwork(bool sto);
  void OpenDia();
  void OpenFdi();
  void RunLayout();
  void PlacementTick();
  void ShowPausedControls();
  void ClearSelectedLink();
  void Zoom(double factor);
  void Shift(int dx, int dy);
  void UpdateTreeButtons();
  // Stops the placement and frees the layout, then the diagram; nothing runs on it afterwards.
  void ReleaseLayout();
  void ReleaseDiagram();
  bool ruecksetzen();

  QPointer<QWidget> caller_;
  std::unique_ptr<TDrawNetwork_Diagramm> diagram_;
  std::unique_ptr<TGraphik_Programm> layout_;
  std::unique_ptr<TDrawEdges> PlacementDriver_;
  std::unique_ptr<TGraph_Stat> ownStatistics_;
  std::unique_ptr<TTax_info> ownTaxonInfo_;
  std::unique_ptr<QPrinter> printer_;
  QSize screenSize_;
  QImage surface_;
  QTimer placementTimer_;

  std::string CurrentFileName_;
  bool DiagramSaved_ = false;
  double UnitLength_ = 0;
  int ShiftStep_ = 30;
  int CurrentTree_ = 0;
  int treeCount_ = 0;
  bool SchemesBuilt_ = false;
  bool placementDone_ = false;
  bool layingOut_ = false;      // a layout run or step is on the stack: the window must not go
  bool released_ = false;       // reset done, the close goes through
  bool suppressRepaint_ = false;
  // Mouse editing with its selection and undo copy; the dialogs' last values, which a value the
  // dialog refuses leaves in place.
  TGraphik_MouseEdit mouseEdit_;
  TLinkStyle linkStyle_;
  TTaxonStyle taxonStyle_;
  TTextStyle taxonNameStyle_;
  TTextStyle mutationStyle_;

  QMenu* File1_ = nullptr;
  QAction* Open21_ = nullptr;
  QAction* Save1_ = nullptr;
  QAction* Print1_ = nullptr;
  QAction* Printersetup1_ = nullptr;
  QAction* Exit1_ = nullptr;
  QWidget* Image1_ = nullptr;
  QGroupBox* DisplayParameters_ = nullptr;
  QCheckBox* NodesProportional_ = nullptr;
  QCheckBox* OnlyTorso_ = nullptr;
  QCheckBox* MutatedPositions_ = nullptr;
  QCheckBox* NodeNames_ = nullptr;
  QCheckBox* Medianvectors_ = nullptr;
  QCheckBox* MedianvectorNames_ = nullptr;
  QSpinBox* TaxCircMinSizeSpin_ = nullptr;
  QSpinBox* TaxCircMaxSizeSpin_ = nullptr;
  QSpinBox* MedCircRadSpin_ = nullptr;
  QSpinBox* FontSizeSpin_ = nullptr;
  QPushButton* refreshButton_ = nullptr;
  QPushButton* StatisticButton_ = nullptr;
  QGroupBox* ZoomGroup_ = nullptr;
  QGroupBox* NavigationGroup_ = nullptr;
  QSpinBox* ShiftInterval_ = nullptr;
  QGroupBox* ShortestTrees_ = nullptr;
  QRadioButton* RadioSteinerTree_ = nullptr;
  QRadioButton* RadioSteinerNetwork_ = nullptr;
  QRadioButton* RadioCompleteNetwork_ = nullptr;
  QPushButton* PreviousTreeButton_ = nullptr;
  QPushButton* NextTreeButton_ = nullptr;
  QPushButton* StopButton_ = nullptr;
  QPushButton* EndCorrectionButton_ = nullptr;
  QPushButton* FinalizeButton_ = nullptr;
  QPushButton* UndoButton_ = nullptr;
  QGroupBox* HelpGroup_ = nullptr;
  QComboBox* CmbColorScheme_ = nullptr;
  QLabel* LblColorScheme_ = nullptr;
};
