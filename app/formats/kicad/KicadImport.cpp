#include "app/formats/kicad/KicadImport.h"

#include <fmt/core.h>

#include <filesystem>
#include <set>

#include "app/core/Errors.h"
#include "app/formats/RoutedMarkers.h"
#include "app/formats/kicad/KicadCopper.h"
#include "app/formats/kicad/KicadParts.h"
#include "app/model/BoardCheck.h"

namespace lq::kicad {

namespace {

namespace fs = std::filesystem;

std::string Need(const FileReader& read, const std::string& path)
{
    std::optional<std::string> text = read(path);
    if (!text)
        throw IoError(fmt::format("{}: cannot open: No such file or directory", path));
    return std::move(*text);
}

}  // namespace

std::string RootSchematicBeside(const std::string& boardPath)
{
    return fs::path(boardPath).replace_extension(".kicad_sch").string();
}

std::optional<std::string> RootSchematicToRead(const std::string& boardPath, const std::string& given)
{
    if (!given.empty())
        return given;
    const std::string beside = RootSchematicBeside(boardPath);
    std::error_code ec;
    if (fs::exists(beside, ec))
        return beside;
    return std::nullopt;
}

KicadImport ReadKicadBoard(const std::string& boardPath, const KicadReadOptions& options)
{
    return ReadKicadBoard(boardPath, options, DiskFiles());
}

KicadImport ReadKicadBoard(const std::string& boardPath, const KicadReadOptions& options, const FileReader& read)
{
    KicadImport out;
    out.design = std::make_unique<KicadDesign>();
    KicadDesign& design = *out.design;
    design.options = options;
    design.unrouted = options.unrouted;
    design.board = ReadKicadBoard(std::make_unique<SexprFile>(Need(read, boardPath), boardPath));
    for (const std::string& rules : options.rules)
        design.rules.AddUserFile(rules, Need(read, rules));
    if (const auto root = RootSchematicToRead(boardPath, options.schematic)) {
        design.project = std::make_unique<KicadProject>(ReadKicadProject(*root, read));
        design.nets = ComputeNets(*design.project);
    } else {
        out.notes.push_back(fmt::format("{}: read without a schematic ({} not found): no gate or pin swap information, "
                                        "nothing will be exchanged",
                                        boardPath, RootSchematicBeside(boardPath)));
    }
    Board& board = out.board;
    MapParts(design, board);
    out.notes.insert(out.notes.end(), design.orphans.begin(), design.orphans.end());

    // Copper is read and checked either way; --unrouted only keeps it from the host.
    const std::vector<std::vector<bool>> onCopper = PadsOnCopper(design.board);
    std::set<PinIndex> routed;
    for (std::size_t i = 0; i < design.parts.size(); ++i)
        for (std::size_t j = 0; j < design.parts[i].padOfPin.size(); ++j)
            if (onCopper[design.parts[i].footprint][design.parts[i].padOfPin[j]])
                routed.insert(PinIndex{i, j});
    if (!options.unrouted) {
        board.tracks = CopperMarkers(board, BoardIndex(board), routed);
        design.routedPins = routed.size();
        if (std::string note = RoutedPinsNote(boardPath, board, routed); !note.empty())
            out.notes.push_back(std::move(note));
    }
    if (const auto problem = CheckBoard(board))
        throw ParseError(boardPath, "", fmt::format("the imported board breaks a board rule at {}: {}", problem->place,
                                                    problem->message));
    return out;
}

std::vector<std::string> KicadInputs(const std::string& boardPath, const KicadReadOptions& options)
{
    std::vector<std::string> inputs{boardPath};
    if (const auto root = RootSchematicToRead(boardPath, options.schematic)) {
        const KicadProject project = ReadKicadProject(*root, DiskFiles());
        for (const auto& file : project.files)
            inputs.push_back(file->path);
    }
    inputs.insert(inputs.end(), options.rules.begin(), options.rules.end());
    return inputs;
}

}  // namespace lq::kicad
