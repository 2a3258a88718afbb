#include "feeds/FeedAddress.h"

#include <algorithm>

#include "base/Text1251.h"
#include "feeds/FeedTable.h"

namespace kivo {

namespace {

bool IsSchemeChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' || c == '-' ||
         c == '.';
}

// The scheme the address names, empty when it names none. "host:8080/x" is a
// host with a port, not the scheme "host".
std::string_view SchemeOf(std::string_view address) {
  const std::size_t colon = address.find(':');
  if (colon == 0 || colon == std::string_view::npos) return {};
  const std::string_view scheme = address.substr(0, colon);
  if (!std::all_of(scheme.begin(), scheme.end(), IsSchemeChar)) return {};
  const std::string_view rest = address.substr(colon + 1);
  if (!rest.empty() && rest.front() >= '0' && rest.front() <= '9') return {};
  return scheme;
}

bool IsForbiddenChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  return c == '|' || u < 0x20 || u == 0x7F;
}

}  // namespace

TAddressCheck CheckNewFeedAddress(std::string_view typed, const std::vector<std::string>& existing,
                                  std::size_t folderLength) {
  TAddressCheck check;
  const std::string_view trimmed = Trim(typed);
  if (trimmed.empty()) {
    check.Problem = TAddressProblem::Empty;
    return check;
  }
  const std::string_view scheme = SchemeOf(trimmed);
  check.Address = scheme.empty() ? "http://" + std::string(trimmed) : std::string(trimmed);
  if (!scheme.empty() && !SameText1251(scheme, "http") && !SameText1251(scheme, "https")) {
    check.Problem = TAddressProblem::Scheme;
  } else if (std::any_of(trimmed.begin(), trimmed.end(), IsForbiddenChar)) {
    check.Problem = TAddressProblem::Character;
  } else {
    const std::string name = MakeCacheName(check.Address, folderLength);
    for (std::size_t i = 0; i < existing.size(); ++i) {
      if (SameText1251(MakeCacheName(existing[i], folderLength), name)) {
        check.Problem = TAddressProblem::Duplicate;
        check.Clash = i;
        break;
      }
    }
  }
  return check;
}

std::string CleanFeedName(std::string_view typed) {
  std::string name(typed);
  std::replace_if(
      name.begin(), name.end(), [](char c) { return c == '\r' || c == '\n' || c == '|'; }, ' ');
  return name;
}

}  // namespace kivo
