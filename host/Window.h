// Windows, command-UI objects, message boxes and cursors of the host's framework.
#pragma once
#include <deque>
#include <vector>

#include "host/Object.h"
#include "host/String.h"

struct AFX_MSGMAP {
    const AFX_MSGMAP* pBaseMap;
    int nEntries;
};

#define DECLARE_MESSAGE_MAP()                       \
protected:                                          \
    static const AFX_MSGMAP messageMap;             \
                                                    \
public:                                             \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                          \
    const AFX_MSGMAP theClass::messageMap = {&baseClass::messageMap, 0};                \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return &theClass::messageMap; }

#define END_MESSAGE_MAP()

class LQ_HOST_API CWnd : public CObject {
    DECLARE_DYNAMIC(CWnd)
public:
    CWnd();
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    virtual const AFX_MSGMAP* GetMessageMap() const;

    BOOL CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, LPVOID lpParam);
    BOOL DestroyWindow();
    HWND GetSafeHwnd() const { return m_hWnd; }

    HWND m_hWnd = nullptr;

protected:
    static const AFX_MSGMAP messageMap;
};

class LQ_HOST_API CView : public CWnd {
    DECLARE_DYNAMIC(CView)
};

class LQ_HOST_API CCmdUI {
public:
    explicit CCmdUI(UINT nID = 0) : m_nID(nID) {}
    virtual ~CCmdUI() = default;
    virtual void Enable(BOOL bOn);
    virtual void SetCheck(int nCheck);

    UINT m_nID;
    // What the last calls set; -1 before any call.
    int m_nEnabled = -1;
    int m_nChecked = -1;
    int m_nCalls = 0;
};

// A created window as the host saw it.
struct CWindowRecord {
    CString strClass;
    CString strName;
    DWORD dwExStyle;
    DWORD dwStyle;
    RECT rect;
    const CWnd* pParent;
    UINT nID;
    bool bDestroyed;
};

struct CMessageBoxRecord {
    CString strText;
    UINT nType;
    UINT nHelpID;
};

LQ_HOST_API LPCTSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor = nullptr, HBRUSH hbrBackground = nullptr,
                                        HICON hIcon = nullptr);
// Shows the text; the stand-in answers IDOK at once.
LQ_HOST_API int AfxMessageBox(LPCTSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
LQ_HOST_API HCURSOR SetCursor(HCURSOR hCursor);

// What the host's user interface saw, for tests and for lqhost's session log.
class LQ_HOST_API CHostLog {
public:
    std::vector<CMessageBoxRecord> messageBoxes;
    std::vector<CWindowRecord> windows;
    std::deque<CString> windowClasses;  // names stay valid as the list grows
    std::vector<HCURSOR> cursors;

    void Clear();
};
LQ_HOST_API CHostLog& AfxGetHostLog();
