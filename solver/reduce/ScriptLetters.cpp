#include "ScriptLetters.h"

#include <array>
#include <cstring>

namespace tesmo {

namespace {

std::array<ScriptLetter, 256>& table() {
  static std::array<ScriptLetter, 256> letters{};
  return letters;
}

bool isControl(char letter) { return letter == 0 || std::strchr("()!;", letter) != nullptr; }

}  // namespace

void ScriptLetters::registerLetter(char letter, const char* callText, ReductionMethod method) {
  if (isControl(letter)) return;
  table()[static_cast<unsigned char>(letter)] = ScriptLetter{callText, method};
}

void ScriptLetters::unregisterLetter(char letter) {
  table()[static_cast<unsigned char>(letter)] = ScriptLetter{};
}

const ScriptLetter* ScriptLetters::find(char letter) {
  const ScriptLetter& entry = table()[static_cast<unsigned char>(letter)];
  return entry.method ? &entry : nullptr;
}

}  // namespace tesmo
