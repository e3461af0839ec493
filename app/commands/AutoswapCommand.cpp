// lqhost autoswap: the plug-in's automatic pin and gate swap on board files, with the optimised
// boards, pictures, the report and the ECO file as outputs; and lqhost's default job, the same
// on the built-in sample board.
#include <CLI/CLI.hpp>
#include <fmt/core.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>

#include "app/cli/CommandTable.h"
#include "app/cli/ElapsedTicker.h"
#include "app/cli/PathOption.h"
#include "app/core/Errors.h"
#include "app/core/Printable.h"
#include "app/core/Text.h"
#include "app/formats/BoardFiles.h"
#include "app/formats/BoardJson.h"
#include "app/io/AtomicFile.h"
#include "app/io/OutputCheck.h"
#include "app/refine/RefineOptions.h"
#include "app/report/ReportHtml.h"
#include "app/report/RunReport.h"
#include "app/resources/SampleBoard.h"
#include "app/session/AutoSwapRun.h"
#include "app/session/PlugInSession.h"

namespace lq {

namespace {

namespace fs = std::filesystem;

struct Options {
    std::vector<std::string> boards;
    std::string output;
    std::string outDir;
    std::string report;
    std::string eco;
    std::string svgDir;
    std::string html;
    std::string schematic;
    bool unrouted = false;
    std::vector<std::string> rules;
    bool refine = false;
    bool refineOnly = false;
    double effort = 0;  // seconds; 0: none
};

BoardReadOptions ReadOptions(const Options& o) { return BoardReadOptions{o.schematic, o.unrouted, o.rules}; }

struct Plan {
    std::vector<std::string> boardOutputs;  // per board; empty: not written
    std::vector<std::pair<std::string, std::string>> svgOutputs;  // per board, before and after
};

std::string Stem(const std::string& path)
{
    const std::string name = fs::path(path).filename().string();
    constexpr std::string_view kSuffix = ".qbrd.json";
    if (name.size() > kSuffix.size() && name.ends_with(kSuffix))
        return name.substr(0, name.size() - kSuffix.size());
    return fs::path(name).stem().string();
}

std::string InputKind(const std::string& path, bool board)
{
    if (board)
        return "board";
    const std::string ext = fs::path(path).extension().string();
    if (ext == ".kicad_pro")
        return "project file";
    return ext == ".sch" || ext == ".kicad_sch" ? "schematic" : "rules file";
}

// A report named for the kind of file another option writes is most likely meant for that
// option: written as asked, report.html would hold JSON.
void CheckReportKinds(const Options& o)
{
    struct Kind {
        const std::string& path;
        const char* option;
        const char* writes;
    };
    const Kind kinds[] = {{o.report, "--report", "JSON"}, {o.eco, "--eco", "CSV"}, {o.html, "--html", "an HTML page"}};
    auto optionFor = [](const std::string& path) -> const char* {
        const std::string ext = Lower(fs::path(path).extension().string());
        return ext == ".json" ? "--report" : ext == ".csv" ? "--eco" : ext == ".html" || ext == ".htm" ? "--html" : nullptr;
    };
    for (const Kind& k : kinds) {
        if (const char* design = k.path.empty() ? nullptr : DesignFileKind(k.path))
            throw UsageError(fmt::format("{} {}: the name of {}; {} writes {}, so give it another name", k.option,
                                         Printable(k.path), design, k.option, k.writes));
        const char* meant = k.path.empty() ? nullptr : optionFor(k.path);
        if (meant != nullptr && std::string_view(meant) != k.option)
            throw UsageError(fmt::format("{} {}: {} writes {}, and the name asks for what {} writes; give {} {}", k.option,
                                         Printable(k.path), k.option, k.writes, meant, meant, Printable(k.path)));
    }
}

// Refuses outputs that would land on an input or on each other, or on what is not a file; -o
// may name its own input board, and then replaces that board's files.
void CheckOutputs(const Options& o, const Plan& plan)
{
    std::vector<PlannedOutput> outputs;
    std::vector<PlannedInput> inputs;
    for (std::size_t i = 0; i < o.boards.size(); ++i) {
        const std::vector<std::string> read = BoardInputs(o.boards[i], ReadOptions(o));
        for (std::size_t k = 0; k < read.size(); ++k)
            inputs.push_back(PlannedInput{read[k], InputKind(read[k], k == 0)});
        if (plan.boardOutputs[i].empty())
            continue;
        const bool inPlace = !o.output.empty() && SamePath(plan.boardOutputs[i], o.boards[i]);
        for (const std::string& p : BoardOutputs(o.boards[i], ReadOptions(o), plan.boardOutputs[i]))
            outputs.push_back(PlannedOutput{p, o.output.empty() ? "--out-dir" : "-o", inPlace ? read : std::vector<std::string>{},
                                            o.output.empty() ? "; give -o to replace it on purpose" : ""});
    }
    for (const auto& [before, after] : plan.svgOutputs)
        outputs.push_back(PlannedOutput{before, "--svg"}), outputs.push_back(PlannedOutput{after, "--svg"});
    if (!o.report.empty())
        outputs.push_back(PlannedOutput{o.report, "--report"});
    if (!o.eco.empty())
        outputs.push_back(PlannedOutput{o.eco, "--eco"});
    if (!o.html.empty())
        outputs.push_back(PlannedOutput{o.html, "--html"});
    CheckPlannedOutputs(outputs, inputs);
}

Plan MakePlan(const Options& o)
{
    if (!o.output.empty() && o.boards.size() > 1)
        throw UsageError(fmt::format("-o names one output board, but {} boards were given; use --out-dir DIR", o.boards.size()));
    if (!o.schematic.empty() && o.boards.size() > 1)
        throw UsageError(fmt::format("--schematic names the schematic of one board, but {} boards were given", o.boards.size()));
    // Two boards of one name would land on one file: named, they say which to rename or drop.
    for (std::size_t i = 0; i < o.boards.size(); ++i)
        for (std::size_t j = 0; j < i; ++j) {
            const bool sameFile = fs::path(o.boards[i]).filename() == fs::path(o.boards[j]).filename();
            const char* clash = !o.outDir.empty() && sameFile                        ? "--out-dir"
                              : !o.svgDir.empty() && Stem(o.boards[i]) == Stem(o.boards[j]) ? "--svg"
                                                                                            : nullptr;
            if (clash != nullptr)
                throw UsageError(fmt::format("{} and {}: boards of one name, whose outputs in {} would be the same files; "
                                             "run them one at a time",
                                             Printable(o.boards[j]), Printable(o.boards[i]), clash));
        }
    Plan plan;
    for (const std::string& board : o.boards) {
        if (!o.output.empty())
            plan.boardOutputs.push_back(o.output);
        else if (!o.outDir.empty())
            plan.boardOutputs.push_back((fs::path(o.outDir) / fs::path(board).filename()).string());
        else
            plan.boardOutputs.emplace_back();
        if (!o.svgDir.empty()) {
            const fs::path dir(o.svgDir);
            plan.svgOutputs.emplace_back((dir / (Stem(board) + ".before.svg")).string(),
                                         (dir / (Stem(board) + ".after.svg")).string());
        }
    }
    CheckOutputs(o, plan);
    CheckReportKinds(o);
    return plan;
}

std::string ProgressLine(std::size_t i, std::size_t n, const BoardRun& run)
{
    const auto p = PercentChange(run.before.length, run.after.length);
    return fmt::format("[{}/{}] {}: {} moved, airwire length {}, {:.2f} s", i + 1, n, run.board, Counted(run.changes.size(), "pin"),
                       p ? fmt::format("{:+.1f} %", *p) : std::string("unchanged"), run.seconds);
}

int Run(const Options& o, const GlobalOptions& global)
{
    // Counts the whole job on a terminal; the plug-in's pass shows as a phase of it.
    std::optional<ElapsedTicker> ticker(std::in_place, "lqhost autoswap");
    const Plan plan = MakePlan(o);
    std::vector<LoadedBoard> boards;
    for (const std::string& path : o.boards) {
        boards.push_back(LoadBoard(path, ReadOptions(o)));
        for (const std::string& note : boards.back().notes)
            ticker->Say(Printable(note));
    }
    std::vector<std::string> notes;

    PlugInSession session(global.modulePath);
    RunReport report;
    OutputBatch outputs;
    AutoSwapOptions options;
    options.pictures = !o.svgDir.empty() || !o.html.empty();
    std::vector<HtmlPictures> pictures;  // for --html
    std::vector<Board> afters;
    afters.reserve(boards.size());
    options.refine = RefineOptions{o.refine || o.refineOnly || o.effort > 0, o.refineOnly,
                                   o.effort > 0 ? std::optional<double>(o.effort) : std::nullopt};
    for (std::size_t i = 0; i < boards.size(); ++i) {
        AutoSwapOutcome outcome = RunAutoSwap(session, boards[i].board, o.boards[i], options);
        if (!o.html.empty())
            pictures.push_back(HtmlPictures{outcome.svgBefore, outcome.svgAfter, &afters.emplace_back(outcome.after)});
        if (!plan.boardOutputs[i].empty()) {
            outcome.run.output = plan.boardOutputs[i];
            SavedBoard saved = SaveBoard(boards[i], outcome.after, plan.boardOutputs[i]);
            for (auto& [path, content] : saved.files)
                outputs.Add(path, std::move(content));
            notes.insert(notes.end(), saved.notes.begin(), saved.notes.end());
        }
        if (!o.svgDir.empty()) {
            outputs.Add(plan.svgOutputs[i].first, std::move(outcome.svgBefore));
            outputs.Add(plan.svgOutputs[i].second, std::move(outcome.svgAfter));
        }
        if (boards.size() > 1)
            ticker->Say(Printable(ProgressLine(i, boards.size(), outcome.run)));
        report.boards.push_back(std::move(outcome.run));
    }
    std::string toStdout;  // what an option given "-" asks for there, instead of the table
    for (const auto& [path, text] : {std::pair{o.report, &FormatReportJson}, std::pair{o.eco, &FormatEcoCsv}})
        if (path == kStandardOutput)
            toStdout += text(report);
        else if (!path.empty())
            outputs.Add(path, text(report));
    if (!o.html.empty())
        outputs.Add(o.html, FormatReportHtml(report, pictures));
    outputs.Commit();
    ticker.reset();
    std::fputs(toStdout.empty() ? Printable(FormatReportTable(report), std::string::npos, true).c_str() : toStdout.c_str(), stdout);
    for (const std::string& note : notes)
        std::fprintf(toStdout.empty() ? stdout : stderr, "%s\n", Printable(note).c_str());
    return 0;
}

}  // namespace

int RunDefaultJob(const GlobalOptions& global)
{
    const Board board = ParseBoardJson(SampleBoardJson(), kSampleBoardName);
    PlugInSession session(global.modulePath);
    RunReport report;
    report.boards.push_back(RunAutoSwap(session, board, kSampleBoardName, AutoSwapOptions{}).run);
    std::fputs(FormatReportTable(report).c_str(), stdout);
    std::fputs("\n(lqhost with no arguments runs the automatic swap on its built-in sample board; "
               "'lqhost --help' lists the commands.)\n",
               stdout);
    return 0;
}

CommandEntry MakeAutoswapCommand()
{
    return CommandEntry{
        "autoswap",
        "Run the plug-in's automatic pin and gate swap on boards and report what it changed",
        "lqhost autoswap examples/sample.qbrd.json -o sample.out.qbrd.json --report report.json --eco eco.csv --svg pictures",
        [](CLI::App& sub, const GlobalOptions& global) -> CommandRunner {
            auto o = std::make_shared<Options>();
            sub.add_option("BOARD", o->boards,
                           "Board files (.qbrd.json, Eagle .brd with the .sch beside it, KiCad .kicad_pcb with its schematic)")
                ->required()
                ->check(NonEmptyPath);
            auto* out = sub.add_option("-o,--output", o->output,
                                       "Write the optimised board here (one board only; may name the input). Without "
                                       "-o or --out-dir no board is written, only the report shown")
                            ->option_text("FILE")
                            ->check(NonEmptyPath);
            auto* dir = sub.add_option("--out-dir", o->outDir, "Write each optimised board into this folder, under its own name")
                            ->option_text("DIR")
                            ->check(NonEmptyPath);
            out->excludes(dir);
            sub.add_option("--report", o->report, "Write the report as JSON to this file ('-': to standard output, instead of the table)")
                ->option_text("FILE")
                ->check(NonEmptyPath);
            sub.add_option("--eco", o->eco, "Write the changes and back-annotation records as CSV to this file ('-': to standard output)")
                ->option_text("FILE")
                ->check(NonEmptyPath);
            sub.add_option("--html", o->html,
                           "Write the report as one self-contained HTML page: each board before and after, the figures "
                           "and the changes")
                ->option_text("FILE")
                ->check(NonEmptyPath);
            sub.add_option("--svg", o->svgDir, "Write pictures of each board before and after into this folder")
                ->option_text("DIR")
                ->check(NonEmptyPath);
            sub.add_option("--schematic", o->schematic,
                           "Eagle, KiCad: the board's (root) schematic, when it is not the one of the board's name beside it")
                ->option_text("FILE")
                ->check(NonEmptyPath);
            sub.add_flag("--unrouted", o->unrouted,
                         "Eagle, KiCad: ignore existing copper, as if the board were placed but not routed; nets whose "
                         "pads change lose their tracks and vias");
            sub.add_option("--rules", o->rules,
                           "KiCad: swap rules that add to or override the built-in library (docs/kicad.md); may be repeated")
                ->option_text("FILE")
                ->check(NonEmptyPath);
            AddRefineOptions(sub, o->refine, o->refineOnly, o->effort);
            return [o, &global] { return Run(*o, global); };
        }};
}

}  // namespace lq
