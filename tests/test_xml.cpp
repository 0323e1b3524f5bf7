// The reader contract the loader relies on: which nodes count as children, missing versus empty attributes,
// element text, and errors that name the file, the line and the element.
#include "LoaderFixture.h"

#include <cctype>

namespace {

class XmlTest : public LoaderTest {
protected:
    TXmlNode Parse(std::string_view content) {
        LastFile = WriteFile(content, "doc.xml");
        Document.LoadFromFile(LastFile);
        return Document.DocumentElement();
    }
    // The message of the TXmlError that action raises, or "" when it raises none.
    template <typename Action>
    static std::string ErrorOf(Action action) {
        try {
            action();
        } catch (const TXmlError& error) {
            return error.what();
        }
        return "";
    }
    std::string LastFile;
};

TEST_F(XmlTest, CommentsAndInstructionsCountWhiteSpaceDoesNot) {
    const TXmlNode root = Parse("<root>\n  <a/>\n  <!-- note -->\n  <?pi data?>\n  <b>x</b>\n</root>");
    EXPECT_EQ(root.Name(), "root");
    EXPECT_EQ(root.ChildNodeCount(), 4);
    EXPECT_EQ(Parse("<root>\n\t<a/>\r\n   <b/>  \n</root>").ChildNodeCount(), 2);
    EXPECT_EQ(Parse("<root/>").ChildNodeCount(), 0);
    // A text counts wherever it stands, the first child included.
    EXPECT_EQ(Parse("<root>lead<a/>mid<b/></root>").ChildNodeCount(), 4);
    EXPECT_EQ(Parse("<root>only</root>").ChildNodeCount(), 1);
}

TEST_F(XmlTest, NextSiblingVisitsEveryKind) {
    const TXmlNode a = Parse("<root><a/><!--c--><?pi x?><b/></root>").FirstChild("a");
    const TXmlNode comment = a.NextSibling();
    ASSERT_TRUE(comment);
    EXPECT_FALSE(comment.IsElement());
    EXPECT_EQ(comment.Name(), "");
    EXPECT_EQ(comment.Describe().rfind("<!--", 0), 0u) << comment.Describe();
    const TXmlNode pi = comment.NextSibling();
    ASSERT_TRUE(pi);
    EXPECT_FALSE(pi.IsElement());
    EXPECT_EQ(pi.NextSibling().Name(), "b");
    EXPECT_FALSE(pi.NextSibling().NextSibling());
}

TEST_F(XmlTest, FirstChildMatchesExactNamesOfElementsOnly) {
    const TXmlNode root = Parse("<root><Mesh id=\"1\"/><!--mesh--><mesh id=\"2\"/><mesh id=\"3\"/></root>");
    EXPECT_EQ(root.FirstChild("mesh").AttributeText("id"), "2");
    EXPECT_FALSE(root.FirstChild("MESH"));
    EXPECT_FALSE(root.FirstChild("mesh "));
    EXPECT_FALSE(root.FirstChild("mesh").FirstChild("anything"));
}

TEST_F(XmlTest, NamesThatStartAlikeAreNotTheSame) {
    const TXmlNode root = Parse("<root><input id=\"1\" idx=\"x\"/><in id=\"2\" i=\"y\"/><inp id=\"3\"/></root>");
    EXPECT_EQ(root.FirstChild("in").AttributeText("id"), "2");
    EXPECT_EQ(root.FirstChild("inp").AttributeText("id"), "3");
    EXPECT_EQ(root.FirstChild("input").AttributeText("id"), "1");
    EXPECT_FALSE(root.FirstChild("i"));
    EXPECT_FALSE(root.FirstChild("inputs"));
    EXPECT_FALSE(root.FirstChild(std::string_view("in\0put", 6)));
    EXPECT_FALSE(root.FirstChild(""));
    const TXmlNode input = root.FirstChild("input");
    EXPECT_EQ(input.AttributeText("idx"), "x");
    EXPECT_FALSE(input.HasAttribute("i"));
    EXPECT_FALSE(root.FirstChild("in").HasAttribute("idx"));
    EXPECT_EQ(root.FirstChild("in").AttributeText("i"), "y");
}

TEST_F(XmlTest, MissingAttributeIsNotAnEmptyOne) {
    const TXmlNode root =
        Parse("<root>\n<e empty=\"\" n=\"42\" neg=\"-7\" bad=\"12abc\" big=\"4294967296\"/>\n</root>");
    const TXmlNode e = root.FirstChild("e");
    EXPECT_TRUE(e.HasAttribute("empty"));
    EXPECT_EQ(e.AttributeText("empty"), "");
    EXPECT_FALSE(e.HasAttribute("name"));
    EXPECT_EQ(ErrorOf([&] { e.AttributeText("name"); }), LastFile + ":2: <e> has no attribute \"name\"");
    EXPECT_EQ(e.AttributeInt("n"), 42);
    EXPECT_EQ(e.AttributeInt("neg"), -7);
    for (const char* name : {"name", "empty", "bad", "big"}) {
        const std::string message = ErrorOf([&] { e.AttributeInt(name); });
        EXPECT_EQ(message.rfind(LastFile + ":2: <e>", 0), 0u) << name << ": " << message;
    }
}

TEST_F(XmlTest, TextOfOneTextNodeOnly) {
    const TXmlNode root = Parse(
        "<root><empty/><pair></pair><t> 1 2 </t><cd><![CDATA[a<b]]></cd>"
        "<mixed>1<!--c-->2</mixed>\n<child><x/></child><ent>&lt;&amp;</ent><lead>1 2<x/></lead>"
        "<cdtail>1<![CDATA[2]]></cdtail></root>");
    EXPECT_EQ(root.FirstChild("empty").Text(), "");
    EXPECT_EQ(root.FirstChild("pair").Text(), "");
    EXPECT_EQ(root.FirstChild("t").Text(), " 1 2 ");
    EXPECT_EQ(root.FirstChild("cd").Text(), "a<b");
    EXPECT_EQ(root.FirstChild("ent").Text(), "<&");
    EXPECT_NE(ErrorOf([&] { root.FirstChild("mixed").Text(); }).find("<mixed>"), std::string::npos);
    for (const char* name : {"lead", "cdtail"})
        EXPECT_NE(ErrorOf([&] { root.FirstChild(name).Text(); }).find(name), std::string::npos) << name;
    EXPECT_EQ(ErrorOf([&] { root.FirstChild("child").Text(); }).rfind(LastFile + ":2: <child>", 0), 0u);
}

TEST_F(XmlTest, LinesCountFromOne) {
    const TXmlNode root = Parse("<root>\n\n<a/>\r\n<b\n  x=\"1\"/></root>");
    EXPECT_EQ(root.Line(), 1);
    EXPECT_EQ(root.FirstChild("a").Line(), 3);
    EXPECT_EQ(root.FirstChild("b").Line(), 4);
}

// Documents the parser converts to UTF-8 first: the lines are those of the document, whatever the width of
// its characters. Each holds multi-byte characters before the element, and a surrogate pair in UTF-16.
TEST_F(XmlTest, LinesAreTheDocumentsInEveryEncoding) {
    const std::u32string text =
        U"<root>\n<!-- \u00E9\u20AC\U0001F600 -->\n\n<a/>\n<!-- \u00E9\u00E9\u00E9 -->\n<b/></root>";
    const auto encode = [&](int width, bool bigEndian) {
        std::string out;
        const auto unit = [&](char32_t value) {
            for (int i = 0; i < width; ++i) out += char(value >> (8 * (bigEndian ? width - 1 - i : i)) & 0xFF);
        };
        unit(0xFEFF);
        for (char32_t c : text) {
            if (width == 2 && c > 0xFFFF) {
                unit(0xD800 + ((c - 0x10000) >> 10));
                unit(0xDC00 + ((c - 0x10000) & 0x3FF));
            } else {
                unit(c);
            }
        }
        return out;
    };
    for (const auto& [width, bigEndian] : {std::pair{2, false}, {2, true}, {4, false}, {4, true}}) {
        const TXmlNode root = Parse(encode(width, bigEndian));
        EXPECT_EQ(root.FirstChild("a").Line(), 4) << width << " bytes, big-endian " << bigEndian;
        EXPECT_EQ(root.FirstChild("b").Line(), 6) << width << " bytes, big-endian " << bigEndian;
    }
    const TXmlNode latin =
        Parse("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<root>\xE9\xE9\xE9\xE9\n<a/>\n</root>");
    EXPECT_EQ(latin.FirstChild("a").Line(), 3);
    static constexpr char malformed[] = "\xFF\xFE<\0r\0>\0\n\0\xE9\0\xE9\0\n\0<\0/\0x\0>\0";
    const std::string message = ErrorOf([&] { Parse(std::string(malformed, sizeof malformed - 1)); });
    EXPECT_EQ(message.rfind(LastFile + ":3:", 0), 0u) << message;
}

// Line ends kept as a list (long lines) and as bits (short ones), and texts that change from one to the other
// part way: every position gets the line and column that counting from the start gives.
TEST(LineIndex, EveryPositionAsCountedInEveryDensity) {
    for (const std::size_t lineLength : {1, 2, 7, 63, 64, 65, 300}) {
        for (const bool denseTail : {false, true}) {
            std::string text;
            for (std::size_t i = 0; text.size() < 4000; ++i) text += (i + 1) % lineLength == 0 ? '\n' : 'x';
            if (denseTail) text += std::string(400, '\n');
            TLineIndex index;
            index.Build(text, TTextEncoding::Utf8);
            int line = 1;
            std::size_t column = 1;
            for (std::size_t position = 0; position <= text.size(); ++position) {
                ASSERT_EQ(index.LineAt(position), line) << lineLength << " " << denseTail << " at " << position;
                ASSERT_EQ(index.ColumnAt(position), column) << lineLength << " " << denseTail << " at " << position;
                const bool end = position < text.size() && text[position] == '\n';
                line += end ? 1 : 0;
                column = end ? 1 : column + 1;
            }
        }
    }
}

TEST_F(XmlTest, UnreadableFilesNameTheFile) {
    const std::string missing = (Dir / "missing.dae").string();
    EXPECT_NE(ErrorOf([&] { Document.LoadFromFile(missing); }).find(missing), std::string::npos);
    EXPECT_NE(ErrorOf([&] { Document.LoadFromFile(Dir.string()); }).find(Dir.string()), std::string::npos);
    const std::string empty = WriteFile("", "empty.dae");
    EXPECT_NE(ErrorOf([&] { Document.LoadFromFile(empty); }).find(empty), std::string::npos);
    EXPECT_FALSE(Document.DocumentElement());
}

TEST_F(XmlTest, MalformedXmlGivesLineAndColumn) {
    const std::string file = WriteFile("<root>\n  <a>\n  <b></a>\n</root>\n", "bad.dae");
    const std::string message = ErrorOf([&] { Document.LoadFromFile(file); });
    EXPECT_TRUE(HasLineAndColumn(message, file, 3)) << message;
    EXPECT_FALSE(Document.DocumentElement());
}

TEST_F(XmlTest, NextLoadReplacesTheContent) {
    Parse("<first><a/></first>");
    EXPECT_EQ(Parse("<second/>").Name(), "second");
    EXPECT_FALSE(Document.DocumentElement().FirstChild("a"));
    // A shorter file read into the bytes of a longer one: nothing of the longer one may show through.
    Parse("<first>" + std::string(100, ' ') + "<a>1 2 3</a>\n\n<b/></first>");
    const TXmlNode shorter = Parse("<second>\n" + std::string(80, ' ') + "<b/></second>");
    EXPECT_EQ(shorter.Name(), "second");
    EXPECT_FALSE(shorter.FirstChild("a"));
    EXPECT_EQ(shorter.FirstChild("b").Line(), 2);
    EXPECT_EQ(Parse("<third><c>4 5</c></third>").FirstChild("c").Text(), "4 5");
}

TEST_F(XmlTest, ReleasedLongTextReadsEmpty) {
    const std::string numbers(std::size_t(3) << 20, '7');
    const TXmlNode root =
        Parse("<root><long>" + numbers + "</long><short>1 2</short><mixed>" + numbers + "<x/></mixed></root>");
    for (const char* name : {"long", "short"}) root.FirstChild(name).ReleaseText();
    EXPECT_EQ(root.FirstChild("long").Text(), "");
    EXPECT_EQ(root.FirstChild("short").Text(), "1 2");
    // A text beside other content is not the element's only text, and stays.
    root.FirstChild("mixed").ReleaseText();
    EXPECT_EQ(root.FirstChild("mixed").ChildNodeCount(), 2);
}

TEST(EscapeForMessage, ControlAndInvalidBytesAreEscaped) {
    EXPECT_EQ(EscapeForMessage("plain name"), "plain name");
    std::string escaped = EscapeForMessage("a\nb\x01");
    for (char& c : escaped) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(escaped, "a\\x0ab\\x01");
    EXPECT_EQ(EscapeForMessage("caf\xC3\xA9"), "caf\xC3\xA9");
    const std::string invalid = EscapeForMessage("caf\xE9!");
    EXPECT_TRUE(invalid == "caf\\xE9!" || invalid == "caf\\xe9!") << invalid;
}

}  // namespace
