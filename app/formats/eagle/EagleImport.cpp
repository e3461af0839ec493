#include "app/formats/eagle/EagleImport.h"

#include <fmt/core.h>

#include <filesystem>

#include "app/core/Errors.h"
#include "app/formats/eagle/EagleBoardReader.h"
#include "app/formats/eagle/EagleCopper.h"
#include "app/formats/eagle/EagleSchematicReader.h"
#include "app/model/BoardCheck.h"

namespace lq::eagle {

std::string SchematicBeside(const std::string& boardPath)
{
    const bool upper = std::filesystem::path(boardPath).extension() == ".BRD";
    return std::filesystem::path(boardPath).replace_extension(upper ? ".SCH" : ".sch").string();
}

std::optional<std::string> SchematicToRead(const std::string& boardPath, const std::string& given)
{
    if (!given.empty())
        return given;
    // Boards from systems that ignore case may pair X.brd with X.SCH, or the other way round.
    const std::string beside = SchematicBeside(boardPath);
    const std::string otherCase = std::filesystem::path(beside).replace_extension(
        std::filesystem::path(beside).extension() == ".SCH" ? ".sch" : ".SCH").string();
    for (const std::string& path : {beside, otherCase}) {
        std::error_code ec;
        if (std::filesystem::exists(path, ec))
            return path;
    }
    return std::nullopt;
}

EagleImport ImportEagle(std::unique_ptr<XmlFile> boardFile, std::unique_ptr<XmlFile> schematicFile, bool unrouted)
{
    EagleImport out;
    out.design = std::make_unique<EagleDesign>();
    EagleDesign& design = *out.design;
    design.board = std::move(boardFile);
    design.schematic = std::move(schematicFile);
    design.unrouted = unrouted;
    Board& board = out.board;
    ReadBoardSide(design, board);
    ReadSchematicSide(design, board);

    // Copper is read and checked either way; --unrouted only keeps it from the host.
    const BoardIndex index(board);
    const std::set<PinIndex> routed = PinsOnCopper(design, board, index);
    if (!unrouted) {
        board.tracks = CopperMarkers(board, index, routed);
        design.routedPins = routed.size();
        if (std::string note = RoutedPinsNote(design.board->Name(), board, routed); !note.empty())
            out.notes.push_back(std::move(note));
    }
    if (const auto problem = CheckBoard(board))
        throw ParseError(design.board->Name(), "", fmt::format("the imported board breaks a board rule at {}: {}",
                                                               problem->place, problem->message));
    return out;
}

EagleImport ReadEagleBoard(const std::string& boardPath, const EagleReadOptions& options)
{
    std::unique_ptr<XmlFile> board = LoadXmlFile(boardPath);
    std::unique_ptr<XmlFile> schematic;
    std::string note;
    if (const auto path = SchematicToRead(boardPath, options.schematic))
        schematic = LoadXmlFile(*path);
    else
        note = fmt::format("{}: read without a schematic ({} not found): no gate or pin swap information, nothing "
                           "will be exchanged",
                           boardPath, SchematicBeside(boardPath));
    EagleImport out = ImportEagle(std::move(board), std::move(schematic), options.unrouted);
    if (!note.empty())
        out.notes.push_back(note);
    return out;
}

}  // namespace lq::eagle
