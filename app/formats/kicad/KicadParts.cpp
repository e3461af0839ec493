#include "app/formats/kicad/KicadParts.h"

#include <fmt/core.h>
#include <fmt/format.h>

#include <algorithm>
#include <set>

#include "app/formats/kicad/KicadCopper.h"
#include "host/AttributeNames.h"

namespace lq::kicad {

namespace {

bool IsPowerType(const std::string& type) { return type == "power_in" || type == "power_out"; }

// A pin's place in its unit names it across equivalent units (their names may differ: 1A, 2A).
std::string PlaceKey(const LibPin& pin) { return "@" + FormatMillimetres(pin.at.x) + "," + FormatMillimetres(pin.at.y); }

// The host's copper layers: F.Cu is 1, In1.Cu to In14.Cu are 2 to 15 (deeper ones share 15), B.Cu is 16.
std::uint32_t HostLayers(LayerSet layers)
{
    std::uint32_t bits = 0;
    for (int l = 0; l < 32; ++l)
        if ((layers >> l) & 1u)
            bits |= CopperLayerBit(l == 0 ? 1 : l == 31 ? 16 : std::min(l + 1, 15));
    return bits == 0 ? CopperLayerBit(1) : bits;
}

bool Selected(const PinSelector& s, const LibPin& pin)
{
    const std::string& text = s.by == PinSelector::By::Type ? pin.type : s.by == PinSelector::By::Name ? pin.name : pin.number;
    return std::any_of(s.patterns.begin(), s.patterns.end(), [&](const std::string& p) { return PinMatches(p, text); });
}

struct UnitPlan {
    std::size_t part = 0;
    int unit = 1;
    int style = 1;
    std::vector<LibPin> pins;             // its own pins
    std::vector<std::size_t> boardPins;   // per pin: the Board pin (its first pad), or kNoIndex
    std::vector<int> ruleGroup;           // per pin: the rule's pin group, or -1
    std::vector<std::size_t> uses;        // the placed symbols that show it
    bool exchangeable = false;
    std::string group;
    std::string classKey;  // the gates it may ever change places with share it
};

class PartMapper {
public:
    PartMapper(KicadDesign& design, Board& board) : m_design(design), m_board(board), m_fpFile(*design.board.file) {}

