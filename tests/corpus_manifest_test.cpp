// The command-line outputs over the shared feed corpus stay byte for byte what
// the manifest recorded: a change that alters a conversion, a page or the
// writer's layout for any of a thousand real feeds fails here, naming the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/Sha256.h"
#include "tools/cli/Commands.h"

namespace kivo {
namespace {

namespace fs = std::filesystem;

constexpr const char* kCommands[] = {"convert", "page", "xml-roundtrip"};
constexpr std::size_t kHashDigits = 16;
constexpr std::size_t kShownDifferences = 20;

const fs::path kManifest = fs::path(KIVO_SOURCE_DIR) / "tests" / "fixtures" / "corpus_manifest.txt";

// "exit:hash" of each command's output for one file, separated by blanks.
std::string OutputsOf(const fs::path& file) {
  std::string line;
  for (const char* command : kCommands) {
    std::string out;
    const int rc = cli::Run({command, file.string()}, out);
    // Appended piece by piece: GCC 12 warns falsely on " " + std::string&& (-Wrestrict).
    line.append(" ").append(std::to_string(rc)).append(":").append(testing::Sha256Hex(out), 0, kHashDigits);
  }
  return line.substr(1);
}

std::map<std::string, std::string> ReadManifest(std::string& header) {
  std::map<std::string, std::string> entries;
  std::ifstream in(kManifest);
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with('#')) {
      header += line + "\n";
      continue;
    }
    const std::size_t blank = line.find(' ');
    if (blank != std::string::npos) entries[line.substr(0, blank)] = line.substr(blank + 1);
  }
  return entries;
}

TEST(CorpusManifest, CommandOutputsMatchTheRecordedHashes) {
  const fs::path corpus = fs::path(KIVO_SOURCE_DIR) / ".." / "shared" / "corpus";
  if (!fs::is_directory(corpus)) GTEST_SKIP() << "no shared corpus at " << corpus << "; manifest not checked";
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
    if (entry.is_regular_file() && entry.path().extension() == ".xml")
      files.push_back(fs::relative(entry.path(), corpus).generic_string());
  }
  std::sort(files.begin(), files.end());
  std::string header;
  const std::map<std::string, std::string> recorded = ReadManifest(header);

  std::map<std::string, std::string> now;
  for (const std::string& file : files) now[file] = OutputsOf(corpus / file);

  if (const char* update = std::getenv("KIVO_UPDATE_CORPUS_MANIFEST"); update != nullptr && *update == '1') {
    std::ofstream out(kManifest, std::ios::binary);
    out << header;
    for (const auto& [file, outputs] : now) out << file << " " << outputs << "\n";
    GTEST_SKIP() << "manifest rewritten: " << kManifest;
  }

  ASSERT_FALSE(recorded.empty()) << "cannot read " << kManifest;
  std::ostringstream differences;
  std::size_t count = 0;
  const auto note = [&](const std::string& text) {
    if (++count <= kShownDifferences) differences << "  " << text << "\n";
  };
  for (const auto& [file, outputs] : now) {
    const auto found = recorded.find(file);
    if (found == recorded.end())
      note(file + ": not in the manifest");
    else if (found->second != outputs)
      note(file + ": recorded " + found->second + ", now " + outputs);
  }
  for (const auto& [file, outputs] : recorded) {
    if (!now.contains(file)) note(file + ": in the manifest, not in the corpus");
  }
  EXPECT_EQ(count, 0u) << count << " corpus files differ from " << kManifest
                       << " (convert, page, xml-roundtrip):\n"
                       << differences.str();
}

}  // namespace
}  // namespace kivo
