#include "app/formats/eagle/EagleSchematicReader.h"

#include <fmt/core.h>

#include <set>

#include "app/formats/eagle/EagleValues.h"
#include "host/AttributeNames.h"

namespace lq::eagle {

namespace {

struct SchematicPart {
    pugi::xml_node node;
    const LibraryDef* library = nullptr;
    const DeviceSetDef* deviceset = nullptr;
    const DeviceDef* device = nullptr;
};

using PartMap = std::map<std::string, SchematicPart>;

PartMap ReadParts(const XmlFile& file, const pugi::xml_node& schematic, const LibrarySet& libraries)
{
    PartMap parts;
    for (const pugi::xml_node node : Children(schematic.child("parts"), "part")) {
        const std::string name = Text(file, node, "name");
        if (name.empty())
            file.Fail(node, "the part name is empty");
        const auto [it, fresh] = parts.try_emplace(name);
        if (!fresh)
            file.Fail(node, fmt::format("a second part named \"{}\" (the first is on line {})", name, file.Line(it->second.node)));
        SchematicPart& part = it->second;
        part.node = node;
        const std::string library = Text(file, node, "library");
        part.library = libraries.Find(library, TextOr(file, node, "library_urn", ""));
        if (part.library == nullptr)
            file.Fail(node, fmt::format("library \"{}\" is not in the schematic's libraries", library));
        const std::string set = Text(file, node, "deviceset");
        const auto found = part.library->devicesets.find(set);
        if (found == part.library->devicesets.end())
            file.Fail(node, fmt::format("library {} has no device set \"{}\"", library, set));
        part.deviceset = &found->second;
        const std::string device = Text(file, node, "device");
        part.device = part.deviceset->FindDevice(device);
        if (part.device == nullptr)
            file.Fail(node, fmt::format("device set {} has no device \"{}\"", set, device));
    }
    return parts;
}

const GateDef* KnownGate(const XmlFile& file, const pugi::xml_node& node, const PartMap& parts)
{
    const std::string part = Text(file, node, "part");
    const auto it = parts.find(part);
    if (it == parts.end())
        file.Fail(node, fmt::format("part \"{}\" is not in the schematic", part));
    const std::string gate = Text(file, node, "gate");
    const GateDef* def = it->second.deviceset->FindGate(gate);
    if (def == nullptr)
        file.Fail(node, fmt::format("part {} (device set {}) has no gate \"{}\"", part, it->second.deviceset->name, gate));
    return def;
}

// The write-back relies on every instance and pin reference leading to a gate and pin, and on
// each pin reference having its gate's instance on the same sheet.
void CheckSheets(const XmlFile& file, const pugi::xml_node& schematic, const PartMap& parts)
{
    std::map<std::pair<std::string, std::string>, pugi::xml_node> placed;
    for (const pugi::xml_node sheet : Children(schematic.child("sheets"), "sheet")) {
        std::set<std::pair<std::string, std::string>> here;
        for (const pugi::xml_node instance : Children(sheet.child("instances"), "instance")) {
            KnownGate(file, instance, parts);
            const auto key = std::make_pair(Text(file, instance, "part"), Text(file, instance, "gate"));
            if (const auto [it, fresh] = placed.emplace(key, instance); !fresh)
                file.Fail(instance, fmt::format("gate {}.{} is placed twice (also on line {})", key.first, key.second,
                                                file.Line(it->second)));
            here.insert(key);
            Nanometres(file, instance, "x"), Nanometres(file, instance, "y"), RotationOf(file, instance);
        }
        for (const pugi::xml_node net : Children(sheet.child("nets"), "net"))
            for (const pugi::xml_node segment : Children(net, "segment")) {
                for (const pugi::xml_node wire : Children(segment, "wire"))
                    for (const char* a : {"x1", "y1", "x2", "y2"})
                        Nanometres(file, wire, a);
                for (const pugi::xml_node ref : Children(segment, "pinref")) {
                    const GateDef* gate = KnownGate(file, ref, parts);
                    const std::string pin = Text(file, ref, "pin");
                    if (gate->symbol->FindPin(pin) == nullptr)
                        file.Fail(ref, fmt::format("gate {} (symbol {}) has no pin \"{}\"", gate->name, gate->symbol->name, pin));
                    if (here.count(std::make_pair(Text(file, ref, "part"), gate->name)) == 0)
                        file.Fail(ref, fmt::format("gate {}.{} has no instance on this sheet", Text(file, ref, "part"), gate->name));
                }
            }
    }
}

Attributes UserAttributes(const XmlFile& file, const pugi::xml_node& node)
{
    Attributes out;
    for (const pugi::xml_node a : Children(node, "attribute")) {
        const std::string name = Text(file, a, "name");
        if (name.empty())
            file.Fail(a, "the attribute name is empty");
        out.push_back(Attribute{name, TextOr(file, a, "value", "")});
    }
    return out;
}

Attributes ElementAttributes(const XmlFile& file, const pugi::xml_node& element)
{
    return {{"value", TextOr(file, element, "value", "")},
            {"library", Text(file, element, "library")},
            {"package", Text(file, element, "package")}};
}

void Append(Attributes& to, const Attributes& from) { to.insert(to.end(), from.begin(), from.end()); }

// Eagle's pin swap level, with two additions the plug-in needs: a gate is matched pin group by
// pin group, so every signal pin of an exchangeable gate gets one (level 0: one naming the pin,
// shared with no other pin of the gate); and a pin on several pads keeps its pads together.
std::string PinGroup(const GateDef& gate, const PinDef& pin, std::size_t pads)
{
    if (pin.swaplevel > 0 && pads == 1)
        return std::to_string(pin.swaplevel);
    if (gate.swaplevel > 0 && pin.direction != "pwr")
        return "=" + pin.name;
    return "";
}

void CheckBelonging(const EagleDesign& design, const SchematicPart& sp, const PartLink& link)
{
    const XmlFile& board = *design.board;
    const XmlFile& sch = *design.schematic;
    // Only for messages: a line number is counted, not kept.
    const auto where = [&] { return fmt::format("the schematic's part {} (line {})", Text(sch, sp.node, "name"), sch.Line(sp.node)); };
    const std::string library = Text(board, link.element, "library");
    if (library != sp.library->name)
        board.Fail(link.element, fmt::format("library {}, but {} comes from library {}: the board and schematic do not "
                                             "belong together", library, where(), sp.library->name));
    if (sp.device->package != link.package->name)
        board.Fail(link.element, fmt::format("package {}, but {} has {}: the board and schematic do not belong together",
                                             link.package->name, where(),
                                             sp.device->package.empty() ? "no package" : "package " + sp.device->package));
    for (const ConnectDef& c : sp.device->connects)
        for (const std::string& pad : c.pads)
            if (link.package->FindPad(pad) == nullptr)
                board.Fail(link.element, fmt::format("package {} has no pad \"{}\", which {} connects: the board and "
                                                     "schematic do not belong together", link.package->name, pad, where()));
}

void DescribePart(EagleDesign& design, Board& board, std::size_t i, const SchematicPart& sp)
{
    const XmlFile& sch = *design.schematic;
    PartLink& link = design.parts[i];
    Part& part = board.parts[i];
    CheckBelonging(design, sp, link);
    link.part = sp.node, link.device = sp.device;

    bool exchangeable = false;
    std::map<std::string, std::size_t> gateIndex;
    for (const GateDef& gate : sp.deviceset->gates) {
        exchangeable = exchangeable || gate.swaplevel > 0;
        gateIndex[gate.name] = design.gates.size();
        design.gates.push_back(GateLink{i, gate.name, GateGroupName(*sp.library, gate, part.ref), gate.swaplevel > 0, &gate, {}});
    }
    part.attributes = {{LQ_GATESWAP, exchangeable ? "2" : "1"}};
    Append(part.attributes, ElementAttributes(*design.board, link.element));
    Append(part.attributes, {{"deviceset", sp.deviceset->name}, {"device", sp.device->name},
                             {"technology", TextOr(sch, sp.node, "technology", "")}});
    Append(part.attributes, UserAttributes(sch, sp.node));
    Append(part.attributes, UserAttributes(*design.board, link.element));

    for (const ConnectDef& c : sp.device->connects) {
        const std::size_t g = gateIndex.at(c.gate);
        GateLink& gate = design.gates[g];
        const PinDef& pinDef = *gate.def->symbol->FindPin(c.pin);
        GatePin pin{c.pin, pinDef.swaplevel, {}};
        const std::string group = PinGroup(*gate.def, pinDef, c.pads.size());
        for (const std::string& pad : c.pads) {
            const std::size_t j = link.package->padIndex.at(pad);
            Attributes& a = part.pins[j].attributes;
            a.push_back({LQ_GATE, gate.name});
            a.push_back({LQ_GATEGROUP, gate.group});
            a.push_back({LQ_LABEL, c.pin});
            a.push_back({LQ_PINTYPE, pinDef.direction == "pwr" ? "PWR" : pinDef.direction});
            if (!group.empty())
                a.push_back({LQ_PINGROUP, group});
            pin.pins.push_back(j);
            design.owners.insert(PinIndex{i, j});
        }
        gate.pins.push_back(std::move(pin));
    }
}

void DescribeBoardOnly(const EagleDesign& design, Part& part, const PartLink& link)
{
    part.attributes = {{LQ_GATESWAP, "0"}};
    Append(part.attributes, ElementAttributes(*design.board, link.element));
    Append(part.attributes, UserAttributes(*design.board, link.element));
}

}  // namespace

std::string GateGroupName(const LibraryDef& library, const GateDef& gate, const std::string& part)
{
    const std::string key = library.urn.empty() ? library.name : library.name + "@" + library.urn;
    if (gate.swaplevel > 0)
        return fmt::format("{}/{}/{}", key, gate.symbol->name, gate.swaplevel);
    return fmt::format("{}/{}/0/{}.{}", key, gate.symbol->name, part, gate.name);
}

void ReadSchematicSide(EagleDesign& design, Board& board)
{
    if (!design.schematic) {
        for (std::size_t i = 0; i < board.parts.size(); ++i)
            DescribeBoardOnly(design, board.parts[i], design.parts[i]);
        return;
    }
    const XmlFile& sch = *design.schematic;
    const pugi::xml_node schematic = sch.Root().child("drawing").child("schematic");
    if (!schematic)
        sch.Fail(sch.Root(), "not an Eagle schematic: there is no <drawing><schematic>");
    if (const pugi::xml_node module = schematic.child("modules").child("module"))
        sch.Fail(module, "hierarchical schematics (modules) are not read");
    design.schematicLibraries = std::make_unique<LibrarySet>(sch, schematic, PadRules{});
    const PartMap parts = ReadParts(sch, schematic, *design.schematicLibraries);
    CheckSheets(sch, schematic, parts);

    std::set<std::string> onBoard;
    for (std::size_t i = 0; i < board.parts.size(); ++i) {
        onBoard.insert(board.parts[i].ref);
        const auto it = parts.find(board.parts[i].ref);
        if (it == parts.end())
            DescribeBoardOnly(design, board.parts[i], design.parts[i]);
        else
            DescribePart(design, board, i, it->second);
    }
    for (const auto& [name, part] : parts)
        if (!part.device->package.empty() && onBoard.count(name) == 0)
            sch.Fail(part.node, fmt::format("part {} has package {}, but the board {} has no element {}: the board and "
                                            "schematic do not belong together",
                                            name, part.device->package, design.board->Name(), name));
}

}  // namespace lq::eagle
