#include "app/session/HostSheet.h"

#include <fmt/core.h>

#include <limits>

#include "app/core/Errors.h"
#include "app/model/BoardCheck.h"
#include "host/AttributeNames.h"
#include "host/Events.h"
#include "host/HostApp.h"
#include "host/Net.h"

namespace lq {

namespace {
CLQPoint ToHost(const Point& p) { return CLQPoint(p.x, p.y); }
CLQRect ToHost(const Rect& r) { return CLQRect(r.x1, r.y1, r.x2, r.y2); }
Point FromHost(const CLQPoint& p) { return Point{p.x, p.y}; }
}  // namespace

HostSheet::HostSheet(const Board& board, std::string source) : m_board(board), m_source(std::move(source))
{
    if (const auto problem = CheckBoard(m_board))
        throw ParseError(m_source, problem->place, problem->message);
    Build();
}

HostSheet::~HostSheet()
{
    // Deliver what the plug-in left posted while the sheet still exists, then close it.
    AfxPumpEvents();
    if (GetDrawContext() == &m_view)
        LQSetDrawContext(nullptr);
    LQCloseSubSheet(std::move(m_sheet));
}

void HostSheet::MakeCurrent()
{
    LQSetDrwSubSheet(m_sheet.get());
    LQSetDrawContext(&m_view);
}

void HostSheet::Build()
{
    const SheetSettings& s = m_board.sheet;
    m_sheet = std::make_unique<CLayoutSubSheet>(s.backAnnotationManager);
    m_sheet->SetDocType(s.documentType.c_str());
    m_sheet->SetSuppressBackAnnotation(!s.backAnnotation);
    m_sheet->GetMoveSwapState() = CMoveSwapState{s.moveSwap.mode, s.moveSwap.pinSwap, s.moveSwap.gateSwap};
    m_view.SetZoom(s.zoom);
    CDrawingStore* store = m_sheet->GetDrawingStore();

    for (std::size_t i = 0; i < m_board.parts.size(); ++i) {
        const Part& part = m_board.parts[i];
        auto* component = store->Add(std::make_unique<CLayoutComponent>(ToHost(AbsoluteOutline(part))));
        component->AddAttribute(LQ_REFDES, part.ref.c_str());
        for (const Attribute& a : part.attributes)
            component->AddAttribute(a.name.c_str(), a.value.c_str());
        component->SetAllowPinSwapping(part.pinSwap);
        m_components.push_back(component);
        m_partOf.emplace(component, i);
        std::vector<CLayoutPin*>& pins = m_pins.emplace_back();
        for (std::size_t j = 0; j < part.pins.size(); ++j) {
            const Pin& pin = part.pins[j];
            auto* object = store->Add(std::make_unique<CLayoutPin>(ToHost(AbsolutePin(part, pin)),
                                                                   ToHost(AbsolutePad(part, pin)), pin.layers));
            for (const Attribute& a : pin.attributes)
                object->AddAttribute(a.name.c_str(), a.value.c_str());
            component->AddChild(object);
            pins.push_back(object);
            m_pinOf.emplace(object, PinIndex{i, j});
        }
    }
    for (const Track& t : m_board.tracks) {
        auto* track = store->Add(std::make_unique<CLayoutTrack>(t.layer, t.width, ToHost(t.from), ToHost(t.to)));
        track->SetNetName(t.net.c_str());
        m_tracks.push_back(track);
    }
    for (const Via& v : m_board.vias) {
        auto* via = store->Add(std::make_unique<CLayoutVia>(ToHost(v.at), v.diameter));
        via->SetNetName(v.net.c_str());
        m_vias.push_back(via);
    }
    for (const Polygon& p : m_board.polygons) {
        std::vector<CLQPoint> points;
        for (const Point& pt : p.points)
            points.push_back(ToHost(pt));
        auto* polygon = store->Add(std::make_unique<CLayoutPolygon>(p.layer, std::move(points)));
        polygon->SetNetName(p.net.c_str());
        m_polygons.push_back(polygon);
    }

    const BoardIndex index(m_board);
    for (const Net& n : m_board.nets) {
        CLayoutNet* net = m_sheet->GetNetlist()->AddNet(n.name.c_str());
        for (const PinRef& ref : n.pins)
            CLayoutNetlist::AttachPin(PinObject(*index.FindPin(ref)), net);
    }
    // What the plug-in does shows in the records from here on, not the loading.
    m_sheet->GetNetlist()->ClearRecords();
    store->ClearRecords();
}

std::optional<std::size_t> HostSheet::FindPart(const CDrawObject* object) const
{
    const auto it = m_partOf.find(object);
    return it == m_partOf.end() ? std::nullopt : std::optional<std::size_t>(it->second);
}

std::optional<PinIndex> HostSheet::FindPin(const CDrawObject* object) const
{
    const auto it = m_pinOf.find(object);
    return it == m_pinOf.end() ? std::nullopt : std::optional<PinIndex>(it->second);
}

Board HostSheet::ReadBack() const
{
    Board board = m_board;
    ReadPlacements(board);
    ReadCopper(board);
    ReadNets(board);
    return board;
}

void HostSheet::ReadPlacements(Board& board) const
{
    for (std::size_t i = 0; i < board.parts.size(); ++i) {
        Part& part = board.parts[i];
        const CLQRect now = m_components[i]->GetRect();
        const Rect was = AbsoluteOutline(m_board.parts[i]);
        const std::int64_t x = std::int64_t{part.at.x} + now.left - was.x1;
        const std::int64_t y = std::int64_t{part.at.y} + now.top - was.y1;
        bool fits = x >= std::numeric_limits<std::int32_t>::min() && x <= std::numeric_limits<std::int32_t>::max() &&
                    y >= std::numeric_limits<std::int32_t>::min() && y <= std::numeric_limits<std::int32_t>::max();
        if (fits) {
            part.at = Point{static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)};
            // The host saturates moves at the coordinate range; then the pins no longer keep
            // their places relative to the part, which no board can say.
            for (std::size_t j = 0; j < part.pins.size() && fits; ++j)
                fits = FromHost(m_pins[i][j]->GetLocation()) == AbsolutePin(part, part.pins[j]);
            const Rect outline = AbsoluteOutline(part);
            fits = fits && ToHost(outline) == now;
        }
        if (!fits)
            throw JobError(fmt::format("{}: part {} was moved beyond the 32-bit coordinate range", m_source, part.ref));
    }
}

