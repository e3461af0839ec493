// The host application's current state, as plug-ins see it, and the operations by which the
// application (lqhost or a test) drives it.
#pragma once
#include <memory>

#include "host/DrawContext.h"
#include "host/DrawTool.h"
#include "host/SubSheet.h"
#include "host/Window.h"

class LQ_HOST_API CViewContext : public CObject {
    DECLARE_DYNAMIC(CViewContext)
};

LQ_HOST_API CDrwSubSheet* GetDrwSubSheet();
LQ_HOST_API CDrawContext* GetDrawContext();
LQ_HOST_API CDrawTool* GetDrawTool();
LQ_HOST_API CView* GetSheetView();
LQ_HOST_API CViewContext* GetGlobalViewContext();

LQ_HOST_API void LQSetDrwSubSheet(CDrwSubSheet* pSheet);
LQ_HOST_API void LQSetDrawContext(CDrawContext* pDC);
LQ_HOST_API void LQSetDrawTool(CDrawTool* pTool);
LQ_HOST_API void LQSetSheetView(CView* pView);

// Closes a sheet: reports a database change for it, forgets it as the current sheet, deletes it.
LQ_HOST_API void LQCloseSubSheet(std::unique_ptr<CDrwSubSheet> pSheet);

// Moves the selected objects of the current layout sheet as the host does: the move event at the
// start (phase 0), the offset, the move event at the end (phase 1), then a posted database change.
LQ_HOST_API void LQMoveSelection(int dx, int dy);
// The same in the two phases of a drag, as a view drives it: the start when the drag begins, the
// offset and the end when the mouse is released. Each does nothing off a layout sheet.
LQ_HOST_API void LQBeginMoveSelection();
LQ_HOST_API void LQEndMoveSelection(int dx, int dy);
