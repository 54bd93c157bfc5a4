#pragma once
#include <string>

#include "base/Win32.h"

// The folder of the module file (at most MAX_PATH characters), without a trailing
// separator; names such as "\obj\a000_000.bmp" are appended to it as they are. Empty when
// the module's path can't be read or does not fit.
std::string ModuleDirectory(HINSTANCE module);

// A Shift-JIS path cut before its last separator; empty when it has none.
std::string DirectoryOfPath(const std::string& path);
