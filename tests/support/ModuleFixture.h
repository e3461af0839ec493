// A test fixture with the module attached (its resources reachable), a current layout sheet and
// draw context, and clean host records.
#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "host/DrawContext.h"
#include "host/HostApp.h"
#include "tests/support/BoardBuilder.h"

namespace lqtest {

// The instance handle under which the statically linked module registers its resources.
HINSTANCE TestInstance();

// Attaches the module once for the whole test program.
class ModuleEnvironment : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;
};

class ModuleTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Makes the builder's sheet current; the fixture keeps it alive.
    void UseSheet(BoardBuilder& builder);
    // InitDll/ExitDll around a test that needs the interfaces.
    void InitModule();

    BoardBuilder board;
    CDrawContext dc;
    bool m_bInitialised = false;
};

}  // namespace lqtest
