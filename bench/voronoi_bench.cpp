// Times the nearest-terminal computations of a reduction instance built from an STP file: the
// Voronoi regions with their links, the generalized MST, the second and third nearest
// terminals, the bottleneck store, and bottleneck-distance queries between random vertex pairs.

#include "FindSave.h"
#include "ReduceGraph.h"
#include "StpReader.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

using namespace tesmo;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

[[noreturn]] void usage(const char* message) {
  std::fprintf(stderr, "%s\nusage: voronoi_bench <instance.stp> [--rounds n] [--queries n] [--store default|matrix|tree|cached]\n", message);
  std::exit(2);
}

int positive(const char* text) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (*text == '\0' || *end != '\0' || value < 1 || value > 100000000) usage("bad number");
  return static_cast<int>(value);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) usage("missing instance file");
  const std::string path = argv[1];
  int rounds = 20;
  int queries = 1000000;
  std::string storeName = "default";
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) rounds = positive(argv[++i]);
    else if (std::strcmp(argv[i], "--queries") == 0 && i + 1 < argc) queries = positive(argv[++i]);
    else if (std::strcmp(argv[i], "--store") == 0 && i + 1 < argc) storeName = argv[++i];
    else usage("unknown option");
  }

  if (storeName != "default" && storeName != "matrix" && storeName != "tree" && storeName != "cached")
    usage("unknown store");

  Graph g;
  StpReader reader;
  if (!reader.read(g, path)) {
    std::fprintf(stderr, "cannot read %s: %s\n", path.c_str(), reader.error().c_str());
    return 1;
  }
  ReduceGraph R(g);

  // Each phase is run `rounds` times in the order the reduction tests use; the best round counts,
  // as the machine may be shared.
  double regions = 1e300, mst = 1e300, second = 1e300, third = 1e300, store = 1e300;
  for (int round = 0; round < rounds; ++round) {
    auto start = Clock::now();
    R.computeVoronoiRegions(maxint);
    regions = std::min(regions, msSince(start));
    start = Clock::now();
    R.generalizedMst();
    mst = std::min(mst, msSince(start));
    start = Clock::now();
    R.secondNearestTerminals(maxint);
    second = std::min(second, msSince(start));
    start = Clock::now();
    R.thirdNearestTerminals(maxint);
    third = std::min(third, msSince(start));
    start = Clock::now();
    if (storeName == "matrix") R.buildFindSaveMatrix();
    else if (storeName == "tree") R.buildFindSaveTree(0);
    else if (storeName == "cached") R.buildFindSaveTree(1);
    else R.getFindSave();
    store = std::min(store, msSince(start));
  }

  std::mt19937 random(1);
  std::uniform_int_distribution<int> vertex(1, R.V);
  std::vector<int> pairs(2 * static_cast<std::size_t>(queries));
  for (int& v : pairs) v = vertex(random);
  std::int64_t checksum = 0;
  int unreached = 0;
  const auto start = Clock::now();
  for (int q = 0; q < queries; ++q) {
    const int d = R.bottleneckDistance(pairs[2 * q], pairs[2 * q + 1]);
    if (d == maxint) ++unreached;
    else checksum += d;
  }
  const double queryMs = msSince(start);

  std::printf(
      "vertices=%d edges=%d terminals=%d links=%d blowup=%d store_kind=%d rounds=%d "
      "regions_ms=%.3f mst_ms=%.3f second_ms=%.3f third_ms=%.3f store_ms=%.3f queries=%d "
      "query_ms=%.1f ns_per_query=%.1f unanswered=%d checksum=%lld\n",
      R.V, R.E, R.R, R.linkCount, R.blowUpMark, R.findSave ? R.findSave->kind() : 0, rounds,
      regions, mst, second, third, store, queries, queryMs, queryMs * 1e6 / queries, unreached,
      static_cast<long long>(checksum));
  return 0;
}
