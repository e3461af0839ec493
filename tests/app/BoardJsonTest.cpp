// The board file: canonical round trips and the defaults of optional fields.
#include <gtest/gtest.h>

#include "app/core/Errors.h"
#include "app/formats/BoardJson.h"
#include "app/resources/SampleBoard.h"
#include "tests/app/AppTestSupport.h"

using namespace lq;
using namespace lqapptest;

TEST(BoardJsonRoundTrip, ExampleBoardsReadAndWriteToTheSameBytes)
{
    for (const char* name : {"sample.qbrd.json", "medium.qbrd.json"}) {
        const std::string text = ReadFile(lqe2e::Example(name));
        ASSERT_FALSE(text.empty()) << name;
        EXPECT_EQ(WriteBoardJson(ParseBoardJson(text, name)), text) << name;
    }
    EXPECT_EQ(std::string(SampleBoardJson()), ReadFile(lqe2e::Example("sample.qbrd.json")));  // the built-in sample
}

TEST(BoardJsonRoundTrip, TheDocumentedExampleIsACanonicalBoard)
{
    const std::string doc = ReadFile(std::string(QUILLON_DOCS_DIR) + "/board-format.md");
    const std::size_t from = doc.find("```json\n");
    ASSERT_NE(from, std::string::npos);
    const std::string text = doc.substr(from + 8, doc.find("```", from + 8) - from - 8);
    const Board board = ParseBoardJson(text, "board-format.md");
    EXPECT_EQ(WriteBoardJson(board), text);
    EXPECT_EQ(board.parts[1].pins[1].layers, 1u);
    EXPECT_EQ(board.polygons.size(), 1u);
}

TEST(BoardJsonRoundTrip, EveryFieldSurvivesWritingAndReading)
{
    Board board = SmallBoard();
    board.sheet = SheetSettings{"SCHEMATICDESIGN", false, false, MoveSwap{3, true, -7}, 123456};
    board.parts[0].pins[0].layers = 0x8001;  // layers 1 and 16
    board.parts[0].attributes.push_back(Attribute{"NOTE", "quote \" backslash \\ tab \t 中文"});
    board.parts[0].pinSwap = false;
    Part hole;  // no pins, at the corner of the coordinate range
    hole.ref = "MH1";
    hole.at = Point{-2147483647 + 1000, 2147483647 - 1000};
    hole.outline = Rect{-1000, -1000, 1000, 1000};
    board.parts.push_back(hole);
    board.nets.push_back(Net{"EMPTY", {}});
    board.tracks.push_back(Track{"", 16, 0, Point{1, 2}, Point{3, 4}});
    const std::string text = WriteBoardJson(board);
    const Board back = ParseBoardJson(text, "x.qbrd.json");
    EXPECT_EQ(back, board);
    EXPECT_EQ(WriteBoardJson(back), text);
    EXPECT_NE(text.find("\"layers\": [1, 16]"), std::string::npos);
}

TEST(BoardJsonDefaults, OptionalFieldsTakeTheirDefaultsAndAreWrittenOut)
{
    const std::string text = R"({"format": "quillon-board", "version": 1,
        "parts": [{"ref": "U1", "at": [5, 6], "pins": [{"at": [1, 2], "attributes": [["LQ_PIN", "1"]]}]}],
        "nets": [{"name": "N", "pins": [["U1", "1"]]}]})";
    const Board board = ParseBoardJson(text, "min.qbrd.json");
    EXPECT_EQ(board.sheet, (SheetSettings{"LAYOUTDESIGN", true, true, MoveSwap{}, 10000}));
    ASSERT_EQ(board.parts.size(), 1u);
    EXPECT_TRUE(board.parts[0].pinSwap);
    EXPECT_EQ(board.parts[0].outline, Rect{});
    EXPECT_EQ(board.parts[0].pins[0].layers, kAllCopperLayers);
    EXPECT_EQ(board.parts[0].pins[0].pad, Rect{});
    const std::string canonical = WriteBoardJson(board);
    EXPECT_NE(canonical.find("\"pinSwap\": true"), std::string::npos);
    EXPECT_NE(canonical.find("\"vias\": []"), std::string::npos);
    EXPECT_EQ(WriteBoardJson(ParseBoardJson(canonical, "c")), canonical);
}

TEST(BoardJsonFiles, MissingFileIsAnIoErrorNamingIt)
{
    ScratchDir dir;
    EXPECT_EQ(lqe2e::ErrorText<IoError>([&] { ReadBoardFile(dir / "nothere.qbrd.json"); }),
              dir / "nothere.qbrd.json: cannot open: No such file or directory");
    EXPECT_THROW(ReadBoardFile(dir.Path()), IoError);
}
