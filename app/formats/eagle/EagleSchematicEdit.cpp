#include "app/formats/eagle/EagleSchematicEdit.h"

#include <map>
#include <utility>

#include "app/formats/eagle/EagleValues.h"

namespace lq::eagle {

namespace {

using GateKey = std::pair<std::string, std::string>;  // part, gate

struct WireEdit {
    pugi::xml_node wire;
    const char* x;
    const char* y;
    Point to;
};

// Where a pin of a symbol lies on the sheet, as placed by instance.
Point PinOnSheet(const XmlFile& file, const pugi::xml_node& instance, const PinDef& pin)
{
    const Placement placement(VecAt(file, instance), RotationOf(file, instance));
    const Vec at = placement.Apply(pin.at);
    return Point{Round(file, instance, at.x, "a pin"), Round(file, instance, at.y, "a pin")};
}

void SetPoint(pugi::xml_node node, const char* x, const char* y, const Point& p)
{
    node.attribute(x).set_value(FormatMillimetres(p.x / 1e6).c_str());
    node.attribute(y).set_value(FormatMillimetres(p.y / 1e6).c_str());
}

}  // namespace

void ApplyExchanges(EagleDesign& design, const Board& board, const SchematicExchanges& exchanges)
{
    if (!design.schematic || (exchanges.gates.empty() && exchanges.pins.empty()))
        return;
    const XmlFile& sch = *design.schematic;
    auto keyOf = [&](std::size_t g) { return GateKey{board.parts[design.gates[g].part].ref, design.gates[g].name}; };
    std::map<GateKey, std::size_t> gateIndex;
    for (std::size_t g = 0; g < design.gates.size(); ++g)
        gateIndex.emplace(keyOf(g), g);
    std::map<GateKey, GateKey> relabel;
    for (const GateExchange& e : exchanges.gates)
        relabel.emplace(keyOf(e.from), keyOf(e.to));
    std::map<std::pair<std::size_t, std::string>, std::string> rename;
    for (const PinExchange& e : exchanges.pins)
        rename.emplace(std::make_pair(e.gate, e.from), e.to);

    // Everything is decided on the document as read, then applied, so that one wire end moved
    // to a pin is never taken for an end on that pin.
    const pugi::xml_node schematic = sch.Root().child("drawing").child("schematic");
    std::map<GateKey, pugi::xml_node> instances;
    for (const pugi::xml_node sheet : Children(schematic.child("sheets"), "sheet"))
        for (const pugi::xml_node instance : Children(sheet.child("instances"), "instance"))
            instances.emplace(GateKey{instance.attribute("part").value(), instance.attribute("gate").value()}, instance);

    std::vector<std::pair<pugi::xml_node, std::pair<GateKey, std::string>>> refEdits;
    std::vector<WireEdit> wireEdits;
    for (const pugi::xml_node sheet : Children(schematic.child("sheets"), "sheet"))
        for (const pugi::xml_node net : Children(sheet.child("nets"), "net"))
            for (const pugi::xml_node segment : Children(net, "segment"))
                for (const pugi::xml_node ref : Children(segment, "pinref")) {
                    const GateKey was{ref.attribute("part").value(), ref.attribute("gate").value()};
                    const auto moved = relabel.find(was);
                    const GateKey is = moved == relabel.end() ? was : moved->second;
                    const auto gate = gateIndex.find(is);
                    if (gate == gateIndex.end())
                        continue;  // a part the board does not have, such as a supply symbol
                    const std::string pin = ref.attribute("pin").value();
                    const auto renamed = rename.find({gate->second, pin});
                    const std::string newPin = renamed == rename.end() ? pin : renamed->second;
                    if (is != was || newPin != pin)
                        refEdits.push_back({ref, {is, newPin}});
                    if (newPin == pin)
                        continue;
                    const pugi::xml_node instance = instances.at(was);
                    const SymbolDef& symbol = *design.gates[gateIndex.at(was)].def->symbol;
                    const Point from = PinOnSheet(sch, instance, *symbol.FindPin(pin));
                    const Point to = PinOnSheet(sch, instance, *symbol.FindPin(newPin));
                    for (const pugi::xml_node wire : Children(segment, "wire")) {
                        if (PointAt(sch, wire, "x1", "y1") == from)
                            wireEdits.push_back({wire, "x1", "y1", to});
                        if (PointAt(sch, wire, "x2", "y2") == from)
                            wireEdits.push_back({wire, "x2", "y2", to});
                    }
                }

    for (const auto& [from, to] : relabel)
        if (const auto it = instances.find(from); it != instances.end()) {
            it->second.attribute("part").set_value(to.first.c_str());
            it->second.attribute("gate").set_value(to.second.c_str());
        }
    for (auto& [ref, to] : refEdits) {
        ref.attribute("part").set_value(to.first.first.c_str());
        ref.attribute("gate").set_value(to.first.second.c_str());
        ref.attribute("pin").set_value(to.second.c_str());
    }
    for (const WireEdit& e : wireEdits)
        SetPoint(e.wire, e.x, e.y, e.to);
}

}  // namespace lq::eagle
