// Reading the values of presentational HTML attributes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "viewer/HtmlContent.h"

namespace kivo {

bool IsHtmlSpace(char16_t c);
std::u16string LowerTrimmedAscii(std::u16string_view text);
// Leading digits with an optional sign, at most `limit`; nullopt when there
// are none. `percent` tells whether a '%' follows them.
std::optional<int> ParseHtmlInt(std::u16string_view text, bool* percent = nullptr, int limit = 100000);
// Pixels or a percentage; unset when absent, malformed or negative.
TLength ParseHtmlLength(const std::u16string* text);
int ClampedHtmlInt(const std::u16string* text, int fallback, int low, int high);
std::optional<TAlign> ParseHtmlAlign(const std::u16string* text);
std::optional<TVAlign> ParseHtmlVAlign(const std::u16string* text);
// "#rrggbb", "#rgb", "rrggbb" or one of the sixteen HTML colour names.
std::optional<TColor> ParseHtmlColor(std::u16string_view text);
// The first name of a font list, without quotes.
std::u16string FirstFontFace(std::u16string_view faces);

}  // namespace kivo
