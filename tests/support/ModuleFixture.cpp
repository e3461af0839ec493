#include "tests/support/ModuleFixture.h"

#include "host/Events.h"
#include "host/Window.h"
#include "module/frame/Module.h"

namespace lqtest {

HINSTANCE TestInstance()
{
    static int anchor = 0;
    return reinterpret_cast<HINSTANCE>(&anchor);
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

}  // namespace lqtest
