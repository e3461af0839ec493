#include "app/probe/BoardProbe.h"

#include <fmt/core.h>

#include <algorithm>
#include <map>

#include "app/core/Errors.h"
#include "app/probe/ToolDriver.h"
#include "app/session/HostSheet.h"
#include "app/session/PlugInSession.h"
#include "app/session/ToolIds.h"
#include "host/Extension.h"
#include "host/HostApp.h"
#include "host/Window.h"

namespace lq {

namespace {

// One nanometre per pixel: markers and hit circles shrink to a few nanometres, so that gates
// whose centres lie apart can each be picked at their centre.
constexpr std::int64_t kProbeZoom = 1;
// The swap pin tool's message for a pin without pin-group information.
constexpr UINT kNoPinGroupMessage = 61569;

class Prober {
public:
    Prober(const PlugInSession& session, HostSheet& sheet) : m_session(session), m_sheet(sheet) {}

    BoardProbe Run()
    {
        const Board before = m_sheet.ReadBack();
        {
            ToolDriver driver(m_session, m_sheet, kProbeZoom);
            ProbeGates(driver);
            ProbePins(driver);
        }
        if (m_sheet.ReadBack().nets != before.nets)
            throw JobError(m_sheet.Source() + ": probing the plug-in's tools changed connections; nothing was written");
        GroupGates();
        GroupPins();
        AddNotes();
        return std::move(m_probe);
    }

private:
    std::vector<PinIndex> SelectedPins() const
    {
        std::vector<PinIndex> pins;
        for (const CDrawObject* object : m_sheet.Sheet()->GetDrawingStore()->GetSelectedObjects())
            if (const auto pin = m_sheet.FindPin(object))
                pins.push_back(*pin);
        return pins;
    }

    // The pins at a board point, for the lines of a marker.
    std::vector<PinIndex> PinsAt(const CLQPoint& at)
    {
        if (m_pinsAt.empty()) {
            const Board& board = m_sheet.Original();
            for (std::size_t i = 0; i < board.parts.size(); ++i)
                for (std::size_t j = 0; j < board.parts[i].pins.size(); ++j) {
                    const CLQPoint p = m_sheet.PinObject(PinIndex{i, j})->GetLocation();
                    m_pinsAt[{p.x, p.y}].push_back(PinIndex{i, j});
                }
        }
        const auto it = m_pinsAt.find({at.x, at.y});
        return it == m_pinsAt.end() ? std::vector<PinIndex>{} : it->second;
    }

