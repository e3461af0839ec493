// What a run of the plug-in did to boards, as one data structure: the pins whose net changed,
// the back-annotation records the plug-in made, the airwire figures before and after, the run
// time. The terminal table, the JSON report and the ECO file are views of it.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/metrics/Airwires.h"
#include "app/model/Board.h"

class CBackAnnotationManager;

namespace lq {

struct PinChange {
    PinIndex index;
    std::string part;
    std::string pin;
    std::string oldNet;  // empty: the pin was on no net
    std::string newNet;  // empty: the pin is on no net now
    friend bool operator==(const PinChange&, const PinChange&) = default;
};

struct BackAnnotationEntry {
    int kind = 0;  // 12 gate swap, 13 pin swap
    std::uint32_t undoId = 0;
    std::vector<std::string> texts;
    friend bool operator==(const BackAnnotationEntry&, const BackAnnotationEntry&) = default;
};

// What refinement did to one board, when it ran.
struct RefineRun {
    bool passRan = true;       // false with --refine-only
    AirwireFigures afterPass;  // the board the refinement started from
    std::size_t pinExchanges = 0;
    std::size_t gateExchanges = 0;
    double seconds = 0;
    std::optional<double> effortSeconds;  // as asked with --effort
    std::uint64_t effortRounds = 0;       // perturbations the longer search tried
    std::uint64_t effortImprovements = 0; // rounds that found a shorter board
    std::uint64_t effortGain = 0;         // nm it found beyond the local optimum
    std::vector<std::string> notes;
    // Per change of the run, in its order: the stages that made it, "pass", "refine" or "pass, refine".
    std::vector<std::string> stages;
};

struct BoardRun {
    std::string board;   // the input's name
    std::string output;  // where the resulting board was written; empty when it was not
    AirwireFigures before;
    AirwireFigures after;
    std::vector<PinChange> changes;
    std::vector<BackAnnotationEntry> records;
    double seconds = 0;  // the plug-in's run, without reading and writing
    std::optional<RefineRun> refine;
};

struct RunReport {
    std::vector<BoardRun> boards;
};

// The pins whose net differs between two states of one board (the same parts and pins), in
// part and pin order.
std::vector<PinChange> NetChanges(const Board& before, const Board& after);

// The stages that made each change: the pass (before to afterPass) and refinement (afterPass to
// after).
std::vector<std::string> ChangeStages(const std::vector<PinChange>& changes, const Board& before, const Board& afterPass,
                                      const Board& after);

// The records of a back-annotation manager (none without one), in the order they were made.
std::vector<BackAnnotationEntry> BackAnnotationEntries(const CBackAnnotationManager* manager);

// Change from before to after in percent of before; nothing when before is 0.
std::optional<double> PercentChange(std::uint64_t before, std::uint64_t after);

// A length in nm as millimetres with three decimals ("12.345 mm"), rounded down to the µm.
std::string Millimetres(std::uint64_t nm);

// The three views.
std::string FormatReportTable(const RunReport& report);
std::string FormatReportJson(const RunReport& report);
std::string FormatEcoCsv(const RunReport& report);

}  // namespace lq
