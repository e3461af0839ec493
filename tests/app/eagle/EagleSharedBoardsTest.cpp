// lqhost autoswap on Eagle files as a process: the shared real board pairs (routed and with
// --unrouted) and the command line's handling of bad Eagle input.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

#include "app/formats/BoardJson.h"
#include "app/formats/eagle/EagleConsistency.h"
#include "app/formats/eagle/EagleCopper.h"
#include "app/formats/eagle/EagleImport.h"
#include "app/metrics/Airwires.h"
#include "tests/app/eagle/EagleFixture.h"
#include "tests/e2e/LqhostProcess.h"

using namespace lq;
using namespace lqeagle;
using namespace lqe2e;
namespace fs = std::filesystem;

namespace {

const fs::path kShared = fs::path(QUILLON_SHARED_DIR);
const char* const kXmllint = "/usr/bin/xmllint";

// The stems of the board/schematic pairs in ../shared/boards/eagle, sorted.
std::vector<std::string> SharedEaglePairs()
{
    std::vector<std::string> stems;
    for (const auto& entry : fs::directory_iterator(kShared / "boards" / "eagle"))
        if (entry.path().extension() == ".brd" && fs::exists(fs::path(entry.path()).replace_extension(".sch")))
            stems.push_back(entry.path().stem().string());
    std::sort(stems.begin(), stems.end());
    return stems;
}

// The validity errors xmllint reports against the Eagle 9 DTD, without file and line.
std::multiset<std::string> DtdErrors(const std::string& file)
{
    const Result r = RunProcess({kXmllint, "--noout", "--dtdvalid", (kShared / "reference" / "eagle-9.dtd").string(), file});
    std::multiset<std::string> errors;
    std::istringstream in(r.err);
    static const std::regex kPlace(R"(^.*?:[0-9]+: )");
    for (std::string line; std::getline(in, line);)
        if (line.find("error") != std::string::npos && line.find("does not validate") == std::string::npos)
            errors.insert(std::regex_replace(line, kPlace, ""));
    return errors;
}

void RunOnSharedPair(const std::string& stem, bool unrouted, bool refine = false)
{
    SCOPED_TRACE(stem + (unrouted ? " --unrouted" : "") + (refine ? " --refine" : ""));
    const std::string input = (kShared / "boards" / "eagle" / stem).string();
    TempDir out;
    std::vector<std::string> args{"autoswap", input + ".brd", "-o", out / (stem + ".brd")};
    if (unrouted)
        args.push_back("--unrouted");
    if (refine)
        args.push_back("--refine");
    const Result r = RunLqhost(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ASSERT_TRUE(fs::exists(out / (stem + ".sch")));
    for (const char* ext : {".brd", ".sch"}) {
        const std::multiset<std::string> original = DtdErrors(input + ext);
        for (const std::string& e : DtdErrors(out / (stem + ext)))
            EXPECT_GT(original.count(e), 0u) << ext << ": a validity error the original does not have: " << e;
    }

    eagle::EagleReadOptions options;
    options.unrouted = unrouted;
    const EagleImport before = eagle::ReadEagleBoard(input + ".brd", options);
    const EagleImport after = eagle::ReadEagleBoard(out / (stem + ".brd"), options);
    EXPECT_EQ(eagle::ConsistencyProblems(*after.design), eagle::ConsistencyProblems(*before.design));
    std::vector<std::string> routed;
    if (!unrouted)
        for (const PinIndex& p : eagle::PinsOnCopper(*before.design, before.board, BoardIndex(before.board)))
            routed.push_back(before.board.parts[p.part].ref + "." + PinName(before.board.parts[p.part].pins[p.pin]));
    const Json was = Json::parse(WriteBoardJson(before.board)), is = Json::parse(WriteBoardJson(after.board));
    EXPECT_EQ(IllegalMoves(was, is, routed), "");
    EXPECT_LE(MeasureAirwires(after.board).length, MeasureAirwires(before.board).length);

    std::set<std::string> changedNets;
    const auto netsBefore = NetOfPin(was), netsAfter = NetOfPin(is);
    for (const auto* nets : {&netsBefore, &netsAfter})
        for (const auto& [pin, net] : *nets)
            if (!netsBefore.count(pin) || !netsAfter.count(pin) || netsBefore.at(pin) != netsAfter.at(pin))
                changedNets.insert(net);
    if (unrouted && !changedNets.empty()) {
        EXPECT_NE(r.out.find(std::to_string(changedNets.size()) + " signals"), std::string::npos) << r.out;
    }
    std::cout << "[ " << stem << (unrouted ? " --unrouted" : "") << " ]\n" << r.out;
}

}  // namespace

TEST(SharedEagleBoards, AutoswapWritesValidConsistentPairsOfLegalMoves)
{
    LQ_NEED_SHARED((kShared / "boards" / "eagle").string());
    if (!fs::exists(kXmllint))
        GTEST_SKIP() << "xmllint (Debian libxml2-utils) is not installed";
    const std::vector<std::string> pairs = SharedEaglePairs();
    ASSERT_FALSE(pairs.empty());
    for (const std::string& stem : pairs) {
        RunOnSharedPair(stem, false);
        RunOnSharedPair(stem, true);
        RunOnSharedPair(stem, true, true);
    }
}

TEST(EagleCommandLine, BadInputIsOneLineWithExitCodeOneAndNothingWritten)
{
    TempDir dir;
    const SmallDesign d = MakeDesign(TypicalSignals());
    WriteFile(dir / "bad.brd", Replace(d.board, R"(<contactref element="IC1" pad="1"/>)", R"(<contactref element="IC9" pad="1"/>)"));
    WriteFile(dir / "bad.sch", d.schematic);
    WriteFile(dir / "good.brd", d.board);
    for (const auto& args : {std::vector<std::string>{dir / "bad.brd"}, {dir / "good.brd", "--schematic", dir / "missing.sch"}}) {
        std::vector<std::string> argv{"autoswap", "-o", dir / "out.brd"};
        argv.insert(argv.end(), args.begin(), args.end());
        const Result r = RunLqhost(argv);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(Count(r.err, "\n"), 1u) << r.err;
        EXPECT_NE(r.err.find(args.size() == 1 ? dir / "bad.brd:" : dir / "missing.sch"), std::string::npos) << r.err;
    }
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"bad.brd", "bad.sch", "good.brd"}));

    // An output that is another input used to be overwritten: here the schematic beside -o.
    WriteFile(dir / "other.sch", d.schematic);
    const Result over = RunLqhost({"autoswap", dir / "good.brd", "--schematic", dir / "other.sch", "-o", dir / "other.brd"});
    EXPECT_EQ(over.exitCode, 2);
    EXPECT_EQ(over.err, "lqhost: -o " + (dir / "other.sch") + ": would overwrite the input schematic " + (dir / "other.sch") + "\n");
    std::remove((dir / "other.sch").c_str());

    // Without a schematic beside it the board is still read, and lqhost says so in one line.
    Result r = RunLqhost({"autoswap", dir / "good.brd", "-o", dir / "out.brd"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find(dir / "good.brd: read without a schematic"), std::string::npos) << r.err;
    EXPECT_EQ(Count(r.err, "\n"), 1u) << r.err;
    WriteFile(dir / "good.sch", d.schematic);
    EXPECT_EQ(RunLqhost({"autoswap", dir / "good.brd", "-o", dir / "out.brd"}).err, "");
}

