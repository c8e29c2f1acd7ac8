#pragma once
// Reads a Steiner-tree instance file (STP text format, or the plain numeric form for names
// containing "txt") into an empty Graph and groups its arcs. Input is checked: a fault gives the
// format's error text and leaves the graph unusable, never an out-of-range write.

#include "Graph.h"

#include <string>
#include <string_view>

namespace tesmo {

class StpReader {
public:
  // Reads the options display, displaySwap, roundFloatType, roundFloatFactor and shrinkGraph.
  StpReader();

  // false on a fault; error() then holds its text.
  bool read(Graph& g, const std::string& path);
  const std::string& error() const { return error_; }

private:
  bool readPlainNumeric(Graph& g);
  bool readSections(Graph& g);
  bool readGraphSection(Graph& g);
  bool readTerminalsSection(Graph& g);
  bool readCoordinatesSection(const Graph& g);
  bool toCost(std::string_view token, int& cost);
  bool fail(std::string message);

  bool nextLine(std::string_view& line);
  bool nextToken(std::string_view& token);
  bool nextInt(long long& value);

  std::string text_;
  std::size_t pos_ = 0;
  std::string error_;
  bool graphSeen_ = false;
  bool treeSeen_ = false;

  int display_ = 0;
  int displaySwap_ = 1;
  int roundFloatType_ = 0;
  int roundFloatFactor_ = 1;
  int shrinkGraph_ = 0;
};

// Reads the file named by option problem; a fault ends the run with its error text.
int readStp(Graph& g);

}  // namespace tesmo
