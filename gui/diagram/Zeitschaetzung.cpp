#include "Zeitschaetzung.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>

namespace {

struct PathEntry {
  int node = 0;  // 0-based
  int distance = 0;
  bool visited = false;
  bool descendant = false;
  std::vector<int> path;
};

// Drops trailing zeros of the fraction, and the point when nothing follows it.
std::string TrimFraction(std::string digits) {
  if (digits.find('.') == std::string::npos) return digits;
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
  if (!digits.empty() && digits.back() == '.') digits.pop_back();
  return digits;
}

}  // namespace

void CollectDescendantPaths(const TNetwork_Diagramm& d, int ancestor,
                            std::vector<TDescendant>& descendants) {
  for (TDescendant& t : descendants) {
    t.Distance = 0;
    t.Path.clear();
  }
  if (ancestor < 1 || ancestor > d.NodeCount()) return;

  // Links by node, resolved once: the first node of a name is the one a link means.
  std::unordered_map<std::string, int> byName;
  for (int i = 0; i < d.NodeCount(); ++i) byName.emplace(d.Taxa[i].Name, i);
  std::vector<std::vector<std::pair<int, int>>> incident(d.Taxa.size());  // (link, other node)
  for (int k = 0; k < d.LinkCount(); ++k) {
    const LinkType& l = d.Links[k];
    if (!l.Active) continue;
    const auto a = byName.find(l.Taxon1), b = byName.find(l.Taxon2);
    if (a == byName.end() || b == byName.end() || a->second == b->second) continue;
    incident[a->second].push_back({k + 1, b->second});
    incident[b->second].push_back({k + 1, a->second});
  }
  std::vector<bool> chosen(d.Taxa.size(), false);
  for (const TDescendant& t : descendants)
    if (t.Node >= 1 && t.Node <= d.NodeCount()) chosen[t.Node - 1] = true;

  std::vector<PathEntry> entries;
  std::vector<int> entryOf(d.Taxa.size(), -1);
  entries.push_back({ancestor - 1, 0, false, chosen[ancestor - 1], {}});
  entryOf[ancestor - 1] = 0;
  for (int current = 0; current >= 0;) {
    entries[current].visited = true;
    const int node = entries[current].node;
    for (const auto& [link, other] : incident[node]) {
      const int distance = entries[current].distance + d.Links[link - 1].MutationCount();
      int e = entryOf[other];
      if (e < 0) {
        e = static_cast<int>(entries.size());
        entries.push_back({other, 0, false, chosen[other], {}});
        entryOf[other] = e;
      } else if (entries[e].visited || distance >= entries[e].distance) {
        continue;
      }
      entries[e].distance = distance;
      entries[e].path = entries[current].path;
      entries[e].path.push_back(link);
    }
    current = -1;
    for (int e = 0; e < static_cast<int>(entries.size()); ++e) {
      const PathEntry& c = entries[e];
      if (c.visited || c.distance >= time_estimate::UnreachedDistance) continue;
      if (current < 0 || c.distance < entries[current].distance ||
          (c.distance == entries[current].distance && c.descendant &&
           !entries[current].descendant))
        current = e;
    }
  }

  for (TDescendant& t : descendants) {
    if (t.Node < 1 || t.Node > d.NodeCount()) continue;
    const int e = entryOf[t.Node - 1];
    if (e < 0 || !entries[e].visited) continue;
    t.Distance = entries[e].distance;
    t.Path = entries[e].path;
  }
}

