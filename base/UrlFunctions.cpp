#include "base/UrlFunctions.h"

#include "base/Text1251.h"

namespace kivo {

namespace {

constexpr auto npos = std::string_view::npos;

std::string_view CutBeforeQuery(std::string_view text) {
  return text.substr(0, text.find('?'));
}

bool StartsWithNoCase(std::string_view text, std::string_view lowerPrefix) {
  return text.size() >= lowerPrefix.size() &&
         LowerCase1251(text.substr(0, lowerPrefix.size())) == lowerPrefix;
}

// After erasing at `erasedAt`, a new occurrence of a pattern of length
// `patternLength` can only start this far back; nothing earlier changed.
size_t RescanFrom(size_t erasedAt, size_t patternLength) {
  return erasedAt >= patternLength - 1 ? erasedAt - (patternLength - 1) : 0;
}

// Makes `base` end with "/" and returns the length of its root, i.e. the
// count of characters up to and including the slash that ends the root.
size_t SplitRoot(std::string& base) {
  size_t rootLength = 0;
  if (base.starts_with("file:///")) {
    const size_t slash = base.find('/', 8);
    rootLength = slash == npos ? 8 : slash + 1;
  } else if (const size_t schemeEnd = base.find("://"); schemeEnd != npos) {
    // No slash after the host: the root is the whole base, so the host stays.
    const size_t slash = base.find('/', schemeEnd + 3);
    rootLength = slash == npos ? 0 : slash + 1;
  } else {
    const size_t slash = base.find('/');
    rootLength = slash == npos ? 0 : slash + 1;
  }
  if (rootLength == 0) {
    base += '/';
    rootLength = base.size();
  } else if (base.back() != '/') {
    base += '/';
  }
  return rootLength;
}

// Every pass erases at least three characters or stops, so this ends.
void RemoveParentSteps(std::string& url, size_t rootLength) {
  size_t from = 0;
  for (size_t step = url.find("/../"); step != npos; step = url.find("/../", from)) {
    if (step >= rootLength) {
      size_t segment = step;
      while (segment > 0 && url[segment - 1] != '/') --segment;
      if (segment == 0) return;
      url.erase(segment, step + 4 - segment);
      from = RescanFrom(segment, 4);
    } else {
      // Climbing above the root: the step is dropped.
      url.erase(step + 1, 3);
      from = RescanFrom(step + 1, 4);
    }
  }
}

void RemoveCurrentSteps(std::string& url) {
  size_t from = 0;
  for (size_t step = url.find("/./"); step != npos; step = url.find("/./", from)) {
    url.erase(step + 1, 2);
    from = RescanFrom(step + 1, 3);
  }
}

}  // namespace

std::string UrlRoot(std::string_view address) {
  const std::string_view text = CutBeforeQuery(Trim(address));
  const size_t doubleSlash = text.find("//");
  const size_t slash = text.find('/', doubleSlash == npos ? 1 : doubleSlash + 2);
  if (slash != npos) return std::string(text.substr(0, slash + 1));
  std::string root(text);
  root += '/';
  return root;
}

std::string UrlJoin(std::string_view base, std::string_view reference) {
  std::string joined(Trim(base));
  const std::string scheme = UrlScheme(joined);
  const size_t rootLength = SplitRoot(joined);
  const std::string_view ref = Trim(reference);
  if (ref.starts_with("//")) {
    joined = scheme == "file" ? "file:///" : scheme + ":";
    joined += ref;
  } else if (ref.starts_with('/')) {
    joined.resize(rootLength);
    joined += ref.substr(1);
  } else {
    joined += ref;
  }
  RemoveParentSteps(joined, rootLength);
  RemoveCurrentSteps(joined);
  return joined;
}

bool UrlIsAbsolute(std::string_view reference) {
  const std::string_view text = CutBeforeQuery(reference);
  const size_t schemeEnd = text.find("://");
  if (schemeEnd != npos && text.find('/') > schemeEnd) return true;
  return LowerCase1251(text).find("mailto:") != npos;
}

std::string UrlScheme(std::string_view address) {
  const std::string_view text = CutBeforeQuery(address);
  if (text.empty()) return {};
  if (const size_t schemeEnd = text.find("://"); schemeEnd != npos) {
    return LowerCase1251(text.substr(0, schemeEnd));
  }
  if (text.front() == '/' || StartsWithNoCase(text, "http:")) return "http";
  if (StartsWithNoCase(text, "mailto:")) return "mailto";
  return {};
}

}  // namespace kivo
