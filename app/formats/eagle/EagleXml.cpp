#include "app/formats/eagle/EagleXml.h"

#include <fmt/core.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>

#include "app/core/Errors.h"
#include "app/core/Printable.h"
#include "app/io/InputFile.h"

namespace lq::eagle {

namespace {

// No end-of-line or attribute-whitespace conversion: they would change bytes that are written
// back unchanged.
constexpr unsigned kParseOptions = pugi::parse_cdata | pugi::parse_escapes | pugi::parse_ws_pcdata | pugi::parse_pi |
                                   pugi::parse_comments | pugi::parse_declaration | pugi::parse_doctype;

// pugixml's memory, counted, with a budget while a file is parsed: a file packed with tiny
// elements and attributes would otherwise take twenty times its size before its node count is
// looked at. Each block carries its size in front, so that freeing it can be counted.
constexpr std::size_t kHeader = alignof(std::max_align_t);
std::size_t g_used = 0;
std::size_t g_budget = SIZE_MAX;

void* Allocate(std::size_t size)
{
    if (size > g_budget || g_used > g_budget - size)
        return nullptr;
    void* block = std::malloc(size + kHeader);
    if (block == nullptr)
        return nullptr;
    *static_cast<std::size_t*>(block) = size;
    g_used += size;
    return static_cast<char*>(block) + kHeader;
}

void Deallocate(void* p)
{
    if (p == nullptr)
        return;
    void* block = static_cast<char*>(p) - kHeader;
    g_used -= *static_cast<std::size_t*>(block);
    std::free(block);
}

// Installs the counting functions once and holds the budget while it lives.
class ParseBudget {
public:
    explicit ParseBudget(std::size_t bytes)
    {
        static const bool installed = (pugi::set_memory_management_functions(Allocate, Deallocate), true);
        (void)installed;
        g_budget = g_used + bytes;
    }
    ~ParseBudget() { g_budget = SIZE_MAX; }
    ParseBudget(const ParseBudget&) = delete;
    ParseBudget& operator=(const ParseBudget&) = delete;
};

struct StringWriter : pugi::xml_writer {
    std::string out;
    void write(const void* data, std::size_t size) override { out.append(static_cast<const char*>(data), size); }
};

std::string Print(const pugi::xml_node& node)
{
    StringWriter w;
    node.print(w, "", pugi::format_raw, pugi::encoding_utf8);
    return std::move(w.out);
}

bool IsBinary(const std::string& text)
{
    if (text.find('\0') != std::string::npos)
        return true;
    const std::size_t n = std::min<std::size_t>(text.size(), 4096);
    for (std::size_t i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
            return true;
    }
    return false;
}

bool IsBlank(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; });
}

bool EqualsIgnoringCase(std::string a, std::string b)
{
    auto lower = [](std::string& s) {
        for (char& c : s)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
    };
    lower(a), lower(b);
    return a == b;
}

}  // namespace

std::string Describe(const pugi::xml_node& node)
{
    const pugi::xml_attribute name = node.attribute("name");
    if (name)
        return fmt::format("<{} name=\"{}\">", Excerpt(node.name()), Excerpt(name.value()));
    return fmt::format("<{}>", Excerpt(node.name()));
}

std::vector<pugi::xml_node> Children(const pugi::xml_node& node, const char* tag)
{
    std::vector<pugi::xml_node> out;
    for (pugi::xml_node child = node.child(tag); child; child = child.next_sibling(tag))
        out.push_back(child);
    return out;
}

namespace {
bool IsBlankText(const pugi::xml_node& node)
{
    return node && node.type() == pugi::node_pcdata && IsBlank(node.value());
}
}  // namespace

pugi::xml_node InsertLine(pugi::xml_node parent, const pugi::xml_node& anchor, const pugi::xml_node& model, const char* tag,
                          const char* newline)
{
    pugi::xml_node after = anchor;
    if (!after && IsBlankText(parent.first_child()))
        after = parent.first_child();
    pugi::xml_node added;
    if (after) {
        added = model ? parent.insert_copy_after(model, after) : parent.insert_child_after(tag, after);
        if (anchor)
            parent.insert_child_before(pugi::node_pcdata, added).set_value(newline);
        else
            parent.insert_child_after(pugi::node_pcdata, added).set_value(newline);
    } else {
        added = model ? parent.prepend_copy(model) : parent.prepend_child(tag);
    }
    return added;
}

void RemoveLine(const pugi::xml_node& node)
{
    pugi::xml_node parent = node.parent();
    const pugi::xml_node next = node.next_sibling();
    if (IsBlankText(next) && (std::string_view(next.value()) == "\n" || std::string_view(next.value()) == "\r\n"))
        parent.remove_child(next);
    parent.remove_child(node);
}

