#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "feeds/FeedMessages.h"
#include "reader/ImageQueue.h"
#include "tests/support/FeedTestDoubles.h"

namespace kivo {
namespace {

class ImageQueueTest : public ::testing::Test {
 protected:
  // The picture handed over on the next WM_IMAGE_LOADED as "source: bytes"; "none" without one.
  std::string Loaded() {
    const auto image = queue.ImageLoaded();
    return image ? image->Source + ": " + image->Bytes : "none";
  }

  testing::HeldThreads starter;
  TSharedRef<testing::MessageQueue> poster = MakeShared<testing::MessageQueue>();
  std::vector<std::shared_ptr<THttpCancel>> downloadsMade;  // the cancel of each
  // Downloads from the host "broken" fail.
  TImageQueue queue{starter, poster,
                    [this](std::shared_ptr<THttpCancel> cancel) {
                      downloadsMade.push_back(std::move(cancel));
                      return [](const std::string& url) -> std::string {
                        if (url.starts_with("http://broken/")) throw std::runtime_error("no network");
                        return "bytes of " + url;
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

// A real worker thread hands its buffer over through the posted message.
TEST(ImageQueueOnSystemThreads, PictureArrivesThroughThePostedMessage) {
  const auto poster = MakeShared<testing::MessageQueue>();
  TImageQueue queue(
      SystemThreads(), poster, [](auto) { return [](const std::string& url) { return "got " + url; }; },
      nullptr);
  queue.ImageRequest("http://h/1.png", true, "");
  queue.ImageRequest("http://h/2.png", true, "");
  std::vector<std::string> pictures;
  for (int i = 0; i < 2; ++i) {
    testing::MessageQueue::Message message{};
    ASSERT_TRUE(poster->Wait(message));
    EXPECT_EQ(message.Id, WM_IMAGE_LOADED);
    const auto image = queue.ImageLoaded();
    ASSERT_TRUE(image);
    pictures.push_back(image->Bytes);
  }
  EXPECT_EQ(pictures, (std::vector<std::string>{"got http://h/1.png", "got http://h/2.png"}));
}

}  // namespace
}  // namespace kivo
