#pragma once
// What the data-type dialog was left with by Continue: the main window asks for it before it
// opens an editor, the data forms answer it.

#include <string>

struct TDataTypeChoice {
  bool createMode = true;
  std::string dataType;  // "amino", "multistate", "binary", "rflp", "ychrom", "autosomal", "mixed"
};
