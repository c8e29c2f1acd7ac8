#pragma once
// The taxon-information window. It exists from start-up on, minimised; the drawing window fills
// and shows it when a node is double-clicked, and stays disabled until it is closed.

#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QWidget>

#include <string>
#include <vector>

class QListWidget;
class TNetwork_Diagramm;

class TTax_info : public QWidget {
  Q_OBJECT
public:
  // Scales itself from the 1024 x 768 design to a screen of `screenSize` (the primary screen
  // when empty).
  explicit TTax_info(QSize screenSize = {}, QWidget* parent = nullptr);
  ~TTax_info() override;

  // Appends the lines of node `node` (1-based) of `diagram`, places the window at `topLeft`,
  // disables `drawingWindow` until this window closes and shows the window in normal state.
  void ShowTaxon(const TNetwork_Diagramm& diagram, int node, QPoint topLeft,
                 QWidget* drawingWindow);

  void AppendLines(const std::vector<std::string>& lines);
  std::vector<std::string> Lines() const;
  QListWidget* TaxInfoBox() const { return TaxInfoBox_; }

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  QListWidget* TaxInfoBox_ = nullptr;
  QPointer<QWidget> drawingWindow_;
  QSize screenSize_;  // the screen it was made for (empty: the primary screen)
};

// The one taxon-information window of the run (null before start-up and after it has gone).
extern TTax_info* Tax_info;
