#pragma once
#include <cstdint>
#include <string>

namespace Quorvel { namespace Base { namespace File {

// Reads at most limit bytes from the start of a file through the file layer, so a small
// text file of ours can be read without trusting its size. False when it can't be opened
// or read; whole tells whether the file ended within the limit.
bool ReadFileHead(const char* path, uint32_t limit, std::string& bytes, bool& whole);

}}} // namespace Quorvel::Base::File
