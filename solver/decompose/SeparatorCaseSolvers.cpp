#include "DecomposeSupport.h"
#include "LogStream.h"
#include "SeparatorCases.h"

#include <algorithm>
#include <string>

namespace tesmo {

namespace {

using Bottles = std::vector<std::pair<int, int>>;

// The two cheapest of the three connections of positions p < q < r; ties keep the earlier.
Bottles cheapestPairOfThree(int p, int q, int r, const int (*out)[5]) {
  const int a = out[p][q], b = out[p][r], c = out[q][r];
  Bottles best{{p, q}, {p, r}};
  int sum = saturatingSum(a, b);
  if (saturatingSum(a, c) < sum) {
    sum = saturatingSum(a, c);
    best = {{p, q}, {q, r}};
  }
  if (saturatingSum(b, c) < sum) best = {{p, r}, {q, r}};
  return best;
}

}  // namespace

int quadroConCases(ReduceGraph& R, int head, const IntArray& next, int a, int b, int c, IntArray& vertexMap) {
  const int separator[] = {a, b, c};
  SeparatorCases cases(R, head, next, separator, vertexMap, SeparatorCases::TerminalOrder::Ascending);
  bool F[6] = {};
  auto rule = [&F](std::initializer_list<int> list) {
    for (int k : list) F[k] = true;
  };
  cases.computeOutside();
  cases.computeInsideSteiner();
  auto OUT = [&](int p, int q) { return cases.outside(p, q); };
  auto SIN = [&](int p, int q) { return cases.insideSteiner(p, q); };
  // The inside bottleneck between two separator terminals, directly or through the third.
  auto mIn = [&](int p, int q, int r) { return std::min(SIN(p, q), std::max(SIN(p, r), SIN(q, r))); };
  if (mIn(1, 2, 3) <= OUT(1, 2)) log(3) << "ruled out cases 2 and 5\n", rule({2, 5});
  if (mIn(1, 3, 2) <= OUT(1, 3)) log(3) << "ruled out cases 3 and 5\n", rule({3, 5});
  if (mIn(2, 3, 1) <= OUT(2, 3)) log(3) << "ruled out cases 4 and 5\n", rule({4, 5});
  cases.computeInside();
  cases.computeWholeSteiner();
  auto IN = [&](int p, int q) { return cases.inside(p, q); };
  auto SR = [&](int p, int q) { return cases.wholeSteiner(p, q); };
  if (SR(1, 2) < IN(1, 2) || SR(1, 3) < IN(1, 3) || SR(2, 3) < IN(2, 3)) log(3) << "ruled out case 1\n", rule({1});
  if (std::min(SR(1, 3), SR(2, 3)) < std::min(IN(1, 3), IN(2, 3))) log(3) << "ruled out cases 1 and 2\n", rule({1, 2});
  if (std::min(SR(1, 2), SR(2, 3)) < std::min(IN(1, 2), IN(2, 3))) log(3) << "ruled out cases 1 and 3\n", rule({1, 3});
  if (std::min(SR(1, 2), SR(1, 3)) < std::min(IN(1, 2), IN(1, 3))) log(3) << "ruled out cases 1 and 4\n", rule({1, 4});

  if (!F[1]) {
    log(3) << "QUADROCON : 1" << std::endl;
    cases.solveAndCount({"!B1.upperOpt || !B1.upperOk", 1517}, {});
  }
  if (!F[5]) {
    log(3) << "QUADROCON : 5" << std::endl;
    const Bottles bottles = cheapestPairOfThree(1, 2, 3, cases.outsideTable());
    std::vector<bool> used;
    if (cases.solveCase({"!B5.upperOpt", 1583, "!B5.upperOk", 1584}, bottles, used)) {
      if (!used[0] || !used[1]) {
        log(3) << "---------- bottle edge not used ------\n";
        F[5] = true;
        // Neither outside connection used: the one-pair cases of those connections are spared.
        if (!used[0] && !used[1])
          for (const auto& [p, q] : bottles) F[p == 1 ? (q == 2 ? 2 : 3) : 4] = true;
      } else {
        cases.countCase();
      }
    }
  }
  const std::pair<int, int> single[] = {{0, 0}, {0, 0}, {1, 2}, {1, 3}, {2, 3}};
  const int lines[] = {0, 0, 1640, 1691, 1740};
  for (int k = 2; k <= 4; ++k) {
    if (F[k]) continue;
    log(3) << "QUADROCON : " << k << std::endl;
    const std::string check = "!B" + std::to_string(k) + ".upperOpt || !B" + std::to_string(k) + ".upperOk";
    if (!cases.solveAndCount({check.c_str(), lines[k]}, std::span(&single[k], 1))) F[k] = true;
  }
  return cases.apply(5, F[1] + F[2] + F[3] + F[4] + F[5]);
}

Bottles pentaConBottles(int caseNumber, const int (*outside)[5]) {
  static const Bottles fixed[] = {
      {}, {}, {{1, 2}}, {{2, 3}}, {{3, 4}}, {{1, 4}}, {{1, 3}}, {{2, 4}},
      {{1, 4}, {2, 3}}, {{1, 2}, {3, 4}}, {{1, 3}, {2, 4}},
  };
  static const int triples[4][3] = {{1, 2, 3}, {1, 3, 4}, {1, 2, 4}, {2, 3, 4}};
  if (caseNumber >= 1 && caseNumber <= 10) return fixed[caseNumber];
  if (caseNumber >= 11 && caseNumber <= 14) {
    const int* t = triples[caseNumber - 11];
    return cheapestPairOfThree(t[0], t[1], t[2], outside);
  }
  const int all[] = {1, 2, 3, 4};
  int parent[5];
  smallMstValue(all, parent, outside);
  return {{2, parent[2]}, {3, parent[3]}, {4, parent[4]}};
}

int pentaConCases(ReduceGraph& R, int head, const IntArray& next, std::span<const int> separator,
                  IntArray& vertexMap) {
  SeparatorCases cases(R, head, next, separator, vertexMap, SeparatorCases::TerminalOrder::ListOrder);
  bool F[16] = {};
  cases.computeOutside();
  cases.computeInsideSteiner();
  struct PairTest {
    int p, q;
    const char* message;
    int caseA, caseB;
  };
  static const PairTest pairTests[] = {
      {1, 2, "ruled out cases 15, 2 and 9\n", 2, 9},  {1, 3, "ruled out cases 15, 6 and 10\n", 6, 10},
      {1, 4, "ruled out cases 15, 5 and 8\n", 5, 8},  {2, 3, "ruled out cases 15, 3 and 8\n", 3, 8},
      {2, 4, "ruled out cases 15, 7 and 10\n", 7, 10}, {3, 4, "ruled out cases 15, 4 and 9\n", 4, 9},
  };
  for (const PairTest& t : pairTests) {
    if (cases.insideSteiner(t.p, t.q) > cases.outside(t.p, t.q)) continue;
    log(3) << t.message;
    F[15] = F[t.caseA] = F[t.caseB] = true;
  }
  struct TripleTest {
    int items[3];
    const char* message;
    int ruled;
  };
  static const TripleTest tripleTests[] = {
      {{1, 2, 3}, "ruled out cases 15 and 11\n", 11},
      {{1, 3, 4}, "ruled out cases 15 and 12\n", 12},
      {{1, 2, 4}, "ruled out cases 15 and 13\n", 13},
      {{2, 3, 4}, "ruled out cases 15 and 14\n", 14},
  };
  for (const TripleTest& t : tripleTests) {
    int parent[5];
    if (smallMstValue(t.items, parent, cases.insideSteinerTable()) > smallMstValue(t.items, parent, cases.outsideTable()))
      continue;
    log(3) << t.message;
    F[15] = F[t.ruled] = true;
  }
  cases.computeInside();
  cases.computeWholeSteiner();
  for (int p = 1; p <= 4 && !F[1]; ++p)
    for (int q = p + 1; q <= 4; ++q)
      if (cases.wholeSteiner(p, q) < cases.inside(p, q)) {
        log(3) << "ruled out case 1\n";
        F[1] = true;
        break;
      }
  for (int k = 1; k <= 15; ++k) {
    if (F[k]) continue;
    log(3) << "PENTACON: " << k << std::endl;
    const std::string check = "!B" + std::to_string(k) + ".upperOpt || !B" + std::to_string(k) + ".upperOk";
    if (!cases.solveAndCount({check.c_str(), __LINE__}, pentaConBottles(k, cases.outsideTable()))) F[k] = true;
  }
  return cases.apply(15, static_cast<int>(std::count(F + 1, F + 16, true)));
}

}  // namespace tesmo
