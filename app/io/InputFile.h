// Reading input files whole, with a size limit checked before anything is read.
#pragma once
#include <cstddef>
#include <string>

namespace lq {

// The bytes of a regular file. Throws IoError naming the file: missing, unreadable, a directory,
// or larger than maxBytes.
std::string ReadInputFile(const std::string& path, std::size_t maxBytes);

}  // namespace lq
