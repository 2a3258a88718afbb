#include "plugin/SpecialContacts.h"

#include <array>
#include <cstring>
#include <string_view>

#include "base/Text1251.h"
#include "lang/LanguageTexts.h"
#include "plugin/PluginInfo.h"
#include "reader/ReaderInfo.h"

namespace kivo {

namespace {

constexpr int kIconSide = 16;
constexpr int kNewMarkPicture = 15;
constexpr int kCaptionColor = 8;
constexpr int kUnreadColor = 9;
constexpr int kDividerColor = 17;
constexpr int kHintTextColor = 21;
constexpr std::u16string_view kHintFace = u"Tahoma";
constexpr int kHintFontPoints = 8;

// The host's font and colours, asked for at each drawing (PM_GET_COLORS).
struct THostLook {
  std::u16string Face = u"Tahoma";
  int Points = kHintFontPoints;
  std::array<TColor, kHostColorCount> Colors{};
};

TColor FromColorRef(std::uint32_t color) {
  return (color & 0xFF) << 16 | (color & 0xFF00) | (color >> 16 & 0xFF);
}

THostLook AskHostLook(IContactsSite& site) {
  TPluginMessage message{};
  message.Code = PM_GET_COLORS;
  site.SendToHost(message);
  THostLook look;
  if (const auto* face = reinterpret_cast<const char16_t*>(message.WParam)) {
    look.Face = std::u16string(face, std::char_traits<char16_t>::length(face));
  }
  const auto points = static_cast<std::int32_t>(message.LParam);
  if (points > 0 && points < 100) look.Points = points;
  if (message.XParam != 0) {
    std::array<std::uint32_t, kHostColorCount> colors{};
    std::memcpy(colors.data(), reinterpret_cast<const void*>(message.XParam), sizeof colors);
    for (std::size_t i = 0; i < colors.size(); ++i) look.Colors[i] = FromColorRef(colors[i]);
  }
  return look;
}

TFontSpec Font(std::u16string_view face, int points, bool bold) {
  TFontSpec font;
  font.Face = std::u16string(face);
  font.SizePx = (points * 96 + 36) / 72;  // at the screen's 96 pixels per inch
  font.Bold = bold;
  return font;
}

TRect RectAt(TPluginWord address) {
  std::array<std::int32_t, 4> sides{};
  if (address != 0) std::memcpy(sides.data(), reinterpret_cast<const void*>(address), sizeof sides);
  return TRect{sides[0], sides[1], sides[2], sides[3]};
}

void DrawIcon(IContactPainter& painter, const TBitmap32* icon, int x, int y) {
  if (icon != nullptr && icon->Width > 0)
    painter.DrawImage(TRect{x, y, x + kIconSide, y + kIconSide}, *icon, 0);
}

// Draws at (x, y) and gives the width drawn.
int Text(IContactPainter& painter, int x, int y, const TFontSpec& font, TColor color,
         const std::string& text) {
  const std::u16string wide = WinToUtf16(text);
  painter.DrawText(x, y, font, color, wide);
  return painter.TextWidth(font, wide);
}

// The longest start of `text` that fits `width`, whole when it does.
std::u16string Fitted(IContactPainter& painter, const TFontSpec& font, std::u16string text, int width) {
  while (!text.empty() && painter.TextWidth(font, text) > width) text.pop_back();
  return text;
}

// The host's identifiers are 32-bit in its record, whatever our word size.
bool SameId(std::int32_t id, TPluginWord word) {
  return static_cast<std::uint32_t>(id) == static_cast<std::uint32_t>(word);
}

void Divider(IContactPainter& painter, const TRect& box, int y, TColor color) {
  painter.FillRect(TRect{box.Left + 5, y, box.Right - 5, y + 1}, color);
}

}  // namespace

void TSpecialContacts::setcount(int count) {
  entries_.resize(static_cast<std::size_t>(std::max(count, 0)));
}

void TSpecialContacts::AddSpecialContacts() {
  addedPerFeed_ = PerFeed();
  const auto add = [this] {
    TPluginMessage message{};
    message.Code = PM_CONTACT_ADD;
    message.WParam = kSpecialContactKind;
    site_.SendToHost(message);
    return static_cast<std::int32_t>(message.Result);
  };
  if (!addedPerFeed_) {
    if (singleContactId_ == 0) singleContactId_ = add();
    return;
  }
  const TRSS* feeds = site_.ContactFeeds();
  if (feeds == nullptr) return;
  setcount(static_cast<int>(feeds->Channels.size()));
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const tchannels& feed = feeds->Channels[i];
    tsimplecontact& entry = entries_[i];
    entry.Shown = feed.ShowSpecContact;
    if (!feed.ShowSpecContact) continue;
    entry.Id = add();
    entry.Name = feed.Title;
  }
}

