#include "SafeFileWrite.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

namespace {
// A name beside the target that no other writer uses at the same time.
std::filesystem::path TemporaryBeside(const std::filesystem::path& target) {
  std::random_device seed;
  std::mt19937_64 draw(seed());
  std::filesystem::path candidate;
  std::error_code ec;
  do {
    candidate = target;
    candidate += ".tmp" + std::to_string(draw() % 1000000000u);
  } while (std::filesystem::exists(candidate, ec));
  return candidate;
}
}  // namespace

bool WriteFileReplacing(const std::string& FileName, std::string_view Text) {
  const std::filesystem::path target(FileName);
  const std::filesystem::path temporary = TemporaryBeside(target);
  std::error_code ec;
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(Text.data(), static_cast<std::streamsize>(Text.size()));
    out.close();
    if (!out) {
      std::filesystem::remove(temporary, ec);
      return false;
    }
  }
  std::filesystem::rename(temporary, target, ec);
  if (ec) {
    std::filesystem::remove(temporary, ec);
    return false;
  }
  return true;
}
