// The two HTML pages the reader window's viewer shows: the feed page (every
// theme of a feed, built whenever its item cache text changes and kept in the
// feed record) and the theme page (one theme, built on selection). Element
// texts already hold the HTML made by the conversion and go in unescaped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/DateTime.h"
#include "feeds/FeedTable.h"
#include "platform/Locale.h"

namespace kivo {

// What composing a feed gives: its theme list (marks set) and its page in
// windows-1251.
struct TComposedFeed {
  std::vector<tchannelrecord> Items;
  std::string PageHtml;
};

// The text of the page's date line: short date, blank, long time.
std::string UpdatedStamp(TDateTime lastUpdated, const ILocaleFormats& locale);

// Composes from an item cache text (windows-1251, as its file holds it) and
// a read-marks text. Touches no shared state: safe on any thread.
TComposedFeed ComposeFeedPage(std::string_view itemCacheText, std::string_view readMarks,
                              TDateTime lastUpdated, bool needHorlines, int fontSize,
                              const ILocaleFormats& locale);
// The same with the date line's text given as it is.
TComposedFeed ComposeFeedPageWithStamp(std::string_view itemCacheText, std::string_view readMarks,
                                       std::string_view updatedStamp, bool needHorlines, int fontSize);

// Replaces the feed's theme list and page in one step, on the window's thread.
// The marks are taken again from the feed's read-marks text as it is now, so
// a mark set while a worker composed is not lost.
void AdoptComposedFeed(tchannels& feed, TComposedFeed composed);

// Compose and adopt feed f; nothing for an index that names no feed. Should
// composing throw, the feed keeps its previous page and themes.
void MakeFeedPage(TRSS& rss, int f, int fontSize, const ILocaleFormats& locale);

// The theme list alone, marks set, as composing gives it, without building
// the page: what a start needs of every feed.
std::vector<tchannelrecord> ReadThemes(std::string_view itemCacheText, std::string_view readMarks);
// Feed f's theme list from its ItemCacheText; its page is left to be
// composed when the feed is first shown as a page.
void MakeFeedThemes(TRSS& rss, int f);

// The theme page in windows-1251: no character-set declaration, no date line,
// empty fields left out, fields in the order title, date, text, link,
// category, image.
std::string MakeThemePage(const tchannelrecord& theme, int fontSize);

}  // namespace kivo
