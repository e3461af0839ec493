// Board files by their names: which format, which files are read and written.
#include <gtest/gtest.h>

#include "app/core/Errors.h"
#include "app/formats/BoardFiles.h"
#include "tests/app/eagle/EagleFixture.h"
#include "tests/e2e/LqhostProcess.h"

using namespace lq;
using namespace lqeagle;
using namespace lqe2e;

TEST(BoardFiles, TheNameDecidesTheFormat)
{
    EXPECT_EQ(BoardFormatOf("a/b.qbrd.json"), BoardFormat::QuillonJson);
    EXPECT_EQ(BoardFormatOf("b.brd"), BoardFormat::Eagle);
    EXPECT_EQ(BoardFormatOf("B.BRD"), BoardFormat::Eagle);
    EXPECT_EQ(BoardFormatOf("brd"), BoardFormat::QuillonJson);
    EXPECT_EQ(BoardFormatOf("board.out"), BoardFormat::QuillonJson);
}

TEST(BoardFiles, AnEagleBoardWithItsSchematicIsReadAndWrittenAsAPair)
{
    TempDir dir;
    const SmallDesign d = MakeDesign(TypicalSignals());
    WriteFile(dir / "a.brd", d.board);
    EXPECT_EQ(BoardInputs(dir / "a.brd", {}), (std::vector<std::string>{dir / "a.brd"}));
    EXPECT_EQ(BoardOutputs(dir / "a.brd", {}, dir / "out.brd"), (std::vector<std::string>{dir / "out.brd"}));
    WriteFile(dir / "a.sch", d.schematic);
    EXPECT_EQ(BoardInputs(dir / "a.brd", {}), (std::vector<std::string>{dir / "a.brd", dir / "a.sch"}));
    EXPECT_EQ(BoardOutputs(dir / "a.brd", {}, dir / "out.brd"), (std::vector<std::string>{dir / "out.brd", dir / "out.sch"}));
    EXPECT_EQ(BoardOutputs(dir / "a.brd", {}, dir / "out.qbrd.json"), (std::vector<std::string>{dir / "out.qbrd.json"}));
    EXPECT_THROW(BoardOutputs("x.qbrd.json", {}, "x.brd"), UsageError);
    EXPECT_THROW(LoadBoard(dir / "a.qbrd.json", BoardReadOptions{"", true}), UsageError);

    LoadedBoard loaded = LoadBoard(dir / "a.brd", {});
    const SavedBoard saved = SaveBoard(loaded, loaded.board, dir / "out.brd");
    ASSERT_EQ(saved.files.size(), 2u);
    EXPECT_EQ(saved.files[0], std::make_pair(dir / "out.brd", d.board));
    EXPECT_EQ(saved.files[1], std::make_pair(dir / "out.sch", d.schematic));
    ASSERT_EQ(saved.notes.size(), 1u);
    EXPECT_NE(saved.notes[0].find("0 gate exchanges and 0 pin exchanges, 0 signals changed"), std::string::npos);
}
