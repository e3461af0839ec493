#include "app/formats/kicad/KicadConnectivity.h"

#include <fmt/core.h>

#include <algorithm>
#include <numeric>

namespace lq::kicad {

namespace {

class UnionFind {
public:
    std::size_t Add()
    {
        m_parent.push_back(m_parent.size());
        return m_parent.size() - 1;
    }
    std::size_t Find(std::size_t x)
    {
        while (m_parent[x] != x)
            x = m_parent[x] = m_parent[m_parent[x]];
        return x;
    }
    void Join(std::size_t a, std::size_t b) { m_parent[Find(a)] = Find(b); }
    std::size_t Size() const { return m_parent.size(); }

private:
    std::vector<std::size_t> m_parent;
};

bool OnSegment(const Vec64& p, const Vec64& a, const Vec64& b)
{
    // Coordinates are 32-bit, so differences need 33 bits and their products 128.
    if (static_cast<__int128>(b.x - a.x) * (p.y - a.y) != static_cast<__int128>(b.y - a.y) * (p.x - a.x))
        return false;
    return p.x >= std::min(a.x, b.x) && p.x <= std::max(a.x, b.x) && p.y >= std::min(a.y, b.y) && p.y <= std::max(a.y, b.y);
}

// Past this many point-on-wire tests a file is refused rather than left to run for hours.
constexpr std::size_t kWireSteps = 200'000'000;

bool IsPowerNet(const LibSymbol& lib, const LibPin& pin) { return lib.power != LibSymbol::Power::None && pin.type == "power_in"; }

}  // namespace

SheetGraph::SheetGraph(const KicadProject& project, std::size_t f, const std::vector<std::size_t>& uses)
{
    const SchematicFile& file = *project.files[f];
    std::vector<Vec64> points;
    auto point = [&](const Vec64& p) {
        const auto [it, fresh] = m_at.emplace(p, points.size());
        if (fresh)
            points.push_back(p);
        return it->second;
    };
    for (const Wire& w : file.wires)
        point(w.a), point(w.b);
    for (const Vec64& p : file.junctions)
        point(p);
    for (const Vec64& p : file.noConnects)
        point(p);
    for (const Vec64& p : file.flags)
        point(p);
    for (const Label& l : file.labels)
        point(l.at);
    for (const SheetSymbol& s : file.sheets)
        for (const SheetPin& p : s.pins)
            point(p.at);
    for (const std::size_t u : uses) {
        const SymbolUse& use = project.uses[u];
        for (const LibPin& pin : project.Symbol(use).lib->PinsOf(use.unit, project.Symbol(use).style))
            point(project.Symbol(use).PinAt(pin));
    }

    UnionFind uf;
    for (std::size_t i = 0; i < points.size(); ++i)
        uf.Add();
    // A wire joins its ends and every point that lies on it. Wires along one row (or column) that
    // overlap or touch form one run; a point joins the run it lies in, found by binary search.
    struct Run {
        std::int64_t from;
        std::int64_t to;
        std::size_t point;  // a point of the run's wires
    };
    std::map<std::int64_t, std::vector<Run>> rows, columns;
    std::vector<std::size_t> slanted;
    for (std::size_t k = 0; k < file.wires.size(); ++k) {
        const Wire& w = file.wires[k];
        uf.Join(m_at.at(w.a), m_at.at(w.b));
        if (w.a.y == w.b.y)
            rows[w.a.y].push_back(Run{std::min(w.a.x, w.b.x), std::max(w.a.x, w.b.x), m_at.at(w.a)});
        else if (w.a.x == w.b.x)
            columns[w.a.x].push_back(Run{std::min(w.a.y, w.b.y), std::max(w.a.y, w.b.y), m_at.at(w.a)});
        else
            slanted.push_back(k);
    }
    for (auto* lines : {&rows, &columns})
        for (auto& [line, runs] : *lines) {
            std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.from < b.from; });
            std::vector<Run> merged;
            for (const Run& r : runs) {
                if (!merged.empty() && r.from <= merged.back().to) {
                    merged.back().to = std::max(merged.back().to, r.to);
                    uf.Join(r.point, merged.back().point);
                } else {
                    merged.push_back(r);
                }
            }
            runs.swap(merged);
        }
    auto join = [&](std::size_t i, const std::map<std::int64_t, std::vector<Run>>& lines, std::int64_t line, std::int64_t at) {
        const auto it = lines.find(line);
        if (it == lines.end())
            return;
        const auto run = std::upper_bound(it->second.begin(), it->second.end(), at,
                                          [](std::int64_t v, const Run& r) { return v < r.from; });
        if (run != it->second.begin() && at <= std::prev(run)->to)
            uf.Join(i, std::prev(run)->point);
    };
    std::size_t steps = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const Vec64& p = points[i];
        join(i, rows, p.y, p.x);
        join(i, columns, p.x, p.y);
        for (const std::size_t k : slanted) {
            if (++steps > kWireSteps)
                file.file->Fail(file.file->Root(), fmt::format("telling which points lie on slanted wires takes more than "
                                                               "{} steps", kWireSteps));
            if (OnSegment(p, file.wires[k].a, file.wires[k].b))
                uf.Join(i, m_at.at(file.wires[k].a));
        }
    }

    std::map<std::size_t, std::size_t> dense;
    for (auto& [p, id] : m_at) {
        const auto [it, fresh] = dense.emplace(uf.Find(id), dense.size());
        id = it->second;
    }
    m_components = dense.size();
    m_census.resize(m_components);
    for (std::size_t k = 0; k < file.labels.size(); ++k)
        m_census[At(file.labels[k].at)].labels.push_back(k);
    for (const SheetSymbol& s : file.sheets)
        for (const SheetPin& p : s.pins)
            ++m_census[At(p.at)].others;
    for (const Vec64& p : file.noConnects)
        ++m_census[At(p)].others;
    for (const Vec64& p : file.flags)
        ++m_census[At(p)].others;
    const auto first = std::find_if(project.instances.begin(), project.instances.end(),
                                    [&](const SheetInstance& s) { return s.file == f; });
    const auto firstIndex = static_cast<std::size_t>(first - project.instances.begin());
    for (const std::size_t u : uses) {
        const SymbolUse& use = project.uses[u];
        if (use.instance == firstIndex)
            for (const LibPin& pin : project.Symbol(use).lib->PinsOf(use.unit, project.Symbol(use).style))
                ++m_census[At(project.Symbol(use).PinAt(pin))].pins;
    }
}

