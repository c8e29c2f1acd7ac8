#pragma once
// Candidate median vectors of one median-joining round: every two links that share a sequence give
// a triple, each triple one candidate (binary data) or up to three, and a criterion keeps some of
// them: the connection cost (default) or greedy FHP. Also the MJ square option's extra links.

#include "MJDistanceCache.h"
#include "MJObserver.h"
#include "RDF_DataSet_Definition.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

enum class TMJCriterion { ConnectionCost, GreedyFHP };

// One candidate median vector built from the triple X, Y, Z.
struct combinationtype {
  int32_t X = 0;  // end a of the first link
  int32_t Y = 0;  // end b of the first link
  int32_t Z = 0;  // the end of the second link that is not shared
  Trdf_Sequence sequence;  // only its States matter
  int32_t saving = 0;      // greedy FHP: distance of the shared sequence to the candidate
  int32_t longest = 0;     // greedy FHP: the longer of the two links
  int32_t cost = 0;        // TripleConnectionCost of the triple
};

// The states of a data set's active taxa on its active characters, to ask whether a sequence
// already exists without scanning every taxon.
class TMJSequenceIndex {
public:
  explicit TMJSequenceIndex(const Trdf_DataSet& data);
  bool Contains(const std::string& states) const { return keys_.count(KeyOf(states)) != 0; }
  void Add(const std::string& states) { keys_.insert(KeyOf(states)); }
  // The states on the active characters.
  std::string KeyOf(const std::string& states) const;

private:
  std::vector<int> activeColumns_;
  std::unordered_set<std::string> keys_;
};

// The running values of a round: best starts at 25500 (connection cost) or 0 (greedy FHP), longest
// at 1000; generation updates them and the round's selection uses the final values.
struct TMJRunningBest {
  int32_t best = 0;
  int32_t longest = 1000;
  static TMJRunningBest Start(TMJCriterion c) {
    return {c == TMJCriterion::ConnectionCost ? 25500 : 0, 1000};
  }
};

struct TMJCandidateSettings {
  int epsilon = 0;
  int minimumWeight = 0;
  bool binary = false;
  TMJCriterion criterion = TMJCriterion::ConnectionCost;
};

class TMJCandidateGenerator {
public:
  using DistanceFn = std::function<int(int, int)>;
  TMJCandidateGenerator(const Trdf_DataSet& data, TMJCandidateSettings settings, DistanceFn distance,
                        const TMJSequenceIndex& existing, TMJObserver* observer = nullptr);

  // Builds the candidates of the links (in list order) into `candidates` (emptied first).
  void GenerateMedianCandidates(const TMJLinkList& links, TMJRunningBest& running,
                                std::vector<combinationtype>& candidates);

  // For every active character, its weight times (distinct states among X, Y, Z - 1).
  int TripleConnectionCost(int X, int Y, int Z) const;
  // The round's final test of a candidate against the final running values.
  bool Selected(const combinationtype& c, const TMJRunningBest& running) const;
  static bool Selected(const TMJCandidateSettings& settings, int cost, int saving, int longest,
                       const TMJRunningBest& running);

private:
  // Sum of the weights of the active characters at which the two state strings differ.
  int PlainWeightedDifference(const std::string& a, const std::string& b) const;
  bool AgreeOnActive(const std::string& a, const std::string& b) const;

  const Trdf_DataSet& data_;
  TMJCandidateSettings settings_;
  DistanceFn distance_;
  const TMJSequenceIndex& existing_;
  TMJObserver* observer_;
  std::vector<int> activeColumns_;   // 0-based, active characters
  std::vector<int> activeWeights_;
  std::vector<uint8_t> characterActive_;
};

// The candidate states of the triple X, Y, Z (states sx, sy, sz): where X agrees with Y (or, on an
// active character, with Z) all take X's state; where only Y and Z agree on an active character all
// take Y's; elsewhere cand[0], cand[1], cand[2] keep X's, Y's and Z's state (the last two only with
// `all`).
void MedianStates(const std::string& sx, const std::string& sy, const std::string& sz,
                  const std::vector<uint8_t>& characterActive, bool all,
                  std::array<std::string, 3>& cand);

// MJ square option: for every two of the links that share a sequence, the link between their far
// ends is appended (smaller number first, state 1); links appended here are not paired again.
void SquareLinks(TMJLinkList& links, TMJObserver* observer = nullptr);

// Link numbers (0-based) incident to each sequence, ascending.
std::vector<std::vector<int>> IncidentLinks(const TMJLinkList& links, std::size_t count);
