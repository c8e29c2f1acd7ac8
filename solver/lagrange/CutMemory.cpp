#include "CutMemory.h"

#include "LogStream.h"
#include "Scaled.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tesmo {

CutMemory::CutMemory(ReduceGraph& R, PathRelaxation& P, const Options& o)
    : R_(R), P_(P), o_(o), rows_(o.rows + 1), sum_(o.rows + 1, 0), value_(o.rows + 1, 0),
      incoming_(static_cast<std::size_t>(P.slots() + 1) * (R.R + 1), 0) {
  for (auto& row : rows_) row.reserve(2 * static_cast<std::size_t>(o.maxGG) + 1);
}

CutMemory::~CutMemory() {
  if (!ownFolder_) return;
  std::remove(lpFile().c_str());
  std::remove(solutionFile().c_str());
  rmdir(folder_.c_str());
}

void CutMemory::switchOff(const std::string& why) {
  log(3) << "LP exchange off: " << why << "\n";
  exchangeOn_ = false;
}

bool CutMemory::evaluate(int step, int reference, Weight L, bool logMisses) {
  const Weight F = P_.faktor();
  estimate_ = maxint;
  Weight bestModel = maxint;
  int bestCut = 0, below = 0;
  bool held = false;
  for (int b = 1; b <= position_; ++b) {
    const std::vector<int>& row = rows_[b];
    Weight current = 0;
    int c = 0;
    bool match = true;
    for (int i = 1; i + 1 <= row[0] * 2; i += 2) {
      const int signedSlot = row[i], k = row[i + 1];
      const int a = std::abs(signedSlot), sign = signedSlot > 0 ? 1 : -1;
      const int w = P_.w(a, k);
      current += sign * Weight{w};
      const int g = component(a, k, step, reference);
      if (g != sign) match = false;
      if ((g == 1 && sign < 0) || (g == -1 && sign > 0 && w > 0)) c += 2;
    }
    if (current < sum_[b]) {
      ++below;
      log(3) << "|" << b << "|";
    } else if (c != 0) {
      const Weight e = ((value_[b] - L) + current - sum_[b]) / c;
      if (e > 1 && e < estimate_) estimate_ = e;
    }
    const Weight model = current - sum_[b] + value_[b];
    if (model < bestModel) bestModel = model, bestCut = b;
    if (match) held = true;
  }
  const double f = static_cast<double>(F), cc = static_cast<double>(R_.contractCost);
  log(3) << "Aprox: (" << bestCut << ") " << cc + static_cast<double>(bestModel) / f;
  if (logMisses) {
    log(3) << "  " << cc + static_cast<double>(L) / f << "Miss: " << misses_ << "  " << below << "/" << position_ << "\n";
    if (below > 0) ++misses_;
  } else {
    log(3) << " Mis: " << misses_ + (below > 0 ? 1 : 0) << "\n";
  }
  return held;
}

void CutMemory::store(int step, int reference, Weight L) {
  int next = position_ + 1;
  if (next >= o_.rows) next = 1;
  position_ = next;
  std::vector<int>& row = rows_[position_];
  row.assign(1, 0);
  Weight sum = 0;
  for (int k = 1; k <= R_.R; ++k) {
    if (!P_.commodity(k)) continue;
    for (int a = 1; a <= P_.slots(); ++a) {
      if (!P_.live(a)) continue;
      const int g = component(a, k, step, reference);
      if (g == 0) continue;
      row.push_back(g * a);
      row.push_back(k);
      sum += g * Weight{P_.w(a, k)};
    }
  }
  row[0] = static_cast<int>(row.size() - 1) / 2;
  sum_[position_] = sum;
  value_[position_] = L;
}

bool CutMemory::writeLp(Weight bestTree) {
  const ReduceGraph& R = R_;
  const Weight F = P_.faktor();
  std::ofstream out(lpFile());
  out << "Minimize\n- z";
  if (o_.writeLp & 4)
    for (int a = 1; a <= P_.slots(); ++a)
      for (int k = 1; k <= R.R; ++k)
        if (P_.commodity(k)) out << " + 0.00001 w" << k << "_" << a;
  out << "\nSubject To\n";
  if (o_.writeLp & 2) out << "base: z <= " << bestTree + R.contractCost << "\n";
  for (int b = 1; b <= position_; ++b) {
    const std::vector<int>& row = rows_[b];
    out << "n" << b << ": ";
    for (int i = 1; i + 1 <= row[0] * 2; i += 2)
      out << (row[i] > 0 ? " + " : " - ") << "w" << row[i + 1] << "_" << std::abs(row[i]);
    out << " - z >= "
        << static_cast<double>(sum_[b] - value_[b]) / static_cast<double>(F) - static_cast<double>(R.contractCost)
        << "\n";
  }
  if (o_.writeLp & 8) {
    out << "Bounds\n";
    for (int a = 1; a <= P_.slots(); ++a)
      for (int k = 1; k <= R.R; ++k)
        if (P_.commodity(k)) out << " w" << k << "_" << a << " <= " << R.arcs[a].cost << "\n";
  } else {
    for (int a = 1; a <= P_.slots(); ++a) {
      out << "b" << a << ": ";
      for (int k = 1; k <= R.R; ++k)
        if (P_.commodity(k)) out << " + w" << k << "_" << a;
      out << " <= " << R.arcs[a].cost << "\n";
    }
  }
  out << "End\n";
  out.close();
  return static_cast<bool>(out);
}

