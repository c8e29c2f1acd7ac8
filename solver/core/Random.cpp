#include "Random.h"

#include "LogStream.h"
#include "Shell.h"

#include <cstdlib>
#include <ctime>
#include <iostream>
#include <vector>

namespace tesmo {

void seedRandom(int seed) {
  if (seed == -1) seed = shell.Iget("randomseed", -1);
  if (seed == -1) seed = static_cast<int>(std::time(nullptr));
  log(1) << "random seed set to " << seed << "\n";
  std::srand(static_cast<unsigned>(seed));
}

int randomNumber(int n) {
  if (n < 1) {
    std::cerr << " Randomaufruf mit 0 \n";
    return 1;
  }
  return ((std::rand() >> 4) % n) + 1;
}

int randomRaw() { return std::rand(); }

void randomPermutation(int n, IntArray& a) {
  for (int i = 1; i <= n; ++i) a[i] = i;
  for (int k = n; k >= 2; --k) std::swap(a[k], a[randomNumber(k)]);
}

void completePermutation(int n, IntArray& a) {
  std::vector<char> present(n + 1, 0);
  std::vector<int> freePlaces;
  for (int i = 1; i <= n; ++i) {
    if (a[i] == 0)
      freePlaces.push_back(i);
    else if (a[i] >= 1 && a[i] <= n)
      present[a[i]] = 1;
  }
  std::vector<int> missing;
  for (int v = 1; v <= n; ++v)
    if (!present[v]) missing.push_back(v);
  // Largest missing value first, each into a random free place; the last free place fills the gap.
  for (auto it = missing.rbegin(); it != missing.rend() && !freePlaces.empty(); ++it) {
    const int pick = randomNumber(static_cast<int>(freePlaces.size())) - 1;
    a[freePlaces[pick]] = *it;
    freePlaces[pick] = freePlaces.back();
    freePlaces.pop_back();
  }
}

}  // namespace tesmo
