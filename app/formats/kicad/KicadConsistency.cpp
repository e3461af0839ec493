#include "app/formats/kicad/KicadConsistency.h"

#include <fmt/core.h>

#include <algorithm>
#include <map>
#include <set>

namespace lq::kicad {

namespace {

std::string Name(const PinKey& pin) { return pin.first + "." + pin.second; }
std::string NetText(const std::string& net) { return net.empty() ? "no net" : "net " + net; }

}  // namespace

std::vector<std::string> ConsistencyProblems(const KicadDesign& design)
{
    std::vector<std::string> problems;
    if (!design.project)
        return problems;
    const KicadProject& project = *design.project;

    // The board's net of every pad of a footprint that has a symbol.
    std::map<PinKey, std::string> boardNet;
    for (const PartLink& part : design.parts) {
        if (part.lib == nullptr)
            continue;
        const KicadFootprint& fp = design.board.footprints[part.footprint];
        for (const KicadPad& pad : fp.pads) {
            if (pad.number.empty() || pad.kind == PadKind::NonPlated)
                continue;
            const auto [it, fresh] = boardNet.emplace(PinKey{fp.ref, pad.number}, pad.net);
            if (!fresh && it->second != pad.net)
                problems.push_back(fmt::format("pads {} are on {} and on {}", Name(it->first), NetText(it->second),
                                               NetText(pad.net)));
        }
    }

    // Which board nets each schematic net reaches, and which schematic nets each board net.
    std::map<std::size_t, std::map<std::string, PinKey>> netsOfSchematicNet;
    std::map<std::string, std::map<std::size_t, PinKey>> netsOfBoardNet;
    for (const auto& [pin, net] : design.nets.netOfPin) {
        const auto pad = boardNet.find(pin);
        if (pad == boardNet.end())
            continue;
        netsOfSchematicNet[net].emplace(pad->second, pin);
        if (!pad->second.empty())
            netsOfBoardNet[pad->second].emplace(net, pin);
    }
    for (const auto& [net, boardNets] : netsOfSchematicNet)
        if (boardNets.size() > 1) {
            const auto a = boardNets.begin(), b = std::next(a);
            problems.push_back(fmt::format("pins {} and {} are joined in the schematic, but pad {} is on {} and pad {} on {}",
                                           Name(a->second), Name(b->second), Name(a->second), NetText(a->first),
                                           Name(b->second), NetText(b->first)));
        }
    for (const auto& [net, schematicNets] : netsOfBoardNet)
        if (schematicNets.size() > 1) {
            const auto a = schematicNets.begin(), b = std::next(a);
            problems.push_back(fmt::format("pads {} and {} share net {} on the board, but the schematic does not join their pins",
                                           Name(a->second), Name(b->second), net));
        }
    // A pad whose pin the schematic does not place (a unit left unplaced) stays off the nets of placed pins.
    for (const auto& [pin, net] : boardNet)
        if (!net.empty() && design.nets.netOfPin.count(pin) == 0) {
            const auto shared = netsOfBoardNet.find(net);
            if (shared != netsOfBoardNet.end())
                problems.push_back(fmt::format("pad {} shares net {} with pin {}, but the schematic places no pin {}",
                                               Name(pin), net, Name(shared->second.begin()->second), Name(pin)));
        }

    // Every footprint's link leads to a placed symbol of its own reference.
    std::map<std::string, const SymbolUse*> byPath;
    for (const SymbolUse& use : project.uses)
        byPath.emplace(project.FootprintPath(use), &use);
    for (const PartLink& part : design.parts) {
        const KicadFootprint& fp = design.board.footprints[part.footprint];
        const auto it = byPath.find(fp.path);
        if (part.lib != nullptr && it != byPath.end() && it->second->ref != fp.ref)
            problems.push_back(fmt::format("footprint {} is linked to a symbol that is {} in the schematic", fp.ref,
                                           it->second->ref));
    }
    std::sort(problems.begin(), problems.end());
    return problems;
}

}  // namespace lq::kicad