// -o naming the input board replaces the pair as it was read, whatever its schematic is called;
// before, the schematic went beside the board and the pair read was left out of step.
TEST(EagleCommandLine, APairReplacedInPlaceIsThePairReadAndUpperCaseNamesPairToo)
{
    TempDir dir;
    const SmallDesign d = MakeDesign(TypicalSignals());
    WriteFile(dir / "a.brd", d.board);
    WriteFile(dir / "b.sch", d.schematic);
    Result r = RunLqhost({"autoswap", dir / "a.brd", "--schematic", dir / "b.sch", "--unrouted", "-o", dir / "a.brd"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"a.brd", "b.sch"}));
    EXPECT_NE(ReadFile(dir / "b.sch"), d.schematic);
    EXPECT_TRUE(eagle::ConsistencyProblems(*eagle::ReadEagleBoard(dir / "a.brd", {dir / "b.sch", true}).design).empty());

    TempDir upper;
    WriteFile(upper / "U.BRD", d.board);
    WriteFile(upper / "U.SCH", d.schematic);
    r = RunLqhost({"autoswap", upper / "U.BRD", "--unrouted", "-o", upper / "U.BRD"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err.find("without a schematic"), std::string::npos) << r.err;
    EXPECT_EQ(upper.List(), (std::vector<std::string>{"U.BRD", "U.SCH"}));
    EXPECT_NE(ReadFile(upper / "U.SCH"), d.schematic);
}
