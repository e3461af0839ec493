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
