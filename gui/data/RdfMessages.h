#pragma once
// The texts the data-set model and the rdf reader show. Kept in one place so tests can compare them
// and the two units share them word for word.

#include <string>

namespace rdf_messages {

inline const std::string DuplicateTaxa =
    "The dataset contains at least two taxa with the same name. This might cause problems within "
    "the graphics algorithm. Please correct the problem before performing any calculations.";
inline const std::string DuplicateCharacters =
    "The dataset contains at least two characters with the same name. This will cause problems "
    "within the graphics algorithm. Please correct the problem before performing any "
    "calculations.";

inline std::string NotBinary(const std::string& characterName) {
  return "The specified data set cannot be processed by the Reduced Median algorithm because it "
         "contains at least one character which is not binary.\r\rOption 1. Please use the "
         "Median-Joining algorithm instead: Proceed to Calculation> Network Calculations> Median "
         "Joining etc.\r\rOption 2. Please binarise the offending character(s) (recommended only "
         "when very few amendments are required). Proceed to File> Modify>File Selection and "
         "either delete the entire column " +
         characterName + ", or estimate the " + "ancestral nucleotide (e.g. from an exploratory MJ " +
         "network) and replace that entry in the table.";
}

inline const std::string NoAminoAcidReplacement =
    "Sorry, the replacement of ambiguous states has not been implemented for amino acid data yet.";
inline const std::string StateOutOfRange =
    "Either the given sequence number or the character number is out of range. The desired change "
    "will be rejected.";
inline const std::string NameExists = "This name already exists. Please choose a different one.";
inline const std::string FrequencyRange = "Frequency is not within the allowed range.";
inline const std::string CharacterStatesMismatch =
    "Cannot insert the new character because the given number of character states does not agree "
    "with the available sequences";
inline const std::string InsertWeightRange = "The given weight is not within the correct range.";
inline const std::string LastCharacter =
    "Cannot delete the specified character because at least one character has to remain in the "
    "data set.";
inline const std::string LastTaxon =
    "Cannot delete the specified taxon because at least one taxon has to remain in the data set.";
inline const std::string MaxTaxa =
    "The maximum number of taxa is attained. Please contact Movrel for help.";
inline const std::string TaxonPosition =
    "The specified position within the data set for the new taxon is incorrect.";
inline const std::string TaxonLength =
    "The taxon has a length different from the other taxa. It will be ignored.";

inline std::string WeightRange(int weight) {
  return "Weight " + std::to_string(weight) + " is not permissable. " +
         "Weights must range between 0 and 99.";
}

// --- the rdf reader ---

inline std::string MaxSequencesRead(int limit) {
  return "The maximum number of sequences (" + std::to_string(limit) + ") is attained." +
         " Please contact Movrel for help.";
}
inline std::string MaxCharactersRead(int limit) {
  return "The maximum number of characters (" + std::to_string(limit) + ") is attained." +
         " Please contact Movrel for help.";
}
inline std::string WeightNotNumber(const std::string& character) {
  return "The data file contains an error concerning the weight of character number " + character +
         " The weight has been set to 10.";
}
inline const std::string WeightCountMismatch =
    "Warning: The number of given weights does not fit to the number of characters.";
inline std::string Renamed(const std::string& oldName, const std::string& newName) {
  return "Warning: Sequence " + oldName + "  has been shortened/renamed to fit into the Tarvane "
         "sequence " + "name limit of 15 characters. New name: " + newName;
}
inline const std::string ContainsN =
    "This file contains at least one N. The more Ns a file contains the less reliable the "
    "phylogenetic analysis will be.";
inline const std::string LessThanThree =
    "This file contains less than 3 different sequences. Return to Data Entry and add further "
    "sequences.";

inline const std::string MultistateRM =
    "This appears to be a multistate rdf file. The reduced median network can only accept binary "
    "rdf files. Please apply the median-joining network method instead, or recode your file as a "
    "binary rdf file using the rdf editor.";
inline const std::string MultistateEditor =
    "This appears to be a multistate rdf file. Please choose the correct data type and try again.";
inline const std::string MultistateSIM =
    "This appears to be a multistate rdf file. The forward simulation can only accept binary rdf "
    "files. Please recode your file as a binary rdf file using the rdf editor.";
inline const std::string BinaryEditor =
    "This appears to be a binary rdf file. Please choose the correct data type and try again.";
inline std::string IncorrectCharacter(int taxon) {
  return "Sequence number " + std::to_string(taxon) + " contains an incorrect character. Please "
         "correct" + " the data file and then try again.";
}

// Old fixed-column layout.
inline const std::string OldMultistate =
    "This appears to be a multistate rdf file. The reduced median network can only accept binary "
    "rdf files. Please apply the median-joining network method instead, or recode your file as a "
    "binary rdf file.";
inline std::string OldIncorrectSign(int taxon) {
  return "Sequence number " + std::to_string(taxon) + " contains an incorrect sign. Please correct" +
         " the data file and then try again.";
}
inline std::string OldFrequency(int taxon) {
  return "Sequence number " + std::to_string(taxon) + " contains an error concerning the "
         "frequency. The frequency" + " has now been set to 1.";
}
inline std::string OldWeightNotNumber(int character) {
  return "The data file contains an error concerning the weight of character number " +
         std::to_string(character) + " The weight has now been set to 10.";
}

// Our own texts for faults the format leaves open.
inline std::string CannotOpen(const std::string& fileName) {
  return "The file " + fileName + " cannot be opened.";
}
inline std::string CannotWrite(const std::string& fileName) {
  return "The file " + fileName + " could not be written.";
}
inline const std::string NoCharacters = "The data file contains no characters.";
inline const std::string NotADataFile =
    "This file is not a data file: it holds no sequences in the rdf layout. Please choose an rdf "
    "data file (.rdf, .ami, .rmf, .sco) or a file to translate (.tor, .ych, .phy, .nex).";
// A negative frequency would reach the .out file, which then no longer reads as a network.
inline std::string NegativeFrequency(const std::string& taxon, long long frequency) {
  return "Sequence " + taxon + " has the frequency " + std::to_string(frequency) + ", but a "
         "frequency cannot be negative. Please correct the data file and then try again.";
}
inline std::string WrongStateCount(const std::string& taxon, std::size_t states,
                                   std::size_t characters) {
  return "Sequence " + taxon + " has " + std::to_string(states) + " character states, but the data "
         "set has " + std::to_string(characters) + " characters. Please correct the data file and "
         "then try again.";
}

}  // namespace rdf_messages
