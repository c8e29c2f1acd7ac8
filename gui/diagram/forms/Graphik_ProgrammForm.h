#pragma once
// The drawing window: opens a network (.out, .sto, .dia, .fdi), lays it out while the user
// watches, lets the user pause and continue the placement, zoom, move the picture and browse the
// shortest trees, and saves it as .fdi, exports it as a 32-bit bitmap or prints it. The finished
// picture is edited with the mouse (moving nodes, turning one side of a link, styling what was
// right-clicked, showing a double-clicked node's information) with a one-step undo.
//
// The diagram is painted on the surface of a TDiagramView (`Image1`); bitmap export and printing
// use that image. The stepwise placement runs from a timer owned by the window, one step
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

#include <memory>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QSpinBox;
class TDiagramView;
class TDrawEdges;
class TGraph_Stat;
class TGraphik_Programm;
class TShortestTreesBox;
class TTax_info;

class TGraphik_Menue : public QMainWindow {
  Q_OBJECT
public:
  // `parent` is enabled again when the window closes. The window scales itself from the
  // 1024 x 768 design to a screen of `screenSize` (the primary screen when empty) and deletes
  // itself when closed.
  explicit TGraphik_Menue(QWidget* parent = nullptr, QSize screenSize = {});
  ~TGraphik_Menue() override;

  // State, for the program and its tests.
  TDrawNetwork_Diagramm* Diagram() const { return diagram_.get(); }
  const QImage& Surface() const;
  QImage GetScreenShot() const;
  double UnitLength() const { return UnitLength_; }
  bool DiagramSaved() const { return DiagramSaved_; }
  const std::string& CurrentFileName() const { return CurrentFileName_; }
  int CurrentTree() const;
  int ShiftStep() const;
  bool PlacementRunning() const;
  bool PlacementDone() const { return placementDone_; }
  TDrawOptions DisplayOptions() const;
  // What FinishDrawing will show: the display parameters with names, proportional nodes and
  // mutated positions on, the whole network.
  TDrawOptions FinishedOptions() const;
  const TGraphik_MouseEdit& MouseEdit() const { return mouseEdit_; }

public slots:
  void Open21Click();
  void Save1Click();
  void Print1Click();
  void Printersetup1Click();
  void Exit1Click();
  void refreshButtonClick();
  void FontSizeSpinChange();
  void StatisticButtonClick();
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
  void resizeEvent(QResizeEvent* event) override;

private:
  // While no diagram is open, the drawing surface takes the window beside the controls and
  // below the menu.
  void FitSurfaceToWindow();
  void buildMenus();
  void buildControls(int imageWidth, int imageHeight);
  void Initialize();
  void FinishDrawing();
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
  // After a zoom (by `factor`) or a shift (1) of the picture.
  void PictureMoved(double factor);
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
  QSize screenSize_;
  int controlsWidth_ = 0;
  QTimer placementTimer_;

  std::string CurrentFileName_;
  bool DiagramSaved_ = false;
  double UnitLength_ = 0;
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
  TDiagramView* Image1_ = nullptr;
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
  TShortestTreesBox* ShortestTrees_ = nullptr;
  QPushButton* StopButton_ = nullptr;
  QPushButton* EndCorrectionButton_ = nullptr;
  QPushButton* FinalizeButton_ = nullptr;
  QPushButton* UndoButton_ = nullptr;
  QGroupBox* HelpGroup_ = nullptr;
  QComboBox* CmbColorScheme_ = nullptr;
  QLabel* LblColorScheme_ = nullptr;
};
