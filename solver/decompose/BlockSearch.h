#pragma once
// The depth-first search with lowpoints and an edge stack that finds the blocks (biconnected
// components) of a graph's live slots, shared by the analysers that act on each block found. It
// is iterative: its depth does not grow the call stack, whatever the graph's shape.

#include "ReduceGraph.h"

#include <algorithm>
#include <vector>

namespace tesmo {

struct BlockSearchFrame {
  int vertex;
  int parent;
  int slot;      // last slot of vertex taken
  int treeEdge;  // representative slot of the edge from parent
};

// Searches the component of start (numbered from counter + 1; num 0 marks an unvisited vertex).
// Each edge goes on edgeStack (count at [0]) as the lower slot of its pair; closeBlock(e) is called
// when the block entered by tree edge e is complete: its edges are the stack's entries from e up,
// and closeBlock pops them.
template <class CloseBlock>
void searchBlocks(const ReduceGraph& G, int start, int& counter, IntArray& num, IntArray& low,
                  IntArray& edgeStack, std::vector<BlockSearchFrame>& frames, CloseBlock&& closeBlock) {
  frames.clear();
  num[start] = low[start] = ++counter;
  frames.push_back({start, 0, 0, 0});
  while (!frames.empty()) {
    const BlockSearchFrame f = frames.back();
    const int s = G.nextLiveSlot(f.vertex, f.slot);
    if (s == 0) {
      frames.pop_back();
      if (frames.empty()) break;
      const int v = frames.back().vertex;
      if (low[f.vertex] < num[v]) low[v] = std::min(low[v], low[f.vertex]);
      else closeBlock(f.treeEdge);
      continue;
    }
    frames.back().slot = s;
    const int v = f.vertex;
    const int w = G.arcs[s].head;
    const int e = std::min(s, G.partner[s]);
    if (num[w] == 0) {
      edgeStack[++edgeStack[0]] = e;
      num[w] = low[w] = ++counter;
      frames.push_back({w, v, 0, e});
    } else if (num[w] < num[v] && w != f.parent) {
      edgeStack[++edgeStack[0]] = e;
      low[v] = std::min(low[v], num[w]);
    }
  }
}

}  // namespace tesmo
