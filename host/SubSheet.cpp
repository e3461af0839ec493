#include "host/SubSheet.h"

IMPLEMENT_DYNAMIC(CBackAnnotationManager, CObject)
IMPLEMENT_DYNAMIC(CDrwSubSheet, CObject)
IMPLEMENT_DYNAMIC(CLayoutSubSheet, CDrwSubSheet)

BOOL CBackAnnotationManager::AddBackAnnotation(DWORD dwUndoActionID, EBackannoAction eKind, CStringArray* pArgs)
{
    CBackAnnotationRecord record{dwUndoActionID, eKind, {}};
    if (pArgs != nullptr) {
        for (INT_PTR i = 0; i < pArgs->GetSize(); ++i)
            record.args.push_back(pArgs->GetAt(i).str());
    }
    m_records.push_back(std::move(record));
    return TRUE;
}

CDrwSubSheet::CDrwSubSheet(const char* pszDocType) : m_strDocType(pszDocType), m_pStore(std::make_unique<CDrawingStore>()) {}
CDrwSubSheet::~CDrwSubSheet() = default;

CLayoutSubSheet::CLayoutSubSheet(bool bWithBackAnnotationManager)
    : CDrwSubSheet(LQ_DOCTYPE_LAYOUT), m_pNetlist(std::make_unique<CLayoutNetlist>())
{
    SetBackAnnotationManager(bWithBackAnnotationManager);
}

CLayoutSubSheet::~CLayoutSubSheet()
{
    // Nets go first; they take their net pins off the pins that the drawing store still holds.
    m_pNetlist.reset();
}

void CLayoutSubSheet::SetBackAnnotationManager(bool bPresent)
{
    if (bPresent && !m_pBackAnno)
        m_pBackAnno = std::make_unique<CBackAnnotationManager>();
    else if (!bPresent)
        m_pBackAnno.reset();
}

void CDrwSubSheet::SetPickMode(bool bOn)
{
    m_bPickMode = bOn;
    ++m_nPickModeChanges;
}
