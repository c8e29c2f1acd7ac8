#pragma once
// Runs the solver on an .out file and watches its log: the solver tells its outcome only through
// the log ("process time:" for success, "Warning:"/"Error:" for failure) and the .sto file.
// Event driven, so the window stays responsive while the solver works.

#include <QObject>
#include <QProcess>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

namespace mp {

inline constexpr const char* kStartNotice =
    "This calculation can take several minutes. Press CTRL-ALT-DEL to abort Tarvane if this "
    "sub-program appears to have frozen.";
inline constexpr const char* kSolverMissing =
    "Error in MP calculation: Tesmo.exe must be in the same folder as Tarvane.exe. (If you have "
    "made a link to Tarvane.exe on your desktop, you must also make a link to Tesmo.exe).";
inline constexpr const char* kFailed = "Error within MP calculation.";
inline constexpr const char* kCancelled =
    "The MP calculation has been cancelled: Tesmo was stopped, and the unfinished .sto and .log "
    "files it had begun were removed.";
inline constexpr const char* kSucceeded =
    "MP calculation finished successfully. Result saved as *.sto file. You may proceed to the "
    "Draw Network menu.";

// The .sto and .log names: the .out name without its last three characters plus "sto"/"log".
std::string resultName(const std::string& outName);
std::string logName(const std::string& outName);
// The solver's arguments: the .out path, the program number, the .sto and the .log paths.
std::vector<std::string> solverArguments(const std::string& outName, int program);
// The solver's program file: "Tesmo" beside the running program.
std::string solverPath(const std::string& programFolder);
// The elapsed time shown while the solver runs: "Tesmo is running: " + minutes + ":" + seconds
// in two digits, e.g. "Tesmo is running: 1:05".
std::string runningText(qint64 elapsedMs);

enum class LogVerdict { Running, Failed, Succeeded };
// Reads a log's text (LF or CR LF line ends) line by line until the first end line.
LogVerdict scanLog(const std::string& text);

// One run of the solver. start() returns at once; finished() reports the outcome after the
// message has been shown through the dialogs layer.
class MPCalculation : public QObject {
  Q_OBJECT
public:
  explicit MPCalculation(QObject* parent = nullptr);
  ~MPCalculation() override;

  // Starts `solver` on `outName` with the given program number. Returns false (after showing
  // the message) when the solver is missing; nothing is started then.
  bool start(const std::string& solver, const std::string& outName, int program);
  bool running() const { return state_ != State::Idle; }
  // Milliseconds since the start; 0 when nothing runs.
  qint64 elapsedMs() const { return running() ? now_() - startedAt_ : 0; }
  // Ends a running solver (asked to stop, then killed if it does not), removes the .sto and .log
  // it may have begun and tells the user; finished(false) follows. False when nothing runs.
  bool cancel();

  // Timing, replaceable by tests: how long to wait for the log, the polling steps, the clock.
  void setTiming(int waitLimitMs, int waitStepMs, int watchStepMs);
  void setClock(std::function<qint64()> nowMs) { now_ = std::move(nowMs); }

signals:
  void finished(bool success);
  // At every look at the log while the solver runs, with the time since the start.
  void progress(qint64 elapsedMs);

private:
  enum class State { Idle, WaitingForLog, WatchingLog };
  void poll();
  void onProcessFinished(int exitCode, QProcess::ExitStatus status);
  void onProcessError(QProcess::ProcessError error);
  void finish(bool success);

  QProcess process_;
  QTimer timer_;
  State state_ = State::Idle;
  std::string log_, sto_;
  qint64 startedAt_ = 0;
  bool processEnded_ = false, processOk_ = false, logSucceeded_ = false;
  int waitLimitMs_ = 15000, waitStepMs_ = 1000, watchStepMs_ = 500;
  std::function<qint64()> now_;
};

}  // namespace mp
