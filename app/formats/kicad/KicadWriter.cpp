#include "app/formats/kicad/KicadWriter.h"

#include <fmt/core.h>

#include <map>
#include <set>

#include "app/core/Errors.h"
#include "app/formats/kicad/KicadConsistency.h"
#include "app/formats/kicad/KicadParts.h"
#include "app/formats/kicad/TextEdits.h"

namespace lq::kicad {

namespace {

// The pad's children that KiCad writes after its net.
const std::set<std::string_view> kAfterNet{"pinfunction", "pintype", "die_length", "solder_mask_margin",
                                           "solder_paste_margin", "solder_paste_margin_ratio", "clearance",
                                           "zone_connect", "thermal_width", "thermal_bridge_width", "thermal_gap",
                                           "thermal_bridge_angle", "options", "primitives", "teardrops", "tstamp", "uuid"};

std::map<PinIndex, std::string> NetsOfPins(const Board& board)
{
    std::map<PinIndex, std::string> out;
    const BoardIndex index(board);
    for (const Net& net : board.nets)
        for (const PinRef& ref : net.pins)
            if (const auto pin = index.FindPin(ref))
                out[*pin] = net.name;
    return out;
}

struct UseState {
    std::string ref;
    int unit = 1;
    friend bool operator==(const UseState&, const UseState&) = default;
};

class Writer {
public:
    Writer(const KicadDesign& design, const Board& before, const Board& after)
        : m_design(design), m_before(before), m_after(after), m_board(*design.board.file)
    {
    }

    KicadOutput Run()
    {
        KicadOutput out;
        out.exchanges = InferExchanges(m_design.exchange, m_before, m_after);
        EditPads(out);
        if (m_design.project) {
            m_now.clear();
            for (const SymbolUse& use : m_design.project->uses)
                m_now.push_back(UseState{use.ref, use.unit});
            ApplyGateExchanges(out.exchanges);
            ApplyPinExchanges(out.exchanges);
            EditInstanceData();
            EditFootprintLinks();
        }
        out.board = m_boardEdits.Apply(m_board.Text());
        if (m_design.project)
            for (std::size_t f = 0; f < m_design.project->files.size(); ++f) {
                const SchematicFile& file = *m_design.project->files[f];
                out.schematics.emplace_back(file.path, m_fileEdits[f].Apply(file.file->Text()));
            }
        Recheck(out);
        return out;
    }

private:
    void EditPads(KicadOutput& out)
    {
        const std::map<PinIndex, std::string> was = NetsOfPins(m_before), now = NetsOfPins(m_after);
        std::set<std::string> changed;
        for (std::size_t i = 0; i < m_before.parts.size(); ++i)
            for (std::size_t j = 0; j < m_before.parts[i].pins.size(); ++j) {
                const auto w = was.find({i, j}), n = now.find({i, j});
                const std::string from = w == was.end() ? "" : w->second, to = n == now.end() ? "" : n->second;
                if (from == to)
                    continue;
                for (const std::string& net : {from, to})
                    if (!net.empty())
                        changed.insert(net);
                const KicadPad& pad = m_design.board.footprints[m_design.parts[i].footprint].pads[m_design.parts[i].padOfPin[j]];
                SetPadNet(pad, to);
            }
        out.changedNets = changed.size();
        if (!m_design.unrouted)
            return;
        out.reroutedNets = changed.size();
        for (const KicadTrack& t : m_design.board.tracks)
            if (changed.count(t.net) != 0)
                m_boardEdits.Remove(m_board, t.node);
        for (const KicadVia& v : m_design.board.vias)
            if (changed.count(v.net) != 0)
                m_boardEdits.Remove(m_board, v.node);
    }

    // The node a pad carries for a net, as the file writes it: code and name (KiCad 6 to 9) or
    // name only (KiCad 10), the bytes taken from the file where it has them.
    std::string NetNode(const std::string& net)
    {
        const KicadBoard& b = m_design.board;
        if (b.netCodes) {
            const NodeId def = b.nets[b.netByName.at(net)].node;
            return fmt::format("(net {} {})", m_board.Raw(m_board.Arg(def, 0)), m_board.Raw(m_board.Arg(def, 1)));
        }
        for (const KicadFootprint& fp : b.footprints)
            for (const KicadPad& pad : fp.pads)
                if (pad.net == net && pad.netNode != kNoNode)
                    return fmt::format("(net {})", m_board.Raw(m_board.Arg(pad.netNode, 0)));
        return fmt::format("(net {})", Quote(net));
    }

    void SetPadNet(const KicadPad& pad, const std::string& net)
    {
        if (net.empty()) {
            if (pad.netNode != kNoNode)
                m_boardEdits.Remove(m_board, pad.netNode);
            return;
        }
        const std::string node = NetNode(net);
        if (pad.netNode != kNoNode) {
            m_boardEdits.Replace(m_board, pad.netNode, node);
            return;
        }
        for (NodeId c = m_board.First(pad.node); c != kNoNode; c = m_board.Next(c))
            if (m_board.IsList(c) && kAfterNet.count(m_board.Head(c)) != 0) {
                m_boardEdits.InsertBefore(m_board, c, node);
                return;
            }
        m_boardEdits.Replace(m_board.End(pad.node) - 1, m_board.End(pad.node) - 1, " " + node);
    }

