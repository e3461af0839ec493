// A test fixture with the module attached (its resources reachable), a current layout sheet and
// draw context, and clean host records.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "host/DrawContext.h"
#include "host/HostApp.h"
#include "tests/support/BoardBuilder.h"

namespace lqtest {

// The instance handle under which the statically linked module registers its resources.
HINSTANCE TestInstance();

// Every net pin of every net of the sheet belongs to a distinct layout pin whose own net pin it is.
void ExpectConsistentNets(const CLayoutSubSheet* sheet);

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
    // The back-annotation records of the fixture's board.
    const std::vector<CBackAnnotationRecord>& Records() const;
    CLayoutSubSheet* sheet() const { return board.Sheet(); }
    // The number of netlist updates and of redraws of a sheet, each checked to be the module's
    // usual one: code 0x40000000 with the sheet as key; the current context, erased, not at once.
    std::size_t Updates(const CLayoutSubSheet* sheet) const;
    std::size_t Redraws(const CLayoutSubSheet* sheet) const;

    BoardBuilder board;
    CDrawContext dc;
    bool m_bInitialised = false;
};

}  // namespace lqtest
