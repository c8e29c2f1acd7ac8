#pragma once
// The contents of the main window's "MP calculation options" panel: which trees the solver is to
// find, and Start/Cancel/Help. Start asks for an .out file, runs the solver beside the program and
// reports the outcome from its log; the panel hides itself at the end of every path.

#include <QWidget>

#include <string>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
namespace mp { class MPCalculation; }

class TMPPanel : public QObject {
  Q_OBJECT
public:
  // Fills `box` with the options and buttons; the box is shown and hidden by its owner and by us.
  explicit TMPPanel(QGroupBox* box);

  // The program number the checked option selects (a later option overrides an earlier one).
  int programNumber() const;
  // The folder the solver is looked for in; the running program's folder unless set.
  void setSolverFolder(const std::string& folder) { solverFolder_ = folder; }
  mp::MPCalculation& calculation() { return *calculation_; }

public slots:
  void MPStartButtonClick();
  void MPCancelButtonClick();
  void MPHelpButtonClick();

signals:
  // The solver's run has ended (after its message was shown).
  void finished(bool success);

private:
  QGroupBox* box_;
  QRadioButton* RadioSetOfMPTrees_;
  QRadioButton* RadioMPNetwork_;
  QRadioButton* RadioAllMPTrees_;
  QRadioButton* RadioMPTree_;
  QRadioButton* RadioNearoptTree_;
  QPushButton* MPStartButton_;
  QLabel* MPElapsedLabel_;  // the elapsed time while the solver runs
  mp::MPCalculation* calculation_;
  std::string solverFolder_;
};
