#pragma once
// Star contraction without widgets: finds star-like clusters (a centre with close relatives around
// it, the centre a sequence or a generated median vector), contracts each into its centre in up to
// three rounds, and writes the reduced data set (.sco, every contracted member carrying its
// centre's states) with a protocol (.pro). The window TStar_Menue drives it.

#include "RDF_DataSet_Definition.h"

#include <array>
#include <string>
#include <unordered_map>
#include <vector>

namespace sc_messages {
inline constexpr const char* OpenTitle = "Please specify the file that should be contracted";
inline constexpr const char* ProtocolTitle = "Please specify the protocol file";
inline constexpr const char* ProtocolFilter = "Star contraction protocol files (*.pro)|*.pro";
inline constexpr const char* ResultTitle = "Please specify the result file";
inline constexpr const char* ResultFilter = "Star contracted files (*.sco)|*.sco";
inline constexpr const char* TooManySequences =
    "The maximum number of sequences (50000) including potential median vectors is attained. No "
    "further potential median vectors are generated in this round.";
std::string ContinueQuestion(int remaining);
std::string FinishedMessage(int remaining);
std::string CannotWrite(const std::string& fileName);
}  // namespace sc_messages

// Reads a data file for star contraction (tag "SC"): amino-acid or nucleotide state sets, blanks
// removed from names, ambiguous states resolved unless amino acids. False (data set empty) on
// error.
bool LoadStarDataSet(Trdf_DataSet& data, const std::string& fileName, bool aminoAcids,
                     bool checkNames, bool showMessages);

class TStarObserver {
 public:
  virtual ~TStarObserver() = default;
  virtual void KeepAlive() {}
  virtual void EquivalentProgress(int /*percent*/, int /*pairs*/) {}
  virtual void ExaminedSequence(int /*i*/, int /*potentialMedians*/) {}
  virtual void Cliques(int /*count*/) {}
  virtual void CheckingClique(int /*star*/) {}
};

// A candidate star: its centre and, per distance class 1..10, the members at that distance.
struct TStar {
  int centre = 0;
  std::array<std::vector<int>, 11> classes;  // entry 0 unused; the centre is in no list
  bool median = false;                       // centred on a potential median vector
  int MemberCount() const;
  void Clear();
  bool Remove(int taxon);
};

class TStarContraction {
 public:
  static constexpr int MaxRadius = 10;

  TStarContraction(Trdf_DataSet& data, std::string dataFileName, int radius,
                   TStarObserver* observer = nullptr);

  // Identical taxa: recorded, made inactive and clustered with the first of them.
  void gleichetaxafeststellen();
  // One round: potential median vectors, expansion centres, overlap resolution, contraction and
  // cluster update.
  void Round();

  // --- Steps of a round, public for tests ---
  void medianvektoren();
  void Expansionszentren_bestimmen();
  void ResolveOverlaps();
  void problem_zuordnungen();
  void Contract();

  // Active taxa among the sequences 1..n.
  int Remaining() const;
  // Characters constant over the remaining taxa get weight 0.
  void ZeroConstantWeights();
  std::string ScoText() const;
  const std::string& Protocol() const { return protocol_; }

  int SequenceCount() const { return n_; }
  int TotalMedians() const { return total_; }
  int ContractionCount(int taxon) const { return counts_[static_cast<std::size_t>(taxon)]; }
  // Clusters: first entry the centre; emptied clusters are empty.
  const std::vector<std::vector<int>>& Clusters() const { return clusters_; }
  const std::vector<TStar>& Stars() const { return stars_; }
  const Trdf_DataSet& Data() const { return data_; }

 private:
  int Distance(int a, int b) const { return data_.UnweightedDistance(a, b, true); }
  void Line(const std::string& text);
  std::vector<int>& ClusterOf(int centre);
  void KeepAlive() const {
    if (observer_) observer_->KeepAlive();
  }

  Trdf_DataSet& data_;
  std::string fileName_;
  int radius_;
  TStarObserver* observer_;
  int n_;
  int total_ = 0;
  bool limitShown_ = false;
  std::vector<int> counts_;  // 1-based: contraction count of each sequence
  std::vector<std::vector<int>> clusters_;
  std::unordered_map<int, std::size_t> clusterOfCentre_;
  std::vector<TStar> stars_;
  std::vector<std::size_t> contracted_;  // stars contracted in the current round
  std::string protocol_;
};

// The calculation as the window runs it: the protocol dialog, the rounds with their questions, the
// .sco dialog and both files. False when cancelled or a file could not be written.
bool RunStarContraction(Trdf_DataSet& data, const std::string& dataFileName, int radius,
                        TStarObserver* observer = nullptr);
