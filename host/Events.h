// Host events: callbacks registered on global event objects, raised at once or posted to the
// host's loop and delivered after the current call into a plug-in has returned.
#pragma once
#include <vector>

#include "host/Object.h"

using EVENTCALLBACK = int (CObject::*)(UINT_PTR, LONG_PTR);

class LQ_HOST_API CEventHandler {
public:
    explicit CEventHandler(const char* pszName) : m_pszName(pszName) {}
    virtual ~CEventHandler();
    CEventHandler(const CEventHandler&) = delete;
    CEventHandler& operator=(const CEventHandler&) = delete;

    void AddCallBack(CObject* pObject, EVENTCALLBACK pfn, const CRuntimeClass* pFilter1, const CRuntimeClass* pFilter2);
    void RemoveAllCallBacks(CObject* pObject);
    // Calls every registered callback in registration order; the result is the last callback's, 0 with none.
    int Raise(UINT_PTR v1, LONG_PTR v2);

    int GetCallBackCount() const;
    bool IsRegistered(const CObject* pObject) const;
    const char* GetName() const { return m_pszName; }
    // Every value pair raised so far, oldest first.
    const std::vector<std::pair<UINT_PTR, LONG_PTR>>& GetRaised() const { return m_raised; }
    void ClearRaised() { m_raised.clear(); }

private:
    struct Entry {
        CObject* pObject;
        EVENTCALLBACK pfn;
        bool bRemoved;
    };
    const char* m_pszName;
    std::vector<Entry> m_entries;
    std::vector<std::pair<UINT_PTR, LONG_PTR>> m_raised;
    int m_nDepth = 0;
};

class LQ_HOST_API CEventHandlerEx : public CEventHandler {
public:
    using CEventHandler::CEventHandler;
};

extern LQ_HOST_API CEventHandlerEx EventDatabaseChanged;  // values: (0, sheet)
extern LQ_HOST_API CEventHandler EventNetListChanged;     // values: (sheet, 0)
extern LQ_HOST_API CEventHandler EventMove;               // values: (phase: 0 start, 1 end; 0)
extern LQ_HOST_API CEventHandler EventCancel;
extern LQ_HOST_API CEventHandler EventRestoreDefaultTool;

// Queues an event for the host's loop.
LQ_HOST_API void AfxPostEvent(CEventHandler* pEvent, UINT_PTR v1, LONG_PTR v2);
// Delivers queued events, also those posted while delivering; returns how many were delivered.
LQ_HOST_API int AfxPumpEvents();
LQ_HOST_API int AfxGetPostedEventCount();
