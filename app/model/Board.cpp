#include "app/model/Board.h"

#include "host/AttributeNames.h"

namespace lq {

namespace {
std::int32_t Narrow(std::int64_t v) { return static_cast<std::int32_t>(v); }

Rect Offset(const Rect& r, const Point& by)
{
    return Rect{Narrow(std::int64_t{by.x} + r.x1), Narrow(std::int64_t{by.y} + r.y1), Narrow(std::int64_t{by.x} + r.x2),
                Narrow(std::int64_t{by.y} + r.y2)};
}
}  // namespace

std::optional<std::string> FindAttribute(const Attributes& attributes, const std::string& name)
{
    for (const Attribute& a : attributes)
        if (a.name == name)
            return a.value;
    return std::nullopt;
}

std::string PinName(const Pin& pin) { return FindAttribute(pin.attributes, LQ_PIN).value_or(""); }

Point AbsolutePin(const Part& part, const Pin& pin)
{
    return Point{Narrow(std::int64_t{part.at.x} + pin.at.x), Narrow(std::int64_t{part.at.y} + pin.at.y)};
}

Rect AbsolutePad(const Part& part, const Pin& pin) { return Offset(pin.pad, AbsolutePin(part, pin)); }

Rect AbsoluteOutline(const Part& part) { return Offset(part.outline, part.at); }

BoardIndex::BoardIndex(const Board& board)
{
    std::size_t nPins = 0;
    m_firstPin.reserve(board.parts.size() + 1);
    for (const Part& part : board.parts) {
        m_firstPin.push_back(nPins);
        nPins += part.pins.size();
    }
    m_firstPin.push_back(nPins);
    m_parts.reserve(board.parts.size());
    m_pins.reserve(nPins);
    for (std::size_t i = 0; i < board.parts.size(); ++i) {
        const Part& part = board.parts[i];
        m_parts.emplace(part.ref, i);
        for (std::size_t j = 0; j < part.pins.size(); ++j)
            m_pins.emplace(std::make_pair(i, PinName(part.pins[j])), j);
    }
    m_nets.reserve(board.nets.size());
    m_netOfPin.assign(nPins, kNoNet);
    for (std::size_t n = 0; n < board.nets.size(); ++n) {
        m_nets.emplace(board.nets[n].name, n);
        for (const PinRef& ref : board.nets[n].pins)
            if (const auto pin = FindPin(ref)) {
                std::size_t& net = m_netOfPin[m_firstPin[pin->part] + pin->pin];
                if (net == kNoNet)
                    net = n;
            }
    }
}

std::optional<std::size_t> BoardIndex::FindPart(const std::string& ref) const
{
    const auto it = m_parts.find(ref);
    return it == m_parts.end() ? std::nullopt : std::optional<std::size_t>(it->second);
}

std::optional<PinIndex> BoardIndex::FindPin(const PinRef& ref) const
{
    const auto part = FindPart(ref.part);
    if (!part)
        return std::nullopt;
    const auto it = m_pins.find(std::make_pair(*part, ref.pin));
    return it == m_pins.end() ? std::nullopt : std::optional<PinIndex>(PinIndex{*part, it->second});
}

std::optional<std::size_t> BoardIndex::FindNet(const std::string& name) const
{
    const auto it = m_nets.find(name);
    return it == m_nets.end() ? std::nullopt : std::optional<std::size_t>(it->second);
}

std::optional<std::size_t> BoardIndex::NetOfPin(const PinIndex& pin) const
{
    if (pin.part >= m_firstPin.size() - 1 || pin.pin >= m_firstPin[pin.part + 1] - m_firstPin[pin.part])
        return std::nullopt;
    const std::size_t net = m_netOfPin[m_firstPin[pin.part] + pin.pin];
    return net == kNoNet ? std::nullopt : std::optional<std::size_t>(net);
}

}  // namespace lq
