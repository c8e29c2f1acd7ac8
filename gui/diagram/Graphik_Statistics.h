#pragma once
// Statistics of a drawn network: mutations outside the torso, an estimate of the shortest tree
// within the torso (or the exact figure of a Steiner tree), taxa and haplotypes in total and among
// the active nodes, and per character how many links mutate at it. Plain model: the statistics
// window shows it and the .sta export writes it. The diagram is only read.

#include "Network_Diagramm.h"

#include <array>
#include <string>
#include <vector>

// One row of the character table: the character key and its name (each kept to 8 characters) and
// the number of active links that carry a mutation at it.
struct TCharacterRow {
  std::string Character;
  std::string Name;
  int Count = 0;
  bool operator==(const TCharacterRow&) const = default;
};

// The rows, one per character (keys compared on their first 6 characters), in order of first
// appearance over the active links, then ordered by count, largest first; equal counts keep their
// order of appearance.
std::vector<TCharacterRow> CharacterTable(const TNetwork_Diagramm& diagram);

// "<Name padded to 8> : <count in 3>".
std::string CharacterLine(const TCharacterRow& row);

struct TTreeLengthEstimate {
  int Length = 0;
  // The greedy tree could not join every torso node through active torso links; Length is 0.
  bool Failed = false;
  // The selected links (1-based), after pruning.
  std::vector<int> Links;
};

// Greedy estimate of the mutations of a shortest tree joining every torso node.
TTreeLengthEstimate TreeLengthStatistics(const TNetwork_Diagramm& diagram);

// Mutations on the torso links of the first Steiner tree.
int SteinerTorsoMutationSum(const TNetwork_Diagramm& diagram);

// Shown (and written first into the .sta file) when links had their mutation lists cut.
std::string StatisticsLongEdgesWarning();

// Shown when the tree-length estimate fails.
inline constexpr const char* kTreeLengthFailedMessage = "Can not calculate tree length";

struct TStatisticsLine {
  std::string Caption;
  std::string Value;
  bool operator==(const TStatisticsLine&) const = default;
};

// Everything the statistics window shows, computed once from a diagram.
class TNetworkStatistics {
public:
  explicit TNetworkStatistics(const TNetwork_Diagramm& diagram);

  // The eight caption lines in window order: outside the torso, torso, total, Steiner length,
  // taxa, active taxa, haplotypes, active haplotypes.
  std::array<TStatisticsLine, 8> Lines;
  std::vector<TCharacterRow> Characters;
  bool HasLongEdges = false;
  bool TreeLengthFailed = false;

  // The .sta file's text, CR LF line ends.
  std::string StaText() const;
};

// Writes the .sta file (replacing an existing one only after a successful write). False with
// `error` set when it cannot be written.
bool WriteStaFile(const TNetworkStatistics& statistics, const std::string& fileName,
                  std::string* error = nullptr);
