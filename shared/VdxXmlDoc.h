#pragma once
// The XML layer under "Users.xml" and "Settings.xml".
//
// Reading parses strictly with libxml2 and copies the document into a small
// value tree; every name and text comes back as the file's Latin-1 bytes.
// Writing builds the file by hand so its bytes are exactly ours: declaration,
// one TAB per level, CR LF after every line.

#include <cstddef>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vdx {

// The largest file the XML layer reads: far above any file the programs
// write (a user takes about 130 bytes), far below what would exhaust memory.
inline constexpr std::size_t kMaxXmlDocumentBytes = 16u << 20;

// A document that is not well-formed, has a DOCTYPE, is too large (over
// kMaxXmlDocumentBytes, or a tree that would take over 128 MiB once copied,
// as deep nesting of much text does), has an element with more than 256
// attributes, or cannot be parsed.
class XmlParseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A value holding a byte XML 1.0 cannot store (NUL and the control bytes
// other than TAB, LF and CR), or a tree that cannot be written as asked.
class XmlWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct XmlAttribute {
    std::string Name;
    std::string Value;

    bool operator==(const XmlAttribute&) const = default;
};

// ---------------------------------------------------------------- reading

enum class XmlNodeKind {
    Element,
    BlankText, // a text node of blanks, TABs, CRs and LFs only
    Other      // text that is not blank, CDATA, comment, processing instruction ...
};

// One node of a parsed document, copied out of the parser.
struct XmlNode {
    XmlNodeKind Kind = XmlNodeKind::Element;
    std::string Name;                     // element name; empty for other kinds
    std::vector<XmlAttribute> Attributes; // document order, values with references resolved
    // Element: the text of every text and CDATA node below it, concatenated.
    // Text and CDATA nodes: their text. Other kinds: empty.
    std::string Text;
    std::vector<XmlNode> Children; // every child node in document order

    bool IsElement() const { return Kind == XmlNodeKind::Element; }
    // First child element whose name equals name without regard to ASCII
    // case; nullptr when there is none.
    const XmlNode* FindChild(std::string_view name) const;
    // Value of the first attribute whose name equals name without regard to
    // ASCII case; nullopt when there is none.
    std::optional<std::string> Attribute(std::string_view name) const;
};

// Parses bytes as an ISO-8859-1 document and returns its root element.
// A leading UTF-8 byte-order mark is skipped. Only the five predefined
// entities and character references are resolved; character references above
// 255 come back as "?". Throws XmlParseError.
XmlNode ParseXml(std::string_view bytes);

// Reads and parses the file at path. nullopt when there is no file of that
// name (a folder of that name counts as none); throws vdx::os::FileError when
// it exists but cannot be read or is no plain file (FIFO, device ...),
// XmlParseError when it is not a document we accept.
std::optional<XmlNode> LoadXmlFile(const std::string& path);

// The two halves of LoadXmlFile, for a reader that must parse exactly the
// bytes it read: the file's bytes in one bounded read (nullopt when there is
// no file; throws as LoadXmlFile does), and their parse, whose error names
// path.
std::optional<std::string> ReadXmlFileBytes(const std::string& path);
XmlNode ParseXmlFile(const std::string& path, std::string_view bytes);

// Reads bytes as ParseXml does, without keeping a tree: visit(depth, node) is
// called for every node of the root element down to maxDepth levels below it
// (the root itself is depth 0), in document order. Each node comes without its
// children, an element also without its Text, and lives only for the call.
// Throws XmlParseError as ParseXml does, also after visits, when the document
// proves not to be one we accept; what visit throws goes through.
void ReadXmlNodes(std::string_view bytes, int maxDepth,
                  const std::function<void(int depth, const XmlNode& node)>& visit);
// ReadXmlNodes with errors that name path.
void ReadXmlFileNodes(const std::string& path, std::string_view bytes, int maxDepth,
                      const std::function<void(int depth, const XmlNode& node)>& visit);

// ---------------------------------------------------------------- writing

// An element to write: attributes in insertion order, and either text or
// child elements (not both).
struct XmlElement {
    std::string Name;
    std::vector<XmlAttribute> Attributes;
    std::string Text;
    std::vector<XmlElement> Children;

    XmlElement() = default;
    explicit XmlElement(std::string name, std::string text = {})
        : Name(std::move(name)), Text(std::move(text)) {}

    // Appends an attribute and returns *this for chaining.
    XmlElement& AddAttribute(std::string name, std::string value);
    // Appends a child element and returns it. The reference is valid until the
    // next child is added to this element.
    XmlElement& AddChild(std::string name, std::string text = {});

    // The whole document with this element as its root:
    //   <?xml version="1.0" encoding="UTF-8"?> CR LF, then the element tree,
    // "<Name/>" when empty, "<Name>text</Name>" with text, children on their
    // own lines one TAB deeper. Throws XmlWriteError for a value that cannot be
    // stored or an element with both text and children.
    std::string Serialize() const;
    // Serialize() written through vdx::os::WriteFileAtomically: the old file
    // stays whole on failure. Throws XmlWriteError or vdx::os::FileError.
    void SaveToFile(const std::string& path) const;
};

// Text and attribute values escaped for writing: & < > " ' as entities, TAB,
// LF, CR as character references, bytes of 128 and above raw. Throws
// XmlWriteError for NUL and the other control bytes below 32.
std::string XmlEscape(std::string_view text);

} // namespace vdx
