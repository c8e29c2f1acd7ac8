#pragma once
// Writing a whole file so that readers never see it half-written: the text goes to a temporary file
// beside the target, which replaces the target only when it is complete.

#include <string>
#include <string_view>

// False when the temporary file cannot be written or cannot replace the target; the target is then
// left as it was and no temporary file remains.
bool WriteFileReplacing(const std::string& FileName, std::string_view Text);
