// Extension modules: set-up and tear-down, their resources, and loading them as plug-ins.
#pragma once
#include <cstddef>
#include <vector>

#include "host/Object.h"
#include "host/String.h"

constexpr UINT RT_CURSOR = 1;
constexpr UINT RT_BITMAP = 2;
constexpr UINT RT_STRING = 6;
constexpr UINT RT_GROUP_CURSOR = 12;

constexpr DWORD DLL_PROCESS_DETACH = 0;
constexpr DWORD DLL_PROCESS_ATTACH = 1;
constexpr DWORD DLL_THREAD_ATTACH = 2;
constexpr DWORD DLL_THREAD_DETACH = 3;

// One resource of a module. A string table (RT_STRING) is UTF-8 text, one "id<TAB>text" per line;
// cursors and bitmaps are the bytes of .cur and .bmp files.
struct LQ_RESOURCE {
    UINT nType;
    UINT nID;
    WORD wLanguage;
    const unsigned char* pData;
    std::size_t nSize;
};

// On Linux the module's resource section is the table that this record points to.
struct AFX_EXTENSION_MODULE {
    BOOL bInitialized = FALSE;
    HINSTANCE hModule = nullptr;
    HINSTANCE hResource = nullptr;
    const LQ_RESOURCE* pResources = nullptr;
    std::size_t nResources = 0;
};

LQ_HOST_API BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HINSTANCE hInstance);
LQ_HOST_API void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL bAll = FALSE);
// Makes the next AfxInitExtensionModule fail, as when the framework cannot set a module up.
LQ_HOST_API void AfxSetExtensionInitFailure(bool bFail);

// Links an extension module into the framework's chain; the chain owns it and the framework
// deletes it when the module is terminated.
class LQ_HOST_API CDynLinkLibrary : public CObject {
    DECLARE_DYNAMIC(CDynLinkLibrary)
public:
    explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state);
    ~CDynLinkLibrary() override;

    HINSTANCE m_hModule;
};
LQ_HOST_API int AfxGetDynLinkLibraryCount();

LQ_HOST_API const LQ_RESOURCE* AfxFindResource(HINSTANCE hInstance, UINT nType, UINT nID);
// The text of a string resource; the empty text when there is none.
LQ_HOST_API CString GetResourceString(HINSTANCE hInstance, UINT nID);
// All string ids of a module's table, ascending.
LQ_HOST_API std::vector<UINT> GetResourceStringIDs(HINSTANCE hInstance);

struct LQ_IMAGEINFO {
    UINT nID = 0;
    int nWidth = 0;
    int nHeight = 0;
    int nBitsPerPixel = 0;
    int nHotSpotX = 0;
    int nHotSpotY = 0;
};
// Null when the resource is missing or not a well-formed image of its kind.
LQ_HOST_API HCURSOR LoadCursor(HINSTANCE hInstance, UINT nID);
LQ_HOST_API HBITMAP LoadBitmap(HINSTANCE hInstance, UINT nID);
LQ_HOST_API bool LQGetCursorInfo(HCURSOR hCursor, LQ_IMAGEINFO* pInfo);
LQ_HOST_API bool LQGetBitmapInfo(HBITMAP hBitmap, LQ_IMAGEINFO* pInfo);

// The loader. A module's load hook calls AfxDllAttach with an address inside the module and its
// DllMain; the module handle is the module's base address, as on Windows.
using LQDLLMAINPROC = BOOL (*)(HINSTANCE, DWORD, LPVOID);
LQ_HOST_API void AfxDllAttach(const void* pAddressInModule, LQDLLMAINPROC pfnDllMain);
LQ_HOST_API void AfxDllDetach(const void* pAddressInModule, LQDLLMAINPROC pfnDllMain);

// Loads a plug-in; null, with the reason in pError, when the file cannot be loaded or its
// DllMain refuses the attach.
LQ_HOST_API HINSTANCE LQLoadLibrary(const char* pszPath, CString* pError);
LQ_HOST_API void* LQGetProcAddress(HINSTANCE hModule, const char* pszName);
LQ_HOST_API BOOL LQFreeLibrary(HINSTANCE hModule);
