// Runs the median-joining calculation on one data file and prints its figures.
//   mj_bench <data file: .rdf .ami .rmf .sco .phy .nex .tor .ych> [epsilon] [--amino] [--square]
//            [--fhp] [--reference] [--portable] [--tree] [--full-tree] [--trace]
//            [--out file.out]
// The last line holds wall time, peak memory, sequences, median vectors, links and the total link
// length as key=value pairs.

#include "MJDataFile.h"
#include "Median_joining.h"
#include "OutFile.h"
#include "UHelp.h"
#include "umwandl.h"

#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <optional>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool EndsWith(const std::string& s, const std::string& suffix) {
  if (s.size() < suffix.size()) return false;
  for (std::size_t k = 0; k < suffix.size(); ++k)
    if (std::tolower(static_cast<unsigned char>(s[s.size() - suffix.size() + k])) != suffix[k])
      return false;
  return true;
}

bool Imported(const std::string& file) {
  for (const char* type : {".phy", ".nex", ".tor", ".ych"})
    if (EndsWith(file, type)) return true;
  return false;
}

// Reads the file as the median-joining window does: foreign files through the same imports, the
// amino-acid states where the window would take them (or when asked). The imports write their
// .rdf beside their input, so a foreign file is imported from a copy in a folder of its own in the
// temporary folder: the data folder is never written to.
bool LoadData(const std::string& file, bool& amino, Trdf_DataSet& data, std::string& usedFile) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path folder;
  std::string source = file;
  if (Imported(file)) {
    folder = fs::temp_directory_path() / ("mj_bench_" + std::to_string(::getpid()));
    fs::create_directories(folder, ec);
    const fs::path copy = folder / fs::path(file).filename();
    fs::copy_file(file, copy, fs::copy_options::overwrite_existing, ec);
    if (ec) return false;
    source = copy.string();
  }
  const std::optional<TMJDataFile> prepared = PrepareMJDataFile(source);
  bool read = false;
  if (prepared) {
    amino = amino || prepared->AminoAcids;
    usedFile = prepared->RdfName;
    read = LoadMJDataSet(data, usedFile, amino, true, prepared->Type == "RMF");
  }
  if (!folder.empty()) fs::remove_all(folder, ec);
  return read;
}

// --trace: one line per round on standard error, with the time since the start.
class TraceObserver : public TMJObserver {
public:
  void RoundStarted(int round) override { round_ = round; }
  void MediansAdded(int count) override { added_ = count; }
  void SequenceCount(int n) override {
    if (added_ < 0) return;
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    std::fprintf(stderr, "round=%d added=%d sequences=%d t_s=%.3f\n", round_, added_, n, s);
    added_ = -1;
  }

private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  int round_ = 0, added_ = -1;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: mj_bench <data file> [epsilon] [--amino] [--square] [--fhp] [--reference] "
                 "[--portable] [--tree] [--full-tree] [--trace] [--out file]\n");
    return 2;
  }
  const std::string file = argv[1];
  TMJOptions options;
  std::string outName;
  bool reference = false, portable = false, trace = false, tree = false, fullTree = false;
  for (int k = 2; k < argc; ++k) {
    const std::string a = argv[k];
    if (a == "--amino") options.AminoAcids = true;
    else if (a == "--square") options.MJSquare = true;
    else if (a == "--fhp") options.Criterion = TMJCriterion::GreedyFHP;
    else if (a == "--reference") reference = true;
    else if (a == "--portable") portable = true;
    else if (a == "--tree") tree = true;
    else if (a == "--full-tree") fullTree = true;
    else if (a == "--trace") trace = true;
    else if (a == "--out" && k + 1 < argc) outName = argv[++k];
    else {
      const int e = std::atoi(a.c_str());
      if (e < 0 || e > 255) {
        std::fprintf(stderr, "epsilon must lie in 0..255\n");
        return 2;
      }
      options.Epsilon = static_cast<uint8_t>(e);
    }
  }
  Trdf_DataSet data;
  std::string usedFile;
  if (!LoadData(file, options.AminoAcids, data, usedFile)) {
    std::fprintf(stderr, "cannot read %s\n", file.c_str());
    return 1;
  }
  const int taxa = data.TaxaCount();
  const auto start = std::chrono::steady_clock::now();
  TraceObserver tracer;
  TMJCalculation calc(data, options, trace ? &tracer : nullptr);
  calc.UseReferenceRounds(reference);
  calc.UsePortablePopcount(portable);
  calc.UsePairsByTree(tree);
  calc.UseFullTreeRounds(fullTree);
  const bool calculated = calc.Calculate();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!calculated) return 1;
  if (trace) {
    const auto& k = calc.KeptTreeCounts();
    std::fprintf(stderr, "kept tree: built=%d appended=%d leaves=%d pieces=%d retested=%d\n",
                 k.built, k.appended, k.leaves, k.pieces, k.retested);
  }
  if (!outName.empty() && !outfile::WriteOutText(outName, MJOutText(calc, usedFile))) return 1;
  int distinct = 0;
  for (int p = 1; p <= calc.InputSequenceCount(); ++p) distinct += data.Taxon(p).Representative == 0;
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("file=%s epsilon=%d taxa=%d distinct=%d rounds=%d wall_s=%.3f peak_mb=%.1f "
              "sequences=%d medians=%d links=%zu length=%lld\n",
              file.c_str(), options.Epsilon, taxa, distinct, calc.Rounds(), seconds,
              usage.ru_maxrss / 1024.0, calc.SequenceCount(), calc.MedianVectorCount(),
              calc.Links().size(), static_cast<long long>(calc.TotalLinkLength()));
  return 0;
}
