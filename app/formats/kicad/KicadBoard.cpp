#include "app/formats/kicad/KicadBoard.h"

#include <fmt/core.h>

#include <cmath>

#include "app/formats/kicad/KicadValues.h"

namespace lq::kicad {

namespace {

// KiCad turns local offsets by the angle with y pointing down: counter-clockwise on screen.
struct Turn {
    explicit Turn(double degrees)
    {
        const double r = degrees * M_PI / 180.0;
        c = std::cos(r), s = std::sin(r);
        // Exact for the right angles boards almost always use.
        const double q = std::fmod(std::fmod(degrees, 360.0) + 360.0, 360.0);
        if (q == 0 || q == 90 || q == 180 || q == 270)
            c = q == 0 ? 1 : q == 180 ? -1 : 0, s = q == 90 ? 1 : q == 270 ? -1 : 0;
    }
    std::int64_t X(std::int64_t dx, std::int64_t dy) const { return std::llround(dx * c + dy * s); }
    std::int64_t Y(std::int64_t dx, std::int64_t dy) const { return std::llround(-dx * s + dy * c); }
    double c = 1;
    double s = 0;
};

class BoardReader {
public:
    explicit BoardReader(KicadBoard& board) : m_board(board), m_file(*board.file) {}

    void Read()
    {
        const NodeId root = m_file.Root();
        m_board.version = FileVersion(m_file, "kicad_pcb", kFirstBoardVersion, kLastBoardVersion);
        ReadLayers(root);
        for (NodeId n = m_file.First(root); n != kNoNode; n = m_file.Next(n)) {
            if (!m_file.IsList(n))
                continue;
            const std::string_view head = m_file.Head(n);
            if (head == "net")
                ReadNetDef(n);
            else if (head == "footprint" || head == "module")
                ReadFootprint(n);
            else if (head == "segment" || head == "arc")
                ReadTrack(n);
            else if (head == "via")
                ReadVia(n);
            else if (head == "zone")
                ReadZone(n);
        }
    }

private:
    void ReadLayers(NodeId root)
    {
        const NodeId layers = m_file.Child(root, "layers");
        if (layers == kNoNode)
            return;
        for (NodeId n = m_file.First(layers); n != kNoNode; n = m_file.Next(n))
            if (m_file.IsList(n) && m_file.Arg(n, 0) != kNoNode)
                m_board.copper |= CopperLayer(m_file.Value(m_file.Arg(n, 0)));
    }

    void ReadNetDef(NodeId n)
    {
        m_board.netCodes = true;
        KicadNetDef def;
        def.node = n;
        def.code = Integer(m_file, NeedArg(m_file, n, 0, "net code"), 0, 10'000'000);
        def.name = m_file.Value(NeedArg(m_file, n, 1, "net name"));
        if (m_codes.count(def.code) != 0)
            m_file.Fail(n, fmt::format("a second net with code {}", def.code));
        m_codes.emplace(def.code, m_board.nets.size());
        if (!def.name.empty() && !m_board.netByName.emplace(def.name, m_board.nets.size()).second)
            m_file.Fail(n, fmt::format("a second net named \"{}\"", def.name));
        m_board.nets.push_back(std::move(def));
    }

    // The name of the net a (net ...) node gives: by code from the table (a bare number, KiCad 6
    // to 9), or by name (a string, KiCad 10).
    std::string NetOf(NodeId net)
    {
        if (net == kNoNode)
            return "";
        const NodeId a = NeedArg(m_file, net, 0, "net");
        if (!m_file.IsString(a)) {
            const long long code = Integer(m_file, a, 0, 10'000'000);
            const auto it = m_codes.find(code);
            if (it == m_codes.end())
                m_file.Fail(a, fmt::format("net code {} is not in the board's net table", code));
            return m_board.nets[it->second].name;
        }
        std::string name = m_file.Value(a);
        if (!m_board.netCodes && !name.empty())
            m_board.netByName.emplace(name, m_board.netByName.size());
        return name;
    }

    LayerSet LayersOf(NodeId list)
    {
        LayerSet set = 0;
        for (NodeId n = m_file.Arg(list, 0); n != kNoNode; n = m_file.Next(n))
            if (!m_file.IsList(n))
                set |= CopperLayer(m_file.Value(n)) & m_board.copper;
        return set;
    }

