#include "tests/support/ModuleFixture.h"

#include <set>

#include "host/Events.h"
#include "host/Net.h"
#include "host/Window.h"
#include "module/frame/Module.h"

namespace lqtest {

HINSTANCE TestInstance()
{
    static int anchor = 0;
    return reinterpret_cast<HINSTANCE>(&anchor);
}

void ExpectConsistentNets(const CLayoutSubSheet* sheet)
{
    for (const auto& net : sheet->GetNetlist()->GetNets()) {
        std::set<const CDrawObject*> seen;
        for (CNetPin* netPin : net->GetNetPins()) {
            auto* pin = DYNAMIC_DOWNCAST(CLayoutPin, netPin->GetDrawObject());
            ASSERT_NE(pin, nullptr) << net->GetName().str();
            EXPECT_TRUE(seen.insert(pin).second) << "a pin is twice on " << net->GetName().str();
            EXPECT_EQ(static_cast<CNetPin*>(pin->GetNetConnection()->GetNetPin()), netPin) << net->GetName().str();
        }
    }
}

void ModuleEnvironment::SetUp() { ASSERT_EQ(DllMain(TestInstance(), DLL_PROCESS_ATTACH, nullptr), 1); }
void ModuleEnvironment::TearDown() { DllMain(TestInstance(), DLL_PROCESS_DETACH, nullptr); }

void ModuleTest::SetUp()
{
    AfxPumpEvents();
    AfxGetHostLog().Clear();
    LQSetDrawContext(&dc);
    LQSetDrawTool(nullptr);
    UseSheet(board);
}

void ModuleTest::TearDown()
{
    if (m_bInitialised)
        ExitDll();
    AfxPumpEvents();
    LQSetDrwSubSheet(nullptr);
    LQSetDrawContext(nullptr);
    LQSetDrawTool(nullptr);
    LQSetSheetView(nullptr);
}

void ModuleTest::UseSheet(BoardBuilder& builder) { LQSetDrwSubSheet(builder.Sheet()); }

void ModuleTest::InitModule()
{
    InitDll();
    m_bInitialised = true;
}

const std::vector<CBackAnnotationRecord>& ModuleTest::Records() const
{
    return board.Sheet()->GetBackAnnotationManager()->GetRecords();
}

std::size_t ModuleTest::Updates(const CLayoutSubSheet* sheet) const
{
    for (const CNetlistUpdate& u : sheet->GetNetlist()->GetUpdates()) {
        EXPECT_EQ(u.nCode, 0x40000000u);
        EXPECT_EQ(u.nKey, reinterpret_cast<LONG_PTR>(sheet));
    }
    return sheet->GetNetlist()->GetUpdates().size();
}

std::size_t ModuleTest::Redraws(const CLayoutSubSheet* sheet) const
{
    for (const CInvalidation& i : sheet->GetDrawingStore()->GetInvalidations()) {
        EXPECT_EQ(i.pDC, &dc);
        EXPECT_TRUE(i.bErase);
        EXPECT_FALSE(i.bNow);
    }
    return sheet->GetDrawingStore()->GetInvalidations().size();
}

}  // namespace lqtest
