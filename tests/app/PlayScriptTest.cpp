// Play scripts: every line form, every malformed line, and the names checked before anything runs
// (boards, parts, pins, nets, commands, tools and outputs), each failure with its file:line message.
#include <gtest/gtest.h>

#include "app/core/Errors.h"
#include "app/play/PlayParser.h"
#include "app/play/PlayResolve.h"
#include "app/play/PlayTokens.h"
#include "tests/app/AppTestSupport.h"
#include "tests/e2e/LqhostProcess.h"

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

std::string ErrorOf(const std::string& text) { return lqe2e::ErrorText<ParseError>([&] { ParsePlayScript(text, "dir/s.play", "dir"); }); }

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
    EXPECT_EQ(As<MoveSwapStep>("moveswap off").state, (MoveSwap{0, false, 0}));
    EXPECT_EQ(As<ToolStep>("tool 459753").uiId, 459753u);
    EXPECT_FALSE(As<ToolStep>("tool none").uiId);

    const ClickStep point = As<ClickStep>("click 38.19mm -500um");
    EXPECT_EQ(std::tie(point.button, point.target.kind), std::make_tuple(Button::Left, Target::Kind::Point));
    EXPECT_EQ(point.target.point, (Point{38190000, -500000}));
    const ClickStep pin = As<ClickStep>("rclick U1.3");
    EXPECT_EQ(std::tie(pin.button, pin.target.kind, pin.target.pin.text), std::make_tuple(Button::Right, Target::Kind::Pin, "U1.3"));
    const ClickStep gate = As<ClickStep>("dblclick gate U2 \"\"");
    EXPECT_EQ(std::tie(gate.button, gate.target.kind, gate.target.gatePart.text, gate.target.gateName),
              std::make_tuple(Button::Double, Target::Kind::Gate, "U2", ""));

    EXPECT_TRUE(As<OverlayStep>("overlay").file.empty());
    EXPECT_EQ(As<SelectStep>("select U1 U2").parts.at(1).text, "U2");
    EXPECT_FALSE(As<SelectStep>("deselect U1").select);
    EXPECT_TRUE(As<SelectStep>("deselect all").all);
    const MoveStep move = As<MoveStep>("move 100mil -2540000");
    EXPECT_EQ(std::tie(move.dx, move.dy), std::make_tuple(2540000, -2540000));
    EXPECT_EQ(As<RaiseStep>("database-changed").event, RaiseStep::Event::DatabaseChanged);
    EXPECT_EQ(As<RaiseStep>("netlist-changed").event, RaiseStep::Event::NetlistChanged);
}

TEST(PlayScriptLines, Expectations)
{
    EXPECT_FALSE(As<ExpectNet>("expect net U1.3 none").net);
    EXPECT_EQ(As<ExpectNet>("expect net U1.3 \"none\"").net, "none");
    EXPECT_TRUE(As<ExpectNetPins>("expect pins N1 none").pins.empty());

    const ExpectRecord full = As<ExpectRecord>("expect record 2 pin undo 0x1F \"U1\" \"4\" \"undo\" 5");
    EXPECT_EQ(std::tie(full.index, full.kind, full.undoId), std::make_tuple(2u, 13, 31u));
    EXPECT_EQ(full.texts, (std::vector<std::string>{"U1", "4", "undo", "5"}));
    const ExpectRecord bare = As<ExpectRecord>("expect record 1 gate");
    EXPECT_EQ(bare.kind, 12);
    EXPECT_FALSE(bare.undoId || bare.texts);
    EXPECT_EQ(As<ExpectRecord>("expect record 1 7 undo none").undoId, 0xFFFFFFFFu);

    EXPECT_EQ(As<ExpectMessages>("expect message 61569").items.at(0).resourceId, 61569u);
    const ExpectMessages two = As<ExpectMessages>("expect messages \"Gate #1\" 61808");
    ASSERT_EQ(two.items.size(), 2u);
    EXPECT_TRUE(two.items[0].text == "Gate #1" && !two.items[0].resourceId);
    EXPECT_TRUE(As<ExpectMessages>("expect messages none").items.empty());

    EXPECT_EQ(As<ExpectTool>("expect tool 0x703e9").uiId, 0x703E9u);
    EXPECT_FALSE(As<ExpectTool>("expect tool none").uiId);
    const ExpectCommand command = As<ExpectCommand>("expect command SwapPinTool disabled checked");
    EXPECT_TRUE(!command.enabled && command.checked == true);
    EXPECT_FALSE(As<ExpectCommand>("expect command AutoQuillon enabled").checked);
    EXPECT_EQ(As<ExpectOverlayMarkers>("expect overlay markers 17").count, 17u);
    EXPECT_TRUE(IsExpectation(One("expect overlay markers 1")));
    EXPECT_FALSE(IsExpectation(One("overlay")));
}

