#include "LpFiles.h"

#include "Check.h"
#include "LogStream.h"
#include "Shell.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tesmo {

namespace {

struct LpOptions {
  int mps, pardalosLP, pardalosF, pardalosR, flussRoot, flussBalance, doof, common, upperCuts,
      concentricCuts;
};

LpOptions readLpOptions() {
  shell.echoLevel = 3;
  LpOptions o{};
  o.mps = shell.Iget("mps", 0);
  o.pardalosLP = shell.Iget("pardalosLP", 0);
  o.pardalosF = shell.Iget("pardalosF", 0);
  o.pardalosR = shell.Iget("pardalosR", 0);
  o.flussRoot = shell.Iget("flussRoot", 1);
  o.flussBalance = shell.Iget("flussBalance", 0);
  o.doof = shell.Iget("doof", 0);
  o.common = shell.Iget("common", 0);
  o.upperCuts = shell.Iget("upperCuts", 0);
  o.concentricCuts = shell.Iget("concentricCuts", 0);
  shell.echoLevel = 0;
  return o;
}

// One writing of R: the rows of the chosen formulation, piece by piece as the file shows them.
class LpWriter {
public:
  LpWriter(const ReduceGraph& R, const LpOptions& o, std::ostream& out)
      : R_(R), o_(o), out_(out), nR_(R.R), slots_(2 * R.E) {}

  void writeMps();
  void writeText();

private:
  int first(int v) const { return R_.firstArc[v]; }
  int end(int v) const { return R_.firstArc[v] + R_.degree[v]; }
  bool live(int s) const { return R_.delE[s] == 0; }
  int tail(int s) const { return R_.arcs[s].tail; }
  int head(int s) const { return R_.arcs[s].head; }
  int partner(int s) const { return R_.partner[s]; }
  bool hasLiveSlot(int v) const {
    for (int s = first(v); s < end(v); ++s)
      if (live(s)) return true;
    return false;
  }
  // The undirected variable of s's edge: named by the slot whose tail is the smaller.
  int undirected(int s) const { return tail(s) < head(s) ? s : partner(s); }
  void mpsLine(const std::string& column, const std::string& row, long long value);
  // Shared rows: in-flow not above out-flow at a Steiner vertex; an arc leaves its tail only
  // when another arc enters it; the ordering labels along an arc.
  void balanceRow(int v);
  void leaveRow(const char* name, const char* first, int a);
  void orderingRow(int a);

  void directedFlow(int r);
  void rootedArc(int p, int r);
  void undirectedVariant(int m);
  void upperCutRows(int r);
  void concentricCutRows(int p, int r);

