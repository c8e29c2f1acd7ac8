#pragma once
// Program-wide values of the main window's unit, and the keep-alive step that the long
// calculations call inside their loops. Plain C++, so calculations can use it without widgets.

#include <functional>
#include <string>

// Time of the previous keep-alive pass, in days (a date-time as a double).
extern double LastKeepAlive;
// Drawing size of the chart windows; set from the screen when the main window is created.
extern int ChartWidth;
extern int ChartHeight;
// What the data-type dialog was left with: create mode, and the data-type word ("amino",
// "multistate", "binary", "rflp", "ychrom", "autosomal" or "mixed"). Read by the editors.
extern bool EditorCreateMode;
extern std::string EditorDataType;

// How far `LastKeepAlive` must lie after the current time (3.272 seconds, in days) before a
// keep-alive pass lets pending messages run.
inline constexpr double KeepAliveThresholdDays = 3.787e-5;

// One keep-alive decision: true when `lastKeepAlive` - `now` exceeds the threshold, i.e. only when
// the clock was set back. The calculations run to their end without handing control to the
// window, so with a clock running forward this only records the time. `lastKeepAlive` becomes
// `now` in every case.
bool KeepAliveStep(double& lastKeepAlive, double now);

// The current time in days since 1899-12-30 (the usual date-time origin).
double CurrentDateTime();

// Called by the calculations inside their long loops: a KeepAliveStep on `LastKeepAlive`; when it
// says so, sleeps 3 ms and runs the installed message pump.
void KeepUIAlive();

// Replace the clock and the message pump (the main window installs the application's pump; tests
// install their own). An empty function restores the default (the system clock; no pump).
void SetKeepAliveClock(std::function<double()> clock);
void SetKeepAlivePump(std::function<void()> pump);
