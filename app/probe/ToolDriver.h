// Drives one of the plug-in's draw tools on a sheet as a host would, for lqhost's probing: the
// tool is fetched by UI ID, given a recording draw context that is also the host's current one,
// made the current tool and started; clicks and overlay paintings follow, with the host's loop
// pumped after every call. The destructor ends the tool and restores the host's tool and context.
#pragma once
#include <cstdint>

#include "app/probe/GateMarkers.h"
#include "app/probe/RecordingDrawContext.h"

class CDrawTool;

namespace lq {

class HostSheet;
class PlugInSession;

// The mouse-button flags a view passes with its clicks.
constexpr UINT kLeftButton = 0x0001;
constexpr UINT kRightButton = 0x0002;

// A click of the left or right button at a point, as a view sends it: press and release, the
// host's loop pumped after each.
void ClickTool(CDrawTool* tool, const CLQPoint& at);
void RightClickTool(CDrawTool* tool, const CLQPoint& at);

class ToolDriver {
public:
    // nmPerPixel sets the context's zoom, and with it the size of what the tools measure in pixels.
    ToolDriver(const PlugInSession& session, HostSheet& sheet, std::int64_t nmPerPixel);
    ~ToolDriver();
    ToolDriver(const ToolDriver&) = delete;
    ToolDriver& operator=(const ToolDriver&) = delete;

    // Ends the current tool and starts the one with this UI ID; false when the plug-in has none.
    bool Use(std::uint32_t uiId);
    void Click(const CLQPoint& at);
    void RightClick(const CLQPoint& at);
    OverlayPainting Paint();

private:
    void End();

    const PlugInSession& m_session;
    HostSheet& m_sheet;
    RecordingDrawContext m_dc;
    CDrawTool* m_tool = nullptr;
    CDrawTool* m_previousTool = nullptr;
    CDrawContext* m_previousContext = nullptr;
};

}  // namespace lq
