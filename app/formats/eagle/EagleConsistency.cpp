#include "app/formats/eagle/EagleConsistency.h"

#include <fmt/core.h>

#include <map>
#include <set>
#include <tuple>

namespace lq::eagle {

namespace {

using PinKey = std::tuple<std::string, std::string, std::string>;  // part, gate, pin

// A pad of a described part: the gate and pin its device connects it to.
const ConnectDef* ConnectOf(const PartLink& link, const std::string& pad)
{
    for (const ConnectDef& c : link.device->connects)
        for (const std::string& p : c.pads)
            if (p == pad)
                return &c;
    return nullptr;
}

}  // namespace

std::vector<std::string> ConsistencyProblems(const EagleDesign& design)
{
    std::vector<std::string> problems;
    if (!design.schematic)
        return problems;
    std::map<std::string, const PartLink*> described;
    for (const PartLink& link : design.parts)
        if (link.part)
            described.emplace(link.element.attribute("name").value(), &link);

    std::map<PinKey, std::set<std::string>> netOfPin;
    std::set<std::pair<std::string, std::string>> placed;
    const pugi::xml_node schematic = design.schematic->Root().child("drawing").child("schematic");
    for (const pugi::xml_node sheet : Children(schematic.child("sheets"), "sheet")) {
        for (const pugi::xml_node instance : Children(sheet.child("instances"), "instance"))
            placed.emplace(instance.attribute("part").value(), instance.attribute("gate").value());
        for (const pugi::xml_node net : Children(sheet.child("nets"), "net"))
            for (const pugi::xml_node segment : Children(net, "segment"))
                for (const pugi::xml_node ref : Children(segment, "pinref"))
                    netOfPin[{ref.attribute("part").value(), ref.attribute("gate").value(), ref.attribute("pin").value()}]
                        .insert(net.attribute("name").value());
    }

    std::map<std::pair<std::string, std::string>, std::string> signalOfPad;
    const pugi::xml_node board = design.board->Root().child("drawing").child("board");
    for (const pugi::xml_node signal : Children(board.child("signals"), "signal")) {
        const std::string name = signal.attribute("name").value();
        for (const pugi::xml_node ref : Children(signal, "contactref")) {
            const std::string element = ref.attribute("element").value(), pad = ref.attribute("pad").value();
            signalOfPad[{element, pad}] = name;
            const auto link = described.find(element);
            const ConnectDef* c = link == described.end() ? nullptr : ConnectOf(*link->second, pad);
            if (c == nullptr)
                continue;
            const auto nets = netOfPin.find({element, c->gate, c->pin});
            if (nets == netOfPin.end()) {
                if (placed.count({element, c->gate}) != 0)
                    problems.push_back(fmt::format("pad {}.{} is in signal {}, but pin {}.{}.{} is on no net", element, pad,
                                                   name, element, c->gate, c->pin));
            } else if (nets->second.count(name) == 0) {
                problems.push_back(fmt::format("pad {}.{} is in signal {}, but pin {}.{}.{} is on net {}", element, pad, name,
                                               element, c->gate, c->pin, *nets->second.begin()));
            }
        }
    }

    for (const auto& [key, nets] : netOfPin) {
        const auto& [part, gate, pin] = key;
        const auto link = described.find(part);
        if (link == described.end())
            continue;
        for (const ConnectDef& c : link->second->device->connects) {
            if (c.gate != gate || c.pin != pin)
                continue;
            for (const std::string& pad : c.pads) {
                const auto it = signalOfPad.find({part, pad});
                for (const std::string& net : nets)
                    if (it == signalOfPad.end() || it->second != net)
                        problems.push_back(fmt::format("pin {}.{}.{} is on net {}, but pad {}.{} is {}", part, gate, pin,
                                                       net, part, pad,
                                                       it == signalOfPad.end() ? "in no signal" : "in signal " + it->second));
            }
        }
    }
    return problems;
}

}  // namespace lq::eagle
