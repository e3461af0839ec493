// The board file: every way it can be wrong gives one line naming the file and the JSON path;
// canonical round trips and the defaults of optional fields.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "app/core/Errors.h"
#include "app/formats/BoardJson.h"
#include "app/resources/SampleBoard.h"
#include "tests/app/AppTestSupport.h"
#include "tests/e2e/LqhostProcess.h"

using namespace lq;
using Json = nlohmann::json;
using Pointer = Json::json_pointer;
using namespace lqapptest;

namespace {

Json ValidBoard()
{
    return Json::parse(R"({"format": "quillon-board", "version": 1,
      "parts": [
        {"ref": "U1", "at": [0, 0], "pins": [{"at": [10, 0], "attributes": [["LQ_PIN", "1"]]},
                                             {"at": [20, 0], "attributes": [["LQ_PIN", "2"]]}]},
        {"ref": "U2", "at": [100, 0], "pins": [{"at": [0, 0], "attributes": [["LQ_PIN", "1"]]}]}],
      "nets": [{"name": "N1", "pins": [["U1", "1"], ["U2", "1"]]}, {"name": "N2", "pins": [["U1", "2"]]}],
      "copper": {"tracks": [{"net": "N1", "layer": 1, "width": 10, "from": [0, 0], "to": [5, 5]}]}})");
}

std::string ErrorOf(const std::string& text) { return lqe2e::ErrorText<ParseError>([&] { ParseBoardJson(text, "b.qbrd.json"); }); }

struct Case {
    const char* name;
    std::vector<std::pair<const char*, Json>> changes;  // JSON pointer and new value; null removes the field
    const char* message;                                // after "b.qbrd.json:"
};

// A name quoted in an error line used to be quoted whole, up to the 1024 bytes a text may have.
const std::string kLongName(1000, 'Q');
const std::string kLongNameMessage = "/nets/0/pins/1: unknown part \"" + kLongName.substr(0, 60) + "...\"";

