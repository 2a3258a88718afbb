#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "feeds/FeedMessages.h"
#include "imaging/ImageSignature.h"
#include "reader/ImageQueue.h"
#include "tests/support/FeedTestDoubles.h"

namespace kivo {
namespace {

// A PNG header declaring width x height, then a text.
std::string Png(unsigned width, unsigned height, std::string_view text = "") {
  std::string png("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
  for (const unsigned side : {width, height})
    for (int shift = 24; shift >= 0; shift -= 8) png += static_cast<char>(side >> shift);
  return png.append("\x08\x06\0\0\0", 5).append(text);
}

// A picture of the declared size (64 x 64 when that cannot be read) with the
// text after the header in its first pixels.
class TTextPictureDecoder final : public IImageDecoder {
 public:
  std::optional<TBitmap32> Decode(ImageKind, std::string_view bytes) override {
    ++calls;
    const TImageSize size = ReadDeclaredImageSize(ImageKind::Png, bytes).value_or(TImageSize{64, 64});
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size.Width * size.Height));
    if (bytes.size() > 29) std::copy(bytes.begin() + 29, bytes.end(), pixels.begin());
    return TBitmap32{static_cast<int>(size.Width), static_cast<int>(size.Height), std::move(pixels)};
  }
  std::atomic<int> calls{0};
};

std::string TextOf(const TDecodedImage& image) {
  if (!image.Picture) return "";
  const std::vector<std::uint32_t>& pixels = image.Picture->Pixels;
  return {pixels.begin(), std::find(pixels.begin(), pixels.end(), 0u)};
}

class ImageQueueTest : public ::testing::Test {
 protected:
  // The picture handed over on the next WM_IMAGE_LOADED as "source: text"; "none" without one.
  std::string Loaded() {
    const auto image = queue.ImageLoaded();
    return image ? image->Source + ": " + TextOf(image->Image) : "none";
  }