XmlFile::XmlFile(std::string text, std::string name) : m_name(std::move(name)), m_text(std::move(text))
{
    if (IsBlank(m_text))
        throw ParseError(m_name, "", "the file is empty");
    if (IsBinary(m_text))
        throw ParseError(m_name, "", "binary data, not an Eagle XML file");
    // Names go into board files, reports and pictures that must stay valid UTF-8.
    if (const std::size_t bad = FirstInvalidUtf8(m_text); bad != std::string::npos) {
        const std::size_t lineStart = bad == 0 ? std::string::npos : m_text.rfind('\n', bad - 1);
        throw ParseError(m_name, fmt::format("{}:{}", Line(bad), bad - (lineStart == std::string::npos ? 0 : lineStart + 1) + 1),
                         fmt::format("byte 0x{:02X} is not UTF-8; Eagle files are UTF-8 text", static_cast<unsigned char>(m_text[bad])));
    }
    const std::size_t firstBreak = m_text.find('\n');
    if (firstBreak != std::string::npos && firstBreak > 0 && m_text[firstBreak - 1] == '\r')
        m_newline = "\r\n";

    pugi::xml_parse_result r;
    {
        const ParseBudget budget(EagleLimits::ParseBytes(m_text.size()));
        r = m_doc.load_buffer(m_text.data(), m_text.size(), kParseOptions, pugi::encoding_utf8);
    }
    if (r.status == pugi::status_out_of_memory)
        throw ParseError(m_name, "", fmt::format("too dense: its elements and attributes would take more than {} MiB to hold, {} "
                                                 "times its size (Eagle's own files take five to six)",
                                                 EagleLimits::ParseBytes(m_text.size()) >> 20, EagleLimits::kParseBytesPerByte));
    if (!r) {
        const auto offset = std::min(static_cast<std::size_t>(std::max<std::ptrdiff_t>(r.offset, 0)), m_text.size());
        const std::size_t line = static_cast<std::size_t>(Line(offset));
        const std::size_t lineStart = m_text.rfind('\n', offset == 0 ? 0 : offset - 1);
        const std::size_t column = offset - (lineStart == std::string::npos || offset == 0 ? 0 : lineStart + 1) + 1;
        throw ParseError(m_name, fmt::format("{}:{}", line, column), fmt::format("malformed XML: {}", r.description()));
    }
    for (pugi::xml_node n = m_doc.first_child(); n; n = n.next_sibling())
        if (n.type() == pugi::node_declaration) {
            const pugi::xml_attribute encoding = n.attribute("encoding");
            if (encoding && !EqualsIgnoringCase(encoding.value(), "utf-8"))
                throw ParseError(m_name, "1", fmt::format("encoding \"{}\": only UTF-8 Eagle files are read", encoding.value()));
        }
    const pugi::xml_node root = Root();
    if (std::strcmp(root.name(), "eagle") != 0)
        Fail(root, "not an Eagle file: the root element is not <eagle>");
    CheckShape();

    const std::ptrdiff_t nameAt = root.offset_debug();
    if (nameAt > 0 && m_text[static_cast<std::size_t>(nameAt) - 1] == '<') {
        m_rootBegin = static_cast<std::size_t>(nameAt) - 1;
        const std::string printed = Print(root);
        m_exact = m_text.compare(m_rootBegin, printed.size(), printed) == 0;
        m_rootEnd = m_rootBegin + printed.size();
    }
}

// Iterative, so that a deeply nested file cannot exhaust the stack before it is refused.
void XmlFile::CheckShape() const
{
    std::size_t nodes = 0;
    std::size_t depth = 0;
    pugi::xml_node n = m_doc.first_child();
    while (n) {
        if (++nodes > EagleLimits::kNodes)
            Fail(n, fmt::format("more than {} XML nodes", EagleLimits::kNodes));
        if (n.type() == pugi::node_element) {
            if (depth + 1 > EagleLimits::kDepth)
                Fail(n, fmt::format("nested deeper than {} elements", EagleLimits::kDepth));
            for (const pugi::xml_attribute a : n.attributes())
                if (std::strlen(a.value()) > EagleLimits::kTextBytes)
                    Fail(n, fmt::format("attribute {} is longer than {} bytes", a.name(), EagleLimits::kTextBytes));
        }
        if (n.first_child()) {
            n = n.first_child();
            ++depth;
            continue;
        }
        while (n && !n.next_sibling()) {
            n = n.parent();
            if (depth == 0)
                return;
            --depth;
        }
        if (n)
            n = n.next_sibling();
    }
}

int XmlFile::Line(const pugi::xml_node& node) const
{
    const std::ptrdiff_t offset = node.offset_debug();
    if (offset < 0 || static_cast<std::size_t>(offset) >= m_text.size())
        return 0;
    return Line(static_cast<std::size_t>(offset));
}

// Counted when asked, for messages only: a table of line starts would cost more than the tree.
int XmlFile::Line(std::size_t offset) const
{
    return 1 + static_cast<int>(std::count(m_text.begin(), m_text.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

void XmlFile::Fail(const pugi::xml_node& node, const std::string& message) const
{
    const int line = Line(node);
    throw ParseError(m_name, line > 0 ? std::to_string(line) : std::string(), fmt::format("{}: {}", Describe(node), message));
}

std::string XmlFile::Serialise() const
{
    if (m_exact)
        return m_text.substr(0, m_rootBegin) + Print(Root()) + m_text.substr(m_rootEnd);
    StringWriter w;
    m_doc.save(w, "", pugi::format_raw, pugi::encoding_utf8);
    return std::move(w.out);
}

std::unique_ptr<XmlFile> LoadXmlFile(const std::string& path)
{
    return std::make_unique<XmlFile>(ReadInputFile(path, EagleLimits::kFileBytes), path);
}

}  // namespace lq::eagle
