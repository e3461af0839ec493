// What the plug-in's gate store makes of a board, learnt through the plug-in's boundary alone:
// the gates from the markers the swap gate tool paints, each gate's candidates by picking it,
// and each pin's candidates by picking it with the swap pin tool. Nothing is swapped.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "app/model/Board.h"
#include "host/Geometry.h"

namespace lq {

class HostSheet;
class PlugInSession;

struct ProbedGate {
    std::optional<std::size_t> part;  // nothing when no pin shows which part it is on
    std::string name;                 // the text of its marker
    bool pseudo = false;              // the part's pseudo-gate (see BoardProbe::notes)
    CLQPoint centre;
    std::vector<PinIndex> pins;        // selected when it was picked; empty when it could not be
    std::vector<PinIndex> signalPins;  // its marker's lines
    std::optional<std::size_t> hiddenBy;  // a click on its centre picks that gate instead
    bool swappable = false;               // it is among its own candidates
    std::vector<std::size_t> candidates;  // the other gates that may take its place
    std::optional<std::size_t> group;     // into BoardProbe::gateGroups
};

struct ProbedPin {
    PinIndex pin;
    enum class Answer {
        Picked,      // the tool picked it and showed its candidates
        NoPinGroup,  // the tool said the pin has no pin-group information
        Message,     // the tool showed another message
        Missed,      // the click picked nothing
        Hidden,      // the click picked another pin
    } answer = Answer::Missed;
    std::string message;
    std::optional<PinIndex> hiddenBy;
    bool swappable = false;  // among its own candidates
    std::vector<PinIndex> candidates;  // other pins
    std::optional<std::size_t> group;  // into BoardProbe::pinGroups
};

struct BoardProbe {
    std::vector<ProbedGate> gates;  // in the order the tool draws them
    std::vector<std::vector<std::size_t>> gateGroups;  // of two gates or more
    std::vector<ProbedPin> pins;  // in board order
    std::vector<std::vector<PinIndex>> pinGroups;  // of two pins or more
    std::vector<std::string> notes;  // what the boundary does not show
};

// Probes the board of the sheet. Throws JobError if the probing changed a connection.
BoardProbe ProbeBoard(const PlugInSession& session, HostSheet& sheet);

// Into groups of mutually swappable items, first fit, as each item's candidates say.
std::vector<std::vector<std::size_t>> GroupByCandidates(const std::vector<bool>& swappable,
                                                        const std::vector<std::vector<std::size_t>>& candidates);

}  // namespace lq
