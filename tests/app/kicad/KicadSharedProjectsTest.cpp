// lqhost autoswap on the shared real KiCad projects (KiCad 6 to 10) as a process, routed and with
// --unrouted: the written projects read again consistent, the moves are legal, KiCad 6's own
// pcbnew loads the KiCad 6 boards with the same pad nets, and a run that changes nothing writes
// every byte as it was.
#include <fmt/core.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "app/formats/BoardFiles.h"
#include "app/formats/BoardJson.h"
#include "app/formats/kicad/KicadConsistency.h"
#include "app/formats/kicad/KicadCopper.h"
#include "app/formats/kicad/KicadImport.h"
#include "app/metrics/Airwires.h"
#include "app/formats/kicad/KicadWriter.h"
#include "tests/app/eagle/EagleFixture.h"
#include "tests/app/kicad/KicadFixture.h"
#include "tests/e2e/LqhostProcess.h"

using namespace lq;
using namespace lqkicad;
using namespace lqe2e;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> Routed(const kicad::KicadImport& imported)
{
    std::vector<std::string> out;
    for (const auto& [pad, value] : LqhostPads(imported.design->board))
        if (value.substr(0, value.rfind(' ', value.rfind(' ') - 1)).ends_with(" 1"))
            out.push_back(pad);
    return out;
}

void RunOnSharedProject(const std::string& name, bool unrouted, bool kicad6)
{
    SCOPED_TRACE(name + (unrouted ? " --unrouted" : ""));
    const std::string input = SharedBoard(name);
    TempDir out;
    const std::string output = out / ("out/" + name + ".kicad_pcb");
    std::vector<std::string> args{"autoswap", input, "-o", output};
    if (unrouted)
        args.push_back("--unrouted");
    const Result r = RunLqhost(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("airwire length"), std::string::npos) << r.out;
    EXPECT_TRUE(fs::exists(out / ("out/" + name + ".kicad_sch")));
    EXPECT_TRUE(fs::exists(out / ("out/" + name + ".kicad_pro")));

    kicad::KicadReadOptions options;
    options.unrouted = unrouted;
    const kicad::KicadImport before = kicad::ReadKicadBoard(input, options);
    const kicad::KicadImport after = kicad::ReadKicadBoard(output, options);
    EXPECT_EQ(kicad::ConsistencyProblems(*before.design), std::vector<std::string>{});
    EXPECT_EQ(kicad::ConsistencyProblems(*after.design), std::vector<std::string>{});
    const std::vector<std::string> routed = unrouted ? std::vector<std::string>{} : Routed(before);
    EXPECT_EQ(IllegalMoves(Json::parse(WriteBoardJson(before.board)), Json::parse(WriteBoardJson(after.board)), routed), "");
    if (name == "divn" && unrouted) {
        EXPECT_LT(MeasureAirwires(after.board).length, MeasureAirwires(before.board).length);
    }
    if (kicad6) {
        std::map<std::string, std::string> pcbnew = PcbnewPads(output), lqhost = LqhostPads(after.design->board);
        EXPECT_EQ(pcbnew, lqhost) << "pads as KiCad 6's pcbnew loads the written board (NET ROUTED X Y) differ from lqhost's";
    }
    std::cout << "[ " << name << (unrouted ? " --unrouted" : "") << " ]\n" << r.out;
}

}  // namespace

TEST(SharedKicadProjects, AutoswapWritesConsistentProjectsOfLegalMovesThatPcbnewLoads)
{
    LQ_NEED_SHARED(SharedBoard("clock"));
    const std::string pcbnew = PcbnewProblem();
    ASSERT_EQ(pcbnew, "") << "scripts/deps.sh installs KiCad 6 (Debian package kicad)";
    for (const char* name : kSharedProjects) {
        const bool kicad6 = std::string(name) == "clock" || std::string(name) == "attenuverters" || std::string(name) == "kdlfo";
        RunOnSharedProject(name, false, kicad6);
        RunOnSharedProject(name, true, kicad6);
    }
}