bool CutMemory::runSolver() {
  std::remove(solutionFile().c_str());
  const std::string lp = lpFile();
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    std::freopen("/dev/null", "w", stdout);
    char* const argv[] = {const_cast<char*>("solve3"), const_cast<char*>(lp.c_str()), nullptr};
    execvp("solve3", argv);
    _exit(127);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0)
    if (errno != EINTR) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool CutMemory::readSolution() {
  struct stat lpStat {}, vecStat {};
  if (stat(lpFile().c_str(), &lpStat) != 0 || stat(solutionFile().c_str(), &vecStat) != 0) {
    switchOff("no solution file");
    return false;
  }
  const auto older = [](const struct stat& a, const struct stat& b) {
    return a.st_mtim.tv_sec < b.st_mtim.tv_sec ||
           (a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec < b.st_mtim.tv_nsec);
  };
  if (older(vecStat, lpStat)) {
    switchOff("the solution file is older than the LP");
    return false;
  }
  std::ifstream in(solutionFile());
  if (!in) {
    switchOff("the solution file cannot be read");
    return false;
  }
  log(3) << "Reading " << solutionFile() << "\n";
  const Weight F = P_.faktor();
  const int width = R_.R + 1;
  std::fill(incoming_.begin(), incoming_.end(), 0);
  // A file far longer than the variables can only be wrong; the read stops there.
  const std::size_t limit = incoming_.size() + 16;
  std::string name;
  std::string number;
  for (std::size_t entries = 0; entries < limit && in >> name >> number; ++entries) {
    log(5) << name << "\n";
    char* end = nullptr;
    const double value = std::strtod(number.c_str(), &end);
    if (end == number.c_str() || !std::isfinite(value)) continue;
    if (name[0] == 'z') {
      log(3) << "LP: " << value << " ";
      continue;
    }
    int k = 0, a = 0;
    char tail = 0;
    if (name[0] != 'w' || std::sscanf(name.c_str(), "w%d_%d%c", &k, &a, &tail) != 2) continue;
    if (k < 1 || k > R_.R || !P_.commodity(k) || a < 1 || a > P_.slots()) continue;  // not a variable of this run
    log(5) << a << "," << k << "=" << value << "\n";
    // Above the slot's cost a value means nothing: the projection brings the sum back anyway.
    const double scaled = std::min(static_cast<double>(F) * std::max(0.0, value), static_cast<double>(P_.scaledCost(a)));
    incoming_[static_cast<std::size_t>(a) * width + k] = static_cast<int>(std::nearbyint(scaled));
  }
  for (int a = 1; a <= P_.slots(); ++a)
    for (int k = 1; k <= R_.R; ++k)
      if (P_.commodity(k)) P_.w(a, k) = incoming_[static_cast<std::size_t>(a) * width + k];
  // Each slot's weights are brought back to its cost, so any file gives a bound that holds.
  for (int a = 1; a <= P_.slots(); ++a)
    if (P_.live(a)) P_.project(a);
  return true;
}

bool CutMemory::exchange(Weight bestTree) {
  if (folder_.empty()) {
    if (!o_.folder.empty()) {
      folder_ = o_.folder;
    } else {
      const char* tmp = std::getenv("TMPDIR");
      std::string pattern = std::string(tmp != nullptr && *tmp != 0 ? tmp : "/tmp") + "/lgr1-XXXXXX";
      if (mkdtemp(pattern.data()) == nullptr) {
        switchOff("no temporary folder");
        return false;
      }
      folder_ = pattern;
      ownFolder_ = true;
    }
  }
  if (!writeLp(bestTree)) {
    switchOff("the LP file cannot be written");
    return false;
  }
  if (!runSolver()) {
    switchOff("the LP program failed or is missing");
    return false;
  }
  if (!o_.repeated) return false;
  return readSolution();
}

bool CutMemory::step(int step, int reference, Weight L, Weight GG, Weight bestTree) {
  log(3) << "iter" << ":" << step << ", " << "GG" << ":" << GG << ", ";
  const bool held = evaluate(step, reference, L, true);
  if (held || GG >= o_.maxGG) return false;
  store(step, reference, L);
  if (o_.writeLp == 0 || !exchangeOn_ || position_ <= o_.after) return false;
  if (!exchange(bestTree)) return false;
  evaluate(step, reference, L, false);
  return true;
}

}  // namespace tesmo
