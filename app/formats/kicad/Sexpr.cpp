#include "app/formats/kicad/Sexpr.h"

#include <fmt/core.h>

#include <algorithm>

#include "app/core/Errors.h"

namespace lq::kicad {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool IsControl(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 && c != '\t' && c != '\n' && c != '\r';
}

bool IsDelimiter(char c) { return IsSpace(c) || c == '(' || c == ')' || c == '"'; }

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

SexprFile::SexprFile(std::string text, std::string name, bool comments)
    : m_name(std::move(name)), m_text(std::move(text))
{
    m_lineStarts.push_back(0);
    if (m_text.size() > SexprLimits::kFileBytes)
        FailAt(0, fmt::format("the file has {} bytes; at most {} are read", m_text.size(), SexprLimits::kFileBytes));
    for (std::size_t i = 0; i < m_text.size(); ++i)
        if (m_text[i] == '\n')
            m_lineStarts.push_back(i + 1);
    Parse(comments);
}

void SexprFile::Parse(bool comments)
{
    const std::size_t size = m_text.size();
    const char* t = m_text.data();
    auto skip = [&](std::size_t i) {
        while (i < size && (IsSpace(t[i]) || (comments && t[i] == ';'))) {
            if (t[i] == ';')
                while (i < size && t[i] != '\n')
                    ++i;
            else
                ++i;
        }
        return i;
    };
    std::size_t i = skip(0);
    if (i == size)
        FailAt(0, "the file is empty");
    m_nodes.reserve(std::min<std::size_t>(size / 6 + 16, SexprLimits::kNodes));

    // The open lists, innermost last, and the last element added to each.
    std::vector<std::pair<NodeId, NodeId>> open;
    auto add = [&](std::size_t begin, std::size_t end) {
        if (m_nodes.size() >= SexprLimits::kNodes)
            FailAt(begin, fmt::format("more than {} lists and atoms in one file", SexprLimits::kNodes));
        const auto id = static_cast<NodeId>(m_nodes.size());
        m_nodes.push_back(Node{static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(end), kNoNode, kNoNode});
        if (!open.empty()) {
            auto& [list, last] = open.back();
            if (last == kNoNode)
                m_nodes[list].first = id;
            else
                m_nodes[last].next = id;
            last = id;
        }
        return id;
    };

    bool done = false;
    while (i < size) {
        const char c = t[i];
        if (IsSpace(c) || (comments && c == ';')) {
            i = skip(i);
            continue;
        }
        if (IsControl(c))
            FailAt(i, fmt::format("binary data (byte 0x{:02x}), not a KiCad file", static_cast<unsigned char>(c)));
        if (c == ')' && open.empty())
            FailAt(i, "a ')' that closes no '('");
        if (done)
            FailAt(i, "text after the end of the file's one top-level list");
        if (open.empty() && c != '(')
            FailAt(i, "not a KiCad file: it does not start with '('");
        if (c == '(') {
            if (open.size() >= SexprLimits::kDepth)
                FailAt(i, fmt::format("lists nested more than {} deep", SexprLimits::kDepth));
            const NodeId id = add(i, i);
            open.emplace_back(id, kNoNode);
            ++i;
        } else if (c == ')') {
            m_nodes[open.back().first].end = static_cast<std::uint32_t>(i + 1);
            open.pop_back();
            done = open.empty();
            ++i;
        } else if (c == '"') {
            std::size_t j = i + 1;
            // KiCad writes a line break in a string as \n; a raw one means the quote is never closed.
            while (j < size && t[j] != '"' && t[j] != '\n') {
                if (IsControl(t[j]))
                    FailAt(j, fmt::format("binary data (byte 0x{:02x}), not a KiCad file", static_cast<unsigned char>(t[j])));
                j += t[j] == '\\' && j + 1 < size ? 2 : 1;
            }
            if (j >= size || t[j] != '"')
                FailAt(i, "the string that starts here is never closed");
            add(i, j + 1);
            i = j + 1;
        } else {
            std::size_t j = i;
            while (j < size && !IsDelimiter(t[j]) && !(comments && t[j] == ';')) {
                if (IsControl(t[j]))
                    FailAt(j, fmt::format("binary data (byte 0x{:02x}), not a KiCad file", static_cast<unsigned char>(t[j])));
                ++j;
            }
            add(i, j);
            i = j;
        }
    }
    if (!open.empty())
        FailAt(m_nodes[open.back().first].begin, "the file ends before the list opened here is closed");
}

std::string_view SexprFile::Head(NodeId list) const
{
    const NodeId first = First(list);
    return first != kNoNode && IsSymbol(first) ? Raw(first) : std::string_view();
}

NodeId SexprFile::Arg(NodeId list, std::size_t k) const
{
    NodeId n = First(list);
    if (n == kNoNode)
        return kNoNode;
    for (n = Next(n); n != kNoNode && k > 0; --k)
        n = Next(n);
    return n;
}

NodeId SexprFile::Child(NodeId list, std::string_view head) const
{
    for (NodeId n = First(list); n != kNoNode; n = Next(n))
        if (IsList(n) && Head(n) == head)
            return n;
    return kNoNode;
}

std::vector<NodeId> SexprFile::Children(NodeId list, std::string_view head) const
{
    std::vector<NodeId> out;
    for (NodeId n = First(list); n != kNoNode; n = Next(n))
        if (IsList(n) && Head(n) == head)
            out.push_back(n);
    return out;
}

bool SexprFile::HasWord(NodeId list, std::string_view word) const
{
    for (NodeId n = First(list); n != kNoNode; n = Next(n))
        if (IsSymbol(n) && Raw(n) == word)
            return true;
    return false;
}

std::string SexprFile::Value(NodeId atom) const
{
    const std::string_view raw = Raw(atom);
    if (!IsString(atom))
        return std::string(raw);
    // KiCad's escapes: \" \\ \a \b \f \n \r \t \v, \x with up to two hex digits, \ with up to three
    // octal digits; any other escaped character stands for the backslash and itself.
    std::string out;
    out.reserve(raw.size());
    const std::string_view s = raw.substr(1, raw.size() - 2);
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        const char e = s[++i];
        switch (e) {
        case '"': case '\\': out += e; break;
        case 'a': out += '\a'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'v': out += '\v'; break;
        case 'x': {
            int v = 0, digits = 0;
            while (digits < 2 && i + 1 < s.size() && HexDigit(s[i + 1]) >= 0)
                v = v * 16 + HexDigit(s[++i]), ++digits;
            if (digits == 0)
                out += "\\x";
            else
                out += static_cast<char>(v);
            break;
        }
        default:
            if (e >= '0' && e <= '7') {
                int v = e - '0', digits = 1;
                while (digits < 3 && i + 1 < s.size() && s[i + 1] >= '0' && s[i + 1] <= '7')
                    v = v * 8 + (s[++i] - '0'), ++digits;
                out += static_cast<char>(v & 0xFF);
            } else {
                out += '\\';
                out += e;
            }
        }
    }
    return out;
}

std::pair<int, int> SexprFile::Place(std::size_t offset) const
{
    const auto it = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), offset);
    const auto line = static_cast<std::size_t>(it - m_lineStarts.begin());
    return {static_cast<int>(line), static_cast<int>(offset - m_lineStarts[line - 1] + 1)};
}

void SexprFile::Fail(NodeId n, const std::string& message) const { FailAt(Begin(n), message); }

void SexprFile::FailAt(std::size_t offset, const std::string& message) const
{
    const auto [line, column] = Place(offset);
    throw ParseError(m_name, fmt::format("{}:{}", line, column), message);
}

std::string Quote(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (IsControl(c))
                out += fmt::format("\\x{:02x}", static_cast<unsigned char>(c));
            else
                out += c;
        }
    }
    return out + "\"";
}

}  // namespace lq::kicad
