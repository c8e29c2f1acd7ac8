#include "Oberflaeche.h"

#include <chrono>
#include <thread>
#include <utility>

double LastKeepAlive = 0.0;
int ChartWidth = 800;
int ChartHeight = 600;
bool EditorCreateMode = false;
std::string EditorDataType;

namespace {
std::function<double()>& keepAliveClock() {
  static std::function<double()> clock;
  return clock;
}
std::function<void()>& keepAlivePump() {
  static std::function<void()> pump;
  return pump;
}
}  // namespace

bool KeepAliveStep(double& lastKeepAlive, double now) {
  const bool runMessages = lastKeepAlive - now > KeepAliveThresholdDays;
  lastKeepAlive = now;
  return runMessages;
}

double CurrentDateTime() {
  // 25569 days lie between 1899-12-30 and the Unix epoch.
  using namespace std::chrono;
  const double seconds = duration<double>(system_clock::now().time_since_epoch()).count();
  return 25569.0 + seconds / 86400.0;
}

void KeepUIAlive() {
  const double now = keepAliveClock() ? keepAliveClock()() : CurrentDateTime();
  if (!KeepAliveStep(LastKeepAlive, now)) return;
  std::this_thread::sleep_for(std::chrono::milliseconds(3));
  if (keepAlivePump()) keepAlivePump()();
}

void SetKeepAliveClock(std::function<double()> clock) { keepAliveClock() = std::move(clock); }
void SetKeepAlivePump(std::function<void()> pump) { keepAlivePump() = std::move(pump); }
