// The layer check itself: a check that passes everything would let the tree
// drift back into folders that include each other.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/layers/LayerCheck.h"

namespace kivo::layers {
namespace {

constexpr char kTable[] = R"(# Layers
Text before the table is ignored, and so is this table:
| unit | may include | Windows |
|---|---|---|
| `nothing` | — | no |

<!-- layer table -->
| unit | may include | Windows |
|---|---|---|
| `base` | — | no |
| `feeds` | `base` | no |
| `reader` | `feeds`, `base` | no |
| `reader/win32` | `reader`, `ui/win32` | yes |
| `ui/win32` | `base` | yes |

Text after the table.
)";

TLayerTable Table(const std::string& markdown = kTable) {
  std::vector<TViolation> problems;
  TLayerTable table = ParseLayerTable(markdown, problems);
  EXPECT_TRUE(problems.empty()) << problems.front().Message;
  return table;
}

std::vector<std::string> Messages(const std::vector<TViolation>& violations) {
  std::vector<std::string> messages;
  for (const TViolation& v : violations)
    messages.push_back(v.File + ":" + std::to_string(v.Line) + ": " + v.Message);
  return messages;
}

TEST(LayerCheck, ReadsOnlyTheMarkedTable) {
  const TLayerTable table = Table();
  ASSERT_EQ(table.Units.size(), 5u);
  EXPECT_EQ(table.Find("nothing"), nullptr);
  EXPECT_EQ(table.Find("reader")->Allowed, (std::vector<std::string>{"feeds", "base"}));
  EXPECT_TRUE(table.Find("reader/win32")->Windows);
  EXPECT_EQ(table.UnitOf("reader/win32/View.cpp")->Name, "reader/win32") << "the deepest unit wins";
  EXPECT_EQ(table.UnitOf("reader/Window.cpp")->Name, "reader");
  EXPECT_EQ(table.UnitOf("readers/Window.cpp"), nullptr) << "a folder name is not a prefix";
}

TEST(LayerCheck, EachKindOfBadIncludeIsReported) {
  const TLayerTable table = Table();
  struct {
    const char* file;
    const char* text;
    const char* violation;  // empty: none
  } const cases[] = {
      {"reader/Window.cpp", "#include \"feeds/Table.h\"\n#include <vector>\n", ""},
      {"reader/Window.cpp", "#include \"Window.h\"\n", ""},  // beside the includer
      {"reader/win32/View.cpp", "#include <windows.h>\n#include \"ui/win32/Kit.h\"\n", ""},
      // Upwards: the lower layer reaches the higher one.
      {"feeds/Table.cpp", "// x\n  #  include \"reader/Window.h\"\n",
       "feeds/Table.cpp:2: feeds may not include reader (\"reader/Window.h\")"},
      // A Windows header, in any letter case, in portable code.
      {"feeds/Table.cpp", "#include <Windows.h>\n",
       "feeds/Table.cpp:1: <Windows.h> is a Windows header; only win32/ code may include it"},
      {"reader/Window.cpp", "#include \"reader/win32/View.h\"\n",
       "reader/Window.cpp:1: portable code includes Windows code \"reader/win32/View.h\""},
      // A Windows half may not reach sideways into what its row leaves out.
      {"ui/win32/Kit.cpp", "#include \"reader/Window.h\"\n",
       "ui/win32/Kit.cpp:1: ui/win32 may not include reader (\"reader/Window.h\")"},
      {"reader/Sub/Deep.cpp", "#include \"base/Text.h\"\n", ""},
      {"tools/x.cpp", "", "tools/x.cpp:0: lies in no unit of the layer table"},
      {"base/Text.cpp", "#include \"ui/Other.h\"\n",
       "base/Text.cpp:1: \"ui/Other.h\" lies in no unit of the layer table"},
  };
  for (const auto& c : cases) {
    const std::vector<std::string> found = Messages(CheckFile(table, c.file, c.text));
    const std::vector<std::string> expected =
        *c.violation ? std::vector<std::string>{c.violation} : std::vector<std::string>{};
    EXPECT_EQ(found, expected) << c.file << ": " << c.text;
  }
}

TEST(LayerCheck, CyclesAmongUnitsAndAmongTopLevelFoldersAreReported) {
  EXPECT_TRUE(CheckTableIsAcyclic(Table()).empty());
  // feeds -> reader -> feeds
  const std::string direct =
      std::string(kTable).replace(std::string(kTable).find("| `feeds` | `base`"), 18, "| `feeds` | `reader`");
  EXPECT_EQ(Messages(CheckTableIsAcyclic(Table(direct))),
            (std::vector<std::string>{
                "ARCHITECTURE.md:0: units include each other: feeds -> reader -> feeds",
                "ARCHITECTURE.md:0: top-level folders include each other: feeds -> reader -> feeds"}));
  // reader/win32 -> ui/win32 and ui/win32 -> reader: no unit cycle, but the
  // folders reader and ui include each other.
  std::string folders = kTable;
  folders.replace(folders.find("| `ui/win32` | `base`"), 20, "| `ui/win32` | `base`, `reader`");
  const std::vector<std::string> found = Messages(CheckTableIsAcyclic(Table(folders)));
  ASSERT_EQ(found.size(), 1u);
  EXPECT_NE(found[0].find("top-level folders"), std::string::npos) << found[0];
}

TEST(LayerCheck, BrokenTablesAreReported) {
  std::vector<TViolation> problems;
  ParseLayerTable("no marker here", problems);
  EXPECT_EQ(problems.size(), 1u);
  problems.clear();
  ParseLayerTable("<!-- layer table -->\n| `a` | `b` | no |\n| `c` | — | maybe |\n", problems);
  EXPECT_EQ(Messages(problems),
            (std::vector<std::string>{"ARCHITECTURE.md:0: malformed layer row: | `c` | — | maybe |",
                                      "ARCHITECTURE.md:0: a names an unknown unit b"}));
}

}  // namespace
}  // namespace kivo::layers
