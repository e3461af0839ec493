// Drawing objects of a document and their attributes.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "host/Geometry.h"
#include "host/Object.h"
#include "host/PoolString.h"

class CDrawContext;
class CDrawingStore;
class CDrawAttribute;
class CDrawObject;

// Kind bits of drawing objects, selected by the masks of the list operations.
enum : UINT {
    DOK_ATTRIBUTE = 0x001,
    DOK_COMPONENT = 0x002,
    DOK_PIN = 0x004,
    DOK_TRACK = 0x008,
    DOK_VIA = 0x010,
    DOK_POLYGON = 0x020,
    DOK_OTHER = 0x100,
    DOK_ALL = 0x1FF,
};

// A container of objects; the attribute container of a drawing object is one.
class LQ_HOST_API CBaseStore : public CObject {
    DECLARE_DYNAMIC(CBaseStore)
public:
    CBaseStore();
    ~CBaseStore() override;
    CBaseStore(const CBaseStore&) = delete;
    CBaseStore& operator=(const CBaseStore&) = delete;

    int GetObjectCount() const { return static_cast<int>(m_objects.size()); }

protected:
    std::vector<std::unique_ptr<CDrawObject>> m_objects;
};

class LQ_HOST_API CAttributeStore : public CBaseStore {
    DECLARE_DYNAMIC(CAttributeStore)
public:
    // Fills the list with the attributes whose kind is in the mask, in the order they were added.
    int GetAttributeList(std::vector<CDrawObject*>& list, UINT nKindMask, int nReserved1, int nReserved2) const;
    CDrawAttribute* Add(const char* pszName, const char* pszValue);
    // First attribute of that name (byte comparison), or null.
    CDrawAttribute* Find(const char* pszName) const;
    bool Remove(CDrawAttribute* pAttribute);

private:
    // A key of each attribute's name, in the same order: a lookup reads the attributes of the
    // name asked for only, where the attributes of a board's many pins lie far apart.
    std::vector<std::uint32_t> m_nameKeys;
};

class LQ_HOST_API CDrawObject : public CObject {
    DECLARE_DYNAMIC(CDrawObject)
public:
    explicit CDrawObject(UINT nKind = DOK_OTHER);
    ~CDrawObject() override;
    CDrawObject(const CDrawObject&) = delete;
    CDrawObject& operator=(const CDrawObject&) = delete;

    UINT GetKind() const { return m_nKind; }

    CAttributeStore* GetAttributes();
    const CAttributeStore* GetAttributes() const;
    CDrawAttribute* GetAttributeWithTag(const char* pszName, bool bInherited = false) const;
    CDrawAttribute* AddAttribute(const char* pszName, const char* pszValue);

    virtual void GetBoundingRect(CLQRect& rect, bool bIncludeText) const;
    virtual void Offset(int dx, int dy);
    virtual void DrawObject(CDrawContext* pDC, UINT nKindMask);

    void SetSelected(bool bSelected, bool bNotify);
    bool IsSelected() const { return m_bSelected; }

    CDrawingStore* GetDrawingStore() const { return m_pStore; }
    void SetDrawingStore(CDrawingStore* pStore) { m_pStore = pStore; }
    // Position in the store's object list; stable for the object's life.
    int GetStoreIndex() const { return m_nStoreIndex; }
    void SetStoreIndex(int n) { m_nStoreIndex = n; }

protected:
    void GeometryChanged();

private:
    UINT m_nKind;
    bool m_bSelected = false;
    CDrawingStore* m_pStore = nullptr;
    int m_nStoreIndex = -1;
    mutable std::unique_ptr<CAttributeStore> m_pAttributes;
};

class LQ_HOST_API CDrawAttribute : public CDrawObject {
    DECLARE_DYNAMIC(CDrawAttribute)
public:
    CDrawAttribute(const char* pszName, const char* pszValue);

    const CString& GetName() const { return m_strName; }
    CString GetValueText() const { return CString(m_value.GetString()); }
    const CPoolString& GetValue() const { return m_value; }
    void SetValueText(const char* pszValue) { m_value = CPoolString(pszValue); }

private:
    CString m_strName;
    CPoolString m_value;
};

class LQ_HOST_API CDrawRectangle : public CDrawObject {
    DECLARE_DYNAMIC(CDrawRectangle)
public:
    explicit CDrawRectangle(UINT nKind = DOK_OTHER, const CLQRect& rect = CLQRect());

    CLQPoint CenterPoint() const { return m_rect.CenterPoint(); }
    const CLQRect& GetRect() const { return m_rect; }
    void SetRect(const CLQRect& rect);
    void GetBoundingRect(CLQRect& rect, bool bIncludeText) const override;
    void Offset(int dx, int dy) override;

private:
    CLQRect m_rect;
};

// Offsets a coordinate, saturating at the 32-bit range.
LQ_HOST_API std::int32_t LQOffsetCoord(std::int32_t v, int d);
