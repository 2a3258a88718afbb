#include "options/FeedSettingsController.h"

#include <algorithm>
#include <charconv>
#include <utility>
#include <vector>

#include "feeds/FeedAddress.h"
#include "lang/LanguageTexts.h"
#include "options/AddressMessages.h"

namespace kivo {

namespace {

using C = TFeedSettingsControl;

struct TCheckField {
  C control;
  bool TFeedSettings::*field;
};

constexpr TCheckField kChecks[] = {
    {C::CheckSpecContact, &TFeedSettings::ShowSpecContact}, {C::Checkhorlines, &TFeedSettings::NeedHorlines},
    {C::CheckLoadImages, &TFeedSettings::LoadImages},       {C::CheckBaloonCh, &TFeedSettings::ShowBaloon},
    {C::CheckDoubleTags, &TFeedSettings::CheckDoubleTags},  {C::CheckUpdates, &TFeedSettings::CheckUpdates},
    {C::CheckNotLoad, &TFeedSettings::NotLoadUpdates},      {C::CheckExtCheck, &TFeedSettings::CheckExtCheck},
};

struct TTextField {
  C control;
  std::string TFeedSettings::*field;
};

constexpr TTextField kTags[] = {
    {C::EditTitle, &TFeedSettings::TitleTag},
    {C::EditText1, &TFeedSettings::DescriptionTag},
    {C::EditText2, &TFeedSettings::PubDateTag},
    {C::EditCategory, &TFeedSettings::CategoryTag},
};

// As the spin box reads it: not a number is 1, and it holds 1 to 1200.
int PeriodFromText(const std::string& text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return kMinCheckPeriod;
  return std::clamp(value, kMinCheckPeriod, kMaxCheckPeriod);
}

}  // namespace

void TFeedSettingsController::Open(TOptionsDraft& draft, std::uint64_t id, std::size_t cacheFolderLength) {
  TFeedEntry* entry = draft.Find(id);
  if (entry == nullptr) return;
  draft_ = &draft;
  id_ = id;
  cacheFolderLength_ = cacheFolderLength;
  entry->Settings.CheckNewPeriod = ClampCheckPeriod(entry->Settings.CheckNewPeriod);
  edited_ = entry->Settings;
  address_ = entry->Address;
  name_ = entry->Name;
  period_ = std::to_string(edited_.CheckNewPeriod);
  Fill();
  view_.SetPage(0);
  view_.Show();
}

void TFeedSettingsController::Fill() {
  for (const auto& check : kChecks) view_.SetChecked(check.control, edited_.*check.field);
  view_.SetText(C::SpinPeriod, period_);
  for (const auto& tag : kTags) view_.SetText(tag.control, edited_.*tag.field);
  view_.SetText(C::EditchUrl, address_);
  view_.SetText(C::EditChName, name_);
}

void TFeedSettingsController::Close() {
  if (!draft_) return;
  draft_ = nullptr;
  view_.Hide();
}

void TFeedSettingsController::OnChecked(TFeedSettingsControl control, bool checked) {
  for (const auto& check : kChecks) {
    if (check.control == control) edited_.*check.field = checked;
  }
}

void TFeedSettingsController::OnText(TFeedSettingsControl control, const std::string& text) {
  for (const auto& tag : kTags) {
    if (tag.control == control) edited_.*tag.field = text;
  }
  if (control == C::EditchUrl) address_ = text;
  if (control == C::EditChName) name_ = text;
  if (control == C::SpinPeriod) period_ = text;
}

void TFeedSettingsController::Default() {
  const TFeedSettings standard;
  for (const auto& tag : kTags) {
    edited_.*tag.field = standard.*tag.field;
    view_.SetText(tag.control, standard.*tag.field);
  }
}

// An address left as it was is not checked again: stored entries stay as they are.
bool TFeedSettingsController::TakeAddress(TFeedEntry& entry) {
  if (address_ == entry.Address) return true;
  std::vector<std::string> others;
  std::vector<const TFeedEntry*> owners;
  for (const TFeedEntry& other : draft_->Feeds) {
    if (other.Id == entry.Id) continue;
    others.push_back(other.Address);
    owners.push_back(&other);
  }
  const TAddressCheck check = CheckNewFeedAddress(address_, others, cacheFolderLength_);
  if (check.Problem != TAddressProblem::None) {
    view_.ShowMessage(AddressProblemText(check, owners));
    return false;
  }
  entry.Address = check.Address;
  return true;
}

void TFeedSettingsController::Ok() {
  if (!draft_) return;
  TFeedEntry* entry = draft_->Find(id_);
  if (entry == nullptr) {
    view_.ShowMessage(Lang.lang_opt2_err_save);
    Close();
    return;
  }
  if (!TakeAddress(*entry)) return;
  edited_.CheckNewPeriod = PeriodFromText(period_);
  entry->Settings = edited_;
  entry->Name = CleanFeedName(name_);
  Close();
  if (OnStored) OnStored();
}

}  // namespace kivo