  testing::HeldThreads starter;
  TSharedRef<testing::MessageQueue> poster = MakeShared<testing::MessageQueue>();
  TTextPictureDecoder decoder;
  std::vector<std::shared_ptr<THttpCancel>> downloadsMade;  // the cancel of each
  // Downloads from the host "broken" fail.
  TImageQueue queue{starter, poster, decoder,
                    [this](std::shared_ptr<THttpCancel> cancel) {
                      downloadsMade.push_back(std::move(cancel));
                      return [](const std::string& url) -> std::string {
                        if (url.starts_with("http://broken/")) throw std::runtime_error("no network");
                        return Png(64, 1, "bytes of " + url);
                      };
                    },
                    nullptr};
};

TEST_F(ImageQueueTest, FeedWithoutPicturesNeverFetches) {
  EXPECT_FALSE(queue.ImageRequest("a.png", false, "http://feed.example/"));
  EXPECT_FALSE(queue.ImageRequest("http://x.example/b.png", false, "http://feed.example/"));
  EXPECT_TRUE(queue.Entries().empty());
  EXPECT_TRUE(starter.Waiting() == 0);
  EXPECT_EQ(Loaded(), "none");
}

TEST_F(ImageQueueTest, PicturesAreFetchedOneAfterTheOtherInRequestOrder) {
  ASSERT_TRUE(queue.ImageRequest("/a.png", true, "http://feed.example/"));
  ASSERT_TRUE(queue.ImageRequest("http://cdn.example/b.png", true, "http://feed.example/"));
  ASSERT_EQ(starter.Waiting(), 1u) << "the second waits for the first";
  // Workers must not read the settings: each gets its download made here.
  EXPECT_EQ(downloadsMade.size(), 1u);
  starter.RunNext();
  EXPECT_EQ(poster->Take(WM_IMAGE_LOADED), std::vector<long>{0});
  EXPECT_TRUE(starter.Waiting() == 0) << "nothing starts before the window took the first picture";
  EXPECT_EQ(Loaded(), "/a.png: bytes of http://feed.example/a.png");
  ASSERT_EQ(starter.Waiting(), 1u);
  EXPECT_EQ(downloadsMade.size(), 2u);
  starter.RunNext();
  EXPECT_EQ(Loaded(), "http://cdn.example/b.png: bytes of http://cdn.example/b.png");
  EXPECT_TRUE(queue.Entries().empty());
  EXPECT_EQ(Loaded(), "none") << "an empty queue ignores the message";
}

// A dropped picture's download used to run on to its end: every feed switch
// could leave one more thread loading from a slow server.
TEST_F(ImageQueueTest, SwitchingFeedCancelsTheRunningDownloadAndStopsTheSecond) {
  queue.ImageRequest("a.png", true, "http://feed.example/");
  queue.ImageRequest("b.png", true, "http://feed.example/");
  ASSERT_EQ(downloadsMade.size(), 1u);
  EXPECT_FALSE(downloadsMade[0]->Cancelled());
  queue.Reset();
  EXPECT_TRUE(downloadsMade[0]->Cancelled());
  starter.RunNext();  // the first download finishes after the switch
  EXPECT_TRUE(poster->Take(WM_IMAGE_LOADED).empty());
  EXPECT_EQ(Loaded(), "none");
  EXPECT_TRUE(starter.Waiting() == 0);
}

TEST_F(ImageQueueTest, LeftoverMessageDoesNotTakeTheRunningWorkersPicture) {
  queue.ImageRequest("old.png", true, "http://old.example/");
  starter.RunNext();  // posted; the message is still on its way
  queue.Reset();
  queue.ImageRequest("new.png", true, "http://new.example/");
  EXPECT_EQ(Loaded(), "none") << "the old worker's message arrives while the new one runs";
  ASSERT_EQ(queue.Entries().size(), 1u);
  starter.RunNext();
  EXPECT_EQ(Loaded(), "new.png: bytes of http://new.example/new.png");
}

TEST_F(ImageQueueTest, FullAddressOfEachSource) {
  struct {
    const char *source, *base, *url;
  } const cases[] = {
      {"http://x.example/a.png", "https://feed.example/", "http://x.example/a.png"},
      {"img/a.png", "https://feed.example/", "https://feed.example/img/a.png"},
      {"/img/../a.png", "https://feed.example/", "https://feed.example/a.png"},
      {"//cdn.example/a.png", "https://feed.example/", "https://cdn.example/a.png"},
      {"//cdn.example/a.png", "http://feed.example/", "http://cdn.example/a.png"},
  };
  for (const auto& c : cases) {
    queue.Reset();
    queue.ImageRequest(c.source, true, c.base);
    ASSERT_EQ(queue.Entries().size(), 1u);
    EXPECT_EQ(queue.Entries().front().Url, c.url) << c.source;
  }
}

TEST_F(ImageQueueTest, FailedFetchIsAnEmptyPictureAndTheQueueMovesOn) {
  queue.ImageRequest("ftp://x.example/a.png", true, "");
  queue.ImageRequest("http://broken/b.png", true, "");
  starter.RunNext();
  EXPECT_EQ(Loaded(), "ftp://x.example/a.png: ");
  starter.RunNext();
  EXPECT_EQ(Loaded(), "http://broken/b.png: ");
  EXPECT_EQ(poster->Take(WM_IMAGE_LOADED), (std::vector<long>{0, 0}));
}

// Each picture could take 128 MB (32 megapixels), with no limit across the
// pictures of a page, and was decoded on the window's thread as its message
// arrived. Here a page has 4096 bytes: 32 x 32 pixels.
TEST(ImageQueueBudget, PicturesOfAPageShareTheBudgetAndTheOverflowShowsItsText) {
  const std::string cut("\x89PNG\r\n\x1a\n", 8);  // its size is known once decoded: 64 x 64
  const std::vector<std::vector<std::pair<std::string, std::string>>> pages = {
      {{Png(32, 32), "shown"}, {Png(1, 1), "alt"}},
      {{Png(33, 32), "alt"}, {cut, "alt"}, {Png(1, 1), "shown"}, {"not a picture", "none"}},
  };
  testing::HeldThreads threads;
  TTextPictureDecoder decoder;
  std::map<std::string, std::string> served;
  TImageQueue queue(
      threads, MakeShared<testing::MessageQueue>(), decoder,
      [&served](auto) { return [&served](const std::string& url) { return served.at(url); }; }, nullptr,
      4096);
  for (const auto& page : pages) {
    queue.Reset();  // the next page
    for (const auto& [bytes, outcome] : page) {
      const std::string url = "http://h/" + std::to_string(served.size());
      served[url] = bytes;
      queue.ImageRequest(url, true, "");
      threads.RunNext();
      const int decodedByTheWorker = decoder.calls;
      const auto image = queue.ImageLoaded();
      ASSERT_TRUE(image && decoder.calls == decodedByTheWorker);
      EXPECT_EQ(image->Image.Picture ? "shown" : image->Image.OverBudget ? "alt" : "none", outcome) << url;
    }
  }
  EXPECT_EQ(decoder.calls, 3) << "a picture declared over the budget is not decoded at all";
}

TEST(LocalImagePath, OnlyLocalDrivePathsAreOpened) {
  struct Case {
    std::string address;
    std::optional<std::string> path;
  };
  const std::vector<Case> cases = {
      {"file:///C:/pics/a.png", "C:\\pics\\a.png"},
      {"file:///C|/pics/a.png", "C:\\pics\\a.png"},
      {"FILE:///d:/My%20Pics/%D0.png", "d:\\My Pics\\\xD0.png"},
      {"file:///C%3A/a.png", "C:\\a.png"},
      {"file:///C:\\a.png", "C:\\a.png"},
      {"file:///C:/a%2", "C:\\a%2"},
      {"file://server/share/a.png", std::nullopt},
      {"file:////server/share/a.png", std::nullopt},
      {"file://///server/share/a.png", std::nullopt},
      {"file:///%5C%5Cserver%5Cshare%5Ca.png", std::nullopt},
      {"file:///\\\\server\\share\\a.png", std::nullopt},
      {"file:///C|\\a.png", std::nullopt},  // no "/": the bar stays
      {"file:///C:", std::nullopt},
      {"file:///a.png", std::nullopt},
      {"file:///C:/a%00.png", std::nullopt},
      {"http://h/a.png", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(LocalImagePath(c.address), c.path) << c.address;
}

TEST(LoadImageBytes, SchemeChoosesTheSource) {
  const TImageDownload download = [](const std::string& url) { return "net " + url; };
  const TImageFileReader reader = [](const std::string& path) -> std::optional<std::string> {
    if (path == "C:\\missing.png") return std::nullopt;
    return "disk " + path;
  };
  struct {
    const char *Address, *Bytes;
  } const cases[] = {
      {"http://h/a.png", "net http://h/a.png"},
      {"HTTPS://h/a.png", "net HTTPS://h/a.png"},
      {"file:///C:/a.png", "disk C:\\a.png"},
      {"file:///C:/missing.png", ""},
      {"file://host/a.png", ""},
      {"ftp://h/a.png", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(LoadImageBytes(c.Address, download, reader), c.Bytes) << c.Address;
}

// A real worker thread hands its picture over through the posted message.
TEST(ImageQueueOnSystemThreads, PictureArrivesThroughThePostedMessage) {
  const auto poster = MakeShared<testing::MessageQueue>();
  TTextPictureDecoder decoder;
  TImageQueue queue(
      SystemThreads(), poster, decoder,
      [](auto) { return [](const std::string& url) { return Png(32, 1, "got " + url); }; }, nullptr);
  queue.ImageRequest("http://h/1.png", true, "");
  queue.ImageRequest("http://h/2.png", true, "");
  std::vector<std::string> pictures;
  for (int i = 0; i < 2; ++i) {
    testing::MessageQueue::Message message{};
    ASSERT_TRUE(poster->Wait(message));
    EXPECT_EQ(message.Id, WM_IMAGE_LOADED);
    const auto image = queue.ImageLoaded();
    ASSERT_TRUE(image);
    pictures.push_back(TextOf(image->Image));
  }
  EXPECT_EQ(pictures, (std::vector<std::string>{"got http://h/1.png", "got http://h/2.png"}));
}

}  // namespace
}  // namespace kivo
