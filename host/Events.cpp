#include "host/Events.h"

#include <algorithm>
#include <deque>

CEventHandlerEx EventDatabaseChanged("EventDatabaseChanged");
CEventHandler EventNetListChanged("EventNetListChanged");
CEventHandler EventMove("EventMove");
CEventHandler EventCancel("EventCancel");
CEventHandler EventRestoreDefaultTool("EventRestoreDefaultTool");

namespace {
struct Posted {
    CEventHandler* pEvent;
    UINT_PTR v1;
    LONG_PTR v2;
};

std::deque<Posted>& Queue()
{
    static std::deque<Posted> queue;
    return queue;
}
}  // namespace

CEventHandler::~CEventHandler() = default;

void CEventHandler::AddCallBack(CObject* pObject, EVENTCALLBACK pfn, const CRuntimeClass*, const CRuntimeClass*)
{
    m_entries.push_back(Entry{pObject, pfn, false});
}

void CEventHandler::RemoveAllCallBacks(CObject* pObject)
{
    for (Entry& e : m_entries) {
        if (e.pObject == pObject)
            e.bRemoved = true;
    }
    if (m_nDepth == 0)
        m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(), [](const Entry& e) { return e.bRemoved; }),
                        m_entries.end());
}

int CEventHandler::Raise(UINT_PTR v1, LONG_PTR v2)
{
    m_raised.emplace_back(v1, v2);
    int nResult = 0;
    ++m_nDepth;
    // Callbacks added while raising wait for the next event.
    const std::size_t n = m_entries.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Entry e = m_entries[i];
        if (!e.bRemoved)
            nResult = (e.pObject->*e.pfn)(v1, v2);
    }
    if (--m_nDepth == 0)
        m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(), [](const Entry& e) { return e.bRemoved; }),
                        m_entries.end());
    return nResult;
}

int CEventHandler::GetCallBackCount() const
{
    return static_cast<int>(std::count_if(m_entries.begin(), m_entries.end(), [](const Entry& e) { return !e.bRemoved; }));
}

bool CEventHandler::IsRegistered(const CObject* pObject) const
{
    return std::any_of(m_entries.begin(), m_entries.end(), [&](const Entry& e) { return !e.bRemoved && e.pObject == pObject; });
}

void AfxPostEvent(CEventHandler* pEvent, UINT_PTR v1, LONG_PTR v2) { Queue().push_back(Posted{pEvent, v1, v2}); }

int AfxPumpEvents()
{
    int n = 0;
    while (!Queue().empty()) {
        const Posted p = Queue().front();
        Queue().pop_front();
        p.pEvent->Raise(p.v1, p.v2);
        ++n;
    }
    return n;
}

int AfxGetPostedEventCount() { return static_cast<int>(Queue().size()); }
