// The sample board (examples/sample.qbrd.json), compiled into lqhost so that lqhost with no
// arguments has a board to work on.
#pragma once
#include <string_view>

namespace lq {

std::string_view SampleBoardJson();
constexpr const char* kSampleBoardName = "sample.qbrd.json (built in)";

}  // namespace lq
