#pragma once
// Every window is designed for a 1024 x 768 screen and scales itself to the real screen when it is
// created. Plain arithmetic, so the rule can be checked without a screen.

namespace screen_scaling {
inline constexpr int DesignWidth = 1024;
inline constexpr int DesignHeight = 768;
}  // namespace screen_scaling

struct ScreenScaling {
  int screenWidth = screen_scaling::DesignWidth;
  int screenHeight = screen_scaling::DesignHeight;
  // False on the design screen itself: nothing is rescaled there.
  bool rescale = false;
  // Contents factor: the smaller of screen width / 1024 and screen height / 768.
  double factor = 1.0;
  // Drawing size of the chart windows: 800 x 600 on the design screen.
  int chartWidth = 800;
  int chartHeight = 600;

  // A form's design width or height on this screen (integer arithmetic, truncating).
  int formWidth(int designWidth) const;
  int formHeight(int designHeight) const;
};

// The scaling for a screen of the given size in pixels.
ScreenScaling ComputeScreenScaling(int screenWidth, int screenHeight);
