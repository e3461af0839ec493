// The Quillon board file (.qbrd.json): reading with every error placed by its JSON path, and
// writing in one canonical layout, so that reading and writing a canonical file gives the same
// bytes. docs/board-format.md describes the fields.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "app/model/Board.h"

namespace lq {

constexpr const char* kBoardFormatName = "quillon-board";
constexpr int kBoardFormatVersion = 1;

// What a board file may hold; more is refused before anything reaches the host.
struct BoardLimits {
    static constexpr std::size_t kFileBytes = 64u << 20;
    static constexpr std::size_t kTextBytes = 1024;
    static constexpr std::size_t kAttributes = 256;  // per part or pin
    static constexpr std::size_t kParts = 100000;
    static constexpr std::size_t kPinsPerPart = 10000;
    static constexpr std::size_t kPins = 1000000;  // on the whole board
    static constexpr std::size_t kNets = 1000000;
    static constexpr std::size_t kCopper = 1000000;  // tracks, vias and polygons together
    static constexpr std::size_t kPolygonPoints = 100000;
};

// Parses the text of a board file, checking each value as it arrives, so that time grows
// linearly with the text and memory with the board. fileName names the file in errors. Throws
// ParseError ("file:/json/path: message", or "file:line:column: ..." for malformed JSON and
// for anything after the board).
Board ParseBoardJson(std::string_view text, const std::string& fileName);

// Reads and parses a board file. Throws IoError when it cannot be read, ParseError when it is
// not a sound board.
Board ReadBoardFile(const std::string& path);

// The board in the canonical layout, ending with a newline.
std::string WriteBoardJson(const Board& board);

}  // namespace lq