    void Run()
    {
        if (m_design.project)
            for (std::size_t u = 0; u < m_design.project->uses.size(); ++u) {
                const std::string& ref = m_design.project->uses[u].ref;
                if (!ref.empty() && ref[0] != '#')
                    m_usesByRef[ref].push_back(u);
            }
        for (std::size_t f = 0; f < m_design.board.footprints.size(); ++f)
            AddFootprint(f);
        CheckLinks();
        for (std::size_t i = 0; i < m_board.parts.size(); ++i)
            if (m_design.parts[i].lib != nullptr)
                PlanUnits(i);
        DecideGroups();
        for (const UnitPlan& plan : m_plans)
            Describe(plan);
        for (std::size_t i = 0; i < m_board.parts.size(); ++i)
            if (m_design.parts[i].lib != nullptr)
                DescribeOthers(i);
        AddNets();
    }

private:
    void AddFootprint(std::size_t f)
    {
        const KicadFootprint& fp = m_design.board.footprints[f];
        if (fp.ref.empty())
            m_fpFile.Fail(fp.refNode, "the footprint's reference is empty");
        Part part;
        part.ref = fp.ref;
        part.at = fp.at;
        PartLink link;
        link.footprint = f;
        std::map<std::string, int> seen;
        std::set<std::string> names;
        std::int64_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        for (std::size_t k = 0; k < fp.pads.size(); ++k) {
            const KicadPad& pad = fp.pads[k];
            link.pinOfPad.push_back(kNoIndex);
            if (pad.number.empty() || pad.kind == PadKind::NonPlated)
                continue;
            std::string name = pad.number;
            for (int n = ++seen[pad.number]; n > 1 && !names.insert(name).second;)
                name = fmt::format("{}#{}", pad.number, n++);
            names.insert(name);
            Pin pin;
            pin.at = Point{Fit(m_fpFile, pad.node, std::int64_t{pad.at.x} - fp.at.x, "the pad, from its footprint"),
                           Fit(m_fpFile, pad.node, std::int64_t{pad.at.y} - fp.at.y, "the pad, from its footprint")};
            pin.pad = PadBox(pad);
            pin.layers = HostLayers(pad.layers);
            pin.attributes.push_back({LQ_PIN, name});
            const Rect box = AbsolutePad(part, pin);
            const bool first = part.pins.empty();
            x1 = first ? box.x1 : std::min<std::int64_t>(x1, box.x1), y1 = first ? box.y1 : std::min<std::int64_t>(y1, box.y1);
            x2 = first ? box.x2 : std::max<std::int64_t>(x2, box.x2), y2 = first ? box.y2 : std::max<std::int64_t>(y2, box.y2);
            link.pinOfPad.back() = part.pins.size();
            link.padOfPin.push_back(k);
            part.pins.push_back(std::move(pin));
        }
        if (!part.pins.empty())
            part.outline = Rect{Fit(m_fpFile, fp.node, x1 - fp.at.x, "the footprint's pads"),
                                Fit(m_fpFile, fp.node, y1 - fp.at.y, "the footprint's pads"),
                                Fit(m_fpFile, fp.node, x2 - fp.at.x, "the footprint's pads"),
                                Fit(m_fpFile, fp.node, y2 - fp.at.y, "the footprint's pads")};

        const auto uses = m_usesByRef.find(fp.ref);
        if (uses != m_usesByRef.end()) {
            link.uses = uses->second;
            const KicadProject& project = *m_design.project;
            const SymbolUse& first = project.uses[link.uses.front()];
            link.lib = project.Symbol(first).lib;
            link.libId = project.Symbol(first).libId;
            part.attributes = {{LQ_GATESWAP, "1"}, {"symbol", link.libId}, {"value", project.Symbol(first).value},
                               {"footprint", fp.library}};
            CheckUses(link);
        } else {
            if (m_design.project && !fp.boardOnly)
                Orphan(fp);
            part.attributes = {{LQ_GATESWAP, "0"}, {"value", fp.value}, {"footprint", fp.library}};
            link.rule = "none (no symbol)";
        }
        m_board.parts.push_back(std::move(part));
        m_design.parts.push_back(std::move(link));
    }

    // A footprint no placed symbol names. When its link leads to a symbol of another reference,
    // board and schematic disagree on references: refused. When it leads nowhere (its symbol was
    // deleted), the footprint is read as board-only and keeps its nets, and the user is told.
    void Orphan(const KicadFootprint& fp)
    {
        const KicadProject& project = *m_design.project;
        const auto linked = SymbolOfPath().find(fp.path);
        if (linked != SymbolOfPath().end())
            m_fpFile.Fail(fp.refNode, fmt::format("footprint {}: no schematic part has this reference, and its symbol "
                                                  "link leads to {}; update the board from the schematic in KiCad",
                                                  fp.ref, project.uses[linked->second].ref));
        const auto [line, column] = m_fpFile.Place(m_fpFile.Begin(fp.refNode));
        m_design.orphans.push_back(fmt::format("{}:{}:{}: footprint {} has no symbol in the schematic; it is read as "
                                               "board-only and keeps its nets",
                                               m_fpFile.Name(), line, column, fp.ref));
    }

    const std::map<std::string, std::size_t>& SymbolOfPath()
    {
        if (m_symbolOfPath.empty())
            for (std::size_t u = 0; u < m_design.project->uses.size(); ++u)
                m_symbolOfPath.emplace(m_design.project->FootprintPath(m_design.project->uses[u]), u);
        return m_symbolOfPath;
    }

