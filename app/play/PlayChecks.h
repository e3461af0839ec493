// The expect lines of a play script, checked against what the host can see: nets and their
// pins, back-annotation records, message boxes, the active tool, the pick mode, the selection,
// command states and the last overlay painting.
#pragma once
#include <cstddef>
#include <optional>
#include <string>

#include "app/play/PlayScript.h"
#include "app/probe/GateMarkers.h"

namespace lq {
class HostSheet;
class PlugInSession;
}  // namespace lq

namespace lq::play {

struct PlayHost {
    const PlugInSession* session = nullptr;
    HostSheet* sheet = nullptr;                // null before the first open line
    const OverlayPainting* overlay = nullptr;  // null before the first overlay line
    std::size_t messagesChecked = 0;           // message boxes already looked at
};

// Nothing when the expectation holds; else the failure, e.g. "expected net of U1.3 to be N1,
// found N2". Message expectations move messagesChecked on.
std::optional<std::string> CheckExpectation(const Action& expectation, PlayHost& host);

// "U1.3"
std::string PinText(const HostSheet& sheet, const PinIndex& pin);
// A list of texts for messages: "U1.3, U2.4", or "nothing".
std::string ListText(const std::vector<std::string>& items);

}  // namespace lq::play
