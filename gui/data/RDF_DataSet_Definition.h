#pragma once
// One aligned character data set in memory: taxa (a string of states, a name, a frequency and six
// information texts each) and characters (columns with a name, a weight and an active flag), with
// the editing operations, distances and ambiguity resolution the windows and calculations share, and
// the reader and writer of rdf files (.rdf, .ami, .rmf, .sco).
//
// Every position passed to an operation is 1-based; the vectors themselves are 0-based, so taxon p
// is Taxa[p - 1] (or Taxon(p)). Refusals show their message through dialogs() and leave the data set
// unchanged. Plain C++: no Qt.

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A set of 8-bit characters, such as the allowed or ambiguous states of a data set.
class TCharSet {
public:
  TCharSet() = default;
  // The set of the characters of `chars`.
  explicit TCharSet(std::string_view chars) { Insert(chars); }

  bool Contains(char c) const { return bits_[static_cast<unsigned char>(c)]; }
  void Insert(char c) { bits_.set(static_cast<unsigned char>(c)); }
  void Insert(std::string_view chars) {
    for (char c : chars) Insert(c);
  }
  void Remove(char c) { bits_.reset(static_cast<unsigned char>(c)); }
  void Clear() { bits_.reset(); }
  bool Empty() const { return bits_.none(); }
  bool operator==(const TCharSet&) const = default;

private:
  std::bitset<256> bits_;
};

// The state sets the owners put into a data set before reading (nucleotide and binary data, amino
// acids, and the binary-only readings of the reduced-median pass and the forward simulation).
namespace rdf_states {
inline constexpr std::string_view NucleotideAllowed = "-.01?ABCDGHKMNRSTVWY";
inline constexpr std::string_view NucleotideAmbiguous = ".?BDHKMNRSVWY";
inline constexpr std::string_view AminoAcidAllowed = "-ABCDEFGHIKLMNPQRSTUVWXYZ";
inline constexpr std::string_view AminoAcidAmbiguous = "X";
inline constexpr std::string_view BinaryAllowed = ".01?N";
inline constexpr std::string_view BinaryAmbiguous = ".?N";
}  // namespace rdf_states

// Fixed limits of a data set.
namespace rdf_limits {
inline constexpr int MaxTaxa = 30000;          // taxa read or entered
inline constexpr int MaxTaxaWithMedians = 50000;  // including median vectors ("mv", "sco" names)
inline constexpr int MaxCharacters = 10000;    // characters when reading
inline constexpr std::size_t TaxonNameLength = 15;
inline constexpr std::size_t CharacterNameLength = 8;
inline constexpr std::size_t InfoLength = 50;
inline constexpr int InfoCount = 6;
inline constexpr int MaxWeight = 99;
inline constexpr int MaxFrequency = 9999;
inline constexpr int DefaultWeight = 10;
}  // namespace rdf_limits

// One taxon (a sequence, haplotype).
struct Trdf_Sequence {
  int32_t Representative = 0;  // 0, or the position of the first earlier taxon with equal states
  uint8_t Active = 1;          // takes part in calculations
  std::string States;          // one state per character of the data set
  std::string Name;            // at most 15 characters
  int32_t Frequency = 1;       // individuals with this sequence
  std::array<std::string, rdf_limits::InfoCount> Info;  // information texts 1..6 (Info[0] is 1)

  bool operator==(const Trdf_Sequence&) const = default;
};

// One character (a column: sequence position or locus).
struct Trdf_Character {
  std::string Name;          // at most 8 characters
  char MajorityState = ' ';  // most frequent state over all taxa (ComputeMajorityStates)
  int32_t Weight = rdf_limits::DefaultWeight;  // 0..99; 0 makes the character inactive
  uint8_t Active = 1;        // counts in distances and is written to files
  int32_t EqualTo = 0;       // used by the reduced-median calculation only

  bool operator==(const Trdf_Character&) const = default;
};

class Trdf_DataSet {
public:
  std::vector<Trdf_Sequence> Taxa;
  std::vector<Trdf_Character> Characters;
  char DataType = ' ';  // ' ' plain, '2' written by reduced median, 'S' by star contraction
  TCharSet AllowedStates;
  TCharSet AmbiguousStates;

  // --- Counts and 1-based access (positions must be in range) ---
  int TaxaCount() const { return static_cast<int>(Taxa.size()); }
  int CharacterCount() const { return static_cast<int>(Characters.size()); }
  Trdf_Sequence& Taxon(int pos) { return Taxa[static_cast<std::size_t>(pos - 1)]; }
  const Trdf_Sequence& Taxon(int pos) const { return Taxa[static_cast<std::size_t>(pos - 1)]; }
  Trdf_Character& Character(int pos) { return Characters[static_cast<std::size_t>(pos - 1)]; }
  const Trdf_Character& Character(int pos) const {
    return Characters[static_cast<std::size_t>(pos - 1)];
  }
  // Removes every taxon and character (the state sets and data type stay).
  void Clear();
  // Fills AllowedStates / AmbiguousStates from two lists of states (see rdf_states).
  void SetStateSets(std::string_view allowed, std::string_view ambiguous);

