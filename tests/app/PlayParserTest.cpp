// Reading play scripts: every line form, and every malformed line with its file:line message.
#include <gtest/gtest.h>

#include "app/core/Errors.h"
#include "app/play/PlayParser.h"
#include "app/play/PlayTokens.h"

using namespace lq;
using namespace lq::play;

namespace {

Action One(const std::string& line)
{
    const Script s = ParsePlayScript(line + "\n", "s.play", "/scripts");
    EXPECT_EQ(s.steps.size(), 1u) << line;
    return s.steps.at(0).action;
}

template <class T>
T As(const std::string& line)
{
    const Action a = One(line);
    EXPECT_TRUE(std::holds_alternative<T>(a)) << line;
    return std::get<T>(a);
}

std::string ErrorOf(const std::string& text)
{
    try {
        ParsePlayScript(text, "dir/s.play", "dir");
    } catch (const ParseError& e) {
        return e.what();
    }
    return "(no error)";
}

}  // namespace

TEST(PlayScriptLines, CommentsBlanksAndLineNumbers)
{
    const Script s = ParsePlayScript("# a session\n\n  open b.qbrd.json   # the board\r\n\ttool none\n", "s.play", "d");
    ASSERT_EQ(s.steps.size(), 2u);
    EXPECT_EQ(s.steps[0].line, 3);
    EXPECT_EQ(s.steps[0].text, "open b.qbrd.json");
    EXPECT_EQ(s.steps[1].line, 4);
    EXPECT_EQ(std::get<OpenStep>(s.steps[0].action).file, "d/b.qbrd.json");
    EXPECT_EQ(As<OpenStep>("open /abs/b.qbrd.json").file, "/abs/b.qbrd.json");
    EXPECT_EQ(As<OpenStep>("open \"my board.qbrd.json\"").file, "/scripts/my board.qbrd.json");
}

TEST(PlayScriptLines, Actions)
{
    EXPECT_EQ(As<MoveSwapStep>("moveswap 3 on 7").state, (MoveSwap{3, true, 7}));
    EXPECT_EQ(As<MoveSwapStep>("moveswap 1 false 0").state, (MoveSwap{1, false, 0}));
    EXPECT_EQ(As<MoveSwapStep>("moveswap off").state, (MoveSwap{0, false, 0}));
    EXPECT_EQ(As<ToolStep>("tool 0x703E8").uiId, 0x703E8u);
    EXPECT_EQ(As<ToolStep>("tool 459753").uiId, 459753u);
    EXPECT_FALSE(As<ToolStep>("tool none").uiId);

    const ClickStep point = As<ClickStep>("click 38.19mm -500um");
    EXPECT_EQ(point.button, Button::Left);
    EXPECT_EQ(point.target.kind, Target::Kind::Point);
    EXPECT_EQ(point.target.point, (Point{38190000, -500000}));
    const ClickStep pin = As<ClickStep>("rclick U1.3");
    EXPECT_EQ(pin.button, Button::Right);
    EXPECT_EQ(pin.target.kind, Target::Kind::Pin);
    EXPECT_EQ(pin.target.pin.text, "U1.3");
    const ClickStep gate = As<ClickStep>("dblclick gate U2 \"\"");
    EXPECT_EQ(gate.button, Button::Double);
    EXPECT_EQ(gate.target.kind, Target::Kind::Gate);
    EXPECT_EQ(gate.target.gatePart.text, "U2");
    EXPECT_EQ(gate.target.gateName, "");

    EXPECT_TRUE(As<OverlayStep>("overlay").file.empty());
    EXPECT_EQ(As<OverlayStep>("overlay pick.svg").file, "/scripts/pick.svg");
    const SelectStep select = As<SelectStep>("select U1 U2");
    EXPECT_TRUE(select.select);
    ASSERT_EQ(select.parts.size(), 2u);
    EXPECT_EQ(select.parts[1].text, "U2");
    EXPECT_FALSE(As<SelectStep>("deselect U1").select);
    EXPECT_TRUE(As<SelectStep>("deselect all").all);
    const MoveStep move = As<MoveStep>("move 100mil -2540000");
    EXPECT_EQ(move.dx, 2540000);
    EXPECT_EQ(move.dy, -2540000);
    EXPECT_EQ(As<CommandStep>("command AutoQuillon").name, "AutoQuillon");
    EXPECT_EQ(As<RaiseStep>("database-changed").event, RaiseStep::Event::DatabaseChanged);
    EXPECT_EQ(As<RaiseStep>("netlist-changed").event, RaiseStep::Event::NetlistChanged);
    EXPECT_EQ(As<SaveStep>("save out.qbrd.json").file, "/scripts/out.qbrd.json");
}

