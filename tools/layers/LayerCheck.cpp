#include "tools/layers/LayerCheck.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <set>

namespace kivo::layers {

namespace {

constexpr std::string_view kTableMarker = "<!-- layer table -->";

// The system headers that only Windows code may include.
constexpr std::string_view kWindowsHeaders[] = {
    "windows.h",  "windef.h",   "winbase.h",  "winuser.h",  "wingdi.h",   "wininet.h",  "winsock.h",
    "winsock2.h", "ws2tcpip.h", "shlobj.h",   "shellapi.h", "commctrl.h", "commdlg.h",  "ole2.h",
    "oleauto.h",  "objbase.h",  "wincodec.h", "mmsystem.h", "tchar.h",    "windowsx.h", "shlwapi.h",
    "io.h",       "process.h",  "winerror.h", "objidl.h",   "unknwn.h",
};

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

std::vector<std::string_view> SplitCells(std::string_view row) {
  std::vector<std::string_view> cells;
  row = TrimBlanks(row);
  if (row.starts_with('|')) row.remove_prefix(1);
  if (row.ends_with('|')) row.remove_suffix(1);
  for (std::size_t bar = row.find('|'); bar != std::string_view::npos; bar = row.find('|')) {
    cells.push_back(TrimBlanks(row.substr(0, bar)));
    row.remove_prefix(bar + 1);
  }
  cells.push_back(TrimBlanks(row));
  return cells;
}

// Every `name` of a cell, in order.
std::vector<std::string> QuotedNames(std::string_view cell) {
  std::vector<std::string> names;
  for (std::size_t open = cell.find('`'); open != std::string_view::npos; open = cell.find('`')) {
    const std::size_t close = cell.find('`', open + 1);
    if (close == std::string_view::npos) break;
    names.emplace_back(cell.substr(open + 1, close - open - 1));
    cell.remove_prefix(close + 1);
  }
  return names;
}

std::string TopLevel(std::string_view unit) {
  return std::string(unit.substr(0, unit.find('/')));
}

bool IsInside(std::string_view path, std::string_view folder) {
  return path.starts_with(folder) && path.size() > folder.size() && path[folder.size()] == '/';
}

std::string FolderOf(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

struct TInclude {
  int Line = 0;
  bool Quoted = false;  // "..." rather than <...>
  std::string Path;
};

std::vector<TInclude> IncludesOf(std::string_view text) {
  std::vector<TInclude> includes;
  int line = 0;
  while (!text.empty()) {
    ++line;
    const std::size_t end = text.find('\n');
    std::string_view current = TrimBlanks(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!current.starts_with('#')) continue;
    current = TrimBlanks(current.substr(1));
    if (!current.starts_with("include")) continue;
    current = TrimBlanks(current.substr(7));
    if (current.empty()) continue;
    const char open = current.front();
    const char close = open == '"' ? '"' : open == '<' ? '>' : '\0';
    const std::size_t last = close == '\0' ? std::string_view::npos : current.find(close, 1);
    if (last == std::string_view::npos) continue;
    includes.push_back({line, open == '"', std::string(current.substr(1, last - 1))});
  }
  return includes;
}

bool IsWindowsHeader(std::string_view header) {
  const std::string lower = Lower(header);
  return std::find(std::begin(kWindowsHeaders), std::end(kWindowsHeaders), lower) !=
         std::end(kWindowsHeaders);
}

// Depth-first search for back edges; each cycle is reported once, as the
// path around it.
void FindCycles(const std::map<std::string, std::set<std::string>>& graph, const std::string& what,
                std::vector<TViolation>& out) {
  std::map<std::string, int> state;  // 0 new, 1 on the path, 2 done
  std::vector<std::string> path;
  std::function<void(const std::string&)> visit = [&](const std::string& node) {
    state[node] = 1;
    path.push_back(node);
    const auto found = graph.find(node);
    if (found != graph.end()) {
      for (const std::string& next : found->second) {
        if (state[next] == 1) {
          std::string cycle;
          for (auto it = std::find(path.begin(), path.end(), next); it != path.end(); ++it)
            cycle += *it + " -> ";
          out.push_back({"ARCHITECTURE.md", 0, what + " include each other: " + cycle + next});
        } else if (state[next] == 0) {
          visit(next);
        }
      }
    }
    path.pop_back();
    state[node] = 2;
  };
  for (const auto& [node, edges] : graph) {
    if (state[node] == 0) visit(node);
  }
}

}  // namespace

const TUnit* TLayerTable::UnitOf(std::string_view path) const {
  const TUnit* best = nullptr;
  for (const TUnit& unit : Units) {
    if (IsInside(path, unit.Name) && (best == nullptr || unit.Name.size() > best->Name.size())) best = &unit;
  }
  return best;
}

const TUnit* TLayerTable::Find(std::string_view name) const {
  for (const TUnit& unit : Units) {
    if (unit.Name == name) return &unit;
  }
  return nullptr;
}

TLayerTable ParseLayerTable(std::string_view markdown, std::vector<TViolation>& problems) {
  TLayerTable table;
  const std::size_t marker = markdown.find(kTableMarker);
  if (marker == std::string_view::npos) {
    problems.push_back({"ARCHITECTURE.md", 0, "no line holds the marker " + std::string(kTableMarker)});
    return table;
  }
  std::string_view rest = markdown.substr(marker + kTableMarker.size());
  bool inTable = false;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = TrimBlanks(rest.substr(0, end));
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    if (!line.starts_with('|')) {
      if (inTable) break;  // the table ends at its first other line
      continue;
    }
    inTable = true;
    const std::vector<std::string_view> cells = SplitCells(line);
    if (cells.size() != 3 || cells[0].find('`') == std::string_view::npos) continue;  // header, separator
    const std::vector<std::string> name = QuotedNames(cells[0]);
    const std::string windows = Lower(cells[2]);
    if (name.size() != 1 || (windows != "yes" && windows != "no")) {
      problems.push_back({"ARCHITECTURE.md", 0, "malformed layer row: " + std::string(line)});
      continue;
    }
    table.Units.push_back({name[0], QuotedNames(cells[1]), windows == "yes"});
  }
  for (const TUnit& unit : table.Units) {
    for (const std::string& allowed : unit.Allowed) {
      if (table.Find(allowed) == nullptr)
        problems.push_back({"ARCHITECTURE.md", 0, unit.Name + " names an unknown unit " + allowed});
    }
  }
  return table;
}

std::vector<TViolation> CheckTableIsAcyclic(const TLayerTable& table) {
  std::map<std::string, std::set<std::string>> units;
  std::map<std::string, std::set<std::string>> folders;
  for (const TUnit& unit : table.Units) {
    units[unit.Name];
    for (const std::string& allowed : unit.Allowed) {
      units[unit.Name].insert(allowed);
      if (TopLevel(allowed) != TopLevel(unit.Name)) folders[TopLevel(unit.Name)].insert(TopLevel(allowed));
    }
  }
  std::vector<TViolation> out;
  FindCycles(units, "units", out);
  FindCycles(folders, "top-level folders", out);
  return out;
}

std::vector<TViolation> CheckFile(const TLayerTable& table, std::string_view path, std::string_view text) {
  std::vector<TViolation> out;
  const TUnit* unit = table.UnitOf(path);
  if (unit == nullptr) {
    out.push_back({std::string(path), 0, "lies in no unit of the layer table"});
    return out;
  }
  for (const TInclude& include : IncludesOf(text)) {
    const auto report = [&](const std::string& message) {
      out.push_back({std::string(path), include.Line, message});
    };
    if (!include.Quoted) {
      if (!unit->Windows && IsWindowsHeader(include.Path))
        report("<" + include.Path + "> is a Windows header; only win32/ code may include it");
      continue;
    }
    // A name without a folder is a file beside the includer.
    const std::string target =
        include.Path.find('/') == std::string::npos ? FolderOf(path) + "/" + include.Path : include.Path;
    const TUnit* included = table.UnitOf(target);
    if (included == nullptr) {
      // Outside the tree's own folders (a third-party header): not ours to check.
      const bool ours = std::any_of(table.Units.begin(), table.Units.end(),
                                    [&](const TUnit& u) { return TopLevel(u.Name) == TopLevel(target); });
      if (ours) report("\"" + include.Path + "\" lies in no unit of the layer table");
      continue;
    }
    if (included == unit) continue;
    if (!unit->Windows && included->Windows) {
      report("portable code includes Windows code \"" + include.Path + "\"");
      continue;
    }
    if (std::find(unit->Allowed.begin(), unit->Allowed.end(), included->Name) == unit->Allowed.end())
      report(unit->Name + " may not include " + included->Name + " (\"" + include.Path + "\")");
  }
  return out;
}

}  // namespace kivo::layers
