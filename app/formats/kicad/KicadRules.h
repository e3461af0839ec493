// Which units of a KiCad symbol may take each other's places and which pins of a unit may
// exchange nets: no KiCad file says, so lqhost brings a library of swap rules for common parts
// (docs/kicad.md gives the format) and reads more from --rules files, which come first.
#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/formats/kicad/Sexpr.h"

namespace lq::kicad {

// Pins of a unit chosen by electrical type, by name or by number (patterns as for symbols).
struct PinSelector {
    enum class By { Type, Name, Number } by = By::Type;
    std::vector<std::string> patterns;
};

struct SwapRule {
    std::string name;
    std::vector<std::string> symbols;  // patterns: "74%00", "Device:R_Pack04"
    bool gates = true;                 // units with the same pins may take each other's places
    bool acrossPackages = false;       // also between parts of the same symbol, value and footprint
    std::vector<std::vector<PinSelector>> pinGroups;  // each: pins of a unit that may exchange nets
    bool user = false;                 // from a --rules file, not the library
    std::string place;                 // "file:line"
};

class SwapRules {
public:
    // The library that lqhost brings.
    SwapRules();
    // Reads a --rules file; its rules come before all earlier ones. Throws ParseError
    // "file:line:column: ..." for anything that is not a rule as documented.
    void AddUserFile(const std::string& path, std::string text);
    // The first rule whose symbol pattern matches the library id ("4xxx:40106"), or null.
    const SwapRule* Find(const std::string& libId) const;

private:
    void Read(const SexprFile& file, bool user);

    std::vector<SwapRule> m_user;
    std::vector<SwapRule> m_library;
};

// Whether a symbol or pin pattern matches, ignoring letter case: "*" any run of characters, "?"
// one, "%" a run of letters (possibly none). A pattern with ":" matches the whole library id,
// one without matches the symbol's name; the name may go on after the pattern with anything
// that does not start with a digit ("74%00" matches 74HC00D, not 74LS002).
bool SymbolMatches(std::string_view pattern, std::string_view libId);
bool PinMatches(std::string_view pattern, std::string_view text);

}  // namespace lq::kicad
