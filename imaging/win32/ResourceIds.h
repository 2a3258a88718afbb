// Names of the module's picture resources (plugin/win32/KivoRss.rc) and what
// their pictures show. The image lists are PNG strips of square pictures.
#pragma once

namespace kivo {

inline constexpr wchar_t kModuleIconResource[] = L"ICO1";
inline constexpr wchar_t kPopupSkinResource[] = L"PNG1";
inline constexpr wchar_t kReaderImagesResource[] = L"PNGIMAGELIST1";
inline constexpr wchar_t kTrayFramesResource[] = L"PNGIMAGELIST2";
inline constexpr wchar_t kOptionsImagesResource[] = L"OPTIONSIMAGELIST";

inline constexpr int kImageListSide = 16;
inline constexpr int kReaderImageCount = 18;
inline constexpr int kTrayFrameCount = 2;
inline constexpr int kOptionsImageCount = 7;

// The reader window's PngImageList1.
enum TReaderPicture : int {
  kDefaultFeedPicture = 0,
  kUnreadMarkPicture = 1,
  kReadMarkPicture = 2,
  kGreenMarkPicture = 3,
  kBlueMarkPicture = 4,
  kRedMarkPicture = 5,
  kAllFeedsPicture = 6,  // feeds menu, about page, add a feed
  kOptionsPicture = 7,
  kInformationPicture = 8,
  kLoadFeedPicture = 9,
  kDownloadPicture = 10,
  kFindPicture = 11,
  kCopyPicture = 12,
  kShowWindowPicture = 13,
  kHideWindowPicture = 14,
  kNewsMarkPicture = 15,  // also the X-status command
  kCopyLinkPicture = 16,
  kLoadAllFeedsPicture = 17,
};

// The options dialog's PngImageList1: entries 0 to 4 are the pages.
enum TOptionsPicture : int {
  kGeneralPagePicture = 0,
  kFeedListPagePicture = 1,
  kInterfacePagePicture = 2,
  kProxyPagePicture = 3,
  kOtherPagePicture = 4,
  kShownAsContactPicture = 5,
  kNotShownAsContactPicture = 6,
};

}  // namespace kivo
