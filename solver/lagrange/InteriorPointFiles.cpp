// What the interior point writes for inspection outside the solver (the trace, pickles of the
// reduced system) and the variable file it can start from again.

#include "InteriorPoint.h"

#include "LogStream.h"
#include "Shell.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace tesmo {

namespace {

constexpr const char* kMismatch = "Reading Variables Failed: n/A/sizeof(real) mismatch.\n";

}  // namespace

std::string ipClass::dumpPath(const char* name) {
  if (dumpDir_.empty()) {
    const char* configured = shell.Sget("ipDumpDir", nullptr);
    if (configured && *configured) {
      dumpDir_ = configured;
    } else {
      // A folder of our own: fixed names in a shared temporary folder could be planted or raced.
      std::string pattern = (std::filesystem::temp_directory_path() / "tesmo-ip-XXXXXX").string();
      if (mkdtemp(pattern.data())) dumpDir_ = pattern;
      else dumpDir_ = ".";
      log(3) << "ip dumps in " << dumpDir_ << std::endl;
    }
  }
  return (std::filesystem::path(dumpDir_) / name).string();
}

void ipClass::writeTraceStart() {
  if (!trace_ || writeVerbose <= 2) return;
  trace_ << "G:\n";
  for (int v = 1; v <= V; ++v) {
    if (v == root) continue;
    for (int a = 1; a <= A; ++a) trace_ << " " << (v == head(a) ? -1 : v == tail(a) ? 1 : 0);
    trace_ << "\n";
  }
  trace_ << "c:\n";
  for (int a = 1; a <= A; ++a) trace_ << " " << R_.arcs[a].cost;
  trace_ << "\n";
}

void ipClass::traceMatrix(std::vector<double>& m, int stride, const char* name, bool skipRoot) {
  trace_ << name << iteration << ":\n";
  for (int k = 1; k <= K; ++k) {
    const double* row = m.data() + static_cast<std::size_t>(k - 1) * stride;
    for (int i = 1; i < stride; ++i)
      if (!(skipRoot && i == root)) trace_ << " " << row[i];
    trace_ << "\n";
  }
}

void ipClass::writeTrace() {
  if (!trace_) return;
  log(3) << "writing log-stream\n";
  trace_ << "x:" << iteration << ":\n";
  for (int a = 1; a <= A; ++a) trace_ << " " << x[a];
  trace_ << "\ndx:" << iteration << ":\n";
  for (int a = 1; a <= A; ++a) trace_ << " " << dx[a];
  if (writeVerbose > 2) {
    trace_ << "\n";
    traceMatrix(w, A + 1, "w.", false);
  }
  if (writeVerbose > 3) {
    trace_ << "\n";
    traceMatrix(dw, A + 1, "dw.", false);
  }
  if (writeVerbose > 5) {
    trace_ << "\n";
    traceMatrix(D, A + 1, "d1.", false);
    traceMatrix(Ew, A + 1, "d2.", false);
    trace_ << "d3." << iteration << ":\n";
    for (int a = 1; a <= A; ++a) trace_ << " " << Dx[a];
    trace_ << "\nb3." << iteration << ":\n";
    for (int a = 1; a <= A; ++a) trace_ << " " << rhsX[a];
    trace_ << "\n";
    traceMatrix(rhsY, V + 1, "b.", true);
  }
  if (writeVerbose > 10) {
    trace_ << "A." << iteration << ":\n";
    std::vector<double> unit(A + 1, 0.0), column(A + 1, 0.0);
    for (int i = 1; i <= A; ++i) {
      unit[i] = 1;
      schurApply(column.data(), unit.data(), work.data());
      unit[i] = 0;
      for (int a = 1; a <= A; ++a) trace_ << " " << column[a];
      trace_ << "\n";
    }
    trace_ << "B." << iteration << ":\n";
    for (int a = 1; a <= A; ++a) trace_ << " " << b[a];
  }
  trace_ << "\n";
}

void ipClass::writePythonMatrix() {
  log(4) << "Writing Python\n";
  std::ofstream out(dumpPath("python.pickle"), std::ios::trunc);
  if (!out) return;
  const int perK = V - 1;
  const std::size_t N = static_cast<std::size_t>(K) * perK + A;
  auto vertexIndex = [&](int k, int v) {
    return static_cast<std::size_t>(k - 1) * perK + static_cast<std::size_t>(v < root ? v - 1 : v - 2);
  };
  auto arcIndex = [&](int a) { return static_cast<std::size_t>(K) * perK + a - 1; };
  std::vector<double> row(N, 0.0);
  int memo = 2;
  out << "(lp0\n(lp1\n";
  auto writeRow = [&] {
    out << "(lp" << memo++ << "\n";
    for (double value : row) out << "F" << value << "\n" << "a";
    out << "a";
    std::fill(row.begin(), row.end(), 0.0);
  };
  for (int k = 1; k <= K; ++k)
    for (int v = 1; v <= V; ++v) {
      if (v == root) continue;
      for (int sl = R_.firstArc[v]; sl < R_.firstArc[v] + R_.degree[v]; ++sl) {
        if (R_.delE[sl]) continue;
        const double weight = kA(D, k, sl) + kA(D, k, R_.partner[sl]);
        row[vertexIndex(k, v)] += weight;
        const int u = head(sl);
        if (u != root && row[vertexIndex(k, u)] == 0) row[vertexIndex(k, u)] = -weight;
      }
      for (int a : live_) {
        if (v == tail(a)) row[arcIndex(a)] = kA(Ew, k, a);
        if (v == head(a)) row[arcIndex(a)] = -kA(Ew, k, a);
      }
      writeRow();
    }
  for (int a = 1; a <= A; ++a) {
    if (!R_.delE[a]) {
      for (int k = 1; k <= K; ++k) {
        if (tail(a) != root) row[vertexIndex(k, tail(a))] = kA(Ew, k, a);
        if (head(a) != root) row[vertexIndex(k, head(a))] = -kA(Ew, k, a);
      }
      row[arcIndex(a)] = -Dx[a];
    }
    writeRow();
  }
  out << "a" << "(lp" << memo << "\n";
  for (int k = 1; k <= K; ++k)
    for (int v = 1; v <= V; ++v)
      if (v != root) out << "F" << kV(rhsY, k, v) << "\n" << "a";
  for (int a = 1; a <= A; ++a) out << "F" << rhsX[a] << "\n" << "a";
  out << "a.";
}

