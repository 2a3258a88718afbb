#include "reader/ImageQueue.h"

#include <algorithm>
#include <atomic>

#include "base/Text1251.h"
#include "base/UrlFunctions.h"
#include "feeds/FeedMessages.h"
#include "imaging/ImageSignature.h"

namespace kivo {

namespace {

constexpr std::string_view kSchemeEnd = "://";
constexpr int kIconSide = 32;

std::uint64_t PixelBytes(std::int64_t width, std::int64_t height) {
  return static_cast<std::uint64_t>(std::max<std::int64_t>(width, 0)) *
         static_cast<std::uint64_t>(std::max<std::int64_t>(height, 0)) * sizeof(std::uint32_t);
}

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

std::optional<TBitmap32> DecodePicture(IImageDecoder& decoder, std::string_view bytes) {
  const std::optional<ImageKind> kind = SniffImageKind(bytes);
  if (!kind) return std::nullopt;
  if (*kind == ImageKind::Icon) return decoder.DecodeIcon(bytes, kIconSide);
  return decoder.Decode(*kind, bytes);
}

// An icon file declares its largest entry, not the one taken: it is judged
// once decoded. So is a picture whose headers cannot be read.
TDecodedImage DecodePageImage(IImageDecoder& decoder, std::string_view bytes, std::size_t budget) {
  const std::optional<ImageKind> kind = SniffImageKind(bytes);
  if (!kind) return {};
  if (*kind != ImageKind::Icon) {
    const std::optional<TImageSize> declared = ReadDeclaredImageSize(*kind, bytes);
    if (declared && PixelBytes(declared->Width, declared->Height) > budget) return {std::nullopt, true};
  }
  std::optional<TBitmap32> picture = DecodePicture(decoder, bytes);
  if (picture && PixelBytes(picture->Width, picture->Height) > budget) return {std::nullopt, true};
  return {std::move(picture), false};
}

TImageQueue::TImageQueue(IThreadStarter& threads, TSharedRef<IMessagePoster> poster, IImageDecoder& decoder,
                         TImageDownloadMaker makeDownload, TImageFileReader readFile, std::size_t pageBudget)
    : threads_(threads),
      poster_(std::move(poster)),
      decoder_(decoder),
      makeDownload_(std::move(makeDownload)),
      readFile_(std::move(readFile)),
      pageBudget_(pageBudget) {}

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
  if (entries_.empty() || !current_) return std::nullopt;
  std::vector<TImageResult> results = mailbox_->Take(current_->Serial);
  if (results.empty()) return std::nullopt;
  TLoadedImage image{std::move(entries_.front().Source), std::move(results.front().Image)};
  if (const std::optional<TBitmap32>& picture = image.Image.Picture)
    pageBytes_ += PixelBytes(picture->Width, picture->Height);
  entries_.pop_front();
  passed_.push_back(std::move(*current_));
  current_.reset();
  if (!entries_.empty()) StartHead();
  return image;
}

void TImageQueue::Reset() {
  DropAll();
  ReapPassed();
  pageBytes_ = 0;
}

void TImageQueue::Stop(TSteadyTime deadline) {
  DropAll();
  for (TPictureWorker& passed : passed_) passed.Worker->Stop(deadline);
  passed_.clear();
}

void TImageQueue::DropAll() {
  if (current_) {
    current_->Cancel->Cancel();  // a dropped picture's download stops at once
    passed_.push_back(std::move(*current_));
    current_.reset();
  }
  entries_.clear();
}

void TImageQueue::ReapPassed() {
  std::erase_if(passed_, [this](const TPictureWorker& passed) {
    if (passed.Worker->Busy()) return false;
    mailbox_->Take(passed.Serial);
    return true;
  });
}

// The download is made here, on the window's thread, from the settings of now.
// A worker that was dropped meanwhile posts nothing.
void TImageQueue::StartHead() {
  ReapPassed();
  const int serial = nextSerial_++;
  const auto cancel = MakeShared<THttpCancel>();
  TImageDownload download = makeDownload_ ? makeDownload_(cancel.Shared()) : TImageDownload();
  TWorkerReport<TImageMailbox> report{mailbox_, poster_, WM_IMAGE_LOADED, 0,
                                      [cancel](const TImageResult&) { return !cancel->Cancelled(); }};
  // Pictures are fetched one at a time: what is left of the budget now is left for this one.
  const std::size_t budget = pageBudget_ - std::min(pageBytes_, pageBudget_);
  auto job = [serial, url = entries_.front().Url, download = std::move(download), readFile = readFile_,
              &decoder = decoder_, budget] {
    TImageResult result{serial, {}};
    try {
      result.Image = DecodePageImage(decoder, LoadImageBytes(url, download, readFile), budget);
    } catch (...) {
      result.Image = {};  // a failed fetch or decode is no picture; the queue moves on
    }
    return result;
  };
  auto busy = MakeShared<std::atomic<bool>>(false);
  current_ =
      TPictureWorker{serial, cancel, TWorker::Start(threads_, busy, std::move(report), std::move(job))};
}

}  // namespace kivo