    ProbedGate FromMarker(const GateMarker& m)
    {
        ProbedGate g;
        g.name = m.name;
        g.centre = m.centre;
        // Where pins share a location, the part that most lines lead to decides.
        std::map<std::size_t, int> votes;
        std::vector<std::vector<PinIndex>> atEnds;
        for (const CLQPoint& end : m.pinEnds) {
            atEnds.push_back(PinsAt(end));
            for (const PinIndex& p : atEnds.back())
                ++votes[p.part];
        }
        if (!votes.empty())
            g.part = std::max_element(votes.begin(), votes.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
        for (const auto& pins : atEnds)
            for (const PinIndex& p : pins)
                if (g.part && p.part == *g.part) {
                    g.signalPins.push_back(p);
                    break;
                }
        return g;
    }

    std::optional<std::size_t> FindMarker(const GateMarker& m) const
    {
        const auto it = m_markerAt.find({m.centre.x, m.centre.y});
        if (it != m_markerAt.end())
            for (std::size_t j : it->second)
                if (SameMarker(m_markers[j], m))
                    return j;
        return std::nullopt;
    }

    void ProbeGates(ToolDriver& driver)
    {
        if (!driver.Use(kSwapGateToolUIID)) {
            m_probe.notes.push_back("The plug-in hands out no swap gate tool, so no gates could be seen.");
            return;
        }
        m_markers = driver.Paint().markers;
        for (std::size_t j = 0; j < m_markers.size(); ++j) {
            m_markerAt[{m_markers[j].centre.x, m_markers[j].centre.y}].push_back(j);
            m_probe.gates.push_back(FromMarker(m_markers[j]));
        }
        for (std::size_t i = 0; i < m_markers.size(); ++i) {
            ProbedGate& gate = m_probe.gates[i];
            driver.Click(gate.centre);
            const std::vector<PinIndex> selected = SelectedPins();
            const OverlayPainting painting = driver.Paint();
            const auto picked = std::find_if(painting.markers.begin(), painting.markers.end(),
                                             [](const GateMarker& m) { return m.selected; });
            if (picked != painting.markers.end()) {
                const auto j = FindMarker(*picked);
                if (j && *j != i) {
                    gate.hiddenBy = *j;
                } else {
                    gate.pins = selected;
                    if (!gate.part && !selected.empty())
                        gate.part = selected.front().part;
                    for (const GateMarker& m : painting.markers) {
                        if (m.selected || m.background)
                            continue;
                        const auto k = FindMarker(m);
                        if (k && *k == i)
                            gate.swappable = true;
                        else if (k)
                            gate.candidates.push_back(*k);
                    }
                }
                // Picking the same gate again puts the tool back to rest.
                driver.Click(gate.centre);
            }
        }
        for (ProbedGate& g : m_probe.gates)
            g.pseudo = g.name.empty() && !g.swappable && g.part && !g.pins.empty() &&
                       g.pins.size() == m_sheet.Original().parts[*g.part].pins.size();
    }

    void ProbePins(ToolDriver& driver)
    {
        if (!driver.Use(kSwapPinToolUIID)) {
            m_probe.notes.push_back("The plug-in hands out no swap pin tool, so no pin could be asked about.");
            return;
        }
        const std::string noGroup = GetResourceString(m_session.Instance(), kNoPinGroupMessage).str();
        const auto& boxes = AfxGetHostLog().messageBoxes;
        const Board& board = m_sheet.Original();
        for (std::size_t i = 0; i < board.parts.size(); ++i) {
            for (std::size_t j = 0; j < board.parts[i].pins.size(); ++j) {
                ProbedPin p;
                p.pin = PinIndex{i, j};
                const CLQPoint at = m_sheet.PinObject(p.pin)->GetPadRect().CenterPoint();
                const std::size_t shown = boxes.size();
                driver.Click(at);
                const std::vector<PinIndex> selected = SelectedPins();
                if (boxes.size() > shown) {
                    p.message = boxes[shown].strText.str();
                    p.answer = p.message == noGroup ? ProbedPin::Answer::NoPinGroup : ProbedPin::Answer::Message;
                } else if (selected.empty()) {
                    p.answer = ProbedPin::Answer::Missed;
                } else if (selected.front() != p.pin) {
                    p.answer = ProbedPin::Answer::Hidden;
                    p.hiddenBy = selected.front();
                } else {
                    p.answer = ProbedPin::Answer::Picked;
                    for (const CDrawObject* object : driver.Paint().objects) {
                        const auto c = m_sheet.FindPin(object);
                        if (c && *c == p.pin)
                            p.swappable = true;
                        else if (c)
                            p.candidates.push_back(*c);
                    }
                }
                // A right click always puts the swap pin tool back to rest.
                driver.RightClick(at);
                m_probe.pins.push_back(std::move(p));
            }
        }
    }

    void GroupGates()
    {
        std::vector<bool> swappable;
        std::vector<std::vector<std::size_t>> candidates;
        for (const ProbedGate& g : m_probe.gates) {
            swappable.push_back(g.swappable);
            candidates.push_back(g.candidates);
        }
        for (auto& group : GroupByCandidates(swappable, candidates)) {
            if (group.size() < 2)
                continue;
            for (std::size_t g : group)
                m_probe.gates[g].group = m_probe.gateGroups.size();
            m_probe.gateGroups.push_back(std::move(group));
        }
    }

    void GroupPins()
    {
        std::map<PinIndex, std::size_t> flat;
        for (std::size_t i = 0; i < m_probe.pins.size(); ++i)
            flat[m_probe.pins[i].pin] = i;
        std::vector<bool> swappable;
        std::vector<std::vector<std::size_t>> candidates;
        for (const ProbedPin& p : m_probe.pins) {
            swappable.push_back(p.swappable);
            candidates.emplace_back();
            for (const PinIndex& c : p.candidates)
                candidates.back().push_back(flat.at(c));
        }
        for (const auto& group : GroupByCandidates(swappable, candidates)) {
            if (group.size() < 2)
                continue;
            std::vector<PinIndex> pins;
            for (std::size_t i : group) {
                m_probe.pins[i].group = m_probe.pinGroups.size();
                pins.push_back(m_probe.pins[i].pin);
            }
            m_probe.pinGroups.push_back(std::move(pins));
        }
    }

    void AddNotes()
    {
        auto& notes = m_probe.notes;
        notes.push_back("Gate group names are not drawn: gate groups are numbered here, formed from the gates each gate "
                        "may be swapped with.");
        notes.push_back("The swap gate tool draws real gates, and pseudo-gates only of parts whose gate-swap setting "
                        "lets gates move between packages; other pseudo-gates are not seen.");
        notes.push_back("A gate drawn without a name that holds every pin of its part and may not be swapped is taken "
                        "for the part's pseudo-gate.");
        notes.push_back("Pin group names are not shown: pin groups are numbered here, formed from the pins each pin may "
                        "be swapped with.");
        for (const ProbedGate& g : m_probe.gates)
            if (g.hiddenBy) {
                notes.push_back("Gates whose markers lie on top of another's cannot be picked, so their candidates "
                                "are not known.");
                break;
            }
        if (std::any_of(m_probe.gates.begin(), m_probe.gates.end(), [](const ProbedGate& g) { return !g.part; }))
            notes.push_back("A gate with no pins to draw lines from shows no part until it is picked.");
    }

    const PlugInSession& m_session;
    HostSheet& m_sheet;
    std::vector<GateMarker> m_markers;  // as drawn at rest
    std::map<std::pair<std::int32_t, std::int32_t>, std::vector<std::size_t>> m_markerAt;
    std::map<std::pair<std::int32_t, std::int32_t>, std::vector<PinIndex>> m_pinsAt;
    BoardProbe m_probe;
};

}  // namespace

std::vector<std::vector<std::size_t>> GroupByCandidates(const std::vector<bool>& swappable,
                                                        const std::vector<std::vector<std::size_t>>& candidates)
{
    const auto has = [&](std::size_t a, std::size_t b) {
        return std::find(candidates[a].begin(), candidates[a].end(), b) != candidates[a].end();
    };
    std::vector<std::vector<std::size_t>> groups;
    for (std::size_t i = 0; i < swappable.size(); ++i) {
        if (!swappable[i])
            continue;
        const auto group = std::find_if(groups.begin(), groups.end(), [&](const std::vector<std::size_t>& g) {
            return has(i, g.front()) || has(g.front(), i);
        });
        if (group != groups.end())
            group->push_back(i);
        else
            groups.push_back({i});
    }
    return groups;
}

BoardProbe ProbeBoard(const PlugInSession& session, HostSheet& sheet) { return Prober(session, sheet).Run(); }

}  // namespace lq
