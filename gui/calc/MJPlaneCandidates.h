#pragma once
// Candidate median vectors of one median-joining round built on the bit planes of the sequences:
// the same triples, candidates, costs and order as TMJCandidateGenerator, but each candidate is a
// row of a few words with a 64-bit hash, looked up among the existing sequences by that hash and
// compared exactly on a hit. Nothing is allocated per triple or per candidate; the buffers are
// kept from round to round. Requires complete planes (TMJBitSequences::Complete()).

#include "MJBitDistance.h"
#include "MJCandidates.h"
#include "MJDistanceCache.h"
#include "MJKeySet.h"
#include "MJObserver.h"
#include "MJRowSet.h"

#include <cstdint>
#include <cstddef>
#include <utility>
#include <vector>

// A kept candidate: the triple it comes from and which of its (up to three) candidates it is.
struct TMJPlaneCandidate {
  int32_t X = 0, Y = 0, Z = 0;
  int32_t k = 0;
  int32_t cost = 0;
  int32_t saving = 0;
  int32_t longest = 0;
};

class TMJPlaneCandidates {
public:
  // Builds the candidates of the links (in list order). `existing` holds the rows of the active
  // sequences by position; `cache` (may be null) holds the distances of positions 1..count;
  // `lengths` (may be null) the links' lengths when the caller knows them.
  void Run(const TMJBitSequences& codes, const TMJDistanceCache* cache, const TMJLinkList& links,
           int count, const TMJCandidateSettings& settings, const TMJRowSet& existing,
           TMJRunningBest& running, TMJObserver* observer = nullptr,
           const std::vector<int>* lengths = nullptr);
  const std::vector<TMJPlaneCandidate>& Candidates() const { return candidates_; }
  // Run remembers which triples of two links at a sequence did nothing and passes over them in
  // the next run while both links stay and sequences are only appended. Call this when
  // sequences are removed or start anew.
  void ForgetIdle() { remembered_ = false; }

  // The row of candidate k of the triple, built in `buffer`.
  static const uint64_t* BuildRow(const TMJBitSequences& codes, int X, int Y, int Z, int k,
                                  std::vector<uint64_t>& buffer);
  // Which of the triple's sequences candidate k equals (bit 0 X, bit 1 Y, bit 2 Z), from the
  // TMJBitSequences::TripleShape bits of the triple. Candidates 1 and 2 exist only where three
  // states meet.
  static unsigned CandidateCorners(unsigned shape, int k);
  // True when the first codes.KeyWords() words of the rows agree.
  static bool SameKey(const TMJBitSequences& codes, const uint64_t* a, const uint64_t* b);
  // True when a row equal to `row` (whose HashKey is `hash`) is among `existing`.
  static bool Exists(const TMJBitSequences& codes, const TMJRowSet& existing, const uint64_t* row,
                     uint64_t hash) {
    return existing.Find(hash, [&](int32_t p) { return SameKey(codes, codes.Row(p), row); }) >= 0;
  }
  static bool Exists(const TMJBitSequences& codes, const TMJRowSet& existing, const uint64_t* row) {
    return Exists(codes, existing, row, TMJBitSequences::HashKey(row, codes.KeyWords()));
  }

private:
  struct LinkAt {
    int link;
    int a, b;
    int length;
  };
  std::vector<int> start_;   // links at sequence v: at_[start_[v] .. start_[v + 1])
  std::vector<LinkAt> at_;
  std::vector<int> fill_;    // next free place per sequence while filling at_
  std::vector<int> length_;  // per link
  std::vector<int> place_;   // per link: where its entries at its ends a and b sit in at_
  std::vector<uint8_t> present_;  // per sequence: its row is among the existing ones
  TMJKeySet kept_;           // triples holding a kept candidate
  std::vector<uint64_t> rows_;  // the three candidate rows of the triple at hand
  std::vector<TMJPlaneCandidate> candidates_;
  // The links of this run and the last (by their ends), whether each link of this run is new,
  // and the new links per sequence (freshAt_[freshStart_[v] .. freshStart_[v + 1])).
  std::vector<std::pair<uint64_t, int>> thisKeys_;  // this run's links by their ends, sorted
  std::vector<uint64_t> lastKeys_;
  std::vector<uint8_t> fresh_;
  std::vector<int> lastFresh_;
  std::vector<int> freshStart_;
  std::vector<LinkAt> freshAt_;
  // Per sequence, the cost below which its triples of two links are known to do nothing (none
  // of their candidates new, or passed over for their sides of the smallest weight): known from
  // the last run's links (quiet_), found for this run's (idle_); 0 when nothing is known,
  // NothingBelow when no such triple does anything.
  static constexpr int32_t NothingBelow = INT32_MAX;
  std::vector<int32_t> idle_, lastIdle_, quiet_;
  // Triples of this run with a new candidate (kept or not), by their shared sequence; not in
  // idle_ until the next run knows whether the median vectors added left a candidate new.
  struct Pending {
    int shared, X, Y, Z, cost;
  };
  std::vector<Pending> pending_;
  bool remembered_ = false;
};
