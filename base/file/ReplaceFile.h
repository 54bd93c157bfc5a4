#pragma once
#include <cstddef>

namespace Quorvel { namespace Base { namespace File {

// Writes bytes to path so that the file holds either its old contents or all of the new
// ones, never a part: the bytes go to a new file in the same folder first, which replaces
// the old file only once everything was written and flushed. False when anything failed
// (folder missing, disk full, a read-only or locked target, a path too long); the old file,
// if any, is then left as it was and no temporary file stays behind.
bool ReplaceFileContents(const char* path, const void* bytes, size_t size);

}}} // namespace Quorvel::Base::File
