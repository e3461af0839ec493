#include "module/frame/HandlerObject.h"

#include "host/Events.h"
#include "module/frame/PlugInInterface.h"

IMPLEMENT_DYNAMIC(CHandlerObject, CObject)

CHandlerObject::CHandlerObject(CPlugInInterface* pOwner, DROPPROC pfnTarget) : m_pOwner(pOwner), m_pfnTarget(pfnTarget) {}

CHandlerObject::~CHandlerObject()
{
    EventDatabaseChanged.RemoveAllCallBacks(this);
    EventNetListChanged.RemoveAllCallBacks(this);
}

int CHandlerObject::OnDatabaseChanged(UINT_PTR v1, LONG_PTR v2) { return (m_pOwner->*m_pfnTarget)(v1, v2); }

int CHandlerObject::OnNetListChanged(UINT_PTR v1, LONG_PTR) { return (m_pOwner->*m_pfnTarget)(0, static_cast<LONG_PTR>(v1)); }
