// Times the interior-point LP bound on a reduction instance built from an STP file: the
// symbolic and one numeric factorisation of the vertex Laplacian (unit weights), then one whole
// run of the method with the given settings.

#include "InteriorPoint.h"
#include "LogStream.h"
#include "ReduceGraph.h"
#include "ScriptLetterSetup.h"
#include "Shell.h"
#include "SparseCholesky.h"
#include "StpReader.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace tesmo;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

[[noreturn]] void usage(const char* message) {
  std::fprintf(stderr, "%s\nusage: ip_bench <instance.stp> [name=value ...]\n", message);
  std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) usage("missing instance file");
  const std::string path = argv[1];
  for (int i = 2; i < argc; ++i) {
    if (std::strchr(argv[i], '=') == nullptr) usage("unknown option");
    shell.setAssignment(argv[i]);
  }
  verbose = shell.Iget("verbose", 0);
  registerScriptLetters();
  Graph g;
  StpReader reader;
  if (!reader.read(g, path)) {
    std::fprintf(stderr, "cannot read %s: %s\n", path.c_str(), reader.error().c_str());
    return 1;
  }
  ReduceGraph R(g);
  if (R.R < 2) usage("the instance needs two terminals");

  SparseCholesky chol;
  auto start = Clock::now();
  if (!chol.symbolic(R, R.terminals[R.R], 1, shell.Iget("cholOrdering", 200), 1e12)) usage("factors too large");
  const double symbolicMs = msSince(start);
  std::vector<double> unit(2 * R.E + 1, 1.0);
  start = Clock::now();
  const bool factored = chol.numeric(R, 1, unit.data());
  const double numericMs = msSince(start);

  start = Clock::now();
  ipClass method(R);
  method.ipDriver();
  const double ipMs = msSince(start);
  std::printf("vertices=%d edges=%d terminals=%d factor_offdiag=%lld factored=%d symbolic_ms=%.2f numeric_ms=%.2f "
              "iterations=%d stop=%d primal=%.4f dual=%.4f lower=%d ip_ms=%.1f\n",
              R.V, R.E, R.R, static_cast<long long>(chol.offDiagonal()), factored ? 1 : 0, symbolicMs, numericMs,
              method.iterations(), method.stopReason(), method.primalCost(), method.dualCost(), R.lowerValue, ipMs);
  return 0;
}