    void ReadFootprint(NodeId n)
    {
        if (m_board.footprints.size() >= BoardLimits::kFootprints)
            m_file.Fail(n, fmt::format("more than {} footprints", BoardLimits::kFootprints));
        KicadFootprint fp;
        fp.node = n;
        const NodeId lib = m_file.Arg(n, 0);
        fp.library = lib != kNoNode && !m_file.IsList(lib) ? m_file.Value(lib) : "";
        const NodeId at = NeedChild(m_file, n, "at");
        fp.at = XY(m_file, at);
        fp.degrees = AtAngle(m_file, at);
        fp.refNode = PropertyValue(m_file, n, "Reference");
        NodeId value = PropertyValue(m_file, n, "Value");
        for (const NodeId text : m_file.Children(n, "fp_text")) {
            const NodeId kind = m_file.Arg(text, 0);
            if (kind != kNoNode && m_file.Raw(kind) == "reference")
                fp.refNode = NeedArg(m_file, text, 1, "reference");
            if (kind != kNoNode && m_file.Raw(kind) == "value")
                value = NeedArg(m_file, text, 1, "value");
        }
        if (fp.refNode == kNoNode)
            m_file.Fail(n, "the footprint has no reference");
        fp.ref = m_file.Value(fp.refNode);
        fp.value = value == kNoNode ? "" : m_file.Value(value);
        fp.pathNode = m_file.Child(n, "path");
        if (fp.pathNode != kNoNode)
            fp.path = m_file.Value(NeedArg(m_file, fp.pathNode, 0, "path"));
        const NodeId attr = m_file.Child(n, "attr");
        fp.boardOnly = attr != kNoNode && m_file.HasWord(attr, "board_only");
        if (!fp.ref.empty()) {
            const auto [it, fresh] = m_refs.emplace(fp.ref, n);
            if (!fresh)
                m_file.Fail(fp.refNode, fmt::format("a second footprint with reference {} (the first is on line {})", fp.ref,
                                                    m_file.Place(m_file.Begin(it->second)).first));
        }
        const Turn turn(fp.degrees);
        for (const NodeId pad : m_file.Children(n, "pad")) {
            if (fp.pads.size() >= BoardLimits::kPadsPerFootprint)
                m_file.Fail(pad, fmt::format("more than {} pads in one footprint", BoardLimits::kPadsPerFootprint));
            if (++m_pads > BoardLimits::kPads)
                m_file.Fail(pad, fmt::format("more than {} pads on the board", BoardLimits::kPads));
            fp.pads.push_back(ReadPad(pad, fp, turn));
        }
        m_board.footprints.push_back(std::move(fp));
    }

    KicadPad ReadPad(NodeId n, const KicadFootprint& fp, const Turn& turn)
    {
        KicadPad pad;
        pad.node = n;
        pad.number = m_file.Value(NeedArg(m_file, n, 0, "pad number"));
        const std::string kind = m_file.Value(NeedArg(m_file, n, 1, "pad type"));
        const std::string shape = m_file.Value(NeedArg(m_file, n, 2, "pad shape"));
        if (kind == "thru_hole")
            pad.kind = PadKind::ThroughHole;
        else if (kind == "smd")
            pad.kind = PadKind::Smd;
        else if (kind == "connect")
            pad.kind = PadKind::Connect;
        else if (kind == "np_thru_hole")
            pad.kind = PadKind::NonPlated;
        else
            m_file.Fail(m_file.Arg(n, 1), fmt::format("pad type \"{}\" is not thru_hole, smd, connect or np_thru_hole", kind));
        pad.shape = shape == "circle" ? PadShape::Circle : shape == "oval" ? PadShape::Oval
                  : shape == "rect" || shape == "roundrect" || shape == "trapezoid" ? PadShape::Rect
                                                                                  : PadShape::Other;
        const NodeId at = NeedChild(m_file, n, "at");
        const Point local = XY(m_file, at);
        pad.at = Point{Fit(m_file, at, fp.at.x + turn.X(local.x, local.y), "the placed pad"),
                       Fit(m_file, at, fp.at.y + turn.Y(local.x, local.y), "the placed pad")};
        pad.degrees = AtAngle(m_file, at);
        const NodeId size = NeedChild(m_file, n, "size");
        const Point wh = XY(m_file, size);
        if (wh.x < 0 || wh.y < 0)
            m_file.Fail(size, "a pad size is negative");
        pad.width = wh.x, pad.height = wh.y;
        if (const NodeId drill = m_file.Child(n, "drill"); drill != kNoNode)
            if (const NodeId offset = m_file.Child(drill, "offset"); offset != kNoNode)
                pad.offset = XY(m_file, offset);
        if (const NodeId layers = m_file.Child(n, "layers"); layers != kNoNode)
            pad.layers = LayersOf(layers);
        if (pad.kind == PadKind::NonPlated)
            pad.layers = 0;
        pad.netNode = m_file.Child(n, "net");
        pad.net = NetOf(pad.netNode);
        return pad;
    }

