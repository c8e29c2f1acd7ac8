#include "Graphik_StatisticsForm.h"

#include "FormScaling.h"

TGraph_Stat* Graph_Stat = nullptr;

TGraph_Stat::TGraph_Stat(QSize screenSize, QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("Graph_Stat"));
  setWindowTitle(QStringLiteral("Statistics"));
  const QSize screen = ScreenSizeOr(screenSize);
  ScaleForm(*this, 560, 480, ComputeScreenScaling(screen.width(), screen.height()));
  Graph_Stat = this;
}

TGraph_Stat::~TGraph_Stat() {
  if (Graph_Stat == this) Graph_Stat = nullptr;
}
