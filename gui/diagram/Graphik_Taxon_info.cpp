#include "Graphik_Taxon_info.h"

#include <cstdio>

namespace {

void AppendInfoItems(const TaxonType& t, std::vector<std::string>& lines) {
  for (const InfoPair& item : t.Info)
    if (!item.InfoValue.empty()) lines.push_back(item.InfoLabel + ": " + item.InfoValue);
}

}  // namespace

std::vector<std::string> TaxonInfoLines(const TNetwork_Diagramm& d, int node) {
  std::vector<std::string> lines;
  if (node < 1 || node > d.NodeCount()) return lines;
  const TaxonType& t = d.Taxa[node - 1];
  lines.push_back("Information about taxon " + t.Label + ":");
  AppendInfoItems(t, lines);
  char frequency[32];
  std::snprintf(frequency, sizeof frequency, "%3d", t.Frequency);
  lines.push_back(std::string("Total frequency: ") + frequency);
  lines.push_back("_____________________________");
  for (const EquiTaxonType& e : d.EquivalentTaxa) {
    if (e.Taxon1 != t.Name) continue;
    const int included = d.FindNode(e.Taxon2);
    if (included >= 0) {
      const TaxonType& other = d.Taxa[included];
      lines.push_back("Taxon included: " + other.Label);
      AppendInfoItems(other, lines);
    } else {
      lines.push_back("Taxon included: " + e.Taxon2);
    }
    lines.push_back("");
  }
  return lines;
}
