#include "ReduceByString.h"

#include "LogStream.h"
#include "RunTimer.h"
#include "ScriptLetters.h"
#include "Shell.h"
#include "Upper.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace tesmo {

int scriptSignature(const ReduceGraph& R, int upperValueForBreak) {
  // Wrap-around is intended: the signature only has to change when the instance does.
  const std::uint32_t s = static_cast<std::uint32_t>(R.Eanz) * 10000u + static_cast<std::uint32_t>(R.Vanz) +
                          static_cast<std::uint32_t>(R.R) +
                          static_cast<std::uint32_t>(R.upperValue % 10000) *
                              static_cast<std::uint32_t>(upperValueForBreak);
  return static_cast<std::int32_t>(s);
}

void printInfoLine(const ReduceGraph& R) {
  const int level = shell.Iget("infoVerbose", 1);
  log(level) << "Info: shell-phase: '";
  if (shell.phase) log(level) << shell.phase;
  log(level) << "';  size (actual): " << "|V|=" << R.Vanz << ", |E|=" << R.Eanz << ", |R|=" << R.R
             << ", contracted cost=" << R.contractCost << "; upper=" << R.upperValue
             << ", lower=" << R.lowerValue << ";  " << static_cast<float>(runTimer.elapsedTime())
             << "sec\n";
  logStream.flushLog();
}

namespace {

constexpr const char* stopPrefix = "%%%%%%%%%%%%%% ";
constexpr const char* loopBanner = "\n%%%%%%%%%%%%%%%%%%%%%%%%%\n";

class ScriptRun {
public:
  ScriptRun(const char* script, ReduceGraph& R, int minFree)
      : script_(script), length_(static_cast<int>(std::strlen(script))), R_(R), minFree_(minFree),
        memo_(static_cast<std::size_t>(length_) + 1, 0) {
    maxSec_ = shell.Iget("R-maxSec", maxint);
    alpha_ = shell.Iget("R-alpha", 1);
    breakOpt_ = shell.Iget("breakOpt", 1);
    upperValueForBreak_ = shell.Iget("upperValueForBreak", 1);
  }

  void run() {
    int pos = 0;
    while (pos < length_) {
      if (stopHere()) return;
      const int S = scriptSignature(R_, upperValueForBreak_);
      while (script_[pos] == ';') {
        if (pos + 1 >= length_) return;  // no phase character after the last ';'
        shell.phase = script_[pos + 1];
        log(3) << "---- shell-phase: " << shell.phase << " ----\n";
        pos += 2;
      }
      if (pos >= length_) return;
      const char c = script_[pos];
      if (c == '!') {
        if (memo_[pos] == 0) {
          memo_[pos] = S;
          ++pos;
          continue;
        }
        const std::int64_t threshold = (static_cast<std::int64_t>(memo_[pos] / 10000) * (100 - alpha_)) / 100;
        if (R_.Eanz < threshold) {
          memo_[pos] = S;
          ++pos;
          continue;
        }
        log(3) << loopBanner << "leaving the reduction loop! (less than " << alpha_ << "% reduced).\n";
        if (!terminateLoop(pos, S)) return;
        continue;
      }
      if (c == '(') {
        loopSeen_ = true;
        memo_[pos] = S;
        ++pos;
        continue;
      }
      if (c == ')') {
        int depth = 1;
        int open = pos - 1;
        for (; open >= 0; --open) {
          if (script_[open] == ')') ++depth;
          if (script_[open] == '(' && --depth == 0) break;
        }
        if (open < 0) return;  // no '(' matches: not a script, the run ends
        memo_[open] = S;
        pos = open + 1;
        continue;
      }
      if (memo_[pos] == S) {
        if (!terminateLoop(pos, S)) return;
        continue;
      }
      runCharacter(c);
      memo_[pos] = S;
      ++pos;
    }
  }

private:
  bool stopHere() {
    if (R_.Eanz == 0 || R_.R == 1) return true;
    if (R_.upperOpt != 0 && breakOpt_ != 0) return true;
    if (R_.Vanz - R_.R < minFree_) {
      log(2) << stopPrefix << "break: V-R < " << minFree_ << "\n";
      return true;
    }
    if (runTimer.elapsedTime() > static_cast<float>(maxSec_)) {
      log(2) << stopPrefix << "time out!\n";
      if (R_.upperValue == maxint) {
        log(2) << stopPrefix << "just calculating an upper bound...\n";
        upper(R_);
      }
      return true;
    }
    return false;
  }

  // Ends the innermost loop around pos; false when the run ends instead.
  bool terminateLoop(int& pos, int S) {
    log(3) << loopBanner << "terminating the reduction loop! (no further reduction possible in this loop).\n";
    if (!loopSeen_) return false;
    memo_[pos] = S;
    int depth = 1;
    for (int p = pos + 1; p < length_; ++p) {
      if (script_[p] == '(') ++depth;
      if (script_[p] == ')' && --depth == 0) {
        pos = p + 1;
        return pos < length_;
      }
    }
    return false;
  }

  void runCharacter(char c) {
    const ScriptLetter* letter = ScriptLetters::find(c);
    if (c == 'I') {
      log(3) << "\n----'" << c << "'----" << "info(&R)" << "----\n";
      printInfoLine(R_);
    } else if (letter) {
      log(3) << "\n----'" << c << "'----" << letter->callText << "----\n";
      letter->method(R_);
    } else {
      log(3) << "%%%%%%%%%% The reduction method '" << c << "' is not availabe! Skipped.\n";
    }
    runTimer.printProgress(3);
    log(3) << "size: |V|=" << R_.Vanz << ", |E|=" << R_.Eanz << ", |R|=" << R_.R
           << "   (original: |V|=" << R_.V << ", |E|=" << R_.E << "); contracted: " << R_.contractCost
           << "\n";
  }

  const char* script_;
  int length_;
  ReduceGraph& R_;
  int minFree_;
  std::vector<std::int32_t> memo_;
  bool loopSeen_ = false;
  int maxSec_ = maxint;
  int alpha_ = 1;
  int breakOpt_ = 1;
  int upperValueForBreak_ = 1;
};

}  // namespace

void reduceByString(const char* script, ReduceGraph& R, int minFree) {
  if (!script) return;
  ScriptRun run(script, R, minFree);
  run.run();
}

}  // namespace tesmo
