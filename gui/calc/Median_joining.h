#pragma once
// The median-joining calculation without widgets: a data set and options in, the network (median
// vectors appended to the data set, the final links with their torso labels) out. Progress and the
// keep-alive step go to a TMJObserver. The window TMJ_Menue drives it; the benchmark and the tests
// call it directly.

#include "MJBitDistance.h"
#include "MJCandidates.h"
#include "MJDistanceCache.h"
#include "MJObserver.h"
#include "MJPairKeys.h"
#include "MJPlaneCandidates.h"
#include "MJRowSet.h"
#include "MJSpanningTree.h"
#include "RDF_DataSet_Definition.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TMJOptions {
  uint8_t Epsilon = 0;
  bool FrequencyCriterion = false;
  TMJCriterion Criterion = TMJCriterion::ConnectionCost;
  bool ExternalRooting = false;
  bool MJSquare = false;
  uint8_t TransversionWeight = 1;  // 1..50, reported in the .out file only
  uint8_t TransitionWeight = 1;    // 1..10, reported in the .out file only
  bool AminoAcids = false;
};

namespace mj_messages {
inline constexpr const char* FewerThanThree =
    "This file contains less than 3 different sequences. Return to Data Entry and add further "
    "sequences.";
inline constexpr const char* NoRoot =
    "File does not contain an outgroup named 'ROOT'. Calculation will proceed without rooting.";
inline constexpr const char* FormatError =
    "Have detected an error in the data file format. Check the file by hand or use ->File->Open "
    "which offers more detailed error messages.";
inline constexpr const char* TooManySequences =
    "The maximum number of sequences (50000) including median vectors is attained. No further "
    "median vectors are generated; the network is completed with those found so far.";
inline constexpr const char* StatesLength =
    "At least one sequence of the data file has a number of states different from the number of "
    "characters. Please correct the data file and then try again.";
// The question asked when epsilon lies below the smallest character weight.
std::string EpsilonQuestion(int epsilon, int minimumWeight);
}  // namespace mj_messages

// Reads a data file for median joining into `data` (state sets for nucleotide/binary or amino-acid
// data first), resolves ambiguous states unless amino acids. True on success; false leaves `data`
// empty. `checkNames` runs the duplicate-name check.
bool LoadMJDataSet(Trdf_DataSet& data, const std::string& fileName, bool aminoAcids,
                   bool showMessages, bool checkNames);
// How median joining reads its data file; the other calculations' readings start from it.
TDataSetReading MJReading(bool aminoAcids, bool showMessages, bool checkNames);

// The "mv" name of the k-th median vector: "mv" + k right-justified in 4, cut to 6 characters.
std::string MedianVectorName(int k);

class TMJCalculation {
public:
  TMJCalculation(Trdf_DataSet& data, const TMJOptions& options, TMJObserver* observer = nullptr);

  // The checks before a calculation: the epsilon question (true = the user wants to change epsilon,
  // nothing should be calculated) and the missing-ROOT message.
  bool AskToChangeEpsilon();
  // The whole calculation up to the final links. False when nothing was calculated (fewer than 3
  // distinct sequences, shown to the user).
  bool Calculate();

  // --- Results ---
  const Trdf_DataSet& Data() const { return data_; }
  const TMJOptions& Options() const { return options_; }
  const TMJLinkList& Links() const { return links_; }
  // Taxa taken out before the calculation, in reverse data-set order.
  const std::vector<Trdf_Sequence>& RemovedList() const { return removed_; }
  int SequenceCount() const { return n_; }
  int InputSequenceCount() const { return n0_; }
  int MedianVectorCount() const { return medianCount_; }
  int SavedEpsilon() const { return savedEpsilon_; }
  bool Binary() const { return binary_; }
  int Rounds() const { return rounds_; }
  // True when the rounds were ended because they came back to an earlier set of median vectors.
  bool RoundsCycled() const { return cycleCut_; }
  // The sum of the link distances.
  int64_t TotalLinkLength() const;

