#pragma once
// The statistics window of the drawn network. It exists from start-up on, minimised, and is shown
// by the drawing window, which stays disabled until this window is closed.

#include <QPointer>
#include <QSize>
#include <QWidget>

#include <array>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;
class TNetwork_Diagramm;

class TGraph_Stat : public QWidget {
  Q_OBJECT
public:
  // Scales itself from the 1024 x 768 design to a screen of `screenSize` (the primary screen
  // when empty).
  explicit TGraph_Stat(QSize screenSize = {}, QWidget* parent = nullptr);
  ~TGraph_Stat() override;

  // Shows the statistics of `diagram` (which must outlive the showing; nothing is computed
  // without one) in normal state and disables `drawingWindow` until this window closes.
  void ShowStatistics(const TNetwork_Diagramm* diagram, QWidget* drawingWindow);
  // Closes the window when it shows `diagram`, which is about to go.
  void ForgetDiagram(const TNetwork_Diagramm* diagram);

  // The eight caption lines as shown (caption followed by value) and the character list.
  std::vector<std::string> ShownLines() const;
  std::vector<std::string> CharacterLines() const;

public slots:
  void FormShow();
  void ExportBtnClick();
  void ExitBtnClick();

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  const TNetwork_Diagramm* diagram_ = nullptr;
  QPointer<QWidget> drawingWindow_;
  std::array<QLabel*, 8> captions_{};
  std::array<QLabel*, 8> values_{};
  QListWidget* CharacterList_ = nullptr;
};

// The one statistics window of the run (null before start-up and after it has gone).
extern TGraph_Stat* Graph_Stat;