const Case kCases[] = {
    {"LongNameQuotedAsAnExcerpt", {{"/nets/0/pins/1", {kLongName, "1"}}}, kLongNameMessage.c_str()},
    {"PointShape", {{"/parts/0/pins/1/at", {1}}}, "/parts/0/pins/1/at: expected [x, y] in nm"},
    {"CoordinateRange", {{"/parts/0/at/0", 3000000000u}}, "/parts/0/at/0: 3000000000 nm is outside the 32-bit coordinate range"},
    {"NegativeCoordinateRange", {{"/parts/0/at/1", -2147483649LL}},
     "/parts/0/at/1: -2147483649 nm is outside the 32-bit coordinate range"},
    {"CoordinateFraction", {{"/parts/0/at/1", 1.5}}, "/parts/0/at/1: expected a coordinate in nm as a whole number"},
    {"RectShape", {{"/parts/0/outline", {1, 2, 3}}}, "/parts/0/outline: expected [x1, y1, x2, y2] in nm"},
    {"MissingRequired", {{"/parts/0/at", nullptr}}, "/parts/0/at: required field is missing"},
    {"UnknownField", {{"/parts/0/pins/0/colour", "red"}}, "/parts/0/pins/0/colour: unknown field \"colour\""},
    {"FormatName", {{"/format", "kicad"}}, "/format: not a Quillon board file (expected \"quillon-board\")"},
    {"Version", {{"/version", 2}}, "/version: version 2 is not supported; this lqhost reads version 1"},
    {"AttributePair", {{"/parts/0/pins/0/attributes/0", {"LQ_PIN"}}},
     "/parts/0/pins/0/attributes/0: expected [name, value], two texts"},
    {"TextType", {{"/nets/0/name", 5}}, "/nets/0/name: expected a text \"...\""},
    {"NulInText", {{"/parts/0/ref", std::string("U\0" "1", 3)}}, "/parts/0/ref: text contains a NUL character"},
    {"LongText", {{"/parts/0/ref", std::string(1025, 'x')}}, "/parts/0/ref: text of 1025 bytes is longer than the 1024 allowed"},
    {"TooManyAttributes", {{"/parts/0/attributes", Json(std::vector<Json>(257, {"A", "1"}))}},
     "/parts/0/attributes: more than the 256 attributes allowed"},
    {"LayerRange", {{"/parts/0/pins/0/layers", {17}}}, "/parts/0/pins/0/layers/0: 17 is out of range (1 to 16)"},
    {"LayerTwice", {{"/parts/0/pins/0/layers", {1, 1}}}, "/parts/0/pins/0/layers/1: layer 1 is listed twice"},
    {"NoLayers", {{"/parts/0/pins/0/layers", Json::array()}}, "/parts/0/pins/0/layers: a pin is on at least one copper layer"},
    {"BoolType", {{"/parts/0/pinSwap", 1}}, "/parts/0/pinSwap: expected true or false"},
    {"TrackWidth", {{"/copper/tracks/0/width", -1}}, "/copper/tracks/0/width: -1 is out of range (0 to 2147483647)"},
    {"DuplicateRef", {{"/parts/1/ref", "U1"}}, "/parts/1/ref: duplicate reference designator \"U1\" (first at /parts/0)"},
    {"DuplicatePin", {{"/parts/0/pins/1/attributes/0/1", "1"}},
     "/parts/0/pins/1: duplicate pin \"1\" in part U1 (first at /parts/0/pins/0)"},
    {"NoPinName", {{"/parts/0/pins/0/attributes", Json::array()}},
     "/parts/0/pins/0/attributes: the pin has no LQ_PIN attribute, which names it in nets"},
    {"SecondPinName", {{"/parts/0/pins/0/attributes/1", {"LQ_PIN", "9"}}},
     "/parts/0/pins/0/attributes/1: a pin carries one LQ_PIN attribute; this is a second one"},
    {"EmptyPinName", {{"/parts/0/pins/0/attributes/0/1", ""}}, "/parts/0/pins/0/attributes/0/1: the pin name (LQ_PIN) is empty"},
    {"RefdesAttribute", {{"/parts/0/attributes", Json::array({Json::array({"LQ_REFDES", "X"})})}},
     "/parts/0/attributes/0: the reference designator is the part's \"ref\", not an attribute"},
    {"GateSwapValue", {{"/parts/0/attributes", Json::array({Json::array({"LQ_GATESWAP", "two"})})}},
     "/parts/0/attributes/0/1: LQ_GATESWAP is a whole number from 0 to 1000, not \"two\""},
    {"EmptyRef", {{"/parts/0/ref", ""}}, "/parts/0/ref: the reference designator is empty"},
    {"UnknownPartInNet", {{"/nets/0/pins/1", {"U9", "1"}}}, "/nets/0/pins/1: unknown part \"U9\""},
    {"UnknownPinInNet", {{"/nets/0/pins/1", {"U2", "7"}}}, "/nets/0/pins/1: part U2 has no pin \"7\""},
    {"PinOnTwoNets", {{"/nets/1/pins/0", {"U1", "1"}}}, "/nets/1/pins/0: pin U1.1 is already on net \"N1\""},
    {"DuplicateNet", {{"/nets/1/name", "N1"}}, "/nets/1/name: duplicate net name \"N1\" (first at /nets/0)"},
    {"UnknownCopperNet", {{"/copper/tracks/0/net", "X"}}, "/copper/tracks/0/net: unknown net \"X\""},
    {"PolygonPoints", {{"/copper/polygons", {{{"layer", 1}, {"points", {{0, 0}, {1, 1}}}}}}},
     "/copper/polygons/0/points: a polygon has at least 3 points"},
    {"PlacedPinOverflow", {{"/parts/1/at", {2147483647, 0}}, {"/parts/1/pins/0/at", {1, 0}}},
     "/parts/1/pins/0/at: the pin lies outside the 32-bit coordinate range once placed"},
    {"PlacedPadOverflow", {{"/parts/1/at", {2147483447, 0}}, {"/parts/1/pins/0/at", {100, 0}}, {"/parts/1/pins/0/pad", {0, 0, 101, 0}}},
     "/parts/1/pins/0/pad: the pad reaches outside the 32-bit coordinate range once placed"},
};

