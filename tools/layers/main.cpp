// kivo-layers ROOT: checks every source file of the tree at ROOT against the
// layer table in ROOT/ARCHITECTURE.md. Prints each violation as
// "file:line: message"; exit code 1 when there is any, 2 on a usage error.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/layers/LayerCheck.h"

namespace fs = std::filesystem;
using kivo::layers::TViolation;

namespace {

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool IsSource(const fs::path& path) {
  const std::string ext = path.extension().string();
  return ext == ".h" || ext == ".cpp" || ext == ".rc";
}

// Build output and hidden folders are not the tree's own code.
bool Skipped(const fs::path& relative) {
  const std::string first = relative.begin()->string();
  return first == "build" || first.starts_with('.');
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: kivo-layers ROOT\n";
    return 2;
  }
  const fs::path root = argv[1];
  std::vector<TViolation> violations;
  const auto table = kivo::layers::ParseLayerTable(ReadText(root / "ARCHITECTURE.md"), violations);
  if (table.Units.empty()) {
    violations.push_back({"ARCHITECTURE.md", 0, "the layer table is empty"});
  }
  for (TViolation& v : kivo::layers::CheckTableIsAcyclic(table)) violations.push_back(std::move(v));
  std::vector<fs::path> files;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
    const fs::path relative = fs::relative(it->path(), root);
    if (it->is_directory() && Skipped(relative)) {
      it.disable_recursion_pending();
      continue;
    }
    if (it->is_regular_file() && IsSource(relative) && !Skipped(relative)) files.push_back(relative);
  }
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) {
    for (TViolation& v : kivo::layers::CheckFile(table, file.generic_string(), ReadText(root / file)))
      violations.push_back(std::move(v));
  }
  for (const TViolation& v : violations) std::cout << v.File << ":" << v.Line << ": " << v.Message << "\n";
  std::cout << files.size() << " files checked against " << table.Units.size() << " units, "
            << violations.size() << " violations\n";
  return violations.empty() ? 0 : 1;
}
