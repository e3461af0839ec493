// --schematic, --unrouted and --rules read a KiCad board alike in info, render, play and autoswap.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/app/kicad/KicadFixture.h"
#include "tests/e2e/LqhostProcess.h"

using namespace lqkicad;
using namespace lqe2e;

TEST(KicadCommandLine, EveryCommandReadsTheBoardWithTheSameOptions)
{
    const std::string clock = SharedBoard("clock");
    LQ_NEED_SHARED(clock);
    LQ_NEED_SHARED(SharedBoard("divn"));
    const std::string schematic = std::filesystem::path(clock).replace_extension(".kicad_sch").string();
    TempDir dir;
    WriteFile(dir / "fixed.lqrules", "(quillon_swap_rules (version 1) (rule \"no\" (symbols \"%40106\") (gates fixed)))");

    // Routed, the inverters of U1 may not move; --unrouted frees them; a user rule fixes them again.
    Result r = RunLqhost({"info", clock});
    EXPECT_NE(r.out.find("Gate groups (gates that may take each other's places)\n  none"), std::string::npos) << r.out;
    r = RunLqhost({"info", clock, "--unrouted", "--schematic", schematic});
    EXPECT_NE(r.out.find("  1: U1 A, U1 B, U1 C, U1 D, U1 E, U1 F\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("U1           14 pins, 8 gates; swap rule: library rule"), std::string::npos) << r.out;
    r = RunLqhost({"info", clock, "--unrouted", "--rules", dir / "fixed.lqrules", "--json"});
    EXPECT_NE(r.out.find("\"swapRule\": \"user rule \\\"no\\\" (" + dir / "fixed.lqrules:1)\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"gateGroups\": []"), std::string::npos);

    r = RunLqhost({"render", clock, "--unrouted", "-o", dir / "clock.svg"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(dir / "clock.svg"));

    WriteFile(dir / "one.play", "open " + clock + "\nexpect net U1.1 GND\n");
    r = RunLqhost({"play", dir / "one.play", "--unrouted", "--schematic", schematic});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    WriteFile(dir / "two.play", "open " + clock + "\nopen " + SharedBoard("divn") + "\n");
    r = RunLqhost({"play", dir / "two.play", "--schematic", schematic});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("--schematic names the schematic of one board"), std::string::npos) << r.err;

    // Another project's schematic, whose references (U1, R1...) the board shares: refused, where it
    // was read and its units written into the other project.
    LQ_NEED_SHARED(SharedBoard("kdlfo"));
    const std::string other = std::filesystem::path(SharedBoard("kdlfo")).replace_extension(".kicad_sch").string();
    r = RunLqhost({"autoswap", clock, "--schematic", other, "--unrouted", "--out-dir", dir / "out"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(": 2 of the 50 footprints that share a reference with the schematic "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("kdlfo.kicad_sch link to one of its symbols, so it is another board's schematic"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "out"));

    // A board JSON takes none of them.
    r = RunLqhost({"info", Example("sample.qbrd.json"), "--rules", dir / "fixed.lqrules"});
    EXPECT_EQ(r.exitCode, 2) << r.err;
}

TEST(KicadCommandLine, NoOutputLandsOnTheProjectFile)
{
    LQ_NEED_SHARED(SharedBoard("clock"));
    TempDir dir;
    const std::filesystem::path from = std::filesystem::path(SharedBoard("clock")).parent_path();
    for (const char* ext : {".kicad_pcb", ".kicad_sch", ".kicad_pro"})
        std::filesystem::copy_file(from / (std::string("clock") + ext), dir / (std::string("clock") + ext));
    const std::string project = dir / "clock.kicad_pro";
    const auto before = std::filesystem::last_write_time(project);
    for (const char* option : {"--eco", "--report"}) {
        const Result r = RunLqhost({"autoswap", dir / "clock.kicad_pcb", option, project});
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_EQ(r.err, "lqhost: " + std::string(option) + " " + project + ": would overwrite the input project file " + project + "\n");
    }
    EXPECT_EQ(std::filesystem::last_write_time(project), before);
}
