#include "feeds/PageComposition.h"

#include <array>
#include <utility>

#include "base/Text1251.h"
#include "feeds/ReadMarks.h"
#include "feeds/XmlParser.h"

namespace kivo {

namespace {

constexpr std::string_view kFeedPageHead =
    "<html><head><META http-equiv=\"content-type\" content=\"text/html; charset=windows-1251\"></head><body>";
constexpr std::string_view kFeedPageEnd = "</font></body></html>";
constexpr std::string_view kCacheRoot = "myrssnodes";

struct TField {
  std::string_view Name;
  std::u16string tchannelrecord::*Member;
  std::string_view Open;
  std::string_view Close;
  bool PlainText = false;  // shown as text: a "<" in it must not start a tag
};

constexpr std::array<TField, 6> kFields = {{
    {"title", &tchannelrecord::Title, "<div><b>", "</b></div>", true},
    {"text", &tchannelrecord::Text, "<div>", "</div>"},
    {"date", &tchannelrecord::Date, "<div>", "</div>", true},
    {"category", &tchannelrecord::Category, "<div>", "</div>", true},
    {"link", &tchannelrecord::Link, "<div>", "</div>"},
    {"image", &tchannelrecord::Image, "<div>", "</div>"},
}};

// Plain-text fields arrive with their references decoded: a category of
// "&lt;script&gt;" reads "<script>" and, put into the page as it stands, would
// swallow the rest of the page. "&" stays: the conversion writes "&#N;" for
// each letter that windows-1251 lacks, and the viewer must show it as that
// letter.
template <typename Text>
Text EscapedMarkup(const Text& text) {
  Text out;
  out.reserve(text.size());
  for (const auto c : text) {
    if (c == '<')
      out.append({'&', 'l', 't', ';'});
    else if (c == '>')
      out.append({'&', 'g', 't', ';'});
    else
      out.push_back(c);
  }
  return out;
}

const TField* FieldNamed(std::string_view name) {
  for (const auto& field : kFields) {
    if (field.Name == name) return &field;
  }
  return nullptr;
}

std::string FontTag(int fontSize) {
  return "<font size=" + std::to_string(fontSize) + ">";
}

std::vector<const TmoxXMLNode2*> WalkedElements(const TmoxXMLParser2& document) {
  if (document.Name() != kCacheRoot) return {&document};
  std::vector<const TmoxXMLNode2*> walked;
  walked.reserve(document.ChildCount());
  for (std::size_t i = 0; i < document.ChildCount(); ++i) walked.push_back(document.Child(i));
  return walked;
}

// The theme's fields from its children, and their fragments onto the page
// when there is one.
tchannelrecord ReadTheme(const TmoxXMLNode2& element, std::string* pageOrNull) {
  tchannelrecord theme;
  for (std::size_t i = 0; i < element.ChildCount(); ++i) {
    const TmoxXMLNode2& child = *element.Child(i);
    const TField* field = FieldNamed(child.Name());
    if (!field) continue;
    theme.*field->Member = WinToUtf16(child.Text());
    if (pageOrNull == nullptr) continue;
    std::string& page = *pageOrNull;
    page.append(field->Open);
    if (field->PlainText)
      page.append(EscapedMarkup(std::string(child.Text())));
    else
      page.append(child.Text());
    page.append(field->Close);
  }
  return theme;
}

void AppendThemeLine(std::u16string& page, std::u16string_view open, const std::u16string& text,
                     std::u16string_view close) {
  if (text.empty()) return;
  page.append(open).append(text).append(close);
}

void MarkThemes(std::vector<tchannelrecord>& items, std::string_view readMarks) {
  const TReadMarksIndex index(readMarks);
  for (auto& theme : items) theme.Mark = index.HighestMark(ThemeKey(theme));
}

}  // namespace

std::string UpdatedStamp(TDateTime lastUpdated, const ILocaleFormats& locale) {
  return locale.FormatShortDate(lastUpdated) + " " + locale.FormatLongTime(lastUpdated);
}

TComposedFeed ComposeFeedPageWithStamp(std::string_view itemCacheText, std::string_view readMarks,
                                       std::string_view updatedStamp, bool needHorlines, int fontSize) {
  TComposedFeed composed;
  std::string& page = composed.PageHtml;
  page.reserve(itemCacheText.size() + 256);
  page.append(kFeedPageHead);
  page.append("<div align=right><font size=1 color=blue> ").append(updatedStamp).append("</font></div>");
  page.append(FontTag(fontSize));

  TmoxXMLParser2 document;
  document.LoadFromString(std::string(itemCacheText));
  const auto walked = WalkedElements(document);
  for (std::size_t n = 0; n < walked.size(); ++n) {
    if (walked[n]->ChildCount() == 0) continue;
    // An element without children before a theme still counts: its place in
    // the list stays as an empty theme.
    composed.Items.resize(n + 1);
    composed.Items[n] = ReadTheme(*walked[n], &page);
    page.append(needHorlines ? "<hr>" : "<br>");
  }
  page.append(kFeedPageEnd);
  MarkThemes(composed.Items, readMarks);
  return composed;
}

std::vector<tchannelrecord> ReadThemes(std::string_view itemCacheText, std::string_view readMarks) {
  std::vector<tchannelrecord> items;
  TmoxXMLParser2 document;
  document.LoadFromString(std::string(itemCacheText));
  const auto walked = WalkedElements(document);
  for (std::size_t n = 0; n < walked.size(); ++n) {
    if (walked[n]->ChildCount() == 0) continue;
    items.resize(n + 1);
    items[n] = ReadTheme(*walked[n], nullptr);
  }
  MarkThemes(items, readMarks);
  return items;
}

TComposedFeed ComposeFeedPage(std::string_view itemCacheText, std::string_view readMarks,
                              TDateTime lastUpdated, bool needHorlines, int fontSize,
                              const ILocaleFormats& locale) {
  return ComposeFeedPageWithStamp(itemCacheText, readMarks, UpdatedStamp(lastUpdated, locale), needHorlines,
                                  fontSize);
}

void AdoptComposedFeed(tchannels& feed, TComposedFeed composed) {
  MarkThemes(composed.Items, feed.ReadMarks);
  feed.Items = std::move(composed.Items);
  feed.PageHtml = std::move(composed.PageHtml);
  feed.PageComposed = true;
}

void MakeFeedThemes(TRSS& rss, int f) {
  if (!rss.IsValid(f)) return;
  tchannels& feed = rss.Channels[static_cast<std::size_t>(f)];
  feed.Items = ReadThemes(feed.ItemCacheText, feed.ReadMarks);
  feed.PageHtml.clear();
  feed.PageComposed = false;
}

void MakeFeedPage(TRSS& rss, int f, int fontSize, const ILocaleFormats& locale) {
  if (!rss.IsValid(f)) return;
  tchannels& feed = rss.Channels[static_cast<std::size_t>(f)];
  AdoptComposedFeed(feed, ComposeFeedPage(feed.ItemCacheText, feed.ReadMarks, feed.LastUpdated,
                                          feed.NeedHorlines, fontSize, locale));
}

std::string MakeThemePage(const tchannelrecord& theme, int fontSize) {
  std::u16string page = u"<html><body>" + WinToUtf16(FontTag(fontSize));
  AppendThemeLine(page, u"<div><b>", EscapedMarkup(theme.Title), u"</b></div>");
  AppendThemeLine(page, u"<div>", EscapedMarkup(theme.Date), u"</div>");
  AppendThemeLine(page, u"<div>", theme.Text, u"</div>");
  AppendThemeLine(page, u"<div>", theme.Link, u"</div>");
  AppendThemeLine(page, u"<div>", EscapedMarkup(theme.Category), u"</div>");
  AppendThemeLine(page, u"<div>", theme.Image, u"</div>");
  page += u"</body></html>";
  return Utf16ToWin(page);
}

}  // namespace kivo
