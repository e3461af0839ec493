#include "host/DrawTool.h"

IMPLEMENT_DYNAMIC(CDrawTool, CObject)

CDrawTool::CDrawTool() = default;
CDrawTool::~CDrawTool() = default;

int CDrawTool::IsToolAvailable() { return 0; }
void CDrawTool::SetUIID(UINT nUIID) { m_nUIID = nUIID; }
UINT CDrawTool::GetUIID() const { return m_nUIID; }
void CDrawTool::SetDrawContext(CDrawContext* pDC) { m_pDrawContext = pDC; }
const DRAWTOOL_INFO* CDrawTool::GetToolInfo() { return nullptr; }
bool CDrawTool::LButtonDown(UINT, const CLQPoint&) { return false; }
bool CDrawTool::LButtonUp(UINT, const CLQPoint&) { return false; }
bool CDrawTool::LButtonDblClk(UINT, const CLQPoint&, HWND) { return false; }
bool CDrawTool::MButtonDown(UINT, const CLQPoint&) { return false; }
bool CDrawTool::MButtonUp(UINT, const CLQPoint&) { return false; }
bool CDrawTool::MButtonDblClk(UINT, const CLQPoint&, HWND) { return false; }
bool CDrawTool::RButtonDown(UINT, const CLQPoint&) { return false; }
bool CDrawTool::RButtonUp(UINT, const CLQPoint&) { return false; }
bool CDrawTool::RButtonDblClk(UINT, const CLQPoint&, HWND) { return false; }
bool CDrawTool::MouseWheel(UINT, short, const CLQPoint&) { return false; }
bool CDrawTool::OnKeyDown(UINT, UINT, UINT) { return false; }
bool CDrawTool::OnKeyUp(UINT, UINT, UINT) { return false; }
bool CDrawTool::MouseMove(UINT, const CLQPoint&) { return false; }
CLQPoint CDrawTool::LogicalLocation(const CLQPoint& point) { return point; }
int CDrawTool::CancelTool(UINT_PTR, LONG_PTR) { return 0; }
bool CDrawTool::AllowLayer(int) { return true; }
void CDrawTool::LayerChangeCancel() {}
void CDrawTool::OnCursorEntry() {}
void CDrawTool::OnCursorExit() {}
void CDrawTool::OnScrollBegin() {}
void CDrawTool::OnScrollEnd() {}
void CDrawTool::DrawToolOverlay() {}
bool CDrawTool::InitTool(const PREV_DRAWTOOL_INFO*)
{
    m_bActive = true;
    return true;
}
void CDrawTool::EndTool() { m_bActive = false; }
void CDrawTool::ActivateTool(bool) {}
bool CDrawTool::IsMoving() const { return false; }
bool CDrawTool::IsPreMoving() const { return false; }
bool CDrawTool::EnableDrawSettings() { return false; }
CDrawTool* CDrawTool::GetDefaultTool() { return nullptr; }
void CDrawTool::OnToolNotify(UINT_PTR) {}
bool CDrawTool::ActionOnSelection() { return false; }
bool CDrawTool::CanRotate() { return false; }
bool CDrawTool::IsAreaTool() { return false; }
bool CDrawTool::IsDraggingTrack() { return false; }
bool CDrawTool::DragEntering() { return false; }
bool CDrawTool::DragLeaving() { return false; }
bool CDrawTool::DragScrolling() { return false; }
bool CDrawTool::DragOver() { return false; }
bool CDrawTool::Dropping() { return false; }
void CDrawTool::XorDraw() {}
void CDrawTool::XorUndraw() {}
void CDrawTool::ModeDraw() {}
void CDrawTool::XorModeDraw() {}
void CDrawTool::OnLayerChange(int) {}
void CDrawTool::OnPreLayerChange(int) {}
bool CDrawTool::OnKeyboardMouseMove(int, int) { return false; }
bool CDrawTool::OnKeyboardMouseAccept() { return false; }
bool CDrawTool::OnMoveMouseAndClick(const CLQPoint&) { return false; }
void CDrawTool::OnToolNextMode() {}
void CDrawTool::OnFinalize() {}
bool CDrawTool::SetToolCursor() { return false; }
void CDrawTool::ResetState() {}
CDrawObject* CDrawTool::CreateNewObject() { return nullptr; }
int CDrawTool::RestoreDefaultTool() { return 0; }
void CDrawTool::OnEditCopy() {}
void CDrawTool::OnUpdateEditCopy(CCmdUI*) {}
void CDrawTool::OnEditCut() {}
void CDrawTool::OnUpdateEditCut(CCmdUI*) {}
void CDrawTool::OnEditDelete() {}
void CDrawTool::OnUpdateEditDelete(CCmdUI*) {}
void CDrawTool::OnEditInsertvertex() {}
void CDrawTool::OnUpdateEditInsertvertex(CCmdUI*) {}
void CDrawTool::OnEditPaste() {}
void CDrawTool::OnUpdateEditPaste(CCmdUI*) {}
void CDrawTool::OnEditSelectAll() {}
void CDrawTool::OnUpdateEditSelectAll(CCmdUI*) {}
void CDrawTool::OnEditSetcoord() {}
void CDrawTool::OnUpdateEditSetcoord(CCmdUI*) {}
void CDrawTool::OnEditSnapgrid() {}
void CDrawTool::OnUpdateEditSnapgrid(CCmdUI*) {}
