#include "app/formats/eagle/EagleLibraries.h"

#include <fmt/core.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <set>
#include <sstream>

#include "app/formats/eagle/EagleValues.h"

namespace lq::eagle {

namespace {

template <class Def>
const Def* FindIn(const std::vector<Def>& defs, const std::string& name)
{
    for (const Def& d : defs)
        if (d.name == name)
            return &d;
    return nullptr;
}

PadDef ReadPad(const XmlFile& file, const pugi::xml_node& node, const PadRules& rules)
{
    PadDef pad;
    pad.name = Text(file, node, "name");
    if (pad.name.empty())
        file.Fail(node, "the pad name is empty");
    pad.node = node;
    pad.centre = VecAt(file, node);
    const Rotation rot = RotationOf(file, node);
    if (std::strcmp(node.name(), "smd") == 0) {
        pad.smd = true;
        pad.layer = Layer(file, node);
        if (pad.layer != 1 && pad.layer != 16)
            file.Fail(node, fmt::format("an smd lies on layer 1 or 16, not {}", pad.layer));
        pad.corners = RectangleCorners(pad.centre, NonNegative(file, node, "dx"), NonNegative(file, node, "dy"), rot.degrees);
    } else {
        const std::string shape = TextOr(file, node, "shape", "round");
        static const std::set<std::string> kShapes{"square", "round", "octagon", "long", "offset"};
        if (kShapes.count(shape) == 0)
            file.Fail(node, fmt::format("shape=\"{}\" is not square, round, octagon, long or offset", shape));
        pad.corners = PadCorners(pad.centre, NonNegative(file, node, "drill"), NonNegative(file, node, "diameter", 0.0),
                                 shape, rot.degrees, rules);
    }
    return pad;
}

void ReadPackage(const XmlFile& file, const pugi::xml_node& node, const PadRules& rules, PackageDef& package)
{
    package.node = node;
    for (const pugi::xml_node child : node.children()) {
        if (std::strcmp(child.name(), "pad") != 0 && std::strcmp(child.name(), "smd") != 0)
            continue;
        if (package.pads.size() >= EagleLimits::kPadsPerPackage)
            file.Fail(child, fmt::format("more than {} pads in one package", EagleLimits::kPadsPerPackage));
        PadDef pad = ReadPad(file, child, rules);
        if (!package.padIndex.emplace(pad.name, package.pads.size()).second)
            file.Fail(child, fmt::format("package {} has two pads named \"{}\"", package.name, pad.name));
        package.pads.push_back(std::move(pad));
    }
}

void ReadSymbol(const XmlFile& file, const pugi::xml_node& node, SymbolDef& symbol)
{
    symbol.node = node;
    for (const pugi::xml_node child : Children(node, "pin")) {
        PinDef pin;
        pin.name = Text(file, child, "name");
        pin.node = child;
        pin.at = VecAt(file, child);
        pin.direction = TextOr(file, child, "direction", "io");
        pin.swaplevel = Integer(file, child, "swaplevel", 0, 0, 255);
        if (!symbol.pinIndex.emplace(pin.name, symbol.pins.size()).second)
            file.Fail(child, fmt::format("symbol {} has two pins named \"{}\"", symbol.name, pin.name));
        symbol.pins.push_back(std::move(pin));
    }
}

std::vector<std::string> SplitPads(const std::string& text)
{
    std::vector<std::string> pads;
    std::istringstream in(text);
    for (std::string pad; in >> pad;)
        pads.push_back(pad);
    return pads;
}

void ReadDevice(const XmlFile& file, const LibraryDef& library, const DeviceSetDef& set, DeviceDef& device)
{
    const PackageDef* package = nullptr;
    if (!device.package.empty()) {
        const auto it = library.packages.find(device.package);
        if (it == library.packages.end())
            file.Fail(device.node, fmt::format("package \"{}\" is not in library {}", device.package, library.name));
        package = &it->second;
    }
    std::set<std::string> padsSeen;
    std::set<std::pair<std::string, std::string>> pinsSeen;
    for (const pugi::xml_node node : Children(device.node.child("connects"), "connect")) {
        ConnectDef c{Text(file, node, "gate"), Text(file, node, "pin"), SplitPads(Text(file, node, "pad")), node};
        const GateDef* gate = set.FindGate(c.gate);
        if (gate == nullptr)
            file.Fail(node, fmt::format("device set {} has no gate \"{}\"", set.name, c.gate));
        if (gate->symbol->FindPin(c.pin) == nullptr)
            file.Fail(node, fmt::format("symbol {} of gate {} has no pin \"{}\"", gate->symbol->name, c.gate, c.pin));
        if (!pinsSeen.emplace(c.gate, c.pin).second)
            file.Fail(node, fmt::format("pin {}.{} is connected twice", c.gate, c.pin));
        if (c.pads.empty())
            file.Fail(node, "the connect names no pad");
        if (package == nullptr)
            file.Fail(node, fmt::format("device \"{}\" has no package to connect to", device.name));
        for (const std::string& pad : c.pads) {
            if (package->FindPad(pad) == nullptr)
                file.Fail(node, fmt::format("package {} has no pad \"{}\"", package->name, pad));
            if (!padsSeen.insert(pad).second)
                file.Fail(node, fmt::format("pad \"{}\" is connected twice", pad));
        }
        device.connects.push_back(std::move(c));
    }
}

void ReadDeviceSet(const XmlFile& file, const pugi::xml_node& node, LibraryDef& library, DeviceSetDef& set)
{
    set.node = node;
    for (const pugi::xml_node child : Children(node.child("gates"), "gate")) {
        GateDef gate;
        gate.name = Text(file, child, "name");
        gate.node = child;
        const std::string symbol = Text(file, child, "symbol");
        const auto it = library.symbols.find(symbol);
        if (it == library.symbols.end())
            file.Fail(child, fmt::format("symbol \"{}\" is not in library {}", symbol, library.name));
        gate.symbol = &it->second;
        gate.swaplevel = Integer(file, child, "swaplevel", 0, 0, 255);
        if (set.FindGate(gate.name) != nullptr)
            file.Fail(child, fmt::format("device set {} has two gates named \"{}\"", set.name, gate.name));
        set.gates.push_back(std::move(gate));
    }
    for (const pugi::xml_node child : Children(node.child("devices"), "device")) {
        DeviceDef device;
        device.name = TextOr(file, child, "name", "");
        device.node = child;
        device.package = TextOr(file, child, "package", "");
        if (set.FindDevice(device.name) != nullptr)
            file.Fail(child, fmt::format("device set {} has two devices named \"{}\"", set.name, device.name));
        set.devices.push_back(std::move(device));
    }
    for (DeviceDef& device : set.devices)
        ReadDevice(file, library, set, device);
}

template <class Def, class Read>
void ReadNamed(const XmlFile& file, const pugi::xml_node& list, const char* tag, const std::string& library,
               std::map<std::string, Def>& into, Read read)
{
    for (const pugi::xml_node node : Children(list, tag)) {
        const std::string name = Text(file, node, "name");
        const auto [it, fresh] = into.try_emplace(name);
        if (!fresh)
            file.Fail(node, fmt::format("library {} has two {}s named \"{}\"", library, tag, name));
        it->second.name = name;
        read(node, it->second);
    }
}

// A design-rule length such as "10mil", "0.254mm", "0.01inch" or "254mic", in nm.
std::optional<double> RuleLength(const std::string& text)
{
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || !std::isfinite(v) || v < 0)
        return std::nullopt;
    const std::string unit(end, text.data() + text.size());
    if (unit == "mm")
        return v * 1e6;
    if (unit == "mil")
        return v * 25400;
    if (unit == "inch")
        return v * 25.4e6;
    if (unit == "mic")
        return v * 1e3;
    return std::nullopt;
}

}  // namespace

