#include "MPCalculation.h"

#include "Dialogs.h"

#include <QDateTime>
#include <QFile>
#include <QStringList>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

namespace mp {

namespace {

std::string withoutLastThree(const std::string& name) {
  return name.size() >= 3 ? name.substr(0, name.size() - 3) : std::string();
}

bool startsWith(const std::string& line, const char* prefix) {
  return line.rfind(prefix, 0) == 0;
}

bool fileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

// Moves `path` out of the way under a free name beside it: that name, empty when there was no
// file, nothing when it could not be moved.
std::optional<std::string> setAside(const std::string& path) {
  if (!fileExists(path)) return std::string();
  std::string kept = path + ".earlier";
  for (int n = 2; std::filesystem::exists(kept); ++n) kept = path + ".earlier" + std::to_string(n);
  std::error_code ec;
  std::filesystem::rename(path, kept, ec);
  if (ec) return std::nullopt;
  return kept;
}

// Puts a file set aside back in place of `path`; an empty `kept` only removes `path`.
void bringBack(const std::string& kept, const std::string& path) {
  std::error_code ec;
  std::filesystem::remove(path, ec);
  if (kept.empty()) return;
  std::filesystem::rename(kept, path, ec);
  if (ec) dialogs().showMessage(cannotRestore(path, kept), DialogKind::Error);
}

void removeFile(const std::string& path) {
  std::error_code ec;
  if (!path.empty()) std::filesystem::remove(path, ec);
}

}  // namespace

std::string replaceQuestion(const std::string& stoName) {
  return "The file " + stoName + " already exists. Do you want to replace it?";
}
std::string cannotSetAside(const std::string& name) {
  return "The file " + name + " of an earlier MP calculation cannot be moved aside, so the MP "
         "calculation was not started.";
}
std::string cannotRestore(const std::string& name, const std::string& keptAs) {
  return "The file " + name + " of the earlier MP calculation could not be restored. It is kept "
         "as " + keptAs + ".";
}

std::string resultName(const std::string& outName) { return withoutLastThree(outName) + "sto"; }
std::string logName(const std::string& outName) { return withoutLastThree(outName) + "log"; }

std::vector<std::string> solverArguments(const std::string& outName, int program) {
  return {outName, std::to_string(program), resultName(outName), logName(outName)};
}

std::string solverPath(const std::string& programFolder) {
  return (std::filesystem::path(programFolder) / "Tesmo").string();
}

std::string runningText(qint64 elapsedMs) {
  const qint64 seconds = elapsedMs < 0 ? 0 : elapsedMs / 1000;
  const qint64 s = seconds % 60;
  return "Tesmo is running: " + std::to_string(seconds / 60) + ":" + (s < 10 ? "0" : "") +
         std::to_string(s);
}

LogVerdict scanLog(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (startsWith(line, "Warning:") || startsWith(line, "Error:")) return LogVerdict::Failed;
    if (startsWith(line, "process time:")) return LogVerdict::Succeeded;
  }
  return LogVerdict::Running;
}

MPCalculation::MPCalculation(QObject* parent) : QObject(parent) {
  now_ = [] { return QDateTime::currentMSecsSinceEpoch(); };
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, &MPCalculation::poll);
  connect(&process_, &QProcess::finished, this, &MPCalculation::onProcessFinished);
  connect(&process_, &QProcess::errorOccurred, this, &MPCalculation::onProcessError);
}

MPCalculation::~MPCalculation() {
  // A solver still running when the program closes is stopped, and what it had begun removed:
  // nobody is left to watch its log.
  process_.disconnect(this);
  if (state_ != State::Idle) endRun(true);
}

void MPCalculation::setTiming(int waitLimitMs, int waitStepMs, int watchStepMs) {
  waitLimitMs_ = waitLimitMs;
  waitStepMs_ = waitStepMs;
  watchStepMs_ = watchStepMs;
}

