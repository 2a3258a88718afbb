// The host reads and writes these records by byte offset; the 32-bit DLL must
// match its layout exactly.
#include <cstddef>

#include "plugin/PluginInfo.h"
#include "plugin/PluginMessages.h"

namespace kivo {

#if defined(__i386__)
static_assert(sizeof(void*) == 4);
static_assert(sizeof(TPluginWord) == 4);

static_assert(sizeof(TPluginInfo) == 24);
static_assert(offsetof(TPluginInfo, DllHandle) == 0);
static_assert(offsetof(TPluginInfo, DllPath) == 4);
static_assert(offsetof(TPluginInfo, ApiVersionMajor) == 8);
static_assert(offsetof(TPluginInfo, ApiVersionMinor) == 10);
static_assert(offsetof(TPluginInfo, PluginVersionMajor) == 12);
static_assert(offsetof(TPluginInfo, PluginVersionMinor) == 14);
static_assert(offsetof(TPluginInfo, PluginName) == 16);
static_assert(offsetof(TPluginInfo, PluginAuthor) == 20);

static_assert(sizeof(TPluginMessage) == 24);
static_assert(offsetof(TPluginMessage, Code) == 0);
static_assert(offsetof(TPluginMessage, WParam) == 4);
static_assert(offsetof(TPluginMessage, LParam) == 8);
static_assert(offsetof(TPluginMessage, XParam) == 12);
static_assert(offsetof(TPluginMessage, Result) == 16);
static_assert(offsetof(TPluginMessage, DllHandle) == 20);

static_assert(sizeof(TAddBtnInfo) == 12);
static_assert(offsetof(TAddBtnInfo, Icon) == 0);
static_assert(offsetof(TAddBtnInfo, Reserved) == 4);
static_assert(offsetof(TAddBtnInfo, Hint) == 8);

// Interface slots: query, add reference, release, then the own operations.
static_assert(sizeof(IKivoPlugin) == 4);
static_assert(offsetof(IKivoPluginVtbl, QueryInterface) == 0);
static_assert(offsetof(IKivoPluginVtbl, AddRef) == 4);
static_assert(offsetof(IKivoPluginVtbl, Release) == 8);
static_assert(offsetof(IKivoPluginVtbl, GetPluginInfo) == 12);
static_assert(offsetof(IKivoPluginVtbl, OnHostMessage) == 16);
static_assert(sizeof(IKivoPluginService) == 4);
static_assert(offsetof(IKivoPluginServiceVtbl, GetSettings) == 12);
static_assert(offsetof(IKivoPluginServiceVtbl, SendPluginMessage) == 16);

// The settings record: byte flags 0..9, integers from 12, OLE string pointers from 52.
namespace so = settings_offset;
static_assert(so::kInitialised == 0 && so::kShowContact == 1 && so::kShowFeedIcons == 2 &&
              so::kShowTrayIcon == 3);
static_assert(so::kUseProxy == 4 && so::kProxyAuth == 5 && so::kCheckForNew == 6 && so::kShowButton == 7);
static_assert(so::kShowPopup == 8 && so::kAccumulateUnread == 9);
static_assert(so::kFontSize == 12 && so::kLeft == 16 && so::kTop == 20 && so::kWidth == 24 &&
              so::kHeight == 28);
static_assert(so::kLangIndex == 36);
static_assert(so::kCallString == 52 && so::kUnused56 == 56 && so::kFeedList == 60);
static_assert(so::kProxyHost == 64 && so::kProxyPort == 68 && so::kProxyUser == 72 &&
              so::kProxyPassword == 76);
static_assert(so::kRecordBytes == so::kRecordSize && so::InMemory(so::kProxyPassword) == 76);
#endif

}  // namespace kivo
