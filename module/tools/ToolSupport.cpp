#include "module/tools/ToolSupport.h"

#include "host/Events.h"
#include "host/Extension.h"
#include "host/HostApp.h"
#include "module/frame/Module.h"

bool LQModuleActive() { return GetPlugInInterface() != nullptr; }

CLayoutSubSheet* LQCurrentLayoutSheet() { return DYNAMIC_DOWNCAST(CLayoutSubSheet, GetDrwSubSheet()); }

// After ExitDll the tools touch nothing of the host's until InitDll runs again.
int LQRaiseCancel()
{
    if (!LQModuleActive())
        return 0;
    return EventCancel.Raise(0, reinterpret_cast<LONG_PTR>(GetGlobalViewContext()));
}

int LQRaiseRestoreDefaultTool(bool bReturnToDefault)
{
    if (!bReturnToDefault || !LQModuleActive())
        return 0;
    CView* pView = GetSheetView();
    const UINT_PTR hWnd = pView != nullptr ? reinterpret_cast<UINT_PTR>(pView->GetSafeHwnd()) : 0;
    return EventRestoreDefaultTool.Raise(hWnd, 0);
}

bool LQSetModuleCursor(UINT nID)
{
    if (!LQModuleActive())
        return false;
    SetCursor(LoadCursor(GetModuleInstance(), nID));
    return true;
}

void LQShowMessage(UINT nStringID) { AfxMessageBox(GetResourceString(GetModuleInstance(), nStringID), MB_OK, 0); }
