// The plug-in with the reference engine in place of its own, so that lqhost's outputs with the
// two engines can be compared on whole boards.
#include "module/autoswap/reference/ReferenceEngine.h"

namespace {
__attribute__((constructor)) void UseReferenceEngine() { LQUseReferenceEngine(true); }
}  // namespace
