// Hands the host the module's two draw tools by index or by UI ID.
#pragma once
#include "host/PlugInBase.h"

class CDrawObjectInterface : public CLQ_DrawObjectsInterface {
public:
    static constexpr UINT kToolCount = 2;

    CDrawObjectInterface();
    ~CDrawObjectInterface() override;

    UINT GetToolCount() override;
    // Sets the tool's UI ID on every call.
    CDrawTool* GetTool(int nIndex) override;
    // Only the low 16 bits count.
    CDrawTool* GetToolByUIID(UINT nUIID) override;

    static UINT GetToolUIID(int nIndex) { return 0x70000u | static_cast<UINT>(1000 + nIndex); }
};
