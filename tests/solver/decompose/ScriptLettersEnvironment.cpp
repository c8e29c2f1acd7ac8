// The script letters as the program has them, for every test of this folder: the nested exact
// solves run the node scripts that name them.

#include "ScriptLetterSetup.h"

#include <gtest/gtest.h>

namespace {

class Letters : public testing::Environment {
  void SetUp() override { tesmo::registerScriptLetters(); }
};
const auto* const letters = testing::AddGlobalTestEnvironment(new Letters);

}  // namespace
