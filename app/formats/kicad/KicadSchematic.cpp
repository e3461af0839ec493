#include "app/formats/kicad/KicadSchematic.h"

#include <fmt/core.h>

namespace lq::kicad {

namespace {

bool IsHidden(const SexprFile& f, NodeId list)
{
    if (f.HasWord(list, "hide"))
        return true;
    const NodeId hide = f.Child(list, "hide");
    return hide != kNoNode && (f.Arg(hide, 0) == kNoNode || f.Raw(f.Arg(hide, 0)) == "yes");
}

// "40106_2_1": unit 2, body style 1 of symbol 40106.
bool UnitAndStyle(const std::string& name, int& unit, int& style)
{
    auto number = [&](std::size_t end, int& out, std::size_t& start) {
        std::size_t b = end;
        while (b > 0 && name[b - 1] >= '0' && name[b - 1] <= '9')
            --b;
        if (b == end || end - b > 4 || b == 0 || name[b - 1] != '_')
            return false;
        out = std::stoi(name.substr(b, end - b));
        start = b - 1;
        return true;
    };
    std::size_t at = 0;
    return number(name.size(), style, at) && number(at, unit, at);
}

class SchematicReader {
public:
    explicit SchematicReader(SchematicFile& out) : m_out(out), m_file(*out.file) {}

    void Read()
    {
        const NodeId root = m_file.Root();
        m_out.version = FileVersion(m_file, "kicad_sch", kFirstSchematicVersion, kLastSchematicVersion);
        if (const NodeId uuid = m_file.Child(root, "uuid"); uuid != kNoNode)
            m_out.uuid = m_file.Value(NeedArg(m_file, uuid, 0, "uuid"));
        if (const NodeId libs = m_file.Child(root, "lib_symbols"); libs != kNoNode)
            for (const NodeId s : m_file.Children(libs, "symbol"))
                ReadLibSymbol(s);
        for (NodeId n = m_file.First(root); n != kNoNode; n = m_file.Next(n)) {
            if (!m_file.IsList(n))
                continue;
            const std::string_view head = m_file.Head(n);
            if (head == "symbol")
                ReadPlaced(n);
            else if (head == "wire")
                ReadWire(n);
            else if (head == "junction")
                m_out.junctions.push_back(XY64(m_file, NeedChild(m_file, n, "at")));
            else if (head == "no_connect")
                m_out.noConnects.push_back(XY64(m_file, NeedChild(m_file, n, "at")));
            else if (head == "netclass_flag" || head == "directive_label")
                m_out.flags.push_back(XY64(m_file, NeedChild(m_file, n, "at")));
            else if (head == "label")
                ReadLabel(n, LabelKind::Local);
            else if (head == "global_label")
                ReadLabel(n, LabelKind::Global);
            else if (head == "hierarchical_label")
                ReadLabel(n, LabelKind::Hierarchical);
            else if (head == "sheet")
                ReadSheet(n);
            else if (head == "symbol_instances")
                ReadLegacyInstances(n);
        }
    }

private:
    void ReadLibSymbol(NodeId n)
    {
        LibSymbol lib;
        lib.name = m_file.Value(NeedArg(m_file, n, 0, "name"));
        lib.node = n;
        if (const NodeId power = m_file.Child(n, "power"); power != kNoNode) {
            const NodeId kind = m_file.Arg(power, 0);
            lib.power = kind != kNoNode && m_file.Raw(kind) == "local" ? LibSymbol::Power::Local : LibSymbol::Power::Global;
        }
        for (const NodeId sub : m_file.Children(n, "symbol")) {
            const std::string name = m_file.Value(NeedArg(m_file, sub, 0, "name"));
            int unit = 0, style = 0;
            if (!UnitAndStyle(name, unit, style))
                m_file.Fail(sub, fmt::format("unit symbol \"{}\" does not end in _unit_style (such as {}_1_1)", name, lib.name));
            lib.units = std::max(lib.units, unit);
            std::vector<LibPin>& pins = lib.pins[{unit, style}];
            for (const NodeId p : m_file.Children(sub, "pin")) {
                LibPin pin;
                pin.type = m_file.Value(NeedArg(m_file, p, 0, "electrical type"));
                pin.at = XY64(m_file, NeedChild(m_file, p, "at"));
                pin.name = m_file.Value(NeedArg(m_file, NeedChild(m_file, p, "name"), 0, "name"));
                pin.number = m_file.Value(NeedArg(m_file, NeedChild(m_file, p, "number"), 0, "number"));
                pin.hidden = IsHidden(m_file, p);
                pins.push_back(std::move(pin));
            }
        }
        if (!m_out.libs.emplace(lib.name, lib).second)
            m_file.Fail(n, fmt::format("library symbol \"{}\" is embedded twice", lib.name));
    }