  // --- Checks ---
  // Recodes every character to '0'/'1' when all characters have at most two states ('.', '?', 'N'
  // not counted); otherwise sets NotBinary and shows the non-binary message once. Does nothing when
  // NotBinary is already set.
  void CheckBinaryCharacters(bool& NotBinary);
  // True when no two taxa (resp. characters) share a name; else the message (when ShowMessage)
  // and false. Taxa are checked first.
  bool CheckDuplicateNames(bool CheckTaxa, bool CheckCharacters, bool ShowMessage = true) const;
  // True when a taxon (active, or any with the flag) has the states of `Sequence` in every character
  // (active, or all with the flag).
  bool SequenceExists(const Trdf_Sequence& Sequence, bool IncludeInactiveTaxa,
                      bool IncludeInactiveCharacters) const;
  // True when a taxon (Kind "Sequence") or a character (any other kind) at a position other than
  // `OwnPosition` has exactly this name.
  bool NameExists(std::string_view Kind, std::string_view Name, int OwnPosition) const;

  // --- Distances between taxa a and b (1-based) ---
  // Sum of Weight over the characters (active, or all with the flag) whose states differ and are not
  // compatible ambiguity codes. Asymmetric: the state of `a` is looked up against that of `b`.
  int WeightedDistance(int a, int b, bool IncludeInactiveCharacters) const;
  // Number of such characters.
  int UnweightedDistance(int a, int b, bool IncludeInactiveCharacters) const;
  // The compatibility rule of the distances: true when states x (first taxon) and y cost nothing.
  bool StatesCompatible(char x, char y) const;

  // --- Ambiguity resolution ---
  // Resolves ambiguous cells by the counts of A, G, C, T, 0, 1 in their column.
  void ResolveAmbiguousStatesOfTaxon(bool IncludeInactiveTaxa, bool IncludeInactiveCharacters);
  // Resolves ambiguous cells from the nearest taxa, then by column counts. Refused for amino acids.
  void ReplaceAmbiguousStates(bool IncludeInactiveCharacters, bool IncludeInactiveTaxa);

  // --- Editing (false = refused with a message, data set unchanged) ---
  bool SetCharacterState(int TaxonPosition, int CharacterPosition, char State);
  bool RenameCharacter(int Position, const std::string& NewName);
  bool RenameTaxon(int Position, const std::string& NewName);
  bool SetFrequency(int Position, int Value);
  // Field 1..6; the text is cut to 50 characters. False (silently) for a bad field or position.
  bool SetTaxonInfo(int Field, int Position, const std::string& Text);
  // `States` holds one state per taxon, in taxon order.
  bool InsertCharacter(int Position, int Weight, const std::string& States, char MajorityState,
                       const std::string& Name);
  bool DeleteCharacter(int Position);
  bool DeleteTaxon(int Position);
  // Position 1..count+1; `States` holds one state per character. Information texts start empty.
  bool InsertTaxon(int Position, const std::string& States, const std::string& Name, int Frequency);
  // 0..99: stores it and sets Active to (weight != 0).
  bool SetWeight(int Position, int Weight);

  // --- Whole-set operations ---
  // All taxa active; every later taxon equal (in active characters) to an earlier active one becomes
  // inactive with Representative = that one's position.
  void FindEquivalentTaxa();
  // FindEquivalentTaxa, then taxa with frequency <= 1 and no later equal taxon become inactive.
  void ApplyFrequencyCriterion();
  // Sets Active of every taxon named "ROOT" (any case).
  void SetRootActive(bool Active);
  void RemoveBlanksFromNames(bool CharacterNames, bool TaxonNames);
  void ComputeMajorityStates();

  // --- rdf files ---
  // Reads an rdf file (current or old layout) into this data set; the owner sets AllowedStates and
  // AmbiguousStates first. `Tag` ("MJ", "RM", "SC", "SIM", "Editor", "Mismatch") only selects
  // messages, which are shown only with ShowMessages. On error: Error is set, the data set is empty
  // and the result is false. On success ComputeMajorityStates has run. The file is never changed.
  bool ReadRdfFile(const std::string& FileName, bool& Error, bool ShowMessages,
                   std::string_view Tag, bool CheckNames);
  // The same from the file's contents in memory.
  bool ReadRdfText(std::string_view Text, bool& Error, bool ShowMessages, std::string_view Tag,
                   bool CheckNames);
  // Writes the current layout with CR LF line ends; inactive characters and taxa only with the
  // flags. False, after showing a message, when the file cannot be written.
  bool WriteRdfFile(const std::string& FileName, bool WriteInactiveCharacters,
                    bool WriteInactiveTaxa) const;
  // The text WriteRdfFile writes.
  std::string RdfText(bool WriteInactiveCharacters, bool WriteInactiveTaxa) const;

private:
  bool TaxonInRange(int pos) const { return pos >= 1 && pos <= TaxaCount(); }
  bool CharacterInRange(int pos) const { return pos >= 1 && pos <= CharacterCount(); }
};

// How a calculation window reads its data file: the state sets, the reader's message tag, and
// what is done to the data set after a successful read.
struct TDataSetReading {
  std::string_view Allowed;
  std::string_view Ambiguous;
  std::string_view Tag;
  bool ShowMessages = true;
  bool CheckNames = true;
  // When set, a sequence whose number of states differs from the number of characters is refused
  // with this message: the calculations compare states column by column.
  const char* LengthMessage = nullptr;
  bool ReplaceAmbiguous = false;  // ReplaceAmbiguousStates(false, true)
  bool RemoveBlanks = false;      // RemoveBlanksFromNames for characters and taxa
};

// Reads `fileName` into a fresh `data` as `how` says. False, with the data set empty, when the
// reader or the length check refused the file (their messages shown with ShowMessages).
bool ReadDataSet(Trdf_DataSet& data, const std::string& fileName, const TDataSetReading& how);
