// The swap gate tool: pick a gate, see the gates that may take its place, pick one to exchange
// them; a double click optimises the pins inside one gate.
#pragma once
#include <cstdint>
#include <vector>

#include "host/DrawTool.h"

class CDrwSubSheet;
class CGate;
class CGateStore;

class CSwapGateTool : public CDrawTool {
    DECLARE_DYNAMIC(CSwapGateTool)
public:
    CSwapGateTool();
    ~CSwapGateTool() override;

    int IsToolAvailable() override;
    bool LButtonDown(UINT nFlags, const CLQPoint& point) override;
    bool LButtonDblClk(UINT nFlags, const CLQPoint& point, HWND hWnd) override;
    int CancelTool(UINT_PTR v1, LONG_PTR v2) override;
    void DrawToolOverlay() override;
    bool InitTool(const PREV_DRAWTOOL_INFO* pInfo) override;
    void EndTool() override;
    void OnToolNotify(UINT_PTR nNotify) override;
    bool SetToolCursor() override;
    int RestoreDefaultTool() override;

    CGate* GetFirstGate() const { return m_pFirstGate; }
    const std::vector<CGate*>& GetCandidates() const { return m_candidates; }

protected:
    std::vector<CGate*> FindSwapCandidates(CGate* gate);
    void ResetPick();
    void DrawGates(CDrawContext* dc);

private:
    // The gate store of the current sheet, or null when the current sheet is not a layout sheet.
    CGateStore* CurrentStore() const;
    // Forgets a pick whose gate store was dropped or belongs to another sheet.
    void DropStalePick();
    // Clears the pick without touching any sheet.
    void ForgetPick();

    CGate* m_pFirstGate = nullptr;
    std::vector<CGate*> m_candidates;
    std::uint64_t m_nPickStore = 0;
    // Compared, never followed: the sheet may be gone.
    const CDrwSubSheet* m_pPickSheet = nullptr;
};

// The module's one swap gate tool.
extern CSwapGateTool g_swapGateTool;
