#include "app/refine/RefineOptions.h"

#include <CLI/CLI.hpp>

#include <string>

namespace lq {

namespace {
constexpr double kLeast = 0.001, kMost = 3600;
}  // namespace

void AddRefineOptions(CLI::App& sub, bool& refine, bool& refineOnly, double& effortSeconds)
{
    auto* pass = sub.add_flag("--refine", refine,
                              "After the plug-in's pass, make every exchange the plug-in allows that shortens the "
                              "airwires, until none is left");
    auto* only = sub.add_flag("--refine-only", refineOnly, "Refine without running the plug-in's pass first");
    only->excludes(pass);
    sub.add_option("--effort", effortSeconds,
                   "Refine, then search about this much longer (seconds, on a 2-core machine of the CI kind) for a "
                   "shorter board beyond the first local optimum; the result depends only on the input, not on the clock")
        ->option_text("SECONDS")
        ->check(CLI::Validator(
            [](std::string& text) -> std::string {
                double seconds = 0;
                std::size_t used = 0;
                try {
                    seconds = std::stod(text, &used);
                } catch (const std::exception&) {
                    used = 0;
                }
                if (used != text.size() || !(seconds >= kLeast && seconds <= kMost))
                    return "seconds from 0.001 to 3600 expected, not \"" + text + "\"";
                return "";
            },
            "SECONDS"));
}

}  // namespace lq
