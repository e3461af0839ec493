#include "module/frame/Module.h"

#include <new>

#include "host/String.h"
#include "module/frame/DrawObjectInterface.h"
#include "module/frame/PlugInInterface.h"
#include "module/resources/ResourceTable.h"

namespace {
const char kProviderKind[] = "LQ_CommandsProvider";
const char kModuleName[] = "Quillon";
const char kDisplayName[] = "Quillon extension";

HINSTANCE g_hInstance = nullptr;
AFX_EXTENSION_MODULE g_extensionModule;
CPlugInInterface* g_pPlugInInterface = nullptr;
CDrawObjectInterface* g_pDrawObjectsInterface = nullptr;

CPlugInInterface* NewPlugInInterface() { return new (std::nothrow) CPlugInInterface(); }
CDrawObjectInterface* NewDrawObjectsInterface() { return new (std::nothrow) CDrawObjectInterface(); }

LQPLUGINFACTORY g_pfnNewPlugIn = NewPlugInInterface;
LQDRAWOBJECTSFACTORY g_pfnNewDrawObjects = NewDrawObjectsInterface;
}  // namespace

HINSTANCE GetModuleInstance() { return g_hInstance; }
CPlugInInterface* GetPlugInInterface() { return g_pPlugInInterface; }
CDrawObjectInterface* GetDrawObjectsInterface() { return g_pDrawObjectsInterface; }

void SetInterfaceFactories(LQPLUGINFACTORY pfnPlugIn, LQDRAWOBJECTSFACTORY pfnDrawObjects)
{
    g_pfnNewPlugIn = pfnPlugIn != nullptr ? pfnPlugIn : NewPlugInInterface;
    g_pfnNewDrawObjects = pfnDrawObjects != nullptr ? pfnDrawObjects : NewDrawObjectsInterface;
}

BOOL DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH) {
        g_extensionModule.pResources = g_quillonResources;
        g_extensionModule.nResources = g_nQuillonResources;
        if (!AfxInitExtensionModule(g_extensionModule, hInstance))
            return 0;
        g_hInstance = hInstance;
        // The framework's chain of extension libraries keeps it.
        new CDynLinkLibrary(g_extensionModule);
        return 1;
    }
    if (dwReason == DLL_PROCESS_DETACH)
        AfxTermExtensionModule(g_extensionModule);
    return 1;
}

extern "C" {

int LQDLLGetVersion(VERSIONINFOSTRUCT* pInfo)
{
    pInfo->lpszProviderKind = kProviderKind;
    pInfo->lpszModuleName = kModuleName;
    pInfo->wModuleCode = LQ_MODULECODE_COMMANDS;
    pInfo->lpszDisplayName = kDisplayName;
    pInfo->dwValue16 = 1;
    pInfo->dwValue20 = 1;
    pInfo->dwValue24 = 1;
    pInfo->dwValue28 = 0;
    return 1;
}

void InitDll()
{
    g_pPlugInInterface = g_pfnNewPlugIn();
    if (g_pPlugInInterface == nullptr)
        return;  // without the command interface there is nothing to hand out
    g_pPlugInInterface->CreateCommandWindow();
    g_pDrawObjectsInterface = g_pfnNewDrawObjects();
}

CInterfaceConnector* LQGetInterfaceObject(const char* pszName)
{
    if (pszName == nullptr)
        return nullptr;
    if (_mbsicmp(pszName, "CLQ_PlugInInterface") == 0)
        return g_pPlugInInterface;
    if (_mbsicmp(pszName, "CLQ_DrawObjectsInterface") == 0)
        return g_pDrawObjectsInterface;
    return nullptr;
}

void ExitDll()
{
    if (g_pPlugInInterface != nullptr) {
        CPlugInInterface* p = g_pPlugInInterface;
        g_pPlugInInterface = nullptr;
        delete p;
    }
    if (g_pDrawObjectsInterface != nullptr) {
        CDrawObjectInterface* p = g_pDrawObjectsInterface;
        g_pDrawObjectsInterface = nullptr;
        delete p;
    }
}

}  // extern "C"