TEST(SharedKicadProjects, ARunThatChangesNothingWritesEveryFileByteForByte)
{
    LQ_NEED_SHARED(SharedBoard("clock"));
    for (const char* name : kSharedProjects) {
        SCOPED_TRACE(name);
        TempDir out;
        LoadedBoard loaded = LoadBoard(SharedBoard(name), BoardReadOptions{});
        const SavedBoard saved = SaveBoard(loaded, loaded.board, out / (std::string(name) + ".kicad_pcb"));
        const std::string dir = fs::path(SharedBoard(name)).parent_path().string();
        ASSERT_GE(saved.files.size(), 3u);
        for (const auto& [path, text] : saved.files)
            EXPECT_EQ(text, ReadFile(dir + "/" + fs::path(path).filename().string())) << path;
    }
}

TEST(SharedKicadProjects, ASheetPlacedTwiceChangesInItsInstanceDataAndItsOwnFieldsOnlyWhereInstancesAgree)
{
    // kdlfo places onelfo twice: U1 (TL074) in LFO A and U3 in LFO B are one set of placed symbols.
    LQ_NEED_SHARED(SharedBoard("kdlfo"));
    const kicad::KicadImport imported = kicad::ReadKicadBoard(SharedBoard("kdlfo"), kicad::KicadReadOptions{});
    // U1 unit A (pins 1 2 3) and U3 unit B (pins 7 6 5) exchange.
    const auto moves = lqeagle::Exchange("U1", {"1", "2", "3"}, "U3", {"7", "6", "5"}, imported.board);
    const kicad::KicadOutput out = kicad::WriteKicad(*imported.design, imported.board, lqeagle::WithMoves(imported.board, moves));
    ASSERT_EQ(out.exchanges.gates.size(), 2u);

    std::map<std::string, std::string> written;
    for (const auto& [path, text] : out.schematics)
        written[path] = text;
    const std::string dir = fs::path(imported.design->project->files[0]->path).parent_path().string();
    const std::vector<std::string> root = lqeagle::LineDiff(ReadFile(dir + "/kdlfo.kicad_sch"), written.at(dir + "/kdlfo.kicad_sch"));
    EXPECT_EQ(root, (std::vector<std::string>{
                        "-      (reference \"U1\") (unit 1) (value \"TL074\") (footprint \"ao_tht:DIP-14_W7.62mm_Socket_LongPads\")",
                        "+      (reference \"U3\") (unit 2) (value \"TL074\") (footprint \"ao_tht:DIP-14_W7.62mm_Socket_LongPads\")",
                        "-      (reference \"U3\") (unit 2) (value \"TL074\") (footprint \"ao_tht:DIP-14_W7.62mm_Socket_LongPads\")",
                        "+      (reference \"U1\") (unit 1) (value \"TL074\") (footprint \"ao_tht:DIP-14_W7.62mm_Socket_LongPads\")"}));
    // The placed symbols' own units stay: their two instances now show different units.
    for (const std::string& line : lqeagle::LineDiff(ReadFile(dir + "/onelfo.kicad_sch"), written.at(dir + "/onelfo.kicad_sch")))
        EXPECT_NE(line.find("\"Reference\""), std::string::npos) << line;
    // U1's footprint named the unit that went to U3: it now names one that U1 still has.
    std::istringstream was(ReadFile(SharedBoard("kdlfo"))), now(out.board);
    std::vector<std::string> changed;
    for (std::string a, b; std::getline(was, a) && std::getline(now, b);)
        if (a != b)
            changed.push_back(b);
    ASSERT_EQ(changed.size(), 7u) << "six pads' nets and one link";
    TempDir scratch;
    WriteFile(scratch / "kdlfo.kicad_pcb", out.board);
    EXPECT_EQ(PcbnewPads(scratch / "kdlfo.kicad_pcb"), LqhostPads(kicad::ReadKicadBoard(scratch / "kdlfo.kicad_pcb", {}).design->board));
    EXPECT_EQ(std::count_if(changed.begin(), changed.end(), [](const std::string& l) { return l.find("(path \"/8c42dada") != std::string::npos; }), 1);
}
