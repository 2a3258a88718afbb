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
// "]" ends an INI section name early; no file name may hold "<" or ">". (Quotes
// and the rest that Windows refuses are among the replaced characters.)
constexpr std::string_view kCacheNameUnfit = "]<>";
constexpr std::string_view kItemCacheExtension = ".rss";
// The system's limit on a path, less its terminating NUL.
constexpr std::size_t kMaxPathLength = 259;
constexpr std::size_t kHashLength = 8;
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

bool IsUnfitForCacheName(char c) {
  return static_cast<unsigned char>(c) < 0x20 || kCacheNameUnfit.find(c) != std::string_view::npos;
}

// FNV-1a: short, stable across versions and systems, as stored names need.
std::string AddressHash(std::string_view address) {
  std::uint32_t hash = 2166136261u;
  for (const char c : address) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 16777619u;
  }
  constexpr std::string_view kDigits = "0123456789abcdef";
  std::string text(kHashLength, '0');
  for (std::size_t i = kHashLength; i > 0; --i, hash >>= 4) text[i - 1] = kDigits[hash & 0xF];
  return text;
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

std::shared_ptr<const TBitmap32> LoadLogoBitmap(const TFilePath& path,
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

std::string MakeCacheName(std::string_view address, std::size_t folderLength) {
  std::string name(address);
  for (char& c : name) {
    if (kCacheNameReplaced.find(c) != std::string_view::npos) c = '_';
  }
  // The extension of the item cache is the longest of a feed's files.
  const std::size_t fixedLength = folderLength + kItemCacheExtension.size();
  const std::size_t room = kMaxPathLength > fixedLength ? kMaxPathLength - fixedLength : 0;
  const auto unfit = std::find_if(name.begin(), name.end(), IsUnfitForCacheName);
  if (unfit == name.end() && name.size() <= room) return name;
  const std::size_t kept = std::min(static_cast<std::size_t>(unfit - name.begin()),
                                    room > kHashLength + 1 ? room - kHashLength - 1 : 0);
  name.resize(kept);
  return name.append("~").append(AddressHash(address));
}

TFilePath ItemCacheFile(const TFilePath& folder, std::string_view address) {
  const std::size_t folderLength = (folder / "x").u16string().size() - 1;
  const std::string name = MakeCacheName(address, folderLength);
  return folder / PathFrom1251(name + std::string(kItemCacheExtension));
}

bool SaveUnsavedItemCache(tchannels& channel) {
  if (!channel.ItemCacheUnsaved) return true;
  channel.ItemCacheUnsaved = !WriteFileAtomic(channel.CacheFile, channel.ItemCacheText);
  return !channel.ItemCacheUnsaved;
}

std::optional<std::string> ReadItemCacheText(const TFilePath& cacheFile) {
  if (!FileExists(cacheFile)) return std::nullopt;
  return ReadFileBytes(cacheFile).value_or(std::string());
}

TFilePath CacheDir(const TFilePath& pluginFolder) {
  TFilePath cache = pluginFolder / "Cache";
  return DirectoryExists(cache) ? cache : pluginFolder;
}

}  // namespace kivo
