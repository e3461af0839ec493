// Receives the host's database and netlist changes and drops the gate store of that sheet.
#pragma once
#include "host/Object.h"

class CPlugInInterface;

class CHandlerObject : public CObject {
    DECLARE_DYNAMIC(CHandlerObject)
public:
    using DROPPROC = int (CPlugInInterface::*)(UINT_PTR, LONG_PTR);

    CHandlerObject(CPlugInInterface* pOwner, DROPPROC pfnTarget);
    // Leaves the database-changed event, then the netlist-changed event.
    ~CHandlerObject() override;

    // The sheet is the second value of a database change...
    int OnDatabaseChanged(UINT_PTR v1, LONG_PTR v2);
    // ...and the first value of a netlist change.
    int OnNetListChanged(UINT_PTR v1, LONG_PTR v2);

private:
    CPlugInInterface* m_pOwner;
    DROPPROC m_pfnTarget;
};
