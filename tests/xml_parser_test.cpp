#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "feeds/XmlParser.h"
#include "tests/support/XmlDocuments.h"

namespace kivo {
namespace {

// The tree as "name attr=value 'text' {child, child}"; cdata'text' for text to be written as CDATA.
std::string Outline(const TmoxXMLNode2& node) {
  std::string out(node.Name());
  for (std::size_t i = 0; i < node.AttributeCount(); ++i)
    out.append(" ").append(node.AttributeAt(i).name).append("=").append(node.AttributeAt(i).value);
  if (!node.Text().empty()) out.append(node.Cdata() ? " cdata'" : " '").append(node.Text()).append("'");
  if (node.ChildCount() == 0) return out;
  out += " {";
  for (const TmoxXMLNode2* child = node.FirstChild(); child; child = child->NextSibling())
    out.append(Outline(*child)).append(child->NextSibling() ? ", " : "}");
  return out;
}

struct TTreeCase {
  const char* what;
  const char* xml;
  const char* outline;
  const char* error;  // how the error text starts; "" for none
};

TEST(XmlParser, QuirksOfTextNamesCommentsAndAttributesGiveTheExpectedTreeAndError) {
  const TTreeCase cases[] = {
      {"entities in text stay as written", "<a>&lt;b&gt; &amp; &#171;</a>", "a '&lt;b&gt; &amp; &#171;'", ""},
      {"text before CDATA dropped", "<a>before <![CDATA[ <b>x</b> ]]> after</a>", "a cdata'<b>x</b>'", ""},
      {"only the text before a child kept", "<a>one<b/>two</a>", "a 'one' {b}", ""},
      {"only the text before a comment kept", "<a>one<!-- c -->two</a>", "a 'one'", ""},
      {"only the CDATA text kept", "<a><![CDATA[c]]>after</a>", "a 'c'", ""},
      {"controls and blanks trimmed", "<a> \t\r\n\x01one two\x1f </a>", "a 'one two'", ""},
      {"high bytes not trimmed", "<a>\xA0one\xA0</a>", "a '\xA0one\xA0'", ""},
      {"empty elements", "<rss><item /><b/></rss>", "rss {item, b}", ""},
      {"only a space ends the name", "<r><a\tb=\"1\">x</a\tb=\"1\"><c  d='2'  e=\"3\" >y</c></r>",
       "r {a\tb=\"1\" 'x', c d=2 e=3 'y'}", ""},
      {"a line break in a name stops the parse, keeping the tree",
       "<rss><item>one</item><item\nid=\"2\">two</item><item>three</item></rss>",
       "rss {item 'one', item\nid=\"2\" 'two'}",
       "Opening and closing tags don't match item\nid=\"2\" item near "},
      {"an end tag with a blank does not close", "<rss><a>x</a ></rss>", "rss {a 'x'}",
       "Opening and closing tags don't match a a  near "},
      {"a second comment becomes an element", "<rss><!-- one --><!-- two --><item/></rss>",
       "rss {!-- {item}}", "Opening and closing tags don't match !-- rss near "},
      {"a comment before an end tag is skipped", "<rss><a>x</a><!-- end --></rss>", "rss {a 'x'}", ""},
      {"a doctype becomes the root",
       "<!DOCTYPE rss>\n<rss version=\"2.0\"><channel><title>T</title></channel></rss>",
       "!DOCTYPE {rss version=2.0 {channel {title 'T'}}}", "Missing < near "},
      {"a stylesheet instruction becomes the root",
       "<?xml version=\"1.0\"?><?xml-stylesheet href=\"s.xsl\"?>\n<rss "
       "version=\"2.0\"><channel><title>T</title></channel></rss>",
       "?xml-stylesheet href=s.xsl {rss version=2.0 {channel {title 'T'}}}", "Missing < near "},
      {"a quoted greater-than does not end the tag", "<r><b v='1>2'/><c k=\"<&gt;>\">t</c></r>",
       "r {b v=1>2, c k=<>> 't'}", ""},
      {"blanks around an equals sign: the tag ends right, the attribute is refused",
       "<r><a title=\"x > y\" alt = 'p>q'>t</a></r>", "r {a title=x > y}",
       "missing value delimiter when parsing attributes near "},
      {"an unclosed quote falls back to the first greater-than", "<r><a b=\"x>t</a></r>", "r {a}",
       "Expected closing \" when parsing attributes near "},
      {"a quote not after an equals sign is no value", "<r><a it's>t</a></r>", "r {a 't'}", ""},
      {"duplicates stay; an rdf:RDF value drops the attributes",
       "<r><a x='1' x=\"2\"/><b v=\"rdf:RDF\" w=\"1\"/><c w=\"1\" v=\"rdf:RDF\"/></r>", "r {a x=1 x=2, b, c}",
       ""},
      {"an unterminated declaration leaves an empty tree", "<?xml version=\"1.0\"<rss><a/></rss>", "",
       "Missing ?> in xml declaration."},
      {"an unquoted declaration value leaves an empty tree", "<?xml version=1.0?><rss><a/></rss>", "",
       "missing value delimiter when parsing attributes near "},
  };
  for (const TTreeCase& c : cases) {
    SCOPED_TRACE(c.what);
    const auto doc = testing::ParseXml(c.xml);
    EXPECT_EQ(Outline(*doc), c.outline);
    EXPECT_TRUE(doc->ErrorText().starts_with(c.error)) << doc->ErrorText();
    EXPECT_EQ(doc->ErrorText().empty(), *c.error == '\0') << doc->ErrorText();
  }
}

TEST(XmlParserEntities, AttributeValuesDecodeInFixedOrder) {
  const std::pair<std::string, const char*> cases[] = {
      {"&lt;b&gt;", "<b>"},   {"&amp;lt;", "&lt;"}, {"&amp;quot;", "\""},
      {"&amp;amp;", "&amp;"}, {"a&nbsp;b", "a b"},  {"&apos;x&apos;", "'x'"},
      {"&#171;", "&#171;"},   {"&AMP;", "&AMP;"},   {"no entities", "no entities"}};
  for (const auto& [raw, decoded] : cases)
    EXPECT_EQ(testing::ParseXml("<a v=\"" + raw + "\"/>")->Attribute("v"), decoded) << raw;
}

TEST(XmlParser, DeclaredEncodingReadOrEmpty) {
  EXPECT_EQ(testing::ParseXml("<?xml version=\"1.0\" encoding=\"windows-1251\"?><a/>")
                ->Declaration()
                .Attribute("encoding"),
            "windows-1251");
  EXPECT_EQ(testing::ParseXml("<a/>")->Declaration().Attribute("encoding"), "");
}

TEST(XmlParserErrors, ErrorTextLayout) {
  auto shortDoc = testing::ParseXml("<rss><a>x</b></rss>");
  EXPECT_EQ(shortDoc->ErrorText(),
            "Opening and closing tags don't match a b near <rss><a>x</b></rss>\r\n"
            "Error position=10\r\n"
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n<rss>\r\n  <a>x</a>\r\n</rss>");

  const std::string longDoc =
      "<rss><channel><title>A fairly long channel title</title><item>x</itemm></channel></rss>";
  const std::size_t at = longDoc.find("</itemm>");
  const std::string expectedHead = "Opening and closing tags don't match item itemm near " +
                                   longDoc.substr(at - 20, 50) +
                                   "\r\nError position=" + std::to_string(at + 1) + "\r\n";
  EXPECT_TRUE(testing::ParseXml(longDoc)->ErrorText().starts_with(expectedHead))
      << testing::ParseXml(longDoc)->ErrorText();
}

// The error text held the tree up to 16 MB plus four times the document:
// about 144 MB for a broken 32 MiB feed, on the way to a text nobody reads.
TEST(XmlParserErrors, ErrorTextKeepsAtMost64KOfTree) {
  const std::pair<std::string, bool> cases[] = {// a broken document; its tree cut
                                                {"<rss><a>x</a>", false},
                                                {"<rss><d>" + std::string(200000, 'x') + "</d>", true}};
  for (const auto& [xml, cut] : cases) {
    auto doc = testing::ParseXml(xml);
    ASSERT_TRUE(doc->ErrorText().starts_with("Missing < near ")) << doc->ErrorText().substr(0, 40);
    const std::size_t tree = doc->ErrorText().size() - doc->ErrorText().find("<?xml");
    EXPECT_TRUE(cut ? tree == std::size_t{64} << 10 : tree < 100) << tree;
  }
}

// A feed cut anywhere keeps the items before the cut and never crashes.
const std::string kSmallFeed =
    "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n"
    "<rss version=\"2.0\"><channel><title>Chan</title>\r\n"
    "<!-- items -->\r\n"
    "<item><title>One</title><description><![CDATA[<b>1</b>]]></description></item>\r\n"
    "<item><title>Two</title><enclosure url=\"http://x/2.jpg\" type=\"image/jpeg\"/></item>\r\n"
    "<item><title>Three</title></item>\r\n"
    "</channel></rss>";

std::vector<const TmoxXMLNode2*> Items(const TmoxXMLParser2& doc) {
  std::vector<const TmoxXMLNode2*> items;
  const TmoxXMLNode2* channel = doc.FindChild("channel", false);
  for (const TmoxXMLNode2* n = channel ? channel->FirstChild() : nullptr; n; n = n->NextSibling()) {
    if (n->Name() == "item") items.push_back(n);
  }
  return items;
}

std::size_t Count(std::string_view text, std::string_view what) {
  std::size_t count = 0;
  for (std::size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

TEST(XmlParserTruncation, CutAtNamedPointsGivesMessageAndItems) {
  const std::tuple<std::string_view, const char*, std::size_t> cases[] = {
      {"encoding=\"wind", "Missing ?> in xml declaration.", 0},
      {"<!-- ite", "Missing comment terminator --> near ", 0},
      {"<title>On", "Expected < when parsing text near ", 1},
      {"<![CDATA[<b>1", "Expected ]]> when parsing CDATA section near ", 1},
      {"</item>\r\n", "Missing < near ", 1},
      {"url=\"http://x/2", "Missing > near ", 2},
      {"Three</title></ite", "Missing > near ", 3},
  };
  for (const auto& [cutAfter, message, items] : cases) {
    auto doc = testing::ParseXml(
        std::string_view(kSmallFeed).substr(0, kSmallFeed.find(cutAfter) + cutAfter.size()));
    EXPECT_TRUE(doc->ErrorText().starts_with(message)) << cutAfter << ": " << doc->ErrorText();
    EXPECT_EQ(Items(*doc).size(), items) << cutAfter;
  }
}

TEST(XmlParserTruncation, EveryPrefixKeepsClosedItems) {
  const std::string_view feed = kSmallFeed;
  const char* titles[] = {"One", "Two", "Three"};
  constexpr std::size_t npos = std::string_view::npos;
  const std::size_t declarationEnd = feed.find("?>") + 2;
  for (std::size_t cut = 0; cut <= feed.size(); ++cut) {
    const std::string_view prefix = feed.substr(0, cut);
    auto doc = testing::ParseXml(prefix);
    const std::vector<const TmoxXMLNode2*> items = Items(*doc);
    const std::size_t closed = Count(prefix, "</item>");
    ASSERT_GE(items.size(), closed) << cut;
    ASSERT_LE(items.size(), Count(prefix, "<item>")) << cut;
    for (std::size_t i = 0; i < closed; ++i) EXPECT_EQ(items[i]->ChildText("title"), titles[i]) << cut;
    const bool nothingButDeclaration = cut >= declarationEnd && prefix.find('<', declarationEnd) == npos;
    EXPECT_EQ(doc->ErrorText().empty(), cut == 0 || cut == feed.size() || nothingButDeclaration) << cut;
    auto again = testing::ParseXml(doc->XmlText());
    EXPECT_EQ(Items(*again).size(), items.size()) << cut;
  }
}

}  // namespace
}  // namespace kivo
