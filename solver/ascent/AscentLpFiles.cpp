#include "AscentLpFiles.h"

#include "Check.h"
#include "LogStream.h"
#include "Shell.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/wait.h>

namespace tesmo {

namespace {

std::string text(const char* value) { return value ? std::string(value) : std::string(); }

// The path as one shell word: as it is when it holds only plain characters, else quoted.
std::string shellWord(const std::string& path) {
  const bool plain = !path.empty() && std::all_of(path.begin(), path.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || std::strchr("/._-+,:=@%", c) != nullptr;
  });
  if (plain) return path;
  std::string word = "'";
  for (const char c : path) {
    if (c == '\'')
      word += "'\\''";
    else
      word += c;
  }
  return word + "'";
}

// Slots of v in R's adjacency (the driver leaves overflow mode before it writes).
template <typename F>
void forLiveSlots(const ReduceGraph& R, int v, F&& f) {
  for (int s = R.firstArc[v]; s < R.firstArc[v] + R.degree[v]; ++s)
    if (!R.delE[s]) f(s);
}

}  // namespace

AscentLpFiles::AscentLpFiles() {
  cutLp_ = shell.Iget("cutLP", 0);
  ascentFromStep_ = shell.Iget("ascentWriteLP", maxint);
  berlin_ = shell.Iget("berlin", 0) != 0;
  slackName_ = text(shell.Sget("slackLP"));
  folder_ = text(shell.lookup("lpFolder"));
  if (folder_.empty()) {
    const std::string logFile = text(shell.lookup("output"));
    if (!logFile.empty()) folder_ = std::filesystem::path(logFile).parent_path().string();
  }
  // The commands are "solve <file>" and "solve4 <file>"; a configured program replaces only the
  // program's name.
  cutProgram_ = text(shell.lookup("cutLPProgram"));
  if (cutProgram_.empty()) cutProgram_ = "solve";
  ascentProgram_ = text(shell.lookup("ascentLPProgram"));
  if (ascentProgram_.empty()) ascentProgram_ = "solve4";
}

std::string AscentLpFiles::pathOf(const std::string& name) const {
  const std::filesystem::path path(name);
  if (path.is_absolute() || folder_.empty()) return path.string();
  return (std::filesystem::path(folder_) / path).string();
}

void AscentLpFiles::runProgram(const std::string& program, const std::string& path) const {
  const int status = std::system((program + " " + shellWord(path)).c_str());
  if (status == -1) {
    log(1) << "LP program " << program << " could not be started; " << path << " is kept\n";
  } else if (WIFEXITED(status) && WEXITSTATUS(status) == 127) {
    log(1) << "LP program " << program << " not found; " << path << " is kept\n";
  } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    log(1) << "LP program " << program << " ended with status " << (WIFEXITED(status) ? WEXITSTATUS(status) : status)
           << " on " << path << "\n";
  }
}

void AscentLpFiles::openCutLp(const ReduceGraph& R) {
  cutPath_ = pathOf("cutAscent.slp");
  cut_.open(cutPath_, std::ios::out | std::ios::trunc);
  if (!cut_) {
    log(1) << "LP file " << cutPath_ << " cannot be written; no cut LP\n";
    return;
  }
  cut_ << "Minimize\n contr";
  for (int s = 1; s <= 2 * R.E; ++s) {
    if (R.delE[s]) continue;
    if (cutLp_ == 1) {
      if (R.arcs[s].tail < R.arcs[s].head) cut_ << " + " << R.arcs[s].cost << "X" << s;
    } else {
      cut_ << " + " << R.arcs[s].cost << "x" << s;
    }
  }
  cut_ << "\nSubject To\n contr=" << R.contractCost << "\n";
}

void AscentLpFiles::startRootInCutLp(const ReduceGraph& R, int q) {
  if (cutLp_ != 1 || !cut_.is_open()) return;
  for (int s = 1; s <= 2 * R.E; ++s) {
    if (R.delE[s] || R.arcs[s].tail >= R.arcs[s].head) continue;
    cut_ << " x" << q << "_" << s << " + x" << q << "_" << R.partner[s] << " - X" << s << " <= 0\n";
  }
}