// ctest lists the case by its name, not by its bytes.
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class BoardJsonError : public ::testing::TestWithParam<Case> {};

}  // namespace

TEST(BoardJsonErrors, TheBaseBoardIsSound) { EXPECT_EQ(ErrorOf(ValidBoard().dump()), "(no error)"); }

TEST_P(BoardJsonError, NamesFileAndPath)
{
    Json doc = ValidBoard();
    for (const auto& [pointer, value] : GetParam().changes)
        if (value.is_null())
            doc[Pointer(pointer).parent_pointer()].erase(Pointer(pointer).back());
        else
            doc[Pointer(pointer)] = value;
    EXPECT_EQ(ErrorOf(doc.dump()), std::string("b.qbrd.json:") + GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(Cases, BoardJsonError, ::testing::ValuesIn(kCases), ::testing::PrintToStringParamName());

TEST(BoardJsonSyntax, MalformedTextIsPlacedByLineAndColumn)
{
    const std::string e = ErrorOf("{\n  \"format\": \"quillon-board\",\n  \"version\": 1,,\n}");
    EXPECT_EQ(e.rfind("b.qbrd.json:3:16: malformed JSON: ", 0), 0u) << e;
    EXPECT_EQ(e.find('\n'), std::string::npos) << e;
    EXPECT_EQ(ErrorOf("").rfind("b.qbrd.json:1:1: malformed JSON: ", 0), 0u) << ErrorOf("");
    EXPECT_NE(ErrorOf("{\"format\": \"\xff\"}").find("malformed JSON"), std::string::npos);
}

TEST(BoardJsonSyntax, DuplicateKeysDeepNestingAndWrongShapesAreRefusedWithTheirPlace)
{
    const std::string deep = "{\"parts\": " + std::string(100000, '[') + std::string(100000, ']') + "}";
    const std::string longKey(100000, 'k');
    const std::pair<std::string, std::string> cases[] = {
        {R"({"format": "quillon-board", "format": "x"})", "/: the key \"format\" appears twice"},
        {R"({"parts": [{"ref": "a", "at": [0, 0]}, {"ref": "a", "at": [0, 0], "ref": "b"}]})", "/parts/1: the key \"ref\" appears twice"},
        {deep, "/parts/0: expected an object {...}"},
        // Quoted tokens used to be whole: here a key of 100000 bytes, then a bad literal.
        {"{\"" + longKey + "\": 1}", "/" + longKey.substr(0, 60) + "...: unknown field \"" + longKey.substr(0, 60) + "...\""},

        {"[]", "/: expected an object {...}"},
        {R"({"parts": [{"at": [0, -3e10000]}]})", "/parts/0/at/1: number overflow parsing '-3e10000'"},
        {R"({"version": 1e999})", "/version: number overflow parsing '1e999'"},
        {R"({"format": "quillon-board", "version": 1, "parts": {}, "nets": []})", "/parts: expected an array [...]"},
    };
    for (const auto& [text, message] : cases)
        EXPECT_EQ(ErrorOf(text), "b.qbrd.json:" + message);
    const std::string badString = ErrorOf("{\"format\": \"" + longKey + "\x01\"}");
    EXPECT_NE(badString.find("must be escaped to \\u0001; last read: '\"" + longKey.substr(0, 59) + "...'"), std::string::npos);
    EXPECT_LT(badString.size(), 300u);
    // What followed the board used to be read past when a NUL byte stood before it.
    const std::string board = ValidBoard().dump();
    EXPECT_EQ(ErrorOf(board + std::string("\0garbage", 8)), "b.qbrd.json:1:" + std::to_string(board.size() + 1) +
                                                              ": trailing data after the board (a NUL byte)");
    EXPECT_EQ(ErrorOf(board + " {}"), "b.qbrd.json:1:" + std::to_string(board.size() + 2) + ": trailing data after the board");
}

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
    EXPECT_EQ(board.parts[0].pins[0].layers, kAllCopperLayers);
    const std::string canonical = WriteBoardJson(board);
    EXPECT_NE(canonical.find("\"pinSwap\": true"), std::string::npos);
    EXPECT_EQ(WriteBoardJson(ParseBoardJson(canonical, "c")), canonical);
}
