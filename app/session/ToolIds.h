// UI IDs as the host passes them to the draw-objects interface to fetch the plug-in's tools.
#pragma once
#include <cstdint>

namespace lq {

constexpr std::uint32_t kSwapPinToolUIID = 0x703E8;
constexpr std::uint32_t kSwapGateToolUIID = 0x703E9;

}  // namespace lq