    void ReadPlaced(NodeId n)
    {
        PlacedSymbol s;
        s.node = n;
        const NodeId libId = NeedChild(m_file, n, "lib_id");
        s.libId = m_file.Value(NeedArg(m_file, libId, 0, "library id"));
        const NodeId libName = m_file.Child(n, "lib_name");
        const std::string key = libName != kNoNode ? m_file.Value(NeedArg(m_file, libName, 0, "name")) : s.libId;
        const auto lib = m_out.libs.find(key);
        if (lib == m_out.libs.end())
            m_file.Fail(libName != kNoNode ? libName : libId,
                        fmt::format("library symbol \"{}\" is not embedded in the schematic's (lib_symbols ...)", key));
        s.lib = &lib->second;
        const NodeId at = NeedChild(m_file, n, "at");
        s.at = XY64(m_file, at);
        const double degrees = AtAngle(m_file, at);
        if (degrees != 0 && degrees != 90 && degrees != 180 && degrees != 270)
            m_file.Fail(at, fmt::format("a placed symbol turns by 0, 90, 180 or 270 degrees, not {}", degrees));
        s.degrees = static_cast<int>(degrees);
        if (const NodeId mirror = m_file.Child(n, "mirror"); mirror != kNoNode) {
            const std::string axis = m_file.Value(NeedArg(m_file, mirror, 0, "axis"));
            if (axis != "x" && axis != "y")
                m_file.Fail(mirror, fmt::format("mirror \"{}\" is not x or y", axis));
            s.mirror = axis[0];
        }
        s.unitNode = m_file.Child(n, "unit");
        if (s.unitNode != kNoNode)
            s.unit = static_cast<int>(Integer(m_file, NeedArg(m_file, s.unitNode, 0, "unit"), 1, 9999));
        for (const char* head : {"convert", "body_style"})
            if (const NodeId style = m_file.Child(n, head); style != kNoNode)
                s.style = static_cast<int>(Integer(m_file, NeedArg(m_file, style, 0, "body style"), 1, 99));
        if (const NodeId uuid = m_file.Child(n, "uuid"); uuid != kNoNode)
            s.uuid = m_file.Value(NeedArg(m_file, uuid, 0, "uuid"));
        s.refNode = PropertyValue(m_file, n, "Reference");
        if (s.refNode != kNoNode)
            s.ref = m_file.Value(s.refNode);
        if (const NodeId value = PropertyValue(m_file, n, "Value"); value != kNoNode)
            s.value = m_file.Value(value);
        if (const NodeId instances = m_file.Child(n, "instances"); instances != kNoNode)
            for (const NodeId project : m_file.Children(instances, "project"))
                for (const NodeId path : m_file.Children(project, "path"))
                    AddInstance(s.instances, path);
        m_out.symbols.push_back(std::move(s));
    }

    // Several projects may keep one path: every copy is read (they must agree) and later edited.
    void AddInstance(std::vector<InstanceData>& into, NodeId path)
    {
        const std::string key = m_file.Value(NeedArg(m_file, path, 0, "path"));
        const NodeId refNode = NeedArg(m_file, NeedChild(m_file, path, "reference"), 0, "reference");
        const NodeId unitNode = NeedArg(m_file, NeedChild(m_file, path, "unit"), 0, "unit");
        const std::string ref = m_file.Value(refNode);
        const int unit = static_cast<int>(Integer(m_file, unitNode, 1, 9999));
        for (InstanceData& d : into)
            if (d.path == key) {
                if (d.ref != ref || d.unit != unit)
                    m_file.Fail(path, fmt::format("instance {} is kept twice, as {} unit {} and as {} unit {}", key, d.ref,
                                                  d.unit, ref, unit));
                d.refs.push_back(refNode), d.units.push_back(unitNode);
                return;
            }
        into.push_back(InstanceData{key, {refNode}, {unitNode}, ref, unit});
    }