const PadDef* PackageDef::FindPad(const std::string& pad) const
{
    const auto it = padIndex.find(pad);
    return it == padIndex.end() ? nullptr : &pads[it->second];
}

const PinDef* SymbolDef::FindPin(const std::string& pin) const
{
    const auto it = pinIndex.find(pin);
    return it == pinIndex.end() ? nullptr : &pins[it->second];
}

const GateDef* DeviceSetDef::FindGate(const std::string& gate) const { return FindIn(gates, gate); }
const DeviceDef* DeviceSetDef::FindDevice(const std::string& device) const { return FindIn(devices, device); }

LibrarySet::LibrarySet(const XmlFile& file, const pugi::xml_node& parent, const PadRules& rules)
{
    for (const pugi::xml_node node : Children(parent.child("libraries"), "library")) {
        const std::string name = Text(file, node, "name");
        const std::string urn = TextOr(file, node, "urn", "");
        const auto [it, fresh] = m_libraries.try_emplace(std::make_pair(name, urn));
        if (!fresh)
            file.Fail(node, fmt::format("library \"{}\" appears twice", name));
        LibraryDef& library = it->second;
        library.name = name, library.urn = urn, library.node = node;
        ReadNamed(file, node.child("packages"), "package", name, library.packages,
                  [&](const pugi::xml_node& n, PackageDef& p) { ReadPackage(file, n, rules, p); });
        ReadNamed(file, node.child("symbols"), "symbol", name, library.symbols,
                  [&](const pugi::xml_node& n, SymbolDef& s) { ReadSymbol(file, n, s); });
        ReadNamed(file, node.child("devicesets"), "deviceset", name, library.devicesets,
                  [&](const pugi::xml_node& n, DeviceSetDef& d) { ReadDeviceSet(file, n, library, d); });
    }
}

const LibraryDef* LibrarySet::Find(const std::string& name, const std::string& urn) const
{
    const auto it = m_libraries.find(std::make_pair(name, urn));
    return it == m_libraries.end() ? nullptr : &it->second;
}

PadRules ReadPadRules(const XmlFile& file, const pugi::xml_node& board)
{
    PadRules rules;
    for (const pugi::xml_node param : Children(board.child("designrules"), "param")) {
        const std::string name = TextOr(file, param, "name", "");
        const std::string value = TextOr(file, param, "value", "");
        // Top-layer values stand for all layers: a pad is one rectangle here.
        double* length = name == "rlMinPadTop" ? &rules.minRestring : name == "rlMaxPadTop" ? &rules.maxRestring : nullptr;
        double* number = name == "rvPadTop"             ? &rules.restringFraction
                         : name == "psElongationLong"   ? &rules.longElongation
                         : name == "psElongationOffset" ? &rules.offsetElongation
                                                        : nullptr;
        if (length != nullptr) {
            const std::optional<double> v = RuleLength(value);
            if (!v || *v > kMaxMillimetres * 1e6)
                file.Fail(param, fmt::format("value=\"{}\" is not a length such as 10mil or 0.25mm", value));
            *length = *v;
        } else if (number != nullptr) {
            double v = 0;
            const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
            if (ec != std::errc() || end != value.data() + value.size() || !std::isfinite(v) || v < 0 || v > 1000)
                file.Fail(param, fmt::format("value=\"{}\" is not a number from 0 to 1000", value));
            *number = v;
        }
    }
    return rules;
}

}  // namespace lq::eagle
