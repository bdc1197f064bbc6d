#include "shared/VdxXmlDoc.h"

#include "platform/os/ascii.h"
#include "platform/os/atomic_file.h"
#include "platform/os/file_error.h"
#include "platform/os/read_file.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlversion.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>

namespace vdx {

namespace {

// ------------------------------------------------------------ reading

std::once_flag g_parserInit;

// What the copied tree may take, nodes and strings. Every element carries
// the text below it, so nesting multiplies the copies: a few megabytes of text
// under 250 levels would need gigabytes. A users file of the largest size
// accepted takes well under this.
constexpr std::size_t kMaxCopiedBytes = 128u << 20;
// Attributes one element may have. The parser checks each attribute of a tag
// against all before it, so a tag with a million of them would take hours;
// the files hold at most seven.
constexpr std::size_t kMaxAttributes = 256;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// libxml2 hands out UTF-8; the files are read as ISO-8859-1, so every code
// point of the document is below 256 except those of character references
// above 255, which have no byte and become "?".
std::string ToLatin1(const xmlChar* utf8) {
    std::string out;
    if (!utf8)
        return out;
    const auto* p = reinterpret_cast<const unsigned char*>(utf8);
    while (*p) {
        unsigned cp = *p;
        int extra = 0;
        if (cp >= 0xF0) {
            cp &= 0x07;
            extra = 3;
        } else if (cp >= 0xE0) {
            cp &= 0x0F;
            extra = 2;
        } else if (cp >= 0xC0) {
            cp &= 0x1F;
            extra = 1;
        }
        ++p;
        for (; extra > 0 && (*p & 0xC0) == 0x80; --extra, ++p)
            cp = (cp << 6) | (*p & 0x3F);
        out += cp <= 0xFF ? static_cast<char>(cp) : '?';
    }
    return out;
}

std::string QualifiedName(const xmlNs* ns, const xmlChar* name) {
    std::string result;
    if (ns && ns->prefix) {
        result = ToLatin1(ns->prefix);
        result += ':';
    }
    return result + ToLatin1(name);
}

bool IsBlank(std::string_view text) {
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            return false;
    return true;
}

std::string AttributeValue(const xmlAttr* attr) {
    std::string value;
    for (const xmlNode* n = attr->children; n; n = n->next)
        if (n->type == XML_TEXT_NODE)
            value += ToLatin1(n->content);
    return value;
}

// Whether some tag of the document has more than kMaxAttributes attributes,
// told before the parser sees it. Inside a tag and outside quotes each "="
// joins an attribute to its value; comments, CDATA and processing
// instructions are passed over. Exact for well-formed documents; the parser
// refuses the others anyway.
bool HasTooManyAttributes(std::string_view doc) {
    const auto skipPast = [&doc](std::size_t from, std::string_view end) {
        const std::size_t at = doc.find(end, from);
        return at == std::string_view::npos ? doc.size() : at + end.size();
    };
    std::size_t i = 0;
    while ((i = doc.find('<', i)) != std::string_view::npos) {
        const std::string_view rest = doc.substr(i);
        if (rest.starts_with("<!--")) {
            i = skipPast(i + 4, "-->");
        } else if (rest.starts_with("<![CDATA[")) {
            i = skipPast(i + 9, "]]>");
        } else if (rest.starts_with("<?")) {
            i = skipPast(i + 2, "?>");
        } else {
            std::size_t count = 0;
            char quote = 0;
            for (++i; i < doc.size(); ++i) {
                const char c = doc[i];
                if (quote != 0) {
                    if (c == quote)
                        quote = 0;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '=') {
                    if (++count > kMaxAttributes)
                        return true;
                } else if (c == '>') {
                    break;
                }
            }
        }
    }
    return false;
}

// Whether the prolog holds a DOCTYPE, told before the parser sees it and
// parses its internal subset. Only the declaration, comments, processing
// instructions and blanks may stand before it.
bool HasDoctype(std::string_view doc) {
    std::size_t i = 0;
    for (;;) {
        while (i < doc.size() &&
               (doc[i] == ' ' || doc[i] == '\t' || doc[i] == '\r' || doc[i] == '\n'))
            ++i;
        const std::string_view rest = doc.substr(i);
        const auto past = [&](std::string_view end) {
            const std::size_t at = doc.find(end, i);
            return at == std::string_view::npos ? doc.size() : at + end.size();
        };
        if (rest.starts_with("<?"))
            i = past("?>");
        else if (rest.starts_with("<!--"))
            i = past("-->");
        else
            return rest.starts_with("<!DOCTYPE");
    }
}

// What copying src takes, nodes and strings, counted on the parser's tree
// before anything is copied. textCopies is how many strings will hold each
// byte of text: the text node itself and every element above it.
std::size_t CopyCost(const xmlNode* src, std::size_t textCopies) {
    const auto length = [](const xmlChar* s) {
        return s ? std::strlen(reinterpret_cast<const char*>(s)) : 0;
    };
    std::size_t cost = sizeof(XmlNode);
    switch (src->type) {
    case XML_ELEMENT_NODE:
        cost += length(src->name);
        for (const xmlAttr* a = src->properties; a; a = a->next) {
            cost += sizeof(XmlAttribute) + length(a->name);
            for (const xmlNode* n = a->children; n; n = n->next)
                cost += length(n->content);
        }
        for (const xmlNode* c = src->children; c; c = c->next)
            cost += CopyCost(c, textCopies + 1);
        break;
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
        cost += length(src->content) * textCopies;
        break;
    default:
        break;
    }
    return cost;
}

XmlNode CopyNode(const xmlNode* src) {
    XmlNode node;
    switch (src->type) {
    case XML_ELEMENT_NODE:
        node.Kind = XmlNodeKind::Element;
        node.Name = QualifiedName(src->ns, src->name);
        for (const xmlAttr* a = src->properties; a; a = a->next)
            node.Attributes.push_back({QualifiedName(a->ns, a->name), AttributeValue(a)});
        for (const xmlNode* c = src->children; c; c = c->next) {
            XmlNode child = CopyNode(c);
            node.Text += child.Text; // comments and PIs carry no text
            node.Children.push_back(std::move(child));
        }
        break;
    case XML_TEXT_NODE:
        node.Text = ToLatin1(src->content);
        node.Kind = IsBlank(node.Text) ? XmlNodeKind::BlankText : XmlNodeKind::Other;
        break;
    case XML_CDATA_SECTION_NODE:
        node.Kind = XmlNodeKind::Other;
        node.Text = ToLatin1(src->content);
        break;
    default:
        node.Kind = XmlNodeKind::Other;
        break;
    }
    return node;
}

struct ParseState {
    bool doctype = false;
};

// A DOCTYPE is refused the moment it starts, before its internal subset
// can declare a single entity.
void RefuseDoctype(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
    auto* ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    static_cast<ParseState*>(ctxt->_private)->doctype = true;
    xmlStopParser(ctxt);
}

// Errors are collected from the context, not printed.
#if LIBXML_VERSION >= 21200
void IgnoreError(void*, const xmlError*) {}
#else
void IgnoreError(void*, xmlErrorPtr) {}
#endif

struct CtxtDeleter {
    void operator()(xmlParserCtxt* c) const { xmlFreeParserCtxt(c); }
};
struct DocDeleter {
    void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};

std::string ParseErrorText(const xmlParserCtxt* ctxt) {
    const xmlError* err = xmlCtxtGetLastError(const_cast<xmlParserCtxt*>(ctxt));
    if (!err || !err->message)
        return "the document is not well-formed";
    std::string message = err->message;
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    if (err->line > 0)
        message += " (line " + std::to_string(err->line) + ")";
    return message;
}

// ToLatin1 for a string of known length, into out (its capacity kept): most
// of a users file is ASCII, which needs no decoding.
void AssignLatin1(std::string& out, const xmlChar* utf8, std::size_t length) {
    const auto* p = reinterpret_cast<const unsigned char*>(utf8);
    const auto* end = p + length;
    out.clear();
    const auto* ascii = p;
    while (ascii != end && *ascii < 0x80)
        ++ascii;
    out.append(reinterpret_cast<const char*>(p), static_cast<std::size_t>(ascii - p));
    for (p = ascii; p != end;) {
        unsigned cp = *p++;
        int extra = cp >= 0xF0 ? 3 : cp >= 0xE0 ? 2 : cp >= 0xC0 ? 1 : 0;
        cp &= extra == 3 ? 0x07 : extra == 2 ? 0x0F : extra == 1 ? 0x1F : 0xFF;
        for (; extra > 0 && p != end && (*p & 0xC0) == 0x80; --extra, ++p)
            cp = (cp << 6) | (*p & 0x3F);
        out += cp <= 0xFF ? static_cast<char>(cp) : '?';
    }
}

void AssignQualifiedName(std::string& out, const xmlChar* prefix, const xmlChar* local) {
    const auto length = [](const xmlChar* s) {
        return std::strlen(reinterpret_cast<const char*>(s));
    };
    AssignLatin1(out, local, length(local));
    if (prefix) {
        std::string qualified;
        AssignLatin1(qualified, prefix, length(prefix));
        qualified += ':';
        out.insert(0, qualified);
    }
}

// The parser hands an attribute's "&" on as "&#38;" for the tree builder to
// resolve again; no other reference is left in a value.
void ResolveAmpersands(std::string& value) {
    constexpr std::string_view kRef = "&#38;";
    std::size_t at = value.find(kRef);
    if (at == std::string::npos)
        return;
    std::size_t out = at;
    while (at < value.size()) {
        if (value.compare(at, kRef.size(), kRef) == 0) {
            value[out++] = '&';
            at += kRef.size();
        } else {
            value[out++] = value[at++];
        }
    }
    value.resize(out);
}

// A streaming read: libxml2's SAX callbacks turned into the nodes the tree
// parse would build, one at a time, down to maxDepth. One node is reused for
// every visit, so a file of many users costs no allocation per node.
struct StreamState {
    const std::function<void(int, const XmlNode&)>* visit = nullptr;
    int maxDepth = 0;
    int depth = 0; // elements open
    bool root = false;
    bool doctype = false;
    bool failed = false; // the first error is kept
    std::string message;
    std::exception_ptr visitError;
    // Text and CDATA gather until another node starts: the tree joins
    // adjacent pieces of one kind into one node.
    enum class Pending { None, Text, CData } pending = Pending::None;
    std::string pendingBytes; // UTF-8 as the parser gives it
    XmlNode node;
};

StreamState& StateOf(void* ctx) {
    return *static_cast<StreamState*>(static_cast<xmlParserCtxtPtr>(ctx)->_private);
}

void StopWith(void* ctx, StreamState& state) {
    state.visitError = std::current_exception();
    xmlStopParser(static_cast<xmlParserCtxtPtr>(ctx));
}

void Visit(void* ctx, StreamState& state, int depth) {
    if (state.visitError || state.failed)
        return;
    try {
        (*state.visit)(depth, state.node);
    } catch (...) {
        StopWith(ctx, state);
    }
}

void FlushText(void* ctx, StreamState& state) {
    if (state.pending == StreamState::Pending::None)
        return;
    const bool cdata = state.pending == StreamState::Pending::CData;
    state.pending = StreamState::Pending::None;
    if (state.depth == 0 || state.depth > state.maxDepth)
        return;
    XmlNode& node = state.node;
    node.Name.clear();
    node.Attributes.clear();
    AssignLatin1(node.Text, reinterpret_cast<const xmlChar*>(state.pendingBytes.data()),
                 state.pendingBytes.size());
    node.Kind = !cdata && IsBlank(node.Text) ? XmlNodeKind::BlankText : XmlNodeKind::Other;
    Visit(ctx, state, state.depth);
}

void AddText(void* ctx, const xmlChar* text, int length, StreamState::Pending kind) {
    StreamState& state = StateOf(ctx);
    if (state.pending != kind) {
        FlushText(ctx, state);
        state.pending = kind;
        state.pendingBytes.clear();
    }
    if (state.depth <= state.maxDepth) {
        try {
            state.pendingBytes.append(reinterpret_cast<const char*>(text),
                                      static_cast<std::size_t>(length));
        } catch (...) {
            StopWith(ctx, state);
        }
    }
}

void OnCharacters(void* ctx, const xmlChar* text, int length) {
    AddText(ctx, text, length, StreamState::Pending::Text);
}

void OnCData(void* ctx, const xmlChar* text, int length) {
    AddText(ctx, text, length, StreamState::Pending::CData);
}

void OnStartElement(void* ctx, const xmlChar* localName, const xmlChar* prefix,
                    const xmlChar* /*uri*/, int /*namespaces*/, const xmlChar** /*nsDecls*/,
                    int attributeCount, int /*defaulted*/, const xmlChar** attributes) {
    StreamState& state = StateOf(ctx);
    FlushText(ctx, state);
    const int depth = state.depth++;
    state.root = true;
    if (depth > state.maxDepth || state.visitError)
        return;
    XmlNode& node = state.node;
    try {
        node.Kind = XmlNodeKind::Element;
        node.Text.clear();
        AssignQualifiedName(node.Name, prefix, localName);
        // Namespace declarations come apart from the attributes, as in the tree.
        node.Attributes.resize(static_cast<std::size_t>(attributeCount));
        for (int i = 0; i < attributeCount; ++i) {
            const xmlChar* const* a = attributes + 5 * i; // local, prefix, URI, value, end
            XmlAttribute& attribute = node.Attributes[static_cast<std::size_t>(i)];
            AssignQualifiedName(attribute.Name, a[1], a[0]);
            AssignLatin1(attribute.Value, a[3], static_cast<std::size_t>(a[4] - a[3]));
            ResolveAmpersands(attribute.Value);
        }
    } catch (...) {
        StopWith(ctx, state);
        return;
    }
    Visit(ctx, state, depth);
}

void OnEndElement(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
    StreamState& state = StateOf(ctx);
    FlushText(ctx, state);
    --state.depth;
}

// Comments and instructions: nodes without name or text. Beside the root
// they are no part of it.
void OnOtherNode(void* ctx) {
    StreamState& state = StateOf(ctx);
    FlushText(ctx, state);
    if (state.depth == 0 || state.depth > state.maxDepth)
        return;
    XmlNode& node = state.node;
    node.Kind = XmlNodeKind::Other;
    node.Name.clear();
    node.Text.clear();
    node.Attributes.clear();
    Visit(ctx, state, state.depth);
}

void OnComment(void* ctx, const xmlChar*) {
    OnOtherNode(ctx);
}

void OnInstruction(void* ctx, const xmlChar*, const xmlChar*) {
    OnOtherNode(ctx);
}

void OnDoctype(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
    StateOf(ctx).doctype = true;
    xmlStopParser(static_cast<xmlParserCtxtPtr>(ctx));
}

// The first error. Namespace errors do not count: the tree parse accepts a
// document with an undeclared prefix too.
#if LIBXML_VERSION >= 21200
void OnStreamError(void* ctx, const xmlError* err) {
#else
void OnStreamError(void* ctx, xmlErrorPtr err) {
#endif
    StreamState& state = StateOf(ctx);
    if (!err || err->level < XML_ERR_ERROR || err->domain == XML_FROM_NAMESPACE || state.failed)
        return;
    state.failed = true;
    state.message = err->message ? err->message : "the document is not well-formed";
    while (!state.message.empty() && (state.message.back() == '\n' || state.message.back() == ' '))
        state.message.pop_back();
    if (err->line > 0)
        state.message += " (line " + std::to_string(err->line) + ")";
}

// ------------------------------------------------------------ writing

void AppendIndent(std::string& out, int level) {
    out.append(static_cast<std::size_t>(level), '\t');
}

void SerializeElement(const XmlElement& e, int level, std::string& out) {
    if (e.Name.empty())
        throw XmlWriteError("An XML element without a name cannot be written");
    if (!e.Text.empty() && !e.Children.empty())
        throw XmlWriteError("The XML element \"" + e.Name + "\" has both text and child elements");
    AppendIndent(out, level);
    out += '<';
    out += e.Name;
    for (const XmlAttribute& a : e.Attributes) {
        out += ' ';
        out += a.Name;
        out += "=\"";
        out += XmlEscape(a.Value);
        out += '"';
    }
    if (!e.Children.empty()) {
        out += ">\r\n";
        for (const XmlElement& child : e.Children)
            SerializeElement(child, level + 1, out);
        AppendIndent(out, level);
        out += "</" + e.Name + ">\r\n";
    } else if (!e.Text.empty()) {
        out += '>';
        out += XmlEscape(e.Text);
        out += "</" + e.Name + ">\r\n";
    } else {
        out += "/>\r\n";
    }
}

} // namespace

const XmlNode* XmlNode::FindChild(std::string_view name) const {
    for (const XmlNode& child : Children)
        if (child.IsElement() && os::EqualsIgnoringAsciiCase(child.Name, name))
            return &child;
    return nullptr;
}

std::optional<std::string> XmlNode::Attribute(std::string_view name) const {
    for (const XmlAttribute& a : Attributes)
        if (os::EqualsIgnoringAsciiCase(a.Name, name))
            return a.Value;
    return std::nullopt;
}

namespace {

// What both reads check before the parser sees the bytes; returns the bytes
// to parse.
std::string_view CheckedDocument(std::string_view bytes) {
    std::call_once(g_parserInit, [] { xmlInitParser(); });
    if (bytes.size() > kMaxXmlDocumentBytes)
        throw XmlParseError("The XML document is too large");
    // Bytes are read as Latin-1, so a UTF-8 byte-order mark would be three
    // characters before the declaration; editors put one there.
    if (bytes.starts_with(kUtf8Bom))
        bytes.remove_prefix(kUtf8Bom.size());
    if (HasTooManyAttributes(bytes))
        throw XmlParseError("An XML element has more than " + std::to_string(kMaxAttributes) +
                            " attributes");
    return bytes;
}

constexpr const char* kDoctypeRefused = "XML documents with a DOCTYPE are not accepted";

// No recovery, no network, no DTD loading, no entity substitution; the
// declared encoding is ignored so every byte maps to one code point.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_IGNORE_ENC;

} // namespace

XmlNode ParseXml(std::string_view bytes) {
    bytes = CheckedDocument(bytes);

    std::unique_ptr<xmlParserCtxt, CtxtDeleter> ctxt(xmlNewParserCtxt());
    if (!ctxt || !ctxt->sax)
        throw XmlParseError("Out of memory while parsing an XML document");
    ParseState state;
    ctxt->_private = &state;
    ctxt->sax->internalSubset = RefuseDoctype;
    ctxt->sax->serror = IgnoreError;
    ctxt->sax->initialized = XML_SAX2_MAGIC;

    std::unique_ptr<xmlDoc, DocDeleter> doc(
        xmlCtxtReadMemory(ctxt.get(), bytes.data(), static_cast<int>(bytes.size()), nullptr,
                          "ISO-8859-1", kParseOptions));
    if (state.doctype || (doc && (doc->intSubset || doc->extSubset)))
        throw XmlParseError(kDoctypeRefused);
    if (!doc || !ctxt->wellFormed)
        throw XmlParseError(ParseErrorText(ctxt.get()));
    const xmlNode* root = xmlDocGetRootElement(doc.get());
    if (!root)
        throw XmlParseError("The XML document has no root element");
    // The parser bounds the depth (256 levels), so these recursions are bounded too.
    if (CopyCost(root, 1) > kMaxCopiedBytes)
        throw XmlParseError("The XML document is too large");
    return CopyNode(root);
}

void ReadXmlNodes(std::string_view bytes, int maxDepth,
                  const std::function<void(int depth, const XmlNode& node)>& visit) {
    bytes = CheckedDocument(bytes);
    // Looked at first as well, so that no callback runs for such a document.
    if (HasDoctype(bytes))
        throw XmlParseError(kDoctypeRefused);
    std::unique_ptr<xmlParserCtxt, CtxtDeleter> ctxt(xmlNewParserCtxt());
    if (!ctxt || !ctxt->sax)
        throw XmlParseError("Out of memory while parsing an XML document");
    StreamState state;
    state.visit = &visit;
    state.maxDepth = maxDepth;
    ctxt->_private = &state;
    // No tree: only the callbacks below run.
    xmlSAXHandler sax{};
    sax.initialized = XML_SAX2_MAGIC;
    sax.internalSubset = OnDoctype;
    sax.startElementNs = OnStartElement;
    sax.endElementNs = OnEndElement;
    sax.characters = OnCharacters;
    sax.ignorableWhitespace = OnCharacters;
    sax.cdataBlock = OnCData;
    sax.comment = OnComment;
    sax.processingInstruction = OnInstruction;
    sax.serror = OnStreamError;
    *ctxt->sax = sax;
    std::unique_ptr<xmlDoc, DocDeleter> doc(
        xmlCtxtReadMemory(ctxt.get(), bytes.data(), static_cast<int>(bytes.size()), nullptr,
                          "ISO-8859-1", kParseOptions));
    if (state.visitError)
        std::rethrow_exception(state.visitError);
    if (state.doctype)
        throw XmlParseError(kDoctypeRefused);
    if (state.failed)
        throw XmlParseError(state.message);
    if (!ctxt->wellFormed)
        throw XmlParseError(ParseErrorText(ctxt.get()));
    if (!state.root)
        throw XmlParseError("The XML document has no root element");
}

namespace {

[[noreturn]] void ThrowNamingPath(const std::string& path, const XmlParseError& e) {
    throw XmlParseError("\"" + path + "\" is not a readable XML file: " + e.what());
}

} // namespace

std::optional<std::string> ReadXmlFileBytes(const std::string& path) {
    try {
        return os::ReadFileBytes(path, kMaxXmlDocumentBytes);
    } catch (const os::FileError& e) {
        if (e.Error() != EFBIG)
            throw;
        ThrowNamingPath(path, XmlParseError("The XML document is too large"));
    }
}

XmlNode ParseXmlFile(const std::string& path, std::string_view bytes) {
    try {
        return ParseXml(bytes);
    } catch (const XmlParseError& e) {
        ThrowNamingPath(path, e);
    }
}

void ReadXmlFileNodes(const std::string& path, std::string_view bytes, int maxDepth,
                      const std::function<void(int depth, const XmlNode& node)>& visit) {
    try {
        ReadXmlNodes(bytes, maxDepth, visit);
    } catch (const XmlParseError& e) {
        ThrowNamingPath(path, e);
    }
}

std::optional<XmlNode> LoadXmlFile(const std::string& path) {
    const std::optional<std::string> bytes = ReadXmlFileBytes(path);
    if (!bytes)
        return std::nullopt;
    return ParseXmlFile(path, *bytes);
}

XmlElement& XmlElement::AddAttribute(std::string name, std::string value) {
    Attributes.push_back({std::move(name), std::move(value)});
    return *this;
}

XmlElement& XmlElement::AddChild(std::string name, std::string text) {
    return Children.emplace_back(std::move(name), std::move(text));
}

std::string XmlElement::Serialize() const {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
    SerializeElement(*this, 0, out);
    return out;
}

void XmlElement::SaveToFile(const std::string& path) const {
    os::WriteFileAtomically(path, Serialize());
}

std::string XmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        // Raw TAB, LF and CR would come back as blanks in attribute values.
        case '\t':
            out += "&#9;";
            break;
        case '\n':
            out += "&#10;";
            break;
        case '\r':
            out += "&#13;";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                static constexpr char kHex[] = "0123456789ABCDEF";
                const auto b = static_cast<unsigned char>(c);
                throw XmlWriteError(std::string("The control character 0x") + kHex[b >> 4] +
                                    kHex[b & 15] + " cannot be stored in an XML file");
            }
            out += c;
        }
    }
    return out;
}

} // namespace vdx
