// Inputs shared by the benchmark programs: the generated feeds in UTF-8 and
// KOI8-R, and an item cache folder of many feeds for the start-up benchmark.
#pragma once

#include <iconv.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "base/Text1251.h"
#include "tests/support/FeedGenerator.h"

namespace kivo {

inline constexpr uint32_t kBenchSeed = 20240501;

[[noreturn]] inline void BenchFail(const std::string& message) {
  std::fprintf(stderr, "bench: %s\n", message.c_str());
  std::abort();
}

// The generated feed with "&nbsp;" spelt "&#160;" (same length): the peers
// are validating parsers, and a document without a DTD may not use it.
inline std::string BenchFeed(std::size_t bytes) {
  std::string feed = GenerateRssFeed(bytes, kBenchSeed);
  return ReplaceAll(feed, "&nbsp;", "&#160;");
}

// glibc iconv over a whole buffer; aborts on anything it cannot convert.
inline std::string Iconv(iconv_t cd, std::string_view in) {
  std::string out(in.size() * 2 + 16, '\0');
  char* src = const_cast<char*>(in.data());
  std::size_t srcLeft = in.size();
  char* dst = out.data();
  std::size_t dstLeft = out.size();
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1)) BenchFail("iconv failed");
  out.resize(out.size() - dstLeft);
  return out;
}

class TIconv {
 public:
  TIconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) BenchFail(std::string("no iconv for ") + from + " -> " + to);
  }
  ~TIconv() { iconv_close(cd_); }
  TIconv(const TIconv&) = delete;
  TIconv& operator=(const TIconv&) = delete;
  std::string Convert(std::string_view in) const { return Iconv(cd_, in); }
  iconv_t Handle() const { return cd_; }

 private:
  iconv_t cd_;
};

// The same document in KOI8-R, its declaration saying so.
inline std::string Koi8Copy(std::string_view utf8Feed) {
  const std::string koi8 = TIconv("KOI8-R", "UTF-8").Convert(utf8Feed);
  return ReplaceAll(koi8, "encoding=\"UTF-8\"", "encoding=\"KOI8-R\"");
}

inline void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) BenchFail("cannot write " + path.string());
}

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes;
  in.seekg(0, std::ios::end);
  bytes.resize(static_cast<std::size_t>(in.tellg()));
  in.seekg(0);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

}  // namespace kivo
