// The texts of the information button's menu: the information message about
// the current feed (N15) and the about page (N17).
#pragma once

#include <string>

#include "feeds/FeedTable.h"
#include "platform/Locale.h"

namespace kivo {

// Lines ended by a carriage return: the feed's title, address, last update,
// file size and, when it checks for updates, its period and last check (only
// for a feed that exists); an empty line; the version; the author.
std::string FeedInformationText(const TRSS* feeds, int feed, const ILocaleFormats& locale,
                                const std::string& author);

// Our own page, windows-1251, its "{licence}" filled with the version.
std::string AboutPageHtml();

// The time, two blanks, the date, in the locale's formats.
std::string TimeAndDate(TDateTime value, const ILocaleFormats& locale);
// A size in bytes as kilobytes of 1000 bytes: 1500 is "1.5 Kb" with the
// locale's separator. A failed download's size (below 0) shows as 0.
std::string KilobytesText(long long bytes, char decimalSeparator);

// "2.7" with the given decimal separator.
std::string PluginVersionText(char decimalSeparator);

}  // namespace kivo
