// Checking a play script's names before anything runs: boards, parts, pins, nets, commands,
// tools and outputs, each failure with its file:line message.
#include <gtest/gtest.h>

#include "app/core/Errors.h"
#include "app/play/PlayParser.h"
#include "app/play/PlayResolve.h"
#include "tests/app/AppTestSupport.h"

using namespace lq;
using namespace lq::play;

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

std::string ErrorOf(const std::string& text) { return lqe2e::ErrorText<ParseError>([&] { Resolved(text); }); }

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
        {"open a.qbrd.json\nsave p.play\n", "p.play:2: p.play: boards are saved as Quillon board JSON; give a name "
                                            "ending in .qbrd.json"},
        {"open a.qbrd.json\ntool 0x703E8\noverlay ../d/a.qbrd.json.svg\noverlay /d/./p.play.svg\n", "(no error)"},
    };
    for (const auto& [text, message] : cases)
        EXPECT_EQ(ErrorOf(text), message) << text;
    // Without the plug-in's list commands are not checked.
    Script s = ParsePlayScript("command Anything\n", "p.play", "");
    ResolveOptions o = Options();
    o.commands.reset();
    EXPECT_NO_THROW(ResolvePlayScript(s, o));
}
