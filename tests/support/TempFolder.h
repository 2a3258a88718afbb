// A fresh folder under the system's temporary folder for one test, removed
// with everything in it when the test ends.
#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace kivo::testing {

class TempFolder {
 public:
  explicit TempFolder(std::string_view prefix = "kivo_") {
    std::random_device seed;
    path_ = std::filesystem::temp_directory_path() /
            (std::string(prefix) + std::to_string(seed()) + "_" + std::to_string(seed()));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path File(std::string_view name) const { return path_ / name; }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_))
      names.push_back(entry.path().filename().string());
    return names;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace kivo::testing
