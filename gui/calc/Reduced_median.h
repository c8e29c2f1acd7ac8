#pragma once
// The reduced-median calculation without widgets: binary data in, incompatible characters resolved
// by splitting them in rounds, the reduced data set (.rmf), the median closure of the data, the
// feasible links and the .out network file. The window TRM_Menue drives it; tests call it directly.

#include "MJDistanceCache.h"
#include "RDF_DataSet_Definition.h"

#include <cstdint>
#include <string>
#include <vector>

struct TRMOptions {
  double Threshold = 2.0;
  bool FrequencyCriterion = false;
  bool GenerateLinks = true;
};

namespace rm_messages {
inline constexpr const char* Multistate =
    "This appears to be a multistate rdf file and the implemented automatic binarisation failed. "
    "The reduced median network can only accept binary rdf files. Please apply the median-joining "
    "network method instead, or recode your file as a binary rdf file using the rdf editor.";
inline constexpr const char* FeasibleLinkError =
    "Error in modul Check_feasible_link. Contact Movrel for help.";
inline constexpr const char* TooManyCharacters =
    "The splitting of incompatible characters has reached the maximum number of characters "
    "(10000). No further characters are split.";
inline constexpr const char* TooManyMedians =
    "The median network would hold more sequences than the program can handle (at most 9999 "
    "median vectors and 50000 sequences in all). No network file has been written; raise the "
    "reduction threshold and try again.";
inline constexpr const char* RmfFilter = "Red. median output files (*.rmf)|*.rmf";
inline constexpr const char* OutFilter =
    "Tarvane output files (*.out)|*.out|Red. median output files (*.rmf)|*.rmf";
inline constexpr const char* SameAsInput =
    "A result file cannot replace the data file it was calculated from. Nothing has been written "
    "to ";
}  // namespace rm_messages

// Reads a data file for reduced median: nucleotide/binary state sets, tag "RM", name check; data
// that is not binary is recoded to '0'/'1' when every character has at most two states, else the
// multistate message. False (data set empty) on any error.
bool LoadRMDataSet(Trdf_DataSet& data, const std::string& fileName, bool showMessages);

// The threshold as the menu shows it after a file was opened: general format, up to 4 significant
// digits ("2", "2.5").
std::string GeneralThreshold(double value);
// The threshold with 2 decimals in at least 4 characters ("2.00").
std::string FixedThreshold(double value);

class TRMObserver {
 public:
  virtual ~TRMObserver() = default;
  virtual void KeepAlive() {}
  virtual void RoundStarted(int /*round*/) {}
  virtual void SplittingSite(const std::string& /*name*/) {}
  virtual void MedianGenerationStarted() {}
  virtual void MedianProgress(int /*percent*/, int /*generated*/) {}
  virtual void LinksStarted() {}
  virtual void LinkProgress(int /*percent*/, int /*links*/) {}
  virtual void LinksFinished() {}
};

// One candidate split: character c (1-based) is split at its side sigma by character j.
struct TRMSplit {
  int c = 0;
  int j = 0;
  char sigma = '0';
  double ratio = 0;
  int score = 0;
  std::vector<int> group;  // j and the characters that joined it
};

// Fixed-size bit set over taxa or characters, sized at run time.
using TRMBits = std::vector<uint64_t>;

class TRMCalculation {
 public:
  TRMCalculation(Trdf_DataSet& data, const TRMOptions& options, TRMObserver* observer = nullptr);

  // Step by step, in this order (WriteRMOutFile runs the last three).
  // Equivalent taxa, the frequency criterion, constant characters, minimum weight. False (message
  // shown) when fewer than 3 different sequences remain.
  bool Prepare();
  void RunSplitRounds();
  // The median closure appended as "mv" taxa. False (message shown) when it is too large.
  bool GenerateMedians();
  // Characters constant over the active taxa, or of weight 0, become inactive.
  void MarkConstantCharacters();
  // The feasible links of all active taxa, pruned and labelled.
  void ComputeFinalLinks();

  // --- Pieces, public for tests ---
  int Rounds() const { return rounds_; }
  int MinimumWeight() const { return minimumWeight_; }
  // The best split of the current round (false when none qualifies).
  bool FindBestSplit(TRMSplit& best);
  const std::vector<TRMSplit>& Alternatives() const { return alternatives_; }
  // False (message shown once) when the character limit would be passed.
  bool ApplySplit(const TRMSplit& split);
  // Sum of the weights of the active characters at which taxa i and j differ.
  int Distance(int i, int j) const;
  // The literal feasibility rule: no chain of active taxa leads from i to j in steps shorter than
  // their distance. Equal ends are refused with a message.
  bool Check_feasible_link(int i, int j) const;

  const Trdf_DataSet& Data() const { return data_; }
  const TRMOptions& Options() const { return options_; }
  const TMJLinkList& Links() const { return links_; }
  int MedianCount() const { return medianCount_; }

 private:
  void ComputeEqualTo();
  void ComputeIncompatible();
  bool Acceptable(int c, const TRMBits& newC, const TRMBits& newChar) const;
  TRMBits Column(int c) const;
  TRMBits TaxaWhere(bool (*pred)(const Trdf_Sequence&)) const;
  int FrequencySum(const TRMBits& set) const;
  int GroupWeight(int c) const;
  void KeepAlive() const {
    if (observer_) observer_->KeepAlive();
  }

  Trdf_DataSet& data_;
  TRMOptions options_;
  TRMObserver* observer_;
  int rounds_ = 0;
  int minimumWeight_ = 0;
  int medianCount_ = 0;
  bool characterLimitShown_ = false;
  // Per round: column bits (state '1'), taxa sets, incompatibility rows.
  std::vector<TRMBits> columns_;
  TRMBits allTaxa_, partTaxa_, activeTaxa_;
  std::vector<TRMBits> incompatible_;
  std::vector<std::vector<int>> lists_;
  std::vector<TRMSplit> alternatives_;
  TMJLinkList links_;
};

// The reduced-median .out text of a finished calculation.
std::string RMOutText(const TRMCalculation& calc, const std::string& dataFileName);
// The .rmf save dialog and file (duplicates written with their representative's states).
bool SaveRmfFile(Trdf_DataSet& data, const TRMOptions& options, const std::string& dataFileName);
// Medians, links, the save dialog, the .out file and the closing message. False when nothing was
// written.
bool WriteRMOutFile(TRMCalculation& calc, const std::string& dataFileName);
// The whole calculation of the window: preparation, split rounds, .rmf, and with generate-links the
// .out file.
void RunReducedMedian(Trdf_DataSet& data, const TRMOptions& options,
                      const std::string& dataFileName, TRMObserver* observer = nullptr);

// Shared by the result writers of the calculation windows: true when `chosen` names the file the
// data was read from (after a message; nothing may be written then).
bool RefuseInputFile(const std::string& chosen, const std::string& dataFileName);
// The data file name with its last three characters replaced by `extension`.
std::string ProposedName(const std::string& dataFileName, const std::string& extension);
