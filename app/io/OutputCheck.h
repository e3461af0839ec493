// The outputs of a command, checked together before any work: each may take a file, none lands
// on an input it was not meant to replace, and no two land on one file.
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace lq {

// The name that stands for standard output where an option offers it.
constexpr const char* kStandardOutput = "-";

struct PlannedOutput {
    PlannedOutput(std::string path_, std::string option_, std::vector<std::string> mayReplace_ = {}, std::string hint_ = {})
        : path(std::move(path_)), option(std::move(option_)), mayReplace(std::move(mayReplace_)), hint(std::move(hint_))
    {
    }
    std::string path;    // kStandardOutput is not a file and is not checked
    std::string option;  // "-o", "--report", ...: names the output in errors
    std::vector<std::string> mayReplace;  // inputs this output replaces on purpose
    std::string hint;    // added to the error when it would overwrite an input
};

struct PlannedInput {
    std::string path;
    std::string what;  // "board", "schematic", ...
};

// Throws IoError when an output exists and is not a regular file (or a link to one), and
// UsageError when an output is an input it may not replace or the same file as another output.
void CheckPlannedOutputs(const std::vector<PlannedOutput>& outputs, const std::vector<PlannedInput>& inputs);

}  // namespace lq
