// Writes a synthetic alignment for median-joining scaling runs as an rdf file: a random genealogy
// in which each new sequence copies an earlier one and mutates one to three of the chosen variable
// sites, until n distinct sequences exist.
//   mj_synth <out.rdf> <n sequences> <L sites> <V variable sites> [seed]
// The last line reports the figures of the file written.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: mj_synth <out.rdf> <n sequences> <L sites> <V variable sites> [seed]\n");
    return 2;
  }
  const std::string out = argv[1];
  const int n = std::atoi(argv[2]), sites = std::atoi(argv[3]), variable = std::atoi(argv[4]);
  const unsigned seed = argc > 5 ? static_cast<unsigned>(std::atoi(argv[5])) : 1u;
  if (n < 3 || n > 30000 || sites < 1 || sites > 10000 || variable < 2 || variable > sites) {
    std::fprintf(stderr, "need 3 <= n <= 30000, 1 <= L <= 10000, 2 <= V <= L\n");
    return 2;
  }
  std::mt19937 rng(seed);
  const char bases[] = "ACGT";
  std::string root(static_cast<std::size_t>(sites), 'A');
  for (char& c : root) c = bases[rng() % 4];
  std::vector<int> varSites(static_cast<std::size_t>(sites));
  for (int k = 0; k < sites; ++k) varSites[static_cast<std::size_t>(k)] = k;
  std::shuffle(varSites.begin(), varSites.end(), rng);
  varSites.resize(static_cast<std::size_t>(variable));
  std::vector<std::string> seqs{root};
  std::unordered_set<std::string> seen{root};
  long long attempts = 0;
  while (static_cast<int>(seqs.size()) < n && ++attempts < 100LL * n) {
    std::string s = seqs[rng() % seqs.size()];
    const int mutations = 1 + static_cast<int>(rng() % 3);
    for (int m = 0; m < mutations; ++m) {
      char& c = s[static_cast<std::size_t>(varSites[rng() % varSites.size()])];
      char b;
      do b = bases[rng() % 4];
      while (b == c);
      c = b;
    }
    if (seen.insert(s).second) seqs.push_back(s);
  }
  std::ofstream f(out, std::ios::binary);
  f << "  ;1.0\r\n";
  for (int k = 1; k <= sites; ++k) f << k << ';';
  f << "\r\n";
  for (int k = 1; k <= sites; ++k) f << "10;";
  f << "\r\n";
  for (std::size_t t = 0; t < seqs.size(); ++t) f << ">s" << t + 1 << ";1;;;;;;;\r\n" << seqs[t] << "\r\n";
  if (!f) {
    std::fprintf(stderr, "cannot write %s\n", out.c_str());
    return 1;
  }
  int actuallyVariable = 0;
  for (int k = 0; k < sites; ++k) {
    bool differs = false;
    for (const std::string& s : seqs) differs = differs || s[static_cast<std::size_t>(k)] != root[static_cast<std::size_t>(k)];
    actuallyVariable += differs;
  }
  std::printf("file=%s sequences=%zu sites=%d variable=%d seed=%u\n", out.c_str(), seqs.size(), sites,
              actuallyVariable, seed);
  return 0;
}
