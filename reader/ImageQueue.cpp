#include "reader/ImageQueue.h"

#include <algorithm>

#include "base/Text1251.h"
#include "base/UrlFunctions.h"
#include "feeds/FeedMessages.h"

namespace kivo {

namespace {

constexpr std::string_view kSchemeEnd = "://";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string PercentDecode(std::string_view text) {
  std::string decoded;
  decoded.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int high = text[i] == '%' && i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
    const int low = high >= 0 ? HexValue(text[i + 2]) : -1;
    if (low >= 0) {
      decoded += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      decoded += text[i];
    }
  }
  return decoded;
}

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// "C:\..." and nothing else: no share, no device namespace, no relative path.
bool IsLocalDrivePath(std::string_view path) {
  return path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == ':' && path[2] == '\\' &&
         path.find('\0') == std::string_view::npos;
}

}  // namespace

std::optional<std::string> LocalImagePath(std::string_view address) {
  const std::size_t schemeEnd = address.find(kSchemeEnd);
  if (schemeEnd == std::string_view::npos || LowerCase1251(address.substr(0, schemeEnd)) != "file") {
    return std::nullopt;
  }
  const std::string_view afterScheme = address.substr(schemeEnd + kSchemeEnd.size());
  // "file://host/...": a file on another machine.
  if (!afterScheme.starts_with('/')) return std::nullopt;
  std::string path = PercentDecode(afterScheme.substr(1));
  if (path.find('/') != std::string::npos) {
    std::replace(path.begin(), path.end(), '|', ':');
    std::replace(path.begin(), path.end(), '/', '\\');
  }
  if (!IsLocalDrivePath(path)) return std::nullopt;
  return path;
}

std::string LoadImageBytes(const std::string& address, const TImageDownload& download,
                           const TImageFileReader& readFile) {
  const std::string scheme = UrlScheme(address);
  if (scheme == "http" || scheme == "https") return download ? download(address) : std::string();
  if (scheme != "file" || !readFile) return {};
  const auto path = LocalImagePath(address);
  if (!path) return {};
  return readFile(*path).value_or(std::string());
}

TThreadImageWorkerStarter::~TThreadImageWorkerStarter() {
  for (auto& worker : running_) worker.Thread.join();
}

void TThreadImageWorkerStarter::Start(std::function<void()> job) {
  JoinFinished();
  auto finished = std::make_shared<std::atomic<bool>>(false);
  std::thread thread([job = std::move(job), finished] {
    try {
      job();
    } catch (...) {
      // Nothing may escape a thread; the job reports its own failures.
    }
    finished->store(true, std::memory_order_release);
  });
  running_.push_back({std::move(thread), std::move(finished)});
}

void TThreadImageWorkerStarter::JoinFinished() {
  std::erase_if(running_, [](TRunning& worker) {
    if (!worker.Finished->load(std::memory_order_acquire)) return false;
    worker.Thread.join();
    return true;
  });
}

// Shared by the window and one worker. The worker owns Buffer until it sets
// Finished; the window reads it only after.
struct TImageQueue::TJob {
  std::string Url;
  std::string Buffer;
  std::atomic<bool> Finished{false};
  std::atomic<bool> Terminated{false};
  std::shared_ptr<THttpCancel> Cancel = std::make_shared<THttpCancel>();
};

TImageQueue::TImageQueue(IImageWorkerStarter& starter, IMessagePoster& poster,
                         TImageDownloadMaker makeDownload, TImageFileReader readFile)
    : starter_(starter),
      poster_(poster),
      makeDownload_(std::move(makeDownload)),
      readFile_(std::move(readFile)) {}

TImageQueue::~TImageQueue() {
  Reset();
}

bool TImageQueue::ImageRequest(const std::string& source, bool loadImages, std::string_view feedBase) {
  if (!loadImages) return false;
  entries_.push_back({source, UrlIsAbsolute(source) ? source : UrlJoin(feedBase, source)});
  if (entries_.size() == 1) StartHead();
  return true;
}

std::optional<TLoadedImage> TImageQueue::ImageLoaded() {
  // A worker of a page left behind may have posted before it was stopped; its
  // message must not take the picture of the worker running now.
  if (entries_.empty() || !current_ || !current_->Finished.load(std::memory_order_acquire))
    return std::nullopt;
  TLoadedImage image{std::move(entries_.front().Source), std::move(current_->Buffer)};
  entries_.pop_front();
  current_.reset();
  if (!entries_.empty()) StartHead();
  return image;
}

void TImageQueue::Reset() {
  if (current_) {
    current_->Terminated.store(true, std::memory_order_release);
    current_->Cancel->Cancel();  // a dropped picture's download stops at once
  }
  current_.reset();
  entries_.clear();
}

void TImageQueue::StartHead() {
  auto job = std::make_shared<TJob>();
  job->Url = entries_.front().Url;
  current_ = job;
  TImageDownload download = makeDownload_ ? makeDownload_(job->Cancel) : TImageDownload();
  starter_.Start([job, download = std::move(download), readFile = readFile_, &poster = poster_] {
    try {
      job->Buffer = LoadImageBytes(job->Url, download, readFile);
    } catch (...) {
      job->Buffer.clear();  // a failed fetch is an empty picture; the queue moves on
    }
    job->Finished.store(true, std::memory_order_release);
    if (!job->Terminated.load(std::memory_order_acquire)) poster.Post(WM_IMAGE_LOADED, 0);
  });
}

}  // namespace kivo
