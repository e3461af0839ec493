#include "module/swap/BackAnnotate.h"

#include "host/DrawObject.h"
#include "host/HostApp.h"
#include "host/SubSheet.h"

bool SendBackAnnotation(EBackannoAction eKind, const CString& text0, const CString& text1, const CString& text2,
                        const CString& text3)
{
    auto* pSheet = DYNAMIC_DOWNCAST(CLayoutSubSheet, GetDrwSubSheet());
    if (pSheet == nullptr || pSheet->SuppressesBackAnnotation())
        return false;
    CBackAnnotationManager* pManager = pSheet->GetBackAnnotationManager();
    if (pManager == nullptr)
        return false;
    CStringArray texts;
    texts.Add(text0);
    texts.Add(text1);
    texts.Add(text2);
    texts.Add(text3);
    const CUndoCommandSet* pLast = pSheet->GetDrawingStore()->GetLastAction();
    const DWORD dwUndoID = pLast != nullptr ? pLast->GetActionID() : 0xFFFFFFFFu;
    pManager->AddBackAnnotation(dwUndoID, eKind, &texts);
    return true;
}

CString AttributeText(const CDrawObject* pObject, const char* pszName)
{
    const CDrawAttribute* pAttr = pObject != nullptr ? pObject->GetAttributeWithTag(pszName, false) : nullptr;
    return pAttr != nullptr ? pAttr->GetValueText() : CString();
}
