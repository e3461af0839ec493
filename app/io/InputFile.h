// Reading input files whole, with a size limit checked before anything is read.
#pragma once
#include <cstddef>
#include <string>

namespace lq {

// The bytes of a regular file. Throws IoError naming the file: missing, unreadable, a directory,
// a FIFO, device or other special file (refused without blocking), or larger than maxBytes.
std::string ReadInputFile(const std::string& path, std::size_t maxBytes);

// "a FIFO", "a character device", ... for the file type bits of a stat mode.
const char* FileKind(unsigned mode);

}  // namespace lq
