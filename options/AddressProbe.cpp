#include "options/AddressProbe.h"

#include <algorithm>
#include <atomic>
#include <utility>

namespace kivo {

std::vector<TAnnouncedFeed> AnnouncedFeedsOf(std::string_view body, std::string_view address) {
  if (body.empty() || StartsAsFeed(body)) return {};
  return FindAnnouncedFeeds(body, address);
}

TAddressProbe::TAddressProbe(IHttpClient& http, IClock& clock, IThreadStarter& threads,
                             std::unique_ptr<IMessagePoster> window)
    : http_(http),
      clock_(clock),
      threads_(threads),
      window_(std::move(window)),
      poster_(MakeShared<TClosablePoster>(*window_)) {}

TAddressProbe::~TAddressProbe() {
  poster_->Close();
  Retire();
  const TSteadyTime deadline = std::chrono::steady_clock::now() + kStopWait;
  for (const auto& worker : retired_) worker->Stop(deadline);
}

void TAddressProbe::Retire() {
  cancel_->Cancel();
  cancel_ = MakeShared<THttpCancel>();
  if (worker_) retired_.push_back(std::move(worker_));
  // An ended look's thread is only leaving: joining it costs nothing.
  std::erase_if(retired_, [](const auto& worker) { return !worker->Busy(); });
}

void TAddressProbe::Start(const std::string& address, const TProxySettings& proxy) {
  Retire();
  const int serial = ++serial_;
  TWorkerReport<TOutcomes> report{mailbox_, TSharedRef<IMessagePoster>(poster_), WM_ADDRESS_PROBED, 0};
  auto job = [&http = http_, &clock = clock_, cancel = cancel_, address, proxy, serial] {
    const TNetContext context{
        .Http = http, .Clock = clock, .Poster = NoPoster(), .Deadline = kDeadline, .Cancel = cancel};
    // Whatever goes wrong, the dialog hears of the end and adds the typed address.
    try {
      return TOutcome{0, serial, AnnouncedFeedsOf(DownloadToStream(address, proxy, context), address)};
    } catch (...) {
      return TOutcome{0, serial, {}};
    }
  };
  try {
    worker_ =
        TWorker::Start(threads_, MakeShared<std::atomic<bool>>(false), std::move(report), std::move(job));
  } catch (...) {
    mailbox_->Put(TOutcome{0, serial, {}});
    poster_->Post(WM_ADDRESS_PROBED, 0);
  }
}

std::optional<std::vector<TAnnouncedFeed>> TAddressProbe::Take() {
  std::optional<std::vector<TAnnouncedFeed>> latest;
  for (TOutcome& outcome : mailbox_->Take(0)) {
    if (outcome.Serial == serial_) latest = std::move(outcome.Feeds);
  }
  return latest;
}

void TAddressProbe::Cancel() {
  ++serial_;  // a look that ends now reports nothing
  Retire();
}

}  // namespace kivo
