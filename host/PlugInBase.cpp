#include "host/PlugInBase.h"

CBaseInterfaceConnector::~CBaseInterfaceConnector() = default;

void CInterfaceConnector::SetDuplexChannel(CInterfaceConnector* pChannel) { m_pDuplexChannel = pChannel; }

CLQ_PlugInInterface::CLQ_PlugInInterface() = default;
CLQ_PlugInInterface::~CLQ_PlugInInterface() = default;

UINT CLQ_PlugInInterface::SetHostValue(UINT nValue) { return m_nHostValue = nValue; }
UINT CLQ_PlugInInterface::GetCommandCount() { return 0; }
bool CLQ_PlugInInterface::GetCommandID(UINT, UINT*, LQCOMMANDHANDLER*) { return false; }
bool CLQ_PlugInInterface::GetCommandInfo(UINT, COMMANDINFOSTRUCT*) { return false; }

bool CLQ_PlugInInterface::GetCommandInfoUsingID(WORD wID, COMMANDINFOSTRUCT* pInfo)
{
    if (pInfo == nullptr)
        return false;
    const UINT n = GetCommandCount();
    for (UINT i = 0; i < n; ++i) {
        COMMANDINFOSTRUCT info{};
        if (GetCommandInfo(i, &info) && info.wCommandID == wID) {
            *pInfo = info;
            return true;
        }
    }
    return false;
}

UINT CLQ_PlugInInterface::Reserved7() { return 0; }
bool CLQ_PlugInInterface::Reserved8(UINT, UINT, UINT) { return false; }
UINT CLQ_PlugInInterface::GetGroupCount() { return 0; }
bool CLQ_PlugInInterface::GetGroupInfo(UINT, GROUPINFOSTRUCT*) { return false; }
UINT CLQ_PlugInInterface::Reserved11() { return 0; }
bool CLQ_PlugInInterface::Reserved12(UINT, UINT) { return false; }
bool CLQ_PlugInInterface::Reserved13(UINT, UINT) { return false; }
bool CLQ_PlugInInterface::Reserved14(UINT, UINT) { return false; }
UINT CLQ_PlugInInterface::ExecuteCommand(WORD) { return 0; }
void CLQ_PlugInInterface::UpdateCommandUI(WORD, CCmdUI*) {}
CWnd* CLQ_PlugInInterface::GetCommandWindow() { return nullptr; }
bool CLQ_PlugInInterface::Reserved18() { return true; }
void CLQ_PlugInInterface::CreateCommandWindow() {}

UINT CLQ_DrawObjectsInterface::GetToolCount() { return 0; }
CDrawTool* CLQ_DrawObjectsInterface::GetTool(int) { return nullptr; }
CDrawTool* CLQ_DrawObjectsInterface::GetToolByUIID(UINT) { return nullptr; }
