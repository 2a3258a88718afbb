// The add prompt's look at a typed address: one download on a worker, whose
// end is posted to the options dialog.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/SharedRef.h"
#include "feeds/FeedDiscovery.h"
#include "feeds/FeedMessages.h"
#include "options/OptionsView.h"
#include "platform/Clock.h"
#include "platform/Http.h"
#include "platform/Mailbox.h"
#include "platform/Thread.h"
#include "platform/UiMessages.h"
#include "platform/Worker.h"

namespace kivo {

// Posted to the options dialog with lParam 0 when a look has ended.
constexpr unsigned WM_ADDRESS_PROBED = kWmUser + 131;

// The feeds `body` announces when it is a page; none when it is a feed.
std::vector<TAnnouncedFeed> AnnouncedFeedsOf(std::string_view body, std::string_view address);

class TAddressProbe final : public IAddressProbe {
 public:
  // A look gives up after this: the user waits for it.
  static constexpr std::chrono::milliseconds kDeadline{20000};
  // How long the plugin's stop waits for a look it has cancelled.
  static constexpr std::chrono::milliseconds kStopWait{300};

  // `http`, `clock` and `threads` live as long as the process. The probe goes
  // before the window that `window` posts to.
  TAddressProbe(IHttpClient& http, IClock& clock, IThreadStarter& threads,
                std::unique_ptr<IMessagePoster> window);
  // Cancels a look under way and lets it go after kStopWait at most.
  ~TAddressProbe() override;
  TAddressProbe(const TAddressProbe&) = delete;
  TAddressProbe& operator=(const TAddressProbe&) = delete;

  void Start(const std::string& address, const TProxySettings& proxy) override;
  std::optional<std::vector<TAnnouncedFeed>> Take() override;
  void Cancel() override;

 private:
  // Filed under one key: Take clears out the results of dropped looks too.
  struct TOutcome {
    int Key = 0;
    int Serial = 0;
    std::vector<TAnnouncedFeed> Feeds;
  };
  using TOutcomes = TMailbox<TOutcome, &TOutcome::Key>;

  void Retire();

  IHttpClient& http_;
  IClock& clock_;
  IThreadStarter& threads_;
  std::unique_ptr<IMessagePoster> window_;
  TSharedRef<TClosablePoster> poster_;
  TSharedRef<TOutcomes> mailbox_ = MakeShared<TOutcomes>();
  TSharedRef<THttpCancel> cancel_ = MakeShared<THttpCancel>();
  std::unique_ptr<TWorker> worker_;
  std::vector<std::unique_ptr<TWorker>> retired_;  // cancelled looks, not yet ended
  int serial_ = 0;
};

}  // namespace kivo
