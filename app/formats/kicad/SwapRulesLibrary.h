// The swap-rules library that lqhost brings (kicad-swap-rules.lqrules, built in).
#pragma once
#include <string_view>

namespace lq {

std::string_view KicadSwapRulesText();

}  // namespace lq
