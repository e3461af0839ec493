// The play-script parser on arbitrary bytes: it may refuse a line, never crash, hang or leak.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/core/Errors.h"
#include "app/play/PlayParser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        lq::play::ParsePlayScript(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.play", "/nonexistent");
    } catch (const lq::JobError&) {
    } catch (const lq::UsageError&) {
    }
    return 0;
}
