#include "host/DrawObject.h"

#include "host/AttributeNames.h"

#include <algorithm>
#include <limits>

#include "host/DrawContext.h"
#include "host/DrawingStore.h"

const char* const LQ_GATE = "LQ_GATE";
const char* const LQ_GATEGROUP = "LQ_GATEGROUP";
const char* const LQ_PINGROUP = "LQ_PINGROUP";
const char* const LQ_PIN = "LQ_PIN";
const char* const LQ_PINTYPE = "LQ_PINTYPE";
const char* const LQ_REFDES = "LQ_REFDES";
const char* const LQ_LABEL = "LQ_LABEL";
const char* const LQ_GATESWAP = "LQ_GATESWAP";

IMPLEMENT_DYNAMIC(CBaseStore, CObject)
IMPLEMENT_DYNAMIC(CAttributeStore, CBaseStore)
IMPLEMENT_DYNAMIC(CDrawObject, CObject)
IMPLEMENT_DYNAMIC(CDrawAttribute, CDrawObject)
IMPLEMENT_DYNAMIC(CDrawRectangle, CDrawObject)

std::int32_t LQOffsetCoord(std::int32_t v, int d)
{
    const std::int64_t r = static_cast<std::int64_t>(v) + d;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(r, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

CBaseStore::CBaseStore() = default;
CBaseStore::~CBaseStore() = default;

int CAttributeStore::GetAttributeList(std::vector<CDrawObject*>& list, UINT nKindMask, int, int) const
{
    list.clear();
    for (const auto& p : m_objects) {
        if ((p->GetKind() & nKindMask) != 0)
            list.push_back(p.get());
    }
    return static_cast<int>(list.size());
}

namespace {
// FNV-1a over the name's bytes.
std::uint32_t NameKey(const char* pszName)
{
    std::uint32_t key = 2166136261u;
    for (const char* p = pszName; *p != '\0'; ++p)
        key = (key ^ static_cast<unsigned char>(*p)) * 16777619u;
    return key;
}
}  // namespace

CDrawAttribute* CAttributeStore::Add(const char* pszName, const char* pszValue)
{
    auto pAttr = std::make_unique<CDrawAttribute>(pszName, pszValue);
    m_nameKeys.push_back(NameKey(pAttr->GetName()));
    m_objects.push_back(std::move(pAttr));
    return static_cast<CDrawAttribute*>(m_objects.back().get());
}

CDrawAttribute* CAttributeStore::Find(const char* pszName) const
{
    if (pszName == nullptr)
        return nullptr;
    const std::uint32_t key = NameKey(pszName);
    for (std::size_t k = 0; k < m_nameKeys.size(); ++k) {
        if (m_nameKeys[k] != key)
            continue;
        auto* pAttr = DYNAMIC_DOWNCAST(CDrawAttribute, m_objects[k].get());
        if (pAttr != nullptr && _mbscmp(pAttr->GetName(), pszName) == 0)
            return pAttr;
    }
    return nullptr;
}

bool CAttributeStore::Remove(CDrawAttribute* pAttribute)
{
    auto it = std::find_if(m_objects.begin(), m_objects.end(), [&](const auto& p) { return p.get() == pAttribute; });
    if (it == m_objects.end())
        return false;
    m_nameKeys.erase(m_nameKeys.begin() + (it - m_objects.begin()));
    m_objects.erase(it);
    return true;
}

CDrawObject::CDrawObject(UINT nKind) : m_nKind(nKind) {}
CDrawObject::~CDrawObject() = default;

CAttributeStore* CDrawObject::GetAttributes()
{
    if (!m_pAttributes)
        m_pAttributes = std::make_unique<CAttributeStore>();
    return m_pAttributes.get();
}

const CAttributeStore* CDrawObject::GetAttributes() const
{
    if (!m_pAttributes)
        m_pAttributes = std::make_unique<CAttributeStore>();
    return m_pAttributes.get();
}

CDrawAttribute* CDrawObject::GetAttributeWithTag(const char* pszName, bool) const
{
    return m_pAttributes ? m_pAttributes->Find(pszName) : nullptr;
}

CDrawAttribute* CDrawObject::AddAttribute(const char* pszName, const char* pszValue)
{
    return GetAttributes()->Add(pszName, pszValue);
}

void CDrawObject::GetBoundingRect(CLQRect& rect, bool) const { rect = CLQRect(); }
void CDrawObject::Offset(int, int) {}

void CDrawObject::DrawObject(CDrawContext* pDC, UINT nKindMask)
{
    if (pDC != nullptr && (m_nKind & nKindMask) != 0)
        pDC->DrawDrawObject(this);
}

void CDrawObject::SetSelected(bool bSelected, bool)
{
    if (m_bSelected == bSelected)
        return;
    m_bSelected = bSelected;
    if (m_pStore != nullptr)
        m_pStore->OnSelectionChanged(this, bSelected);
}

void CDrawObject::GeometryChanged()
{
    if (m_pStore != nullptr)
        m_pStore->OnGeometryChanged(this);
}

CDrawAttribute::CDrawAttribute(const char* pszName, const char* pszValue)
    : CDrawObject(DOK_ATTRIBUTE), m_strName(pszName), m_value(pszValue)
{
}

CDrawRectangle::CDrawRectangle(UINT nKind, const CLQRect& rect) : CDrawObject(nKind), m_rect(rect) {}

void CDrawRectangle::SetRect(const CLQRect& rect)
{
    m_rect = rect;
    GeometryChanged();
}

void CDrawRectangle::GetBoundingRect(CLQRect& rect, bool) const { rect = m_rect; }

void CDrawRectangle::Offset(int dx, int dy)
{
    m_rect = CLQRect(LQOffsetCoord(m_rect.left, dx), LQOffsetCoord(m_rect.top, dy), LQOffsetCoord(m_rect.right, dx),
                     LQOffsetCoord(m_rect.bottom, dy));
    GeometryChanged();
}
