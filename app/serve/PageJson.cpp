#include "app/serve/PageJson.h"

#include <nlohmann/json.hpp>

#include "app/report/Labels.h"
#include "app/serve/PageSession.h"
#include "host/Extension.h"

namespace lq {

namespace {

using Json = nlohmann::json;

// The plug-in's texts for swapping pins, and pins and gates, while moving.
constexpr UINT kMoveSwapPinsText = 61567;
constexpr UINT kMoveSwapGatesText = 61563;

Json RectJson(const Rect& r) { return Json::array({r.x1, r.y1, r.x2, r.y2}); }

Json FiguresJson(const AirwireFigures& f)
{
    return Json{{"airwires", f.airwires}, {"length", f.length}, {"crossings", f.crossings}};
}

Json PinsJson(const std::vector<PinIndex>& pins)
{
    Json out = Json::array();
    for (const PinIndex& p : pins)
        out.push_back(Json::array({p.part, p.pin}));
    return out;
}

const char* FormatName(BoardFormat format)
{
    switch (format) {
    case BoardFormat::Eagle:
        return "eagle";
    case BoardFormat::Kicad:
        return "kicad";
    case BoardFormat::QuillonJson:
        break;
    }
    return "quillon";
}

std::string Dump(const Json& j) { return j.dump(-1, ' ', false, Json::error_handler_t::replace); }

Json CommandsJson(const PageSession& session)
{
    Json commands = Json::array();
    for (const CommandState& s : session.Commands()) {
        const CommandDescription& c = *s.command;
        commands.push_back(Json{{"name", c.name},
                                {"text", c.shortText},
                                {"description", c.description},
                                {"menu", c.menuItem},
                                {"bitmap", c.record.dwBitmapID},
                                {"tool", s.toolUIID ? Json(*s.toolUIID) : Json(nullptr)},
                                {"enabled", s.enabled},
                                {"checked", s.checked}});
    }
    return commands;
}

Json ChangesJson(const PageSession& session)
{
    Json changes = Json::array();
    for (const Change& c : session.Changes()) {
        Json pins = Json::array();
        for (const PinChange& p : c.pins)
            pins.push_back(Json{{"part", p.part}, {"pin", p.pin}, {"index", Json::array({p.index.part, p.index.pin})},
                                {"oldNet", p.oldNet}, {"newNet", p.newNet}});
        Json records = Json::array();
        for (const BackAnnotationEntry& r : c.records)
            records.push_back(Json{{"kind", r.kind}, {"undoId", r.undoId}, {"texts", r.texts}});
        changes.push_back(Json{{"label", c.label}, {"pins", pins}, {"records", records}});
    }
    return changes;
}

}  // namespace

std::string BoardGeometryJson(const PageSession& session)
{
    if (!session.HasBoard())
        return Dump(Json{{"revision", session.GeometryRevision()}, {"board", nullptr}});
    const Board& board = session.Current();
    Json parts = Json::array();
    for (const Part& part : board.parts) {
        Json pins = Json::array();
        for (const Pin& pin : part.pins) {
            const Point at = AbsolutePin(part, pin);
            pins.push_back(Json{{"name", PinName(pin)}, {"at", Json::array({at.x, at.y})}, {"pad", RectJson(AbsolutePad(part, pin))}});
        }
        parts.push_back(Json{{"ref", part.ref},
                             {"value", FindAttribute(part.attributes, "VALUE").value_or("")},
                             {"outline", RectJson(AbsoluteOutline(part))},
                             {"pins", pins}});
    }
    Json tracks = Json::array();
    for (const Track& t : board.tracks)
        tracks.push_back(Json::array({t.from.x, t.from.y, t.to.x, t.to.y, t.width}));
    Json vias = Json::array();
    for (const Via& v : board.vias)
        vias.push_back(Json::array({v.at.x, v.at.y, v.diameter}));
    Json polygons = Json::array();
    for (const Polygon& p : board.polygons) {
        Json points = Json::array();
        for (const Point& pt : p.points)
            points.push_back(pt.x), points.push_back(pt.y);
        polygons.push_back(points);
    }
    return Dump(Json{{"revision", session.GeometryRevision()},
                     {"board", session.Name()},
                     {"zoom", board.sheet.zoom},
                     {"parts", parts},
                     {"tracks", tracks},
                     {"vias", vias},
                     {"polygons", polygons}});
}

std::string PageStateJson(PageSession& session)
{
    Json state{{"revision", session.Revision()}, {"geometry", session.GeometryRevision()}};
    state["commands"] = CommandsJson(session);
    Json messages = Json::array();
    for (const PageMessage& m : session.Messages())
        messages.push_back(Json{{"sequence", m.sequence}, {"text", m.text}});
    state["messages"] = messages;
    // The host's swap-while-moving switch, named with the plug-in's own texts for it.
    state["moveSwapTexts"] = Json::array({"", session.PlugInText(kMoveSwapPinsText), session.PlugInText(kMoveSwapGatesText)});
    if (!session.HasBoard()) {
        state["board"] = nullptr;
        return Dump(state);
    }
    const Board& board = session.Current();
    state["board"] = Json{{"name", session.Name()},
                          {"notes", session.Loaded().notes},
                          {"format", FormatName(session.Loaded().format)},
                          {"documentType", board.sheet.documentType}};
    state["notice"] = session.Notice().empty() ? Json(nullptr) : Json(session.Notice());
    const auto tool = session.ToolUIID();
    state["tool"] = tool ? Json(*tool) : Json(nullptr);
    const auto cursor = session.Cursor();
    state["cursor"] = cursor ? Json{{"id", cursor->id}, {"x", cursor->hotX}, {"y", cursor->hotY}} : Json(nullptr);
    state["pickMode"] = session.PickMode();
    state["moveSwap"] = session.MoveSwapMode();
    state["moving"] = session.Moving();
    state["figures"] = Json{{"before", FiguresJson(session.FiguresBefore())}, {"now", FiguresJson(session.FiguresNow())}};

    Json airwires = Json::array();
    for (const Airwire& a : session.Airwires())
        airwires.push_back(Json::array({a.from.x, a.from.y, a.to.x, a.to.y, session.IsNewAirwire(a) ? 1 : 0}));
    state["airwires"] = airwires;
    state["changedPins"] = [&] {
        std::vector<PinIndex> pins;
        for (const PinChange& c : NetChanges(session.Loaded().board, board))
            pins.push_back(c.index);
        return PinsJson(pins);
    }();
    state["selectedPins"] = PinsJson(session.SelectedPins());
    state["selectedParts"] = session.SelectedParts();

    Json netNames = Json::array();
    for (const Net& n : board.nets)
        netNames.push_back(n.name);
    const BoardIndex index(board);
    Json pinNets = Json::array();
    for (std::size_t i = 0; i < board.parts.size(); ++i) {
        Json row = Json::array();
        for (std::size_t j = 0; j < board.parts[i].pins.size(); ++j) {
            const auto net = index.NetOfPin(PinIndex{i, j});
            row.push_back(net ? Json(*net) : Json(nullptr));
        }
        pinNets.push_back(row);
    }
    state["nets"] = netNames;
    state["pinNets"] = pinNets;

    const PageSession::Overlay overlay = session.PaintOverlay();
    state["overlay"] = overlay.svg;
    Json overlayPins = Json::array();
    for (const PinIndex& p : overlay.pins)
        overlayPins.push_back(PinLabel(board, p));
    state["overlayPins"] = overlayPins;
    state["changes"] = ChangesJson(session);
    state["applied"] = session.ChangesApplied();
    return Dump(state);
}

std::string ErrorJson(const std::string& message) { return Dump(Json{{"error", message}}); }

}  // namespace lq
