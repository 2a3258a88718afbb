// Documents parsed from text, for the parser's and the writer's tests.
#pragma once

#include <memory>
#include <string_view>

#include "feeds/XmlParser.h"

namespace kivo::testing {

inline std::unique_ptr<TmoxXMLParser2> ParseXml(std::string_view text) {
  auto parser = std::make_unique<TmoxXMLParser2>();
  parser->LoadFromBuffer(text);
  return parser;
}

}  // namespace kivo::testing
