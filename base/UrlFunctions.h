// Address helpers used to make the links found in feeds absolute. Deliberately
// simpler than the URL standard: relative references resolve against the site
// root, not against the folder of the document.
#pragma once

#include <string>
#include <string_view>

namespace kivo {

// Site root of an address, ending in "/": "http://h.com/a/b?x" -> "http://h.com/".
std::string UrlRoot(std::string_view address);

// Joins a base (normally a UrlRoot result) with a reference, then drops
// "/../" steps (never above the root) and "/./" steps.
std::string UrlJoin(std::string_view base, std::string_view reference);

// True for "scheme://..." (no "/" before the "://") and for anything holding
// "mailto:" in any letter case.
bool UrlIsAbsolute(std::string_view reference);

// Lower-case scheme of an address; "http" for addresses starting with "/";
// empty when none is recognised.
std::string UrlScheme(std::string_view address);

}  // namespace kivo
