// The KiCad reader on arbitrary bytes: a board, optionally followed by a NUL byte and its root
// schematic, and by another NUL byte and a sub-sheet the root may name as "sub.kicad_sch". It
// may refuse, never crash, hang or leak; and a project it reads must write back unchanged, byte
// for byte, when nothing was swapped.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "app/core/Errors.h"
#include "app/formats/kicad/KicadImport.h"
#include "app/formats/kicad/KicadWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::map<std::string, std::string> files;
    const std::size_t first = input.find('\0');
    files["fuzz.kicad_pcb"] = input.substr(0, first);
    if (first != std::string::npos) {
        const std::size_t second = input.find('\0', first + 1);
        files["fuzz.kicad_sch"] = input.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
        if (second != std::string::npos)
            files["sub.kicad_sch"] = input.substr(second + 1);
    }
    const lq::kicad::FileReader read = [&](const std::string& path) -> std::optional<std::string> {
        const auto it = files.find(path);
        return it == files.end() ? std::nullopt : std::optional<std::string>(it->second);
    };
    lq::kicad::KicadReadOptions options;
    if (files.count("fuzz.kicad_sch") != 0)
        options.schematic = "fuzz.kicad_sch";
    try {
        const lq::kicad::KicadImport imported = lq::kicad::ReadKicadBoard("fuzz.kicad_pcb", options, read);
        const lq::kicad::KicadOutput out = lq::kicad::WriteKicad(*imported.design, imported.board, imported.board);
        if (out.board != files["fuzz.kicad_pcb"])
            __builtin_trap();
        for (const auto& [path, text] : out.schematics)
            if (text != files[path])
                __builtin_trap();
    } catch (const lq::JobError&) {
    } catch (const lq::UsageError&) {
    }
    return 0;
}