void ipClass::writePythonVector(const double* stacked) {
  std::ofstream out(dumpPath("python.vector"), std::ios::trunc);
  if (!out) return;
  out << "(lp0\n";
  const double* arcPart = stacked;
  for (int k = 1; k <= K; ++k) {
    const double* part = stacked + (A + 1) + static_cast<std::size_t>(k - 1) * (V + 1);
    for (int v = 1; v <= V; ++v)
      if (v != root) out << "F" << part[v] << "\n" << "a";
  }
  for (int a = 1; a <= A; ++a) out << "F" << arcPart[a] << "\n" << "a";
  out << ".";
}

void ipClass::writePythonArray(const double* values, int count) {
  std::ofstream out(dumpPath("python.vector"), std::ios::trunc);
  if (!out) return;
  out << "(lp0\n";
  for (int i = 0; i < count; ++i) out << "F" << values[i] << "\n" << "a";
  out << ".";
}

void ipClass::saveVariables() {
  log(3) << "Saving Variables\n";
  std::ofstream out(dumpPath("ip-vars.dat"), std::ios::binary | std::ios::trunc);
  if (!out) return;
  out << A << " " << V << " " << sizeof(double) << "\n";
  auto rows = [&](std::vector<double>& m, int stride) {
    for (int k = 1; k <= K; ++k) {
      double* row = m.data() + static_cast<std::size_t>(k - 1) * stride;
      out.write(reinterpret_cast<const char*>(row + 1), static_cast<std::streamsize>(sizeof(double)) * (stride - 1));
      const double filler = 0;
      out.write(reinterpret_cast<const char*>(&filler), sizeof filler);
    }
  };
  rows(y, V + 1);
  rows(w, A + 1);
  out.write(reinterpret_cast<const char*>(x.data() + 1), static_cast<std::streamsize>(sizeof(double)) * A);
  rows(f, A + 1);
  rows(s, A + 1);
  rows(zs, A + 1);
  rows(zf, A + 1);
}

// The blocks are read into a buffer first: a file of another instance, another commodity count
// or with values an interior point cannot start from changes nothing.
bool ipClass::readVariables() {
  const std::string path = dumpPath("ip-vars.dat");
  std::ifstream in(path, std::ios::binary);
  long long a = -1, v = -1, size = -1;
  if (in) in >> a >> v >> size;
  const std::size_t kv = static_cast<std::size_t>(K) * (V + 1), ka = static_cast<std::size_t>(K) * (A + 1);
  const std::size_t expected = kv + 5 * ka + static_cast<std::size_t>(A);
  std::vector<double> buffer;
  bool fits = in && a == A && v == V && size == static_cast<long long>(sizeof(double));
  if (fits) {
    in.get();
    const auto start = in.tellg();
    std::error_code ec;
    const auto fileSize = std::filesystem::file_size(path, ec);
    fits = !ec && start >= 0 && fileSize - static_cast<std::uintmax_t>(start) == expected * sizeof(double);
  }
  if (fits) {
    buffer.resize(expected);
    in.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(expected * sizeof(double)));
    fits = static_cast<std::size_t>(in.gcount()) == expected * sizeof(double);
  }
  // f, s, zs, zf must be positive and everything finite on the live slots.
  const std::size_t fAt = kv + ka + A;
  for (std::size_t i = 0; fits && i < buffer.size(); ++i) fits = std::isfinite(buffer[i]);
  for (int block = 0; fits && block < 4; ++block)
    for (int k = 1; fits && k <= K; ++k)
      for (int slot : live_) {
        if (!(buffer[fAt + block * ka + static_cast<std::size_t>(k - 1) * (A + 1) + slot - 1] > 0)) {
          fits = false;
          break;
        }
      }
  if (!fits) {
    log(3) << kMismatch;
    return false;
  }
  log(3) << "Reading Variables\n";
  std::size_t at = 0;
  auto rows = [&](std::vector<double>& m, int stride) {
    for (int k = 1; k <= K; ++k) {
      double* row = m.data() + static_cast<std::size_t>(k - 1) * stride;
      std::copy_n(buffer.data() + at, stride - 1, row + 1);
      at += stride;
    }
  };
  rows(y, V + 1);
  rows(w, A + 1);
  std::copy_n(buffer.data() + at, A, x.data() + 1);
  at += A;
  rows(f, A + 1);
  rows(s, A + 1);
  rows(zs, A + 1);
  rows(zf, A + 1);
  for (int k = 1; k <= K; ++k) kV(y, k, root) = 0;
  if (ipPositivX)
    for (int slot : live_) zx[slot] = std::max(cost(slot) - x[slot], 1e-3);  // not in the file
  return true;
}

}  // namespace tesmo
