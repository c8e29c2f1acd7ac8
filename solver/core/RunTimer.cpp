#include "RunTimer.h"

#include "LogStream.h"

#include <cmath>
#include <ctime>

namespace tesmo {

RunTimer runTimer;

void RunTimer::startTimer() {
  start_ = std::chrono::steady_clock::now();
  startSeconds_ = static_cast<long>(std::time(nullptr));
  log(5) << "timer started.\n";
}

double RunTimer::elapsedTime() const {
  const auto d = std::chrono::steady_clock::now() - start_;
  return static_cast<double>(std::chrono::duration_cast<std::chrono::seconds>(d).count());
}

long RunTimer::realSeconds() const { return static_cast<long>(std::time(nullptr)) - startSeconds_; }

void RunTimer::printTime(int level) const { printTime(level, elapsedTime(), realSeconds()); }

void RunTimer::printProgress(int level) const {
  log(level) << "elapsed time: " << elapsedTime() << "s, real time: " << realSeconds() << "s" << std::endl;
}

void RunTimer::printTime(int level, double elapsed, long real) {
  log(level) << "process time: " << elapsed << "s, real time: " << real << "s" << std::endl;
  if (elapsed <= 2000.0) return;
  const long t = std::lround(elapsed);
  log(level) << "(";
  if (t > 86400) log(level) << t / 86400 << " days, ";
  if (t > 3600) log(level) << (t / 3600) % 24 << " hours, ";
  log(level) << (t / 60) % 60 << " minutes, " << t % 60 << " seconds)" << std::endl;
}

}  // namespace tesmo
