// The plugin's entries in the host's contact list: one for the plugin, or one
// per feed with its counts. The host asks us to draw them and their hints, and
// tells us of double clicks and menu requests on them (messages 51 to 59).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/Bitmap.h"
#include "feeds/FeedTable.h"
#include "feeds/PluginGlobals.h"
#include "platform/Locale.h"
#include "plugin/PluginMessages.h"
#include "reader/ReaderWindowOps.h"
#include "viewer/Canvas.h"

namespace kivo {

struct tsimplecontact {
  std::int32_t Id = 0;  // the host's identifier; 0 for none
  std::string Name;     // the feed title, windows-1251
  int UnreadCount = 0;
  int TotalCount = 0;
  bool NewMark = false;
  bool Shown = false;  // the feed's "ShowSpecContact" when the contacts were added
};

// A device context the host lends for one drawing, with fonts to measure by.
class IContactPainter : public ICanvas, public IFontMetrics {};

// What the contacts reach of the plugin.
class IContactsSite {
 public:
  virtual ~IContactsSite() = default;
  virtual void SendToHost(TPluginMessage& message) = 0;
  virtual const TPluginGlobals& ContactSettings() const = 0;
  virtual const TRSS* ContactFeeds() const = 0;
  virtual IReaderWindow* ContactReader() = 0;  // null while there is none
  virtual bool OptionsVisible() const = 0;
  virtual void OpenOptions() = 0;
  virtual void AddNewFeedProc() = 0;
  // Null when the device context cannot be drawn on.
  virtual std::unique_ptr<IContactPainter> PainterOn(TPluginWord deviceContext) = 0;
  // Image 0 of PngImageList2; null when there is none.
  virtual const TBitmap32* PluginIcon() const = 0;
  virtual const ILocaleFormats& ContactLocale() const = 0;
};

inline constexpr int kSingleHintWidth = 150;
inline constexpr int kSingleHintHeight = 25;
inline constexpr int kFeedHintWidth = 270;
inline constexpr int kFeedHintHeight = 150;

class TSpecialContacts {
 public:
  TSpecialContacts(IContactsSite& site, std::int32_t& singleContactId)
      : site_(site), singleContactId_(singleContactId) {}

  // Tcontacts: entry i belongs to feed i.
  int getcount() const { return static_cast<int>(entries_.size()); }
  void setcount(int count);  // kept entries keep their values, new ones are empty
  const tsimplecontact& Entry(int index) const { return entries_.at(static_cast<std::size_t>(index)); }

  void AddSpecialContacts();
  // What was added goes, in the mode it was added in.
  void RemoveSpecialContacts();
  void SetContactNew(int feed, bool hasNew);
  // The feed's counts; its contact is redrawn when they changed.
  void SetCounts(int feed, int unread, int total);

  // Messages 51, 52, 53, 58 and 59.
  void OnHostMessage(TPluginMessage& message);

 private:
  bool PerFeed() const { return site_.ContactSettings().ShowListContacts; }
  // The feed whose contact has the identifier, the last one when several do;
  // identifier 0 belongs to no contact.
  std::optional<int> FeedOf(TPluginWord id) const;
  bool IsSingle(TPluginWord id) const {
    return id != 0 && static_cast<std::uint32_t>(id) == static_cast<std::uint32_t>(singleContactId_);
  }
  void Redraw(const tsimplecontact& entry);
  void Draw(const TPluginMessage& message);
  void DoubleClick(TPluginWord id);
  void Menu(const TPluginMessage& message);
  void HintSize(TPluginMessage& message) const;
  void DrawHint(const TPluginMessage& message);
  void DrawFeedHint(IContactPainter& painter, const TRect& box, int feed, TColor text, TColor divider);

  IContactsSite& site_;
  std::int32_t& singleContactId_;
  std::vector<tsimplecontact> entries_;
  bool addedPerFeed_ = false;  // the mode of the contacts added last
};

}  // namespace kivo
