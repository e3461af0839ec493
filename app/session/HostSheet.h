// A board opened in the host: a CLayoutSubSheet built from a Board the way the host's own
// loader would, the mapping between the two kept both ways, and the board read back after the
// plug-in has worked on the sheet.
//
// Typical use, as a host does it:
//     HostSheet sheet(board, "board.qbrd.json");
//     sheet.MakeCurrent();                       // GetDrwSubSheet() and GetDrawContext() answer it
//     ... call into the plug-in, then AfxPumpEvents() ...
//     Board after = sheet.ReadBack();
// The destructor closes the sheet as the host does (a database change for it, then deletion).
#pragma once
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/model/Board.h"
#include "host/Copper.h"
#include "host/DrawContext.h"
#include "host/LayoutComponent.h"
#include "host/LayoutPin.h"
#include "host/SubSheet.h"

namespace lq {

class HostSheet {
public:
    // Builds the sheet. source names the board in errors; a board that breaks a rule of
    // CheckBoard (duplicate names, a net pin of an unknown part or pin, ...) throws ParseError
    // with source and the place of the problem.
    HostSheet(const Board& board, std::string source);
    ~HostSheet();
    HostSheet(const HostSheet&) = delete;
    HostSheet& operator=(const HostSheet&) = delete;

    CLayoutSubSheet* Sheet() const { return m_sheet.get(); }
    // The view's draw context, at the board's zoom.
    CDrawContext* View() { return &m_view; }
    const std::string& Source() const { return m_source; }
    // The board as it was given.
    const Board& Original() const { return m_board; }

    // Makes this sheet the host's current sheet and its view's context the current context.
    void MakeCurrent();

    CLayoutComponent* Component(std::size_t part) const { return m_components.at(part); }
    CLayoutPin* PinObject(const PinIndex& pin) const { return m_pins.at(pin.part).at(pin.pin); }
    std::optional<std::size_t> FindPart(const CDrawObject* object) const;
    std::optional<PinIndex> FindPin(const CDrawObject* object) const;

    // The board as the sheet holds it now: nets and their pin order from the host's netlist,
    // placements from where the components are now, copper from the drawing store. Throws
    // JobError if the sheet holds something no board can say (a net pin of a foreign object,
    // a part moved beyond the 32-bit range).
    Board ReadBack() const;

private:
    void Build();
    void ReadPlacements(Board& board) const;
    void ReadNets(Board& board) const;
    void ReadCopper(Board& board) const;

    Board m_board;
    std::string m_source;
    std::unique_ptr<CLayoutSubSheet> m_sheet;
    CDrawContext m_view;
    std::vector<CLayoutComponent*> m_components;
    std::vector<std::vector<CLayoutPin*>> m_pins;
    std::vector<CLayoutTrack*> m_tracks;
    std::vector<CLayoutVia*> m_vias;
    std::vector<CLayoutPolygon*> m_polygons;
    std::unordered_map<const CDrawObject*, std::size_t> m_partOf;
    std::unordered_map<const CDrawObject*, PinIndex> m_pinOf;
};

}  // namespace lq
