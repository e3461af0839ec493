// An Eagle XML file as read: its bytes, the parsed document, and the places of its nodes, so that
// every complaint names the file and the line, and so that a document written back keeps every
// byte it did not change.
#pragma once
#include <pugixml.hpp>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace lq::eagle {

// What an Eagle file may ask for; more is refused with the place named.
struct EagleLimits {
    static constexpr std::size_t kFileBytes = 64u << 20;
    static constexpr std::size_t kDepth = 32;           // nested elements
    static constexpr std::size_t kNodes = 8'000'000;    // XML nodes in one file
    static constexpr std::size_t kTextBytes = 4096;     // one attribute value
    static constexpr std::size_t kElements = 100000;    // board elements (parts)
    static constexpr std::size_t kPadsPerPackage = 10000;
    static constexpr std::size_t kPins = 1000000;       // pads placed on the board
    static constexpr std::size_t kSignals = 1000000;
    static constexpr std::size_t kCopper = 4000000;     // wires, vias and polygon vertices of signals
    static constexpr std::size_t kVertices = 100000;    // per polygon
    // Memory the parser may take for a file: its copy of the text and the document tree.
    static constexpr std::size_t kParseBytesPerByte = 8;
    static constexpr std::size_t ParseBytes(std::size_t fileBytes) { return kParseBytesPerByte * fileBytes + (4u << 20); }
};

class XmlFile {
public:
    // Parses text, which came from the file called name. Throws ParseError for an empty or
    // binary file, malformed XML (with line and column), an encoding other than UTF-8, a root
    // other than <eagle>, or a document beyond the limits.
    XmlFile(std::string text, std::string name);
    XmlFile(const XmlFile&) = delete;
    XmlFile& operator=(const XmlFile&) = delete;

    const std::string& Name() const { return m_name; }
    const std::string& Text() const { return m_text; }
    pugi::xml_node Root() const { return m_doc.document_element(); }

    // The 1-based line of a node in the original text (0 when unknown, e.g. for added nodes).
    // Counted on each call: for messages.
    int Line(const pugi::xml_node& node) const;
    // Throws ParseError "name:line: <tag name="...">: message".
    [[noreturn]] void Fail(const pugi::xml_node& node, const std::string& message) const;

    // The document as it is now. Everything outside the root element is the original text, and
    // when pugixml reproduced the unchanged root exactly (checked on loading), untouched parts
    // of the tree come out byte for byte as they were read.
    std::string Serialise() const;
    bool RoundTripsExactly() const { return m_exact; }
    // The file's line break, "\r\n" or "\n", for lines added to it.
    const char* Newline() const { return m_newline; }

private:
    void CheckShape() const;
    int Line(std::size_t offset) const;

    std::string m_name;
    std::string m_text;
    pugi::xml_document m_doc;
    std::size_t m_rootBegin = 0;
    std::size_t m_rootEnd = 0;
    bool m_exact = false;
    const char* m_newline = "\n";
};

// Reads and parses a file. Throws IoError when it cannot be read, ParseError otherwise.
std::unique_ptr<XmlFile> LoadXmlFile(const std::string& path);

// "<tag name="value">" for messages; "<tag>" for nodes without a name.
std::string Describe(const pugi::xml_node& node);

// The child elements of node with the given tag, in document order.
std::vector<pugi::xml_node> Children(const pugi::xml_node& node, const char* tag);

// Edits that keep Eagle's one element per line. A copy of model (or a new element named tag when
// model is null) on a line of its own after anchor, or first in parent when anchor is null.
pugi::xml_node InsertLine(pugi::xml_node parent, const pugi::xml_node& anchor, const pugi::xml_node& model, const char* tag,
                          const char* newline);
// Removes node and the line break that followed it.
void RemoveLine(const pugi::xml_node& node);

}  // namespace lq::eagle
