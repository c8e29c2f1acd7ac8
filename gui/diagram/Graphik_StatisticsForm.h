#pragma once
// The statistics window of the drawn network. It exists from start-up on, minimised, and is shown
// by the drawing window.

#include <QSize>
#include <QWidget>

class TGraph_Stat : public QWidget {
  Q_OBJECT
public:
  // Scales itself from the 1024 x 768 design to a screen of `screenSize` (the primary screen
  // when empty).
  explicit TGraph_Stat(QSize screenSize = {}, QWidget* parent = nullptr);
  ~TGraph_Stat() override;
};

// The one statistics window of the run (null before start-up and after it has gone).
extern TGraph_Stat* Graph_Stat;
