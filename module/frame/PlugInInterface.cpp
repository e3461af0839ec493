#include "module/frame/PlugInInterface.h"

#include "host/Events.h"
#include "host/HostApp.h"
#include "host/Settings.h"
#include "module/autoswap/AutoSwapTool.h"
#include "module/autoswap/CommandWnd.h"
#include "module/frame/CommandTable.h"
#include "module/frame/HandlerObject.h"
#include "module/frame/Module.h"
#include "module/gates/GateStore.h"
#include "module/tools/SwapGateTool.h"
#include "module/tools/SwapPinTool.h"

CPlugInInterface::CPlugInInterface()
{
    m_nModuleIndex = GetSettings()->GetModuleMatrix()->GetDllIndex("Quillon");
    m_pCommandWnd = new CCommandWnd();
    m_pEventHandler = new CHandlerObject(this, &CPlugInInterface::DropGateStore);
    EventDatabaseChanged.AddCallBack(m_pEventHandler, static_cast<EVENTCALLBACK>(&CHandlerObject::OnDatabaseChanged),
                                     nullptr, nullptr);
    EventNetListChanged.AddCallBack(m_pEventHandler, static_cast<EVENTCALLBACK>(&CHandlerObject::OnNetListChanged),
                                    nullptr, nullptr);
    m_pAutoSwapTool = new CAutoSwapTool();
    EventMove.AddCallBack(m_pAutoSwapTool, static_cast<EVENTCALLBACK>(&CAutoSwapTool::OnMove), nullptr, nullptr);
}

CPlugInInterface::~CPlugInInterface()
{
    if (m_pCommandWnd != nullptr && m_pCommandWnd->GetSafeHwnd() != nullptr)
        m_pCommandWnd->DestroyWindow();
    EventMove.RemoveAllCallBacks(m_pAutoSwapTool);
    delete m_pEventHandler;
    delete m_pAutoSwapTool;
    delete m_pCommandWnd;
    for (CGateStore* p : m_gateStores)
        delete p;
    m_gateStores.clear();
}

UINT CPlugInInterface::SetHostValue(UINT nValue) { return m_nHostValue = nValue; }
UINT CPlugInInterface::GetCommandCount() { return LQ_COMMAND_COUNT; }

bool CPlugInInterface::GetCommandID(UINT nIndex, UINT* pnID, LQCOMMANDHANDLER* pHandler)
{
    if (nIndex >= GetCommandCount())
        return false;
    if (pnID != nullptr)
        *pnID = (m_nModuleIndex << 16) | g_commandTable[nIndex].wCommandID;
    if (pHandler != nullptr) {
        pHandler->pObject = this;
        pHandler->pfn = static_cast<LQCOMMANDPROC>(&CPlugInInterface::FillCommandInfo);
    }
    return true;
}

bool CPlugInInterface::GetCommandInfo(UINT nIndex, COMMANDINFOSTRUCT* pInfo)
{
    if (pInfo == nullptr || nIndex >= GetCommandCount())
        return false;
    *pInfo = g_commandTable[nIndex];
    pInfo->hInstance = GetModuleInstance();
    return true;
}

UINT CPlugInInterface::Reserved7() { return 0; }
bool CPlugInInterface::Reserved8(UINT, UINT, UINT) { return false; }
UINT CPlugInInterface::GetGroupCount() { return 0; }

bool CPlugInInterface::GetGroupInfo(UINT nIndex, GROUPINFOSTRUCT* pInfo)
{
    return pInfo != nullptr && nIndex < GetGroupCount();
}

UINT CPlugInInterface::Reserved11() { return 0; }
bool CPlugInInterface::Reserved12(UINT, UINT) { return false; }
bool CPlugInInterface::Reserved13(UINT, UINT) { return false; }
bool CPlugInInterface::Reserved14(UINT, UINT) { return false; }

UINT CPlugInInterface::ExecuteCommand(WORD wID)
{
    if (wID != ID_AUTOSWAP)
        return 0;
    RunAutoSwap();
    return 1;
}

void CPlugInInterface::UpdateCommandUI(WORD wID, CCmdUI* pCmdUI)
{
    if (pCmdUI == nullptr)
        return;
    CDrwSubSheet* pSheet = GetDrwSubSheet();
    const BOOL bLayout = pSheet != nullptr && _mbscmp(pSheet->GetDocType(), LQ_DOCTYPE_LAYOUT) == 0;
    CDrawTool* pTool = GetDrawTool();
    switch (wID) {
    case ID_AUTOSWAP:
        pCmdUI->Enable(bLayout);
        break;
    case ID_SWAPPINTOOL:
        pCmdUI->Enable(bLayout);
        pCmdUI->SetCheck(pTool != nullptr && pTool->IsKindOf(RUNTIME_CLASS(CSwapPinTool)) ? 1 : 0);
        break;
    case ID_SWAPGATETOOL:
        pCmdUI->Enable(bLayout);
        pCmdUI->SetCheck(pTool != nullptr && pTool->IsKindOf(RUNTIME_CLASS(CSwapGateTool)) ? 1 : 0);
        break;
    default:
        pCmdUI->Enable(0);
        break;
    }
}

CWnd* CPlugInInterface::GetCommandWindow() { return m_pCommandWnd; }
bool CPlugInInterface::Reserved18() { return true; }

void CPlugInInterface::CreateCommandWindow()
{
    LPCTSTR lpszClass = AfxRegisterWndClass(0, nullptr, nullptr, nullptr);
    RECT rect{0, 0, 100, 100};
    m_pCommandWnd->CreateEx(0, lpszClass, "QuillonCommand", 0, rect, nullptr, 0, nullptr);
}

DWORD CPlugInInterface::FillCommandInfo(COMMANDINFOSTRUCT* pInfo, const DWORD* pRequest)
{
    if (pInfo != nullptr && pRequest != nullptr && pRequest[0] < GetCommandCount()) {
        *pInfo = g_commandTable[pRequest[0]];
        pInfo->hInstance = GetModuleInstance();
    }
    return 0;
}

CGateStore* CPlugInInterface::GetGateStore(CDrwSubSheet* pKey)
{
    for (CGateStore* p : m_gateStores)
        if (p->GetKey() == pKey)
            return p;
    m_gateStores.push_back(new CGateStore(pKey));
    return m_gateStores.back();
}

int CPlugInInterface::DropGateStore(UINT_PTR, LONG_PTR nKey)
{
    if (nKey == 0)
        return 1;
    for (std::size_t i = m_gateStores.size(); i-- > 0;) {
        if (reinterpret_cast<LONG_PTR>(m_gateStores[i]->GetKey()) == nKey) {
            delete m_gateStores[i];
            m_gateStores.erase(m_gateStores.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    return 1;
}
