#include "feeds/FeedTable.h"

#include <algorithm>
#include <array>
#include <optional>

#include "base/FilePaths.h"
#include "base/Text1251.h"
#include "platform/FileIo.h"

namespace kivo {

namespace {

constexpr std::string_view kCacheNameReplaced = "!@#$%^&*()~\"':;/\\|=+-.,?";
constexpr size_t kLogoSignatureLength = 11;

struct TLogoSignature {
  size_t offset;
  std::string_view text;
  ImageKind kind;
};

constexpr std::array<TLogoSignature, 4> kTextSignatures = {{
    {0, "BM", ImageKind::Bmp},
    {0, "GIF", ImageKind::Gif},
    {1, "PNG", ImageKind::Png},
    {6, "JFIF", ImageKind::Jpeg},
}};

// The decoders the first 11 bytes ask for, in the order they are applied.
std::vector<ImageKind> LogoKinds(std::string_view head) {
  std::string text(head);
  std::replace(text.begin(), text.end(), '\0', ' ');
  std::vector<ImageKind> kinds;
  for (const auto& signature : kTextSignatures) {
    if (text.compare(signature.offset, signature.text.size(), signature.text) == 0)
      kinds.push_back(signature.kind);
  }
  if (head[0] == '\0' && static_cast<unsigned char>(head[1]) < 2) kinds.push_back(ImageKind::Icon);
  return kinds;
}

}  // namespace

TSharedRef<std::atomic<bool>> RunFlag(const std::shared_ptr<TFeedRunState>& run,
                                      std::atomic<bool> TFeedRunState::*flag) {
  const TSharedRef<TFeedRunState> block(run);
  return TSharedRef<std::atomic<bool>>(block, (*block).*flag);
}

std::uint64_t NextFeedGeneration() {
  static std::atomic<std::uint64_t> counter{0};
  return ++counter;
}

int TRSS::High() const {
  return static_cast<int>(Channels.size()) - 1;
}

bool TRSS::IsValid(int i) const {
  return i >= 0 && i <= High();
}

void TRSS::SetCount(int n) {
  const auto count = static_cast<size_t>(std::max(n, 0));
  ReapRetiredWorkers();
  for (size_t i = count; i < Channels.size(); ++i) {
    Channels[i].Logo.Bitmap.reset();
    RetireWorkers(Channels[i]);
  }
  Channels.resize(count);
}

void TRSS::RetireWorkers(tchannels& channel) {
  for (auto* worker : {&channel.LoadThread, &channel.CheckThread}) {
    if (*worker) Retired.push_back(std::move(*worker));
  }
}

void TRSS::ReapRetiredWorkers() {
  std::erase_if(Retired, [](const std::unique_ptr<TWorker>& worker) { return !worker->Busy(); });
}

void TRSS::SetItemCount(int i, int n) {
  if (i < 0) return;
  if (i > High()) Channels.resize(static_cast<size_t>(i) + 1);
  Channels[static_cast<size_t>(i)].Items.resize(static_cast<size_t>(std::max(n, 0)));
}

int TRSS::ItemHigh(int i) const {
  if (!IsValid(i)) return 0;
  return static_cast<int>(Channels[static_cast<size_t>(i)].Items.size()) - 1;
}

void TRSS::LoadLogo(int i, IImageDecoder* decoder) {
  if (!IsValid(i)) return;
  auto& channel = Channels[static_cast<size_t>(i)];
  if (channel.CacheFile.empty()) return;
  channel.Logo.Bitmap =
      LoadLogoBitmap(ChangeFileExt(channel.CacheFile, ".img"), channel.Logo.Bitmap, decoder);
}

std::shared_ptr<const TBitmap32> LoadLogoBitmap(const std::filesystem::path& path,
                                                std::shared_ptr<const TBitmap32> current,
                                                IImageDecoder* decoder) {
  if (!FileExists(path)) return current;
  if (!current) current = std::make_shared<const TBitmap32>();
  const std::optional<std::string> bytes = ReadFileBytes(path);
  if (!bytes || bytes->size() < kLogoSignatureLength) return nullptr;
  for (const ImageKind kind : LogoKinds(std::string_view(*bytes).substr(0, kLogoSignatureLength))) {
    std::optional<TBitmap32> picture = decoder ? decoder->Decode(kind, *bytes) : std::nullopt;
    if (!picture) return nullptr;
    current = std::make_shared<const TBitmap32>(std::move(*picture));
  }
  return current;
}

std::string MakeCacheName(std::string_view address) {
  std::string name(address);
  for (char& c : name) {
    if (kCacheNameReplaced.find(c) != std::string_view::npos) c = '_';
  }
  return name;
}

std::filesystem::path CacheDir(const std::filesystem::path& pluginFolder) {
  std::filesystem::path cache = pluginFolder / "Cache";
  return DirectoryExists(cache) ? cache : pluginFolder;
}

}  // namespace kivo
