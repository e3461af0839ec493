// The swap pin tool: pick a pin, see the pins that may take its place, pick one to exchange nets.
#pragma once
#include <vector>

#include "host/DrawTool.h"

class CLayoutPin;

class CSwapPinTool : public CDrawTool {
    DECLARE_DYNAMIC(CSwapPinTool)
public:
    CSwapPinTool();
    ~CSwapPinTool() override;

    int IsToolAvailable() override;
    bool LButtonDown(UINT nFlags, const CLQPoint& point) override;
    bool RButtonDown(UINT nFlags, const CLQPoint& point) override;
    int CancelTool(UINT_PTR v1, LONG_PTR v2) override;
    void DrawToolOverlay() override;
    bool InitTool(const PREV_DRAWTOOL_INFO* pInfo) override;
    void EndTool() override;
    void OnToolNotify(UINT_PTR nNotify) override;
    bool SetToolCursor() override;
    int RestoreDefaultTool() override;

    CLayoutPin* GetFirstPin() const { return m_pFirstPin; }
    const std::vector<CLayoutPin*>& GetCandidates() const { return m_candidates; }

protected:
    std::vector<CLayoutPin*> FindSwapCandidates(CLayoutPin* pin);
    void ResetPick();

private:
    // Forgets a pick whose pin is no longer on the current sheet.
    void DropStalePick();

    CLayoutPin* m_pFirstPin = nullptr;
    std::vector<CLayoutPin*> m_candidates;
};

// The module's one swap pin tool.
extern CSwapPinTool g_swapPinTool;