  // --- The steps, public for tests ---
  int MinimumCharacterWeight() const;
  int MJDistance(int a, int b) const;
  // Prepares the step-by-step state for data already prepared by hand (taxa equivalent-marked):
  // n := n0 := taxa count, codes, cache.
  void StartRounds();
  void FindFeasibleLinks(int first, int last);
  // The literal feasibility search over the reach list (the reference the fast search in
  // FindFeasibleLinks must agree with).
  bool IsLinkFeasible(int i, int j) const;
  bool RemoveObsoleteMedians();
  void RunMJRound(bool squaring);
  void FinishMJNetwork();
  int LinkLengthCap() const { return linkCap_; }
  void SetEpsilon(int e) { epsilon_ = e; InvalidateFeasible(); }
  bool DistanceCacheInUse() const { return cache_.InUse(); }
  TMJLinkList& MutableLinks() { return links_; }
  // The rounds as first written (candidates as state strings, every pair looked at in every
  // round) instead of the incremental ones on the bit planes; both give the same network. For
  // tests and the benchmark's comparison runs.
  void UseReferenceRounds(bool on) { reference_ = on; }
  // The portable popcount instead of the processor's (for tests and comparison runs).
  void UsePortablePopcount(bool on) { portablePopcount_ = on; }
  // The feasibility test from the spanning tree from the first round on, instead of only once the
  // pairs within reach are too many to keep (for tests and comparison runs).
  void UsePairsByTree(bool on) { treeFromStart_ = on; }
  // With the feasibility test from the spanning tree: a new tree and every pair in every round
  // instead of the tree kept from round to round and only the pairs that may have changed (for
  // tests and comparison runs).
  void UseFullTreeRounds(bool on) { fullTreeRounds_ = on; }
  // The kept tree follows every change, however many sequences came or went (for tests: small
  // sets would otherwise build it anew).
  void UseKeptTreeAlways(bool on) { keptTreeAlways_ = on; }
  // How the kept tree answered: built anew, after appended sequences, after removed ones that
  // were its leaves, after removed ones that cut it into pieces, every pair on it after epsilon
  // or the cap changed.
  struct TKeptTreeCounts {
    int built = 0, appended = 0, leaves = 0, pieces = 0, retested = 0;
  };
  const TKeptTreeCounts& KeptTreeCounts() const { return keptTreeCounts_; }

private:
  int CapAtLeast(int value) const;
  // MJDistance(a, b) for b = first..last into row[b] (row grows to hold last).
  void DistanceRow(int a, int first, int last, std::vector<int>& row) const;
  void InvalidateFeasible() { feasibleValid_ = false; }
  // The feasible pairs (i < j, both representatives, distance <= epsilon + cap) of the current
  // sequences, in (i, j) order.
  // `gauge` follows the work when the pairs have to be found anew.
  const std::vector<std::pair<int, int>>& FeasiblePairs(TMJLinkGauge* gauge = nullptr);
  int SpanningBottleneck(const std::vector<int>& active, TMJLinkGauge* gauge) const;
  // Prim's tree over the active sequences; parent (an index into `active`, -1 at the start) and
  // the length of the link to it per sequence when asked for. Returns the tree's largest link.
  int SpanningTree(const std::vector<int>& active, TMJLinkGauge* gauge, std::vector<int>* parent,
                   std::vector<int>* length) const;
  // The feasible pairs into feasible_ from a minimum spanning tree instead of sorted pairs: two
  // sequences are joined by steps shorter than t exactly when the tree's largest link between
  // them is shorter than t. Memory linear in the sequences, for rounds whose pairs within reach
  // are too many to keep.
  void CollectFeasibleByTree(const std::vector<int>& active, const std::vector<uint8_t>& flags,
                             TMJLinkGauge* gauge);
  // The same pairs from the tree kept since the last call: after sequences were appended, the
  // tree takes them in and only their pairs and the pairs feasible before are looked at; after
  // sequences were removed, only pairs between the pieces the tree fell into. Anything else (or
  // too many changes to be worth it) builds the tree anew.
  void CollectFeasibleByKeptTree(const std::vector<int>& active, const std::vector<uint8_t>& flags,
                                 TMJLinkGauge* gauge);
  // After appended sequences (and, with `retest`, a new epsilon or cap): the tree takes them in
  // and the pairs are answered on it.
  bool KeptTreeAfterAppend(const std::vector<uint8_t>& flags, bool retest = false);
  // The largest distance at which a pair can be feasible on the kept tree.
  int64_t ReachOnTree() const;
  template <class Emit>
  void PairsOnTreeFrom(int a, int first, int last, const std::vector<uint8_t>& flags, bool levels,
                       int64_t reach, Emit&& emit);
  // Every pair on the kept tree into feasible_.
  void PairsOnKeptTree(const std::vector<uint8_t>& flags);
  bool KeptTreeAfterRemoval(const std::vector<uint8_t>& flags);
  // Sorts feasible_ from `kept` on and merges it into the sorted part before, with the distances.
  void MergeNewPairs(std::size_t kept);
  bool FeasibleAt(int d, int widest) const {
    if (d > static_cast<int64_t>(epsilon_) + linkCap_) return false;
    const int t = d - epsilon_;
    return t <= minimumWeight_ || widest >= t;
  }
  // The largest link of a minimum spanning tree of the active sequences from the kept pairs; -1
  // when they do not connect them all.
  int64_t KeptBottleneck(std::size_t activeCount);
  // The feasible pairs among `keys` (sorted) up to `limit` into feasible_.
  void CollectFeasible(const std::vector<uint64_t>& keys, int64_t limit, TMJLinkGauge* gauge);
  uint8_t PairFlags(int p) const;
  // Tells the kept pairs that sequences n_ - added + 1 .. n_ were appended.
  void PairsAppended(int added);
  void CleanUpAtEpsilonZero();
  // Candidates of the round's links and the new median vectors, on the bit planes.
  int AddMediansFromPlanes(TMJRunningBest& running);
  int AddMediansFromStates(TMJRunningBest& running);
  void RenameMedianVectors();
  void ReportStep() const {
    if (observer_) observer_->StepDone();
  }

