// Feeds the address functions arbitrary bytes: input is "base NUL reference".
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/Text1251.h"
#include "base/UrlFunctions.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find('\0');
  const std::string_view base = input.substr(0, split);
  const std::string_view reference =
      split == std::string_view::npos ? std::string_view() : input.substr(split + 1);

  const std::string root = kivo::UrlRoot(base);
  Check(!root.empty() && root.back() == '/');
  Check(root.size() <= kivo::Trim(base).size() + 1);

  const std::string scheme = kivo::UrlScheme(base);
  Check(kivo::LowerCase1251(scheme) == scheme);
  Check(scheme.size() <= base.size() || scheme == "http");

  const std::string joined = kivo::UrlJoin(base, reference);
  Check(joined.find("/./") == std::string::npos);
  Check(joined.size() <= kivo::Trim(base).size() + kivo::Trim(reference).size() + 9 + scheme.size());

  Check(kivo::UrlIsAbsolute(reference) == kivo::UrlIsAbsolute(kivo::UpperCase1251(reference)));
  return 0;
}
