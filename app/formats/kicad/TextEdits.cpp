#include "app/formats/kicad/TextEdits.h"

#include <algorithm>
#include <stdexcept>

namespace lq::kicad {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Where the blank space before offset starts.
std::size_t BlankBefore(const std::string& text, std::size_t offset)
{
    while (offset > 0 && IsBlank(text[offset - 1]))
        --offset;
    return offset;
}

}  // namespace

void TextEdits::Replace(std::size_t begin, std::size_t end, std::string text)
{
    m_edits.push_back(Edit{begin, end, std::move(text)});
}

void TextEdits::Remove(const SexprFile& file, NodeId node)
{
    const std::string& text = file.Text();
    std::size_t begin = file.Begin(node), end = file.End(node);
    std::size_t indent = begin;
    while (indent > 0 && (text[indent - 1] == ' ' || text[indent - 1] == '\t'))
        --indent;
    std::size_t after = end;
    while (after < text.size() && (text[after] == ' ' || text[after] == '\t'))
        ++after;
    const bool startsLine = indent == 0 || text[indent - 1] == '\n';
    const bool endsLine = after == text.size() || text[after] == '\n' || text[after] == '\r';
    if (startsLine && endsLine && indent > 0)
        begin = indent - 1 - (indent >= 2 && text[indent - 2] == '\r' ? 1 : 0);  // the line goes, with its line break
    else if (startsLine)
        end = after;  // what follows on the line keeps the indentation
    else
        begin = indent;
    Replace(begin, end, "");
}

void TextEdits::InsertBefore(const SexprFile& file, NodeId node, const std::string& text)
{
    const std::size_t at = file.Begin(node);
    const std::size_t blank = BlankBefore(file.Text(), at);
    const std::string separator = blank == at ? " " : file.Text().substr(blank, at - blank);
    Replace(at, at, text + separator);
}

std::string TextEdits::Apply(const std::string& text) const
{
    std::vector<const Edit*> order;
    for (const Edit& e : m_edits)
        order.push_back(&e);
    std::stable_sort(order.begin(), order.end(), [](const Edit* a, const Edit* b) { return a->begin < b->begin; });
    std::string out;
    out.reserve(text.size());
    std::size_t at = 0;
    for (const Edit* e : order) {
        if (e->begin < at || e->end < e->begin || e->end > text.size())
            throw std::logic_error("overlapping edits of one file");
        out.append(text, at, e->begin - at);
        out += e->text;
        at = e->end;
    }
    out.append(text, at, std::string::npos);
    return out;
}

}  // namespace lq::kicad