  const ReduceGraph& R_;
  const LpOptions& o_;
  std::ostream& out_;
  int nR_;
  int slots_;
};

void LpWriter::mpsLine(const std::string& column, const std::string& row, long long value) {
  // Fixed columns at 4, 14 and 24; a longer name pushes the next field one blank behind it.
  std::string line(4, ' ');
  auto field = [&line](const std::string& text, std::size_t at) {
    if (line.size() < at) line.resize(at, ' ');
    else if (line.size() > 4) line += ' ';
    line += text;
  };
  field(column, 4);
  field(row, 14);
  field(std::to_string(value), 24);
  out_ << line << '\n';
}

void LpWriter::balanceRow(int v) {
  out_ << "\n bb" << v << ": ";
  for (int s = first(v); s < end(v); ++s) out_ << " + x" << partner(s) << " - x" << s;
  out_ << "<=0";
}

void LpWriter::leaveRow(const char* name, const char* firstTerm, int a) {
  out_ << name << a << firstTerm << a;
  const int t = tail(a);
  for (int s = first(t); s < end(t); ++s)
    if (s != a) out_ << " + x" << partner(s);
  out_ << ">=0";
}

void LpWriter::orderingRow(int a) {
  out_ << "\n c" << a << ": y" << tail(a) << " - y" << head(a) << " + " << R_.V << 'x' << a << "<=" << R_.V - 1;
}

void LpWriter::writeMps() {
  const char* problem = shell.lookup("problem");
  const int root = R_.terminals[1];
  out_ << "NAME          " << (problem ? problem : "") << "\nROWS\n N  r\n";
  for (int k = 2; k <= nR_; ++k)
    for (int v = 1; v <= R_.V; ++v)
      if (R_.degree[v] != 0 && v != root) out_ << " E  f" << k << '_' << v << '\n';
  for (int k = 2; k <= nR_; ++k)
    for (int a = 1; a <= slots_; ++a)
      if (live(a)) out_ << " G  c" << k << '_' << a << '\n';
  out_ << "COLUMNS\n";
  for (int a = 1; a <= slots_; ++a) {
    if (!live(a)) continue;
    const std::string x = "x" + std::to_string(a);
    mpsLine(x, "r", R_.arcs[a].cost);
    for (int k = 2; k <= nR_; ++k) mpsLine(x, "c" + std::to_string(k) + "_" + std::to_string(a), 1);
    for (int k = 2; k <= nR_; ++k) {
      const std::string y = "y" + std::to_string(k) + "_" + std::to_string(a);
      const std::string kPart = std::to_string(k) + "_";
      mpsLine(y, "c" + kPart + std::to_string(a), -1);
      if (tail(a) != root) mpsLine(y, "f" + kPart + std::to_string(tail(a)), -1);
      if (head(a) != root) mpsLine(y, "f" + kPart + std::to_string(head(a)), 1);
    }
  }
  out_ << "RHS\n";
  for (int k = 2; k <= nR_; ++k)
    for (int v = 1; v <= R_.V; ++v)
      if (R_.degree[v] != 0 && v != root)
        mpsLine("RHS", "f" + std::to_string(k) + "_" + std::to_string(v), v == R_.terminals[k] ? 1 : 0);
  for (int k = 2; k <= nR_; ++k)
    for (int a = 1; a <= slots_; ++a)
      if (live(a)) mpsLine("RHS", "c" + std::to_string(k) + "_" + std::to_string(a), 0);
  out_ << "BOUNDS\nENDATA\n";
}

void LpWriter::writeText() {
  const int p = o_.pardalosLP;
  out_ << "Minimize\n";
  if (R_.contractCost != 0) out_ << "contr";
  for (int a = 1; a <= slots_; ++a)
    if (live(a) && (p >= 0 || tail(a) < head(a))) out_ << " + " << R_.arcs[a].cost << 'x' << a;
  out_ << "\nSubject To";
  if (R_.contractCost != 0) out_ << "\ndummy: contr=" << R_.contractCost;
  if (p == 0) {
    const int r = o_.flussRoot >= 1 && o_.flussRoot <= nR_ ? R_.terminals[o_.flussRoot] : 0;
    directedFlow(r);
    return;
  }
  if (p > 0) {
    rootedArc(p, p <= nR_ ? R_.terminals[p] : 0);
  } else {
    undirectedVariant(-p);
  }
  out_ << "\n";
  if (p > 0 && o_.upperCuts != 0 && R_.upperOk) upperCutRows(R_.terminals[p]);
  if (p > 0 && o_.concentricCuts != 0) concentricCutRows(p, R_.terminals[p]);
  out_ << "Bounds\n";
  if (p < 0)
    for (int a = 1; a <= slots_; ++a)
      if (live(a) && tail(a) < head(a)) out_ << 'x' << a << "<=1\n";
  out_ << "End\n";
}

void LpWriter::directedFlow(int r) {
  const int V = R_.V;
  if (o_.doof != 0) {
    for (int v = 1; v <= V; ++v) {
      if (R_.degree[v] == 0) continue;
      out_ << "\n doof" << v << ": ";
      for (int s = first(v); s < end(v); ++s) out_ << " + x" << partner(s);
      out_ << " <= 1";
    }
  }
  const int fb = o_.flussBalance;
  if (fb != 0) {
    for (int v = 1; v <= V; ++v) {
      if (R_.degree[v] == 0) continue;
      const bool steiner = R_.isReq[v] == 0;
      if (fb < 10 || !steiner) {
        out_ << "\n ba" << v << ": ";
        for (int s = first(v); s < end(v); ++s) out_ << " + x" << partner(s);
        if (steiner) out_ << "<=1";
        else out_ << '=' << (v != r ? 1 : 0);
      }
      if ((fb == 1 || fb == 11) && steiner) balanceRow(v);
    }
    for (int a = 1; a <= slots_; ++a) {
      if (!live(a)) continue;
      if (tail(a) != r) leaveRow("\n bc", ": -x", a);
      if (fb == 2) orderingRow(a);
      if (fb > 9 && a < partner(a)) out_ << "\n bd" << a << ": x" << a << " + x" << partner(a) << " <= 1";
    }
  }
  for (int k = 1; k <= nR_; ++k) {
    if (k == o_.flussRoot) continue;
    for (int v = 1; v <= V; ++v) {
      // A vertex whose slots are all deleted would give a row without terms.
      if (R_.degree[v] == 0 || v == r || !hasLiveSlot(v)) continue;
      out_ << "\n  c" << k << '_' << v << ": ";
      for (int s = first(v); s < end(v); ++s)
        if (live(s)) out_ << " + y" << k << '_' << partner(s) << " - y" << k << '_' << s;
      out_ << " = " << (v == R_.terminals[k] ? "1" : "0");
    }
    for (int a = 1; a <= slots_; ++a)
      if (live(a)) out_ << "\n   t" << k << '_' << a << ":    " << 'x' << a << " - y" << k << '_' << a << " >=0";
    if (o_.common == 0) continue;
    for (int k2 = k + 1; k2 <= nR_; ++k2) {
      if (k2 == o_.flussRoot) continue;
      const std::string pair = std::to_string(k) + "_" + std::to_string(k2) + "_";
      for (int v = 1; v <= V; ++v) {
        if (R_.degree[v] == 0 || !hasLiveSlot(v)) continue;
        out_ << "\n  cc" << pair << v << ": ";
        for (int s = first(v); s < end(v); ++s)
          if (live(s)) out_ << " + y" << pair << partner(s) << " - y" << pair << s;
        out_ << " >= " << (v == r ? "-1" : "0");
      }
      for (int a = 1; a <= slots_; ++a) {
        if (!live(a)) continue;
        out_ << "\n   c" << pair << a << ":    " << 'x' << a << " - y" << k << '_' << a << " - y" << k2 << '_'
             << a << " + y" << pair << a << " >=0";
        out_ << "\n   k" << pair << a << ":    " << 'y' << k << '_' << a << " - y" << pair << a << " >=0";
        out_ << "\n   l" << pair << a << ":    " << 'y' << k2 << '_' << a << " - y" << pair << a << " >=0";
      }
    }
  }
  out_ << "\nBounds\n";
  for (int a = 1; a <= slots_; ++a) {
    if (!live(a)) continue;
    out_ << 'x' << a << "<=1\n";
    for (int k = 1; k <= nR_; ++k)
      if (k != o_.flussRoot) out_ << 'y' << k << '_' << a << "<=1\n";
  }
  out_ << "End\n";
}

void LpWriter::rootedArc(int p, int r) {
  const int V = R_.V;
  for (int k = 1; k <= nR_; ++k) {
    const int t = R_.terminals[k];
    if (k != p) {
      out_ << "\n  r" << k << ": ";
      for (int s = first(t); s < end(t); ++s)
        if (live(s)) out_ << " + x" << partner(s);
      out_ << "= 1";
    } else if (o_.pardalosR != 0) {
      out_ << "\n  r" << p << ": ";
      for (int s = first(r); s < end(r); ++s)
        if (live(s)) out_ << " + x" << s;
      out_ << "= 1";
    }
  }
  if (o_.flussBalance != 0) {
    for (int v = 1; v <= V; ++v)
      if (R_.degree[v] != 0 && R_.isReq[v] == 0) balanceRow(v);
  }
  for (int a = 1; a <= slots_; ++a) {
    if (!live(a)) continue;
    if (tail(a) != r) leaveRow("\n s", ": - x", a);
    if (o_.pardalosF == 0) {
      orderingRow(a);
    } else {
      exitWithWarning("rooted arc LP with flow rows (pardalosF) not available", 541, "reduction", R_.warningDump());
    }
  }
  if (o_.pardalosF != 0) {
    for (int v = 1; v <= V; ++v) {
      if (R_.degree[v] == 0) continue;
      out_ << "\n fe" << v << ": ";
      for (int s = first(v); s < end(v); ++s) out_ << " + f" << partner(s) << " - f" << s;
      out_ << '=' << (v == r ? 1 - nR_ : R_.isReq[v] != 0 ? 1 : 0);
    }
  }
}

void LpWriter::undirectedVariant(int m) {
  const int V = R_.V;
  const bool plain = m == 1000;  // without the degree and the ordering rows
  if (!plain) {
    for (int v = 1; v <= V; ++v) {
      if (R_.degree[v] == 0) continue;
      const bool steiner = R_.isReq[v] == 0;
      out_ << "\n v" << (steiner ? 1 : 0) << '_' << v << ": ";
      for (int s = first(v); s < end(v); ++s) out_ << " + x" << undirected(s);
      if (steiner) {
        out_ << " - 2d" << v << ">=0";
        for (int s = first(v); s < end(v); ++s) out_ << "\n g" << s << ": d" << v << " - x" << undirected(s) << ">=0";
      } else {
        out_ << ">=1";
      }
    }
  }
  if (o_.pardalosF != 0) {
    for (int a = 1; a <= slots_; ++a) {
      if (!live(a) || tail(a) >= head(a)) continue;
      out_ << "\nfl" << a << ": f" << partner(a) << " + f" << a << " - " << nR_ - 1 << 'x' << a << "<=0";
      out_ << "\nfg" << a << ": f" << partner(a) << " + f" << a << " - x" << a << ">=0";
    }
    const int flowRoot = o_.flussRoot >= 1 && o_.flussRoot <= nR_ ? R_.terminals[o_.flussRoot] : 0;
    for (int v = 1; v <= V; ++v) {
      if (R_.degree[v] == 0) continue;
      out_ << "\n fe" << v << ": ";
      for (int s = first(v); s < end(v); ++s) out_ << " + f" << s << " - f" << partner(s);
      if (R_.isReq[v] == 0) out_ << "=0";
      else out_ << '=' << (v == flowRoot ? nR_ - 1 : -1);
    }
  }
  const int step = std::max(1, nR_ / m);
  for (int k = 1, q = 1; k <= m && q <= nR_; ++k, q += step) {
    for (int a = 1; a <= slots_; ++a) {
      if (!live(a)) continue;
      if (tail(a) < head(a))
        out_ << "\n co" << k << 'm' << a << ": y" << k << '_' << a << " + y" << k << '_' << partner(a) << " - x" << a
             << "=0";
      if (!plain)
        out_ << "\ncy" << k << '_' << a << ": c" << k << '_' << tail(a) << " - c" << k << '_' << head(a) << " + " << V
             << 'y' << k << '_' << a << "<=" << V - 1;
    }
    for (int v = 1; v <= V; ++v) {
      if (R_.degree[v] == 0) continue;
      out_ << "\n s" << k << '_' << v << ": ";
      for (int s = first(v); s < end(v); ++s) out_ << " + y" << k << '_' << partner(s);
      if (R_.isReq[v] == 0) out_ << "-d" << v << "=0";
      else out_ << '=' << (v == R_.terminals[q] ? 0 : 1);
    }
  }
}

// One row per vertex of the stored tree reachable from r: some arc leaves the tree path from r
// to it. Walked with an explicit stack, as deep trees are common.
void LpWriter::upperCutRows(int r) {
  std::vector<int> mark(R_.V + 1, 0);  // 1 on the path, -1 done
  std::vector<int> stack, nextSlot;
  auto enter = [&](int v) {
    mark[v] = 1;
    out_ << " cu" << v << ": ";
    for (int a = 1; a <= slots_; ++a)
      if (live(a) && mark[tail(a)] == 1 && mark[head(a)] != 1) out_ << " + x" << a;
    out_ << ">=1\n";
    stack.push_back(v);
    nextSlot.push_back(first(v));
  };
  enter(r);
  while (!stack.empty()) {
    const int v = stack.back();
    int& s = nextSlot.back();
    int child = 0;
    for (; s < end(v) && child == 0; ++s) {
      const int w = head(s);
      if (live(s) && mark[w] == 0 && R_.inTree[R_.ID[s]]) child = w;
    }
    if (child != 0) {
      enter(child);
      continue;
    }
    mark[v] = -1;
    stack.pop_back();
    nextSlot.pop_back();
  }
}

void LpWriter::concentricCutRows(int p, int r) {
  std::vector<int> label(R_.V + 1, 0);
  std::ostringstream row;  // a ring's row, written once the ring is known to grow
  long long c = 1;
  for (int k = 1; k <= nR_; ++k) {
    if (o_.concentricCuts != 1 && k != p) continue;
    std::fill(label.begin(), label.end(), 0);
    label[R_.terminals[k]] = static_cast<int>(c);
    int reached = 1;
    while (reached < nR_) {
      row.str("");
      row << 'c' << k << '_' << c << ": ";
      int grown = 0;
      for (int v = 1; v <= R_.V; ++v) {
        if (label[v] != c) continue;
        for (int s = first(v); s < end(v); ++s) {
          const int w = head(s);
          if (label[w] == 0) {
            label[w] = static_cast<int>(c + 1);
            ++grown;
            if (k == p) {
              if (R_.isReq[w] != 0) ++reached;
            } else if (w == r) {
              reached = nR_;
            }
          }
          if (label[w] == c + 1) row << " + x" << (k == p ? s : partner(s));
        }
      }
      if (grown == 0) {
        // The ring cannot grow: a terminal or the root is out of reach, and the rows would never
        // end.
        log(1) << "LP: the rings around terminal " << k << " stopped growing (unreachable vertex)\n";
        break;
      }
      out_ << row.str() << ">=1\n";
      ++c;
    }
  }
  log(3) << c << " concetric Cuts!\n";
}

}  // namespace

void LP(ReduceGraph& R, const char* fileName) {
  if (!fileName || !*fileName) return;
  const LpOptions o = readLpOptions();
  if (R.overflowMode) R.rebuildAdjacency();
  log(3) << "Writing LP:" << fileName << std::endl;
  if (2 * R.E < 400) {
    for (int a = 1; a <= 2 * R.E; ++a) log(3) << a << R.arcs[a] << '\t';
    log(3) << std::endl;
  }
  std::ofstream out(fileName, std::ios::trunc);
  if (!out) {
    log(1) << "LP: cannot open " << fileName << " for writing\n";
    return;
  }
  LpWriter writer(R, o, out);
  if (o.mps != 0) writer.writeMps();
  else writer.writeText();
  out.close();
  if (!out) log(1) << "LP: writing " << fileName << " failed\n";
}

}  // namespace tesmo