TRhoResult RhoStatistic(const TNetwork_Diagramm& d, int ancestor,
                        const std::vector<TDescendant>& descendants) {
  const auto frequency = [&d](int node) -> double {
    return node >= 1 && node <= d.NodeCount() ? d.Taxa[node - 1].Frequency : 0.0;
  };
  double F = frequency(ancestor), S = 0;
  for (const TDescendant& t : descendants) {
    F += frequency(t.Node);
    S += frequency(t.Node) * t.Distance;
  }
  if (F <= 0) return {};

  // Every path link once, with m the frequencies of all descendants whose path runs through it.
  // Paths share prefixes (they come from one shortest-path tree), so a link stands at the same step
  // in every path that holds it.
  std::vector<std::vector<bool>> counted;
  for (const TDescendant& t : descendants) counted.emplace_back(t.Path.size(), false);
  double Q = 0;
  for (std::size_t i = 0; i < descendants.size(); ++i) {
    const std::vector<int>& path = descendants[i].Path;
    for (std::size_t j = 0; j < path.size(); ++j) {
      if (counted[i][j]) continue;
      double m = frequency(descendants[i].Node);
      for (std::size_t k = i + 1; k < descendants.size(); ++k) {
        const std::vector<int>& other = descendants[k].Path;
        if (j < other.size() && other[j] == path[j]) {
          counted[k][j] = true;
          m += frequency(descendants[k].Node);
        }
      }
      const int link = path[j];
      if (link >= 1 && link <= d.LinkCount()) Q += d.Links[link - 1].MutationCount() * m * m;
    }
  }
  return {S / F, std::sqrt(Q / (F * F))};
}

std::string FormatGeneral(double value, int precision, int exponentDigits) {
  precision = std::clamp(precision, 1, 18);
  if (value == 0 || !std::isfinite(value)) return value == 0 ? "0" : "INF";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*e", precision - 1, value);
  const std::string scientific = buffer;
  const std::size_t e = scientific.find('e');
  const int exponent = std::atoi(scientific.c_str() + e + 1);
  if (exponent < precision && std::fabs(value) >= 0.00001) {
    std::snprintf(buffer, sizeof buffer, "%.*f", std::max(0, precision - 1 - exponent), value);
    return TrimFraction(buffer);
  }
  std::string digits = std::to_string(std::abs(exponent));
  if (static_cast<int>(digits.size()) < exponentDigits)
    digits.insert(0, static_cast<std::size_t>(exponentDigits) - digits.size(), '0');
  return TrimFraction(scientific.substr(0, e)) + "E" + (exponent < 0 ? "-" : "+") + digits;
}

std::string FormatMutations(double value) { return FormatGeneral(value, 5, 3); }

std::string FormatYears(double mutations, int rate) {
  return FormatGeneral(mutations * rate, 9, 5) + " years";
}

bool TTimeSelection::Contains(int node) const {
  return std::any_of(descendants_.begin(), descendants_.end(),
                     [node](const TDescendant& t) { return t.Node == node; });
}

TTimeSelection::Toggle TTimeSelection::ToggleDescendant(int node) {
  const auto it = std::find_if(descendants_.begin(), descendants_.end(),
                               [node](const TDescendant& t) { return t.Node == node; });
  if (it != descendants_.end()) {
    descendants_.erase(it);
    return Toggle::Removed;
  }
  // The ancestor as its own descendant would count its individuals twice.
  if (node < 1 || node == ancestor_ ||
      static_cast<int>(descendants_.size()) >= time_estimate::MaxDescendants)
    return Toggle::Refused;
  descendants_.push_back({node, 0, {}});
  return Toggle::Added;
}

TRhoResult TTimeSelection::Calculate(const TNetwork_Diagramm& diagram) {
  CollectDescendantPaths(diagram, ancestor_, descendants_);
  return RhoStatistic(diagram, ancestor_, descendants_);
}

std::vector<int> TTimeSelection::PathLinks() const {
  std::vector<int> links;
  for (const TDescendant& t : descendants_)
    for (int link : t.Path)
      if (std::find(links.begin(), links.end(), link) == links.end()) links.push_back(link);
  return links;
}

TColor PlainNodeColor(const TaxonType& node) {
  return IsMedianName(node.Name) ? clRed : clYellow;
}
