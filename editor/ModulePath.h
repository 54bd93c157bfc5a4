#pragma once
#include <string>

#include "base/Win32.h"

// The folder of the module's resources (obj, cfg, the manual), without a trailing separator;
// names such as "\obj\a000_000.bmp" are appended to it as they are. It is the module file's
// folder (at most MAX_PATH characters), or for a 64-bit module in the product's x64 subfolder
// the folder above it, which both players share. Empty when the module's path can't be read or
// does not fit.
std::string ModuleDirectory(HINSTANCE module);

// The subfolder of the product folder that holds the 64-bit DLL.
constexpr char kSixtyFourBitFolder[] = "x64";
// The resource folder for a module file's folder: its parent when a 64-bit module lies in the
// x64 subfolder (letter case aside), else the folder itself.
std::string ResourceDirectoryOf(const std::string& moduleFolder, bool sixtyFourBit);

// A program that links the plug-in in, instead of loading the DLL, names the folder that
// stands for the DLL's (the one holding obj and cfg); empty returns to the module's own.
void SetModuleDirectoryOverride(const std::string& folder);

// A Shift-JIS path cut before its last separator; empty when it has none.
std::string DirectoryOfPath(const std::string& path);
// Makes the folder a file is to be written in, when it has one and it is missing (one level).
void MakeFolderOf(const std::string& path);
