#include "StableSort.h"

#include <utility>

namespace tesmo {

void stableSortWithIndex(int n, IntArray& keys, IntArray& index, IntArray& keyWork,
                         IntArray& indexWork) {
  for (int k = 1; k <= n; ++k) index[k] = k;
  if (n < 2) return;
  // Bottom-up merge sort, alternating between the arrays and the scratch.
  int* srcKey = keys.data();
  int* srcIndex = index.data();
  int* dstKey = keyWork.data();
  int* dstIndex = indexWork.data();
#ifdef TESMO_CHECKS
  if (keyWork.size() < static_cast<std::size_t>(n) + 1 ||
      indexWork.size() < static_cast<std::size_t>(n) + 1 ||
      keys.size() < static_cast<std::size_t>(n) + 1 || index.size() < static_cast<std::size_t>(n) + 1)
    checkedVectorIndexFailure(n, keyWork.size());
#endif
  for (int width = 1; width < n; width *= 2) {
    for (int lo = 1; lo <= n; lo += 2 * width) {
      const int mid = lo + width < n + 1 ? lo + width : n + 1;
      const int hi = lo + 2 * width < n + 1 ? lo + 2 * width : n + 1;
      int a = lo;
      int b = mid;
      int out = lo;
      while (a < mid && b < hi) {
        // Taking from the left run on ties keeps equal keys in order.
        if (srcKey[b] < srcKey[a]) {
          dstKey[out] = srcKey[b];
          dstIndex[out++] = srcIndex[b++];
        } else {
          dstKey[out] = srcKey[a];
          dstIndex[out++] = srcIndex[a++];
        }
      }
      while (a < mid) {
        dstKey[out] = srcKey[a];
        dstIndex[out++] = srcIndex[a++];
      }
      while (b < hi) {
        dstKey[out] = srcKey[b];
        dstIndex[out++] = srcIndex[b++];
      }
    }
    std::swap(srcKey, dstKey);
    std::swap(srcIndex, dstIndex);
  }
  if (srcKey != keys.data()) {
    for (int k = 1; k <= n; ++k) {
      keys[k] = srcKey[k];
      index[k] = srcIndex[k];
    }
  }
}

}  // namespace tesmo