TEST(PlayScriptLines, MalformedLinesNameFileAndLine)
{
    const std::pair<const char*, const char*> cases[] = {
        {"open a\nclik U1.1\n", "2: unknown line \"clik\"; a line starts with open, moveswap, tool, click, "
                                "rclick, dblclick, overlay, select, deselect, move, command, database-changed, "
                                "netlist-changed, save or expect"},
        {"open\n", "1: malformed line; write open FILE"},
        {"moveswap 4 on 1\n", "1: move-swap mode 4 is not 0 (off), 1 (pins) or 2 or 3 (pins and gates)"},
        {"moveswap 1 maybe 0\n", "1: \"maybe\" is not the pin-swap switch (on or off)"},
        {"tool pin\n", "1: \"pin\" is not a UI ID (a number from 0 to 4294967295, or 0x hexadecimal)"},
        {"tool 0x1FFFFFFFF\n", "1: \"0x1FFFFFFFF\" is not a UI ID (a number from 0 to 4294967295, or 0x hexadecimal)"},
        {"click\n", "1: malformed line; write click X Y, click PART.PIN or click gate PART NAME"},
        {"click U13\n", "1: \"U13\" is not a pin; write PART.PIN, e.g. U1.3"},
        {"click 12.7xm 0\n", "1: \"12.7xm\" is not a length (write nanometres, or a number with mm, um or mil: 12.7mm)"},
        {"click 3000mm 0\n", "1: \"3000mm\" is outside the 32-bit coordinate range"},
        {"move 1.0000001mm 0\n", "1: \"1.0000001mm\" is not a whole number of nanometres"},
        {"overlay pick.png\n", "1: \"pick.png\": overlay pictures are SVG files; give a name ending in .svg"},
        {"expect\n", "1: expect what? write expect net, pins, pincount, records, record, message, messages, "
                     "tool, pickmode, selected, command or overlay"},
        {"expect colour red\n", "1: cannot expect \"colour\"; write expect net, pins, pincount, records, "
                                "record, message, messages, tool, pickmode, selected, command or overlay"},
        {"expect net U1.3\n", "1: malformed line; write expect net PART.PIN NET, or expect net PART.PIN none"},
        {"expect pincount N1 -1\n", "1: \"-1\" is not a pin count (a whole number, 0 or more)"},
        {"expect record 0 pin\n", "1: records are numbered from 1"},
        {"expect messages oops\n", "1: \"oops\" is not a string resource id (quote message texts) (a number "
                                   "from 0 to 4294967295, or 0x hexadecimal)"},
        {"open \"a.qbrd.json\n", "1: a quoted word is not closed (a \" is missing)"},
        {"open a\"b\n", "1: a quote inside the word \"a\"; quote the whole word"},
        {"open \"a\"b\n", "1: a quoted word must be followed by a blank, not 'b'"},
    };
    for (const auto& [text, message] : cases)
        EXPECT_EQ(ErrorOf(text), std::string("dir/s.play:") + message) << text;
    EXPECT_EQ(ErrorOf(std::string("open a\0b\n", 9)), "dir/s.play:1: the line holds a NUL byte; a play script is text");
}

