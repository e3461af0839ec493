#include "app/report/RunReport.h"

#include <fmt/core.h>

#include <algorithm>

#include "host/BackAnnotation.h"

namespace lq {

std::vector<PinChange> NetChanges(const Board& before, const Board& after)
{
    const BoardIndex was(before), now(after);
    auto netName = [](const Board& board, const BoardIndex& index, const PinIndex& pin) {
        const auto net = index.NetOfPin(pin);
        return net ? board.nets[*net].name : std::string();
    };
    std::vector<PinChange> changes;
    for (std::size_t i = 0; i < before.parts.size() && i < after.parts.size(); ++i) {
        const Part& part = before.parts[i];
        for (std::size_t j = 0; j < part.pins.size(); ++j) {
            const PinIndex pin{i, j};
            std::string oldNet = netName(before, was, pin), newNet = netName(after, now, pin);
            if (oldNet != newNet)
                changes.push_back(PinChange{pin, part.ref, PinName(part.pins[j]), std::move(oldNet), std::move(newNet)});
        }
    }
    return changes;
}

std::vector<std::string> ChangeStages(const std::vector<PinChange>& changes, const Board& before, const Board& afterPass,
                                      const Board& after)
{
    auto moved = [](const Board& a, const Board& b) {
        std::vector<PinIndex> pins;
        for (const PinChange& c : NetChanges(a, b))
            pins.push_back(c.index);
        return pins;
    };
    const std::vector<PinIndex> byPass = moved(before, afterPass), byRefine = moved(afterPass, after);
    std::vector<std::string> stages;
    for (const PinChange& c : changes) {
        const bool pass = std::binary_search(byPass.begin(), byPass.end(), c.index);
        const bool refine = std::binary_search(byRefine.begin(), byRefine.end(), c.index);
        stages.push_back(pass && refine ? "pass, refine" : pass ? "pass" : "refine");
    }
    return stages;
}

std::vector<BackAnnotationEntry> BackAnnotationEntries(const CBackAnnotationManager* manager)
{
    std::vector<BackAnnotationEntry> entries;
    if (manager == nullptr)
        return entries;
    for (const CBackAnnotationRecord& r : manager->GetRecords())
        entries.push_back(BackAnnotationEntry{static_cast<int>(r.eKind), r.dwUndoActionID, r.args});
    return entries;
}

std::optional<double> PercentChange(std::uint64_t before, std::uint64_t after)
{
    if (before == 0)
        return std::nullopt;
    return (static_cast<double>(after) - static_cast<double>(before)) * 100.0 / static_cast<double>(before);
}

std::string Millimetres(std::uint64_t nm) { return fmt::format("{}.{:03} mm", nm / 1000000, nm / 1000 % 1000); }

}  // namespace lq
