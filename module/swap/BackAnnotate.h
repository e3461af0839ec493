// Reporting a manual swap to the current layout sheet's back-annotation manager.
#pragma once
#include "host/BackAnnotation.h"
#include "host/String.h"

class CDrawObject;

// Sends the record when the current sheet is a layout sheet that does not suppress back
// annotation and has a manager; otherwise does nothing. Returns whether a record was sent.
bool SendBackAnnotation(EBackannoAction eKind, const CString& text0, const CString& text1, const CString& text2,
                        const CString& text3);
// Value text of an object's attribute, or the empty text.
CString AttributeText(const CDrawObject* pObject, const char* pszName);
