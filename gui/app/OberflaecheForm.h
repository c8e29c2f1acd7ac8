#pragma once
// The main window: the menu bar from which every tool window is opened, the title panel shown at
// start, the contact box and the panel of MP calculation options. While a tool window is open the
// main window is disabled; closing the tool window enables it again.
//
// The tool windows and the data-entry dialogs live in other libraries; the program plugs them in
// through the factories below (see Tarvane.cpp). An entry without a factory stays in the menu and
// does nothing but hide the title panel and the contact box.

#include "DataTypeChoice.h"
#include "ScreenScaling.h"

#include <QImage>
#include <QMainWindow>
#include <QSize>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QTextEdit;
class TGraph_Stat;
class TMPPanel;
class TTax_info;

class TUser_Menue : public QMainWindow {
  Q_OBJECT
public:
  // The windows the menu opens, each created anew on every opening.
  enum class ToolWindow {
    StarContraction,
    ReducedMedian,
    MedianJoining,
    DrawNetwork,
    TimeEstimates,
    ForwardSimulation,
    MismatchDistribution,
  };
  static constexpr int ToolWindowCount = 7;
  // Creates the window, unshown and without a parent; the main window places, shows and watches it.
  using WindowFactory = std::function<QWidget*()>;

  // What the data-type dialog was left with by Continue.
  using DataTypeChoice = TDataTypeChoice;
  // Runs the data-type dialog modally at top 40, left 0: in create mode with the caption "Create
  // new file" for "Manual", in modify mode without its help button for "Import rdf file". Nothing
  // unless the user left it with Continue.
  using DataTypeDialog = std::function<std::optional<DataTypeChoice>(QWidget* parent, bool modify)>;
  // Creates the editor for a data-type word, unshown. An editor whose open step fails or is
  // cancelled closes itself (or the factory returns nullptr); either way the main window is enabled
  // again.
  using EditorFactory = std::function<QWidget*(const std::string& dataType)>;

  // Which title-bar buttons a tool window keeps.
  enum class TitleButtons { All, NoMinimise, NoMinimiseMaximise };

  // Builds the window for a screen of `screenSize` (the primary screen when empty) and scales it
  // from the 1024 x 768 design; sets ChartWidth, ChartHeight and LastKeepAlive.
  explicit TUser_Menue(QSize screenSize = {}, QWidget* parent = nullptr);
  ~TUser_Menue() override;

  void setToolWindowFactory(ToolWindow which, WindowFactory factory);
  void setDataEntry(DataTypeDialog dialog, EditorFactory rdfEditor, EditorFactory strEditor);

  const ScreenScaling& scaling() const { return scaling_; }
  // The MP options panel, hidden until "MP Calculation" is chosen.
  QGroupBox* mpGroupBox() const { return MPGroupBox_; }
  TMPPanel* mpPanel() const { return MPPanel_; }

  // Opens a tool window as every menu entry does: hides the title panel and the contact box,
  // disables the main window, places the window at top 40, left 0 with the given title-bar
  // buttons, shows it in `state`, and enables the main window again once the window is closed
  // (the window is deleted on close).
  void openToolWindow(QWidget* window, Qt::WindowState state,
                      TitleButtons buttons = TitleButtons::NoMinimise);

signals:
  // The main window was closed (by Exit or by its close button): the run ends.
  void closed();

public slots:
  void Create1Click(bool modify);
  void ImportFastafile1Click();
  void ImportNexusfile1Click();
  void ImportPhylipfile1Click();
  void StarContraction1Click();
  void ReducedMedian1Click();
  void MedianJoining1Click();
  void MPCalculationClick();
  void Drawnetwork1Click();
  void Timeestimates1Click();
  void ForwardSimulation1Click();
  void MismatchDistribution1Click();
  void Version1Click();
  void Contact1Click();
  void Exit1Click();
  void WebButtonClick();
  void EMailButtonClick();
  void DownloadButtonClick();
  void ExitContactBoxButtonClick();

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  void buildMenus();
  void buildPanels();
  void hideStartPanels();
  void openFromFactory(ToolWindow which, Qt::WindowState state, TitleButtons buttons);
  QAction* addItem(QMenu* menu, const char* name, const char* caption, const QKeySequence& key,
                   void (TUser_Menue::*handler)());

  ScreenScaling scaling_;
  std::array<WindowFactory, ToolWindowCount> factories_;
  DataTypeDialog dataTypeDialog_;
  EditorFactory rdfEditor_, strEditor_;

  QFrame* Titelbild_ = nullptr;
  QLabel* TitlePicture_ = nullptr;
  QLabel* TarvaneTitelLabel_ = nullptr;
  QTextEdit* WelcomeMemo_ = nullptr;
  QGroupBox* ContactBox_ = nullptr;
  QGroupBox* MPGroupBox_ = nullptr;
  TMPPanel* MPPanel_ = nullptr;
};

// The title picture, decoded from the program's resources through libjpeg; a null image with
// `error` set when it cannot be decoded.
QImage LoadTitlePicture(std::string& error);

// The windows that live for the whole run.
struct StartupWindows {
  std::unique_ptr<TUser_Menue> main;
  std::unique_ptr<TGraph_Stat> statistics;
  std::unique_ptr<TTax_info> taxonInfo;
  StartupWindows();
  StartupWindows(StartupWindows&&) noexcept;
  StartupWindows& operator=(StartupWindows&&) noexcept;
  ~StartupWindows();
};

// The program's start: sets the application title, creates the main window at top 0, left 0,
// maximised, the statistics window at top 40, left 0 without its minimise button, minimised, and
// the taxon-information window, minimised. `screenSize` as for TUser_Menue.
StartupWindows StartTarvane(QSize screenSize = {});