    void ReadWire(NodeId n)
    {
        const NodeId pts = NeedChild(m_file, n, "pts");
        std::vector<Vec64> ends;
        for (const NodeId xy : m_file.Children(pts, "xy"))
            ends.push_back(XY64(m_file, xy));
        if (ends.size() != 2)
            m_file.Fail(pts, fmt::format("a wire has two points, not {}", ends.size()));
        m_out.wires.push_back(Wire{ends[0], ends[1]});
    }

    void ReadLabel(NodeId n, LabelKind kind)
    {
        Label label;
        label.node = n;
        label.kind = kind;
        label.textNode = NeedArg(m_file, n, 0, "text");
        label.text = m_file.Value(label.textNode);
        label.at = XY64(m_file, NeedChild(m_file, n, "at"));
        m_out.labels.push_back(std::move(label));
    }

    void ReadSheet(NodeId n)
    {
        SheetSymbol sheet;
        sheet.node = n;
        sheet.uuid = m_file.Value(NeedArg(m_file, NeedChild(m_file, n, "uuid"), 0, "uuid"));
        sheet.fileNode = PropertyValue(m_file, n, "Sheetfile");
        if (sheet.fileNode == kNoNode)
            sheet.fileNode = PropertyValue(m_file, n, "Sheet file");
        if (sheet.fileNode == kNoNode)
            m_file.Fail(n, "the sheet has no Sheetfile property naming its file");
        sheet.file = m_file.Value(sheet.fileNode);
        for (const NodeId p : m_file.Children(n, "pin"))
            sheet.pins.push_back(SheetPin{m_file.Value(NeedArg(m_file, p, 0, "name")), XY64(m_file, NeedChild(m_file, p, "at"))});
        m_out.sheets.push_back(std::move(sheet));
    }

    void ReadLegacyInstances(NodeId n)
    {
        m_out.symbolInstances = n;
        for (const NodeId path : m_file.Children(n, "path")) {
            std::vector<InstanceData> one;
            AddInstance(one, path);
            if (!m_out.legacyInstances.emplace(one[0].path, one[0]).second)
                m_file.Fail(path, fmt::format("instance {} is listed twice", one[0].path));
        }
    }

    SchematicFile& m_out;
    const SexprFile& m_file;
};

}  // namespace

std::vector<LibPin> LibSymbol::PinsOf(int unit, int style) const
{
    std::vector<LibPin> out = OwnPins(0, style);
    if (unit != 0) {
        const std::vector<LibPin> own = OwnPins(unit, style);
        out.insert(out.end(), own.begin(), own.end());
    }
    return out;
}

std::vector<LibPin> LibSymbol::OwnPins(int unit, int style) const
{
    std::vector<LibPin> out;
    for (const int s : {0, style}) {
        const auto it = pins.find({unit, s});
        if (it != pins.end())
            out.insert(out.end(), it->second.begin(), it->second.end());
        if (style == 0)
            break;
    }
    return out;
}

Vec64 PlacedSymbol::PinAt(const LibPin& pin) const
{
    // KiCad's symbol transform: the library's y points up; turns compose counter-clockwise
    // (90, 180) or clockwise (270) onto the default, then the mirror.
    int x1 = 1, y1 = 0, x2 = 0, y2 = -1;
    auto compose = [&](int tx1, int ty1, int tx2, int ty2) {
        const int n1 = x1 * tx1 + x2 * ty1, m1 = y1 * tx1 + y2 * ty1, n2 = x1 * tx2 + x2 * ty2, m2 = y1 * tx2 + y2 * ty2;
        x1 = n1, y1 = m1, x2 = n2, y2 = m2;
    };
    if (degrees == 90)
        compose(0, 1, -1, 0);
    else if (degrees == 180)
        compose(0, 1, -1, 0), compose(0, 1, -1, 0);
    else if (degrees == 270)
        compose(0, -1, 1, 0);
    if (mirror == 'x')
        compose(1, 0, 0, -1);
    else if (mirror == 'y')
        compose(-1, 0, 0, 1);
    return Vec64{at.x + x1 * pin.at.x + y1 * pin.at.y, at.y + x2 * pin.at.x + y2 * pin.at.y};
}

SchematicFile ReadSchematicFile(std::unique_ptr<SexprFile> file, std::string path)
{
    SchematicFile out;
    out.file = std::move(file);
    out.path = std::move(path);
    SchematicReader(out).Read();
    return out;
}

}  // namespace lq::kicad
