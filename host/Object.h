// Run-time class information in the host's object model.
#pragma once
#include "host/Types.h"

class CObject;
class CArchive;
class CDumpContext;

struct LQ_HOST_API CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;
    CObject* (*m_pfnCreateObject)();
    const CRuntimeClass* m_pBaseClass;

    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
};

class LQ_HOST_API CObject {
public:
    virtual const CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject();
    virtual void Serialize(CArchive& ar);
    virtual void AssertValid() const;
    virtual void Dump(CDumpContext& dc) const;

    BOOL IsKindOf(const CRuntimeClass* pClass) const;

    static const CRuntimeClass classCObject;

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

// Null when the object is null or not of the class.
LQ_HOST_API CObject* AfxDynamicDownCast(const CRuntimeClass* pClass, CObject* pObject);
LQ_HOST_API const CObject* AfxDynamicDownCast(const CRuntimeClass* pClass, const CObject* pObject);

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)                                 \
public:                                                             \
    static const CRuntimeClass class##class_name;                   \
    const CRuntimeClass* GetRuntimeClass() const override;

#define IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema) \
    const CRuntimeClass class_name::class##class_name = {           \
        #class_name, static_cast<int>(sizeof(class_name)), wSchema, \
        nullptr, RUNTIME_CLASS(base_class_name)};                   \
    const CRuntimeClass* class_name::GetRuntimeClass() const {      \
        return RUNTIME_CLASS(class_name);                           \
    }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
    IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF)

#define DYNAMIC_DOWNCAST(class_name, object) \
    (static_cast<class_name*>(AfxDynamicDownCast(RUNTIME_CLASS(class_name), object)))
