#include "app/probe/ToolDriver.h"

#include "app/session/HostSheet.h"
#include "app/session/PlugInSession.h"
#include "host/Events.h"
#include "host/HostApp.h"
#include "host/PlugInBase.h"

namespace lq {

void ClickTool(CDrawTool* tool, const CLQPoint& at)
{
    tool->LButtonDown(kLeftButton, at);
    AfxPumpEvents();
    tool->LButtonUp(0, at);
    AfxPumpEvents();
}

void RightClickTool(CDrawTool* tool, const CLQPoint& at)
{
    tool->RButtonDown(kRightButton, at);
    AfxPumpEvents();
    tool->RButtonUp(0, at);
    AfxPumpEvents();
}

ToolDriver::ToolDriver(const PlugInSession& session, HostSheet& sheet, std::int64_t nmPerPixel)
    : m_session(session), m_sheet(sheet), m_previousTool(GetDrawTool()), m_previousContext(GetDrawContext())
{
    m_dc.SetZoom(nmPerPixel);
    m_sheet.MakeCurrent();
    LQSetDrawContext(&m_dc);
}

ToolDriver::~ToolDriver()
{
    End();
    LQSetDrawTool(m_previousTool);
    LQSetDrawContext(m_previousContext);
}

void ToolDriver::End()
{
    if (m_tool == nullptr)
        return;
    m_tool->EndTool();
    AfxPumpEvents();
    m_tool->SetDrawContext(nullptr);
    m_tool = nullptr;
    LQSetDrawTool(nullptr);
}

bool ToolDriver::Use(std::uint32_t uiId)
{
    const UINT previous = m_tool != nullptr ? m_tool->GetUIID() : 0;
    End();
    CLQ_DrawObjectsInterface* drawObjects = m_session.DrawObjects();
    CDrawTool* tool = drawObjects != nullptr ? drawObjects->GetToolByUIID(uiId) : nullptr;
    AfxPumpEvents();
    if (tool == nullptr)
        return false;
    tool->SetDrawContext(&m_dc);
    LQSetDrawTool(tool);
    m_tool = tool;
    const PREV_DRAWTOOL_INFO info{previous};
    tool->InitTool(&info);
    AfxPumpEvents();
    return true;
}

void ToolDriver::Click(const CLQPoint& at) { ClickTool(m_tool, at); }

void ToolDriver::RightClick(const CLQPoint& at) { RightClickTool(m_tool, at); }

OverlayPainting ToolDriver::Paint()
{
    m_dc.Clear();
    m_tool->DrawToolOverlay();
    AfxPumpEvents();
    OverlayPainting painting = ReadOverlay(m_dc.Events());
    m_dc.Clear();
    return painting;
}

}  // namespace lq