TEST(PlayScriptLines, Expectations)
{
    EXPECT_EQ(As<ExpectNet>("expect net U1.3 N1").net, "N1");
    EXPECT_FALSE(As<ExpectNet>("expect net U1.3 none").net);
    EXPECT_EQ(As<ExpectNet>("expect net U1.3 \"none\"").net, "none");
    EXPECT_EQ(As<ExpectNetPins>("expect pins N1 U1.3 J1.1").pins.size(), 2u);
    EXPECT_TRUE(As<ExpectNetPins>("expect pins N1 none").pins.empty());
    EXPECT_EQ(As<ExpectPinCount>("expect pincount N1 3").count, 3u);
    EXPECT_EQ(As<ExpectRecordCount>("expect records 0").count, 0u);

    const ExpectRecord full = As<ExpectRecord>("expect record 2 pin undo 0x1F \"U1\" \"4\" \"undo\" 5");
    EXPECT_EQ(full.index, 2u);
    EXPECT_EQ(full.kind, 13);
    EXPECT_EQ(full.undoId, 31u);
    EXPECT_EQ(full.texts, (std::vector<std::string>{"U1", "4", "undo", "5"}));
    const ExpectRecord bare = As<ExpectRecord>("expect record 1 gate");
    EXPECT_EQ(bare.kind, 12);
    EXPECT_FALSE(bare.undoId);
    EXPECT_FALSE(bare.texts);
    EXPECT_EQ(As<ExpectRecord>("expect record 1 7 undo none").undoId, 0xFFFFFFFFu);

    const ExpectMessages one = As<ExpectMessages>("expect message 61569");
    ASSERT_EQ(one.items.size(), 1u);
    EXPECT_EQ(one.items[0].resourceId, 61569u);
    const ExpectMessages two = As<ExpectMessages>("expect messages \"Gate #1\" 61808");
    ASSERT_EQ(two.items.size(), 2u);
    EXPECT_EQ(two.items[0].text, "Gate #1");
    EXPECT_FALSE(two.items[0].resourceId);
    EXPECT_TRUE(As<ExpectMessages>("expect messages none").items.empty());

    EXPECT_EQ(As<ExpectTool>("expect tool 0x703e9").uiId, 0x703E9u);
    EXPECT_FALSE(As<ExpectTool>("expect tool none").uiId);
    EXPECT_TRUE(As<ExpectPickMode>("expect pickmode on").on);
    EXPECT_EQ(As<ExpectSelected>("expect selected U1 U1.3").objects.size(), 2u);
    EXPECT_TRUE(As<ExpectSelected>("expect selected none").objects.empty());
    const ExpectCommand command = As<ExpectCommand>("expect command SwapPinTool disabled checked");
    EXPECT_FALSE(command.enabled);
    EXPECT_EQ(command.checked, true);
    EXPECT_FALSE(As<ExpectCommand>("expect command AutoQuillon enabled").checked);
    EXPECT_EQ(As<ExpectOverlayPins>("expect overlay pins U1.4 U1.5").pins.size(), 2u);
    EXPECT_EQ(As<ExpectOverlayMarkers>("expect overlay markers 17").count, 17u);
    EXPECT_TRUE(IsExpectation(One("expect overlay markers 1")));
    EXPECT_FALSE(IsExpectation(One("overlay")));
}

