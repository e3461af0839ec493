// The host's plug-in interface base classes. Virtual operations keep the host's order.
#pragma once
#include "host/Records.h"

class CCmdUI;
class CDrawTool;
class CInterfaceConnector;
class CWnd;

class LQ_HOST_API CBaseInterfaceConnector {
public:
    CBaseInterfaceConnector() = default;
    virtual ~CBaseInterfaceConnector();
    CBaseInterfaceConnector(const CBaseInterfaceConnector&) = delete;
    CBaseInterfaceConnector& operator=(const CBaseInterfaceConnector&) = delete;

    CInterfaceConnector* GetDuplexChannel() const { return m_pDuplexChannel; }

protected:
    CInterfaceConnector* m_pDuplexChannel = nullptr;
};

class LQ_HOST_API CInterfaceConnector : public CBaseInterfaceConnector {
public:
    virtual void SetDuplexChannel(CInterfaceConnector* pChannel);
};

class CLQ_PlugInInterface;
// Command handler handed out with a command identifier: the object and a member that fills
// the command's record for a request whose first word is the command's index.
using LQCOMMANDPROC = DWORD (CLQ_PlugInInterface::*)(COMMANDINFOSTRUCT* pInfo, const DWORD* pRequest);
struct LQCOMMANDHANDLER {
    CLQ_PlugInInterface* pObject = nullptr;
    LQCOMMANDPROC pfn = nullptr;
};

class LQ_HOST_API CLQ_PlugInInterface : public CInterfaceConnector {
public:
    CLQ_PlugInInterface();
    ~CLQ_PlugInInterface() override;

    virtual UINT SetHostValue(UINT nValue);
    virtual UINT GetCommandCount();
    virtual bool GetCommandID(UINT nIndex, UINT* pnID, LQCOMMANDHANDLER* pHandler);
    virtual bool GetCommandInfo(UINT nIndex, COMMANDINFOSTRUCT* pInfo);
    virtual bool GetCommandInfoUsingID(WORD wID, COMMANDINFOSTRUCT* pInfo);
    virtual UINT Reserved7();
    virtual bool Reserved8(UINT, UINT, UINT);
    virtual UINT GetGroupCount();
    virtual bool GetGroupInfo(UINT nIndex, GROUPINFOSTRUCT* pInfo);
    virtual UINT Reserved11();
    virtual bool Reserved12(UINT, UINT);
    virtual bool Reserved13(UINT, UINT);
    virtual bool Reserved14(UINT, UINT);
    virtual UINT ExecuteCommand(WORD wID);
    virtual void UpdateCommandUI(WORD wID, CCmdUI* pCmdUI);
    virtual CWnd* GetCommandWindow();
    virtual bool Reserved18();
    virtual void CreateCommandWindow();

    UINT GetHostValue() const { return m_nHostValue; }

protected:
    UINT m_nHostValue = 0;
};

class LQ_HOST_API CLQ_DrawObjectsInterface : public CInterfaceConnector {
public:
    virtual UINT GetToolCount();
    virtual CDrawTool* GetTool(int nIndex);
    virtual CDrawTool* GetToolByUIID(UINT nUIID);
};
