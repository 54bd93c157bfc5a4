#pragma once
#include <string>

#include "base/Win32.h"

// The folder of the module file (at most MAX_PATH characters), without a trailing
// separator; names such as "\obj\a000_000.bmp" are appended to it as they are. Empty when
// the module's path can't be read or does not fit.
std::string ModuleDirectory(HINSTANCE module);

// A program that links the plug-in in, instead of loading the DLL, names the folder that
// stands for the DLL's (the one holding obj and cfg); empty returns to the module's own.
void SetModuleDirectoryOverride(const std::string& folder);

// A Shift-JIS path cut before its last separator; empty when it has none.
std::string DirectoryOfPath(const std::string& path);
// Makes the folder a file is to be written in, when it has one and it is missing (one level).
void MakeFolderOf(const std::string& path);
