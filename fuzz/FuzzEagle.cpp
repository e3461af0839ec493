// The Eagle reader on arbitrary bytes: a board, optionally followed by a NUL byte and its
// schematic. It may refuse, never crash, hang or leak; and a pair it reads must write back
// unchanged byte for byte when nothing was swapped.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "app/core/Errors.h"
#include "app/formats/BoardFiles.h"
#include "app/formats/eagle/EagleImport.h"
#include "app/formats/eagle/EagleXml.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    try {
        auto board = std::make_unique<lq::eagle::XmlFile>(input.substr(0, split), "fuzz.brd");
        std::unique_ptr<lq::eagle::XmlFile> schematic;
        if (split != std::string::npos)
            schematic = std::make_unique<lq::eagle::XmlFile>(input.substr(split + 1), "fuzz.sch");
        lq::eagle::EagleImport imported = lq::eagle::ImportEagle(std::move(board), std::move(schematic), false);
        const std::string boardText = imported.design->board->Text();
        const bool exact = imported.design->board->RoundTripsExactly();
        lq::LoadedBoard loaded;
        loaded.path = "fuzz.brd";
        loaded.format = lq::BoardFormat::Eagle;
        loaded.board = imported.board;
        loaded.eagle = std::shared_ptr<lq::eagle::EagleDesign>(std::move(imported.design));
        const lq::SavedBoard saved = lq::SaveBoard(loaded, loaded.board, "out.brd");
        if (exact && (saved.files.empty() || saved.files.front().second != boardText))
            __builtin_trap();
    } catch (const lq::JobError&) {
    } catch (const lq::UsageError&) {
    }
    return 0;
}
