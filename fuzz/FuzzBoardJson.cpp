// The board JSON reader on arbitrary bytes: it may refuse, never crash, hang or leak.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/core/Errors.h"
#include "app/formats/BoardJson.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        const lq::Board board = lq::ParseBoardJson(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.qbrd.json");
        // What was read must write back and read again to the same board.
        const std::string text = lq::WriteBoardJson(board);
        if (!(lq::ParseBoardJson(text, "again.qbrd.json") == board))
            __builtin_trap();
    } catch (const lq::JobError&) {
    }
    return 0;
}