void AscentLpFiles::addCutRow(const ReduceGraph& R, int q, int k, const IntArray& cutArcs) {
  if (!cut_.is_open()) return;
  for (int i = 1; i <= cutArcs[0]; ++i) {
    const int b = cutArcs[i];
    if (cutLp_ == 1)
      cut_ << " + x" << q << "_" << b;
    else
      cut_ << " + x" << (k == 1 ? R.partner[b] : b);
  }
  cut_ << " >= 1 \n";
}

void AscentLpFiles::closeCutLp() {
  if (!cut_.is_open()) return;
  cut_ << "End\n";
  cut_.close();
  if (!cut_) {
    log(1) << "LP file " << cutPath_ << " could not be completed\n";
    return;
  }
  runProgram(cutProgram_, cutPath_);
}

void AscentLpFiles::writeAscentLp(const ReduceGraph& R, const IntArray& rc, int rootIndex, int ascentValue) {
  writeAscentLp(R, rc, rootIndex, std::int64_t{ascentValue} + R.contractCost, berlin_, false);
}

void AscentLpFiles::writeAscentLp(const ReduceGraph& R, const IntArray& rc, int rootIndex, std::int64_t value,
                                  bool berlin, bool alwaysContr) {
  const std::string path = pathOf("ascent.slp");
  log(3) << "Writing LP: " << path << "\n";
  std::ofstream out(path, std::ios::out | std::ios::trunc);
  if (!out) {
    log(1) << "LP file " << path << " cannot be written\n";
    return;
  }
  const int rootVertex = R.terminals[rootIndex];
  out << "Minimize\n";
  if (alwaysContr || R.contractCost != 0) out << "  contr";
  for (int s = 1; s <= 2 * R.E; ++s)
    if (!R.delE[s] && rc[s] != 0) out << " + " << rc[s] << "x" << s;
  out << "\nSubject To\n dummy: contr=" << value << "\n";
  if (berlin) {
    for (int v = 1; v <= R.V; ++v) {
      if (R.degree[v] == 0) continue;
      out << " ba" << v << ": ";
      forLiveSlots(R, v, [&](int s) { out << " + x" << R.partner[s]; });
      if (R.isReq[v] == 0)
        out << "<=1";
      else
        out << "=" << (v == rootVertex ? 0 : 1);
      if (R.isReq[v] == 0) {
        out << "\n bb" << v << ": ";
        forLiveSlots(R, v, [&](int s) { out << " + x" << R.partner[s] << " - x" << s; });
        out << "<=0";
      }
      out << "\n";
    }
    for (int s = 1; s <= 2 * R.E; ++s) {
      const int u = R.arcs[s].tail;
      if (R.delE[s] || u == rootVertex) continue;
      out << "\n bc" << s << ": - x" << s;
      forLiveSlots(R, u, [&](int b) {
        if (b != s) out << "+ x" << R.partner[b];
      });
      out << ">=0";
    }
  }
  for (int k = 1; k <= R.R; ++k) {
    if (k == rootIndex) continue;
    for (int v = 1; v <= R.V; ++v) {
      if (R.degree[v] == 0 || v == rootVertex) continue;
      out << "\n  c" << k << "_" << v << ": ";
      forLiveSlots(R, v, [&](int s) { out << " + y" << k << "_" << R.partner[s] << " - y" << k << "_" << s; });
      out << " = " << (v == R.terminals[k] ? "1" : "0");
    }
    for (int s = 1; s <= 2 * R.E; ++s)
      if (!R.delE[s]) out << "\n   t" << k << "_" << s << ":    x" << s << " - y" << k << "_" << s << " >=0";
  }
  out << "\nBounds";
  for (int s = 1; s <= 2 * R.E; ++s) {
    if (R.delE[s]) continue;
    out << "\n x" << s << "<=1";
    for (int k = 1; k <= R.R; ++k)
      if (k != rootIndex) out << "\n y" << k << "_" << s << "<=1";
  }
  out << "\nEnd\n";
  out.close();
  if (!out) {
    log(1) << "LP file " << path << " could not be completed\n";
    return;
  }
  log(3) << "Solving LP: " << path << "\n";
  runProgram(ascentProgram_, path);
}