    void ReadTrack(NodeId n)
    {
        KicadTrack t;
        t.node = n;
        t.a = XY(m_file, NeedChild(m_file, n, "start"));
        t.b = XY(m_file, NeedChild(m_file, n, "end"));
        if (m_file.Head(n) == "arc")
            XY(m_file, NeedChild(m_file, n, "mid"));
        const NodeId layer = NeedChild(m_file, n, "layer");
        t.layer = CopperLayer(m_file.Value(NeedArg(m_file, layer, 0, "layer")));
        t.net = NetOf(m_file.Child(n, "net"));
        m_board.tracks.push_back(std::move(t));
    }

    void ReadVia(NodeId n)
    {
        KicadVia v;
        v.node = n;
        v.at = XY(m_file, NeedChild(m_file, n, "at"));
        // A via reaches every layer between its two.
        const LayerSet ends = LayersOf(NeedChild(m_file, n, "layers"));
        if (ends != 0) {
            const int lo = __builtin_ctz(ends), hi = 31 - __builtin_clz(ends);
            for (int l = lo; l <= hi; ++l)
                v.layers |= 1u << l;
            v.layers &= m_board.copper;
        }
        v.net = NetOf(m_file.Child(n, "net"));
        m_board.vias.push_back(std::move(v));
    }

    void ReadZone(NodeId n)
    {
        const std::string net = NetOf(m_file.Child(n, "net"));
        for (const NodeId fill : m_file.Children(n, "filled_polygon")) {
            KicadFill f;
            f.net = net;
            f.layer = CopperLayer(m_file.Value(NeedArg(m_file, NeedChild(m_file, fill, "layer"), 0, "layer")));
            const NodeId pts = NeedChild(m_file, fill, "pts");
            for (NodeId p = m_file.First(pts); p != kNoNode; p = m_file.Next(p)) {
                if (!m_file.IsList(p))
                    continue;
                if (m_file.Head(p) == "xy")
                    f.points.push_back(XY(m_file, p));
                else if (m_file.Head(p) == "arc")
                    for (const char* end : {"start", "mid", "end"})
                        f.points.push_back(XY(m_file, NeedChild(m_file, p, end)));
            }
            if (!net.empty() && f.layer != 0 && f.points.size() >= 3)
                m_board.fills.push_back(std::move(f));
        }
    }

    KicadBoard& m_board;
    const SexprFile& m_file;
    std::map<long long, std::size_t> m_codes;
    std::map<std::string, NodeId> m_refs;
    std::size_t m_pads = 0;
};

}  // namespace

LayerSet CopperLayer(std::string_view name)
{
    if (name == "F.Cu")
        return kFront;
    if (name == "B.Cu")
        return kBack;
    if (name == "*.Cu")
        return ~LayerSet{0};
    if (name == "F&B.Cu")
        return kFront | kBack;
    if (name.starts_with("In") && name.ends_with(".Cu")) {
        int k = 0;
        for (const char c : name.substr(2, name.size() - 5)) {
            if (c < '0' || c > '9' || k > 30)
                return 0;
            k = k * 10 + (c - '0');
        }
        return k >= 1 && k <= 30 ? 1u << k : 0;
    }
    return 0;
}

KicadBoard ReadKicadBoard(std::unique_ptr<SexprFile> file)
{
    KicadBoard board;
    board.file = std::move(file);
    BoardReader(board).Read();
    return board;
}

}  // namespace lq::kicad
