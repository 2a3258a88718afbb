#include "reader/ReaderCommands.h"

#include <array>
#include <utility>

namespace kivo {

std::optional<int> ReaderCommandByName(std::string_view name) {
  static constexpr std::array<std::pair<std::string_view, int>, 22> kNames = {{
      {"ToolButton6", kCmdToolButton6},
      {"ToolButton1", kCmdToolButton1},
      {"ToolButton5", kCmdToolButton5},
      {"ToolOptions", kCmdToolOptions},
      {"ToolButton3", kCmdToolButton3},
      {"Image1", kCmdImage1},
      {"N8", kCmdN8},
      {"N9", kCmdN9},
      {"N11", kCmdN11},
      {"N12", kCmdN12},
      {"N14", kCmdN14},
      {"N18", kCmdN18},
      {"N19", kCmdN19},
      {"N15", kCmdN15},
      {"N17", kCmdN17},
      {"N3", kCmdN3},
      {"N21", kCmdN21},
      {"N5", kCmdN5},
      {"Xstatus1", kCmdXstatus1},
      {"N1", kCmdN1},
      {"N6", kCmdN6},
      {"N7", kCmdN7},
  }};
  for (const auto& [known, command] : kNames) {
    if (known == name) return command;
  }
  return std::nullopt;
}

}  // namespace kivo
