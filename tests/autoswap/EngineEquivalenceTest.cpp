// The module's engine against the literal reference on random boards: the board-wide pass, a manual
// gate exchange (which optimises both gates' pins) and moves with swap while moving must make the
// same net edits in the same order, and the caps the search keeps must hold.
// QUILLON_EQUIVALENCE_BOARDS sets the number of boards (200 by default; half as many with the grid
// on every group), QUILLON_EQUIVALENCE_SEED the first seed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>

#include "host/Events.h"
#include "host/Net.h"
#include "module/autoswap/GateExchange.h"
#include "module/autoswap/reference/ReferenceEngine.h"
#include "module/frame/CommandTable.h"
#include "module/frame/Module.h"
#include "module/frame/PlugInInterface.h"
#include "module/gates/GateStore.h"
#include "module/swap/SwapItemGate.h"
#include "tests/support/ModuleFixture.h"
#include "tests/support/RandomBoard.h"

namespace {
using namespace lqtest;

int Setting(const char* name, int fallback)
{
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::atoi(text) : fallback;
}

// Most random groups are too small for the grid: these settings make it serve every group from its
// first search, in cells of two gates and blocks of 2 x 2, so that every bound and every level of
// blocks decides.
LQGateGridSettings GridOnEveryGroup(LQGateGridSettings settings = {})
{
    settings.nSearchesBefore = 1;
    settings.nMinGates = 2;
    settings.gatesPerCell = 2;
    settings.nBlockSide = 2;
    return settings;
}

// Groups of some 250 gates, whose partners are searched block by block of the grid.
RandomBoardShape LargeGroupsOfOneKind()
{
    RandomBoardShape shape;
    shape.nPackages = 64;
    shape.nValues = 1;
    shape.bQuadsOnly = true;
    return shape;
}

struct Outcome {
    std::vector<std::string> nets;   // every pin's net, in creation order
    std::vector<std::string> edits;  // every net edit, in order
    std::vector<std::string> records;
    std::size_t updates = 0;
    int nPackages = 0;
};

class EngineEquivalence : public ModuleTest {
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        InitModule();
    }
    void TearDown() override
    {
        LQUseReferenceEngine(false);
        LQSetGateGridSettings(LQGateGridSettings{});
        ModuleTest::TearDown();
    }

    // Both engines on nBoards random boards from QUILLON_EQUIVALENCE_SEED (1) on.
    void ExpectAlikeOnRandomBoards(int nBoards)
    {
        const auto firstSeed = static_cast<std::uint32_t>(Setting("QUILLON_EQUIVALENCE_SEED", 1));
        std::size_t nEdits = 0;
        int nLarge = 0;
        for (int k = 0; k < nBoards; ++k) {
            const std::uint32_t seed = firstSeed + static_cast<std::uint32_t>(k);
            const Outcome reference = Run(seed, true);
            const Outcome mine = Run(seed, false);
            SCOPED_TRACE("seed " + std::to_string(seed) + ", " + std::to_string(reference.nPackages) + " packages");
            ASSERT_EQ(mine.edits, reference.edits);
            ASSERT_EQ(mine.nets, reference.nets);
            ASSERT_EQ(mine.records, reference.records);
            ASSERT_EQ(mine.updates, reference.updates);
            nEdits += reference.edits.size();
            nLarge += reference.nPackages > 60;
        }
        std::printf("%d boards (%d of more than 60 packages), %zu net edits alike\n", nBoards, nLarge, nEdits);
        EXPECT_GT(nEdits, static_cast<std::size_t>(nBoards) * 20) << "the boards must give the engines real work";
    }