TEST(PlayScriptLines, MalformedLinesNameFileAndLine)
{
    const std::pair<const char*, const char*> cases[] = {
        {"open a\nclik U1.1\n", "dir/s.play:2: unknown line \"clik\"; a line starts with open, moveswap, tool, click, "
                                "rclick, dblclick, overlay, select, deselect, move, command, database-changed, "
                                "netlist-changed, save or expect"},
        {"open\n", "dir/s.play:1: malformed line; write open FILE"},
        {"open a b\n", "dir/s.play:1: malformed line; write open FILE"},
        {"moveswap 4 on 1\n", "dir/s.play:1: move-swap mode 4 is not 0 (off), 1 (pins) or 2 or 3 (pins and gates)"},
        {"moveswap 1 maybe 0\n", "dir/s.play:1: \"maybe\" is not the pin-swap switch (on or off)"},
        {"tool pin\n", "dir/s.play:1: \"pin\" is not a UI ID (a number from 0 to 4294967295, or 0x hexadecimal)"},
        {"tool 0x1FFFFFFFF\n", "dir/s.play:1: \"0x1FFFFFFFF\" is not a UI ID (a number from 0 to 4294967295, or 0x "
                               "hexadecimal)"},
        {"click\n", "dir/s.play:1: malformed line; write click X Y, click PART.PIN or click gate PART NAME"},
        {"click U13\n", "dir/s.play:1: \"U13\" is not a pin; write PART.PIN, e.g. U1.3"},
        {"click 12.7xm 0\n", "dir/s.play:1: \"12.7xm\" is not a length (write nanometres, or a number with mm, um or mil: "
                             "12.7mm)"},
        {"click 3000mm 0\n", "dir/s.play:1: \"3000mm\" is outside the 32-bit coordinate range"},
        {"move 1.0000001mm 0\n", "dir/s.play:1: \"1.0000001mm\" is not a whole number of nanometres"},
        {"overlay pick.png\n", "dir/s.play:1: \"pick.png\": overlay pictures are SVG files; give a name ending in .svg"},
        {"select\n", "dir/s.play:1: malformed line; write select PART..."},
        {"database-changed now\n", "dir/s.play:1: malformed line; write database-changed"},
        {"expect\n", "dir/s.play:1: expect what? write expect net, pins, pincount, records, record, message, messages, "
                     "tool, pickmode, selected, command or overlay"},
        {"expect colour red\n", "dir/s.play:1: cannot expect \"colour\"; write expect net, pins, pincount, records, "
                                "record, message, messages, tool, pickmode, selected, command or overlay"},
        {"expect net U1.3\n", "dir/s.play:1: malformed line; write expect net PART.PIN NET, or expect net PART.PIN none"},
        {"expect pincount N1 -1\n", "dir/s.play:1: \"-1\" is not a pin count (a whole number, 0 or more)"},
        {"expect record 0 pin\n", "dir/s.play:1: records are numbered from 1"},
        {"expect record 1 pin undo\n", "dir/s.play:1: malformed line; write expect record N KIND [undo ID] [TEXT...] "
                                       "(KIND: pin, gate or a number)"},
        {"expect message 61569 61570\n", "dir/s.play:1: malformed line; write expect message ID or expect message \"TEXT\""},
        {"expect messages oops\n", "dir/s.play:1: \"oops\" is not a string resource id (quote message texts) (a number "
                                   "from 0 to 4294967295, or 0x hexadecimal)"},
        {"expect pickmode half\n", "dir/s.play:1: \"half\" is not a pick mode (on or off)"},
        {"expect command AutoQuillon on\n", "dir/s.play:1: malformed line; write expect command NAME enabled|disabled "
                                            "[checked|unchecked]"},
        {"expect overlay gates 3\n", "dir/s.play:1: malformed line; write expect overlay pins PART.PIN..., expect "
                                     "overlay pins none, or expect overlay markers COUNT"},
        {"open \"a.qbrd.json\n", "dir/s.play:1: a quoted word is not closed (a \" is missing)"},
        {"open a\"b\n", "dir/s.play:1: a quote inside the word \"a\"; quote the whole word"},
        {"open \"a\"b\n", "dir/s.play:1: a quoted word must be followed by a blank, not 'b'"},
    };
    for (const auto& [text, message] : cases)
        EXPECT_EQ(ErrorOf(text), message) << text;
    EXPECT_EQ(ErrorOf(std::string("open a\0b\n", 9)), "dir/s.play:1: the line holds a NUL byte; a play script is text");
}

TEST(PlayScriptLines, LengthsAreExactNanometres)
{
    EXPECT_EQ(ParseLength("0"), 0);
    EXPECT_EQ(ParseLength("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseLength("2147.483647mm"), INT32_MAX);
    EXPECT_EQ(ParseLength("0.001um"), 1);
    EXPECT_EQ(ParseLength("+1.5mil"), 38100);
    EXPECT_THROW(ParseLength("2147483648"), LineError);
    EXPECT_THROW(ParseLength("0.0001um"), LineError);
    EXPECT_THROW(ParseLength(".5mm"), LineError);
    EXPECT_THROW(ParseLength("mm"), LineError);
    EXPECT_EQ(FormatLength(-38190000), "-38.19mm");
    EXPECT_EQ(FormatLength(25000000), "25mm");
}
