#include "app/refine/PlugInItems.h"

#include <fmt/core.h>

#include <new>

#include "app/core/Errors.h"
#include "app/session/PlugInSession.h"
#include "host/Extension.h"

namespace lq {

// A non-virtual member of an exported class is called through a plain function pointer whose
// first parameter is the object: that is how the C++ ABI of this platform (Itanium) passes `this`,
// and by-value class arguments and results travel the same way for both. Static members and
// constructors likewise; a constructor is given raw storage of the size the plug-in's own
// run-time class record states.
struct PlugInItems::Exports {
    const CRuntimeClass* gateClass = nullptr;
    const CRuntimeClass* gateItemClass = nullptr;
    const CRuntimeClass* pinItemClass = nullptr;
    void (*makeGate)(void*, CLayoutComponent*, CString, CString) = nullptr;
    bool (*addPin)(CGate*, CLayoutPin*) = nullptr;
    std::vector<CSwapItem*>& (*pinItems)(CGate*) = nullptr;
    ItemGroups& (*pinGroups)(CGate*) = nullptr;
    bool (*isRealGate)(CGate*) = nullptr;
    void (*draw)(CGate*, CDrawContext*, bool, bool) = nullptr;
    void (*makeGateItem)(void*, CGate*, bool) = nullptr;
    void (*makePinItem)(void*, CLayoutPin*, CGate*) = nullptr;
    ItemGroups (*classify)(std::vector<CSwapItem*>, SWAPACTION) = nullptr;
    bool (*isPowerPin)(CLayoutPin*) = nullptr;
};

namespace {

template <class T>
void Resolve(HINSTANCE module, T& target, const char* symbol, const char* what)
{
    void* p = LQGetProcAddress(module, symbol);
    if (p == nullptr)
        throw JobError(fmt::format("the plug-in does not export {}, which refinement needs", what));
    target = reinterpret_cast<T>(p);
}

void* Storage(const CRuntimeClass* c) { return ::operator new(static_cast<std::size_t>(c->m_nObjectSize)); }

template <class Construct>
CObject* Build(const CRuntimeClass* c, Construct&& construct)
{
    void* p = Storage(c);
    try {
        construct(p);
    } catch (...) {
        ::operator delete(p);
        throw;
    }
    return static_cast<CObject*>(p);
}

}  // namespace

PlugInItems::PlugInItems(const PlugInSession& session) : m_exports(new Exports)
{
    const HINSTANCE m = session.Instance();
    Exports& e = *m_exports;
    try {
        Resolve(m, e.gateClass, "_ZN5CGate10classCGateE", "CGate::classCGate");
        Resolve(m, e.gateItemClass, "_ZN13CSwapItemGate18classCSwapItemGateE", "CSwapItemGate::classCSwapItemGate");
        Resolve(m, e.pinItemClass, "_ZN12CSwapItemPin17classCSwapItemPinE", "CSwapItemPin::classCSwapItemPin");
        Resolve(m, e.makeGate, "_ZN5CGateC1EP16CLayoutComponent7CStringS2_", "CGate::CGate(CLayoutComponent*, CString, CString)");
        Resolve(m, e.addPin, "_ZN5CGate6AddPinEP10CLayoutPin", "CGate::AddPin(CLayoutPin*)");
        Resolve(m, e.pinItems, "_ZN5CGate15GetSwapPinItemsEv", "CGate::GetSwapPinItems()");
        Resolve(m, e.pinGroups, "_ZN5CGate20GetSwapPinItemGroupsB5cxx11Ev", "CGate::GetSwapPinItemGroups()");
        Resolve(m, e.isRealGate, "_ZN5CGate10IsRealGateEv", "CGate::IsRealGate()");
        Resolve(m, e.draw, "_ZN5CGate4DrawEP12CDrawContextbb", "CGate::Draw(CDrawContext*, bool, bool)");
        Resolve(m, e.makeGateItem, "_ZN13CSwapItemGateC1EP5CGateb", "CSwapItemGate::CSwapItemGate(CGate*, bool)");
        Resolve(m, e.makePinItem, "_ZN12CSwapItemPinC1EP10CLayoutPinP5CGate", "CSwapItemPin::CSwapItemPin(CLayoutPin*, CGate*)");
        Resolve(m, e.classify, "_ZN9CSwapItem8ClassifyB5cxx11ESt6vectorIPS_SaIS1_EE10SWAPACTION",
                "CSwapItem::Classify(std::vector<CSwapItem*>, SWAPACTION)");
        Resolve(m, e.isPowerPin, "_ZN12CSwapItemPin10IsPowerPinEP10CLayoutPin", "CSwapItemPin::IsPowerPin(CLayoutPin*)");
    } catch (...) {
        delete m_exports;
        throw;
    }
}

PlugInItems::~PlugInItems()
{
    for (CSwapItem* item : m_gateItems)
        delete item;
    for (CGate* gate : m_gates)
        delete static_cast<CObject*>(static_cast<void*>(gate));
    for (CSwapItem* item : m_pinItems)
        delete item;
    delete m_exports;
}

CSwapItem* PlugInItems::MakePinItem(CLayoutPin* pin)
{
    m_pinItems.reserve(m_pinItems.size() + 1);
    CObject* o = Build(m_exports->pinItemClass, [&](void* p) { m_exports->makePinItem(p, pin, nullptr); });
    m_pinItems.push_back(static_cast<CSwapItem*>(o));
    return m_pinItems.back();
}

CGate* PlugInItems::MakeGate(CLayoutComponent* part, const std::string& gateName, const std::string& groupName)
{
    m_gates.reserve(m_gates.size() + 1);
    CObject* o = Build(m_exports->gateClass, [&](void* p) {
        m_exports->makeGate(p, part, CString(gateName.c_str()), CString(groupName.c_str()));
    });
    m_gates.push_back(static_cast<CGate*>(static_cast<void*>(o)));
    return m_gates.back();
}

bool PlugInItems::AddPin(CGate* gate, CLayoutPin* pin) { return m_exports->addPin(gate, pin); }

CSwapItem* PlugInItems::MakeGateItem(CGate* gate)
{
    m_gateItems.reserve(m_gateItems.size() + 1);
    CObject* o = Build(m_exports->gateItemClass, [&](void* p) { m_exports->makeGateItem(p, gate, true); });
    m_gateItems.push_back(static_cast<CSwapItem*>(o));
    return m_gateItems.back();
}

std::vector<CSwapItem*>& PlugInItems::PinItemsOf(CGate* gate) const { return m_exports->pinItems(gate); }
ItemGroups& PlugInItems::PinGroupsOf(CGate* gate) const { return m_exports->pinGroups(gate); }
bool PlugInItems::IsRealGate(CGate* gate) const { return m_exports->isRealGate(gate); }
void PlugInItems::Draw(CGate* gate, CDrawContext* dc) const { m_exports->draw(gate, dc, false, false); }

ItemGroups PlugInItems::Classify(std::vector<CSwapItem*> items, SWAPACTION action) const
{
    return m_exports->classify(std::move(items), action);
}

bool PlugInItems::IsPowerPin(CLayoutPin* pin) const { return m_exports->isPowerPin(pin); }

bool PlugInItems::CanSwap(CSwapItem* item, CSwapItem* other, SWAPACTION action, bool acrossComponents, bool checkCopper,
                          bool usePinGroups) const
{
    return item->CanSwap(other, action, acrossComponents, checkCopper, usePinGroups);
}

void PlugInItems::Unconnect(CSwapItem* item) const { item->Unconnect(); }
void PlugInItems::Connect(CSwapItem* item, CSwapItem* other) const { item->Connect(other, nullptr); }
void PlugInItems::Refresh(CSwapItem* item) const { item->Refresh(); }

}  // namespace lq
