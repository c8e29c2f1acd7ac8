#pragma once
// The drawing window's logic that needs no widget: which reader or writer a file name asks for,
// the name the save dialog proposes, the default styles of a freshly read network, the reduction
// of a solver result to its free-standing Steiner network, shortest-tree browsing and the 32-bit
// bitmap export.

#include "Network_Diagramm.h"

#include <QByteArray>
#include <QImage>

#include <string>

// Open dialog filter; the .sto filter is preselected.
inline constexpr const char* kOpenDiagramFilter =
    "MJ or RM out files (*.out)|*.out|Tarvane diagrams (*.dia)|*.dia|"
    "Steiner (MP) output (*.sto)|*.sto|Formatted diagrams (*.fdi)|*.fdi";
inline constexpr const char* kSaveDiagramFilter =
    "Formatted network diagrams (*.fdi)|*.fdi|Bitmap (*.bmp)|*.bmp|"
    "Portable document format (*.pdf)|*.pdf";

enum class TDiagramFileKind { Out, Dia, Sto, Fdi };
enum class TExportKind { Fdi, Bmp, Pdf };

// The reader for a chosen file, by its extension (any case); anything unknown is read as .out.
TDiagramFileKind DiagramFileKind(const std::string& fileName);

// What a save should write, by the extension the user gave: .bmp and .pdf export, anything else
// becomes an .fdi file.
TExportKind ExportKind(const std::string& fileName);

// The save dialog's proposal: `currentFileName` minus its last three characters plus "fdi".
std::string ProposedFdiName(const std::string& currentFileName);

// Grey solid links of width 1, node outlines of width 1, black names of height 6, yellow taxa and
// red median vectors, red mutation labels of height 6.
void ApplyDefaultStyles(TNetwork_Diagramm& diagram);

// The text of the question asked for a solver result with a Steiner network.
std::string FreeStandingNetworkQuestion();

// Keeps only the links of SteinerNetwork (renumbering the Steiner trees and the network), drops
// median vectors left without a link, and marks as torso what remains after pendant links are
// peeled off repeatedly (every torso node keeps at least two torso links).
void ReduceToSteinerNetwork(TNetwork_Diagramm& diagram);

// "Original Network": every link active, and every node that ends some link.
void ShowOriginalNetwork(TNetwork_Diagramm& diagram);

// Which shortest tree is shown (1-based) and which browse buttons are visible.
class TTreeBrowser {
public:
  void Reset(int treeCount) {
    count_ = treeCount;
    current_ = treeCount > 0 ? 1 : 0;
  }
  int Current() const { return current_; }
  int Count() const { return count_; }
  bool PreviousVisible() const { return current_ > 1; }
  bool NextVisible() const { return current_ < count_; }
  void Next() {
    if (current_ < count_) ++current_;
  }
  void Previous() {
    if (current_ > 1) --current_;
  }

private:
  int current_ = 0;
  int count_ = 0;
};

// Zoom factors of "+" and "-".
inline constexpr double kZoomInFactor = 1.1;
inline constexpr double kZoomOutFactor = 0.9;

// The image as an uncompressed 32-bit Windows bitmap (40-byte info header, bottom-up rows, pixels
// as blue, green, red and a zero byte).
QByteArray Bitmap32Bytes(const QImage& image);
// Writes Bitmap32Bytes to `fileName`. False with `error` set when it cannot be written.
bool WriteBitmap32(const QImage& image, const std::string& fileName, std::string* error = nullptr);
