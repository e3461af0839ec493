// The command interface: the module's commands, their state, and the objects that live as long
// as the module is initialised.
#pragma once
#include <vector>

#include "host/PlugInBase.h"

class CAutoSwapTool;
class CCommandWnd;
class CDrwSubSheet;
class CGateStore;
class CHandlerObject;

class CPlugInInterface : public CLQ_PlugInInterface {
public:
    CPlugInInterface();
    ~CPlugInInterface() override;

    UINT SetHostValue(UINT nValue) override;
    UINT GetCommandCount() override;
    bool GetCommandID(UINT nIndex, UINT* pnID, LQCOMMANDHANDLER* pHandler) override;
    bool GetCommandInfo(UINT nIndex, COMMANDINFOSTRUCT* pInfo) override;
    UINT Reserved7() override;
    bool Reserved8(UINT, UINT, UINT) override;
    UINT GetGroupCount() override;
    bool GetGroupInfo(UINT nIndex, GROUPINFOSTRUCT* pInfo) override;
    UINT Reserved11() override;
    bool Reserved12(UINT, UINT) override;
    bool Reserved13(UINT, UINT) override;
    bool Reserved14(UINT, UINT) override;
    UINT ExecuteCommand(WORD wID) override;
    void UpdateCommandUI(WORD wID, CCmdUI* pCmdUI) override;
    CWnd* GetCommandWindow() override;
    bool Reserved18() override;
    void CreateCommandWindow() override;
    virtual DWORD FillCommandInfo(COMMANDINFOSTRUCT* pInfo, const DWORD* pRequest);
    virtual void RunAutoSwap();
    virtual CGateStore* GetGateStore(CDrwSubSheet* pKey);

    // Drops the stores of a sheet whose database or netlist changed; always 1.
    int DropGateStore(UINT_PTR nIgnored, LONG_PTR nKey);

    UINT GetModuleIndex() const { return m_nModuleIndex; }
    const std::vector<CGateStore*>& GetGateStores() const { return m_gateStores; }
    CAutoSwapTool* GetAutoSwapTool() const { return m_pAutoSwapTool; }
    CHandlerObject* GetEventHandler() const { return m_pEventHandler; }

private:
    UINT m_nModuleIndex = 0;
    CCommandWnd* m_pCommandWnd = nullptr;
    CAutoSwapTool* m_pAutoSwapTool = nullptr;
    std::vector<CGateStore*> m_gateStores;
    CHandlerObject* m_pEventHandler = nullptr;
};
