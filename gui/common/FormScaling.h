#pragma once
// Scales a window from its 1024 x 768 design when it is created: the client size follows the
// screen and the contents (fonts, and the design sizes the window asks for) follow the factor.

#include "ScreenScaling.h"

#include <algorithm>

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

// `requested` when valid, otherwise the primary screen's size (the design screen without one).
inline QSize ScreenSizeOr(QSize requested) {
  if (requested.isValid()) return requested;
  if (const QScreen* s = QGuiApplication::primaryScreen()) return s->size();
  return {screen_scaling::DesignWidth, screen_scaling::DesignHeight};
}

// A design length scaled by the contents factor.
inline int ScaledLength(int designLength, const ScreenScaling& s) {
  return s.rescale ? static_cast<int>(designLength * s.factor + 0.5) : designLength;
}

inline QFont ScaledFont(QFont font, double factor) {
  if (font.pointSizeF() > 0)
    font.setPointSizeF(font.pointSizeF() * factor);
  else if (font.pixelSize() > 0)
    font.setPixelSize(static_cast<int>(font.pixelSize() * factor + 0.5));
  return font;
}

// The top-left corner for a window of `size` that wants to stand at `wanted`: moved left and up as
// far as needed to keep it wholly inside `available` (the screen's free area), never past its
// top-left corner.
inline QPoint PlaceInside(QPoint wanted, QSize size, const QRect& available) {
  const int x = std::max(available.left(), std::min(wanted.x(), available.right() + 1 - size.width()));
  const int y = std::max(available.top(), std::min(wanted.y(), available.bottom() + 1 - size.height()));
  return {x, y};
}

// The free area of a screen of `requested` size (the primary screen's when empty).
inline QRect AvailableScreenArea(QSize requested) {
  if (requested.isValid()) return {QPoint(0, 0), requested};
  if (const QScreen* s = QGuiApplication::primaryScreen()) return s->availableGeometry();
  return {0, 0, screen_scaling::DesignWidth, screen_scaling::DesignHeight};
}

// Gives `form` its client size for this screen and scales its font by the contents factor.
inline void ScaleForm(QWidget& form, int designWidth, int designHeight, const ScreenScaling& s) {
  form.resize(s.formWidth(designWidth), s.formHeight(designHeight));
  if (s.rescale) form.setFont(ScaledFont(form.font(), s.factor));
}
