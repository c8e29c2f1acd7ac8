#pragma once
// Age of an ancestral node of a network from the rho statistic: the mean number of mutations from
// the ancestor to sampled descendant nodes (weighted by their frequencies), its standard deviation
// sigma, and both converted into years with a mutation rate of one mutation every N years.
// Works on a TNetwork_Diagramm; no widgets.
//
// Node and link numbers are 1-based, as in the diagram's operations.

#include "Network_Diagramm.h"

#include <string>
#include <vector>

namespace time_estimate {
inline constexpr int MaxDescendants = 500;
inline constexpr int DefaultMutationRate = 20180;  // years per mutation
inline constexpr int MinMutationRate = 1;
inline constexpr int MaxMutationRate = 1000000;
// Nodes this many mutations or more from the ancestor are not reached by the path search.
inline constexpr int UnreachedDistance = 10000;
}  // namespace time_estimate

// One chosen descendant and its shortest path from the ancestor.
struct TDescendant {
  int Node = 0;               // 1-based node
  int Distance = 0;           // mutations from the ancestor
  std::vector<int> Path;      // 1-based links, from the ancestor outwards
  bool operator==(const TDescendant&) const = default;
};

struct TRhoResult {
  double Rho = 0;
  double Sigma = 0;
};

// Shortest paths over the active links from `ancestor`, a link's length being its number of
// mutations; fills Distance and Path of every descendant (one that is not reached gets 0 and an
// empty path). Among equally near candidates a chosen descendant is expanded first, so its path
// is the one others share.
void CollectDescendantPaths(const TNetwork_Diagramm& diagram, int ancestor,
                            std::vector<TDescendant>& descendants);

// rho = sum of frequency x distance over the descendants / F, with F the frequency of the ancestor
// plus those of the descendants; sigma = sqrt(sum over the path links of mutations x m^2) / F,
// m being the frequencies of the descendants whose paths run through the link. Both 0 when
// F <= 0. Needs the paths of CollectDescendantPaths.
TRhoResult RhoStatistic(const TNetwork_Diagramm& diagram, int ancestor,
                        const std::vector<TDescendant>& descendants);

// The general number format: `precision` significant digits, fixed notation when the number has
// at most `precision` digits before the point and is at least 0.00001, otherwise scientific with
// an exponent of at least `exponentDigits` digits ("1.2346E+005"); trailing zeros are dropped.
std::string FormatGeneral(double value, int precision, int exponentDigits);

// The texts of the results box.
std::string FormatMutations(double value);        // rho and sigma
std::string FormatYears(double mutations, int rate);  // "20180 years"

// The chosen ancestor and descendants of the time-estimation window.
class TTimeSelection {
public:
  enum class Toggle { Added, Removed, Refused };

  int Ancestor() const { return ancestor_; }
  const std::vector<TDescendant>& Descendants() const { return descendants_; }
  bool Contains(int node) const;

  void SetAncestor(int node) { ancestor_ = node; }
  // Appends `node` or, when it is already chosen, removes it. The ancestor itself and a 501st
  // descendant are refused.
  Toggle ToggleDescendant(int node);
  void Clear() {
    ancestor_ = 0;
    descendants_.clear();
  }

  // Collects the paths and computes the statistic.
  TRhoResult Calculate(const TNetwork_Diagramm& diagram);
  // Every link on a descendant's path (1-based, each once), after Calculate.
  std::vector<int> PathLinks() const;

private:
  int ancestor_ = 0;
  std::vector<TDescendant> descendants_;
};

// The first pie colour of a node that is neither ancestor nor descendant: red for a median vector,
// yellow otherwise.
TColor PlainNodeColor(const TaxonType& node);
