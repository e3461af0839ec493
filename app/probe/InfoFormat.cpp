#include "app/probe/InfoFormat.h"

#include <fmt/core.h>

#include <nlohmann/json.hpp>

#include "app/core/Text.h"
#include "app/play/PlayTokens.h"
#include "app/report/Labels.h"

namespace lq {

namespace {

using Json = nlohmann::ordered_json;

std::string PinNames(const Board& board, const std::vector<PinIndex>& pins)
{
    std::vector<std::string> names;
    for (const PinIndex& p : pins)
        names.push_back(PinName(board.parts.at(p.part).pins.at(p.pin)));
    return JoinTexts(names, " ");
}

std::string GateList(const Board& board, const BoardProbe& probe, const std::vector<std::size_t>& gates)
{
    std::vector<std::string> labels;
    for (std::size_t g : gates)
        labels.push_back(GateLabel(board, probe.gates[g]));
    return JoinTexts(labels);
}

std::string PinList(const Board& board, const std::vector<PinIndex>& pins)
{
    std::vector<std::string> labels;
    for (const PinIndex& p : pins)
        labels.push_back(PinLabel(board, p));
    return JoinTexts(labels);
}

std::string GateLine(const Board& board, const BoardProbe& probe, const ProbedGate& g)
{
    std::string line = fmt::format("  {:<16} {:<7} at {}, {}", GateLabel(board, g), g.pseudo ? "pseudo" : "real",
                                   play::FormatLength(g.centre.x), play::FormatLength(g.centre.y));
    if (g.hiddenBy)
        return line + fmt::format("; its marker lies under {}'s, so it cannot be picked",
                                  GateLabel(board, probe.gates[*g.hiddenBy]));
    line += fmt::format("; pins {}", g.pins.empty() ? PinNames(board, g.signalPins) : PinNames(board, g.pins));
    if (!g.swappable)
        return line + "; may not be swapped";
    if (g.candidates.empty())
        return line + "; no other gate may take its place";
    return line + fmt::format("; group {}, swaps with {}", *g.group + 1, GateList(board, probe, g.candidates));
}

std::string PinLine(const Board& board, const ProbedPin& p)
{
    const std::string label = fmt::format("  {:<10} ", PinLabel(board, p.pin));
    switch (p.answer) {
    case ProbedPin::Answer::NoPinGroup:
        return label + "no pin group";
    case ProbedPin::Answer::Message:
        return label + fmt::format("the swap pin tool says \"{}\"", p.message);
    case ProbedPin::Answer::Missed:
        return label + "a click on its pad picks nothing";
    case ProbedPin::Answer::Hidden:
        return label + fmt::format("a click on its pad picks {}", PinLabel(board, *p.hiddenBy));
    case ProbedPin::Answer::Picked:
        break;
    }
    if (!p.swappable)
        return label + "has a pin group but may not be swapped";
    if (p.candidates.empty())
        return label + "no other pin may take its place";
    return label + fmt::format("group {}, swaps with {}", *p.group + 1, PinList(board, p.candidates));
}

const char* AnswerName(ProbedPin::Answer a)
{
    switch (a) {
    case ProbedPin::Answer::Picked: return "picked";
    case ProbedPin::Answer::NoPinGroup: return "no-pin-group";
    case ProbedPin::Answer::Message: return "message";
    case ProbedPin::Answer::Missed: return "missed";
    case ProbedPin::Answer::Hidden: return "hidden";
    }
    return "";
}

// The number of gates on each part, in part order.
std::vector<std::size_t> GatesPerPart(const Board& board, const BoardProbe& probe)
{
    std::vector<std::size_t> counts(board.parts.size());
    for (const ProbedGate& g : probe.gates)
        if (g.part && *g.part < counts.size())
            ++counts[*g.part];
    return counts;
}

template <class T>
Json OptionalIndex(const std::optional<T>& v)
{
    return v ? Json(*v + 1) : Json(nullptr);
}

}  // namespace

std::string GateLabel(const Board& board, const ProbedGate& gate)
{
    const std::string part = gate.part ? board.parts.at(*gate.part).ref : "?";
    if (!gate.name.empty())
        return part + " " + gate.name;
    return part + (gate.pseudo ? " (pseudo-gate)" : " (no name)");
}

std::string FormatInfoText(const Board& board, const std::string& name, const BoardProbe& probe,
                           const std::vector<std::string>& swapRules)
{
    std::size_t pins = 0, pseudo = 0;
    for (const Part& p : board.parts)
        pins += p.pins.size();
    for (const ProbedGate& g : probe.gates)
        pseudo += g.pseudo ? 1 : 0;
    std::string out = fmt::format("{}: {}, {}, {}, as the plug-in sees them\n", name, Counted(board.parts.size(), "part"),
                                  Counted(pins, "pin"), Counted(board.nets.size(), "net"));

    out += "\nParts\n";
    const std::vector<std::size_t> gatesPerPart = GatesPerPart(board, probe);
    for (std::size_t i = 0; i < board.parts.size(); ++i) {
        const std::size_t gates = gatesPerPart[i];
        const std::size_t n = board.parts[i].pins.size();
        out += fmt::format("  {:<10} {:>4} {:<5} {}{}\n", board.parts[i].ref, n, n == 1 ? "pin," : "pins,", Counted(gates, "gate"),
                           i < swapRules.size() ? "; swap rule: " + swapRules[i] : "");
    }

    out += fmt::format("\nGates ({}: {} real, {} pseudo)\n", probe.gates.size(), probe.gates.size() - pseudo, pseudo);
    for (const ProbedGate& g : probe.gates)
        out += GateLine(board, probe, g) + "\n";

    out += "\nGate groups (gates that may take each other's places)\n";
    if (probe.gateGroups.empty())
        out += "  none\n";
    for (std::size_t k = 0; k < probe.gateGroups.size(); ++k)
        out += fmt::format("  {}: {}\n", k + 1, GateList(board, probe, probe.gateGroups[k]));

    out += "\nPin groups (pins that may take each other's places)\n";
    if (probe.pinGroups.empty())
        out += "  none\n";
    for (std::size_t k = 0; k < probe.pinGroups.size(); ++k)
        out += fmt::format("  {}: {}\n", k + 1, PinList(board, probe.pinGroups[k]));

    out += "\nPins\n";
    for (const ProbedPin& p : probe.pins)
        out += PinLine(board, p) + "\n";

    out += "\nNot seen through the plug-in's boundary\n";
    for (const std::string& note : probe.notes)
        out += "  - " + note + "\n";
    return out;
}

std::string FormatInfoJson(const Board& board, const std::string& name, const BoardProbe& probe,
                           const std::vector<std::string>& swapRules)
{
    Json j;
    j["board"] = name;
    j["parts"] = Json::array();
    const std::vector<std::size_t> gatesPerPart = GatesPerPart(board, probe);
    for (std::size_t i = 0; i < board.parts.size(); ++i) {
        j["parts"].push_back(
            Json{{"ref", board.parts[i].ref}, {"pins", board.parts[i].pins.size()}, {"gates", gatesPerPart[i]}});
        if (i < swapRules.size())
            j["parts"].back()["swapRule"] = swapRules[i];
    }
    j["gates"] = Json::array();
    for (std::size_t i = 0; i < probe.gates.size(); ++i) {
        const ProbedGate& g = probe.gates[i];
        Json gate{{"id", i + 1},
                  {"part", g.part ? Json(board.parts[*g.part].ref) : Json(nullptr)},
                  {"name", g.name},
                  {"kind", g.pseudo ? "pseudo" : "real"},
                  {"centre", Json::array({g.centre.x, g.centre.y})}};
        gate["pins"] = Json::array();
        for (const PinIndex& p : g.pins)
            gate["pins"].push_back(PinLabel(board, p));
        gate["signalPins"] = Json::array();
        for (const PinIndex& p : g.signalPins)
            gate["signalPins"].push_back(PinLabel(board, p));
        gate["picked"] = !g.hiddenBy;
        gate["hiddenBy"] = OptionalIndex(g.hiddenBy);
        gate["swappable"] = g.swappable;
        gate["candidates"] = Json::array();
        for (std::size_t c : g.candidates)
            gate["candidates"].push_back(c + 1);
        gate["group"] = OptionalIndex(g.group);
        j["gates"].push_back(std::move(gate));
    }
    j["gateGroups"] = Json::array();
    for (const auto& group : probe.gateGroups) {
        Json ids = Json::array();
        for (std::size_t g : group)
            ids.push_back(g + 1);
        j["gateGroups"].push_back(std::move(ids));
    }
    j["pins"] = Json::array();
    for (const ProbedPin& p : probe.pins) {
        Json pin{{"pin", PinLabel(board, p.pin)}, {"answer", AnswerName(p.answer)}};
        if (p.answer == ProbedPin::Answer::Message)
            pin["message"] = p.message;
        if (p.hiddenBy)
            pin["hiddenBy"] = PinLabel(board, *p.hiddenBy);
        pin["swappable"] = p.swappable;
        pin["candidates"] = Json::array();
        for (const PinIndex& c : p.candidates)
            pin["candidates"].push_back(PinLabel(board, c));
        pin["group"] = OptionalIndex(p.group);
        j["pins"].push_back(std::move(pin));
    }
    j["pinGroups"] = Json::array();
    for (const auto& group : probe.pinGroups) {
        Json pins = Json::array();
        for (const PinIndex& p : group)
            pins.push_back(PinLabel(board, p));
        j["pinGroups"].push_back(std::move(pins));
    }
    j["notSeen"] = probe.notes;
    return j.dump(2) + "\n";
}

}  // namespace lq
