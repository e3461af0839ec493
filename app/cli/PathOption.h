// A file or folder option must name something: an empty value is a usage error, not "not given".
#pragma once
#include <CLI/CLI.hpp>

namespace lq {

inline const CLI::Validator NonEmptyPath(
    [](std::string& value) { return value.empty() ? std::string("an empty name; give a file or folder name") : std::string(); },
    "PATH", "NonEmptyPath");

}  // namespace lq
