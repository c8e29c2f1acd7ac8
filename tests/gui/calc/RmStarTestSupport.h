#pragma once
// Fixture helpers shared by the reduced-median and star-contraction tests.

#include "ScriptedDialogs.h"
#include "TestPaths.h"

#include <filesystem>
#include <string>
#include <vector>

namespace rmstar_test {

// A copy of a fixture in a scratch folder, so results written beside it stay there.
inline std::string CopyFixture(const testpaths::TempDir& dir, const std::string& name) {
  const std::string target = dir.file(name);
  std::filesystem::copy_file(testpaths::testData("rmstar/" + name), target);
  return target;
}

// An expected file, its "@DATA@" marker replaced by the data file name of the run.
inline std::string Expected(const std::string& name, const std::string& dataFile) {
  std::string text = testpaths::readFile(testpaths::testData("rmstar/" + name));
  const std::string marker = "@DATA@";
  if (const auto at = text.find(marker); at != std::string::npos)
    text.replace(at, marker.size(), dataFile);
  return text;
}

// The names the save dialogs proposed, in order.
inline std::vector<std::string> SaveProposals(const ScriptedDialogs& d) {
  std::vector<std::string> p;
  for (const auto& e : d.events())
    if (e.type == ScriptedDialogs::Event::SaveFile) p.push_back(e.request.fileName);
  return p;
}

}  // namespace rmstar_test
