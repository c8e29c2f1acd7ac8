#pragma once
// Small builders for diagrams used by several tests.

#include "Network_Diagramm.h"

#include <ostream>
#include <string>
#include <vector>

// Readable failure output for the small geometry records.
inline void PrintTo(const TIntPoint& p, std::ostream* os) { *os << "(" << p.X << ", " << p.Y << ")"; }
inline void PrintTo(const TNameBox& b, std::ostream* os) {
  *os << "{" << b.Left << ", " << b.Top << ", " << b.Right << ", " << b.Bottom << "}";
}

namespace diagramtest {

inline TaxonType Node(const std::string& name, double x, double y, int frequency = 1) {
  TaxonType t;
  t.Name = t.Label = name;
  t.X = x;
  t.Y = y;
  t.Frequency = t.OrigFrequency = frequency;
  t.NameHeight = 8;
  t.LineWidth = 1;
  t.Active = true;
  Pie p;
  p.PieColor = clYellow;
  p.PieFrequency = frequency;
  t.Pies = {p};
  return t;
}

inline LinkType Link(const std::string& a, const std::string& b,
                     const std::vector<std::string>& characters = {}, bool torso = false) {
  LinkType l;
  l.Taxon1 = a;
  l.Taxon2 = b;
  l.InTorso = torso;
  l.TorsoPart = torso ? 1 : 0;
  l.Active = true;
  l.LineWidth = 1;
  for (const std::string& c : characters) {
    MutationType m;
    m.Character = m.Name = c;
    m.NameHeight = 6;
    l.Mutations.push_back(m);
  }
  return l;
}

}  // namespace diagramtest
