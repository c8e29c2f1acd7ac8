#include "NameSpace.h"

#include "Check.h"
#include "LogStream.h"

#include <algorithm>
#include <cstring>

namespace tesmo {

NameSpace::NameSpace(int width, int capacity, bool withValues)
    : width_(std::max(width, 2)),
      data_(static_cast<std::size_t>(std::max(capacity, 1)) * std::max(width, 2), '\0'),
      values_(withValues ? std::max(capacity, 1) + 1 : 0, 0),
      capacity_(std::max(capacity, 1)) {}

int NameSpace::find(std::string_view name) const {
  if (name.size() > static_cast<std::size_t>(width_ - 1)) name = name.substr(0, width_ - 1);
  const auto it = newest_.find(std::string(name));
  return it == newest_.end() ? 0 : it->second;
}

void NameSpace::growNameSpace(int n) {
  if (n <= capacity_) return;
  log(4) << "doubling namespace\n";
  capacity_ *= 2;
  data_.resize(static_cast<std::size_t>(capacity_) * width_, '\0');
  if (!values_.empty()) values_.resize(capacity_ + 1, 0);
}

int NameSpace::add(std::string_view name, int value) {
  growNameSpace(count_ + 1);
  ++count_;
  char* slot = &data_[static_cast<std::size_t>(count_ - 1) * width_];
  const std::size_t len = std::min(name.size(), static_cast<std::size_t>(width_ - 1));
  std::memcpy(slot, name.data(), len);
  slot[len] = '\0';
  if (!values_.empty()) values_[count_] = value;
  newest_[std::string(slot, len)] = count_;
  return count_;
}

void NameSpace::checkIndex(int i) const {
  if (i < 1 || i > count_) assertFail("i<1 || i>count", __LINE__, "Tesmo");
}

const char* NameSpace::name(int i) const {
  checkIndex(i);
  return &data_[static_cast<std::size_t>(i - 1) * width_];
}

int NameSpace::value(int i) const {
  checkIndex(i);
  return values_.empty() ? 0 : values_[i];
}

void NameSpace::setValue(int i, int value) {
  checkIndex(i);
  if (!values_.empty()) values_[i] = value;
}

}  // namespace tesmo
