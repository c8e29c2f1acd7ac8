#pragma once
// A minimal reader of sequential PHYLIP alignments for the median-joining tests and benchmark: it
// keeps every column and the full names, so figures can be compared with outside references.
// (The program's own import recodes and renames; this one only reads.)

#include "RDF_DataSet_Definition.h"

#include <cctype>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace phylip_lite {

struct Alignment {
  std::vector<std::string> names;
  std::vector<std::string> sequences;  // upper case
};

inline bool Read(const std::string& path, Alignment& out, std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = "cannot open " + path;
    return false;
  }
  std::size_t taxa = 0, sites = 0;
  std::string line;
  if (!std::getline(in, line) || !(std::istringstream(line) >> taxa >> sites) || taxa == 0) {
    error = "bad first line in " + path;
    return false;
  }
  out = {};
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    std::istringstream words(line);
    const bool continues = !out.sequences.empty() && out.sequences.back().size() < sites;
    std::string name;
    if (!continues) {
      words >> name;
      out.names.push_back(name);
      out.sequences.emplace_back();
    }
    std::string piece;
    while (words >> piece)
      for (char c : piece) out.sequences.back() += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  for (const std::string& s : out.sequences)
    if (s.size() != sites) {
      error = "a sequence of " + path + " has the wrong length";
      return false;
    }
  if (out.sequences.size() != taxa) {
    error = "wrong number of taxa in " + path;
    return false;
  }
  return true;
}

// The columns (0-based) at which every sequence holds one of `states`.
inline std::vector<int> ColumnsWithOnly(const Alignment& a, std::string_view states) {
  std::vector<int> columns;
  const std::size_t sites = a.sequences.empty() ? 0 : a.sequences.front().size();
  for (std::size_t c = 0; c < sites; ++c) {
    bool all = true;
    for (const std::string& s : a.sequences) all = all && states.find(s[c]) != std::string_view::npos;
    if (all) columns.push_back(static_cast<int>(c));
  }
  return columns;
}

// A data set of the given columns (all when empty): characters named by their column number,
// weight 10; '?' read as 'N' (nucleotide/binary) or 'X' (amino acids), as the data files hold them.
inline Trdf_DataSet ToDataSet(const Alignment& a, bool aminoAcids, std::vector<int> columns = {}) {
  Trdf_DataSet d;
  if (aminoAcids)
    d.SetStateSets(rdf_states::AminoAcidAllowed, rdf_states::AminoAcidAmbiguous);
  else
    d.SetStateSets(rdf_states::NucleotideAllowed, rdf_states::NucleotideAmbiguous);
  if (columns.empty())
    for (std::size_t c = 0; c < (a.sequences.empty() ? 0 : a.sequences.front().size()); ++c)
      columns.push_back(static_cast<int>(c));
  for (int c : columns) {
    Trdf_Character ch;
    ch.Name = std::to_string(c + 1);
    d.Characters.push_back(ch);
  }
  for (std::size_t t = 0; t < a.sequences.size(); ++t) {
    Trdf_Sequence s;
    s.Name = a.names[t].substr(0, rdf_limits::TaxonNameLength);
    for (int c : columns) {
      char x = a.sequences[t][static_cast<std::size_t>(c)];
      if (x == '?') x = aminoAcids ? 'X' : 'N';
      s.States += x;
    }
    d.Taxa.push_back(s);
  }
  return d;
}

}  // namespace phylip_lite
