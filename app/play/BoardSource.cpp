#include "app/play/BoardSource.h"

#include "app/formats/BoardFiles.h"
#include "app/formats/BoardJson.h"

namespace lq {

namespace {
bool EndsWith(const std::string& s, const std::string& suffix)
{
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}
}  // namespace

// Eagle boards open with the schematic beside them; saving stays board JSON.
Board OpenBoardFile(const std::string& path) { return LoadBoard(path, BoardReadOptions{}).board; }

std::optional<std::string> BoardOutputProblem(const std::string& path)
{
    if (!EndsWith(path, ".json"))
        return "boards are saved as Quillon board JSON; give a name ending in .qbrd.json";
    return std::nullopt;
}

std::string BoardFileText(const Board& board, const std::string&) { return WriteBoardJson(board); }

}  // namespace lq