    // References alone pair a board with any schematic that uses the same ones (U1, R1), and the
    // swaps would then be written into another project. A board updated from its own schematic
    // links every footprint to its symbol; one that links fewer than half came with another's.
    void CheckLinks()
    {
        if (!m_design.project)
            return;
        const KicadFootprint* unlinked = nullptr;
        std::size_t linked = 0, paired = 0;
        for (std::size_t i = 0; i < m_design.parts.size(); ++i) {
            const KicadFootprint& fp = m_design.board.footprints[m_design.parts[i].footprint];
            if (m_design.parts[i].uses.empty() || fp.path.empty())
                continue;
            ++paired;
            if (SymbolOfPath().count(fp.path) != 0)
                ++linked;
            else if (unlinked == nullptr)
                unlinked = &fp;
        }
        if (2 * linked < paired)
            m_fpFile.Fail(unlinked->pathNode != kNoNode ? unlinked->pathNode : unlinked->refNode,
                          fmt::format("footprint {}: {} of the {} footprints that share a reference with the schematic {} "
                                      "link to one of its symbols, so it is another board's schematic: give this board's own "
                                      "with --schematic, or update the board from its schematic in KiCad",
                                      unlinked->ref, linked, paired, m_design.project->files.front()->path));
    }

    // One symbol per reference, each unit placed once.
    void CheckUses(const PartLink& link)
    {
        const KicadProject& project = *m_design.project;
        std::map<int, std::size_t> placed;
        for (const std::size_t u : link.uses) {
            const SymbolUse& use = project.uses[u];
            const PlacedSymbol& symbol = project.Symbol(use);
            const SexprFile& file = *project.FileOf(use).file;
            // KiCad embeds a symbol changed in one place under a name of its own (lib_name); the
            // copies must have the same units and pins.
            if (symbol.libId != link.libId || symbol.lib->pins != link.lib->pins)
                file.Fail(symbol.node, fmt::format("reference {} is carried by symbols {} and {}{}", use.ref, link.libId,
                                                   symbol.libId, symbol.libId == link.libId ? " with different pins" : ""));
            const auto [it, fresh] = placed.emplace(use.unit, u);
            if (!fresh) {
                const SymbolUse& other = project.uses[it->second];
                const auto [line, column] = project.FileOf(other).file->Place(project.FileOf(other).file->Begin(project.Symbol(other).node));
                file.Fail(symbol.node, fmt::format("duplicate reference: {} unit {} is placed twice (also at {}:{}:{})", use.ref,
                                                   UnitLetter(use.unit), project.FileOf(other).path, line, column));
            }
        }
    }