TEST(PlayScriptLines, LengthsAreExactNanometres)
{
    EXPECT_EQ(ParseLength("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseLength("2147.483647mm"), INT32_MAX);
    EXPECT_EQ(ParseLength("0.001um"), 1);
    EXPECT_EQ(ParseLength("+1.5mil"), 38100);
    for (const char* bad : {"2147483648", "0.0001um", ".5mm", "mm"})
        EXPECT_THROW(ParseLength(bad), LineError) << bad;
    EXPECT_EQ(FormatLength(-38190000), "-38.19mm");
    EXPECT_EQ(FormatLength(25000000), "25mm");
}

namespace {

// A board with a part whose reference designator holds a dot, and a net per pin of U1.
Board TinyBoard()
{
    Board b;
    b.parts.push_back(lqapptest::MakePart("U1", Point{0, 0}, {{0, 0}, {1000000, 0}, {2000000, 0}}));
    b.parts.push_back(lqapptest::MakePart("R.1", Point{0, 5000000}, {{0, 0}, {1000000, 0}}));
    b.nets = {Net{"N1", {{"U1", "1"}, {"R.1", "2"}}}, Net{"N2", {{"U1", "2"}}}};
    return b;
}

ResolveOptions Options(std::vector<std::string>* opened = nullptr)
{
    ResolveOptions o;
    o.openBoard = [opened](const std::string& path) -> Board {
        if (opened != nullptr)
            opened->push_back(path);
        if (path.find("missing") != std::string::npos)
            throw IoError(path + ": cannot open: No such file or directory");
        return TinyBoard();
    };
    o.commands = std::vector<std::string>{"SwapPinTool", "SwapGateTool", "AutoQuillon"};
    return o;
}

Script Resolved(const std::string& text, std::vector<std::string>* opened = nullptr)
{
    Script s = ParsePlayScript(text, "p.play", "/d");
    ResolvePlayScript(s, Options(opened));
    return s;
}

std::string ResolveError(const std::string& text) { return lqe2e::ErrorText<ParseError>([&] { Resolved(text); }); }

}  // namespace

TEST(PlayScriptNames, LeadToTheBoardOpenAtTheLine)
{
    std::vector<std::string> opened;
    const Script s = Resolved("open a.qbrd.json\ntool 0x703E8\nclick R.1.2\nselect R.1\n"
                              "expect selected U1 U1.3 R.1.1\nexpect pins N1 U1.1 R.1.2\nclick gate R.1 X\n"
                              "command autoquillon\n",
                              &opened);
    EXPECT_EQ(opened, (std::vector<std::string>{"/d/a.qbrd.json"}));
    EXPECT_NE(std::get<OpenStep>(s.steps[0].action).board, nullptr);
    EXPECT_EQ(std::get<ClickStep>(s.steps[2].action).target.pin.pin, (PinIndex{1, 1}));
    EXPECT_EQ(std::get<SelectStep>(s.steps[3].action).parts[0].part, 1u);
    const auto& selected = std::get<ExpectSelected>(s.steps[4].action).objects;
    EXPECT_FALSE(selected[0].isPin);
    EXPECT_TRUE(selected[1].isPin);
    EXPECT_EQ(selected[1].pin, (PinIndex{0, 2}));
    EXPECT_EQ(selected[2].pin, (PinIndex{1, 0}));
    EXPECT_EQ(std::get<ClickStep>(s.steps[6].action).target.gatePart.part, 1u);
}

TEST(PlayScriptNames, UnknownNamesAndMissingContextFailBeforeAnythingRuns)
{
    const std::pair<const char*, const char*> cases[] = {
        {"open a.qbrd.json\nexpect net U9.1 N1\n", "p.play:2: unknown part \"U9\" on the board a.qbrd.json"},
        {"open a.qbrd.json\nexpect net U1.9 N1\n", "p.play:2: part U1 has no pin \"9\""},
        {"open a.qbrd.json\nexpect net U1.1 N9\n", "p.play:2: unknown net \"N9\" on the board a.qbrd.json"},
        {"open a.qbrd.json\nselect U1 Q5\n", "p.play:2: unknown part \"Q5\" on the board a.qbrd.json"},
        {"open a.qbrd.json\nexpect selected Q5\n", "p.play:2: unknown part \"Q5\" on the board a.qbrd.json"},
        {"open missing.qbrd.json\n", "p.play:1: /d/missing.qbrd.json: cannot open: No such file or directory"},
        {"expect net U1.1 N1\n", "p.play:1: no board is open here; add an 'open FILE' line before this one"},
        {"open a.qbrd.json\nclick U1.1\n",
         "p.play:2: no tool is picked here; add a 'tool UIID' line before this one (e.g. tool 0x703E8)"},
        {"open a.qbrd.json\ntool 0x703E8\ntool none\noverlay\n",
         "p.play:4: no tool is picked here; add a 'tool UIID' line before this one (e.g. tool 0x703E8)"},
        {"open a.qbrd.json\nexpect overlay markers 0\n",
         "p.play:2: no overlay was painted on this board yet; add an 'overlay' line before this one"},
        {"open a.qbrd.json\ntool 0x703E8\noverlay\nopen b.qbrd.json\nexpect overlay pins none\n",
         "p.play:5: no overlay was painted on this board yet; add an 'overlay' line before this one"},
        {"command Autoswap\n", "p.play:1: the plug-in has no command \"Autoswap\" (it has SwapPinTool, SwapGateTool, "
                               "AutoQuillon)"},
        {"open a.qbrd.json\nsave a.qbrd.json\n",
         "p.play:2: a.qbrd.json would overwrite the input /d/a.qbrd.json; save under another name"},
        {"open a.qbrd.json\nsave out.qbrd.json\nopen out.qbrd.json\n",
         "p.play:2: out.qbrd.json would overwrite the input /d/out.qbrd.json; save under another name"},
        // The message used to ask for .qbrd.json where any .json name is taken (docs/play.md).
        {"open a.qbrd.json\nsave p.play\n", "p.play:2: p.play: boards are saved as Quillon board JSON; give a name "
                                            "ending in .json, such as after.qbrd.json"},
        {"open a.qbrd.json\ntool 0x703E8\noverlay ../d/a.qbrd.json.svg\noverlay /d/./p.play.svg\n", "(no error)"},
    };
    for (const auto& [text, message] : cases)
        EXPECT_EQ(ResolveError(text), message) << text;
    // Without the plug-in's list commands are not checked.
    Script s = ParsePlayScript("command Anything\n", "p.play", "");
    ResolveOptions o = Options();
    o.commands.reset();
    EXPECT_NO_THROW(ResolvePlayScript(s, o));
}
