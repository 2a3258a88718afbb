// Fakes of the options dialogs' views and host: they remember what the
// controllers showed and answer prompts from queues.
#pragma once

#include <deque>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "options/OptionsView.h"

namespace kivo::testing {

template <class TBase, class TControl>
class FakeDialogView : public TBase {
 public:
  void SetChecked(TControl, bool) override {}
  void SetEnabled(TControl control, bool value) override { enabled[control] = value; }
  void SetText(TControl control, const std::string& value) override { text[control] = value; }
  void SetPage(int) override {}
  void Show() override { visible = true; }
  void BringToFront() override {}
  void Hide() override { visible = false; }
  void ShowMessage(const std::string& value) override { messages.push_back(value); }

  std::map<TControl, bool> enabled;
  std::map<TControl, std::string> text;
  bool visible = false;
  std::vector<std::string> messages;
};

using FakeFeedSettingsView = FakeDialogView<IFeedSettingsView, TFeedSettingsControl>;

class FakeOptionsView : public FakeDialogView<IOptionsView, TOptionsControl> {
 public:
  void SetColour(TOptionsControl control, TControlColour value) override { colour[control] = value; }
  void SetItems(TOptionsControl control, const std::vector<std::string>& value, int) override {
    items[control] = value;
  }
  std::optional<std::string> AskText(const std::string& title, const std::string& prompt,
                                     const std::string& initial) override {
    asked.push_back(title + "/" + prompt + "/" + initial);
    std::optional<std::string> answer;
    if (!answers.empty()) answer = answers.front(), answers.pop_front();
    return answer;
  }
  bool Confirm(const std::string& title, const std::string& text) override {
    confirmed.push_back(title + "/" + text);
    return confirmAnswer;
  }
  std::optional<int> Choose(const std::string&, const std::string&,
                            const std::vector<std::string>& items) override {
    offered = items;
    return choice;
  }
  std::optional<TFilePath> AskOpenFile(const std::string&) override { return file; }
  std::optional<TFilePath> AskSaveFile(const std::string&) override { return file; }

  std::map<TOptionsControl, TControlColour> colour;
  std::map<TOptionsControl, std::vector<std::string>> items;
  std::deque<std::optional<std::string>> answers;
  std::vector<std::string> asked;
  std::vector<std::string> confirmed;
  bool confirmAnswer = true;
  std::vector<std::string> offered;
  std::optional<int> choice;
  std::optional<std::filesystem::path> file;
};

// Looks at nothing: the test says what the look found and when it ended.
class FakeAddressProbe : public IAddressProbe {
 public:
  void Start(const std::string& address, const TProxySettings&) override { started.push_back(address); }
  std::optional<std::vector<TAnnouncedFeed>> Take() override { return std::exchange(result, std::nullopt); }
  void Cancel() override { ++cancels; }

  std::vector<std::string> started;
  std::optional<std::vector<TAnnouncedFeed>> result;
  int cancels = 0;
};

class FakeOptionsHost : public IOptionsHost {
 public:
  TOptionsDraft MakeOptionsDraft() override {
    ++drafts;
    return kivo::MakeOptionsDraft(globals, rss);
  }
  bool ApplyOptions(const TOptionsDraft& draft) override {
    applied.push_back(draft.FeedLines());
    return true;
  }
  TFilePath PluginFolder() const override { return folder; }
  char DecimalSeparator() const override { return '.'; }
  std::size_t CacheFolderLength() const override { return 10; }
  const TBitmap32* FeedIcon(int index) const override {
    return index >= 0 && static_cast<std::size_t>(index) < icons.size()
               ? &icons[static_cast<std::size_t>(index)]
               : nullptr;
  }

  TPluginGlobals globals;
  TRSS rss;
  std::filesystem::path folder;
  std::vector<TBitmap32> icons;
  int drafts = 0;
  std::vector<std::vector<std::string>> applied;
};

}  // namespace kivo::testing
