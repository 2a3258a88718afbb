#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "feeds/XmlParser.h"
#include "tests/support/FeedGenerator.h"

namespace kivo {
namespace {

std::string Nested(std::size_t depth, bool closed) {
  std::string xml;
  for (std::size_t i = 0; i < depth; ++i) xml += "<n>";
  xml += "<leaf>x</leaf>";
  if (closed) {
    for (std::size_t i = 0; i < depth; ++i) xml += "</n>";
  }
  return xml;
}

std::size_t Depth(const TmoxXMLNode2& root) {
  std::size_t depth = 0;
  for (const TmoxXMLNode2* node = root.FirstChild(); node != nullptr; node = node->FirstChild()) ++depth;
  return depth;
}

// Recursion over the tree would overflow the stack at this depth.
TEST(XmlScale, DeepNestingParsesSearchesAndFrees) {
  constexpr std::size_t kDepth = 100000;
  auto doc = std::make_unique<TmoxXMLParser2>();
  doc->LoadFromString(Nested(kDepth, true));
  EXPECT_TRUE(doc->ErrorText().empty());
  EXPECT_EQ(Depth(*doc), kDepth);
  const TmoxXMLNode2* leaf = doc->FindChild("leaf", true);
  ASSERT_NE(leaf, nullptr);
  EXPECT_EQ(leaf->Text(), "x");
  doc.reset();
}

// Two spaces a level would make 20 GB of this; the indent stops growing.
TEST(XmlScale, DeepNestingWritesBackWithBoundedIndent) {
  constexpr std::size_t kDepth = 100000;
  TmoxXMLParser2 doc;
  doc.LoadFromString(Nested(kDepth, true));
  const std::string written = doc.XmlText();
  EXPECT_LT(written.size(), std::size_t{64} << 20);
  TmoxXMLParser2 again;
  again.LoadFromString(written);
  EXPECT_TRUE(again.ErrorText().empty());
  EXPECT_EQ(Depth(again), kDepth);
}

TEST(XmlScale, DeepBrokenDocumentKeepsTreeWithBoundedErrorText) {
  constexpr std::size_t kDepth = 100000;
  TmoxXMLParser2 doc;
  doc.LoadFromString(Nested(kDepth, false));
  EXPECT_EQ(Depth(doc), kDepth);
  EXPECT_EQ(doc.ErrorText().compare(0, 15, "Missing < near "), 0);
  EXPECT_LT(doc.ErrorText().size(), std::size_t{64} << 20);
}

TEST(XmlScale, ManyAttributesOnOneElement) {
  constexpr std::size_t kCount = 300000;
  std::string xml = "<r";
  for (std::size_t i = 0; i < kCount; ++i) {
    const std::string number = std::to_string(i);
    xml.append(" a").append(number).append("=\"").append(number).append("\"");
  }
  xml += "/>";
  TmoxXMLParser2 doc;
  doc.LoadFromString(std::move(xml));
  ASSERT_EQ(doc.AttributeCount(), kCount);
  EXPECT_EQ(doc.AttributeAt(kCount - 1).name, "a" + std::to_string(kCount - 1));
  EXPECT_EQ(doc.AttributeAt(kCount - 1).value, std::to_string(kCount - 1));
}

TEST(XmlScale, ManySiblingsWalkInLinearTime) {
  constexpr std::size_t kCount = 200000;
  std::string xml = "<r>";
  for (std::size_t i = 0; i < kCount; ++i) xml.append("<i>").append(std::to_string(i)).append("</i>");
  xml += "</r>";
  TmoxXMLParser2 doc;
  doc.LoadFromString(std::move(xml));
  std::size_t count = 0;
  for (const TmoxXMLNode2* node = doc.FirstChild(); node != nullptr; node = node->NextSibling()) ++count;
  EXPECT_EQ(count, kCount);
}

TEST(XmlScale, GeneratedFeedRoundTrips) {
  TmoxXMLParser2 doc;
  doc.LoadFromString(GenerateRssFeed(1 << 20, 7));
  ASSERT_TRUE(doc.ErrorText().empty()) << doc.ErrorText().substr(0, 300);
  EXPECT_EQ(doc.Declaration().Attribute("encoding"), "UTF-8");
  const TmoxXMLNode2* item = doc.FindChild("item", true);
  ASSERT_NE(item, nullptr);
  EXPECT_TRUE(item->FindChild("description", false)->Cdata());
  EXPECT_NE(item->FindChild("enclosure", false)->Attribute("url").find("&h=480"), std::string::npos);
  TmoxXMLParser2 again;
  again.LoadFromString(doc.XmlText());
  EXPECT_TRUE(again.ErrorText().empty());
  EXPECT_EQ(again.XmlText(), doc.XmlText());
}

TEST(XmlCorpus, EveryFileParsesAndWritesBack) {
  const std::filesystem::path corpus = KIVO_SOURCE_DIR "/../shared/corpus";
  if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "feed corpus not found at " << corpus.string();
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus)) {
    if (!entry.is_regular_file()) continue;
    ++files;
    TmoxXMLParser2 doc;
    ASSERT_NO_THROW(doc.LoadFromFile(entry.path())) << entry.path().string();
    const std::string written = doc.XmlText();
    TmoxXMLParser2 again;
    again.LoadFromString(written);
    if (!doc.Name().empty() && doc.ErrorText().empty()) {
      EXPECT_EQ(again.Name(), doc.Name()) << entry.path().string();
    }
  }
  EXPECT_GT(files, 0u);
}

}  // namespace
}  // namespace kivo
