// Bad input and bad usage for every subcommand: one line on stderr naming the file and the place,
// the right exit code, no output, and every file in the folder left as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/e2e/LqhostProcess.h"

using namespace lqe2e;

namespace {

struct Case {
    const char* name;
    std::string file;               // written to {dir} before the run, unless empty
    std::string text;               // "from=>to": the sample with that change; "<fifo>": a FIFO; else the text itself
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
const std::vector<std::string> kPlay{"play", "{dir}/s.play"};
// A script that would save a board before its third line.
const std::string kSaving = "open {sample}\nsave out.qbrd.json\n";

const Case kCases[] = {
    {"MissingBoard", "", "", {"autoswap", "{dir}/nothere.qbrd.json", "-o", "{dir}/o.qbrd.json", "--report", "{dir}/r.json"}, 1,
     "{dir}/nothere.qbrd.json: cannot open: No such file or directory"},
    {"MalformedJson", "b.qbrd.json", "{\n  \"format\": \"quillon-board\"\n  \"version\": 1\n}\n", kRun, 1,
     "{dir}/b.qbrd.json:3:11: malformed JSON: syntax error while parsing object - unexpected string literal; expected '}'"},
    {"UnknownPartInNet", "b.qbrd.json", "[\"J1\", \"2\"], [\"U1\", \"2\"]=>[\"J1\", \"2\"], [\"U9\", \"2\"]", kRun, 1,
     "{dir}/b.qbrd.json:/nets/1/pins/1: unknown part \"U9\""},
    {"NotALayout", "b.qbrd.json", "\"LAYOUTDESIGN\"=>\"SCHEMATICDESIGN\"", kRun, 1,
     "{dir}/b.qbrd.json: the command AutoQuillon is disabled on this sheet (document type \"SCHEMATICDESIGN\"; it needs "
     "\"LAYOUTDESIGN\")"},
    {"UnwritableOutput", "b.qbrd.json", "a file, not a folder",
     {"autoswap", "{sample}", "-o", "{dir}/b.qbrd.json/o.qbrd.json", "--eco", "{dir}/e.csv"}, 1,
     "-o {dir}/b.qbrd.json/o.qbrd.json: cannot write: {dir}/b.qbrd.json is not a folder"},
    {"OneOutputForTwoBoards", "", "", {"autoswap", "{sample}", "{sample}", "-o", "{dir}/o.qbrd.json"}, 2,
     "-o names one output board, but 2 boards were given; use --out-dir DIR"},
    {"OutputAndOutDir", "", "", {"autoswap", "{sample}", "-o", "{dir}/o", "--out-dir", "{dir}"}, 2,
     "--output excludes --out-dir (run 'lqhost --help' for usage)"},
    {"OutDirOverTheInput", "b.qbrd.json", "=>", {"autoswap", "{dir}/b.qbrd.json", "--out-dir", "{dir}"}, 2,
     "--out-dir {dir}/b.qbrd.json: would overwrite the input board {dir}/b.qbrd.json; give -o to replace it on purpose"},
    {"ReportOverTheInput", "b.qbrd.json", "=>", {"autoswap", "{dir}/b.qbrd.json", "--report", "{dir}/./b.qbrd.json"}, 2,
     "--report {dir}/./b.qbrd.json: would overwrite the input board {dir}/b.qbrd.json"},
    {"TwoOutputsOnOneFile", "", "", {"autoswap", "{sample}", "--report", "{dir}/x", "--eco", "{dir}/x"}, 2,
     "--eco {dir}/x: the same file as the output of --report"},
    {"NoBoard", "", "", {"autoswap"}, 2, "BOARD is required (run 'lqhost --help' for usage)"},
    {"EffortNotSeconds", "", "", {"autoswap", "{sample}", "--report", "{dir}/r.json", "--effort", "soon"}, 2,
     "--effort: seconds from 0.001 to 3600 expected, not \"soon\" (run 'lqhost --help' for usage)"},
    {"EffortTooLong", "", "", {"autoswap", "{sample}", "--effort", "3601"}, 2,
     "--effort: seconds from 0.001 to 3600 expected, not \"3601\" (run 'lqhost --help' for usage)"},
    {"RefineAndRefineOnly", "", "", {"autoswap", "{sample}", "--refine", "--refine-only"}, 2,
     "--refine excludes --refine-only (run 'lqhost --help' for usage)"},
    {"MissingPlugIn", "", "", {"--module", "{dir}/none.so", "autoswap", "{sample}"}, 1,
     "{dir}/none.so: cannot load the plug-in: {dir}/none.so: cannot open shared object file: No such file or directory"},
    {"RenderOverTheInput", "b.qbrd.json", "=>", {"render", "{dir}/b.qbrd.json", "-o", "{dir}/b.qbrd.json"}, 2,
     "-o {dir}/b.qbrd.json: would overwrite the input board {dir}/b.qbrd.json"},
    {"RenderUnwritable", "b.qbrd.json", "a file, not a folder", {"render", "{sample}", "-o", "{dir}/b.qbrd.json/s.svg"}, 1,
     "-o {dir}/b.qbrd.json/s.svg: cannot write: {dir}/b.qbrd.json is not a folder"},
    {"MissingScript", "", "", kPlay, 1, "{dir}/s.play: cannot open: No such file or directory"},
    {"PlayUnwritableSave", "s.play", "open {sample}\nsave s.play/out.qbrd.json\n", kPlay, 1,
     "{dir}/s.play:2: s.play/out.qbrd.json: cannot write: {dir}/s.play is not a folder"},
    // Script errors say which line; those found before the run or while it runs both leave nothing saved.
    {"PlayMalformedLine", "s.play", kSaving + "expect pickmode half\n", kPlay, 1,
     "{dir}/s.play:3: \"half\" is not a pick mode (on or off)"},
    {"PlayUnknownPart", "s.play", kSaving + "tool 0x703E8\nclick U9.4\n", kPlay, 1,
     "{dir}/s.play:4: unknown part \"U9\" on the board {sample}"},
    {"PlayMissingBoard", "s.play", kSaving + "open nothere.qbrd.json\n", kPlay, 1,
     "{dir}/s.play:3: {dir}/nothere.qbrd.json: cannot open: No such file or directory"},
    {"PlayFailedExpectation", "s.play", kSaving + "tool 0x703E8\noverlay pick.svg\nexpect pickmode on\n", kPlay, 1,
     "{dir}/s.play:5: expected pick mode on, found off"},
    // Each row below used to hang, to replace what it names, or to pass without a word.
    {"OutputIsAFifo", "o.qbrd.json", "<fifo>", {"autoswap", "{sample}", "-o", "{dir}/o.qbrd.json"}, 1,
     "-o {dir}/o.qbrd.json: a FIFO, not a regular file; lqhost writes regular files only"},
    {"ReportIsAFifo", "r.json", "<fifo>", {"autoswap", "{sample}", "--report", "{dir}/r.json"}, 1,
     "--report {dir}/r.json: a FIFO, not a regular file; lqhost writes regular files only"},
    {"RenderToAFifo", "p.svg", "<fifo>", {"render", "{sample}", "-o", "{dir}/p.svg"}, 1,
     "-o {dir}/p.svg: a FIFO, not a regular file; lqhost writes regular files only"},
    {"BoardIsAFifo", "b.qbrd.json", "<fifo>", kRun, 1, "{dir}/b.qbrd.json: not a regular file (a FIFO); only regular files are read"},
    {"ScriptIsAFifo", "s.play", "<fifo>", kPlay, 1, "{dir}/s.play: not a regular file (a FIFO); only regular files are read"},
    {"BoardOutputNotABoardName", "", "", {"autoswap", "{sample}", "-o", "{dir}/p.sch"}, 2,
     "{dir}/p.sch: not a kind of board file lqhost writes; it writes Quillon board JSON (.json), Eagle boards (.brd), KiCad boards (.kicad_pcb)"},
    {"UnsupportedKind", "b.PcbDoc", "|OLE|", {"info", "{dir}/b.PcbDoc"}, 1,
     "{dir}/b.PcbDoc: not a kind of board file lqhost reads; it reads Quillon board JSON (.json), Eagle boards (.brd), KiCad boards (.kicad_pcb)"},
    // A project or schematic given for its board: the board beside it is named where there is one.
    {"ProjectForItsBoard", "b.kicad_pcb", "(kicad_pcb)", {"info", "{dir}/b.kicad_pro"}, 1,
     "{dir}/b.kicad_pro: a KiCad project file, not a board; give its board {dir}/b.kicad_pcb, and lqhost reads the "
     "schematic beside it"},
    {"SchematicForABoard", "b.sch", "<eagle/>", {"autoswap", "{dir}/b.sch", "-o", "{dir}/o.brd"}, 1,
     "{dir}/b.sch: an Eagle schematic, not a board; give the board (.brd), and lqhost reads the schematic beside it"},
    {"EmptyOutputName", "", "", {"autoswap", "{sample}", "-o", ""}, 2,
     "--output: an empty name; give a file or folder name (run 'lqhost --help' for usage)"},
    {"EmptyReportName", "", "", {"autoswap", "{sample}", "--report", ""}, 2,
     "--report: an empty name; give a file or folder name (run 'lqhost --help' for usage)"},
    {"EmptySvgName", "", "", {"autoswap", "{sample}", "--svg", ""}, 2,
     "--svg: an empty name; give a file or folder name (run 'lqhost --help' for usage)"},
    {"EmptyBoardName", "", "", {"autoswap", ""}, 2, "BOARD: an empty name; give a file or folder name (run 'lqhost --help' for usage)"},
    {"ReportNamedAsAPage", "", "", {"autoswap", "{sample}", "--report", "{dir}/r.HTML"}, 2,
     "--report {dir}/r.HTML: --report writes JSON, and the name asks for what --html writes; give --html {dir}/r.HTML"},
    {"EcoNamedAsASchematic", "", "", {"autoswap", "{sample}", "--eco", "{dir}/board.SCH"}, 2,
     "--eco {dir}/board.SCH: the name of an Eagle schematic; --eco writes CSV, so give it another name"},
    {"RenderNamedAsABoard", "", "", {"render", "{sample}", "-o", "{dir}/other.kicad_pcb"}, 2,
     "-o {dir}/other.kicad_pcb: render writes SVG; give a name ending in .svg"},
    {"TwoBoardsOfOneName", "", "", {"autoswap", "{sample}", "{sample}", "--out-dir", "{dir}"}, 2,
     "{sample} and {sample}: boards of one name, whose outputs in --out-dir would be the same files; run them one at a time"},
    {"PagesFolderIsThePage", "", "", {"autoswap", "{sample}", "--html", "{dir}/y.html", "--svg", "{dir}/y.html"}, 2,
     "--svg {dir}/y.html/sample.before.svg: lies in {dir}/y.html, the output of --html"},
    {"PicturesFolderIsAFile", "m.svg", "a file", {"autoswap", "{sample}", "--svg", "{dir}/m.svg"}, 1,
     "--svg {dir}/m.svg/sample.before.svg: cannot write: {dir}/m.svg is not a folder"},
    {"TwoReportsOnStandardOutput", "", "", {"autoswap", "{sample}", "--report", "-", "--eco", "-"}, 2,
     "--eco -: the same file as the output of --report"},
    {"ControlCharactersInANameAreShownEscaped", "b.qbrd.json", "[\"J1\", \"2\"], [\"U1\", \"2\"]=>[\"J1\", \"2\"], [\"U\\u001b[2J\", \"2\"]",
     kRun, 1, "{dir}/b.qbrd.json:/nets/1/pins/1: unknown part \"U\\x1B[2J\""},
    {"TrailingNulAndGarbage", "b.qbrd.json", "\n}\n=>\n}\n" + std::string(1, '\0') + "garbage", kRun, 1,
     "{dir}/b.qbrd.json:187:1: trailing data after the board (a NUL byte)"},
    {"PlayMoveBeyond32Bits", "s.play", kSaving + "select U1\nmove 2147mm 0\n", kPlay, 1,
     "{dir}/s.play:4: {sample}: part U1 was moved beyond the 32-bit coordinate range"},
};

// ctest lists the case by its name, not by its bytes.
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class LqhostError : public ::testing::TestWithParam<Case> {};

std::map<std::string, std::string> Contents(const TempDir& dir)
{
    std::map<std::string, std::string> files;
    for (const std::string& name : dir.List())
        files[name] = std::filesystem::is_regular_file(dir / name) ? ReadFile(dir / name) : "(not a file)";
    return files;
}

}  // namespace

TEST_P(LqhostError, OneLineTheExitCodeAndNothingWritten)
{
    const Case& c = GetParam();
    TempDir dir;
    if (const std::size_t arrow = c.text.find("=>"); arrow != std::string::npos) {
        std::string text = ReadFile(Example("sample.qbrd.json"));
        if (arrow > 0)
            text.replace(text.find(c.text.substr(0, arrow)), arrow, c.text.substr(arrow + 2));
        WriteFile(dir / c.file, text);
    } else if (c.text == "<fifo>") {
        ASSERT_EQ(::mkfifo((dir / c.file).c_str(), 0600), 0);
    } else if (!c.file.empty()) {
        WriteFile(dir / c.file, Expand(c.text, dir));
    }
    std::vector<std::string> args;
    for (const std::string& a : c.args)
        args.push_back(Expand(a, dir));
    const auto before = Contents(dir);
    const Result r = RunLqhost(args);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    EXPECT_EQ(r.err, "lqhost: " + Expand(c.message, dir) + "\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Contents(dir), before);  // no output, no temporary file, the inputs untouched
}

INSTANTIATE_TEST_SUITE_P(Cases, LqhostError, ::testing::ValuesIn(kCases), ::testing::PrintToStringParamName());
