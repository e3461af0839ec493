// Bad input and bad usage: one line on stderr naming the file and the place, the right exit
// code, and nothing written.
#include <gtest/gtest.h>

#include <functional>

#include "tests/e2e/LqhostProcess.h"

using namespace lqe2e;

namespace {

struct Case {
    const char* name;
    // Prepares files in the folder and gives lqhost's arguments.
    std::function<std::vector<std::string>(const TempDir&)> setUp;
    int exitCode;
    // The whole stderr is "lqhost: " + this + one line end, with {dir} standing for the folder.
    std::function<std::string(const TempDir&)> message;
};

std::string Sample() { return ReadFile(Example("sample.qbrd.json")); }

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

std::vector<std::string> WithOutputs(const TempDir& d, std::vector<std::string> args)
{
    for (const char* extra : {"--report", "--eco"})
        args.push_back(extra), args.push_back(d / (std::string(extra + 2) + ".out"));
    return args;
}

const Case kCases[] = {
    {"MissingBoard",
     [](const TempDir& d) { return WithOutputs(d, {"autoswap", d / "nothere.qbrd.json", "-o", d / "o.qbrd.json"}); }, 1,
     [](const TempDir& d) { return d / "nothere.qbrd.json: cannot open: No such file or directory"; }},
    {"MalformedJson",
     [](const TempDir& d) {
         WriteFile(d / "bad.qbrd.json", "{\n  \"format\": \"quillon-board\"\n  \"version\": 1\n}\n");
         return WithOutputs(d, {"autoswap", d / "bad.qbrd.json", "-o", d / "o.qbrd.json"});
     },
     1,
     [](const TempDir& d) {
         return d / "bad.qbrd.json:3:11: malformed JSON: syntax error while parsing object - unexpected string literal; "
                    "expected '}'";
     }},
    {"UnknownPartInNet",
     [](const TempDir& d) {
         WriteFile(d / "b.qbrd.json", Replace(Sample(), "[\"J1\", \"2\"], [\"U1\", \"2\"]", "[\"J1\", \"2\"], [\"U9\", \"2\"]"));
         return WithOutputs(d, {"autoswap", d / "b.qbrd.json", "-o", d / "o.qbrd.json"});
     },
     1, [](const TempDir& d) { return d / "b.qbrd.json:/nets/1/pins/1: unknown part \"U9\""; }},
    {"OutOfRangeCoordinate",
     [](const TempDir& d) {
         WriteFile(d / "b.qbrd.json", Replace(Sample(), "\"at\": [30000000, 42000000]", "\"at\": [30000000, 4200000000]"));
         return WithOutputs(d, {"autoswap", d / "b.qbrd.json", "-o", d / "o.qbrd.json"});
     },
     1, [](const TempDir& d) { return d / "b.qbrd.json:/parts/0/at/1: 4200000000 nm is outside the 32-bit coordinate range"; }},
    {"NotALayout",
     [](const TempDir& d) {
         WriteFile(d / "s.qbrd.json", Replace(Sample(), "\"LAYOUTDESIGN\"", "\"SCHEMATICDESIGN\""));
         return WithOutputs(d, {"autoswap", d / "s.qbrd.json", "-o", d / "o.qbrd.json"});
     },
     1,
     [](const TempDir& d) {
         return d / "s.qbrd.json: the command AutoQuillon is disabled on this sheet (document type \"SCHEMATICDESIGN\"; it "
                    "needs \"LAYOUTDESIGN\")";
     }},
    {"UnwritableOutput",
     [](const TempDir& d) {
         WriteFile(d / "plain", "a file, not a folder");
         return WithOutputs(d, {"autoswap", Example("sample.qbrd.json"), "-o", d / "plain/o.qbrd.json"});
     },
     1, [](const TempDir& d) { return d / "plain/o.qbrd.json: cannot write: " + d / "plain is not a folder"; }},
    {"OneOutputForTwoBoards",
     [](const TempDir& d) {
         return WithOutputs(d, {"autoswap", Example("sample.qbrd.json"), Example("medium.qbrd.json"), "-o", d / "o.qbrd.json"});
     },
     2, [](const TempDir&) { return std::string("-o names one output board, but 2 boards were given; use --out-dir DIR"); }},
    {"OutputAndOutDir",
     [](const TempDir& d) { return std::vector<std::string>{"autoswap", Example("sample.qbrd.json"), "-o", d / "o", "--out-dir", d.Path()}; },
     2, [](const TempDir&) { return std::string("--output excludes --out-dir (run 'lqhost --help' for usage)"); }},
    {"OutDirOverTheInput",
     [](const TempDir& d) {
         WriteFile(d / "b.qbrd.json", Sample());
         return std::vector<std::string>{"autoswap", d / "b.qbrd.json", "--out-dir", d.Path()};
     },
     2,
     [](const TempDir& d) {
         return "--out-dir " + d / "b.qbrd.json: would overwrite the input board " + d / "b.qbrd.json" +
                "; give -o to replace it on purpose";
     }},
    {"ReportOverTheInput",
     [](const TempDir& d) {
         WriteFile(d / "b.qbrd.json", Sample());
         return std::vector<std::string>{"autoswap", d / "b.qbrd.json", "--report", d / "./b.qbrd.json"};
     },
     2,
     [](const TempDir& d) { return "--report " + d / "./b.qbrd.json: would overwrite the input board " + d / "b.qbrd.json"; }},
    {"TwoOutputsOnOneFile",
     [](const TempDir& d) {
         return std::vector<std::string>{"autoswap", Example("sample.qbrd.json"), "--report", d / "x", "--eco", d / "x"};
     },
     2, [](const TempDir& d) { return "--eco " + d / "x: the same file as the output of --report"; }},
    {"NoBoard", [](const TempDir&) { return std::vector<std::string>{"autoswap"}; }, 2,
     [](const TempDir&) { return std::string("BOARD is required (run 'lqhost --help' for usage)"); }},
    {"UnknownOption", [](const TempDir&) { return std::vector<std::string>{"autoswap", "--fast", "x.qbrd.json"}; }, 2,
     [](const TempDir&) { return std::string("The following argument was not expected: --fast (run 'lqhost --help' for usage)"); }},
    {"MissingPlugIn",
     [](const TempDir& d) { return std::vector<std::string>{"--module", d / "none.so", "autoswap", Example("sample.qbrd.json")}; }, 1,
     [](const TempDir& d) {
         return d / "none.so: cannot load the plug-in: " + d / "none.so: cannot open shared object file: No such file or directory";
     }},
};

class LqhostError : public ::testing::TestWithParam<Case> {};

}  // namespace

TEST_P(LqhostError, OneLineTheExitCodeAndNoOutput)
{
    TempDir dir;
    const std::vector<std::string> args = GetParam().setUp(dir);
    const std::vector<std::string> filesBefore = dir.List();
    const Result r = RunLqhost(args);
    EXPECT_EQ(r.exitCode, GetParam().exitCode) << r.err;
    EXPECT_EQ(r.err, "lqhost: " + GetParam().message(dir) + "\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(dir.List(), filesBefore);  // no output, no temporary file
}

INSTANTIATE_TEST_SUITE_P(Cases, LqhostError, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(LqhostInputs, AnInputIsNeverChanged)
{
    TempDir dir;
    WriteFile(dir / "b.qbrd.json", ReadFile(Example("sample.qbrd.json")));
    const Result r = RunLqhost({"autoswap", dir / "b.qbrd.json", "--out-dir", dir / "out", "--svg", dir.Path()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadFile(dir / "b.qbrd.json"), ReadFile(Example("sample.qbrd.json")));
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"b.after.svg", "b.before.svg", "b.qbrd.json", "out"}));
}
