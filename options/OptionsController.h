// The options dialog: fills its view from a working copy of the settings,
// keeps the enabling rules, adds, deletes and edits feeds in that copy, and
// hands it whole to the host at OK. Closing without OK drops it, the feed
// settings dialog's changes included.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/FilePaths.h"
#include "feeds/FeedAddress.h"
#include "options/FeedSettingsController.h"
#include "options/OptionsDraft.h"
#include "options/OptionsView.h"

namespace kivo {

class TOptionsController {
 public:
  // Without a probe the add prompt takes the typed address as it is.
  TOptionsController(IOptionsView& view, IFeedSettingsView& feedView, IOptionsHost& host,
                     IAddressProbe* probe = nullptr);

  // Fills from the running settings and shows on the first page; while it is
  // visible, only brings it forward (the edits stay).
  void Open();
  // The special contacts' add-feed item: opens on the feed list, then adds.
  void AddFeedCommand();
  // The close box: drops the working copy and closes the feed settings dialog.
  void Close();
  bool IsVisible() const { return draft_.has_value(); }

  void OnChecked(TOptionsControl control, bool checked);
  void OnText(TOptionsControl control, const std::string& text);
  void OnLanguageChosen(int index);
  void OnTabsPosition(int position);
  void OnPageChosen(int page);

  // Asks for the address; the name is asked once the probe has looked at it.
  void AddFeed();
  // The probe's look has ended (WM_ADDRESS_PROBED).
  void OnAddressProbed();
  void DeleteFeed(int selected);
  void OpenFeedSettings(int selected);
  void ClearCache();
  void ImportOpml();
  void ExportOpml();
  // The reader's site icon of the feed on row `row`; null when it has none.
  const TBitmap32* FeedIcon(int row) const;
  // Checks, then applies through the host and closes; a bad value gets its
  // message and the dialog stays.
  void Ok();

  const TOptionsDraft* Draft() const { return draft_ ? &*draft_ : nullptr; }
  TFeedSettingsController& FeedSettings() { return feedSettings_; }

 private:
  void Fill();
  void ShowFeedList();
  void ShowLanguageInfo(const std::string& author, const std::string& version, const std::string& info);
  void ProxyRule();
  void AuthRule();
  void ContactRule();
  void ListContactsRule();
  std::optional<std::string> AskAddress();
  std::optional<TAnnouncedFeed> ChooseAnnounced(const std::vector<TAnnouncedFeed>& feeds);
  void AddChecked(const std::string& address, const std::string& suggestedName);
  void ShowAddressProblem(const TAddressCheck& check);
  bool Valid();

  IOptionsView& view_;
  IOptionsHost& host_;
  TFeedSettingsController feedSettings_;
  IAddressProbe* probe_;
  std::optional<TOptionsDraft> draft_;
  std::optional<std::string> probing_;  // the typed address the probe looks at
  int fontSize_ = 0;
};

// Deletes what was downloaded (*.xml, *.rss, *.ico, *.img) from the cache
// folder of `pluginFolder`; the read marks (*.rd) stay. False when the folder
// could not be listed.
bool ClearFeedCache(const TFilePath& pluginFolder);

}  // namespace kivo
