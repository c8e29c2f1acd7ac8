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
  // The same figures in the middle of a run: "elapsed time: <e>s, real time: <r>s". A line that begins
  // "process time:" tells the program watching the log that the run has finished, so only the
  // front end writes one, after the result file.
  void printProgress(int level) const;

private:
  std::chrono::steady_clock::time_point start_{};
  long startSeconds_ = 0;
};

extern RunTimer runTimer;

}  // namespace tesmo