    std::optional<std::size_t> GateOfUse(const UseState& state) const
    {
        const auto part = m_partOfRef.find(state.ref);
        if (part == m_partOfRef.end())
            return std::nullopt;
        const auto gate = m_design.gateOf.find({part->second, state.unit});
        return gate == m_design.gateOf.end() ? std::nullopt : std::optional<std::size_t>(gate->second);
    }

    // The placed units that showed gate `from` now show gate `to`: its part's reference and its unit.
    void ApplyGateExchanges(const SchematicExchanges& exchanges)
    {
        for (std::size_t i = 0; i < m_before.parts.size(); ++i)
            m_partOfRef.emplace(m_before.parts[i].ref, i);
        std::map<std::size_t, std::size_t> moved;
        for (const GateExchange& e : exchanges.gates)
            moved.emplace(e.from, e.to);
        for (std::size_t u = 0; u < m_now.size(); ++u) {
            const auto gate = GateOfUse(m_now[u]);
            m_gateShown.push_back(gate);
            if (!gate)
                continue;
            const auto to = moved.find(*gate);
            if (to == moved.end())
                continue;
            m_gateShown.back() = to->second;
            m_now[u] = UseState{m_before.parts[m_design.exchange.gates[to->second].part].ref, m_design.units[to->second].unit};
        }
    }

    // Within a gate, the label that joined pin `from` now joins pin `to`: label texts move.
    void ApplyPinExchanges(const SchematicExchanges& exchanges)
    {
        const KicadProject& project = *m_design.project;
        std::map<std::pair<std::size_t, std::size_t>, std::string> texts;  // (file, label) -> new text
        for (const PinExchange& e : exchanges.pins) {
            const UnitLink& unit = m_design.units[e.gate];
            for (std::size_t u = 0; u < m_now.size(); ++u) {
                if (m_gateShown[u] != e.gate)
                    continue;
                const SymbolUse& use = project.uses[u];
                const auto from = SoleLabel(project, m_design.nets, use, unit.pins.at(e.from));
                const auto to = SoleLabel(project, m_design.nets, use, unit.pins.at(e.to));
                if (!from || !to)
                    throw JobError(fmt::format("{}: pins {} and {} of {} unit {} exchanged nets, but the schematic does not "
                                               "join each of them by one label alone; nothing was written",
                                               m_board.Name(), unit.pins.at(e.from).number, unit.pins.at(e.to).number,
                                               m_now[u].ref, UnitLetter(m_now[u].unit)));
                const std::size_t f = project.instances[use.instance].file;
                texts[{f, *to}] = std::string(project.files[f]->file->Raw(project.files[f]->labels[*from].textNode));
            }
        }
        for (const auto& [where, text] : texts) {
            const SchematicFile& file = *project.files[where.first];
            m_fileEdits[where.first].Replace(*file.file, file.labels[where.second].textNode, text);
        }
    }

    std::size_t FileIndex(const SexprFile* file) const
    {
        const KicadProject& project = *m_design.project;
        for (std::size_t f = 0; f < project.files.size(); ++f)
            if (project.files[f]->file.get() == file)
                return f;
        return 0;
    }

    // Instance data per sheet instance; the symbol's own unit and reference only where every
    // instance of a sheet placed several times agrees.
    void EditInstanceData()
    {
        const KicadProject& project = *m_design.project;
        std::map<std::pair<std::size_t, std::size_t>, std::vector<std::size_t>> usesOfSymbol;  // (file, symbol)
        for (std::size_t u = 0; u < project.uses.size(); ++u) {
            const SymbolUse& use = project.uses[u];
            const PlacedSymbol& symbol = project.Symbol(use);
            const bool own = use.refNodes.empty() || use.refNodes.front() == symbol.refNode;
            usesOfSymbol[{project.instances[use.instance].file, use.symbol}].push_back(u);
            if (own || m_now[u] == UseState{use.ref, use.unit})
                continue;
            TextEdits& edits = m_fileEdits[FileIndex(use.dataFile)];
            for (const NodeId n : use.refNodes)
                edits.Replace(*use.dataFile, n, Quote(m_now[u].ref));
            for (const NodeId n : use.unitNodes)
                edits.Replace(*use.dataFile, n, std::to_string(m_now[u].unit));
        }
        for (const auto& [key, uses] : usesOfSymbol) {
            const SchematicFile& file = *project.files[key.first];
            const PlacedSymbol& symbol = file.symbols[key.second];
            bool sameRef = true, sameUnit = true, ownData = false, changed = false;
            for (const std::size_t u : uses) {
                changed = changed || !(m_now[u] == UseState{project.uses[u].ref, project.uses[u].unit});
                sameRef = sameRef && m_now[u].ref == m_now[uses.front()].ref;
                sameUnit = sameUnit && m_now[u].unit == m_now[uses.front()].unit;
                const SymbolUse& use = project.uses[u];
                ownData = ownData || use.refNodes.empty() || use.refNodes.front() == symbol.refNode;
            }
            const UseState& first = m_now[uses.front()];
            if (!changed)
                continue;
            if (ownData && (!sameRef || !sameUnit))
                throw JobError(fmt::format("{}: {} is placed {} times and keeps no instance data, but the exchanges "
                                           "differ between its sheet instances; nothing was written",
                                           file.path, symbol.ref, uses.size()));
            if (sameUnit && first.unit != symbol.unit && symbol.unitNode != kNoNode)
                m_fileEdits[key.first].Replace(*file.file, file.file->Arg(symbol.unitNode, 0), std::to_string(first.unit));
            if (sameRef && first.ref != symbol.ref && symbol.refNode != kNoNode)
                m_fileEdits[key.first].Replace(*file.file, symbol.refNode, Quote(first.ref));
        }
    }