void TSpecialContacts::RemoveSpecialContacts() {
  const auto remove = [this](std::int32_t id) {
    TPluginMessage message{};
    message.Code = PM_CONTACT_REMOVE;
    message.WParam = static_cast<TPluginWord>(id);
    site_.SendToHost(message);
    return message.Result == 0;
  };
  if (!addedPerFeed_) {
    if (remove(singleContactId_)) singleContactId_ = 0;
    return;
  }
  for (tsimplecontact& entry : entries_) {
    if (entry.Shown && remove(entry.Id)) entry.Id = 0;
  }
}

void TSpecialContacts::SetContactNew(int feed, bool hasNew) {
  if (feed < 0 || feed >= getcount()) return;
  tsimplecontact& entry = entries_[static_cast<std::size_t>(feed)];
  entry.NewMark = hasNew;
  Redraw(entry);
}

void TSpecialContacts::SetCounts(int feed, int unread, int total) {
  if (!PerFeed() || feed < 0 || feed >= getcount()) return;
  tsimplecontact& entry = entries_[static_cast<std::size_t>(feed)];
  if (entry.UnreadCount == unread && entry.TotalCount == total) return;
  entry.UnreadCount = unread;
  entry.TotalCount = total;
  Redraw(entry);
}

void TSpecialContacts::Redraw(const tsimplecontact& entry) {
  if (!entry.Shown || entry.Id == 0) return;
  TPluginMessage message{};
  message.Code = PM_CONTACT_REDRAW;
  message.WParam = static_cast<TPluginWord>(entry.Id);
  site_.SendToHost(message);
}

std::optional<int> TSpecialContacts::FeedOf(TPluginWord id) const {
  if (id == 0) return std::nullopt;
  for (int i = getcount() - 1; i >= 0; --i) {
    if (SameId(entries_[static_cast<std::size_t>(i)].Id, id)) return i;
  }
  return std::nullopt;
}

void TSpecialContacts::OnHostMessage(TPluginMessage& message) {
  switch (message.Code) {
    case PM_CONTACT_DRAW:
      return Draw(message);
    case PM_CONTACT_DBLCLICK:
      return DoubleClick(message.WParam);
    case PM_CONTACT_MENU:
      return Menu(message);
    case PM_CONTACT_HINT_SIZE:
      return HintSize(message);
    case PM_CONTACT_HINT_DRAW:
      return DrawHint(message);
    default:
      return;
  }
}

