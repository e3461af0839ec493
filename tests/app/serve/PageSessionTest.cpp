// The page host's session without a browser: the host's undo and redo over tool swaps, moves and
// the automatic swap, and refusals that leave the session as it was.
#include <gtest/gtest.h>

#include "app/core/Errors.h"
#include "app/formats/BoardFiles.h"
#include "app/serve/PageSession.h"
#include "app/session/PlugInSession.h"
#include "app/session/ToolIds.h"

namespace {

using namespace lq;

class PageSessionTest : public ::testing::Test {
protected:
    PageSessionTest() : plugIn(DefaultModulePath()), session(plugIn)
    {
        loaded = LoadBoard(QUILLON_EXAMPLES_DIR "/sample.qbrd.json", BoardReadOptions{});
        session.Open(loaded, "sample.qbrd.json", {});
        session.SetZoom(loaded.board.sheet.zoom);
    }

    CLQPoint PinAt(const std::string& ref, const std::string& pin) const
    {
        const auto index = BoardIndex(loaded.board).FindPin(PinRef{ref, pin});
        const Point p = AbsolutePin(loaded.board.parts[index->part], loaded.board.parts[index->part].pins[index->pin]);
        return CLQPoint(p.x, p.y);
    }
    void Click(const CLQPoint& at) { session.Mouse({{MouseKind::Down, at}, {MouseKind::Up, at}}); }
    // The board without the sheet's settings, which the page changes without an undo step.
    static Board Drawn(Board board)
    {
        board.sheet = SheetSettings{};
        return board;
    }

    PlugInSession plugIn;
    PageSession session;
    LoadedBoard loaded;
};

TEST_F(PageSessionTest, UndoAndRedoEveryKindOfChange)
{
    session.UseTool(kSwapPinToolUIID);
    Click(PinAt("U1", "4"));
    Click(PinAt("U1", "5"));
    ASSERT_EQ(session.Changes().size(), 1u);
    EXPECT_EQ(session.Changes()[0].records.size(), 1u);

    session.UseTool(std::nullopt);
    session.SetMoveSwap(1);
    const Point u2 = loaded.board.parts[1].at;
    session.SelectAt(CLQPoint(u2.x, u2.y), false);
    session.BeginMove();
    session.EndMove(1'000'000, 0);
    session.Execute("AutoQuillon");
    ASSERT_EQ(session.Changes().size(), 3u);
    EXPECT_EQ(session.Current().parts[1].at.x, u2.x + 1'000'000);
    const Board last = session.Current();
    // Run again, the pass and the refinement find nothing: no change, but the user is told so.
    EXPECT_EQ(session.Notice(), "");
    session.Execute("AutoQuillon");
    EXPECT_EQ(session.Notice(), "AutoQuillon: no pin changed its net");
    session.Refine();
    EXPECT_EQ(session.Notice(), "Refine: no exchange that the plug-in allows shortens the airwires");
    ASSERT_EQ(session.Changes().size(), 3u);

    while (session.Undo()) {
    }
    EXPECT_EQ(session.Notice(), "");
    EXPECT_EQ(Drawn(session.Current()), Drawn(loaded.board));
    EXPECT_EQ(session.FiguresNow(), session.FiguresBefore());
    while (session.Redo()) {
    }
    EXPECT_EQ(session.Current(), last);

    // A new change after an undo drops what could have been redone.
    session.Undo();
    session.UseTool(kSwapPinToolUIID);
    Click(PinAt("U1", "12"));
    Click(PinAt("U1", "13"));
    EXPECT_EQ(session.Changes().size(), 3u);
    EXPECT_EQ(session.ChangesApplied(), 3u);
    EXPECT_EQ(session.Changes()[2].label, "SwapPinTool");
}

TEST_F(PageSessionTest, RefusalsLeaveTheSessionAsItWas)
{
    const std::uint64_t revision = session.Revision();
    EXPECT_THROW(session.Mouse({{MouseKind::Down, PinAt("U1", "4")}}), JobError);  // no tool
    EXPECT_THROW(session.EndMove(1, 1), JobError);                                 // nothing selected
    const Point u2 = loaded.board.parts[1].at;
    session.SelectAt(CLQPoint(u2.x, u2.y), false);
    EXPECT_THROW(session.EndMove(std::int64_t{1} << 31, 0), JobError);
    EXPECT_EQ(session.Current().parts[1].at, u2);

    LoadedBoard broken = loaded;
    broken.board.nets[0].pins.push_back(PinRef{"U9", "1"});
    EXPECT_THROW(session.Open(broken, "broken.qbrd.json", {}), ParseError);
    EXPECT_EQ(session.Name(), "sample.qbrd.json");
    EXPECT_EQ(Drawn(session.Current()), Drawn(loaded.board));
    EXPECT_GT(session.Revision(), revision);
}

}  // namespace
