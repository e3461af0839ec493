#include "app/play/PlayScript.h"

#include <fmt/core.h>

#include <type_traits>

namespace lq::play {

namespace {
template <class T>
constexpr bool kIsExpectation =
    std::is_same_v<T, ExpectNet> || std::is_same_v<T, ExpectNetPins> || std::is_same_v<T, ExpectPinCount> ||
    std::is_same_v<T, ExpectRecordCount> || std::is_same_v<T, ExpectRecord> || std::is_same_v<T, ExpectMessages> ||
    std::is_same_v<T, ExpectTool> || std::is_same_v<T, ExpectPickMode> || std::is_same_v<T, ExpectSelected> ||
    std::is_same_v<T, ExpectCommand> || std::is_same_v<T, ExpectOverlayPins> || std::is_same_v<T, ExpectOverlayMarkers>;
}  // namespace

bool IsExpectation(const Action& action)
{
    return std::visit([](const auto& a) { return kIsExpectation<std::decay_t<decltype(a)>>; }, action);
}

std::string FormatUIID(std::uint32_t uiId) { return fmt::format("0x{:X}", uiId); }

}  // namespace lq::play
