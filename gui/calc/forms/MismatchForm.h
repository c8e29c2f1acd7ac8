#pragma once
// The mismatch window: opens a data file (.rdf, or .tor/.ych through their imports), lets the user
// switch taxa or characters off, draws the distribution of pairwise differences as a bar chart
// with relative frequencies and the mean, prints the chart or saves it as a bitmap.
//
// The chart is painted on a QImage of ChartWidth x ChartHeight (the window shows it); printing and
// the bitmap capture the chart area together with the mean below it. Created without a parent by
// the main window (or with the window to enable again on close); deletes itself when closed.

#include "Canvas.h"
#include "Mismatch.h"
#include "Printing.h"

#include <QImage>
#include <QMainWindow>
#include <QPointer>

#include <memory>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;

// Paints the chart of `histogram` on a canvas of width x height pixels, black on white.
// Without any pair the chart stays empty but for the background.
void DrawMismatchChart(TCanvas& canvas, int width, int height, const TMismatchHistogram& histogram);

class TMismatch_Menue : public QMainWindow {
  Q_OBJECT
public:
  enum class SelectionMode { Taxa, Characters };

  explicit TMismatch_Menue(QWidget* parent = nullptr);
  ~TMismatch_Menue() override;

  const Trdf_DataSet* DataSet() const { return data_.get(); }
  const std::string& FileName() const { return fileName_; }
  const TMismatchHistogram& Histogram() const { return histogram_; }
  const QImage& Chart() const { return chart_; }
  // The chart area and the mean below it, as the window shows them.
  QImage Capture();

public slots:
  void Open1Click();
  void Sequences1Click();
  void Characters1Click();
  void Mismatch1Click();
  void NextButtonClick();
  void PrintButtonClick();
  void SaveButtonClick();
  void Exit1Click();

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  void ShowSelection(SelectionMode mode);
  void FillLists();
  void ToggleItem(bool makeInactive, int row);
  void SetMenusEnabled(bool selection, bool file, bool mismatch);

  QPointer<QWidget> caller_;
  std::unique_ptr<Trdf_DataSet> data_;
  TWindowPrinter printer_;
  std::string fileName_;
  TMismatchHistogram histogram_;
  SelectionMode mode_ = SelectionMode::Taxa;
  std::vector<int> activeRows_, inactiveRows_;  // 0-based data-set positions of the list rows
  QImage chart_;

  QMenu* File1_ = nullptr;
  QMenu* Selection1_ = nullptr;
  QAction* Mismatch1_ = nullptr;
  QWidget* Image1_ = nullptr;
  QListWidget* ActiveListBox_ = nullptr;
  QListWidget* InactiveListBox_ = nullptr;
  QLabel* ActiveLabel_ = nullptr;
  QLabel* InactiveLabel_ = nullptr;
  QLabel* SelectionLabel_ = nullptr;
  QPushButton* NextButton_ = nullptr;
  QPushButton* PrintButton_ = nullptr;
  QPushButton* SaveButton_ = nullptr;
  QLabel* MeanLbl_ = nullptr;
};
