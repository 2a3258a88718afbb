// The options dialog: fills its view from a working copy of the settings,
// keeps the enabling rules, adds, deletes and edits feeds in that copy, and
// hands it whole to the host at OK. Closing without OK drops it, the feed
// settings dialog's changes included.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "options/FeedSettingsController.h"
#include "options/OptionsDraft.h"
#include "options/OptionsView.h"

namespace kivo {

class TOptionsController {
 public:
  TOptionsController(IOptionsView& view, IFeedSettingsView& feedView, IOptionsHost& host);

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

  void AddFeed();
  void DeleteFeed(int selected);
  void OpenFeedSettings(int selected);
  void ClearCache();
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
  bool Valid();

  IOptionsView& view_;
  IOptionsHost& host_;
  TFeedSettingsController feedSettings_;
  std::optional<TOptionsDraft> draft_;
  int fontSize_ = 0;
};

// Deletes what was downloaded (*.xml, *.rss, *.ico, *.img) from the cache
// folder of `pluginFolder`; the read marks (*.rd) stay. False when the folder
// could not be listed.
bool ClearFeedCache(const std::filesystem::path& pluginFolder);

}  // namespace kivo
