#pragma once
// The screen scaling of the diagram dialogs: designed for a 1024 x 768 screen, on any other screen
// the client area follows the screen (width x screen width / 1024, height x screen height / 768,
// truncating) and the contents follow the smaller of the two ratios.

#include "FormScaling.h"

#include <QSize>
#include <QWidget>

// Scales `form` for a screen of `screenSize` (the primary screen when empty) from its design
// client size and marks it scaled (property "scaled"). Returns the scaling used, so a form can
// scale design lengths of its own contents with ScaledLength.
inline ScreenScaling ScaleDiagramForm(QWidget& form, QSize designClient, QSize screenSize = {}) {
  const QSize screen = ScreenSizeOr(screenSize);
  const ScreenScaling s = ComputeScreenScaling(screen.width(), screen.height());
  ScaleForm(form, designClient.width(), designClient.height(), s);
  form.setProperty("scaled", true);
  return s;
}
