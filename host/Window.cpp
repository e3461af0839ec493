#include "host/Window.h"

#include <cstdint>

IMPLEMENT_DYNAMIC(CWnd, CObject)
IMPLEMENT_DYNAMIC(CView, CWnd)

const AFX_MSGMAP CWnd::messageMap = {nullptr, 0};

namespace {
std::uintptr_t g_nNextWindow = 0x1000;
}

CHostLog& AfxGetHostLog()
{
    static CHostLog log;
    return log;
}

void CHostLog::Clear()
{
    messageBoxes.clear();
    windows.clear();
    windowClasses.clear();
    cursors.clear();
}

CWnd::CWnd() = default;

CWnd::~CWnd()
{
    if (m_hWnd != nullptr)
        DestroyWindow();
}

const AFX_MSGMAP* CWnd::GetMessageMap() const { return &CWnd::messageMap; }

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                    CWnd* pParentWnd, UINT nID, LPVOID)
{
    if (m_hWnd != nullptr)
        return FALSE;
    m_hWnd = reinterpret_cast<HWND>(g_nNextWindow);
    g_nNextWindow += 0x10;
    AfxGetHostLog().windows.push_back(CWindowRecord{CString(lpszClassName), CString(lpszWindowName), dwExStyle, dwStyle,
                                                    rect, pParentWnd, nID, false});
    return TRUE;
}

BOOL CWnd::DestroyWindow()
{
    if (m_hWnd == nullptr)
        return FALSE;
    m_hWnd = nullptr;
    // Windows are recorded in creation order; mark the last live one of ours.
    for (auto it = AfxGetHostLog().windows.rbegin(); it != AfxGetHostLog().windows.rend(); ++it) {
        if (!it->bDestroyed) {
            it->bDestroyed = true;
            break;
        }
    }
    return TRUE;
}

void CCmdUI::Enable(BOOL bOn)
{
    m_nEnabled = bOn ? 1 : 0;
    ++m_nCalls;
}

void CCmdUI::SetCheck(int nCheck)
{
    m_nChecked = nCheck;
    ++m_nCalls;
}

LPCTSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon)
{
    CString name;
    name.Format("Afx:%x:%lx:%lx:%lx", nClassStyle, static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(hCursor)),
                static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(hbrBackground)),
                static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(hIcon)));
    auto& classes = AfxGetHostLog().windowClasses;
    for (const CString& c : classes)
        if (c == name)
            return c;
    classes.push_back(name);
    return classes.back();
}

int AfxMessageBox(LPCTSTR lpszText, UINT nType, UINT nIDHelp)
{
    AfxGetHostLog().messageBoxes.push_back(CMessageBoxRecord{CString(lpszText), nType, nIDHelp});
    return IDOK;
}

HCURSOR SetCursor(HCURSOR hCursor)
{
    auto& cursors = AfxGetHostLog().cursors;
    HCURSOR hPrev = cursors.empty() ? nullptr : cursors.back();
    cursors.push_back(hCursor);
    return hPrev;
}
