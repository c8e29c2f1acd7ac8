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
inline constexpr const char* kStillRunning =
    "Tesmo is still running the MP calculation. Do you want to stop it and exit Tarvane? The "
    "unfinished .sto and .log files of this run will be removed.";
inline constexpr const char* kSucceeded =
    "MP calculation finished successfully. Result saved as *.sto file. You may proceed to the "
    "Draw Network menu.";

// The .sto and .log names: the .out name without its last three characters plus "sto"/"log".
std::string resultName(const std::string& outName);
std::string logName(const std::string& outName);
// The solver's arguments: the .out path, the program number, the .sto and the .log paths.
std::vector<std::string> solverArguments(const std::string& outName, int program);
// Asked before a run would replace the finished result `stoName`.
std::string replaceQuestion(const std::string& stoName);
// Shown when a file of an earlier run cannot be moved out of the way of a new one, or back.
std::string cannotSetAside(const std::string& name);
std::string cannotRestore(const std::string& name, const std::string& keptAs);
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
  // the message) when the solver is missing or an earlier result cannot be set aside; nothing is
  // started then.
  //
  // The .sto and .log of an earlier run are set aside (renamed) rather than removed: they must not
  // decide this run, but only a successful run replaces them. A run that is cancelled, stopped or
  // fails brings the earlier .sto back; a cancelled or stopped one brings back the earlier .log as
  // well, while a failed one keeps its own, which tells why.
  bool start(const std::string& solver, const std::string& outName, int program);
  bool running() const { return state_ != State::Idle; }
  // Milliseconds since the start; 0 when nothing runs.
  qint64 elapsedMs() const { return running() ? now_() - startedAt_ : 0; }
  // Ends a running solver (asked to stop, then killed if it does not), removes the .sto and .log
  // it may have begun, brings back those of an earlier run and tells the user; finished(false)
  // follows. False when nothing runs.
  bool cancel();
  // The same without a message, for the program's exit.
  bool stop();

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
  // Ends the run: the solver is stopped; with `discardFiles` this run's .sto and .log are removed
  // and the earlier ones put back, else (a failed run) only the earlier .sto is put back.
  void endRun(bool discardFiles);
  void endProcess();

  QProcess process_;
  QTimer timer_;
  State state_ = State::Idle;
  std::string log_, sto_;
  std::string earlierLog_, earlierSto_;  // where an earlier run's files wait; empty for none
  qint64 startedAt_ = 0;
  bool processEnded_ = false, processOk_ = false, logSucceeded_ = false;
  int waitLimitMs_ = 15000, waitStepMs_ = 1000, watchStepMs_ = 500;
  std::function<qint64()> now_;
};

}  // namespace mp
