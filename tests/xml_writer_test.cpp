#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>

#include "feeds/XmlParser.h"
#include "platform/FileIo.h"
#include "tests/support/TempFolder.h"
#include "tests/support/XmlDocuments.h"

namespace kivo {
namespace {

constexpr const char* kDefaultHeader = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n";

TEST(XmlWriter, ExactBytesWithIndentCrLfAndNoTrailingBreak) {
  TmoxXMLParser2 doc;
  doc.Declaration().SetAttribute("encoding", "windows-1251");
  doc.SetName("myrssnodes");
  TmoxXMLNode2* item = doc.AddChild("item");
  item->SetText("lead");
  item->SetAttribute("n", "1");
  item->AddChild("title")->SetText("Fish & chips");
  item->AddChild("text")->SetText("<b>bold</b>");
  item->AddChild("empty");
  doc.AddChild("last")->SetText("x");
  EXPECT_EQ(doc.XmlText(),
            "<?xml version=\"1.0\" encoding=\"windows-1251\" ?>\r\n"
            "<myrssnodes>\r\n"
            "  <item n=\"1\">lead\r\n"
            "    <title>Fish & chips</title>\r\n"
            "    <text><![CDATA[<b>bold</b>]]></text>\r\n"
            "    <empty/>\r\n"
            "  </item>\r\n"
            "  <last>x</last>\r\n"
            "</myrssnodes>");
}

TEST(XmlWriter, HeaderDefaultsAndDeclaredValues) {
  EXPECT_EQ(testing::ParseXml("<a/>")->XmlText(), std::string(kDefaultHeader) + "<a/>");
  EXPECT_EQ(testing::ParseXml("<?xml version=\"1.1\" encoding=\"UTF-8\" standalone=\"yes\"?><a/>")->XmlText(),
            "<?xml version=\"1.1\" encoding=\"UTF-8\" ?>\r\n<a/>");
}

TEST(XmlWriter, MarkupInTextIsWrittenAsCdataThatReadsBack) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      // text, as written, as read back
      {"plain ]] text", "plain ]] text", "plain ]] text"},
      {"&lt;", "&lt;", "&lt;"},
      {"a<b", "<![CDATA[a<b]]>", "a<b"},
      {"a>b", "<![CDATA[a>b]]>", "a>b"},
      {"a]]>b", "<![CDATA[a]]&gt;b]]>", "a]]&gt;b"},
      {"x]]>y<z>]]>", "<![CDATA[x]]&gt;y<z>]]&gt;]]>", "x]]&gt;y<z>]]&gt;"},
  };
  for (const auto& [text, written, readBack] : cases) {
    TmoxXMLParser2 doc;
    doc.SetName("r");
    doc.AddChild("t")->SetText(text);
    doc.AddChild("after")->SetText("kept");
    const std::string xml = doc.XmlText();
    EXPECT_NE(xml.find(std::string("<t>") + written + "</t>"), std::string::npos) << xml;
    auto again = testing::ParseXml(xml);
    EXPECT_EQ(again->ChildText("t"), readBack);
    EXPECT_EQ(again->ChildText("after"), "kept");
    EXPECT_TRUE(again->ErrorText().empty());
  }
}

TEST(XmlWriter, RoundTripIsStable) {
  const char* source =
      "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<rss version=\"2.0\">\n<channel><title>T &amp; "
      "U</title>"
      "<item><title><![CDATA[<i>x</i>]]></title><empty/><link>http://a/?b=1&amp;c=2</link></item></channel></"
      "rss>";
  const std::string once = testing::ParseXml(source)->XmlText();
  EXPECT_EQ(testing::ParseXml(once)->XmlText(), once);
  EXPECT_NE(once.find("<title><![CDATA[<i>x</i>]]></title>"), std::string::npos);
  EXPECT_NE(once.find("    <empty/>\r\n"), std::string::npos);
}

TEST(XmlNode, FindChildSearchesEachSubtreeBeforeNextChild) {
  TmoxXMLParser2 doc;
  doc.SetName("r");
  TmoxXMLNode2* deepMatch = doc.AddChild("a")->AddChild("b")->AddChild("t");
  TmoxXMLNode2* shallowMatch = doc.AddChild("t");
  EXPECT_EQ(doc.FindChild("t", false), shallowMatch);
  EXPECT_EQ(doc.FindChild("t", true), deepMatch);
  EXPECT_EQ(doc.FindChild("T", true), nullptr);  // names compare case-sensitively
  EXPECT_EQ(doc.FindChild("r", true), nullptr);  // the node itself is not a child
  EXPECT_EQ(doc.ChildText("missing"), "");
}

TEST(XmlNode, EmptyDocumentHasNoChildAndAnAppendedNodeJoinsTheSiblings) {
  TmoxXMLParser2 doc;
  EXPECT_EQ(doc.FirstChild(), nullptr);
  EXPECT_EQ(doc.NextSibling(), nullptr);
  TmoxXMLNode2* first = doc.AddChild("a");
  TmoxXMLNode2* second = doc.AppendNode(std::make_unique<TmoxXMLNode2>());
  EXPECT_EQ(first->NextSibling(), second);
  EXPECT_EQ(second->NextSibling(), nullptr);
  EXPECT_EQ(second->Parent(), &doc);
}

TEST(XmlNode, SetAttributeReplacesFirstOrAppends) {
  auto doc = testing::ParseXml("<a x=\"1\" x=\"2\"/>");
  doc->SetAttribute("x", "9");
  doc->SetAttribute("y", "3");
  ASSERT_EQ(doc->AttributeCount(), 3u);
  EXPECT_EQ(doc->AttributeAt(0).value, "9");
  EXPECT_EQ(doc->AttributeAt(1).value, "2");
  EXPECT_EQ(doc->Attribute("y"), "3");
  EXPECT_EQ(doc->Attribute("z"), "");
}

TEST(XmlFiles, LoadKeepsTheBytesAndAMissingFileThrows) {
  const testing::TempFolder dir("kivo_xml_file_");
  const std::filesystem::path path = dir.File("feed.xml");
  ASSERT_TRUE(WriteFileAtomic(path, "<r><title>\xcd\xee\xe2\xee\xf1\xf2\xe8</title></r>"));
  TmoxXMLParser2 loaded;
  loaded.LoadFromFile(path);
  EXPECT_EQ(loaded.ChildText("title"), "\xcd\xee\xe2\xee\xf1\xf2\xe8") << "windows-1251 bytes pass unchanged";
  EXPECT_THROW(loaded.LoadFromFile(dir.File("missing.xml")), std::runtime_error);
}

}  // namespace
}  // namespace kivo
