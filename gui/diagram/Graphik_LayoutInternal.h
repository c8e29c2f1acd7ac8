#pragma once
// Working lookups of the layout engine, shared by its source files.

#include "Graphik_Programm.h"
#include "QtCanvas.h"

#include <QImage>

#include <array>
#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

struct TGraphik_Programm::Impl {
  std::unordered_map<std::string, std::vector<int>> nodesOfName;  // 1-based, index order
  std::unordered_map<std::string, std::vector<int>> linksAt;      // 1-based, index order
  std::vector<bool> endOfLink, endOfTorsoLink;                    // per node, 0-based
  int activeCount = 0;

  // Torso passes: per torso part, the active nodes not yet expanded that end a link of that
  // part, ordered by (NodeDistance, index) so the first entry is the choice of ChooseNextNode.
  std::array<std::set<std::pair<int, int>>, 256> partCandidates;
  std::vector<std::vector<std::uint8_t>> nodeParts;  // per node, 0-based: parts of its links
  // Box of the placed nodes during a torso pass, kept as they are placed.
  double boxMinX = 0, boxMinY = 0, boxMaxX = 0, boxMaxY = 0;
  int passes = 0;

  // UsedDirections by the first six characters of their key.
  std::unordered_map<std::string, std::vector<int>> usedByPrefix;
  // What PaintLink draws links with, kept valid as the torso appends help-point links.
  std::unique_ptr<TLinkLookup> drawLookup;

  std::unique_ptr<TQtCanvas> canvas;
  int batchDepth = 0;

  static const std::vector<int> kNone;
};

namespace layoutdetail {

// RoundEven for the small pixel offsets of the sampling loops, inlined there.
inline int RoundPixel(double value) { return static_cast<int>(std::nearbyint(value)); }

// Reads the surface's pixels for the direction choices; white counts as free, and so does every
// point off the surface.
class TPixelSampler {
public:
  explicit TPixelSampler(const QImage& image)
      : bits_(image.constBits()), bytesPerLine_(image.bytesPerLine()), width_(image.width()),
        height_(image.height()) {}
  int Width() const { return width_; }
  int Height() const { return height_; }
  bool IsWhite(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return true;
    const auto* line = reinterpret_cast<const QRgb*>(bits_ + static_cast<qsizetype>(y) * bytesPerLine_);
    return (line[x] & 0xFFFFFFu) == 0xFFFFFFu;
  }

private:
  const uchar* bits_;
  qsizetype bytesPerLine_;
  int width_, height_;
};

inline std::string Prefix6(const std::string& key) { return key.substr(0, 6); }

}  // namespace layoutdetail
