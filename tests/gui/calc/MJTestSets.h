#pragma once
// Small data sets for the median-joining tests, written as lists of state strings.

#include "RDF_DataSet_Definition.h"

#include <string>
#include <vector>

// Taxa T1, T2, ... with the given states; characters c1, c2, ... with `weight` each.
inline Trdf_DataSet MakeSet(const std::vector<std::string>& states, int weight = 10,
                            bool aminoAcids = false) {
  Trdf_DataSet d;
  if (aminoAcids)
    d.SetStateSets(rdf_states::AminoAcidAllowed, rdf_states::AminoAcidAmbiguous);
  else
    d.SetStateSets(rdf_states::NucleotideAllowed, rdf_states::NucleotideAmbiguous);
  const std::size_t length = states.empty() ? 0 : states.front().size();
  for (std::size_t c = 0; c < length; ++c) {
    Trdf_Character ch;
    ch.Name = "c" + std::to_string(c + 1);
    ch.Weight = weight;
    ch.Active = weight != 0;
    d.Characters.push_back(ch);
  }
  for (std::size_t t = 0; t < states.size(); ++t) {
    Trdf_Sequence s;
    s.Name = "T" + std::to_string(t + 1);
    s.States = states[t];
    d.Taxa.push_back(s);
  }
  return d;
}
