// A KiCad file as read: its bytes and a tree of lists and atoms over them, each node knowing the
// bytes it came from. Nothing is copied or decoded until asked for, so reading is one linear pass,
// every complaint can name the file, line and column, and a file written back can keep every byte
// it does not change.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lq::kicad {

using NodeId = std::uint32_t;
constexpr NodeId kNoNode = ~NodeId{0};

// What a KiCad file may ask for; more is refused with the place named.
struct SexprLimits {
    static constexpr std::size_t kFileBytes = 128u << 20;
    static constexpr std::size_t kDepth = 64;            // lists inside lists
    static constexpr std::size_t kNodes = 24'000'000;    // lists and atoms in one file
};

class SexprFile {
public:
    // Parses text, which came from the file called name. Throws ParseError "name:line:column:
    // ..." for an empty or binary file, an unbalanced parenthesis, an unterminated string, a file
    // cut short, text after the one top-level list, or a file beyond the limits.
    // With comments, a ';' outside a string starts a comment that runs to the end of the line
    // (lqhost's own files; KiCad's have none).
    SexprFile(std::string text, std::string name, bool comments = false);
    SexprFile(const SexprFile&) = delete;
    SexprFile& operator=(const SexprFile&) = delete;

    const std::string& Name() const { return m_name; }
    const std::string& Text() const { return m_text; }
    NodeId Root() const { return 0; }
    std::size_t NodeCount() const { return m_nodes.size(); }

    bool IsList(NodeId n) const { return m_text[m_nodes[n].begin] == '('; }
    bool IsString(NodeId n) const { return m_text[m_nodes[n].begin] == '"'; }
    // A bare word or number (not a list, not a quoted string).
    bool IsSymbol(NodeId n) const { return !IsList(n) && !IsString(n); }

    std::size_t Begin(NodeId n) const { return m_nodes[n].begin; }
    std::size_t End(NodeId n) const { return m_nodes[n].end; }
    std::string_view Raw(NodeId n) const { return std::string_view(m_text).substr(Begin(n), End(n) - Begin(n)); }

    // A list's first element and an element's next sibling; kNoNode at the end.
    NodeId First(NodeId list) const { return m_nodes[list].first; }
    NodeId Next(NodeId n) const { return m_nodes[n].next; }

    // The list's head word ("footprint" for (footprint ...)); empty when it has none.
    std::string_view Head(NodeId list) const;
    // The k-th element after the head, or kNoNode.
    NodeId Arg(NodeId list, std::size_t k) const;
    // The first child list with that head, or kNoNode.
    NodeId Child(NodeId list, std::string_view head) const;
    std::vector<NodeId> Children(NodeId list, std::string_view head) const;
    // Whether the list holds the bare word (such as "hide" or "locked") among its elements.
    bool HasWord(NodeId list, std::string_view word) const;

    // An atom's value: a string with KiCad's escapes undone, a bare word as it is.
    std::string Value(NodeId atom) const;

    // 1-based line and column (in bytes) of a byte offset.
    std::pair<int, int> Place(std::size_t offset) const;
    // Throws ParseError "name:line:column: message" at the node.
    [[noreturn]] void Fail(NodeId n, const std::string& message) const;
    [[noreturn]] void FailAt(std::size_t offset, const std::string& message) const;

private:
    struct Node {
        std::uint32_t begin;
        std::uint32_t end;
        NodeId first;
        NodeId next;
    };
    void Parse(bool comments);

    std::string m_name;
    std::string m_text;
    std::vector<Node> m_nodes;
    std::vector<std::size_t> m_lineStarts;
};

// A text as KiCad writes a string: in quotes, with \" \\ and control characters escaped.
std::string Quote(std::string_view text);

}  // namespace lq::kicad
