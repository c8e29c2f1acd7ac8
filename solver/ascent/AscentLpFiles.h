#pragma once
// The LP files of the dual-ascent driver: the cut LP (one row per raise of every root's ascent),
// the ascent LP (the state of one ascent step) and the slack LP (the gap left after a root's
// deletions), plain text for an outside LP program.
//
// Files are written only when their options ask for them, into the folder named by option
// lpFolder, else the folder of the log (option output), else the current folder: never under a
// fixed name in a folder that every user shares, where another user's file or link could stand.
// Each finished file is handed to an outside program by the command processor: "solve <file>"
// for the cut LP, "solve4 <file>" for the ascent LP; options cutLPProgram and ascentLPProgram
// replace the program's name only. A program that is missing or fails gives one plain line, and
// the run goes on whatever it did. Nothing it writes is read back.

#include "ReduceGraph.h"

#include <cstdint>
#include <fstream>
#include <string>

namespace tesmo {

class AscentLpFiles {
public:
  // Reads cutLP (0), ascentWriteLP (maxint), berlin (0) and slackLP (none), echoed at the
  // shell's current echo level, and lpFolder, cutLPProgram (solve), ascentLPProgram (solve4)
  // unechoed.
  AscentLpFiles();

  bool cutLpWanted() const { return cutLp_ != 0; }
  bool slackLpWanted() const { return !slackName_.empty(); }
  int ascentLpFromStep() const { return ascentFromStep_; }

  // The path a file of this name is written to (absolute names stay as they are).
  std::string pathOf(const std::string& name) const;

  // Cut LP: the objective over R's edges (cutLP 1) or arcs, opened at the start of the driver.
  void openCutLp(const ReduceGraph& R);
  // With per-root variables (cutLP 1): the coupling rows of root index q.
  void startRootInCutLp(const ReduceGraph& R, int q);
  // One row per raise: the arcs entering the component of terminal index k (count-prefixed).
  void addCutRow(const ReduceGraph& R, int q, int k, const IntArray& cutArcs);
  // Ends the cut LP and starts the program on it.
  void closeCutLp();

  // The ascent LP of the current reduced costs (ascentValue without contractCost).
  void writeAscentLp(const ReduceGraph& R, const IntArray& reducedCosts, int rootIndex, int ascentValue);
  // The same with the value of the dummy row given whole, the berlin rows by choice, and the
  // contraction term written even when contractCost is 0.
  void writeAscentLp(const ReduceGraph& R, const IntArray& reducedCosts, int rootIndex, std::int64_t value,
                     bool berlin, bool alwaysContr);

  // The slack LP after the deletions of a root: gap = upper value - lower bound; treeArc marks
  // the stored tree's arcs directed away from the root. Reads pardalosF, pardalosR and
  // flussBalance (0 each, echoed at level 3).
  void writeSlackLp(const ReduceGraph& R, const IntArray& reducedCosts, int rootIndex, std::int64_t gap,
                    const IntArray& treeArc);

private:
  void runProgram(const std::string& program, const std::string& path) const;

  int cutLp_ = 0;
  int ascentFromStep_ = 0;
  bool berlin_ = false;
  std::string folder_;
  std::string slackName_;
  std::string cutProgram_;
  std::string ascentProgram_;
  std::string cutPath_;
  std::ofstream cut_;
};

}  // namespace tesmo