SchematicNets ComputeNets(const KicadProject& project)
{
    SchematicNets out;
    std::vector<std::vector<std::size_t>> usesOfFile(project.files.size());
    for (std::size_t u = 0; u < project.uses.size(); ++u)
        usesOfFile[project.instances[project.uses[u].instance].file].push_back(u);
    for (std::size_t f = 0; f < project.files.size(); ++f)
        out.graphs.emplace_back(project, f, usesOfFile[f]);

    UnionFind uf;
    std::vector<std::size_t> offset;
    for (const SheetInstance& s : project.instances) {
        offset.push_back(uf.Size());
        for (std::size_t c = 0; c < out.graphs[s.file].Components(); ++c)
            uf.Add();
    }
    std::map<std::string, std::size_t> named;
    auto name = [&](const std::string& key) {
        const auto [it, fresh] = named.emplace(key, 0);
        if (fresh)
            it->second = uf.Add();
        return it->second;
    };
    auto local = [](std::size_t instance, const std::string& text) { return fmt::format("L{}\n{}", instance, text); };
    auto sheetName = [](std::size_t instance, const std::string& text) { return fmt::format("H{}\n{}", instance, text); };

    std::map<std::pair<std::size_t, std::size_t>, std::size_t> childOf;  // (parent instance, sheet) -> child instance
    for (std::size_t i = 0; i < project.instances.size(); ++i)
        if (project.instances[i].parent)
            childOf[{*project.instances[i].parent, project.instances[i].sheet}] = i;

    for (std::size_t i = 0; i < project.instances.size(); ++i) {
        const SchematicFile& file = *project.files[project.instances[i].file];
        const SheetGraph& graph = out.graphs[project.instances[i].file];
        for (const Label& l : file.labels) {
            const std::size_t node = offset[i] + graph.At(l.at);
            const std::string key = l.kind == LabelKind::Local    ? local(i, l.text)
                                    : l.kind == LabelKind::Global ? "G\n" + l.text
                                                                  : sheetName(i, l.text);
            uf.Join(node, name(key));
        }
        for (std::size_t k = 0; k < file.sheets.size(); ++k) {
            const auto child = childOf.find({i, k});
            if (child == childOf.end())
                continue;
            for (const SheetPin& p : file.sheets[k].pins)
                uf.Join(offset[i] + graph.At(p.at), name(sheetName(child->second, p.name)));
        }
    }
    std::map<PinKey, std::size_t> pins;
    for (const SymbolUse& use : project.uses) {
        const PlacedSymbol& symbol = project.Symbol(use);
        const SchematicFile& file = project.FileOf(use);
        const SheetGraph& graph = out.graphs[project.instances[use.instance].file];
        for (const LibPin& pin : symbol.lib->PinsOf(use.unit, symbol.style)) {
            const std::size_t node = offset[use.instance] + graph.At(symbol.PinAt(pin));
            if (IsPowerNet(*symbol.lib, pin)) {
                const std::string net = file.version < kPowerByValueVersion ? pin.name : symbol.value;
                uf.Join(node, name(symbol.lib->power == LibSymbol::Power::Local ? local(use.instance, net) : "G\n" + net));
            } else if (pin.type == "power_in" && pin.hidden) {
                uf.Join(node, name("G\n" + pin.name));
            }
            if (!use.ref.empty() && use.ref[0] != '#') {
                const auto [it, fresh] = pins.emplace(PinKey{use.ref, pin.number}, node);
                if (!fresh)
                    uf.Join(node, it->second);
            }
        }
    }
    std::map<std::size_t, std::size_t> dense;
    for (const auto& [key, node] : pins) {
        const auto [it, fresh] = dense.emplace(uf.Find(node), dense.size());
        out.netOfPin.emplace(key, it->second);
    }
    return out;
}

std::optional<std::size_t> SoleLabel(const KicadProject& project, const SchematicNets& nets, const SymbolUse& use,
                                     const LibPin& pin)
{
    const std::size_t f = project.instances[use.instance].file;
    if (project.instancesOfFile[f] != 1)
        return std::nullopt;
    const SheetGraph& graph = nets.graphs[f];
    const SheetGraph::Census& c = graph.Contents(graph.At(project.Symbol(use).PinAt(pin)));
    if (c.labels.size() != 1 || c.pins != 1 || c.others != 0)
        return std::nullopt;
    return c.labels.front();
}

}  // namespace lq::kicad
