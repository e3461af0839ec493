// lqhost with the plug-in against lqhost with the plug-in built on the reference engine: every
// output on every example and shared board is the same, byte for byte, apart from the run time.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "tests/e2e/LqhostProcess.h"

using namespace lqe2e;
namespace fs = std::filesystem;

namespace {

std::string ReferenceModule() { return (fs::path(LQHOST_PATH).parent_path() / "libquillon_reference.so").string(); }

std::string WithoutRunTime(const std::string& text)
{
    static const std::regex kTable("run time: [0-9.]+ s"), kJson("\"seconds\": [0-9.eE+-]+");
    return std::regex_replace(std::regex_replace(text, kTable, "run time: _"), kJson, "\"seconds\": _");
}

// Every file below a folder, by relative path, with its content.
std::map<std::string, std::string> Files(const std::string& root)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), root).string()] = WithoutRunTime(ReadFile(entry.path().string()));
    return files;
}

// What one lqhost run leaves: its exit code, its messages and every file it wrote into 'run'.
std::map<std::string, std::string> Outputs(const TempDir& dir, const std::vector<std::string>& args, bool bReference)
{
    fs::remove_all(dir / "run");
    fs::create_directories(dir / "run/out");
    std::vector<std::string> argv{LQHOST_PATH};
    if (bReference)
        argv.insert(argv.end(), {"--module", ReferenceModule()});
    argv.insert(argv.end(), args.begin(), args.end());
    const Result r = RunProcess(argv);
    std::map<std::string, std::string> outputs = Files(dir / "run");
    outputs["exit code"] = std::to_string(r.exitCode);
    outputs["stdout"] = WithoutRunTime(r.out);
    outputs["stderr"] = r.err;
    return outputs;
}

std::vector<std::vector<std::string>> Runs(const TempDir& dir)
{
    std::vector<std::vector<std::string>> runs{{}, {"play", Example("manual-swaps.play"), "--verbose"}};
    auto autoswap = [&](const std::string& board, const std::vector<std::string>& output, bool bUnrouted) {
        std::vector<std::string> args{"autoswap", board};
        args.insert(args.end(), output.begin(), output.end());
        args.insert(args.end(), {"--report", dir / "run/report.json", "--eco", dir / "run/eco.csv", "--svg", dir / "run/svg"});
        if (bUnrouted)
            args.push_back("--unrouted");
        runs.push_back(args);
    };
    for (const std::string stem : {"sample", "medium"})
        autoswap(Example(stem + ".qbrd.json"), {"-o", dir / "run/out/board.qbrd.json"}, false);
    for (const std::string& board : SharedBoardFiles())
        for (const bool bUnrouted : {false, true})
            autoswap(board, {"--out-dir", dir / "run/out"}, bUnrouted);
    return runs;
}

}  // namespace

TEST(LqhostEngines, EveryOutputOnEveryBoardIsTheReferencesApartFromTheRunTime)
{
    ASSERT_TRUE(fs::exists(ReferenceModule()));
    TempDir dir;
    int nMoved = 0;
    for (const std::vector<std::string>& args : Runs(dir)) {
        SCOPED_TRACE(args.size() > 1 ? args[1] + (args.back() == "--unrouted" ? " --unrouted" : "") : "no arguments");
        const auto reference = Outputs(dir, args, true);
        const auto mine = Outputs(dir, args, false);
        EXPECT_EQ(mine, reference);
        nMoved += reference.at("stdout").find("pins moved: 0 ") == std::string::npos;
    }
    LQ_NEED_SHARED(std::string(QUILLON_SHARED_DIR) + "/boards");
    EXPECT_GE(nMoved, 8) << "the boards must give the engines real work";
}
