// Module-wide state, its accessors and the module's entry points.
#pragma once
#include "host/Extension.h"
#include "host/PlugInBase.h"
#include "module/frame/ModuleApi.h"

class CPlugInInterface;
class CDrawObjectInterface;

HINSTANCE GetModuleInstance();
CPlugInInterface* GetPlugInInterface();
CDrawObjectInterface* GetDrawObjectsInterface();

// Process attach sets the extension module up and saves the instance handle; detach tears it down.
BOOL DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved);

extern "C" {
QUILLON_API int LQDLLGetVersion(VERSIONINFOSTRUCT* pInfo);
QUILLON_API void InitDll();
QUILLON_API CInterfaceConnector* LQGetInterfaceObject(const char* pszName);
QUILLON_API void ExitDll();
}

// Construction of the interface objects; replaceable so that a failed allocation can be tested.
using LQPLUGINFACTORY = CPlugInInterface* (*)();
using LQDRAWOBJECTSFACTORY = CDrawObjectInterface* (*)();
void SetInterfaceFactories(LQPLUGINFACTORY pfnPlugIn, LQDRAWOBJECTSFACTORY pfnDrawObjects);
