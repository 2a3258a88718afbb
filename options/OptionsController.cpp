#include "options/OptionsController.h"

#include <algorithm>
#include <charconv>
#include <utility>
#include <vector>

#include "base/FilePaths.h"
#include "base/Text1251.h"
#include "feeds/FeedAddress.h"
#include "feeds/FeedTable.h"
#include "feeds/HttpDownload.h"
#include "feeds/Opml.h"
#include "lang/LanguageTexts.h"
#include "options/AddressMessages.h"
#include "platform/FileIo.h"

namespace kivo {

namespace {

using C = TOptionsControl;

constexpr int kFeedListPage = 1;
constexpr int kMinFontSize = 1;
constexpr int kMaxFontSize = 4;
constexpr int kMaxPort = 65535;

// The descriptions of the built-in languages in the preview.
constexpr char kBuiltinAuthor[] = "Plugin Author";
constexpr char kBuiltinInfo[] = "...";
constexpr char kDefaultLangInfo[] = "Язык по умолчанию";

constexpr std::string_view kDownloadedExtensions[] = {".xml", ".rss", ".ico", ".img"};

bool* CheckField(TOptionsDraft& draft, C control) {
  TPluginGlobals& g = draft.Globals;
  switch (control) {
    case C::CheckLogo:
      return &draft.LoadLogos;
    case C::CheckAddOldChannels:
      return &g.AccumulateUnread;
    case C::CheckBox1:
      return &g.ShowFeedIcons;
    case C::CheckTrayIcon:
      return &g.ShowTrayIcon;
    case C::CheckshowButton:
      return &g.ShowButton;
    case C::CheckContact:
      return &g.ShowContact;
    case C::CheckListContacts:
      return &g.ShowListContacts;
    case C::CheckContactsIcons:
      return &g.ShowContactsIcons;
    case C::ChecknewLents:
      return &g.CheckForNew;
    case C::CheckBaloon:
      return &g.ShowPopup;
    case C::CheckProxy:
      return &g.UseProxy;
    case C::CheckAuth:
      return &g.ProxyAuth;
    default:
      return nullptr;
  }
}

constexpr C kChecks[] = {C::CheckLogo,         C::CheckAddOldChannels, C::CheckBox1,
                         C::CheckTrayIcon,     C::CheckshowButton,     C::CheckContact,
                         C::CheckListContacts, C::CheckContactsIcons,  C::ChecknewLents,
                         C::CheckBaloon,       C::CheckProxy,          C::CheckAuth};

std::string* TextField(TOptionsDraft& draft, C control) {
  switch (control) {
    case C::EditProxy:
      return &draft.Globals.ProxyHost;
    case C::EditPort:
      return &draft.Globals.ProxyPort;
    case C::EditUser:
      return &draft.Globals.ProxyUser;
    case C::EditPass:
      return &draft.Globals.ProxyPassword;
    default:
      return nullptr;
  }
}

constexpr C kTexts[] = {C::EditProxy, C::EditPort, C::EditUser, C::EditPass};

// The whole text as a decimal number, or nothing.
std::optional<int> WholeNumber(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

TControlColour EditColour(bool enabled) {
  return enabled ? TControlColour::White : TControlColour::Silver;
}

bool IsDownloaded(const TFilePath& file) {
  const std::string extension = LowerCase1251(PathTo1251(file.extension()));
  return std::find(std::begin(kDownloadedExtensions), std::end(kDownloadedExtensions), extension) !=
         std::end(kDownloadedExtensions);
}

std::string OpmlFailureText(TOpmlFailure failure) {
  switch (failure) {
    case TOpmlFailure::UnreadableEncoding:
      return Lang.lang_opml_err_encoding;
    case TOpmlFailure::TooLarge:
      return Lang.lang_opml_err_too_large;
    case TOpmlFailure::Damaged:
      return Lang.lang_opml_err_damaged;
    case TOpmlFailure::NotOpml:
    case TOpmlFailure::None:
      break;
  }
  return Lang.lang_opml_err_not_opml;
}

}  // namespace

TOptionsController::TOptionsController(IOptionsView& view, IFeedSettingsView& feedView, IOptionsHost& host,
                                       IAddressProbe* probe)
    : view_(view), host_(host), feedSettings_(feedView), probe_(probe) {
  feedSettings_.OnStored = [this] { ShowFeedList(); };
}

void TOptionsController::Open() {
  if (draft_) {
    view_.BringToFront();
    return;
  }
  draft_ = host_.MakeOptionsDraft();
  fontSize_ = draft_->Globals.FontSize;
  Fill();
  view_.Show();
  OnPageChosen(0);
}

void TOptionsController::Fill() {
  const TPluginGlobals& g = draft_->Globals;
  view_.SetText(C::Edit1, Utf16ToWin(g.CallString));
  ShowFeedList();
  view_.SetEnabled(C::BitBtn2, true);
  view_.SetText(C::SpinFontSize, std::to_string(g.FontSize));
  for (C control : kChecks) view_.SetChecked(control, *CheckField(*draft_, control));
  for (C control : kTexts) view_.SetText(control, *TextField(*draft_, control));
  view_.SetItems(C::ComboBox1, g.LangList, g.LangIndex);
  view_.SetItems(C::RadioGroup1, {Lang.lang_opt_label_tabstop, Lang.lang_opt_label_tabsbottom},
                 g.TabsPosition);
  ProxyRule();
  AuthRule();
  ContactRule();
  ShowLanguageInfo(Lang.lang_opt_label_authorval, Lang.lang_opt_label_versionval,
                   Lang.lang_opt_label_infoval);
}

void TOptionsController::ShowFeedList() {
  if (draft_) view_.SetItems(C::ListBox1, draft_->FeedLines(), -1);
}

void TOptionsController::ShowLanguageInfo(const std::string& author, const std::string& version,
                                          const std::string& info) {
  view_.SetText(C::Label5, author);
  view_.SetText(C::Label11, version);
  view_.SetText(C::Label13, info);
  const TControlColour colour = lang_version_ok(version, host_.DecimalSeparator())
                                    ? TControlColour::ButtonFace
                                    : TControlColour::Yellow;
  view_.SetColour(C::Label12, colour);
  view_.SetColour(C::Label11, colour);
}

void TOptionsController::Close() {
  feedSettings_.Close();
  if (probing_) {
    probing_.reset();
    probe_->Cancel();
  }
  if (!draft_) return;
  draft_.reset();
  view_.Hide();
}

void TOptionsController::ProxyRule() {
  const bool on = draft_->Globals.UseProxy;
  for (C control : {C::Label7, C::Label8, C::EditProxy, C::EditPort, C::CheckAuth})
    view_.SetEnabled(control, on);
  view_.SetColour(C::EditProxy, EditColour(on));
  view_.SetColour(C::EditPort, EditColour(on));
}

void TOptionsController::AuthRule() {
  const bool on = draft_->Globals.ProxyAuth;
  for (C control : {C::Label9, C::Label10, C::EditUser, C::EditPass}) view_.SetEnabled(control, on);
  view_.SetColour(C::EditUser, EditColour(on));
  view_.SetColour(C::EditPass, EditColour(on));
}

void TOptionsController::ContactRule() {
  view_.SetEnabled(C::CheckListContacts, draft_->Globals.ShowContact);
  ListContactsRule();
}

void TOptionsController::ListContactsRule() {
  const TPluginGlobals& g = draft_->Globals;
  view_.SetEnabled(C::CheckContactsIcons, g.ShowContact && g.ShowListContacts);
}

void TOptionsController::OnChecked(TOptionsControl control, bool checked) {
  if (!draft_) return;
  bool* field = CheckField(*draft_, control);
  if (field == nullptr) return;
  *field = checked;
  if (control == C::CheckProxy) ProxyRule();
  if (control == C::CheckAuth) AuthRule();
  if (control == C::CheckContact) ContactRule();
  if (control == C::CheckListContacts) ListContactsRule();
}

void TOptionsController::OnText(TOptionsControl control, const std::string& text) {
  if (!draft_) return;
  if (std::string* field = TextField(*draft_, control)) *field = text;
  if (control == C::Edit1) draft_->Globals.CallString = WinToUtf16(text);
  if (control == C::SpinFontSize)
    draft_->Globals.FontSize =
        std::clamp(WholeNumber(Trim(text)).value_or(kMinFontSize), kMinFontSize, kMaxFontSize);
}

void TOptionsController::OnLanguageChosen(int index) {
  if (!draft_ || index < 0 || static_cast<std::size_t>(index) >= draft_->Globals.LangList.size()) return;
  draft_->Globals.LangIndex = index;
  if (index < kFirstLangFile) {
    ShowLanguageInfo(kBuiltinAuthor, BuiltinLangVersion(host_.DecimalSeparator()),
                     index == 0 ? Utf8ToWinOrKeep(kDefaultLangInfo) : kBuiltinInfo);
    return;
  }
  const auto info = ReadLangFileInfo(
      LangFilePath(host_.PluginFolder(), draft_->Globals.LangList[static_cast<std::size_t>(index)]));
  if (info) ShowLanguageInfo(info->author, info->version, info->info);
}

void TOptionsController::OnTabsPosition(int position) {
  if (draft_ && (position == 0 || position == 1)) draft_->Globals.TabsPosition = position;
}

void TOptionsController::OnPageChosen(int page) {
  if (page >= 0) view_.SetPage(page);
}

void TOptionsController::AddFeedCommand() {
  Open();
  view_.SetPage(kFeedListPage);
  AddFeed();
}

// Asked again with the typed text until the address passes or the user cancels.
std::optional<std::string> TOptionsController::AskAddress() {
  std::string typed;
  for (;;) {
    auto answer = view_.AskText(Lang.lang_opt_add_title, Lang.lang_opt_add_address, typed);
    if (!answer || !draft_) return std::nullopt;
    const TAddressCheck check = CheckNewFeedAddress(*answer, draft_->Addresses(), host_.CacheFolderLength());
    if (check.Problem == TAddressProblem::None) return check.Address;
    ShowAddressProblem(check);
    typed = std::move(*answer);
  }
}

void TOptionsController::AddFeed() {
  if (!draft_ || probing_) return;
  const auto address = AskAddress();
  if (!address || !draft_) return;
  if (probe_ == nullptr) return AddChecked(*address, {});
  // The add button waits for the look; the rest of the dialog stays usable.
  probing_ = *address;
  view_.SetEnabled(C::BitBtn2, false);
  probe_->Start(*address, ProxySettingsOf(draft_->Globals));
}

void TOptionsController::OnAddressProbed() {
  if (!draft_ || !probing_) return;
  auto feeds = probe_->Take();
  if (!feeds) return;  // a dropped look's end
  const std::string typed = *std::exchange(probing_, std::nullopt);
  view_.SetEnabled(C::BitBtn2, true);
  const auto chosen = ChooseAnnounced(*feeds);
  if (!draft_) return;
  if (chosen) return AddChecked(chosen->Address, chosen->Title);
  AddChecked(typed, {});
}

// Cancelling keeps the typed address: the user may know better.
std::optional<TAnnouncedFeed> TOptionsController::ChooseAnnounced(const std::vector<TAnnouncedFeed>& feeds) {
  const auto describe = [](const TAnnouncedFeed& feed) {
    return feed.Title.empty() ? feed.Address : feed.Title + " (" + feed.Address + ")";
  };
  if (feeds.empty()) return std::nullopt;
  if (feeds.size() == 1) {
    if (!view_.Confirm(Lang.lang_opt_add_title, FillIn(Lang.lang_opt_found_feed, {describe(feeds[0])})))
      return std::nullopt;
    return feeds[0];
  }
  std::vector<std::string> items;
  for (const TAnnouncedFeed& feed : feeds) items.push_back(describe(feed));
  const auto index = view_.Choose(Lang.lang_opt_add_title, Lang.lang_opt_choose_feed, items);
  if (!index || *index < 0 || static_cast<std::size_t>(*index) >= feeds.size()) return std::nullopt;
  return feeds[static_cast<std::size_t>(*index)];
}

// Checked again at the end: the list may have changed while the probe looked,
// and an announced address was never typed.
void TOptionsController::AddChecked(const std::string& address, const std::string& suggestedName) {
  const TAddressCheck check = CheckNewFeedAddress(address, draft_->Addresses(), host_.CacheFolderLength());
  if (check.Problem != TAddressProblem::None) return ShowAddressProblem(check);
  const auto name = view_.AskText(Lang.lang_opt_add_title, Lang.lang_opt_add_name, suggestedName);
  if (!name || !draft_) return;
  TFeedEntry entry;
  entry.Id = draft_->NextId++;
  entry.Address = check.Address;
  entry.Name = CleanFeedName(*name);
  draft_->Feeds.push_back(std::move(entry));
  ShowFeedList();
}

void TOptionsController::ShowAddressProblem(const TAddressCheck& check) {
  std::vector<const TFeedEntry*> owners;
  for (const TFeedEntry& entry : draft_->Feeds) owners.push_back(&entry);
  view_.ShowMessage(AddressProblemText(check, owners));
}

void TOptionsController::DeleteFeed(int selected) {
  if (!draft_ || selected < 0 || static_cast<std::size_t>(selected) >= draft_->Feeds.size()) return;
  if (!view_.Confirm(Lang.lang_opt_del_title, Lang.lang_opt_del_text)) return;
  draft_->Feeds.erase(draft_->Feeds.begin() + selected);
  ShowFeedList();
}

void TOptionsController::OpenFeedSettings(int selected) {
  if (!draft_ || selected < 0 || static_cast<std::size_t>(selected) >= draft_->Feeds.size()) return;
  feedSettings_.Open(*draft_, draft_->Feeds[static_cast<std::size_t>(selected)].Id,
                     host_.CacheFolderLength());
}

void TOptionsController::ClearCache() {
  if (!view_.Confirm(Lang.lang_opt_clear_title, Lang.lang_opt_clear_text)) return;
  if (!ClearFeedCache(host_.PluginFolder())) view_.ShowMessage(Lang.lang_opt_clear_error);
}

void TOptionsController::ImportOpml() {
  if (!draft_) return;
  const auto file = view_.AskOpenFile(Lang.lang_opml_files);
  if (!file || !draft_) return;
  const auto size = FileSize(*file);
  if (size && *size > kFeedMaxBytes) return view_.ShowMessage(Lang.lang_opml_err_too_large);
  const auto bytes = ReadFileBytes(*file, kFeedMaxBytes);
  if (!bytes) return view_.ShowMessage(Lang.lang_opml_err_read);
  const TOpmlImport result = kivo::ImportOpml(*bytes, draft_->Addresses(), host_.CacheFolderLength());
  if (result.Failure != TOpmlFailure::None) return view_.ShowMessage(OpmlFailureText(result.Failure));
  for (const TOpmlFeed& feed : result.Added) {
    TFeedEntry entry;
    entry.Id = draft_->NextId++;
    entry.Address = feed.Address;
    entry.Name = feed.Name;
    draft_->Feeds.push_back(std::move(entry));
  }
  ShowFeedList();
  view_.ShowMessage(FillIn(Lang.lang_opml_import_report,
                           {std::to_string(result.Added.size()), std::to_string(result.Skipped)}));
}

// What the list shows now, unconfirmed changes included.
void TOptionsController::ExportOpml() {
  if (!draft_) return;
  const auto file = view_.AskSaveFile(Lang.lang_opml_files);
  if (!file || !draft_) return;
  std::vector<TOpmlFeed> feeds;
  for (const TFeedEntry& entry : draft_->Feeds) feeds.push_back({entry.Address, entry.Name});
  if (!WriteFileAtomic(*file, kivo::ExportOpml(feeds))) return view_.ShowMessage(Lang.lang_opml_err_export);
  view_.ShowMessage(FillIn(Lang.lang_opml_export_report, {std::to_string(feeds.size())}));
}

const TBitmap32* TOptionsController::FeedIcon(int row) const {
  if (!draft_ || row < 0 || static_cast<std::size_t>(row) >= draft_->Feeds.size()) return nullptr;
  const int index = draft_->Feeds[static_cast<std::size_t>(row)].OriginalIndex;
  return index < 0 ? nullptr : host_.FeedIcon(index);
}

bool TOptionsController::Valid() {
  const TPluginGlobals& g = draft_->Globals;
  if (g.UseProxy) {
    const auto port = WholeNumber(Trim(g.ProxyPort));
    if (!port || *port < 1 || *port > kMaxPort) {
      view_.ShowMessage(Lang.lang_opt_err_port);
      return false;
    }
  }
  const auto words = SplitCallWords(Utf16ToWin(g.CallString));
  if (std::none_of(words.begin(), words.end(), [](const std::string& word) { return !Trim(word).empty(); })) {
    view_.ShowMessage(Lang.lang_opt_err_call_string);
    return false;
  }
  return true;
}

void TOptionsController::Ok() {
  if (!draft_ || !Valid()) return;
  if (!host_.ApplyOptions(*draft_)) {
    view_.ShowMessage(Lang.lang_opt_err_write);
    return;
  }
  Close();
}

bool ClearFeedCache(const TFilePath& pluginFolder) {
  const TFilePath folder = CacheDir(pluginFolder);
  if (!DirectoryExists(folder)) return false;
  // A file that cannot be deleted (a download holds it) is left without a word.
  for (const auto& file : ListFiles(folder)) {
    if (IsDownloaded(file)) DeleteFileIfExists(folder / file.filename());
  }
  return true;
}

}  // namespace kivo
