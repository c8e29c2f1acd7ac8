#pragma once
// The taxon-information window. It exists from start-up on, minimised; the drawing window fills
// and shows it when a node is double-clicked.

#include <QSize>
#include <QWidget>

class TTax_info : public QWidget {
  Q_OBJECT
public:
  // Scales itself from the 1024 x 768 design to a screen of `screenSize` (the primary screen
  // when empty).
  explicit TTax_info(QSize screenSize = {}, QWidget* parent = nullptr);
  ~TTax_info() override;
};

// The one taxon-information window of the run (null before start-up and after it has gone).
extern TTax_info* Tax_info;
