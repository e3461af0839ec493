// lqhost's main job end to end: the automatic swap on the example boards and what it writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "tests/e2e/LqhostProcess.h"

using namespace lqe2e;

TEST(LqhostDefault, NoArgumentsRunsTheSampleAndPrintsTheReport)
{
    const Result r = RunLqhost({});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("sample.qbrd.json (built in)"), std::string::npos) << r.out;
    const std::size_t line = r.out.find("airwire length");
    ASSERT_NE(line, std::string::npos) << r.out;
    EXPECT_NE(r.out.substr(line, r.out.find('\n', line) - line).find(" -"), std::string::npos);  // a decrease, in percent
    EXPECT_NE(r.out.find("pins moved: "), std::string::npos);
}

TEST(LqhostAutoswap, ExampleBoardsGetShorterStayLegalAndEveryOutputAgrees)
{
    for (const std::string stem : {"sample", "medium"}) {
        SCOPED_TRACE(stem);
        TempDir dir;
        const std::string input = Example(stem + ".qbrd.json");
        const Result r = RunLqhost({"autoswap", input, "-o", dir / "out.qbrd.json", "--report", dir / "report.json", "--eco",
                                    dir / "eco.csv", "--svg", dir / "pictures"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_NE(r.out.find("written to " + (dir / "out.qbrd.json")), std::string::npos) << r.out;

        const Json run = Json::parse(ReadFile(dir / "report.json"))["boards"][0];
        EXPECT_EQ(run["board"], input);
        EXPECT_LT(run["after"]["length"].get<long long>(), run["before"]["length"].get<long long>());
        EXPECT_LE(run["after"]["crossings"].get<long long>(), run["before"]["crossings"].get<long long>());
        EXPECT_LT(run["lengthChangePercent"].get<double>(), 0.0);
        const std::size_t moved = run["pinsMoved"].get<std::size_t>();
        EXPECT_GT(moved, 0u);

        const Json before = Json::parse(ReadFile(input)), after = Json::parse(ReadFile(dir / "out.qbrd.json"));
        EXPECT_FALSE(RoutedPins(before).empty());
        EXPECT_EQ(IllegalMoves(before, after), "");
        // Only the nets change; parts, copper and sheet are written back as they were read.
        for (const char* section : {"sheet", "parts", "copper"})
            EXPECT_EQ(after[section], before[section]) << section;

        const std::string eco = ReadFile(dir / "eco.csv");
        EXPECT_EQ(Count(eco, "\r\n"), 1u + moved);
        for (const Json& c : run["changes"])
            EXPECT_NE(eco.find(",net," + c["part"].get<std::string>() + "," + c["pin"].get<std::string>() + ","), std::string::npos);

        const std::string svgBefore = ReadFile(dir / ("pictures/" + stem + ".before.svg"));
        EXPECT_NE(svgBefore.find("<g id=\"gates\">\n<line"), std::string::npos);  // painted by the plug-in
        EXPECT_EQ(Count(ReadFile(dir / ("pictures/" + stem + ".after.svg")), "fill=\"#e63946\""), moved);
        EXPECT_EQ(Count(svgBefore, "fill=\"#e63946\""), 0u);
    }
}

TEST(LqhostAutoswap, WrittenBoardsReadAndWriteToTheSameBytes)
{
    TempDir dir;
    // The sample without pin groups: nothing may move, and the input is not in canonical layout.
    Json board = Json::parse(ReadFile(Example("sample.qbrd.json")));
    for (Json& part : board["parts"])
        for (Json& pin : part["pins"]) {
            Json& a = pin["attributes"];
            a.erase(std::remove_if(a.begin(), a.end(), [](const Json& x) { return x[0] == "LQ_PINGROUP"; }), a.end());
        }
    WriteFile(dir / "in.json", board.dump());
    ASSERT_EQ(RunLqhost({"autoswap", dir / "in.json", "-o", dir / "once.qbrd.json"}).exitCode, 0);
    ASSERT_EQ(RunLqhost({"autoswap", dir / "once.qbrd.json", "-o", dir / "twice.qbrd.json"}).exitCode, 0);
    const std::string once = ReadFile(dir / "once.qbrd.json");
    EXPECT_EQ(Json::parse(once), board);
    EXPECT_EQ(ReadFile(dir / "twice.qbrd.json"), once);
}

TEST(LqhostAutoswap, RefineShowsThreeColumnsMarksEachChangesStageAndRepeatsItsBytes)
{
    TempDir dir;
    for (const char* run : {"1", "2"}) {
        const Result r = RunLqhost({"autoswap", Example("medium.qbrd.json"), "--refine", "-o", dir / (std::string(run) + ".qbrd.json"),
                                    "--report", dir / (std::string(run) + ".json"), "--eco", dir / (std::string(run) + ".csv"),
                                    "--html", dir / (std::string(run) + ".html")});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NE(r.out.find("before   plug-in pass        refined    change"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("  refinement: "), std::string::npos) << r.out;
    }
    EXPECT_EQ(ReadFile(dir / "1.qbrd.json"), ReadFile(dir / "2.qbrd.json"));
    EXPECT_EQ(ReadFile(dir / "1.csv"), ReadFile(dir / "2.csv"));
    const std::string page = ReadFile(dir / "1.html");
    EXPECT_NE(page.find("<th>before</th><th>plug-in pass</th><th>refined</th>"), std::string::npos);
    EXPECT_NE(page.find("<th>stage</th>"), std::string::npos);
    const Json run = Json::parse(ReadFile(dir / "1.json"))["boards"][0];
    EXPECT_LE(run["after"]["length"].get<long long>(), run["afterPass"]["length"].get<long long>());
    EXPECT_GT(run["refinement"]["gateExchanges"].get<int>(), 0);
    std::map<std::string, int> stages;
    for (const Json& c : run["changes"])
        ++stages[c["stage"].get<std::string>()];
    EXPECT_GT(stages["pass"], 0);
    EXPECT_GT(stages["refine"] + stages["pass, refine"], 0);
    EXPECT_EQ(stages["pass"] + stages["refine"] + stages["pass, refine"], static_cast<int>(run["changes"].size()));

    // Without the pass its column stays empty.
    const Result only = RunLqhost({"autoswap", Example("sample.qbrd.json"), "--refine-only", "--report", dir / "only.json"});
    ASSERT_EQ(only.exitCode, 0) << only.err;
    EXPECT_NE(only.out.find("mm              -  "), std::string::npos) << only.out;
    EXPECT_TRUE(Json::parse(ReadFile(dir / "only.json"))["boards"][0]["afterPass"].is_null());
}

TEST(LqhostAutoswap, SeveralBoardsGetAProgressLineEachAndInputsAreReplacedOnlyByDashO)
{
    TempDir dir;
    const std::string sample = ReadFile(Example("sample.qbrd.json"));
    WriteFile(dir / "one.qbrd.json", sample);
    WriteFile(dir / "two.qbrd.json", sample);
    Result r = RunLqhost({"autoswap", dir / "one.qbrd.json", dir / "two.qbrd.json", "--out-dir", dir / "out", "--eco",
                          dir / "eco.csv", "--svg", dir.Path()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err.rfind("[1/2] " + (dir / "one.qbrd.json") + ": ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("\n[2/2] " + (dir / "two.qbrd.json") + ": "), std::string::npos) << r.err;
    EXPECT_EQ(Count(r.err, "\n"), 2u);
    EXPECT_EQ(ReadFile(dir / "out/one.qbrd.json"), ReadFile(dir / "out/two.qbrd.json"));
    const std::string eco = ReadFile(dir / "eco.csv");
    EXPECT_EQ(Count(eco, (dir / "one.qbrd.json") + ",net,"), Count(eco, (dir / "two.qbrd.json") + ",net,"));
    EXPECT_GT(Count(eco, (dir / "two.qbrd.json") + ",net,"), 0u);
    EXPECT_EQ(ReadFile(dir / "one.qbrd.json"), sample);
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"eco.csv", "one.after.svg", "one.before.svg", "one.qbrd.json", "out",
                                                    "two.after.svg", "two.before.svg", "two.qbrd.json"}));

    r = RunLqhost({"autoswap", dir / "one.qbrd.json", "-o", dir / "one.qbrd.json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadFile(dir / "one.qbrd.json"), ReadFile(dir / "out/one.qbrd.json"));
    EXPECT_EQ(dir.List().size(), 8u);  // no temporary file stays
}

TEST(LqhostHelp, EverySubcommandHasHelpAndAnExample)
{
    for (const char* command : {"autoswap", "commands", "play", "render", "info"}) {
        const Result r = RunLqhost({command, "--help"});
        EXPECT_EQ(r.exitCode, 0) << command;
        EXPECT_NE(r.out.find(std::string("Example:\n  lqhost ") + command + " "), std::string::npos) << r.out;
    }
}
