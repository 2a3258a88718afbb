// The add prompt's look runs on a worker while the user may close the dialog,
// type again or stop the plugin.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "options/AddressProbe.h"
#include "tests/support/FeedTestDoubles.h"

namespace kivo {
namespace {

constexpr char kPage[] =
    "<!DOCTYPE html><html><head><link rel=\"alternate\" type=\"application/rss+xml\" href=\"/rss\"></head>";

struct ProbeRig {
  testing::FakeHttpClient http;
  testing::FakeClock clock;
  testing::MessageQueue* queue = nullptr;
  std::unique_ptr<TAddressProbe> probe;

  ProbeRig() {
    auto owned = std::make_unique<testing::MessageQueue>();
    queue = owned.get();
    probe = std::make_unique<TAddressProbe>(http, clock, SystemThreads(), std::move(owned));
  }
  // What the probe hands over at the ends posted until the latest look's;
  // the ends of dropped looks hand over nothing.
  std::optional<std::vector<TAnnouncedFeed>> LatestEnd() {
    for (int ends = 0; ends < 3; ++ends) {
      testing::MessageQueue::Message message{};
      if (!queue->Wait(message)) break;
      EXPECT_EQ(message.Id, WM_ADDRESS_PROBED);
      if (auto feeds = probe->Take()) return feeds;
    }
    return std::nullopt;
  }
};

// A stalled look dropped for a newer one, a cancelled look and the plugin's
// stop: only the latest look is handed over, and nothing waits for a stalled server.
TEST(AddressProbeThreads, OnlyTheLatestLookIsHandedOverAndAStalledOneNeverHoldsUp) {
  ProbeRig rig;
  rig.http.Serve("site.test/", kPage);
  rig.http.Serve("slow.test/", testing::FakeRoute{.Body = kPage, .Stalls = true});
  rig.probe->Start("http://slow.test/", {});
  rig.probe->Start("http://site.test/", {});
  EXPECT_EQ(rig.LatestEnd(), (std::vector<TAnnouncedFeed>{{"http://site.test/rss", ""}}));
  rig.probe->Start("http://site.test/", {});
  rig.probe->Cancel();
  testing::MessageQueue::Message message{};
  ASSERT_TRUE(rig.queue->Wait(message));
  EXPECT_FALSE(rig.probe->Take());

  rig.probe->Start("http://slow.test/", {});
  const auto start = std::chrono::steady_clock::now();
  rig.probe.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

}  // namespace
}  // namespace kivo
