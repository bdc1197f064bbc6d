#include "shared/VdxXmlDoc.h"

#include "platform/os/file_error.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string_view>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace vdx {
namespace {

constexpr const char* kDecl = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

TEST(XmlEscape, EntitiesCharRefsAndRawHighBytes) {
    const struct {
        const char* name;
        std::string in;
        std::string out;
    } rows[] = {
        {"plain", "anna", "anna"},
        {"five entities", "a&b<c>\"d'", "a&amp;b&lt;c&gt;&quot;d&apos;"},
        {"tab lf cr", "a\tb\nc\rd", "a&#9;b&#10;c&#13;d"},
        {"high bytes raw", "J\xF6rg\x80\xFF", "J\xF6rg\x80\xFF"},
        {"del raw", "\x7F", "\x7F"},
        {"empty", "", ""},
    };
    for (const auto& r : rows)
        EXPECT_EQ(XmlEscape(r.in), r.out) << r.name;
}

TEST(XmlEscape, ControlBytesXmlCannotHoldAreRefused) {
    for (int b = 0; b < 32; ++b) {
        if (b == '\t' || b == '\n' || b == '\r')
            continue;
        const std::string text = std::string("x") + static_cast<char>(b) + "y";
        EXPECT_THROW(XmlEscape(text), XmlWriteError) << "byte " << b;
    }
}

TEST(XmlWrite, LayoutIsByteExact) {
    XmlElement root("Settings");
    root.AddChild("Port", "21");
    root.AddChild("Empty");
    XmlElement& group = root.AddChild("Group");
    group.AddAttribute("a", "1").AddAttribute("B", "x&y");
    group.AddChild("Inner", "<t>");
    const std::string expected = std::string(kDecl) + "<Settings>\r\n"
                                                      "\t<Port>21</Port>\r\n"
                                                      "\t<Empty/>\r\n"
                                                      "\t<Group a=\"1\" B=\"x&amp;y\">\r\n"
                                                      "\t\t<Inner>&lt;t&gt;</Inner>\r\n"
                                                      "\t</Group>\r\n"
                                                      "</Settings>\r\n";
    EXPECT_EQ(root.Serialize(), expected);
    EXPECT_EQ(XmlElement("Vardex").Serialize(), std::string(kDecl) + "<Vardex/>\r\n");
}

TEST(XmlWrite, RefusesWhatCannotBeWrittenAndKeepsTheOldFile) {
    XmlElement mixed("A", "text");
    mixed.AddChild("B");
    EXPECT_THROW(mixed.Serialize(), XmlWriteError);

    test::TempDir dir;
    const std::string path = dir.Folder() + "x.xml";
    test::WriteFileBytes(path, "old");
    XmlElement bad("A");
    bad.AddAttribute("v", std::string("a\x01", 2));
    EXPECT_THROW(bad.SaveToFile(path), XmlWriteError);
    EXPECT_EQ(test::ReadFileBytes(path), "old");

    XmlElement good("A", "b");
    good.SaveToFile(path);
    EXPECT_EQ(test::ReadFileBytes(path), std::string(kDecl) + "<A>b</A>\r\n");
}

TEST(XmlRead, TreeKindsNamesAndAttributes) {
    const XmlNode root =
        ParseXml("<?xml version=\"1.0\"?>\r\n"
                 "<Root>\r\n"
                 "\t<first Name=\"one\" NAME=\"dup\" other=\"&lt;&amp;&#65;&gt;\"/>\r\n"
                 "\t<!-- note -->\r\n"
                 "\ttext\r\n"
                 "\t<?pi data?>\r\n"
                 "\t<![CDATA[<raw>]]>\r\n"
                 "\t<Second>  a<b>b</b><![CDATA[c]]><!--x-->d  </Second>\r\n"
                 "</Root>\r\n");
    EXPECT_EQ(root.Name, "Root");
    std::string kinds;
    for (const XmlNode& n : root.Children)
        kinds += n.Kind == XmlNodeKind::Element     ? 'E'
                 : n.Kind == XmlNodeKind::BlankText ? '_'
                                                    : 'o';
    // comment, "\ttext\r\n\t", PI and CDATA are "other"; the blank runs between them are blank text
    EXPECT_EQ(kinds, "_E_ooo_o_E_");

    const XmlNode* first = root.FindChild("FIRST");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Attribute("name"), "one"); // first match wins
    EXPECT_EQ(first->Attribute("Other"), "<&A>");
    EXPECT_EQ(first->Attribute("missing"), std::nullopt);
    EXPECT_EQ(root.FindChild("none"), nullptr);

    const XmlNode* second = root.FindChild("second");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->Text, "  abcd  "); // untrimmed: the caller trims
    EXPECT_EQ(root.Children[1].Name, "first");
    EXPECT_TRUE(root.Children[3].Name.empty());
}

