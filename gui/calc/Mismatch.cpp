#include "Mismatch.h"

#include "UHelp.h"
#include "umwandl.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

std::int64_t TMismatchHistogram::Total() const {
  std::int64_t sum = 0;
  for (std::int64_t c : Counts) sum += c;
  return sum;
}

double TMismatchHistogram::Mean() const {
  double pairs = 0, differences = 0;
  for (std::size_t k = 0; k < Counts.size(); ++k) {
    pairs += static_cast<double>(Counts[k]);
    differences += static_cast<double>(k) * static_cast<double>(Counts[k]);
  }
  return pairs > 0 ? differences / pairs : 0.0;
}

TMismatchHistogram ComputeMismatch(const Trdf_DataSet& data) {
  TMismatchHistogram h;
  std::vector<std::size_t> columns;
  for (int c = 0; c < data.CharacterCount(); ++c)
    if (data.Characters[static_cast<std::size_t>(c)].Active) columns.push_back(static_cast<std::size_t>(c));
  std::vector<const Trdf_Sequence*> taxa;
  for (const Trdf_Sequence& t : data.Taxa)
    if (t.Active) taxa.push_back(&t);

  // Classes grow with the largest difference seen, so no pair is ever left out.
  const auto add = [&h](int k, std::int64_t pairs) {
    if (static_cast<std::size_t>(k) >= h.Counts.size()) h.Counts.resize(static_cast<std::size_t>(k) + 1, 0);
    h.Counts[static_cast<std::size_t>(k)] += pairs;
    h.MaxK = std::max(h.MaxK, k);
  };
  for (std::size_t i = 0; i < taxa.size(); ++i) {
    const std::int64_t fi = taxa[i]->Frequency;
    h.Counts[0] += fi * (fi - 1) / 2;
    const std::string& a = taxa[i]->States;
    for (std::size_t j = i + 1; j < taxa.size(); ++j) {
      const std::string& b = taxa[j]->States;
      int k = 0;
      for (std::size_t c : columns) {
        // A short state string (a damaged file) counts its missing states as differing.
        if (c >= a.size() || c >= b.size() || a[c] != b[c]) ++k;
      }
      add(k, fi * taxa[j]->Frequency);
    }
  }
  h.MaxCount = *std::max_element(h.Counts.begin(), h.Counts.end());
  return h;
}

std::string MeanCaption(double mean) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%8.3f", mean);
  return std::string("Unweighted mean pairwise difference: ") + buffer;
}

bool LoadMismatchData(const std::string& fileName, Trdf_DataSet& data, std::string& rdfName) {
  data.Clear();
  rdfName = fileName;
  std::string last3 = fileName.size() >= 3 ? fileName.substr(fileName.size() - 3) : fileName;
  for (char& c : last3) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (last3 == "TOR" || last3 == "YCH") {
    if (!(last3 == "TOR" ? ImportTorFile(fileName) : ImportYchFile(fileName))) return false;
    if (!ChangeFileExtension("rdf", fileName, rdfName)) return false;
  }
  TDataSetReading how;
  how.Allowed = mismatch::AllowedStates;
  how.Tag = "Mismatch";
  how.CheckNames = false;
  how.RemoveBlanks = true;
  return ReadDataSet(data, rdfName, how);
}
