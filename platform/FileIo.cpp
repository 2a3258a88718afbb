#include "platform/FileIo.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace kivo {
namespace fs = std::filesystem;

namespace {

// The platform maps 8-bit paths through the system code page, which is what
// the rest of the plugin uses for file names too.
fs::path ToPath(const std::string& path) { return fs::path(path); }

std::string TemporaryNameFor(const std::string& path) { return path + ".tmp~"; }

bool WriteAndFlush(const std::string& path, std::string_view bytes) {
  std::ofstream out(ToPath(path), std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.flush();
  return static_cast<bool>(out);
}

}  // namespace

std::optional<std::string> ReadFileBytes(const std::string& path) {
  std::ifstream in(ToPath(path), std::ios::binary);
  if (!in) return std::nullopt;
  std::error_code ec;
  const auto size = fs::file_size(ToPath(path), ec);
  std::string bytes;
  if (!ec) bytes.reserve(static_cast<size_t>(size));
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

bool WriteFileAtomic(const std::string& path, std::string_view bytes) {
  const std::string temporary = TemporaryNameFor(path);
  if (!WriteAndFlush(temporary, bytes)) {
    std::error_code ignored;
    fs::remove(ToPath(temporary), ignored);
    return false;
  }
  std::error_code ec;
  fs::rename(ToPath(temporary), ToPath(path), ec);
  if (ec) {
    fs::remove(ToPath(temporary), ec);
    return false;
  }
  return true;
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(ToPath(path), ec);
}

bool DirectoryExists(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(ToPath(path), ec);
}

bool DeleteFileIfExists(const std::string& path) {
  std::error_code ec;
  fs::remove(ToPath(path), ec);
  return !ec;
}

}  // namespace kivo
