#include "host/Extension.h"

#include <dlfcn.h>

#include <algorithm>
#include <map>
#include <memory>

IMPLEMENT_DYNAMIC(CDynLinkLibrary, CObject)

namespace {
struct ModuleResources {
    const LQ_RESOURCE* pResources = nullptr;
    std::size_t nResources = 0;
};

struct LoaderState {
    bool bFailNextInit = false;
    std::map<HINSTANCE, ModuleResources> resources;
    std::vector<CDynLinkLibrary*> chain;
    std::map<HINSTANCE, void*> handles;
    // Set by the load hook of the module being loaded.
    bool bAttachSeen = false;
    BOOL bAttachResult = TRUE;
    HINSTANCE hAttached = nullptr;
};

LoaderState& Loader()
{
    static LoaderState state;
    return state;
}

HINSTANCE ModuleBase(const void* pAddress)
{
    Dl_info info{};
    if (dladdr(pAddress, &info) == 0)
        return nullptr;
    return static_cast<HINSTANCE>(info.dli_fbase);
}
}  // namespace

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HINSTANCE hInstance)
{
    if (Loader().bFailNextInit) {
        Loader().bFailNextInit = false;
        return FALSE;
    }
    state.hModule = hInstance;
    state.hResource = hInstance;
    state.bInitialized = TRUE;
    Loader().resources[hInstance] = ModuleResources{state.pResources, state.nResources};
    return TRUE;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL)
{
    if (!state.bInitialized)
        return;
    auto& chain = Loader().chain;
    std::vector<CDynLinkLibrary*> mine;
    for (CDynLinkLibrary* p : chain)
        if (p->m_hModule == state.hModule)
            mine.push_back(p);
    for (CDynLinkLibrary* p : mine)
        delete p;
    Loader().resources.erase(state.hModule);
    state.bInitialized = FALSE;
}

void AfxSetExtensionInitFailure(bool bFail) { Loader().bFailNextInit = bFail; }

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state) : m_hModule(state.hModule) { Loader().chain.push_back(this); }

CDynLinkLibrary::~CDynLinkLibrary()
{
    auto& chain = Loader().chain;
    chain.erase(std::remove(chain.begin(), chain.end(), this), chain.end());
}

int AfxGetDynLinkLibraryCount() { return static_cast<int>(Loader().chain.size()); }

const LQ_RESOURCE* AfxFindResource(HINSTANCE hInstance, UINT nType, UINT nID)
{
    auto it = Loader().resources.find(hInstance);
    if (it == Loader().resources.end())
        return nullptr;
    for (std::size_t i = 0; i < it->second.nResources; ++i) {
        const LQ_RESOURCE& r = it->second.pResources[i];
        if (r.nType == nType && r.nID == nID)
            return &r;
    }
    return nullptr;
}

void AfxDllAttach(const void* pAddressInModule, LQDLLMAINPROC pfnDllMain)
{
    const HINSTANCE hInstance = ModuleBase(pAddressInModule);
    LoaderState& loader = Loader();
    loader.bAttachSeen = true;
    loader.hAttached = hInstance;
    loader.bAttachResult = pfnDllMain(hInstance, DLL_PROCESS_ATTACH, nullptr);
}

void AfxDllDetach(const void* pAddressInModule, LQDLLMAINPROC pfnDllMain)
{
    pfnDllMain(ModuleBase(pAddressInModule), DLL_PROCESS_DETACH, nullptr);
}

HINSTANCE LQLoadLibrary(const char* pszPath, CString* pError)
{
    LoaderState& loader = Loader();
    loader.bAttachSeen = false;
    loader.bAttachResult = TRUE;
    loader.hAttached = nullptr;
    void* pHandle = dlopen(pszPath, RTLD_NOW | RTLD_LOCAL);
    if (pHandle == nullptr) {
        if (pError != nullptr)
            *pError = CString(dlerror());
        return nullptr;
    }
    if (!loader.bAttachSeen) {
        // Loaded before (the loader does not attach twice) or a library without a load hook.
        void* pAny = dlsym(pHandle, "LQDLLGetVersion");
        loader.hAttached = pAny != nullptr ? ModuleBase(pAny) : nullptr;
    }
    if (!loader.bAttachResult || loader.hAttached == nullptr) {
        dlclose(pHandle);
        if (pError != nullptr)
            *pError = loader.hAttached == nullptr ? CString("not a plug-in module") : CString("module initialisation failed");
        return nullptr;
    }
    loader.handles[loader.hAttached] = pHandle;
    return loader.hAttached;
}

void* LQGetProcAddress(HINSTANCE hModule, const char* pszName)
{
    auto it = Loader().handles.find(hModule);
    return it == Loader().handles.end() ? nullptr : dlsym(it->second, pszName);
}

BOOL LQFreeLibrary(HINSTANCE hModule)
{
    auto it = Loader().handles.find(hModule);
    if (it == Loader().handles.end())
        return FALSE;
    void* pHandle = it->second;
    Loader().handles.erase(it);
    return dlclose(pHandle) == 0 ? TRUE : FALSE;
}
