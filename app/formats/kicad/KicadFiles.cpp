#include "app/formats/kicad/KicadFiles.h"

#include <fmt/core.h>

#include <filesystem>

#include "app/core/Errors.h"
#include "app/core/Text.h"
#include "app/formats/kicad/KicadImport.h"
#include "app/formats/kicad/KicadWriter.h"
#include "app/io/AtomicFile.h"
#include "app/io/InputFile.h"

namespace lq::kicad {

namespace {

namespace fs = std::filesystem;

KicadReadOptions ReadOptions(const BoardReadOptions& options)
{
    return KicadReadOptions{options.schematic, options.unrouted, options.rules};
}

std::string ProjectFileOf(const std::string& boardPath) { return fs::path(boardPath).replace_extension(".kicad_pro").string(); }

// Where each schematic file goes when the board is saved under output: the root under the
// output's name, the others where the sheets that name them will look.
std::vector<std::pair<std::string, std::string>> SchematicPlaces(const std::string& boardPath,
                                                                 const std::vector<std::string>& schematics,
                                                                 const std::string& output)
{
    std::vector<std::pair<std::string, std::string>> places;
    if (schematics.empty())
        return places;
    const fs::path outDir = fs::path(output).parent_path();
    const fs::path rootDir = fs::path(schematics.front()).parent_path();
    const bool inPlace = SameFile(boardPath, output) || SamePath(boardPath, output);
    places.emplace_back(schematics.front(), inPlace ? schematics.front() : fs::path(output).replace_extension(".kicad_sch").string());
    for (std::size_t i = 1; i < schematics.size(); ++i) {
        const fs::path relative = fs::path(schematics[i]).lexically_relative(rootDir);
        if (relative.empty() || relative.is_absolute() || *relative.begin() == "..")
            throw UsageError(fmt::format("{}: sub-sheet {} lies outside the folder of the root schematic, so the project "
                                         "can only be replaced in place (-o naming the input board)",
                                         output, schematics[i]));
        const std::string to = inPlace ? schematics[i] : (outDir / relative).string();
        if (!inPlace && (SameFile(to, schematics[i]) || SamePath(to, schematics[i])))
            throw UsageError(fmt::format("-o {}: the sub-sheet {} would be written over its input; write the project into "
                                         "another folder, or replace it in place with -o naming the input board",
                                         output, schematics[i]));
        places.emplace_back(schematics[i], to);
    }
    return places;
}

std::vector<std::string> SchematicFiles(const std::string& path, const BoardReadOptions& options)
{
    std::vector<std::string> files;
    if (const auto root = RootSchematicToRead(path, options.schematic))
        for (const auto& file : ReadKicadProject(*root, DiskFiles()).files)
            files.push_back(file->path);
    return files;
}

}  // namespace

LoadedBoard LoadKicadBoard(const std::string& path, const BoardReadOptions& options)
{
    KicadImport imported = ReadKicadBoard(path, ReadOptions(options));
    LoadedBoard loaded;
    loaded.path = path;
    loaded.format = BoardFormat::Kicad;
    loaded.board = std::move(imported.board);
    loaded.notes = std::move(imported.notes);
    for (const PartLink& part : imported.design->parts)
        loaded.swapRules.push_back(part.rule);
    loaded.kicad = std::move(imported.design);
    return loaded;
}

std::vector<std::string> KicadBoardInputs(const std::string& path, const BoardReadOptions& options)
{
    std::vector<std::string> inputs = KicadInputs(path, ReadOptions(options));
    // Copied into a new project, never replaced: no output may land on it.
    std::error_code ec;
    if (fs::is_regular_file(ProjectFileOf(path), ec))
        inputs.push_back(ProjectFileOf(path));
    return inputs;
}

std::vector<std::string> KicadBoardOutputs(const std::string& path, const BoardReadOptions& options, const std::string& output)
{
    std::vector<std::string> outputs{output};
    for (const auto& [from, to] : SchematicPlaces(path, SchematicFiles(path, options), output))
        outputs.push_back(to);
    std::error_code ec;
    if (fs::exists(ProjectFileOf(path), ec) && !SamePath(ProjectFileOf(path), ProjectFileOf(output)))
        outputs.push_back(ProjectFileOf(output));
    return outputs;
}

SavedBoard SaveKicadBoard(const LoadedBoard& loaded, const Board& after, const std::string& output)
{
    const KicadDesign& design = *loaded.kicad;
    KicadOutput written = WriteKicad(design, loaded.board, after);
    SavedBoard saved;
    saved.files.emplace_back(output, std::move(written.board));
    std::vector<std::string> paths;
    for (const auto& [path, text] : written.schematics)
        paths.push_back(path);
    const auto places = SchematicPlaces(loaded.path, paths, output);
    for (std::size_t i = 0; i < places.size(); ++i)
        saved.files.emplace_back(places[i].second, std::move(written.schematics[i].second));
    std::error_code ec;
    if (fs::exists(ProjectFileOf(loaded.path), ec) && !SamePath(ProjectFileOf(loaded.path), ProjectFileOf(output)))
        saved.files.emplace_back(ProjectFileOf(output), ReadInputFile(ProjectFileOf(loaded.path), SexprLimits::kFileBytes));
    std::string note = fmt::format("{}{}: {} and {} exchanged, {} changed", output,
                                   places.empty() ? "" : " and " + Counted(places.size(), "schematic file"),
                                   Counted(written.exchanges.gates.size(), "gate"),
                                   Counted(written.exchanges.pins.size(), "pin"), Counted(written.changedNets, "net"));
    if (design.unrouted)
        note += fmt::format("; --unrouted: {} to route again (tracks, arcs and vias removed)",
                            Counted(written.reroutedNets, "net"));
    saved.notes.push_back(note);
    return saved;
}

}  // namespace lq::kicad
