#include "feeds/Opml.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "feeds/FeedDiscovery.h"
#include "feeds/HttpDownload.h"

namespace kivo {
namespace {

using Feeds = std::vector<TOpmlFeed>;

std::string Opml(std::string_view encoding, std::string_view body) {
  return "<?xml version=\"1.0\" encoding=\"" + std::string(encoding) +
         "\"?>\n<opml version=\"2.0\"><head/><body>" + std::string(body) + "</body></opml>\n";
}

// Feeds sat in folders at any depth, named by title or only by text, and the
// same address came twice; each had to be added once, in order, or counted.
TEST(ImportOpml, FeedsAtAnyDepthAreAddedOnceAndTheRestCounted) {
  const std::string body =
      "<outline text=\"Folder\"><outline text=\"Deeper\">"
      "<outline type=\"rss\" text=\"T1\" title=\"Title1\" xmlUrl=\"http://a.com/1\"/></outline>"
      "<outline text=\"OnlyText\" xmlUrl=\"b.com/2\"/></outline>"
      "<outline XMLURL=\"http://c.com:8080/3\"/>"
      "<outline title=\"Again\" xmlUrl=\"http://A.com/1\"/>"
      "<outline title=\"Listed\" xmlUrl=\"http://listed.com/\"/>"
      "<outline title=\"Ftp\" xmlUrl=\"ftp://d.com/\"/>"
      "<outline title=\"Empty\" xmlUrl=\" \"/>"
      "<outline title=\"Bar\" xmlUrl=\"http://e.com/a|b\"/>"
      "<outline title=\"Tab\" xmlUrl=\"http://e.com/&#9;b\"/>"
      "<outline title=\"No address\" htmlUrl=\"http://f.com/\"/>"
      "<outline title=\"Multi|line&#10;name\" xmlUrl=\"http://g.com/\"/>";
  for (const char* version : {"1.0", "2.0"}) {
    std::string file = Opml("UTF-8", body);
    file.replace(file.find("2.0"), 3, version);
    const TOpmlImport result = ImportOpml(file, {"http://listed.com/"}, 40);
    EXPECT_EQ(result.Failure, TOpmlFailure::None);
    EXPECT_EQ(result.Added, (Feeds{{"http://a.com/1", "Title1"},
                                   {"http://b.com/2", "OnlyText"},
                                   {"http://c.com:8080/3", "http://c.com:8080/3"},
                                   {"http://g.com/", "Multi line name"}}))
        << version;
    EXPECT_EQ(result.Skipped, 6) << version;
  }
}

// Names came out as mojibake unless read in the file's own encoding; files in
// encodings the conversion cannot read must be refused, not half-read.
TEST(ImportOpml, NamesAreReadInTheDeclaredEncodingAndUnknownOnesRefused) {
  const std::string news1251 = "\xCD\xEE\xE2\xEE\xF1\xF2\xE8";  // "Новости"
  struct Case {
    std::string file;
    TOpmlFailure failure;
    std::string name;
  };
  const Case cases[] = {
      {Opml("windows-1251", "<outline title=\"" + news1251 + "\" xmlUrl=\"http://a.com/\"/>"),
       TOpmlFailure::None, news1251},
      {Opml("UTF-8",
            "<outline title=\"\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8\" "
            "xmlUrl=\"http://a.com/\"/>"),
       TOpmlFailure::None, news1251},
      {"\xEF\xBB\xBF" + Opml("utf-8",
                             "<outline title=\"\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8\" "
                             "xmlUrl=\"http://a.com/\"/>"),
       TOpmlFailure::None, news1251},
      {Opml("KOI8-R", "<outline title=\"\xEE\xCF\xD7\xCF\xD3\xD4\xC9\" xmlUrl=\"http://a.com/\"/>"),
       TOpmlFailure::None, news1251},
      {Opml("utf-8", "<outline title=\"&#1053;&#x43E; &#20013;\" xmlUrl=\"http://a.com/\"/>"),
       TOpmlFailure::None, "\xCD\xEE ?"},
      {Opml("iso-8859-5", "<outline title=\"x\" xmlUrl=\"http://a.com/\"/>"),
       TOpmlFailure::UnreadableEncoding, ""},
      {Opml("utf-16", "<outline title=\"x\" xmlUrl=\"http://a.com/\"/>"), TOpmlFailure::UnreadableEncoding,
       ""},
      {std::string("\xFF\xFE<\0?\0", 6), TOpmlFailure::UnreadableEncoding, ""},
  };
  for (const auto& c : cases) {
    const TOpmlImport result = ImportOpml(c.file, {}, 40);
    EXPECT_EQ(result.Failure, c.failure) << c.file;
    if (c.failure == TOpmlFailure::None) {
      EXPECT_EQ(result.Added, (Feeds{{"http://a.com/", c.name}})) << c.file;
    }
  }
}

TEST(ImportOpml, FilesThatAreNoOutlineListAddNothing) {
  const std::string full = Opml("utf-8", "<outline title=\"x\" xmlUrl=\"http://a.com/\"/>");
  const std::pair<std::string, TOpmlFailure> cases[] = {
      {"<?xml version=\"1.0\"?><rss><channel><title>x</title></channel></rss>", TOpmlFailure::NotOpml},
      {"<opml version=\"2.0\"><head/></opml>", TOpmlFailure::NotOpml},
      {"plain text", TOpmlFailure::NotOpml},
      {"", TOpmlFailure::NotOpml},
      {full.substr(0, full.find("xmlUrl") + 12), TOpmlFailure::Damaged},
      {std::string(kFeedMaxBytes + 1, ' '), TOpmlFailure::TooLarge},
  };
  for (const auto& [file, failure] : cases) {
    const TOpmlImport result = ImportOpml(file, {}, 40);
    EXPECT_EQ(result.Failure, failure) << file.substr(0, 80);
    EXPECT_TRUE(result.Added.empty()) << file.substr(0, 80);
  }
}

// An export another reader cannot read, or that comes back different, loses
// the user's list on the way.
TEST(ExportOpml, MarkupAndCyrillicInNamesComeBackAsTheyWere) {
  const Feeds feeds = {{"http://a.com/rss?x=1&y=2", "Tom & Jerry <\"news\"> 'q'"},
                       {"https://b.com:8443/\xE0", "\xCD\xEE\xE2\xEE\xF1\xF2\xE8"},
                       {"http://c.com/", "tab\there"}};
  const std::string file = ExportOpml(feeds);
  EXPECT_TRUE(file.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>")) << file;
  EXPECT_NE(file.find("\xD0\x9D\xD0\xBE"), std::string::npos) << "UTF-8, not windows-1251: " << file;
  const TOpmlImport back = ImportOpml(file, {}, 40);
  EXPECT_EQ(back.Failure, TOpmlFailure::None);
  EXPECT_EQ(back.Added, feeds);
  EXPECT_EQ(back.Skipped, 0);
  EXPECT_EQ(
      ImportOpml(file, {"http://a.com/rss?x=1&y=2", "https://b.com:8443/\xE0", "http://c.com/"}, 40).Skipped,
      3);
}

// A site's page was stored as the feed, and never loaded, when the add prompt
// took the address as typed.
TEST(FindAnnouncedFeeds, OnlyAlternateFeedLinksAreOfferedWithAbsoluteAddresses) {
  const std::string page =
      "<html><head><!-- <link rel=\"alternate\" type=\"application/rss+xml\" href=\"/hidden\"> -->"
      "<LINK REL=\"Alternate\" TYPE=\"Application/RSS+XML\" HREF=\"/rss.xml\" title=\"Main &amp; more\">"
      "<link rel='home alternate' type='application/atom+xml; charset=utf-8' href='atom.xml'/>"
      "<link rel=alternate type=application/rdf+xml href=//cdn.b.com/rdf>"
      "<link rel=\"alternate\" type=\"application/rss+xml\" href=\"?feed=rss2\" title=\"\xD0\x9B\">"
      "<link rel=\"alternate\" type=\"application/rss+xml\" href=\"http://other.com:81/f\">"
      "<link rel=\"alternate\" type=\"application/rss+xml\" href=\"/rss.xml\">"
      "<link rel=\"alternate stylesheet\" type=\"application/rss+xml\" href=\"/style\">"
      "<link rel=\"alternate\" type=\"text/html\" href=\"/en\">"
      "<link rel=\"stylesheet\" type=\"application/rss+xml\" href=\"/css\">"
      "<link rel=\"alternative\" type=\"application/rss+xml\" href=\"/typo\">"
      "<link rel=\"alternate\" type=\"application/rss+xml\">"
      "<linked rel=\"alternate\" type=\"application/rss+xml\" href=\"/tag\">";
  const std::vector<TAnnouncedFeed> expected = {{"https://b.com/rss.xml", "Main & more"},
                                                {"https://b.com/blog/atom.xml", ""},
                                                {"https://cdn.b.com/rdf", ""},
                                                {"https://b.com/blog/index.php?feed=rss2", "\xCB"},
                                                {"http://other.com:81/f", ""}};
  EXPECT_EQ(FindAnnouncedFeeds(page, "https://b.com/blog/index.php?p=1"), expected);
  EXPECT_EQ(FindAnnouncedFeeds("<base href=\"http://c.com/x/\">" + page, "https://b.com/blog/")[1].Address,
            "http://c.com/x/atom.xml");
}

TEST(FindAnnouncedFeeds, AHugePageIsReadOnlyAsFarAsItsStart) {
  const std::string link = "<link rel=\"alternate\" type=\"application/rss+xml\" href=\"/f";
  std::string page;
  for (int i = 0; i < 100; ++i) page += link + std::to_string(i) + "\">";
  EXPECT_EQ(FindAnnouncedFeeds(page, "http://a.com/").size(), kMaxAnnouncedFeeds);
  const std::string late = std::string(kDiscoveryScanBytes, ' ') + link + "\">";
  EXPECT_TRUE(FindAnnouncedFeeds(late, "http://a.com/").empty());
  EXPECT_TRUE(FindAnnouncedFeeds(std::string(4 << 20, '<'), "http://a.com/").empty());
}

// A feed whose own links name a feed (Atom's "alternate" to itself) was
// offered in place of the address the user typed.
TEST(StartsAsFeed, OnlyAFeedRootSkipsTheLookForAnnouncedFeeds) {
  const struct {
    const char* document;
    bool feed;
  } cases[] = {
      {"<rss version=\"2.0\"><channel/></rss>", true},
      {"\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<!-- c <rss> --><!DOCTYPE x><RSS>", true},
      {"<rdf:RDF xmlns:rdf=\"x\">", true},
      {"<feed xmlns=\"http://www.w3.org/2005/Atom\"><link rel=\"alternate\" type=\"application/atom+xml\"/>",
       true},
      {"<atom:feed>", true},
      {"<news><item/>", true},
      {"<!DOCTYPE html><html><link rel=\"alternate\">", false},
      {"<?xml version=\"1.0\"?><html>", false},
      {"<head><title>rss</title>", false},
      {"<!-- <rss> never closed", false},
      {"plain text", false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(StartsAsFeed(c.document), c.feed) << c.document;
}

}  // namespace
}  // namespace kivo
