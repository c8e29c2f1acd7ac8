#pragma once
// The run timer: wall-clock seconds since startTimer.

#include <chrono>

namespace tesmo {

class RunTimer {
public:
  void startTimer();
  // Whole seconds since the start, as the process-time line shows them.
  double elapsedTime() const;
  long realSeconds() const;
  // "process time: <e>s, real time: <r>s", and above 2000 s a days/hours/minutes/seconds line.
  void printTime(int level) const;
  static void printTime(int level, double elapsed, long real);

private:
  std::chrono::steady_clock::time_point start_{};
  long startSeconds_ = 0;
};

extern RunTimer runTimer;

}  // namespace tesmo