    void PlanUnits(std::size_t i)
    {
        PartLink& link = m_design.parts[i];
        const KicadProject& project = *m_design.project;
        const SwapRule* rule = m_design.rules.Find(link.libId);
        link.rule = rule ? fmt::format("{} rule \"{}\" ({})", rule->user ? "user" : "library", rule->name, rule->place)
                  : link.lib->units > 1 ? "inferred: units with the same pins, within the part"
                                        : "none";
        std::map<int, int> styleOf;
        std::map<int, std::vector<std::size_t>> usesOf;
        for (const std::size_t u : link.uses) {
            styleOf[project.uses[u].unit] = project.Symbol(project.uses[u]).style;
            usesOf[project.uses[u].unit].push_back(u);
        }
        // Pad numbers that stand for one pin only; a number on two pins or two pads moves with neither.
        std::map<std::string, int> count;
        for (int u = 0; u <= link.lib->units; ++u)
            for (const LibPin& pin : link.lib->OwnPins(u, u == 0 ? 1 : styleOf.count(u) ? styleOf[u] : 1))
                ++count[pin.number];
        std::map<std::string, std::vector<std::size_t>> pinsOfNumber;
        for (std::size_t j = 0; j < link.padOfPin.size(); ++j)
            pinsOfNumber[m_design.board.footprints[link.footprint].pads[link.padOfPin[j]].number].push_back(j);

        for (int u = 1; u <= link.lib->units; ++u) {
            UnitPlan plan;
            plan.part = i, plan.unit = u, plan.style = styleOf.count(u) ? styleOf[u] : 1;
            plan.pins = link.lib->OwnPins(u, plan.style);
            plan.uses = usesOf[u];
            if (plan.pins.empty())
                continue;
            // A part of one unit has no other unit to exchange with, unless a rule lets it leave its part.
            bool clean = (rule == nullptr || rule->gates) && (link.lib->units > 1 || (rule && rule->acrossPackages));
            std::set<std::string> keys;
            std::vector<std::string> signature;
            for (const LibPin& pin : plan.pins) {
                const auto pads = pinsOfNumber.find(pin.number);
                const bool single = count[pin.number] == 1 && pads != pinsOfNumber.end() && pads->second.size() == 1;
                plan.boardPins.push_back(pads == pinsOfNumber.end() ? kNoIndex : pads->second.front());
                clean = clean && single && !IsPowerType(pin.type) && keys.insert(PlaceKey(pin)).second;
                signature.push_back(pin.type + PlaceKey(pin) + (rule ? "" : "=" + pin.name));
                int group = -1;
                for (std::size_t k = 0; rule && k < rule->pinGroups.size() && group < 0; ++k)
                    for (const PinSelector& s : rule->pinGroups[k])
                        if (group < 0 && Selected(s, pin) && !IsPowerType(pin.type) && single)
                            group = static_cast<int>(k);
                plan.ruleGroup.push_back(group);
            }
            std::sort(signature.begin(), signature.end());
            std::string sig = link.libId + "\n" + fmt::format("{}", fmt::join(signature, "\n"));
            plan.exchangeable = clean;
            if (clean) {
                const auto [it, fresh] = m_signatures.emplace(sig, m_signatures.size() + 1);
                plan.group = fmt::format("{}#{}", link.libId, it->second);
                const bool across = rule != nullptr && rule->acrossPackages;
                plan.classKey = plan.group + (across ? "" : "\n" + m_board.parts[i].ref);
                if (across)
                    m_board.parts[i].attributes[0].value = "2";
            } else {
                plan.group = fmt::format("{}#{}.{}", link.libId, m_board.parts[i].ref, UnitLetter(u));
                plan.classKey = plan.group;
            }
            m_plans.push_back(std::move(plan));
        }
    }

    // A rule's pin group moves pins only where every exchange the plug-in may make among the gates
    // of one class can be written exactly: each such pin, wherever a unit of the class is placed,
    // joined by one label alone, the labels of a group of one kind.
    void DecideGroups()
    {
        const KicadProject* project = m_design.project.get();
        for (const UnitPlan& plan : m_plans) {
            std::map<int, std::vector<int>> pinsOf;
            for (std::size_t p = 0; p < plan.pins.size(); ++p)
                if (plan.ruleGroup[p] >= 0)
                    pinsOf[plan.ruleGroup[p]].push_back(static_cast<int>(p));
            for (const auto& [group, pins] : pinsOf) {
                bool& ok = m_writable.try_emplace({plan.classKey, group}, true).first->second;
                for (const std::size_t u : plan.uses) {
                    std::set<LabelKind> kinds;
                    for (const int p : pins) {
                        const auto label = SoleLabel(*project, m_design.nets, project->uses[u], plan.pins[p]);
                        ok = ok && label.has_value();
                        if (label)
                            kinds.insert(project->FileOf(project->uses[u]).labels[*label].kind);
                    }
                    ok = ok && kinds.size() <= 1;
                }
            }
        }
    }