void TSpecialContacts::Draw(const TPluginMessage& message) {
  IReaderWindow* reader = site_.ContactReader();
  if (reader == nullptr) return;
  const std::optional<int> feed = PerFeed() ? FeedOf(message.WParam) : std::nullopt;
  if (PerFeed() ? !feed : !IsSingle(message.WParam)) return;
  const std::unique_ptr<IContactPainter> painter = site_.PainterOn(message.LParam);
  if (!painter) return;
  const THostLook look = AskHostLook(site_);
  const TColor caption = look.Colors[kCaptionColor];
  const TFontSpec regular = Font(look.Face, look.Points, false);
  const TRect box = RectAt(message.XParam);
  DrawIcon(*painter, site_.PluginIcon(), box.Left + 5, box.Top);
  if (!feed) {
    Text(*painter, box.Left + 24, box.Top + 1, regular, caption, Lang.lang_main_form_caption);
    return;
  }
  const int index = *feed;
  const tsimplecontact& entry = entries_[static_cast<std::size_t>(index)];
  int x = box.Left + 24;
  std::string name = entry.Name;
  name.append(" (");
  x += Text(*painter, x, box.Top + 1, regular, caption, name);
  x += Text(*painter, x, box.Top + 1, Font(look.Face, look.Points, true), look.Colors[kUnreadColor],
            std::to_string(entry.UnreadCount));
  std::string total = "/";
  total.append(std::to_string(entry.TotalCount)).append(")");
  Text(*painter, x, box.Top + 1, regular, caption, total);
  if (site_.ContactSettings().ShowContactsIcons)
    DrawIcon(*painter, reader->FeedIcon(index), box.Right - 17, box.Top + 1);
  if (entry.NewMark) DrawIcon(*painter, reader->WindowPicture(kNewMarkPicture), box.Left + 5, box.Top + 1);
}

// In single mode any identifier toggles the window, as the host's own
// contact of the plugin always did.
void TSpecialContacts::DoubleClick(TPluginWord id) {
  IReaderWindow* reader = site_.ContactReader();
  if (reader == nullptr) return;
  if (!PerFeed()) return reader->TrIconDblClick();
  for (int feed = 0; feed < getcount(); ++feed) {
    if (id == 0 || !SameId(entries_[static_cast<std::size_t>(feed)].Id, id)) continue;
    if (!reader->Visible() || reader->ShownFeed() == feed) reader->TrIconDblClick();
    if (reader->Visible()) reader->SelectFeed(feed);
  }
}

void TSpecialContacts::Menu(const TPluginMessage& message) {
  IReaderWindow* reader = site_.ContactReader();
  if (reader == nullptr) return;
  std::vector<TMenuEntry> items;
  if (!PerFeed()) {
    if (!IsSingle(message.WParam)) return;
    if (const TRSS* feeds = site_.ContactFeeds()) {
      for (std::size_t j = 0; j < feeds->Channels.size(); ++j)
        items.push_back({feeds->Channels[j].Title, static_cast<int>(j)});
    }
  } else if (!FeedOf(message.WParam)) {
    return;
  }
  items.push_back({"-", 0, true});
  items.push_back({Lang.lang_main_popup_tray_opt, -1});
  if (!site_.OptionsVisible()) {
    items.push_back({"-", 0, true});
    items.push_back({Lang.lang_main_popup_addfeed, -2});
  }
  std::array<std::int32_t, 2> point{};
  if (message.LParam != 0)
    std::memcpy(point.data(), reinterpret_cast<const void*>(message.LParam), sizeof point);
  const std::optional<int> chosen = reader->PopupSpecContactsAt(items, point[0], point[1]);
  if (!chosen) return;
  if (*chosen == -2) return site_.AddNewFeedProc();
  if (*chosen < 0) return site_.OpenOptions();
  reader->ShowOnFeed(*chosen);
}

// Answered for every identifier: the host sizes a hint before it asks whose.
void TSpecialContacts::HintSize(TPluginMessage& message) const {
  message.LParam = static_cast<TPluginWord>(PerFeed() ? kFeedHintWidth : kSingleHintWidth);
  message.XParam = static_cast<TPluginWord>(PerFeed() ? kFeedHintHeight : kSingleHintHeight);
}