  Trdf_DataSet& data_;
  TMJOptions options_;
  TMJObserver* observer_;
  int epsilon_;
  int savedEpsilon_ = 0;
  int n_ = 0, n0_ = 0;
  int minimumWeight_ = 0;
  bool binary_ = false;
  int linkCap_ = 20000;
  bool newMedians_ = false;
  bool limitReached_ = false;
  bool cycleCut_ = false;  // the rounds came back to an earlier set of median vectors
  int rounds_ = 0;
  int medianCount_ = 0;
  std::vector<Trdf_Sequence> removed_;
  TMJLinkList links_;
  TMJDistanceCache cache_;
  TMJBitSequences codes_;
  bool reference_ = false;
  bool cacheWanted_ = true;
  bool portablePopcount_ = false;
  TMJPlaneCandidates planeCandidates_;
  TMJRowSet rows_;                 // rows of the active sequences, by position
  std::vector<uint64_t> rowBuffer_;
  TMJPairKeys pairKeys_;
  std::vector<std::pair<int, int>> feasible_;
  bool feasibleValid_ = false;
  // Set once the pairs within reach outgrew what is kept: the rounds then use the tree.
  bool pairsByTree_ = false;
  bool treeFromStart_ = false;
  int feasibleEpsilon_ = -1, feasibleCap_ = -1;
  // The tree kept from round to round, the feasible pairs and flags it was last used for, and
  // what changed since.
  bool fullTreeRounds_ = false;
  bool keptTreeAlways_ = false;
  TKeptTreeCounts keptTreeCounts_;
  TMJSpanningTree tree_;
  bool treeValid_ = false;
  int treeEpsilon_ = -1, treeCap_ = -1;
  int treeAppended_ = 0;
  bool treeRemoved_ = false;
  std::vector<uint8_t> treeFlags_;
  std::vector<std::pair<int, int>> treePairs_;
  std::vector<int> widest_, piece_, row_;
  // With the kept tree: the distance of every feasible pair (valid with feasibleDistValid_), of
  // the tree's pairs, and of the links built from them.
  std::vector<int> feasibleDist_, treeDist_, linkLength_;
  bool feasibleDistValid_ = false, linkLengthValid_ = false;
  struct PairAt {
    int i, j, d;
  };
  std::vector<PairAt> mergeScratch_;
  std::vector<std::pair<int, int>> mergedPairs_;
  std::vector<int> mergedDist_;
};
