#include "options/DialogControls.h"

#include <array>
#include <utility>

namespace kivo {

namespace {

template <std::size_t N>
std::optional<int> Find(const std::array<std::pair<std::string_view, int>, N>& table, std::string_view name) {
  for (const auto& [key, id] : table) {
    if (key == name) return id;
  }
  return std::nullopt;
}

#define KIVO_OPTION(name)                   \
  std::pair<std::string_view, int> {        \
#name, ControlId(TOptionsControl::name) \
  }
#define KIVO_OPTION_BUTTON(name)           \
  std::pair<std::string_view, int> {       \
#name, ControlId(TOptionsButton::name) \
  }
#define KIVO_FEED(name)                          \
  std::pair<std::string_view, int> {             \
#name, ControlId(TFeedSettingsControl::name) \
  }
#define KIVO_FEED_BUTTON(name)                  \
  std::pair<std::string_view, int> {            \
#name, ControlId(TFeedSettingsButton::name) \
  }

constexpr std::array kOptions = {
    KIVO_OPTION(CheckLogo),
    KIVO_OPTION(CheckAddOldChannels),
    KIVO_OPTION(CheckBox1),
    KIVO_OPTION(CheckTrayIcon),
    KIVO_OPTION(CheckshowButton),
    KIVO_OPTION(CheckContact),
    KIVO_OPTION(CheckListContacts),
    KIVO_OPTION(CheckContactsIcons),
    KIVO_OPTION(ChecknewLents),
    KIVO_OPTION(CheckBaloon),
    KIVO_OPTION(ListBox1),
    KIVO_OPTION(BitBtn2),
    KIVO_OPTION(ComboBox1),
    KIVO_OPTION(Label5),
    KIVO_OPTION(Label12),
    KIVO_OPTION(Label11),
    KIVO_OPTION(Label13),
    KIVO_OPTION(RadioGroup1),
    KIVO_OPTION(SpinFontSize),
    KIVO_OPTION(CheckProxy),
    KIVO_OPTION(Label7),
    KIVO_OPTION(EditProxy),
    KIVO_OPTION(Label8),
    KIVO_OPTION(EditPort),
    KIVO_OPTION(CheckAuth),
    KIVO_OPTION(Label9),
    KIVO_OPTION(EditUser),
    KIVO_OPTION(Label10),
    KIVO_OPTION(EditPass),
    KIVO_OPTION(Edit1),
    KIVO_OPTION_BUTTON(ListBox2),
    KIVO_OPTION_BUTTON(BitBtn1),
    KIVO_OPTION_BUTTON(BitBtn4),
    KIVO_OPTION_BUTTON(BitBtn5),
    KIVO_OPTION_BUTTON(BitBtn6),
    KIVO_OPTION_BUTTON(BitBtn7),
    KIVO_OPTION_BUTTON(BitBtn8),
};

constexpr std::array kFeedSettings = {
    KIVO_FEED(EditChName),          KIVO_FEED(EditchUrl),       KIVO_FEED(CheckSpecContact),
    KIVO_FEED(Checkhorlines),       KIVO_FEED(CheckLoadImages), KIVO_FEED(CheckBaloonCh),
    KIVO_FEED(CheckDoubleTags),     KIVO_FEED(CheckUpdates),    KIVO_FEED(CheckNotLoad),
    KIVO_FEED(CheckExtCheck),       KIVO_FEED(SpinPeriod),      KIVO_FEED(EditTitle),
    KIVO_FEED(EditText1),           KIVO_FEED(EditText2),       KIVO_FEED(EditCategory),
    KIVO_FEED_BUTTON(PageControl1), KIVO_FEED_BUTTON(BitBtn1),  KIVO_FEED_BUTTON(BitBtn2),
};

#undef KIVO_OPTION
#undef KIVO_OPTION_BUTTON
#undef KIVO_FEED
#undef KIVO_FEED_BUTTON

}  // namespace

std::optional<int> OptionsControlIdByName(std::string_view name) {
  return Find(kOptions, name);
}

std::optional<int> FeedSettingsControlIdByName(std::string_view name) {
  return Find(kFeedSettings, name);
}

}  // namespace kivo
