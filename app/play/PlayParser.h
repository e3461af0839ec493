// Reading a play script: every line is checked before anything runs, and the first malformed
// one is reported as "file:line: message" (ParseError).
#pragma once
#include <string>
#include <string_view>

#include "app/play/PlayScript.h"

namespace lq::play {

// fileName names the script in messages; relative paths in it are taken from dir.
Script ParsePlayScript(std::string_view text, const std::string& fileName, const std::string& dir);

// Reads and parses a script file (IoError when it cannot be read).
Script ReadPlayScript(const std::string& path);

}  // namespace lq::play
