#include "app/io/OutputCheck.h"

#include <fmt/core.h>

#include <algorithm>

#include "app/core/Errors.h"
#include "app/io/AtomicFile.h"

namespace lq {

void CheckPlannedOutputs(const std::vector<PlannedOutput>& outputs, const std::vector<PlannedInput>& inputs)
{
    std::vector<std::string> normalOutputs, normalInputs;
    for (const PlannedOutput& output : outputs)
        normalOutputs.push_back(NormalPath(output.path));
    for (const PlannedInput& input : inputs)
        normalInputs.push_back(NormalPath(input.path));
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const PlannedOutput& o = outputs[i];
        for (std::size_t j = 0; j < i; ++j) {
            const bool console = o.path == kStandardOutput || outputs[j].path == kStandardOutput;
            if (console ? o.path == outputs[j].path : normalOutputs[i] == normalOutputs[j] || SameFile(o.path, outputs[j].path))
                throw UsageError(fmt::format("{} {}: the same file as the output of {}", o.option, o.path, outputs[j].option));
            // One output's file where another needs a folder: whichever came first, the other fails.
            for (const auto& [inner, outer] : {std::pair{i, j}, std::pair{j, i}})
                if (!console && normalOutputs[inner].starts_with(normalOutputs[outer] + "/"))
                    throw UsageError(fmt::format("{} {}: lies in {}, the output of {}", outputs[inner].option,
                                                 outputs[inner].path, outputs[outer].path, outputs[outer].option));
        }
        if (o.path == kStandardOutput)
            continue;
        for (std::size_t k = 0; k < inputs.size(); ++k) {
            const bool same = normalOutputs[i] == normalInputs[k] || SameFile(o.path, inputs[k].path);
            const bool meant = std::any_of(o.mayReplace.begin(), o.mayReplace.end(),
                                           [&](const std::string& p) { return SamePath(p, inputs[k].path); });
            if (same && !meant)
                throw UsageError(fmt::format("{} {}: would overwrite the input {} {}{}", o.option, o.path, inputs[k].what,
                                             inputs[k].path, o.hint));
        }
    }
    for (const PlannedOutput& o : outputs)
        if (o.path != kStandardOutput)
            CheckOutputTarget(o.path, o.option);
}

}  // namespace lq
