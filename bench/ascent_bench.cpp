// Times the dual ascent of the solver on a reduction instance built from an STP file: one engine
// pass with its reduced-cost distances (a second pass on the same engine, which reuses its
// buffers), and one whole fast ascent (letter A: bound, tree from the auxiliary graph,
// deletions, replacements), as program 1 runs it. With --letters, also the live edges each of
// the letters m, M, n, s and A leaves when it runs alone on the instance.

#include "AscentEngine.h"
#include "AscentFast.h"
#include "ReduceByString.h"
#include "ReduceGraph.h"
#include "ScriptLetterSetup.h"
#include "Shell.h"
#include "StpReader.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace tesmo;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

[[noreturn]] void usage(const char* message) {
  std::fprintf(stderr, "%s\nusage: ascent_bench <instance.stp> [--rounds n] [--letters] [name=value ...]\n", message);
  std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) usage("missing instance file");
  const std::string path = argv[1];
  int rounds = 5;
  bool letters = false;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--letters") == 0) {
      letters = true;
    } else if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
      char* end = nullptr;
      const long value = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || value < 1 || value > 1000) usage("bad number of rounds");
      rounds = static_cast<int>(value);
    } else if (std::strchr(argv[i], '=') != nullptr) {
      shell.setAssignment(argv[i]);
    } else {
      usage("unknown option");
    }
  }
  registerScriptLetters();

  Graph g;
  StpReader reader;
  if (!reader.read(g, path)) {
    std::fprintf(stderr, "cannot read %s: %s\n", path.c_str(), reader.error().c_str());
    return 1;
  }

  // The best round counts, as the machine may be shared.
  double passMs = 1e300, secondPassMs = 1e300, fastMs = 1e300;
  int passBound = 0, lower = 0, upper = 0, proven = 0, vertices = 0, edges = 0;
  for (int round = 0; round < rounds; ++round) {
    ReduceGraph R(g);
    {
      AscentEngine engine(R);
      engine.applyToInstance = 0;
      auto start = Clock::now();
      passBound = engine.run(R.R);
      engine.reducedCostDistances();
      passMs = std::min(passMs, msSince(start));
      start = Clock::now();
      engine.run(R.R);
      engine.reducedCostDistances();
      secondPassMs = std::min(secondPassMs, msSince(start));
    }
    const auto start = Clock::now();
    ascentFast(R);
    fastMs = std::min(fastMs, msSince(start));
    lower = R.lowerValue;
    upper = R.upperValue;
    proven = R.upperOpt == 1 ? 1 : 0;
    vertices = R.Vanz;
    edges = R.Eanz;
  }
  std::string shrink;
  if (letters) {
    for (const char* letter : {"m", "M", "n", "s", "A"}) {
      ReduceGraph R(g);
      reduceByString(letter, R, 0);
      shell.phase = 0;
      shrink += std::string(" ") + letter + "_edges=" + std::to_string(R.Eanz);
    }
  }
  std::printf("vertices=%d edges=%d terminals=%d pass_bound=%d pass_ms=%.3f second_pass_ms=%.3f "
              "lower=%d upper=%d proven=%d fast_ms=%.3f vertices_after=%d edges_after=%d%s\n",
              g.V, g.E, g.R, passBound, passMs, secondPassMs, lower, upper, proven, fastMs, vertices,
              edges, shrink.c_str());
  return 0;
}