TEST(XmlRead, AttributeLimitCountsOnlyAttributes) {
    std::string doc = "<?xml version=\"1.0\"?><!-- = = --><a x=\"a=b\" y='\"='>a = b"
                      "<![CDATA[<c d=e>]]><?pi f=g?><b";
    for (int i = 0; i < 256; ++i)
        doc += " a" + std::to_string(i) + "=\"=\"";
    doc += "/></a>";
    const XmlNode root = ParseXml(doc);
    EXPECT_EQ(root.Attribute("x"), "a=b");
    ASSERT_NE(root.FindChild("b"), nullptr);
    EXPECT_EQ(root.FindChild("b")->Attributes.size(), 256u);
}

TEST(XmlRead, BytesComeBackAsLatin1) {
    std::string all;
    for (int b = 32; b < 256; ++b)
        all += static_cast<char>(b);
    all += "\t\n\r";

    XmlElement e("R");
    e.AddChild("E").AddAttribute("v", all);
    e.AddChild("T", all);
    const XmlNode back = ParseXml(e.Serialize());
    EXPECT_EQ(back.FindChild("E")->Attribute("v"), all);
    EXPECT_EQ(back.FindChild("T")->Text, all);

    // Raw high bytes under a UTF-8 declaration, character references, and one
    // reference that has no Latin-1 byte.
    const XmlNode refs =
        ParseXml("<?xml version=\"1.0\" encoding=\"UTF-8\"?><R a=\"\xE9\" b=\"&#233;&#xE9;\" "
                 "c=\"&#8364;\" d=\"x\ty\"/>");
    EXPECT_EQ(refs.Attribute("a"), "\xE9");
    EXPECT_EQ(refs.Attribute("b"), "\xE9\xE9");
    EXPECT_EQ(refs.Attribute("c"), "?");
    EXPECT_EQ(refs.Attribute("d"), "x y"); // raw TAB in a value is a blank by XML's rules
}

TEST(XmlRead, RefusesDamagedAndDoctypeDocuments) {
    const struct {
        const char* name;
        std::string doc;
    } rows[] = {
        {"empty", ""},
        {"blank", "  \r\n"},
        {"declaration only", kDecl},
        {"truncated", "<Vardex><Users><User Name=\"a\"/>"},
        {"mismatched", "<a><b></a></b>"},
        {"two roots", "<a/><b/>"},
        {"bare ampersand", "<a v=\"x&y\"/>"},
        {"undeclared entity", "<a>&nope;</a>"},
        {"lt in value", "<a v=\"<\"/>"},
        {"unquoted", "<a v=1/>"},
        {"nul byte", std::string("<a>\0</a>", 8)},
        {"control byte", "<a>\x01</a>"},
        {"control ref", "<a v=\"&#1;\"/>"},
        {"garbage", "not xml at all"},
        {"doctype plain", "<!DOCTYPE a><a/>"},
        {"doctype entity", "<!DOCTYPE a [<!ENTITY e \"evil\">]><a><User Name=\"&e;\"/></a>"},
        {"doctype laughs",
         "<!DOCTYPE a [<!ENTITY l \"lol\"><!ENTITY l2 \"&l;&l;&l;&l;&l;&l;&l;&l;\">"
         "<!ENTITY l3 \"&l2;&l2;&l2;&l2;&l2;&l2;&l2;&l2;\">]><a v=\"&l3;\">&l3;</a>"},
        {"doctype external", "<!DOCTYPE a SYSTEM \"file:///etc/passwd\"><a>&x;</a>"},
        {"external entity", "<!DOCTYPE a [<!ENTITY x SYSTEM \"file:///etc/hostname\">]><a>&x;</a>"},
        {"over 16 MiB", "<a>" + std::string(16 << 20, 'x') + "</a>"},
        // the parser's time grows with the square of a tag's attributes
        {"257 attributes",
         [] {
             std::string doc = "<a><b";
             for (int i = 0; i < 257; ++i)
                 doc += " a" + std::to_string(i) + "='>'";
             return doc + "/></a>";
         }()},
        // every level carries the text below it: 250 MiB of copies from 1 MiB
        {"deep text",
         [] {
             std::string doc;
             for (int i = 0; i < 250; ++i)
                 doc += "<a>";
             doc += std::string(1 << 20, 'x');
             for (int i = 0; i < 250; ++i)
                 doc += "</a>";
             return doc;
         }()},
    };
    for (const auto& r : rows) {
        EXPECT_THROW(ParseXml(r.doc), XmlParseError) << r.name;
        // A stream keeps no copies: deep text costs it nothing.
        if (r.name != std::string_view("deep text")) {
            EXPECT_THROW(ReadXmlNodes(r.doc, 2, [](int, const XmlNode&) {}), XmlParseError)
                << r.name;
        }
    }
}

// The nodes the tree holds down to maxDepth, as a stream gives them: without
// children, elements without their text.
void Flatten(const XmlNode& node, int depth, int maxDepth,
             std::vector<std::pair<int, XmlNode>>& out) {
    XmlNode shallow = node;
    shallow.Children.clear();
    if (shallow.IsElement())
        shallow.Text.clear();
    out.emplace_back(depth, std::move(shallow));
    if (depth < maxDepth)
        for (const XmlNode& child : node.Children)
            Flatten(child, depth + 1, maxDepth, out);
}