    void Describe(const UnitPlan& plan)
    {
        Part& part = m_board.parts[plan.part];
        const std::size_t gate = m_design.exchange.gates.size();
        m_design.gateOf.emplace(std::make_pair(plan.part, plan.unit), gate);
        ExchangeGate g{plan.part, UnitLetter(plan.unit), plan.group, plan.exchangeable, part.attributes[0].value == "2", {}};
        UnitLink unit{plan.unit, {}};
        for (std::size_t p = 0; p < plan.pins.size(); ++p) {
            const LibPin& pin = plan.pins[p];
            const std::size_t j = plan.boardPins[p];
            const std::string key = PlaceKey(pin);
            std::string group;
            const int rg = plan.ruleGroup[p];
            if (rg >= 0 && m_writable.at({plan.classKey, rg}))
                group = std::to_string(rg + 1);
            else if (plan.exchangeable)
                group = "=" + key;
            unit.pins.emplace(key, pin);
            if (j == kNoIndex)
                continue;
            Attributes& a = part.pins[j].attributes;
            a.push_back({LQ_GATE, g.name});
            a.push_back({LQ_GATEGROUP, g.group});
            a.push_back({LQ_LABEL, pin.name});
            a.push_back({LQ_PINTYPE, IsPowerType(pin.type) ? "PWR" : pin.type});
            if (!group.empty())
                a.push_back({LQ_PINGROUP, group});
            g.pins.push_back(ExchangePin{key, group.empty() || group[0] == '=' ? "=" + key : group, {j}});
            m_design.exchange.owners.insert(PinIndex{plan.part, j});
        }
        m_design.exchange.gates.push_back(std::move(g));
        m_design.units.push_back(std::move(unit));
    }

    // The pins shared by all units, and pads a symbol pin covers more than once, carry name and type only.
    void DescribeOthers(std::size_t i)
    {
        const PartLink& link = m_design.parts[i];
        const KicadFootprint& fp = m_design.board.footprints[link.footprint];
        std::map<std::string, const LibPin*> byNumber;
        std::vector<std::vector<LibPin>> all;
        for (int u = link.lib->units; u >= 0; --u)
            all.push_back(link.lib->OwnPins(u, 1));
        for (const auto& pins : all)
            for (const LibPin& pin : pins)
                byNumber[pin.number] = &pin;
        for (std::size_t j = 0; j < m_board.parts[i].pins.size(); ++j) {
            Attributes& a = m_board.parts[i].pins[j].attributes;
            const auto it = byNumber.find(fp.pads[link.padOfPin[j]].number);
            if (a.size() > 1 || it == byNumber.end())
                continue;
            a.push_back({LQ_LABEL, it->second->name});
            a.push_back({LQ_PINTYPE, IsPowerType(it->second->type) ? "PWR" : it->second->type});
        }
    }

    void AddNets()
    {
        std::map<std::string, std::size_t> index;
        for (const KicadNetDef& def : m_design.board.nets)
            if (!def.name.empty() && index.emplace(def.name, m_board.nets.size()).second)
                m_board.nets.push_back(Net{def.name, {}});
        for (std::size_t i = 0; i < m_board.parts.size(); ++i) {
            const KicadFootprint& fp = m_design.board.footprints[m_design.parts[i].footprint];
            for (std::size_t j = 0; j < m_board.parts[i].pins.size(); ++j) {
                const std::string& net = fp.pads[m_design.parts[i].padOfPin[j]].net;
                if (net.empty())
                    continue;
                const auto [it, fresh] = index.emplace(net, m_board.nets.size());
                if (fresh)
                    m_board.nets.push_back(Net{net, {}});
                m_board.nets[it->second].pins.push_back(PinRef{m_board.parts[i].ref, PinName(m_board.parts[i].pins[j])});
            }
        }
        std::erase_if(m_board.nets, [](const Net& n) { return n.pins.empty(); });
    }

    KicadDesign& m_design;
    Board& m_board;
    const SexprFile& m_fpFile;
    std::map<std::string, std::vector<std::size_t>> m_usesByRef;
    std::map<std::string, std::size_t> m_symbolOfPath;
    std::vector<UnitPlan> m_plans;
    std::map<std::string, std::size_t> m_signatures;
    std::map<std::pair<std::string, int>, bool> m_writable;
};

}  // namespace

std::string UnitLetter(int unit)
{
    std::string s;
    for (int u = unit; u > 0; u = (u - 1) / 26)
        s.insert(s.begin(), static_cast<char>('A' + (u - 1) % 26));
    return s;
}

void MapParts(KicadDesign& design, Board& board)
{
    design.exchange.file = design.board.file->Name();
    design.exchange.format = "KiCad";
    PartMapper(design, board).Run();
}

}  // namespace lq::kicad