void AscentLpFiles::writeSlackLp(const ReduceGraph& R, const IntArray& rc, int rootIndex, std::int64_t gap,
                                 const IntArray& treeArc) {
  const int echo = shell.echoLevel;
  shell.echoLevel = 3;
  const bool pardalosF = shell.Iget("pardalosF", 0) != 0;
  const bool pardalosR = shell.Iget("pardalosR", 0) != 0;
  const bool balance = shell.Iget("flussBalance", 0) != 0;
  shell.echoLevel = echo;

  const std::string path = pathOf(slackName_);
  log(2) << "Writing Slack-LP: " << path << "\n";
  std::ofstream out(path, std::ios::out | std::ios::trunc);
  if (!out) {
    log(1) << "LP file " << path << " cannot be written\n";
    return;
  }
  const int rootVertex = R.terminals[rootIndex];
  out << "min:\n";
  if (R.contractCost != 0) out << "contr";
  for (int s = 1; s <= 2 * R.E; ++s)
    if (!R.delE[s]) out << "\n+" << R.arcs[s].cost << "x" << s;
  out << ";\n dummy: contr=" << R.contractCost;
  out << ";\n slack: ";
  std::int64_t treeSlack = 0;
  for (int s = 1; s <= 2 * R.E; ++s) {
    if (R.delE[s]) continue;
    if (rc[s] != 0) out << "+" << rc[s] << "x" << s;
    if (treeArc[s]) treeSlack += rc[s];
  }
  out << "<=" << gap;
  log(3) << "Slack Upper: " << treeSlack << "\n";
  for (int k = 1; k <= R.R; ++k) {
    const int t = R.terminals[k];
    if (k == rootIndex) {
      if (!pardalosR) continue;
      out << ";\n  r" << k << ": ";
      forLiveSlots(R, t, [&](int s) { out << "+x" << s; });
    } else {
      out << ";\n  r" << k << ": ";
      forLiveSlots(R, t, [&](int s) { out << "+x" << R.partner[s]; });
    }
    out << "= 1";
  }
  // The flow form of the connectivity rows is not part of this system.
  if (pardalosF) exitWithWarning("the flow form of the slack LP (pardalosF) is not supported", 1835, "ascent");
  for (int s = 1; s <= 2 * R.E; ++s) {
    if (R.delE[s]) continue;
    const int u = R.arcs[s].tail;
    const int w = R.arcs[s].head;
    if (u != rootVertex) {
      out << ";\n s" << s << ": -x" << s;
      forLiveSlots(R, u, [&](int b) {
        if (b != s) out << "+x" << R.partner[b];
      });
      out << ">=0";
    }
    if (!pardalosF) out << ";\n c" << s << ": y" << u << "-y" << w << "+" << R.V << "x" << s << "<=" << R.V - 1;
  }
  if (pardalosF) {
    for (int v = 1; v <= R.V; ++v) {
      if (R.degree[v] == 0) continue;
      if (balance && R.isReq[v] == 0) {
        out << ";\n bb" << v << ": ";
        forLiveSlots(R, v, [&](int s) { out << " +x" << R.partner[s] << "-x" << s; });
        out << "<=0";
      }
      out << ";\n fe" << v << ": ";
      forLiveSlots(R, v, [&](int s) { out << "+f" << R.partner[s] << "-f" << s; });
      out << "=" << (v == rootVertex ? 1 - R.R : (R.isReq[v] != 0 ? 1 : 0));
    }
  }
  out << ";\n";
  out.close();
  if (!out) log(1) << "LP file " << path << " could not be completed\n";
}

}  // namespace tesmo
