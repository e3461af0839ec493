// The host's draw tool base class. The virtual operations keep the host's slot order.
#pragma once
#include "host/DrawContext.h"
#include "host/Geometry.h"
#include "host/Object.h"

class CCmdUI;
class CDrawObject;

struct PREV_DRAWTOOL_INFO {
    UINT nPrevUIID = 0;
};

struct DRAWTOOL_INFO {
    UINT nUIID = 0;
    const char* pszName = nullptr;
};

class LQ_HOST_API CDrawTool : public CObject {
    DECLARE_DYNAMIC(CDrawTool)
public:
    CDrawTool();
    ~CDrawTool() override;

    virtual int IsToolAvailable();
    virtual void SetUIID(UINT nUIID);
    virtual UINT GetUIID() const;
    virtual void SetDrawContext(CDrawContext* pDC);
    virtual const DRAWTOOL_INFO* GetToolInfo();
    virtual bool LButtonDown(UINT nFlags, const CLQPoint& point);
    virtual bool LButtonUp(UINT nFlags, const CLQPoint& point);
    virtual bool LButtonDblClk(UINT nFlags, const CLQPoint& point, HWND hWnd);
    virtual bool MButtonDown(UINT nFlags, const CLQPoint& point);
    virtual bool MButtonUp(UINT nFlags, const CLQPoint& point);
    virtual bool MButtonDblClk(UINT nFlags, const CLQPoint& point, HWND hWnd);
    virtual bool RButtonDown(UINT nFlags, const CLQPoint& point);
    virtual bool RButtonUp(UINT nFlags, const CLQPoint& point);
    virtual bool RButtonDblClk(UINT nFlags, const CLQPoint& point, HWND hWnd);
    virtual bool MouseWheel(UINT nFlags, short zDelta, const CLQPoint& point);
    virtual bool OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    virtual bool OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    virtual bool MouseMove(UINT nFlags, const CLQPoint& point);
    virtual CLQPoint LogicalLocation(const CLQPoint& point);
    virtual int CancelTool(UINT_PTR v1, LONG_PTR v2);
    virtual bool AllowLayer(int nLayer);
    virtual void LayerChangeCancel();
    virtual void OnCursorEntry();
    virtual void OnCursorExit();
    virtual void OnScrollBegin();
    virtual void OnScrollEnd();
    virtual void DrawToolOverlay();
    virtual bool InitTool(const PREV_DRAWTOOL_INFO* pInfo);
    virtual void EndTool();
    virtual void ActivateTool(bool bActivate);
    virtual bool IsMoving() const;
    virtual bool IsPreMoving() const;
    virtual bool EnableDrawSettings();
    virtual CDrawTool* GetDefaultTool();
    virtual void OnToolNotify(UINT_PTR nNotify);
    virtual bool ActionOnSelection();
    virtual bool CanRotate();
    virtual bool IsAreaTool();
    virtual bool IsDraggingTrack();
    virtual bool DragEntering();
    virtual bool DragLeaving();
    virtual bool DragScrolling();
    virtual bool DragOver();
    virtual bool Dropping();
    virtual void XorDraw();
    virtual void XorUndraw();
    virtual void ModeDraw();
    virtual void XorModeDraw();
    virtual void OnLayerChange(int nLayer);
    virtual void OnPreLayerChange(int nLayer);
    virtual bool OnKeyboardMouseMove(int dx, int dy);
    virtual bool OnKeyboardMouseAccept();
    virtual bool OnMoveMouseAndClick(const CLQPoint& point);
    virtual void OnToolNextMode();
    virtual void OnFinalize();
    virtual bool SetToolCursor();
    virtual void ResetState();
    virtual CDrawObject* CreateNewObject();
    virtual int RestoreDefaultTool();
    virtual void OnEditCopy();
    virtual void OnUpdateEditCopy(CCmdUI* pCmdUI);
    virtual void OnEditCut();
    virtual void OnUpdateEditCut(CCmdUI* pCmdUI);
    virtual void OnEditDelete();
    virtual void OnUpdateEditDelete(CCmdUI* pCmdUI);
    virtual void OnEditInsertvertex();
    virtual void OnUpdateEditInsertvertex(CCmdUI* pCmdUI);
    virtual void OnEditPaste();
    virtual void OnUpdateEditPaste(CCmdUI* pCmdUI);
    virtual void OnEditSelectAll();
    virtual void OnUpdateEditSelectAll(CCmdUI* pCmdUI);
    virtual void OnEditSetcoord();
    virtual void OnUpdateEditSetcoord(CCmdUI* pCmdUI);
    virtual void OnEditSnapgrid();
    virtual void OnUpdateEditSnapgrid(CCmdUI* pCmdUI);

    CDrawContext* GetDrawContext() const { return m_pDrawContext; }
    bool IsActive() const { return m_bActive; }
    // When set, the tool hands control back to the default tool after its action.
    void SetReturnToDefault(bool b) { m_bReturnToDefault = b; }

protected:
    UINT m_nUIID = 0;
    CDrawContext* m_pDrawContext = nullptr;
    bool m_bReturnToDefault = false;
    bool m_bActive = false;
};
