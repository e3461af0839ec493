#include "app/model/BoardCheck.h"

#include <fmt/core.h>

#include <cstdint>
#include <limits>
#include <map>

#include "app/core/Printable.h"
#include "host/AttributeNames.h"

namespace lq {

namespace {

using Result = std::optional<BoardProblem>;

Result Problem(std::string place, std::string message) { return BoardProblem{std::move(place), std::move(message)}; }

bool Fits(std::int64_t v)
{
    return v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max();
}

bool FitsAt(const Point& base, std::int64_t dx, std::int64_t dy) { return Fits(base.x + dx) && Fits(base.y + dy); }

bool RectFitsAt(const Point& base, const Rect& r) { return FitsAt(base, r.x1, r.y1) && FitsAt(base, r.x2, r.y2); }

bool IsGateSwapSetting(const std::string& v)
{
    if (v.empty() || v.size() > 4)
        return false;
    for (char c : v)
        if (c < '0' || c > '9')
            return false;
    return std::stoi(v) <= kMaxGateSwapSetting;
}

Result CheckAttributeNames(const Attributes& attributes, const std::string& place)
{
    for (std::size_t k = 0; k < attributes.size(); ++k)
        if (attributes[k].name.empty())
            return Problem(fmt::format("{}/{}/0", place, k), "the attribute name is empty");
    return std::nullopt;
}

Result CheckPin(const Part& part, const Pin& pin, const std::string& place)
{
    if (Result r = CheckAttributeNames(pin.attributes, place + "/attributes"))
        return r;
    int named = 0;
    for (std::size_t k = 0; k < pin.attributes.size(); ++k) {
        if (pin.attributes[k].name != LQ_PIN)
            continue;
        const std::string at = fmt::format("{}/attributes/{}", place, k);
        if (++named > 1)
            return Problem(at, "a pin carries one LQ_PIN attribute; this is a second one");
        if (pin.attributes[k].value.empty())
            return Problem(at + "/1", "the pin name (LQ_PIN) is empty");
    }
    if (named == 0)
        return Problem(place + "/attributes", "the pin has no LQ_PIN attribute, which names it in nets");
    if (pin.layers == 0 || (pin.layers & ~kAllCopperLayers) != 0)
        return Problem(place + "/layers", "copper layers are 1 to 16, at least one");
    if (!FitsAt(part.at, pin.at.x, pin.at.y))
        return Problem(place + "/at", "the pin lies outside the 32-bit coordinate range once placed");
    if (!RectFitsAt(AbsolutePin(part, pin), pin.pad))
        return Problem(place + "/pad", "the pad reaches outside the 32-bit coordinate range once placed");
    return std::nullopt;
}

Result CheckParts(const Board& board)
{
    std::map<std::string, std::size_t> refs;
    for (std::size_t i = 0; i < board.parts.size(); ++i) {
        const Part& part = board.parts[i];
        const std::string place = fmt::format("/parts/{}", i);
        if (part.ref.empty())
            return Problem(place + "/ref", "the reference designator is empty");
        if (auto [it, fresh] = refs.emplace(part.ref, i); !fresh)
            return Problem(place + "/ref",
                           fmt::format("duplicate reference designator \"{}\" (first at /parts/{})", Excerpt(part.ref), it->second));
        if (!RectFitsAt(part.at, part.outline))
            return Problem(place + "/outline", "the outline reaches outside the 32-bit coordinate range once placed");
        if (Result r = CheckAttributeNames(part.attributes, place + "/attributes"))
            return r;
        for (std::size_t k = 0; k < part.attributes.size(); ++k) {
            const Attribute& a = part.attributes[k];
            const std::string at = fmt::format("{}/attributes/{}", place, k);
            if (a.name == LQ_REFDES)
                return Problem(at, "the reference designator is the part's \"ref\", not an attribute");
            if (a.name == LQ_GATESWAP && !IsGateSwapSetting(a.value))
                return Problem(at + "/1", fmt::format("LQ_GATESWAP is a whole number from 0 to {}, not \"{}\"",
                                                          kMaxGateSwapSetting, Excerpt(a.value)));
        }
        std::map<std::string, std::size_t> names;
        for (std::size_t j = 0; j < part.pins.size(); ++j) {
            const std::string pinPlace = fmt::format("{}/pins/{}", place, j);
            if (Result r = CheckPin(part, part.pins[j], pinPlace))
                return r;
            const std::string name = PinName(part.pins[j]);
            if (auto [it, fresh] = names.emplace(name, j); !fresh)
                return Problem(pinPlace, fmt::format("duplicate pin \"{}\" in part {} (first at {}/pins/{})", Excerpt(name),
                                                     Excerpt(part.ref), place, it->second));
        }
    }
    return std::nullopt;
}

Result CheckNets(const Board& board, const BoardIndex& index)
{
    std::map<std::string, std::size_t> names;
    std::map<PinIndex, std::size_t> netOfPin;
    for (std::size_t n = 0; n < board.nets.size(); ++n) {
        const Net& net = board.nets[n];
        const std::string place = fmt::format("/nets/{}", n);
        if (net.name.empty())
            return Problem(place + "/name", "the net name is empty");
        if (auto [it, fresh] = names.emplace(net.name, n); !fresh)
            return Problem(place + "/name",
                           fmt::format("duplicate net name \"{}\" (first at /nets/{})", Excerpt(net.name), it->second));
        for (std::size_t k = 0; k < net.pins.size(); ++k) {
            const PinRef& ref = net.pins[k];
            const std::string at = fmt::format("{}/pins/{}", place, k);
            if (!index.FindPart(ref.part))
                return Problem(at, fmt::format("unknown part \"{}\"", Excerpt(ref.part)));
            const auto pin = index.FindPin(ref);
            if (!pin)
                return Problem(at, fmt::format("part {} has no pin \"{}\"", Excerpt(ref.part), Excerpt(ref.pin)));
            if (auto [it, fresh] = netOfPin.emplace(*pin, n); !fresh)
                return Problem(at, fmt::format("pin {}.{} is already on net \"{}\"", Excerpt(ref.part), Excerpt(ref.pin),
                                               Excerpt(board.nets[it->second].name)));
        }
    }
    return std::nullopt;
}

Result CheckCopperNet(const std::string& net, const BoardIndex& index, const std::string& place)
{
    if (!net.empty() && !index.FindNet(net))
        return Problem(place + "/net", fmt::format("unknown net \"{}\"", Excerpt(net)));
    return std::nullopt;
}

bool IsCopperLayer(int layer) { return layer >= 1 && layer <= 16; }

Result CheckCopper(const Board& board, const BoardIndex& index)
{
    for (std::size_t i = 0; i < board.tracks.size(); ++i) {
        const Track& t = board.tracks[i];
        const std::string place = fmt::format("/copper/tracks/{}", i);
        if (Result r = CheckCopperNet(t.net, index, place))
            return r;
        if (!IsCopperLayer(t.layer))
            return Problem(place + "/layer", "copper layers are 1 to 16");
        if (t.width < 0)
            return Problem(place + "/width", "the width is negative");
    }
    for (std::size_t i = 0; i < board.vias.size(); ++i) {
        const std::string place = fmt::format("/copper/vias/{}", i);
        if (Result r = CheckCopperNet(board.vias[i].net, index, place))
            return r;
        if (board.vias[i].diameter < 0)
            return Problem(place + "/diameter", "the diameter is negative");
    }
    for (std::size_t i = 0; i < board.polygons.size(); ++i) {
        const Polygon& p = board.polygons[i];
        const std::string place = fmt::format("/copper/polygons/{}", i);
        if (Result r = CheckCopperNet(p.net, index, place))
            return r;
        if (!IsCopperLayer(p.layer))
            return Problem(place + "/layer", "copper layers are 1 to 16");
        if (p.points.size() < 3)
            return Problem(place + "/points", "a polygon has at least 3 points");
    }
    return std::nullopt;
}

Result CheckSheet(const SheetSettings& sheet)
{
    if (sheet.documentType.empty())
        return Problem("/sheet/documentType", "the document type is empty");
    if (sheet.moveSwap.mode < 0 || sheet.moveSwap.mode > 3)
        return Problem("/sheet/moveSwap/mode", "the move-swap mode is 0, 1, 2 or 3");
    if (sheet.zoom < 1 || sheet.zoom > 1000000000)
        return Problem("/sheet/zoom", "the zoom is 1 to 1000000000 nm per pixel");
    return std::nullopt;
}

}  // namespace

std::optional<BoardProblem> CheckBoard(const Board& board)
{
    if (Result r = CheckSheet(board.sheet))
        return r;
    if (Result r = CheckParts(board))
        return r;
    const BoardIndex index(board);
    if (Result r = CheckNets(board, index))
        return r;
    return CheckCopper(board, index);
}

}  // namespace lq