void TSpecialContacts::DrawHint(const TPluginMessage& message) {
  if (site_.ContactReader() == nullptr) return;
  const std::optional<int> feed = PerFeed() ? FeedOf(message.WParam) : std::nullopt;
  if (PerFeed() ? !feed : !IsSingle(message.WParam)) return;
  const std::unique_ptr<IContactPainter> painter = site_.PainterOn(message.LParam);
  if (!painter) return;
  const THostLook look = AskHostLook(site_);
  const TRect box = RectAt(message.XParam);
  if (feed)
    return DrawFeedHint(*painter, box, *feed, look.Colors[kHintTextColor], look.Colors[kDividerColor]);
  const TFontSpec bold = Font(kHintFace, kHintFontPoints, true);
  const std::u16string caption = WinToUtf16(Lang.lang_main_form_caption);
  const int room = box.Right - 5 - (box.Left + 5);
  painter->DrawText(box.Left + 5 + std::max(0, (room - painter->TextWidth(bold, caption)) / 2), box.Top + 10,
                    bold, look.Colors[kHintTextColor], caption);
}

void TSpecialContacts::DrawFeedHint(IContactPainter& painter, const TRect& box, int feed, TColor text,
                                    TColor divider) {
  const TRSS* feeds = site_.ContactFeeds();
  IReaderWindow* reader = site_.ContactReader();
  if (feeds == nullptr || reader == nullptr || !feeds->IsValid(feed)) return;
  const tchannels& channel = feeds->Channels[static_cast<std::size_t>(feed)];
  const TFontSpec bold = Font(kHintFace, kHintFontPoints, true);
  const TFontSpec regular = Font(kHintFace, kHintFontPoints, false);
  const int left = box.Left;
  const int top = box.Top;

  // The title, centred on one line; a title too long for it keeps its start.
  DrawIcon(painter, reader->FeedIcon(feed), left + 5, top + 5);
  const int titleRoom = box.Right - 5 - (left + 25);
  const std::u16string title = Fitted(painter, bold, WinToUtf16(channel.Title), titleRoom);
  painter.DrawText(left + 25 + std::max(0, (titleRoom - painter.TextWidth(bold, title)) / 2),
                   top + 5 + std::max(0, (30 - painter.LineHeight(bold)) / 2), bold, text, title);
  Divider(painter, box, top + 37, divider);

  // The counts: unread and all, then green, blue and red.
  DrawIcon(painter, reader->WindowPicture(1), left + 10, top + 40);
  Text(painter, left + 35, top + 40, bold, text, std::to_string(channel.NewCount));
  DrawIcon(painter, reader->WindowPicture(2), left + 80, top + 40);
  Text(painter, left + 105, top + 40, regular, text, std::to_string(channel.Items.size()));
  const std::array<std::pair<int, int>, 3> marks = {
      {{left + 10, channel.Mark2Count}, {left + 80, channel.Mark3Count}, {left + 150, channel.Mark4Count}}};
  for (std::size_t i = 0; i < marks.size(); ++i) {
    DrawIcon(painter, reader->WindowPicture(static_cast<int>(i) + 3), marks[i].first, top + 60);
    Text(painter, marks[i].first + 25, top + 60, regular, text, std::to_string(marks[i].second));
  }
  Divider(painter, box, top + 77, divider);

  const ILocaleFormats& locale = site_.ContactLocale();
  std::vector<std::pair<std::string, std::string>> rows = {
      {Lang.lang_hint_lastupd, TimeAndDate(channel.LastUpdated, locale)},
      {Lang.lang_hint_filesize, KilobytesText(channel.NetFileSize, locale.DecimalSeparator())}};
  if (channel.CheckUpdates) {
    rows.push_back({Lang.lang_hint_scantime, std::to_string(channel.CheckNewPeriod)});
    rows.push_back({Lang.lang_hint_lastscan, TimeAndDate(channel.LastCheck, locale)});
  }
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const int y = top + 80 + 20 * static_cast<int>(i);
    Text(painter, left + 5, y, regular, text, rows[i].first);
    Text(painter, left + 150, y, regular, text, rows[i].second);
  }
}

}  // namespace kivo
