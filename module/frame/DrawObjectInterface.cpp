#include "module/frame/DrawObjectInterface.h"

#include "module/tools/SwapGateTool.h"
#include "module/tools/SwapPinTool.h"

CDrawObjectInterface::CDrawObjectInterface() { m_pDuplexChannel = nullptr; }
CDrawObjectInterface::~CDrawObjectInterface() = default;

UINT CDrawObjectInterface::GetToolCount() { return kToolCount; }

CDrawTool* CDrawObjectInterface::GetTool(int nIndex)
{
    if (nIndex < 0 || nIndex > 1)
        return nullptr;
    CDrawTool* const table[kToolCount] = {&g_swapPinTool, &g_swapGateTool};
    CDrawTool* pTool = table[nIndex];
    pTool->SetUIID(GetToolUIID(nIndex));
    return pTool;
}

CDrawTool* CDrawObjectInterface::GetToolByUIID(UINT nUIID)
{
    const UINT nLow = nUIID & 0xFFFFu;
    if (nLow < 1000)
        return nullptr;
    return GetTool(static_cast<int>(nLow - 1000));
}
