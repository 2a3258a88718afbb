// The feed settings dialog: edits one entry of the options dialog's working
// copy, found by its id, so that deleting or adding other entries never moves
// the edit onto another feed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "options/OptionsDraft.h"
#include "options/OptionsView.h"

namespace kivo {

class TFeedSettingsController {
 public:
  explicit TFeedSettingsController(IFeedSettingsView& view) : view_(view) {}

  // Binds to the entry `id` of `draft` (which must outlive the binding) and
  // shows it; a stored period outside 1 to 1200 becomes 30 in the entry.
  void Open(TOptionsDraft& draft, std::uint64_t id, std::size_t cacheFolderLength);
  // Hides without writing anything back.
  void Close();
  bool IsOpen() const { return draft_ != nullptr; }
  // Called after OK stored the entry, so the options dialog shows it at once.
  std::function<void()> OnStored;
  std::uint64_t EntryId() const { return id_; }

  void OnChecked(TFeedSettingsControl control, bool checked);
  void OnText(TFeedSettingsControl control, const std::string& text);
  void Default();
  // Writes into the entry and closes; a bad address gets its message and the
  // dialog stays.
  void Ok();

 private:
  void Fill();
  bool TakeAddress(TFeedEntry& entry);

  IFeedSettingsView& view_;
  TOptionsDraft* draft_ = nullptr;
  std::uint64_t id_ = 0;
  std::size_t cacheFolderLength_ = 0;
  std::string address_;
  std::string name_;
  std::string period_;
  TFeedSettings edited_;
};

}  // namespace kivo
