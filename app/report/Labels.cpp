#include "app/report/Labels.h"

namespace lq {

std::string PinLabel(const Board& board, const PinIndex& pin)
{
    const Part& part = board.parts.at(pin.part);
    return part.ref + "." + PinName(part.pins.at(pin.pin));
}

std::string JoinTexts(const std::vector<std::string>& items, const char* separator)
{
    std::string out;
    for (const std::string& i : items)
        out += (out.empty() ? "" : separator) + i;
    return out;
}

}  // namespace lq
