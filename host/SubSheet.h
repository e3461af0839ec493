// Sheets of a document: the generic drawing sheet and the layout sheet.
#pragma once
#include <memory>

#include "host/BackAnnotation.h"
#include "host/DrawingStore.h"
#include "host/Netlist.h"

constexpr const char* LQ_DOCTYPE_LAYOUT = "LAYOUTDESIGN";
constexpr const char* LQ_DOCTYPE_SCHEMATIC = "SCHEMATICDESIGN";

class LQ_HOST_API CDrwSubSheet : public CObject {
    DECLARE_DYNAMIC(CDrwSubSheet)
public:
    explicit CDrwSubSheet(const char* pszDocType);
    ~CDrwSubSheet() override;
    CDrwSubSheet(const CDrwSubSheet&) = delete;
    CDrwSubSheet& operator=(const CDrwSubSheet&) = delete;

    CString GetDocType() const { return m_strDocType; }
    void SetDocType(const char* psz) { m_strDocType = psz; }
    CDrawingStore* GetDrawingStore() const { return m_pStore.get(); }

    // The pick display of the sheet's view.
    void SetPickMode(bool bOn);
    bool GetPickMode() const { return m_bPickMode; }
    int GetPickModeChanges() const { return m_nPickModeChanges; }

private:
    CString m_strDocType;
    bool m_bPickMode = false;
    int m_nPickModeChanges = 0;
    std::unique_ptr<CDrawingStore> m_pStore;
};

// Automatic swap while moving, as the user set it for the sheet.
struct CMoveSwapState {
    int m_nMode = 0;         // 0 off, 1 pins only, 2 or 3 pins and gates
    bool m_bPinSwap = false;  // must be set for mode 1 to act
    int m_nGateSwap = 0;     // must be non-zero for modes 2 and 3 to act
};

class LQ_HOST_API CLayoutSubSheet : public CDrwSubSheet {
    DECLARE_DYNAMIC(CLayoutSubSheet)
public:
    explicit CLayoutSubSheet(bool bWithBackAnnotationManager = true);
    ~CLayoutSubSheet() override;

    CLayoutNetlist* GetNetlist() const { return m_pNetlist.get(); }
    CBackAnnotationManager* GetBackAnnotationManager() const { return m_pBackAnno.get(); }
    void SetBackAnnotationManager(bool bPresent);
    BOOL SuppressesBackAnnotation() const { return m_bSuppressBackAnno ? TRUE : FALSE; }
    void SetSuppressBackAnnotation(bool b) { m_bSuppressBackAnno = b; }

    CMoveSwapState& GetMoveSwapState() { return m_moveSwap; }
    const CMoveSwapState& GetMoveSwapState() const { return m_moveSwap; }

private:
    std::unique_ptr<CLayoutNetlist> m_pNetlist;
    std::unique_ptr<CBackAnnotationManager> m_pBackAnno;
    bool m_bSuppressBackAnno = false;
    CMoveSwapState m_moveSwap;
};
