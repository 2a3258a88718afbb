#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "feeds/moxXMLParser2.h"

namespace kivo {
namespace {

std::unique_ptr<TmoxXMLParser2> Parse(std::string_view text) {
  auto parser = std::make_unique<TmoxXMLParser2>();
  parser->LoadFromBuffer(text);
  return parser;
}

bool StartsWith(const std::string& text, std::string_view prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

TEST(XmlParserEntities, TextKeepsEntitiesAsWritten) {
  auto doc = Parse("<a>&lt;b&gt; &amp; &#171;</a>");
  EXPECT_EQ(doc->Text(), "&lt;b&gt; &amp; &#171;");
  EXPECT_FALSE(doc->Cdata());
}

TEST(XmlParserEntities, AttributeValuesDecodeInFixedOrder) {
  struct Case {
    const char* raw;
    const char* decoded;
  };
  const Case cases[] = {
      {"&lt;b&gt;", "<b>"},   {"&amp;lt;", "&lt;"}, {"&amp;quot;", "\""},
      {"&amp;amp;", "&amp;"}, {"a&nbsp;b", "a b"},  {"&apos;x&apos;", "'x'"},
      {"&#171;", "&#171;"},   {"&AMP;", "&AMP;"},   {"no entities", "no entities"},
  };
  for (const Case& c : cases) {
    auto doc = Parse(std::string("<a v=\"") + c.raw + "\"/>");
    EXPECT_EQ(doc->Attribute("v"), c.decoded) << c.raw;
  }
}

TEST(XmlParserText, CdataKeepsMarkupAndDropsTextBeforeIt) {
  auto doc = Parse("<a>before <![CDATA[ <b>x</b> ]]> after</a>");
  EXPECT_EQ(doc->Text(), "<b>x</b>");
  EXPECT_TRUE(doc->Cdata());
}

TEST(XmlParserText, OnlyFirstPieceOfTextKept) {
  struct Case {
    const char* xml;
    const char* text;
  };
  const Case cases[] = {
      {"<a>one<b/>two</a>", "one"},          {"<a>one<!-- c -->two</a>", "one"},
      {"<a><![CDATA[c]]>after</a>", "c"},    {"<a> \t\r\n\x01one two\x1f </a>", "one two"},
      {"<a>\xA0one\xA0</a>", "\xA0one\xA0"},  // only codes 0-32 are trimmed
  };
  for (const Case& c : cases) EXPECT_EQ(Parse(c.xml)->Text(), c.text) << c.xml;
}

TEST(XmlParserStructure, EmptyElementHasNoTextNorChildren) {
  auto doc = Parse("<rss><item /><b/></rss>");
  ASSERT_EQ(doc->ChildCount(), 2u);
  EXPECT_EQ(doc->FirstChild()->Name(), "item");
  EXPECT_TRUE(doc->FirstChild()->Text().empty());
  EXPECT_EQ(doc->FirstChild()->ChildCount(), 0u);
  EXPECT_TRUE(doc->ErrorText().empty());
}

TEST(XmlParserStructure, OnlySpaceSeparatesNameFromAttributes) {
  auto doc = Parse("<r><a\tb=\"1\">x</a\tb=\"1\"><c  d='2'  e=\"3\" >y</c></r>");
  ASSERT_EQ(doc->ChildCount(), 2u);
  EXPECT_EQ(doc->Child(0)->Name(), "a\tb=\"1\"");
  EXPECT_EQ(doc->Child(0)->AttributeCount(), 0u);
  EXPECT_EQ(doc->Child(1)->Attribute("d"), "2");
  EXPECT_EQ(doc->Child(1)->Attribute("e"), "3");
  EXPECT_TRUE(doc->ErrorText().empty());
}

TEST(XmlParserStructure, NameWithLineBreakStopsParsingKeepingTree) {
  auto doc = Parse("<rss><item>one</item><item\nid=\"2\">two</item><item>three</item></rss>");
  ASSERT_EQ(doc->ChildCount(), 2u);
  EXPECT_EQ(doc->Child(0)->Text(), "one");
  EXPECT_EQ(doc->Child(1)->Name(), "item\nid=\"2\"");
  EXPECT_TRUE(StartsWith(doc->ErrorText(), "Opening and closing tags don't match item\nid=\"2\" item near "));
}

TEST(XmlParserStructure, EndTagWithSpaceDoesNotClose) {
  auto doc = Parse("<rss><a>x</a ></rss>");
  ASSERT_EQ(doc->ChildCount(), 1u);
  EXPECT_EQ(doc->FirstChild()->Text(), "x");
  EXPECT_TRUE(StartsWith(doc->ErrorText(), "Opening and closing tags don't match a a  near "));
}

TEST(XmlParserStructure, SecondCommentBecomesElement) {
  auto doc = Parse("<rss><!-- one --><!-- two --><item/></rss>");
  ASSERT_EQ(doc->ChildCount(), 1u);
  TmoxXMLNode2* comment = doc->FirstChild();
  EXPECT_EQ(comment->Name(), "!--");
  ASSERT_EQ(comment->ChildCount(), 1u);
  EXPECT_EQ(comment->FirstChild()->Name(), "item");
  EXPECT_TRUE(StartsWith(doc->ErrorText(), "Opening and closing tags don't match !-- rss"));
}

TEST(XmlParserStructure, CommentBeforeEndTagIsSkipped) {
  auto doc = Parse("<rss><a>x</a><!-- end --></rss>");
  EXPECT_EQ(doc->ChildCount(), 1u);
  EXPECT_TRUE(doc->ErrorText().empty());
}

TEST(XmlParserStructure, PrologueMarkupBecomesRoot) {
  struct Case {
    const char* xml;
    const char* root;
  };
  const Case cases[] = {
      {"<!DOCTYPE rss>\n<rss version=\"2.0\"><channel><title>T</title></channel></rss>", "!DOCTYPE"},
      {"<?xml version=\"1.0\"?><?xml-stylesheet href=\"s.xsl\"?>\n<rss "
       "version=\"2.0\"><channel><title>T</title>"
       "</channel></rss>",
       "?xml-stylesheet"},
  };
  for (const Case& c : cases) {
    auto doc = Parse(c.xml);
    EXPECT_EQ(doc->Name(), c.root);
    TmoxXMLNode2* rss = doc->FindChild("rss", false);
    ASSERT_NE(rss, nullptr) << c.xml;
    EXPECT_EQ(rss->Attribute("version"), "2.0");
    EXPECT_EQ(rss->FindChild("title", true)->Text(), "T");
    EXPECT_TRUE(StartsWith(doc->ErrorText(), "Missing < near ")) << doc->ErrorText();
  }
}

TEST(XmlParserAttributes, QuotedGreaterThanDoesNotEndTag) {
  auto doc = Parse("<r><b v='1>2'/><c k=\"<&gt;>\">t</c></r>");
  ASSERT_EQ(doc->ChildCount(), 2u);
  EXPECT_EQ(doc->Child(0)->Attribute("v"), "1>2");
  EXPECT_EQ(doc->Child(1)->Attribute("k"), "<>>");
  EXPECT_EQ(doc->Child(1)->Text(), "t");
  EXPECT_TRUE(doc->ErrorText().empty());
  // Blanks may stand between '=' and the quote when finding the tag's end;
  // the attribute rules then reject the blank.
  auto spaced = Parse("<r><a title=\"x > y\" alt = 'p>q'>t</a></r>");
  ASSERT_EQ(spaced->ChildCount(), 1u);
  EXPECT_EQ(spaced->FirstChild()->Attribute("title"), "x > y");
  EXPECT_TRUE(StartsWith(spaced->ErrorText(), "missing value delimiter when parsing attributes near "));
  EXPECT_NE(spaced->ErrorText().find("Error position=26\r\n"), std::string::npos);
}

TEST(XmlParserAttributes, UnclosedQuoteFallsBackToFirstGreaterThan) {
  auto doc = Parse("<r><a b=\"x>t</a></r>");
  ASSERT_EQ(doc->ChildCount(), 1u);
  EXPECT_TRUE(StartsWith(doc->ErrorText(), "Expected closing \" when parsing attributes near "));
  auto plain = Parse("<r><a it's>t</a></r>");  // a quote not after '=' is no value
  EXPECT_EQ(plain->FirstChild()->Text(), "t");
  EXPECT_TRUE(plain->ErrorText().empty());
}

TEST(XmlParserAttributes, DuplicatesStayAndRdfStopsParsing) {
  auto doc = Parse("<r><a x='1' x=\"2\"/><b v=\"rdf:RDF\" w=\"1\"/><c w=\"1\" v=\"rdf:RDF\"/></r>");
  ASSERT_EQ(doc->Child(0)->AttributeCount(), 2u);
  EXPECT_EQ(doc->Child(0)->Attribute("x"), "1");
  EXPECT_EQ(doc->Child(0)->AttributeAt(1).value, "2");
  EXPECT_EQ(doc->Child(1)->AttributeCount(), 0u);
  EXPECT_EQ(doc->Child(2)->AttributeCount(), 0u);
}

TEST(XmlParserDeclaration, EncodingAndMissingDeclaration) {
  EXPECT_EQ(
      Parse("<?xml version=\"1.0\" encoding=\"windows-1251\"?><a/>")->Declaration().Attribute("encoding"),
      "windows-1251");
  EXPECT_EQ(Parse("<a/>")->Declaration().Attribute("encoding"), "");
}

TEST(XmlParserDeclaration, BrokenDeclarationLeavesEmptyTree) {
  auto unterminated = Parse("<?xml version=\"1.0\"<rss><a/></rss>");
  EXPECT_EQ(unterminated->ErrorText(), "Missing ?> in xml declaration.");
  EXPECT_EQ(unterminated->Name(), "");
  auto unquoted = Parse("<?xml version=1.0?><rss><a/></rss>");
  EXPECT_TRUE(StartsWith(unquoted->ErrorText(), "missing value delimiter when parsing attributes near "));
  EXPECT_EQ(unquoted->Name(), "");
  EXPECT_EQ(unquoted->ChildCount(), 0u);
}

TEST(XmlParserErrors, ErrorTextLayout) {
  auto shortDoc = Parse("<rss><a>x</b></rss>");
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
  EXPECT_TRUE(StartsWith(Parse(longDoc)->ErrorText(), expectedHead)) << Parse(longDoc)->ErrorText();
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
  struct Case {
    const char* cutAfter;
    const char* message;
    std::size_t items;
  };
  const Case cases[] = {
      {"encoding=\"wind", "Missing ?> in xml declaration.", 0},
      {"<!-- ite", "Missing comment terminator --> near ", 0},
      {"<title>On", "Expected < when parsing text near ", 1},
      {"<![CDATA[<b>1", "Expected ]]> when parsing CDATA section near ", 1},
      {"</item>\r\n", "Missing < near ", 1},
      {"url=\"http://x/2", "Missing > near ", 2},
      {"Three</title></ite", "Missing > near ", 3},
  };
  for (const Case& c : cases) {
    const std::string_view feed = kSmallFeed;
    const std::size_t cut = feed.find(c.cutAfter) + std::string_view(c.cutAfter).size();
    auto doc = Parse(feed.substr(0, cut));
    EXPECT_TRUE(StartsWith(doc->ErrorText(), c.message)) << c.cutAfter << ": " << doc->ErrorText();
    EXPECT_EQ(Items(*doc).size(), c.items) << c.cutAfter;
  }
}

TEST(XmlParserTruncation, EveryPrefixKeepsClosedItems) {
  const std::string_view feed = kSmallFeed;
  const char* titles[] = {"One", "Two", "Three"};
  constexpr std::size_t npos = std::string_view::npos;
  const std::size_t declarationEnd = feed.find("?>") + 2;
  for (std::size_t cut = 0; cut <= feed.size(); ++cut) {
    const std::string_view prefix = feed.substr(0, cut);
    auto doc = Parse(prefix);
    const std::vector<const TmoxXMLNode2*> items = Items(*doc);
    const std::size_t closed = Count(prefix, "</item>");
    ASSERT_GE(items.size(), closed) << cut;
    ASSERT_LE(items.size(), Count(prefix, "<item>")) << cut;
    for (std::size_t i = 0; i < closed; ++i) EXPECT_EQ(items[i]->ChildText("title"), titles[i]) << cut;
    const bool nothingButDeclaration = cut >= declarationEnd && prefix.find('<', declarationEnd) == npos;
    EXPECT_EQ(doc->ErrorText().empty(), cut == 0 || cut == feed.size() || nothingButDeclaration) << cut;
    auto again = Parse(doc->XmlText());
    EXPECT_EQ(Items(*again).size(), items.size()) << cut;
  }
}

}  // namespace
}  // namespace kivo
