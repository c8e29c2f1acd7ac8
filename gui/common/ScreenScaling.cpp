#include "ScreenScaling.h"

#include <cmath>

using namespace screen_scaling;

int ScreenScaling::formWidth(int designWidth) const {
  if (!rescale) return designWidth;
  return static_cast<int>(static_cast<long long>(screenWidth) * designWidth / DesignWidth);
}

int ScreenScaling::formHeight(int designHeight) const {
  if (!rescale) return designHeight;
  return static_cast<int>(static_cast<long long>(designHeight) * screenHeight / DesignHeight);
}

ScreenScaling ComputeScreenScaling(int screenWidth, int screenHeight) {
  ScreenScaling s;
  s.screenWidth = screenWidth;
  s.screenHeight = screenHeight;
  if (screenWidth == DesignWidth && screenHeight == DesignHeight) return s;
  s.rescale = true;
  const double byWidth = static_cast<double>(screenWidth) / DesignWidth;
  const double byHeight = static_cast<double>(screenHeight) / DesignHeight;
  s.factor = byWidth < byHeight ? byWidth : byHeight;
  // Both products are exact in a double; halves go to the even neighbour (default rounding mode).
  s.chartWidth = static_cast<int>(std::nearbyint(screenWidth * 800.0 / DesignWidth));
  s.chartHeight = static_cast<int>(std::nearbyint(screenHeight * 600.0 / DesignHeight));
  return s;
}