bool MPCalculation::start(const std::string& solver, const std::string& outName, int program) {
  if (!fileExists(solver)) {
    dialogs().showMessage(kSolverMissing, DialogKind::Error);
    return false;
  }
  log_ = logName(outName);
  sto_ = resultName(outName);
  // A log or result left by an earlier run must not decide this one.
  const std::optional<std::string> earlierSto = setAside(sto_);
  if (!earlierSto) {
    dialogs().showMessage(cannotSetAside(sto_), DialogKind::Error);
    return false;
  }
  const std::optional<std::string> earlierLog = setAside(log_);
  if (!earlierLog) {
    bringBack(*earlierSto, sto_);
    dialogs().showMessage(cannotSetAside(log_), DialogKind::Error);
    return false;
  }
  earlierSto_ = *earlierSto;
  earlierLog_ = *earlierLog;

  QStringList args;
  for (const std::string& a : solverArguments(outName, program))
    args << QString::fromStdString(a);
  processEnded_ = processOk_ = logSucceeded_ = false;
  state_ = State::WaitingForLog;
  startedAt_ = now_();
  process_.start(QString::fromStdString(solver), args);
  timer_.start(waitStepMs_);
  return true;
}

bool MPCalculation::cancel() {
  if (!stop()) return false;
  dialogs().showMessage(kCancelled, DialogKind::Information);
  emit finished(false);
  return true;
}

bool MPCalculation::stop() {
  if (state_ == State::Idle) return false;
  // What the solver had begun is no result: a later look must not take it for one.
  endRun(true);
  return true;
}

void MPCalculation::endProcess() {
  if (process_.state() == QProcess::NotRunning) return;
  process_.terminate();
  if (!process_.waitForFinished(3000)) {
    process_.kill();
    process_.waitForFinished(3000);
  }
}

void MPCalculation::endRun(bool discardFiles) {
  state_ = State::Idle;
  timer_.stop();
  // Stopped first, so that it writes nothing over the files put back.
  endProcess();
  if (discardFiles) {
    bringBack(earlierSto_, sto_);
    bringBack(earlierLog_, log_);
  } else {
    // A failed run's .sto is no result; without an earlier one it stays as the solver left it.
    if (!earlierSto_.empty()) bringBack(earlierSto_, sto_);
    // Its log tells why it failed; only a run that wrote none gives the earlier log back.
    if (fileExists(log_))
      removeFile(earlierLog_);
    else
      bringBack(earlierLog_, log_);
  }
  earlierSto_.clear();
  earlierLog_.clear();
}

void MPCalculation::poll() {
  if (state_ == State::Idle) return;
  emit progress(now_() - startedAt_);
  if (state_ == State::WaitingForLog) {
    if (!fileExists(log_)) {
      if (now_() - startedAt_ >= waitLimitMs_ || (processEnded_ && !fileExists(log_))) {
        finish(false);
        return;
      }
      timer_.start(waitStepMs_);
      return;
    }
    state_ = State::WatchingLog;
  }
  // Read-only, and never rewritten: the solver may still be appending to it.
  std::string text;
  {
    std::ifstream in(log_, std::ios::binary);
    if (in) {
      std::ostringstream s;
      s << in.rdbuf();
      text = s.str();
    }
  }
  switch (scanLog(text)) {
    case LogVerdict::Failed: finish(false); return;
    case LogVerdict::Succeeded:
      logSucceeded_ = true;
      // Success only once the solver has ended well and its result exists.
      if (processEnded_) finish(processOk_ && fileExists(sto_));
      return;  // otherwise onProcessFinished decides
    case LogVerdict::Running:
      if (processEnded_) {
        finish(false);  // the solver ended without its end line
        return;
      }
      timer_.start(watchStepMs_);
      return;
  }
}

void MPCalculation::onProcessFinished(int exitCode, QProcess::ExitStatus status) {
  processEnded_ = true;
  processOk_ = status == QProcess::NormalExit && exitCode == 0;
  if (state_ == State::Idle) return;
  if (!processOk_) {
    finish(false);
    return;
  }
  // Read the log once more: the end line may have come with the last write.
  timer_.stop();
  poll();
}

void MPCalculation::onProcessError(QProcess::ProcessError error) {
  if (error == QProcess::FailedToStart && state_ != State::Idle) {
    processEnded_ = true;
    finish(false);
  }
}

void MPCalculation::finish(bool success) {
  if (state_ == State::Idle) return;
  if (success) {
    state_ = State::Idle;
    timer_.stop();
    removeFile(earlierSto_);
    removeFile(earlierLog_);
    earlierSto_.clear();
    earlierLog_.clear();
  } else {
    endRun(false);
  }
  dialogs().showMessage(success ? kSucceeded : kFailed,
                        success ? DialogKind::Information : DialogKind::Error);
  emit finished(success);
}

}  // namespace mp
