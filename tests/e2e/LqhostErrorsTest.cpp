// Bad input and bad usage: one line on stderr naming the file and the place, the right exit
// code, and nothing written.
#include <gtest/gtest.h>

#include "tests/e2e/LqhostProcess.h"

using namespace lqe2e;

namespace {

struct Case {
    const char* name;
    std::string board;              // written as {dir}/b.qbrd.json: the sample with "from=>to" applied, or as it is
    std::vector<std::string> args;  // {dir} is the scratch folder, {sample} the example board
    int exitCode;
    std::string message;  // the whole stderr is "lqhost: " + this + a line end
};

std::string Expand(std::string text, const TempDir& dir)
{
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"{dir}", dir.Path()}, {"{sample}", Example("sample.qbrd.json")}})
        for (std::size_t at; (at = text.find(key)) != std::string::npos;)
            text.replace(at, key.size(), value);
    return text;
}

const std::vector<std::string> kRun{"autoswap", "{dir}/b.qbrd.json", "-o", "{dir}/o.qbrd.json", "--report", "{dir}/r.json",
                                    "--eco", "{dir}/e.csv"};

const Case kCases[] = {
    {"MissingBoard", "", {"autoswap", "{dir}/nothere.qbrd.json", "-o", "{dir}/o.qbrd.json", "--report", "{dir}/r.json"}, 1,
     "{dir}/nothere.qbrd.json: cannot open: No such file or directory"},
    {"MalformedJson", "{\n  \"format\": \"quillon-board\"\n  \"version\": 1\n}\n", kRun, 1,
     "{dir}/b.qbrd.json:3:11: malformed JSON: syntax error while parsing object - unexpected string literal; expected '}'"},
    {"UnknownPartInNet", "[\"J1\", \"2\"], [\"U1\", \"2\"]=>[\"J1\", \"2\"], [\"U9\", \"2\"]", kRun, 1,
     "{dir}/b.qbrd.json:/nets/1/pins/1: unknown part \"U9\""},
    {"NotALayout", "\"LAYOUTDESIGN\"=>\"SCHEMATICDESIGN\"", kRun, 1,
     "{dir}/b.qbrd.json: the command AutoQuillon is disabled on this sheet (document type \"SCHEMATICDESIGN\"; it needs "
     "\"LAYOUTDESIGN\")"},
    {"UnwritableOutput", "a file, not a folder", {"autoswap", "{sample}", "-o", "{dir}/b.qbrd.json/o.qbrd.json", "--eco", "{dir}/e.csv"},
     1, "{dir}/b.qbrd.json/o.qbrd.json: cannot write: {dir}/b.qbrd.json is not a folder"},
    {"OneOutputForTwoBoards", "", {"autoswap", "{sample}", "{sample}", "-o", "{dir}/o.qbrd.json"}, 2,
     "-o names one output board, but 2 boards were given; use --out-dir DIR"},
    {"OutputAndOutDir", "", {"autoswap", "{sample}", "-o", "{dir}/o", "--out-dir", "{dir}"}, 2,
     "--output excludes --out-dir (run 'lqhost --help' for usage)"},
    {"OutDirOverTheInput", "=>", {"autoswap", "{dir}/b.qbrd.json", "--out-dir", "{dir}"}, 2,
     "--out-dir {dir}/b.qbrd.json: would overwrite the input board {dir}/b.qbrd.json; give -o to replace it on purpose"},
    {"ReportOverTheInput", "=>", {"autoswap", "{dir}/b.qbrd.json", "--report", "{dir}/./b.qbrd.json"}, 2,
     "--report {dir}/./b.qbrd.json: would overwrite the input board {dir}/b.qbrd.json"},
    {"TwoOutputsOnOneFile", "", {"autoswap", "{sample}", "--report", "{dir}/x", "--eco", "{dir}/x"}, 2,
     "--eco {dir}/x: the same file as the output of --report"},
    {"NoBoard", "", {"autoswap"}, 2, "BOARD is required (run 'lqhost --help' for usage)"},
    {"MissingPlugIn", "", {"--module", "{dir}/none.so", "autoswap", "{sample}"}, 1,
     "{dir}/none.so: cannot load the plug-in: {dir}/none.so: cannot open shared object file: No such file or directory"},
};

class LqhostError : public ::testing::TestWithParam<Case> {};

}  // namespace

TEST_P(LqhostError, OneLineTheExitCodeAndNoOutput)
{
    const Case& c = GetParam();
    TempDir dir;
    if (const std::size_t arrow = c.board.find("=>"); arrow != std::string::npos) {
        std::string text = ReadFile(Example("sample.qbrd.json"));
        if (arrow > 0)
            text.replace(text.find(c.board.substr(0, arrow)), arrow, c.board.substr(arrow + 2));
        WriteFile(dir / "b.qbrd.json", text);
    } else if (!c.board.empty()) {
        WriteFile(dir / "b.qbrd.json", c.board);
    }
    std::vector<std::string> args;
    for (const std::string& a : c.args)
        args.push_back(Expand(a, dir));
    const std::vector<std::string> filesBefore = dir.List();
    const Result r = RunLqhost(args);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    EXPECT_EQ(r.err, "lqhost: " + Expand(c.message, dir) + "\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(dir.List(), filesBefore);  // no output, no temporary file
}

INSTANTIATE_TEST_SUITE_P(Cases, LqhostError, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });
