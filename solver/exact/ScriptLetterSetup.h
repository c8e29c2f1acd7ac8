#pragma once
// Makes every built method known to the reduction-script interpreter. Each library registers its
// own letters through its register function; this is the one place that calls them all, and the
// front end calls it before any algorithm runs. Calling it again changes nothing.

namespace tesmo {

void registerScriptLetters();

}  // namespace tesmo
