#pragma once
// A named count and sum of added values, with an optional histogram of the values 0..maxCount,
// reported on standard output.

#include "CheckedVector.h"
#include "Check.h"

#include <cstdint>
#include <iostream>
#include <string>
#include <utility>

namespace tesmo {

class Counter {
public:
  explicit Counter(std::string name) : name_(std::move(name)) {}
  // With a histogram of the values 0..maxCount.
  Counter(std::string name, int maxCount)
      : name_(std::move(name)), histogram_(static_cast<std::size_t>(maxCount < 0 ? 0 : maxCount) + 1, 0),
        maxCount_(maxCount) {}

  void add(int i) {
    ++count_;
    sum_ += i;
    if (histogram_.empty()) return;
    // Text and line as the log watchers know them.
    if (i > maxCount_ || i < 0) assertFail("i>maxCount || i<0", 70, "tools");
    ++histogram_[static_cast<std::size_t>(i)];
  }

  // Nothing when no value was added. The histogram is released afterwards.
  void report(std::ostream& out = std::cout) {
    if (count_ == 0) return;
    out << "counter " << name_ << ": " << "average" << ":"
        << static_cast<double>(sum_) / static_cast<double>(count_) << ", " << "sum" << ":" << sum_
        << ", " << "n" << ":" << count_ << ", " << std::endl;
    if (histogram_.empty()) return;
    out << "   ";
    for (int k = 0; k <= maxCount_; ++k) out << k << ": " << histogram_[k] << ", ";
    out << std::endl;
    histogram_ = IntArray();
  }

  int count() const { return count_; }
  std::int64_t sum() const { return sum_; }
  const std::string& name() const { return name_; }
  bool hasHistogram() const { return !histogram_.empty(); }
  int histogram(int k) const { return histogram_[static_cast<std::size_t>(k)]; }

private:
  std::string name_;
  IntArray histogram_;  // [0..maxCount], empty when none
  int maxCount_ = -1;
  int count_ = 0;
  std::int64_t sum_ = 0;  // a sum of ints overflows int long before the count does
};

}  // namespace tesmo
