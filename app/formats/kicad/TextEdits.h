// Edits of a file's bytes in place: replacements of byte ranges, applied at once, so that every
// byte outside them stays as it was.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "app/formats/kicad/Sexpr.h"

namespace lq::kicad {

class TextEdits {
public:
    void Replace(std::size_t begin, std::size_t end, std::string text);
    void Replace(const SexprFile& file, NodeId node, std::string text) { Replace(file.Begin(node), file.End(node), std::move(text)); }
    // Removes the node: its whole line when it stands alone on one, else with the blank space
    // that separates it from its neighbours.
    void Remove(const SexprFile& file, NodeId node);
    // Puts text before the node, separated from it as the node is from what precedes it.
    void InsertBefore(const SexprFile& file, NodeId node, const std::string& text);

    bool Empty() const { return m_edits.empty(); }
    // The text with every edit made. Throws std::logic_error when two edits overlap.
    std::string Apply(const std::string& text) const;

private:
    struct Edit {
        std::size_t begin;
        std::size_t end;
        std::string text;
    };
    std::vector<Edit> m_edits;
};

}  // namespace lq::kicad