    // A footprint's link to its symbol follows its reference: where the linked unit went to
    // another part, the link moves to a unit that now carries the footprint's reference.
    void EditFootprintLinks()
    {
        const KicadProject& project = *m_design.project;
        std::map<std::string, std::size_t> useOfPath;
        for (std::size_t u = 0; u < project.uses.size(); ++u)
            useOfPath.emplace(project.FootprintPath(project.uses[u]), u);
        for (const PartLink& part : m_design.parts) {
            const KicadFootprint& fp = m_design.board.footprints[part.footprint];
            const auto linked = useOfPath.find(fp.path);
            // Only a link the exchanges broke is moved; one that was wrong before is left as it was.
            if (part.lib == nullptr || fp.pathNode == kNoNode || linked == useOfPath.end() ||
                project.uses[linked->second].ref != fp.ref || m_now[linked->second].ref == fp.ref)
                continue;
            std::optional<std::pair<int, std::string>> best;
            for (std::size_t u = 0; u < project.uses.size(); ++u)
                if (m_now[u].ref == fp.ref) {
                    const std::pair<int, std::string> key{m_now[u].unit, project.FootprintPath(project.uses[u])};
                    if (!best || key < *best)
                        best = key;
                }
            if (!best)
                throw JobError(fmt::format("{}: after the exchanges no placed unit carries the reference {}, so KiCad "
                                           "would drop its footprint; nothing was written", m_board.Name(), fp.ref));
            m_boardEdits.Replace(m_board, m_board.Arg(fp.pathNode, 0), Quote(best->second));
        }
    }

    void Recheck(const KicadOutput& out)
    {
        std::map<std::string, std::string> texts{{m_board.Name(), out.board}};
        for (const auto& [path, text] : out.schematics)
            texts[path] = text;
        const FileReader disk = DiskFiles();
        const FileReader written = [&](const std::string& path) -> std::optional<std::string> {
            const auto it = texts.find(path);
            return it != texts.end() ? std::optional<std::string>(it->second) : disk(path);
        };
        KicadReadOptions again = m_design.options;
        if (m_design.project)
            again.schematic = m_design.project->files[0]->path;
        const KicadImport reread = ReadKicadBoard(m_board.Name(), again, written);

        const std::map<PinIndex, std::string> wanted = NetsOfPins(m_after), got = NetsOfPins(reread.board);
        if (wanted != got)
            throw JobError(fmt::format("{}: the written board does not carry the nets of the run; nothing was written",
                                       m_board.Name()));
        const std::vector<std::string> was = ConsistencyProblems(m_design), now = ConsistencyProblems(*reread.design);
        std::vector<std::string> added;
        std::set_difference(now.begin(), now.end(), was.begin(), was.end(), std::back_inserter(added));
        if (!added.empty())
            throw JobError(fmt::format("{}: the written board and schematic would disagree ({}{}); nothing was written",
                                       m_board.Name(), added.front(),
                                       added.size() > 1 ? fmt::format(", and {} more", added.size() - 1) : ""));
    }

    const KicadDesign& m_design;
    const Board& m_before;
    const Board& m_after;
    const SexprFile& m_board;
    TextEdits m_boardEdits;
    std::map<std::size_t, TextEdits> m_fileEdits;
    std::vector<UseState> m_now;                          // per use: reference and unit after the exchanges
    std::vector<std::optional<std::size_t>> m_gateShown;  // per use: the gate it shows after them
    std::map<std::string, std::size_t> m_partOfRef;
};

}  // namespace

KicadOutput WriteKicad(const KicadDesign& design, const Board& before, const Board& after)
{
    return Writer(design, before, after).Run();
}

}  // namespace lq::kicad
