// The page's Refine button: lqhost's refinement on the board as it is now, one change of the
// board that undo takes back like any other.
#include <fmt/core.h>

#include "app/refine/Refine.h"
#include "app/serve/PageSession.h"
#include "app/session/HostSheet.h"

namespace lq {

void PageSession::Refine()
{
    RequireBoard();
    m_sheet->MakeCurrent();
    PushUndoStep();
    const RefineResult result = RefineSheet(m_plugIn, *m_sheet, m_current, RefineOptions{true, true, std::nullopt});
    if (!Settle(fmt::format("Refine: {} pin and {} gate exchanges", result.pinExchanges, result.gateExchanges), false)) {
        m_notice = "Refine: no exchange that the plug-in allows shortens the airwires";
        return;
    }
    // The exchanges went past the active tool: its pick and its markers were of the board before.
    RestartTool();
}

}  // namespace lq
