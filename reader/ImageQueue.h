// Pictures of the shown page: the viewer asks for them one by one, they are
// fetched and decoded one at a time in that order by a worker each, and
// handed to the viewer when the worker's WM_IMAGE_LOADED arrives. The
// pictures of one page share a budget of decoded memory. Showing another
// feed drops the queue; a worker still running then posts nothing.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Bitmap.h"
#include "base/SharedRef.h"
#include "imaging/ImageDecoder.h"
#include "platform/Http.h"
#include "platform/Mailbox.h"
#include "platform/Thread.h"
#include "platform/UiMessages.h"
#include "platform/Worker.h"

namespace kivo {

// A picture the viewer waits for.
struct twebimage {
  std::string Source;  // as the page names it; the viewer knows the picture by it
  std::string Url;     // the full address fetched
};

// Downloads an address (http or https); empty on failure.
using TImageDownload = std::function<std::string(const std::string& url)>;
// Called on the window's thread as each picture's worker starts: the download
// that worker runs, bound to the settings (proxy) of that moment, so that no
// worker reads settings the window's thread may be changing, and to the
// worker's cancel, which the queue sets when it drops the picture.
using TImageDownloadMaker = std::function<TImageDownload(std::shared_ptr<THttpCancel> cancel)>;
// Reads a local file whole; nullopt when it cannot.
using TImageFileReader = std::function<std::optional<std::string>(const std::string& path)>;

// The file a "file:" address names, when it may be opened: the text after
// "file:///", "%XX" decoded, and (when it holds "/") "|" -> ":" and
// "/" -> "\". Only a path on a local drive ("C:\...") qualifies: a host after
// "file://", or a path that turns out to be "\\host\..." or "//host/...", is
// never opened.
std::optional<std::string> LocalImagePath(std::string_view address);

// The worker's job: the bytes of the picture at `address`, empty when it
// cannot be fetched or the scheme is neither http, https nor file.
std::string LoadImageBytes(const std::string& address, const TImageDownload& download,
                           const TImageFileReader& readFile);

// The decoded memory the pictures of one page may take in all: a page of a
// few pictures of 32 megapixels each would otherwise hold gigabytes.
inline constexpr std::size_t kPagePictureBudget = std::size_t{64} << 20;

// A picture file by its first bytes (an icon file gives its entry nearest to
// 32 x 32); nullopt for an unknown kind or a failed decode.
std::optional<TBitmap32> DecodePicture(IImageDecoder& decoder, std::string_view bytes);

struct TDecodedImage {
  std::optional<TBitmap32> Picture;  // nullopt: no picture
  bool OverBudget = false;           // it would take more than the budget left
};

// The worker's decode, within `budget` bytes of pixels: a picture whose
// headers declare more is not decoded at all.
TDecodedImage DecodePageImage(IImageDecoder& decoder, std::string_view bytes, std::size_t budget);

// A worker's picture, filed under the worker's serial number.
struct TImageResult {
  int Serial = 0;
  TDecodedImage Image;
};

using TImageMailbox = TMailbox<TImageResult, &TImageResult::Serial>;

// What the viewer gets for a finished picture.
struct TLoadedImage {
  std::string Source;
  TDecodedImage Image;
};

// The queue and its workers, on the window's thread. The decoder and whatever
// the downloads use must outlive every worker, one let go at a stop included.
class TImageQueue {
 public:
  TImageQueue(IThreadStarter& threads, TSharedRef<IMessagePoster> poster, IImageDecoder& decoder,
              TImageDownloadMaker makeDownload, TImageFileReader readFile,
              std::size_t pageBudget = kPagePictureBudget);
  TImageQueue(const TImageQueue&) = delete;
  TImageQueue& operator=(const TImageQueue&) = delete;
  // Drops the queue and waits for the workers that Stop has not let go.
  ~TImageQueue();

  // A picture request of the viewer for the shown feed. False: answer with
  // no picture (the feed does not load pictures). True: answer with the
  // viewer's wait stream; the picture follows with WM_IMAGE_LOADED.
  bool ImageRequest(const std::string& source, bool loadImages, std::string_view feedBase);

  // WM_IMAGE_LOADED: the head's picture once its worker has finished, and the
  // next worker started; nullopt for an empty queue, and for a message left
  // over from a worker of a page no longer shown.
  std::optional<TLoadedImage> ImageLoaded();

  // A feed is shown: the running worker is told to stop, the queue emptied,
  // and the new page has the whole budget.
  void Reset();

  // As Reset, and every worker is waited for until `deadline`; those still
  // running then go on alone.
  void Stop(TSteadyTime deadline);

  const std::deque<twebimage>& Entries() const { return entries_; }

 private:
  struct TPictureWorker {
    int Serial = 0;
    TSharedRef<THttpCancel> Cancel;
    std::unique_ptr<TWorker> Worker;
  };
  void StartHead();
  void DropAll();
  // Frees the workers set aside that have ended, with a result a dropped one left.
  void ReapPassed();

  IThreadStarter& threads_;
  TSharedRef<IMessagePoster> poster_;
  TSharedRef<TImageMailbox> mailbox_ = MakeShared<TImageMailbox>();
  IImageDecoder& decoder_;
  TImageDownloadMaker makeDownload_;
  TImageFileReader readFile_;
  const std::size_t pageBudget_;
  std::size_t pageBytes_ = 0;  // decoded pictures handed to the viewer since the last reset
  std::deque<twebimage> entries_;
  std::optional<TPictureWorker> current_;  // the worker of the head entry
  std::vector<TPictureWorker> passed_;     // done or dropped, until they end
  int nextSerial_ = 0;
};

}  // namespace kivo
