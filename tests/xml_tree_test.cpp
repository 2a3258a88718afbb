// The parsed tree points into the source its document keeps and lives in
// blocks freed at once: these guard the lifetimes and the growth of arrays
// that a parse makes exactly as large as it needs.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "feeds/XmlParser.h"

namespace kivo {
namespace {

TEST(XmlTree, ReloadFromItsOwnTextReadsNoFreedSource) {
  TmoxXMLParser2 doc;
  doc.LoadFromBuffer("<r><t><![CDATA[<inner a=\"1\"><x>deep</x></inner>]]></t></r>");
  doc.LoadFromBuffer(doc.FirstChild()->Text());  // a view into the source being replaced
  EXPECT_EQ(doc.Name(), "inner");
  EXPECT_EQ(doc.Attribute("a"), "1");
  EXPECT_EQ(doc.ChildText("x"), "deep");
  doc.FirstChild()->SetText("<q>kept</q>");
  doc.LoadFromBuffer(doc.FirstChild()->Text());  // a view into a text set on the tree
  EXPECT_EQ(doc.Name(), "q");
  EXPECT_EQ(doc.Text(), "kept");
  EXPECT_TRUE(doc.ErrorText().empty());
}

TEST(XmlTree, SecondLoadLeavesNothingOfTheFirst) {
  TmoxXMLParser2 doc;
  doc.LoadFromBuffer("<?xml version=\"1.0\" encoding=\"KOI8-R\"?><rss v=\"2\"><a>1</a><b/></rss>");
  doc.LoadFromBuffer("<feed><entry>x</entry></feed>");
  EXPECT_EQ(doc.Declaration().Attribute("encoding"), "");
  EXPECT_EQ(doc.AttributeCount(), 0u);
  ASSERT_EQ(doc.ChildCount(), 1u);
  EXPECT_EQ(doc.ChildText("entry"), "x");
  EXPECT_EQ(doc.XmlText(),
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\r\n<feed>\r\n  <entry>x</entry>\r\n</feed>");
}

// A parse sizes each child and attribute array exactly, and what it makes
// next lies right behind them: appending must grow them, not write on.
TEST(XmlTree, EditsAfterParseGrowExactArrays) {
  TmoxXMLParser2 doc;
  doc.LoadFromBuffer("<r><a k=\"1\"><x/></a><b/><c/></r>");
  TmoxXMLNode2* a = doc.FirstChild();
  for (int i = 0; i < 20; ++i) doc.AddChild(std::string("n").append(std::to_string(i)));
  for (int i = 0; i < 20; ++i)
    a->AppendAttribute(std::string("m").append(std::to_string(i)), std::to_string(i));
  a->AddChild("y");
  a->SetText(a->Text());  // a copy of its own view
  a->SetName(a->Name().substr(0, 1));
  ASSERT_EQ(doc.ChildCount(), 23u);
  EXPECT_EQ(doc.Child(1)->Name(), "b");
  EXPECT_EQ(doc.Child(2)->NextSibling()->Name(), "n0");
  EXPECT_EQ(doc.Child(22)->Name(), "n19");
  EXPECT_EQ(doc.Child(22)->NextSibling(), nullptr);
  ASSERT_EQ(a->ChildCount(), 2u);
  EXPECT_EQ(a->Child(0)->Name(), "x");
  EXPECT_EQ(a->Child(0)->NextSibling(), a->Child(1));
  EXPECT_EQ(a->Attribute("k"), "1");
  EXPECT_EQ(a->AttributeAt(20).value, "19");
  EXPECT_EQ(a->Name(), "a");
  EXPECT_THROW(doc.Child(23), std::out_of_range);
  EXPECT_THROW(a->AttributeAt(21), std::out_of_range);
}

// A tree of tiny elements costs many times its text (a 112-byte node for the
// 4 bytes of "<a/>"): with a budget the parse stops there, keeping what it read.
TEST(XmlTree, TinyElementsStopAtTheTreeBudgetWithWhatWasRead) {
  constexpr std::size_t kBudget = 256 << 10;
  std::string tiny = "<r>", attributes = "<r", texts = "<r>";
  for (int i = 0; i < 50000; ++i) tiny += "<a/>", attributes += " a=''";
  for (int i = 0; i < 100; ++i) texts.append("<a>").append(10000, 'x').append("</a>");
  const std::tuple<std::string, std::size_t, bool> cases[] = {// document, times its size, stops
                                                              {tiny + "</r>", 0, true},
                                                              {tiny + "</r>", 64, false},
                                                              {attributes + "/>", 0, true},
                                                              {texts + "</r>", 1, false}};
  for (const auto& [xml, timesSource, stops] : cases) {
    TmoxXMLParser2 doc;
    doc.SetTreeBudget(timesSource, kBudget);
    doc.LoadFromString(xml);
    EXPECT_EQ(doc.ErrorText().starts_with("Tree over its memory budget"), stops) << xml.substr(0, 20);
    EXPECT_TRUE(!stops || (doc.TreeBytes() < 2 * kBudget && doc.ChildCount() + doc.AttributeCount() > 100))
        << "what was read stays, within the budget";
  }
}

// Each node given to AppendNode owns the next one: freeing must not recurse.
TEST(XmlTree, LongChainOfAppendedNodesFreesWithoutRecursion) {
  constexpr int kLength = 100000;
  auto doc = std::make_unique<TmoxXMLParser2>();
  doc->SetName("r");
  std::unique_ptr<TmoxXMLNode2> chain;
  for (int i = 0; i < kLength; ++i) {
    auto node = std::make_unique<TmoxXMLNode2>();
    node->SetName("n");
    if (chain) node->AppendNode(std::move(chain));
    chain = std::move(node);
  }
  TmoxXMLNode2* top = doc->AppendNode(std::move(chain));
  EXPECT_EQ(top->Document(), doc.get());
  EXPECT_EQ(top->FirstChild()->FirstChild()->Document(), doc.get());
  doc.reset();
}

}  // namespace
}  // namespace kivo
