#pragma once
// The program's name, version and the fixed texts of the main window.

namespace tarvane {

inline constexpr const char* ProgramVersion = "4.6.1.6";
inline constexpr const char* ApplicationTitle = "TARVANE";
inline constexpr const char* MainCaption = "Tarvane 4.6";

inline constexpr const char* WelcomeText =
    "Welcome. Proceed to Data Entry, and\nselect 'Manual' to create a quick test file.";

inline constexpr const char* VersionMessage =
    "TARVANE 4.6.1.6. Written and maintained by the Tarvane developers, with thanks to everyone "
    "who tested it and reported problems.";

inline constexpr const char* FastaMessage =
    "FASTA files cannot be read directly. Please align the sequences and convert the alignment "
    "into a sequential Nexus or Phylip file in a separate program first; then open that file in "
    "the Star Contraction, Median Joining or Reduced Median window.";

// The carriage return inside both texts is part of the message.
inline constexpr const char* NexusMessage =
    "For entering sequential (alias 'block') Nexus files, proceed directly to the Calculation menu "
    "and then either to the Star Contraction, the Median Joining or the Reduced Median algorithms. "
    "Interleaved Nexus files are not supported within Tarvane. \rWithin Reduced Median multistate "
    "characters will be ignored because the algorithm can only handle binary characters. Please "
    "ensure that the taxa names are unique within the first six signs, because taxa names are "
    "restricted to six signs at most within Tarvane.";

inline constexpr const char* PhylipMessage =
    "For entering sequential (alias 'block') Phylip files, proceed directly to the Calculation "
    "menu and then either to the Star Contraction, the Median Joining or the Reduced Median "
    "algorithms. Interleaved Nexus files are not supported within Tarvane. \rWithin Reduced Median "
    "multistate characters will be ignored because the algorithm can only handle binary "
    "characters. Please ensure that the taxa names are unique within the first six signs, because "
    "taxa names are restricted to six signs at most within Tarvane.";

inline constexpr const char* AutosomalMessage =
    "Autosomal DNA/STR/RFLP data can be used in Tarvane only if the genetic system is effectively "
    "non-recombining. This means that data from different chromosomes must NOT be entered into "
    "Tarvane. Even within one chromosome, data should be entered only if the loci are sufficiently "
    "close to each other.For diploid autosomal loci the phase must be known and each haplotype "
    "must then be entered as a separate taxon.";

// Targets of the contact box.
inline constexpr const char* WebPageUrl = "https://tarvane.example.org/";
inline constexpr const char* MailUrl = "mailto:tarvane@example.org?subject=Tarvane";
inline constexpr const char* DownloadUrl = "https://tarvane.example.org/download/";

}  // namespace tarvane
