#include "Graphik_Taxon_infoForm.h"

#include "FormScaling.h"

TTax_info* Tax_info = nullptr;

TTax_info::TTax_info(QSize screenSize, QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("Tax_info"));
  setWindowTitle(QStringLiteral("Taxon information"));
  const QSize screen = ScreenSizeOr(screenSize);
  ScaleForm(*this, 320, 400, ComputeScreenScaling(screen.width(), screen.height()));
  Tax_info = this;
}

TTax_info::~TTax_info() {
  if (Tax_info == this) Tax_info = nullptr;
}
