#include "app/play/BoardSource.h"

#include "app/formats/BoardFiles.h"
#include "app/formats/BoardJson.h"
#include "app/core/Errors.h"

namespace lq {

// Eagle and KiCad boards open with the schematic beside them; saving stays board JSON.
Board OpenBoardFile(const std::string& path, const BoardReadOptions& options) { return LoadBoard(path, options).board; }

std::vector<std::string> BoardFilesRead(const std::string& path, const BoardReadOptions& options)
{
    try {
        return BoardInputs(path, options);
    } catch (const JobError&) {
        return {path};
    }
}

std::optional<std::string> BoardOutputProblem(const std::string& path)
{
    if (!path.ends_with(".json"))
        return "boards are saved as Quillon board JSON; give a name ending in .json, such as after.qbrd.json";
    return std::nullopt;
}

std::string BoardFileText(const Board& board, const std::string&) { return WriteBoardJson(board); }

}  // namespace lq
