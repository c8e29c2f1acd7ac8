#pragma once
// The letters of reduction scripts: each letter names one method that takes the instance alone.
//
// A library makes its methods available by registering them once at start-up, for example
//
//   ScriptLetters::registerLetter('T', "::tm(&R)", tm);
//
// and the front end calls registerScriptLetters() (which calls every library's own register
// function) before it runs anything. A letter without a registered method is logged as "not
// availabe" and skipped, so a script names methods of later versions without harm.

#include "ReduceGraph.h"

namespace tesmo {

using ReductionMethod = void (*)(ReduceGraph& R);

struct ScriptLetter {
  const char* callText = nullptr;  // logged before the call, e.g. "::tm(&R)"
  ReductionMethod method = nullptr;
};

class ScriptLetters {
public:
  // Registers (or replaces) the method of a letter. Loop and phase characters "()!;" cannot
  // be registered.
  static void registerLetter(char letter, const char* callText, ReductionMethod method);
  // Removes a letter's method (tests).
  static void unregisterLetter(char letter);
  // The registered method of a letter, or null.
  static const ScriptLetter* find(char letter);
};

// The letters whose methods live in the reduction library.
void registerReduceLetters();

}  // namespace tesmo
