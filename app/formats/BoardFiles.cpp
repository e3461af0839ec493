#include "app/formats/BoardFiles.h"

#include <fmt/core.h>

#include <filesystem>
#include <string_view>
#include <system_error>

#include "app/core/Errors.h"
#include "app/core/Text.h"
#include "app/formats/BoardJson.h"
#include "app/formats/eagle/EagleImport.h"
#include "app/formats/eagle/EagleWriter.h"
#include "app/formats/kicad/KicadFiles.h"
#include "app/io/AtomicFile.h"

namespace lq {

namespace fs = std::filesystem;

const std::vector<BoardKind>& BoardKinds()
{
    static const std::vector<BoardKind> kinds = {
        {".json", BoardFormat::QuillonJson, "Quillon board JSON"},
        {".brd", BoardFormat::Eagle, "Eagle boards"},
        {".kicad_pcb", BoardFormat::Kicad, "KiCad boards"},
    };
    return kinds;
}

namespace {

// A project or schematic given where its board belongs: names the board that goes with it, as
// the board's reader finds the schematic from the board and not the other way round.
std::string CompanionHint(const std::string& path, const std::string& lower)
{
    const bool eagleSchematic = lower.ends_with(".sch");
    if (!eagleSchematic && !lower.ends_with(".kicad_sch") && !lower.ends_with(".kicad_pro"))
        return {};
    const std::string what = DesignFileKind(path);
    const std::string board = fs::path(path).replace_extension(eagleSchematic ? ".brd" : ".kicad_pcb").string();
    std::error_code error;
    if (fs::is_regular_file(board, error))
        return fmt::format("{}: {}, not a board; give its board {}, and lqhost reads the schematic beside it", path, what,
                           board);
    return fmt::format("{}: {}, not a board; give the board ({}), and lqhost reads the schematic beside it", path, what,
                       eagleSchematic ? ".brd" : ".kicad_pcb");
}

// The schematic written with an Eagle board: beside the output, unless the output is the board
// read, whose pair is then replaced whole (its schematic may have another name).
std::string EagleSchematicOutput(const std::string& board, const std::string& schematicRead, const std::string& output)
{
    return SamePath(board, output) ? schematicRead : eagle::SchematicBeside(output);
}

}  // namespace

const char* DesignFileKind(const std::string& path)
{
    static const std::pair<const char*, const char*> kinds[] = {
        {".qbrd.json", "a Quillon board"}, {".brd", "an Eagle board"},           {".sch", "an Eagle schematic"},
        {".kicad_pcb", "a KiCad board"},   {".kicad_sch", "a KiCad schematic"}, {".kicad_pro", "a KiCad project file"},
    };
    const std::string lower = Lower(path);
    for (const auto& [extension, kind] : kinds)
        if (lower.ends_with(extension))
            return kind;
    return nullptr;
}

BoardFormat BoardFormatOf(const std::string& path, bool output)
{
    const std::string lower = Lower(path);
    std::string known;
    for (const BoardKind& kind : BoardKinds()) {
        if (lower.ends_with(kind.extension) && lower.size() > std::string_view(kind.extension).size())
            return kind.format;
        known += fmt::format("{}{} ({})", known.empty() ? "" : ", ", kind.name, kind.extension);
    }
    if (output)
        throw UsageError(fmt::format("{}: not a kind of board file lqhost writes; it writes {}", path, known));
    if (const std::string hint = CompanionHint(path, lower); !hint.empty())
        throw JobError(hint);
    throw JobError(fmt::format("{}: not a kind of board file lqhost reads; it reads {}", path, known));
}

LoadedBoard LoadBoard(const std::string& path, const BoardReadOptions& options)
{
    LoadedBoard loaded;
    loaded.path = path;
    loaded.format = BoardFormatOf(path);
    if (loaded.format == BoardFormat::QuillonJson) {
        if (!options.schematic.empty() || options.unrouted || !options.rules.empty())
            throw UsageError(fmt::format("{}: --schematic, --unrouted and --rules apply to Eagle and KiCad boards only", path));
        loaded.board = ReadBoardFile(path);
        return loaded;
    }
    if (loaded.format == BoardFormat::Kicad)
        return kicad::LoadKicadBoard(path, options);
    if (!options.rules.empty())
        throw UsageError(fmt::format("{}: --rules applies to KiCad boards (.kicad_pcb) only", path));
    eagle::EagleImport imported = eagle::ReadEagleBoard(path, eagle::EagleReadOptions{options.schematic, options.unrouted});
    loaded.board = std::move(imported.board);
    loaded.notes = std::move(imported.notes);
    loaded.eagle = std::move(imported.design);
    return loaded;
}

std::vector<std::string> BoardInputs(const std::string& path, const BoardReadOptions& options)
{
    if (BoardFormatOf(path) == BoardFormat::Kicad)
        return kicad::KicadBoardInputs(path, options);
    std::vector<std::string> inputs{path};
    if (BoardFormatOf(path) == BoardFormat::Eagle)
        if (const auto schematic = eagle::SchematicToRead(path, options.schematic))
            inputs.push_back(*schematic);
    return inputs;
}

std::vector<std::string> BoardOutputs(const std::string& path, const BoardReadOptions& options, const std::string& output)
{
    const BoardFormat in = BoardFormatOf(path), out = BoardFormatOf(output, true);
    if (out == BoardFormat::Kicad && in != BoardFormat::Kicad)
        throw UsageError(fmt::format("{}: a KiCad board is written back only from a KiCad board; give a .qbrd.json name",
                                     output));
    if (out == BoardFormat::Kicad)
        return kicad::KicadBoardOutputs(path, options, output);
    if (out == BoardFormat::Eagle && in != BoardFormat::Eagle)
        throw UsageError(fmt::format("{}: an Eagle board is written back only from an Eagle board; give a .qbrd.json name",
                                     output));
    std::vector<std::string> outputs{output};
    if (out == BoardFormat::Eagle)
        if (const auto schematic = eagle::SchematicToRead(path, options.schematic))
            outputs.push_back(EagleSchematicOutput(path, *schematic, output));
    return outputs;
}

SavedBoard SaveBoard(LoadedBoard& loaded, const Board& after, const std::string& output)
{
    SavedBoard saved;
    if (BoardFormatOf(output, true) == BoardFormat::QuillonJson) {
        saved.files.emplace_back(output, WriteBoardJson(after));
        return saved;
    }
    if (BoardFormatOf(output) == BoardFormat::Kicad) {
        if (loaded.format != BoardFormat::Kicad || !loaded.kicad)
            throw UsageError(fmt::format("{}: a KiCad board is written back only from a KiCad board", output));
        return kicad::SaveKicadBoard(loaded, after, output);
    }
    if (loaded.format != BoardFormat::Eagle || !loaded.eagle)
        throw UsageError(fmt::format("{}: an Eagle board is written back only from an Eagle board", output));
    eagle::EagleOutput written = eagle::WriteEagle(*loaded.eagle, loaded.board, after);
    saved.files.emplace_back(output, std::move(written.board));
    std::string where = output;
    if (loaded.eagle->schematic) {
        const std::string schematic = EagleSchematicOutput(loaded.path, loaded.eagle->schematic->Name(), output);
        where += " and " + schematic;
        saved.files.emplace_back(schematic, std::move(written.schematic));
    }
    // Each gate and pin that took another's place counts once: a pair exchanged is two, a cycle of
    // three is three.
    std::string note = fmt::format("{}: {} and {} exchanged, {} changed", where, Counted(written.exchanges.gates.size(), "gate"),
                                   Counted(written.exchanges.pins.size(), "pin"),
                                   Counted(written.changedSignals, "signal"));
    if (loaded.eagle->unrouted)
        note += fmt::format("; --unrouted: {} to route again (wires and vias removed)",
                            Counted(written.reroutedSignals, "signal"));
    saved.notes.push_back(note);
    return saved;
}

}  // namespace lq
