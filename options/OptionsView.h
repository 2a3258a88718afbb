// The view and host interfaces of the options and feed settings dialogs: the
// controllers decide, the views show and report (reader/ReaderView.h is the
// model). Controls are named as in the dialogs.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "base/Bitmap.h"
#include "base/FilePaths.h"
#include "feeds/FeedDiscovery.h"
#include "feeds/HttpDownload.h"
#include "options/OptionsDraft.h"

namespace kivo {

enum class TOptionsControl {
  CheckLogo,
  CheckAddOldChannels,
  CheckBox1,
  CheckTrayIcon,
  CheckshowButton,
  CheckContact,
  CheckListContacts,
  CheckContactsIcons,
  ChecknewLents,
  CheckBaloon,
  ListBox1,   // the feed list: the entries' lines
  BitBtn2,    // add
  ComboBox1,  // the languages
  Label5,     // author value
  Label12,    // version caption
  Label11,    // version value
  Label13,    // description value
  RadioGroup1,
  SpinFontSize,
  CheckProxy,
  Label7,
  EditProxy,
  Label8,
  EditPort,
  CheckAuth,
  Label9,
  EditUser,
  Label10,
  EditPass,
  Edit1,
};

enum class TFeedSettingsControl {
  EditChName,
  EditchUrl,
  CheckSpecContact,
  Checkhorlines,
  CheckLoadImages,
  CheckBaloonCh,
  CheckDoubleTags,
  CheckUpdates,
  CheckNotLoad,
  CheckExtCheck,
  SpinPeriod,
  EditTitle,
  EditText1,
  EditText2,
  EditCategory,
};

// The view maps these to the system's colours.
enum class TControlColour { ButtonFace, White, Silver, Yellow };

// What both dialogs show and ask; texts are windows-1251.
template <class TControl>
class IDialogView {
 public:
  virtual ~IDialogView() = default;
  virtual void SetChecked(TControl control, bool checked) = 0;
  virtual void SetEnabled(TControl control, bool enabled) = 0;
  virtual void SetText(TControl control, const std::string& text) = 0;
  virtual void SetPage(int page) = 0;
  virtual void Show() = 0;  // not modal
  virtual void BringToFront() = 0;
  virtual void Hide() = 0;
  virtual void ShowMessage(const std::string& text) = 0;
};

class IOptionsView : public IDialogView<TOptionsControl> {
 public:
  virtual void SetColour(TOptionsControl control, TControlColour colour) = 0;
  // A list's entries and its selection (-1 for none).
  virtual void SetItems(TOptionsControl control, const std::vector<std::string>& items, int selected) = 0;
  // A text prompt: nullopt when cancelled.
  virtual std::optional<std::string> AskText(const std::string& title, const std::string& prompt,
                                             const std::string& initial) = 0;
  // OK and Cancel with the information icon: true for OK.
  virtual bool Confirm(const std::string& title, const std::string& text) = 0;
  // One of `items`, or nullopt when cancelled.
  virtual std::optional<int> Choose(const std::string& title, const std::string& prompt,
                                    const std::vector<std::string>& items) = 0;
  // The system's file dialogs: the chosen file, nullopt when cancelled.
  virtual std::optional<TFilePath> AskOpenFile(const std::string& filterName) = 0;
  virtual std::optional<TFilePath> AskSaveFile(const std::string& filterName) = 0;
};

// Looks at a typed address before the name prompt, off the dialog's thread: a
// slow server must not freeze the messenger. The view hears when a look has
// ended and tells the controller, which takes the result.
class IAddressProbe {
 public:
  virtual ~IAddressProbe() = default;
  // A look under way is dropped.
  virtual void Start(const std::string& address, const TProxySettings& proxy) = 0;
  // Once the latest look has ended: the feeds the address's page announces,
  // none when it answered with a feed, an error or nothing. nullopt while it
  // runs, and when there is none to take.
  virtual std::optional<std::vector<TAnnouncedFeed>> Take() = 0;
  virtual void Cancel() = 0;
};

using IFeedSettingsView = IDialogView<TFeedSettingsControl>;

// What the options dialog needs of the plugin.
class IOptionsHost {
 public:
  virtual ~IOptionsHost() = default;
  virtual TOptionsDraft MakeOptionsDraft() = 0;
  // Stores and applies everything (the OK sequence); false when the settings
  // files could not be written.
  virtual bool ApplyOptions(const TOptionsDraft& draft) = 0;
  virtual TFilePath PluginFolder() const = 0;
  virtual char DecimalSeparator() const = 0;
  // What MakeCacheName takes: the cache folder's length with its separator.
  virtual std::size_t CacheFolderLength() const = 0;
  // The reader window's site icon of the feed that had this index when the
  // dialog opened; null when it has none.
  virtual const TBitmap32* FeedIcon(int) const { return nullptr; }
};

}  // namespace kivo
