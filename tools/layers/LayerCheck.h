// The layer table and its enforcement: which folder of the tree may include
// which, and where Windows headers may appear. The table is the one in
// ARCHITECTURE.md; the check reads it from there so the document cannot drift
// from what the build accepts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kivo::layers {

struct TUnit {
  std::string Name;                  // a folder, e.g. "reader" or "reader/win32"
  std::vector<std::string> Allowed;  // units it may include besides itself
  bool Windows = false;              // may include Windows headers and Windows code
};

struct TLayerTable {
  std::vector<TUnit> Units;
  // The unit a repository path belongs to: the longest unit folder it lies
  // in; null for a path outside every unit.
  const TUnit* UnitOf(std::string_view path) const;
  const TUnit* Find(std::string_view name) const;
};

struct TViolation {
  std::string File;
  int Line = 0;  // 0: the table itself
  std::string Message;
};

// The rows after the line holding "<!-- layer table -->": "| `unit` |
// `a`, `b` or - | yes/no |". Malformed rows and unknown units in a row's
// list are reported as violations.
TLayerTable ParseLayerTable(std::string_view markdown, std::vector<TViolation>& problems);

// Cycles among the units, and among the top-level folders the units project
// to (reader/win32 counts as reader): one violation per cycle found.
std::vector<TViolation> CheckTableIsAcyclic(const TLayerTable& table);

// The includes of one file (repository-relative path, its text).
std::vector<TViolation> CheckFile(const TLayerTable& table, std::string_view path, std::string_view text);

}  // namespace kivo::layers