TEST(XmlRead, StreamGivesTheNodesOfTheTree) {
    // Long runs reach the callbacks in pieces; the tree joins them.
    const std::string longText = "<R>" + std::string(70000, 'x') + "&amp;\xE9" +
                                 std::string(70000, ' ') + "<![CDATA[" + std::string(70000, 'c') +
                                 "]]><![CDATA[d]]><U v=\"" + std::string(70000, 'v') +
                                 "&amp;&#38;&#x26;amp;\"/></R>";
    const std::string docs[] = {
        "<?xml version=\"1.0\"?>\r\n<!-- before --><?pi before?>\r\n"
        "<Root a=\"1\">\r\n"
        "\t<first Name=\"one\" NAME=\"dup\" other=\"&lt;&amp;&#65;&gt;&quot;&apos;\"/>\r\n"
        "\t<!-- note -->\r\n\ttext &amp; more\r\n\t<?pi data?>\r\n\t<![CDATA[<raw>]]>\r\n"
        "\t<Second>  a<b c=\"d\">b<deep x=\"y\"/></b><![CDATA[c]]><!--x-->d  </Second>\r\n"
        "</Root>\r\n<!-- after -->",
        "\xEF\xBB\xBF<V xmlns=\"urn:x\" xmlns:p=\"urn:p\"><p:Users p:Name=\"n\" q:b=\"1\">"
        "<p:User Name=\"\xE9&#233;&#8364;\" v=\"x\ty\"/></p:Users><Users/></V>",
        "<a>\xE9<b/>&#10;<c>&#32;</c> \t\r\n</a>",
        "<only/>",
        "<R\xE9 \xE9"
        "a=\"&quot;&#38;&lt;&amp;amp;\"><a>x&#9;&#38;y&lt;</a>\r\n<![CDATA[]]>"
        "<!----><?p?>&#32;<![CDATA[a]]>b<![CDATA[c]]>&amp;</R\xE9>",
        longText,
    };
    for (const std::string& doc : docs) {
        SCOPED_TRACE(doc.substr(0, 200));
        for (int maxDepth : {0, 1, 2, 3}) {
            std::vector<std::pair<int, XmlNode>> tree, stream;
            Flatten(ParseXml(doc), 0, maxDepth, tree);
            ReadXmlNodes(doc, maxDepth,
                         [&](int depth, const XmlNode& node) { stream.emplace_back(depth, node); });
            ASSERT_EQ(stream.size(), tree.size()) << "depth " << maxDepth;
            for (std::size_t i = 0; i < tree.size(); ++i) {
                SCOPED_TRACE(i);
                EXPECT_EQ(stream[i].first, tree[i].first);
                EXPECT_EQ(stream[i].second.Kind, tree[i].second.Kind);
                EXPECT_EQ(stream[i].second.Name, tree[i].second.Name);
                EXPECT_EQ(stream[i].second.Text, tree[i].second.Text);
                EXPECT_EQ(stream[i].second.Attributes, tree[i].second.Attributes);
            }
        }
    }
}

TEST(XmlRead, FileMissingUnreadableOrDamaged) {
    test::TempDir dir;
    EXPECT_EQ(LoadXmlFile(dir.Folder() + "missing.xml"), std::nullopt);
    EXPECT_EQ(LoadXmlFile(dir.Folder() + "no/such/folder.xml"), std::nullopt);

    const std::string damaged = dir.Folder() + "bad.xml";
    test::WriteFileBytes(damaged, "<a>");
    try {
        LoadXmlFile(damaged);
        FAIL() << "damaged file read";
    } catch (const XmlParseError& e) {
        EXPECT_NE(std::string(e.what()).find(damaged), std::string::npos) << e.what();
    }

    // A folder of that name is no file, as on Windows; a FIFO is no file we
    // read (opening it would wait for a writer for ever).
    std::filesystem::create_directory(dir.Path() / "folder.xml");
    EXPECT_EQ(LoadXmlFile(dir.Folder() + "folder.xml"), std::nullopt);
    ASSERT_EQ(::mkfifo((dir.Path() / "fifo.xml").c_str(), 0600), 0);
    EXPECT_THROW(LoadXmlFile(dir.Folder() + "fifo.xml"), os::FileError);

    const std::string good = dir.Folder() + "good.xml";
    test::WriteFileBytes(good, "<r><Port> 21 </Port></r>");
    const std::optional<XmlNode> root = LoadXmlFile(good);
    ASSERT_TRUE(root);
    EXPECT_EQ(root->FindChild("port")->Text, " 21 ");

    // Editors put a UTF-8 byte-order mark in front; the bytes after it stay raw.
    test::WriteFileBytes(good, "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                               "<r v=\"\xC3\xA9\"/>");
    EXPECT_EQ(LoadXmlFile(good)->Attribute("v"), "\xC3\xA9");

    const std::string big = dir.Folder() + "big.xml";
    test::WriteFileBytes(big, "<a>" + std::string((16 << 20) + 1, 'x') + "</a>");
    try {
        LoadXmlFile(big);
        FAIL() << "oversized file read";
    } catch (const XmlParseError& e) {
        EXPECT_NE(std::string(e.what()).find(big), std::string::npos) << e.what();
    }
}

} // namespace
} // namespace vdx