    // The board of the seed, of the shape given or else of a random one; with bRouteLate, a fifth
    // of the pins get copper after the gate store was built.
    Outcome Run(std::uint32_t seed, bool bReference, const RandomBoardShape* pShape = nullptr, bool bRouteLate = false)
    {
        LQUseReferenceEngine(bReference);
        std::mt19937 rng(seed);
        BoardBuilder b;
        const RandomBoardShape shape = pShape != nullptr ? *pShape : RandomShape(rng);
        const std::vector<CLayoutPin*> pins = GenerateBoard(rng, b, shape);
        UseSheet(b);
        CLayoutSubSheet* sheet = b.Sheet();
        if (bRouteLate) {
            GetPlugInInterface()->GetGateStore(sheet)->GetGateSwapGroups();
            for (std::size_t k = 0; k < pins.size(); k += 5) {
                const CLQPoint p = pins[k]->GetLocation();
                b.Track(p, {p.x + 40, p.y});
            }
        }
        GetPlugInInterface()->ExecuteCommand(ID_AUTOSWAP);
        AfxPumpEvents();
        auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        // A manual exchange of two gates of one group.
        for (const auto& group : GetPlugInInterface()->GetGateStore(sheet)->GetGateSwapGroups())
            if (group.size() >= 2 && uniform(0, 2) == 0) {
                group[static_cast<std::size_t>(uniform(1, static_cast<int>(group.size()) - 1))]->Swap(group.front());
                sheet->GetNetlist()->UpdateNetlist(0x40000000, reinterpret_cast<LONG_PTR>(sheet));
                break;
            }
        AfxPumpEvents();
        std::vector<CDrawObject*> objects;
        sheet->GetDrawingStore()->GetObjectList(objects, 0x1FF, 0, 0);
        std::vector<CLayoutComponent*> parts;
        for (CDrawObject* object : objects)
            if (auto* part = DYNAMIC_DOWNCAST(CLayoutComponent, object))
                parts.push_back(part);
        for (int move = 0; move < 2; ++move) {
            sheet->GetMoveSwapState() = CMoveSwapState{uniform(1, 3), true, 1};
            for (int k = uniform(1, 3); k > 0; --k)
                parts[static_cast<std::size_t>(uniform(0, static_cast<int>(parts.size()) - 1))]->SetSelected(true, true);
            LQMoveSelection(uniform(-300, 300), uniform(-300, 300));
            AfxPumpEvents();
            for (CLayoutComponent* part : parts)
                part->SetSelected(false, true);
        }

        Outcome out;
        out.nPackages = shape.nPackages;
        std::map<const CDrawObject*, std::size_t> index;
        for (CLayoutPin* pin : pins) {
            index[pin] = index.size();
            out.nets.push_back(NetOf(pin));
        }
        for (const CNetEdit& e : sheet->GetNetlist()->GetEdits())
            out.edits.push_back((e.bAdd ? "+" : "-") + e.pNet->GetName().str() + " " + std::to_string(index.at(e.pObject)));
        for (const CBackAnnotationRecord& r : sheet->GetBackAnnotationManager()->GetRecords()) {
            std::string text = std::to_string(r.eKind);
            for (const std::string& arg : r.args)
                text += "|" + arg;
            out.records.push_back(text);
        }
        out.updates = sheet->GetNetlist()->GetUpdates().size();
        UseSheet(board);
        AfxPumpEvents();
        return out;
    }
};

TEST_F(EngineEquivalence, MakesTheReferencesNetEditsInTheReferencesOrderOnRandomBoards)
{
    ExpectAlikeOnRandomBoards(Setting("QUILLON_EQUIVALENCE_BOARDS", 200));
}

TEST_F(EngineEquivalence, MakesTheReferencesNetEditsWithTheGridOnEveryGroup)
{
    LQSetGateGridSettings(GridOnEveryGroup());
    ExpectAlikeOnRandomBoards(Setting("QUILLON_EQUIVALENCE_BOARDS", 200) / 2);
}

// A cap too low passes over a partner only where that partner would have won, which few random
// boards bring about: so every cap a search may read is checked against what its gates reach.
TEST_F(EngineEquivalence, KeepsEveryCapAtLeastWhatTheGatesUnderItReach)
{
    LQTheCapChecks() = LQCapChecks{};
    LQGateGridSettings checked;
    checked.bCheckCaps = true;
    const RandomBoardShape quads = LargeGroupsOfOneKind();
    LQSetGateGridSettings(checked);
    for (std::uint32_t seed = 1; seed <= 2; ++seed)
        Run(seed, false, &quads, seed == 2);
    LQSetGateGridSettings(GridOnEveryGroup(checked));
    for (std::uint32_t seed = 1; seed <= 100; ++seed)
        Run(seed, false);
    const LQCapChecks checks = LQTheCapChecks();
    EXPECT_EQ(checks.nBroken, 0u);
    EXPECT_GT(checks.nHeld, 50000u) << "the searches must read caps";
}

TEST_F(EngineEquivalence, MakesTheReferencesEditsInLargeGroupsOfOneKind)
{
    // On the last board the gate store outlives copper laid after it was built.
    const RandomBoardShape shape = LargeGroupsOfOneKind();
    for (std::uint32_t seed = 1; seed <= 3; ++seed) {
        const Outcome reference = Run(seed, true, &shape, seed == 3);
        const Outcome mine = Run(seed, false, &shape, seed == 3);
        SCOPED_TRACE("seed " + std::to_string(seed));
        EXPECT_EQ(mine.edits, reference.edits);
        EXPECT_EQ(mine.nets, reference.nets);
        EXPECT_EQ(mine.records, reference.records);
        EXPECT_GT(reference.edits.size(), 500u);
    }
}

}  // namespace
