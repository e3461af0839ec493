// Back-annotation records that let the schematic follow swaps made on the layout.
#pragma once
#include <string>
#include <vector>

#include "host/Object.h"
#include "host/String.h"

enum EBackannoAction : int {
    BACKANNO_GATESWAP = 12,
    BACKANNO_PINSWAP = 13,
};

struct CBackAnnotationRecord {
    DWORD dwUndoActionID;
    EBackannoAction eKind;
    std::vector<std::string> args;
};

class LQ_HOST_API CBackAnnotationManager : public CObject {
    DECLARE_DYNAMIC(CBackAnnotationManager)
public:
    BOOL AddBackAnnotation(DWORD dwUndoActionID, EBackannoAction eKind, CStringArray* pArgs);

    const std::vector<CBackAnnotationRecord>& GetRecords() const { return m_records; }
    void ClearRecords() { m_records.clear(); }

private:
    std::vector<CBackAnnotationRecord> m_records;
};
