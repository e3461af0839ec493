// lqhost autoswap on Eagle files as a process: the shared real board pairs (routed and with
// --unrouted) and the command line's handling of bad Eagle input.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>

#include "app/formats/eagle/EagleConsistency.h"
#include "app/formats/eagle/EagleCopper.h"
#include "app/formats/eagle/EagleImport.h"
#include "app/metrics/Airwires.h"
#include "host/AttributeNames.h"
#include "tests/app/eagle/EagleFixture.h"
#include "tests/app/eagle/SharedBoards.h"

using namespace lq;
using namespace lqeagle;

namespace {

std::map<PinRef, std::string> NetOfPin(const Board& board)
{
    std::map<PinRef, std::string> out;
    for (const Net& net : board.nets)
        for (const PinRef& pin : net.pins)
            out[pin] = net.name;
    return out;
}

// Pins that may take each other's nets: one gate group and pin group, on one part or on parts
// that exchange gates across packages and agree in every attribute.
std::string ClassOf(const Part& part, const Pin& pin)
{
    std::string key = FindAttribute(pin.attributes, LQ_GATEGROUP).value_or("") + "|" +
                      FindAttribute(pin.attributes, LQ_PINGROUP).value_or("") + "|";
    if (FindAttribute(part.attributes, LQ_GATESWAP) != "2")
        return key + part.ref;
    Attributes sorted = part.attributes;
    std::sort(sorted.begin(), sorted.end(), [](const Attribute& a, const Attribute& b) {
        return std::tie(a.name, a.value) < std::tie(b.name, b.value);
    });
    for (const Attribute& a : sorted)
        key += a.name + "=" + a.value + ";";
    return key;
}

// Why after is not a legal outcome of before, or "" when it is.
std::string IllegalMoves(const Board& before, const Board& after, const std::set<PinIndex>& routed)
{
    std::map<std::string, std::size_t> counts;
    for (const Net& net : before.nets)
        counts[net.name] = net.pins.size();
    for (const Net& net : after.nets)
        if (counts[net.name] != net.pins.size())
            return "net " + net.name + " changed its pin count";
    const auto was = NetOfPin(before), is = NetOfPin(after);
    std::map<std::string, std::multiset<std::string>> classesBefore, classesAfter;
    for (std::size_t i = 0; i < before.parts.size(); ++i)
        for (std::size_t j = 0; j < before.parts[i].pins.size(); ++j) {
            const Part& part = before.parts[i];
            const Pin& pin = part.pins[j];
            const PinRef ref{part.ref, PinName(pin)};
            const std::string from = was.count(ref) ? was.at(ref) : "", to = is.count(ref) ? is.at(ref) : "";
            if (from != to) {
                if (!FindAttribute(pin.attributes, LQ_PINGROUP) || FindAttribute(pin.attributes, LQ_PINTYPE) == "PWR")
                    return ref.part + "." + ref.pin + " moved without a pin group or as a power pin";
                if (routed.count(PinIndex{i, j}) != 0)
                    return ref.part + "." + ref.pin + " moved although copper reaches it";
            }
            classesBefore[ClassOf(part, pin)].insert(from);
            classesAfter[ClassOf(part, pin)].insert(to);
        }
    for (const auto& [key, nets] : classesBefore)
        if (classesAfter[key] != nets)
            return "the nets of the pin class " + key + " changed";
    return "";
}

void RunOnSharedPair(const std::string& stem, bool unrouted)
{
    SCOPED_TRACE(stem + (unrouted ? " --unrouted" : ""));
    const std::string dir = SharedEagleDir();
    const std::string input = dir + "/" + stem + ".brd";
    ScratchFolder out;
    std::vector<std::string> args{"autoswap", input, "-o", out / (stem + ".brd")};
    if (unrouted)
        args.push_back("--unrouted");
    const ProcessResult r = RunLqhost(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ASSERT_TRUE(std::filesystem::exists(out / (stem + ".sch")));

    for (const char* ext : {".brd", ".sch"}) {
        const std::multiset<std::string> original = DtdErrors(dir + "/" + stem + ext);
        for (const std::string& e : DtdErrors(out / (stem + ext)))
            EXPECT_GT(original.count(e), 0u) << ext << ": a validity error the original does not have: " << e;
    }

    eagle::EagleReadOptions options;
    options.unrouted = unrouted;
    const EagleImport before = eagle::ReadEagleBoard(input, options);
    const EagleImport after = eagle::ReadEagleBoard(out / (stem + ".brd"), options);
    EXPECT_EQ(eagle::ConsistencyProblems(*after.design), eagle::ConsistencyProblems(*before.design));
    const std::set<PinIndex> routed = unrouted ? std::set<PinIndex>{} : eagle::PinsOnCopper(*before.design, before.board);
    EXPECT_EQ(IllegalMoves(before.board, after.board, routed), "");
    EXPECT_LE(MeasureAirwires(after.board).length, MeasureAirwires(before.board).length);

    const auto was = NetOfPin(before.board), is = NetOfPin(after.board);
    std::set<std::string> changedNets;
    for (const auto& [pin, net] : was)
        if (!is.count(pin) || is.at(pin) != net)
            changedNets.insert(net);
    for (const auto& [pin, net] : is)
        if (!was.count(pin) || was.at(pin) != net)
            changedNets.insert(net);
    if (unrouted && !changedNets.empty()) {
        EXPECT_NE(r.out.find(std::to_string(changedNets.size()) + " signals"), std::string::npos) << r.out;
    }
    std::cout << "[ " << stem << (unrouted ? " --unrouted" : "") << " ]\n" << r.out;
}

}  // namespace

TEST(SharedEagleBoards, AutoswapWritesValidConsistentPairsOfLegalMoves)
{
    if (SharedEagleDir().empty())
        GTEST_SKIP() << "the shared Eagle boards (" << QUILLON_SHARED_DIR << "/boards/eagle) cannot be found";
    if (Xmllint().empty())
        GTEST_SKIP() << "xmllint (Debian libxml2-utils) is not installed";
    const std::vector<std::string> pairs = SharedEaglePairs();
    ASSERT_FALSE(pairs.empty());
    for (const std::string& stem : pairs) {
        RunOnSharedPair(stem, false);
        RunOnSharedPair(stem, true);
    }
}

TEST(EagleCommandLine, BadInputIsOneLineWithExitCodeOneAndNothingWritten)
{
    ScratchFolder dir;
    SmallDesign d = MakeDesign(TypicalSignals());
    WriteText(dir / "bad.brd", Replace(d.board, R"(<contactref element="IC1" pad="1"/>)", R"(<contactref element="IC9" pad="1"/>)"));
    WriteText(dir / "bad.sch", d.schematic);
    ProcessResult r = RunLqhost({"autoswap", dir / "bad.brd", "-o", dir / "out.brd"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find(dir / "bad.brd" + ":"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "out.brd"));
    EXPECT_FALSE(std::filesystem::exists(dir / "out.sch"));

    WriteText(dir / "good.brd", d.board);
    r = RunLqhost({"autoswap", dir / "good.brd", "--schematic", dir / "missing.sch", "-o", dir / "out.brd"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("missing.sch"), std::string::npos) << r.err;

    // Without a schematic beside it the board is still read, and lqhost says so in one line.
    r = RunLqhost({"autoswap", dir / "good.brd", "-o", dir / "out.brd"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("read without a schematic"), std::string::npos) << r.err;
    EXPECT_TRUE(std::filesystem::exists(dir / "out.brd"));
    EXPECT_FALSE(std::filesystem::exists(dir / "out.sch"));
}
