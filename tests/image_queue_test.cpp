#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "feeds/FeedMessages.h"
#include "reader/ImageQueue.h"

namespace kivo {
namespace {

// Holds the jobs until the test runs them, as a slow worker would.
class HeldStarter : public IImageWorkerStarter {
 public:
  void Start(std::function<void()> job) override { jobs.push_back(std::move(job)); }
  void RunNext() {
    ASSERT_FALSE(jobs.empty());
    auto job = std::move(jobs.front());
    jobs.erase(jobs.begin());
    job();
  }
  std::vector<std::function<void()>> jobs;
};

class CountingPoster : public IMessagePoster {
 public:
  void Post(unsigned message, long lParam) override {
    EXPECT_EQ(message, WM_IMAGE_LOADED);
    EXPECT_EQ(lParam, 0);
    ++posted;
  }
  int posted = 0;
};

class ImageQueueTest : public ::testing::Test {
 protected:
  TImageDownload Download() {
    return [this](const std::string& url) {
      fetched.push_back(url);
      return "bytes of " + url;
    };
  }
  TImageFileReader Reader() {
    return [this](const std::string& path) -> std::optional<std::string> {
      read.push_back(path);
      return "file " + path;
    };
  }

  std::vector<std::string> fetched;
  std::vector<std::string> read;
  HeldStarter starter;
  CountingPoster poster;
  TImageQueue queue{starter, poster, Download(), Reader()};
};

TEST_F(ImageQueueTest, FeedWithoutPicturesNeverFetches) {
  for (int reload = 0; reload < 3; ++reload) {
    EXPECT_FALSE(queue.ImageRequest("a.png", false, "http://feed.example/"));
    EXPECT_FALSE(queue.ImageRequest("http://x.example/b.png", false, "http://feed.example/"));
    queue.Reset();
  }
  EXPECT_TRUE(queue.Entries().empty());
  EXPECT_TRUE(starter.jobs.empty());
  EXPECT_FALSE(queue.ImageLoaded());
}

TEST_F(ImageQueueTest, PicturesAreFetchedOneAfterTheOtherInRequestOrder) {
  ASSERT_TRUE(queue.ImageRequest("/a.png", true, "http://feed.example/"));
  ASSERT_TRUE(queue.ImageRequest("http://cdn.example/b.png", true, "http://feed.example/"));
  ASSERT_EQ(starter.jobs.size(), 1u) << "the second waits for the first";
  starter.RunNext();
  EXPECT_EQ(poster.posted, 1);
  EXPECT_TRUE(starter.jobs.empty()) << "nothing starts before the window took the first picture";

  const auto first = queue.ImageLoaded();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->Source, "/a.png");
  EXPECT_EQ(first->Bytes, "bytes of http://feed.example/a.png");
  ASSERT_EQ(starter.jobs.size(), 1u);
  starter.RunNext();
  const auto second = queue.ImageLoaded();
  ASSERT_TRUE(second);
  EXPECT_EQ(second->Source, "http://cdn.example/b.png");
  EXPECT_EQ(second->Bytes, "bytes of http://cdn.example/b.png");
  EXPECT_EQ(fetched, (std::vector<std::string>{"http://feed.example/a.png", "http://cdn.example/b.png"}));
  EXPECT_TRUE(queue.Entries().empty());
  EXPECT_FALSE(queue.ImageLoaded()) << "an empty queue ignores the message";
}

TEST_F(ImageQueueTest, SwitchingFeedWhileTheFirstIsFetchedStopsTheSecond) {
  queue.ImageRequest("a.png", true, "http://feed.example/");
  queue.ImageRequest("b.png", true, "http://feed.example/");
  queue.Reset();
  starter.RunNext();  // the first download finishes after the switch
  EXPECT_EQ(poster.posted, 0);
  EXPECT_FALSE(queue.ImageLoaded());
  EXPECT_TRUE(starter.jobs.empty());
  EXPECT_EQ(fetched, std::vector<std::string>{"http://feed.example/a.png"});
}

TEST_F(ImageQueueTest, LeftoverMessageDoesNotTakeTheRunningWorkersPicture) {
  queue.ImageRequest("old.png", true, "http://old.example/");
  starter.RunNext();  // posted; the message is still on its way
  queue.Reset();
  queue.ImageRequest("new.png", true, "http://new.example/");
  EXPECT_FALSE(queue.ImageLoaded()) << "the old worker's message arrives while the new one runs";
  ASSERT_EQ(queue.Entries().size(), 1u);
  starter.RunNext();
  const auto image = queue.ImageLoaded();
  ASSERT_TRUE(image);
  EXPECT_EQ(image->Source, "new.png");
  EXPECT_EQ(image->Bytes, "bytes of http://new.example/new.png");
}

TEST_F(ImageQueueTest, FullAddressOfEachSource) {
  struct Case {
    std::string source;
    std::string base;
    std::string url;
  };
  const std::vector<Case> cases = {
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
    EXPECT_EQ(queue.Entries().front().Source, c.source);
    EXPECT_EQ(queue.Entries().front().Url, c.url) << c.source;
  }
}

TEST_F(ImageQueueTest, FailedFetchIsAnEmptyPictureAndTheQueueMovesOn) {
  TImageQueue failing{starter, poster,
                      [](const std::string&) -> std::string { throw std::runtime_error("x"); }, Reader()};
  failing.ImageRequest("ftp://x.example/a.png", true, "");
  failing.ImageRequest("http://x.example/b.png", true, "");
  starter.RunNext();
  const auto first = failing.ImageLoaded();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->Bytes, "");
  starter.RunNext();
  const auto second = failing.ImageLoaded();
  ASSERT_TRUE(second);
  EXPECT_EQ(second->Bytes, "");
  EXPECT_EQ(poster.posted, 2);
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
  std::vector<std::string> calls;
  const TImageDownload download = [&](const std::string& url) {
    calls.push_back("get " + url);
    return std::string("net");
  };
  const TImageFileReader reader = [&](const std::string& path) -> std::optional<std::string> {
    calls.push_back("read " + path);
    return path == "C:\\missing.png" ? std::nullopt : std::optional<std::string>("disk");
  };
  struct Case {
    std::string address;
    std::string bytes;
    std::string call;
  };
  const std::vector<Case> cases = {
      {"http://h/a.png", "net", "get http://h/a.png"},
      {"HTTPS://h/a.png", "net", "get HTTPS://h/a.png"},
      {"file:///C:/a.png", "disk", "read C:\\a.png"},
      {"file:///C:/missing.png", "", "read C:\\missing.png"},
      {"file://host/a.png", "", ""},
      {"ftp://h/a.png", "", ""},
  };
  for (const auto& c : cases) {
    calls.clear();
    EXPECT_EQ(LoadImageBytes(c.address, download, reader), c.bytes) << c.address;
    EXPECT_EQ(calls, c.call.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.call})
        << c.address;
  }
}

// A real worker thread hands its buffer over through the posted message.
TEST(ThreadImageWorkerStarter, PictureArrivesThroughThePostedMessage) {
  class SignalPoster : public IMessagePoster {
   public:
    void Post(unsigned, long) override {
      std::lock_guard lock(mutex);
      ++posted;
      arrived.notify_all();
    }
    void WaitFor(int count) {
      std::unique_lock lock(mutex);
      arrived.wait(lock, [&] { return posted >= count; });
    }
    std::mutex mutex;
    std::condition_variable arrived;
    int posted = 0;
  } poster;
  TThreadImageWorkerStarter starter;
  TImageQueue queue(
      starter, poster, [](const std::string& url) { return "got " + url; }, nullptr);
  queue.ImageRequest("http://h/1.png", true, "");
  queue.ImageRequest("http://h/2.png", true, "");
  std::vector<std::string> pictures;
  for (int i = 1; i <= 2; ++i) {
    poster.WaitFor(i);
    const auto image = queue.ImageLoaded();
    ASSERT_TRUE(image);
    pictures.push_back(image->Bytes);
  }
  EXPECT_EQ(pictures, (std::vector<std::string>{"got http://h/1.png", "got http://h/2.png"}));
}

}  // namespace
}  // namespace kivo