void HostSheet::ReadCopper(Board& board) const
{
    for (std::size_t i = 0; i < board.tracks.size(); ++i) {
        board.tracks[i].from = FromHost(m_tracks[i]->GetFrom());
        board.tracks[i].to = FromHost(m_tracks[i]->GetTo());
    }
    for (std::size_t i = 0; i < board.vias.size(); ++i)
        board.vias[i].at = FromHost(m_vias[i]->GetPosition());
    for (std::size_t i = 0; i < board.polygons.size(); ++i) {
        board.polygons[i].points.clear();
        for (const CLQPoint& p : m_polygons[i]->GetVertices())
            board.polygons[i].points.push_back(FromHost(p));
    }
}

void HostSheet::ReadNets(Board& board) const
{
    board.nets.clear();
    for (const auto& net : m_sheet->GetNetlist()->GetNets()) {
        Net& out = board.nets.emplace_back();
        out.name = net->GetName().str();
        for (const CNetPin* netPin : net->GetNetPins()) {
            const auto pin = FindPin(netPin->GetDrawObject());
            if (!pin)
                throw JobError(fmt::format("{}: net {} holds an object that is not a pin of the board", m_source, out.name));
            const Part& part = board.parts[pin->part];
            out.pins.push_back(PinRef{part.ref, PinName(part.pins[pin->pin])});
        }
    }
}

}  // namespace lq
