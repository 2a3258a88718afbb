// Parses arbitrary bytes, writes the tree back, parses that again and walks
// both trees through the node operations.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "feeds/XmlParser.h"

namespace {

std::size_t Walk(const kivo::TmoxXMLNode2& root) {
  std::size_t visited = 0;
  const kivo::TmoxXMLNode2* node = root.FirstChild();
  while (node != nullptr) {
    ++visited;
    for (std::size_t i = 0; i < node->AttributeCount(); ++i) visited += node->AttributeAt(i).value.size() & 1;
    if (node->FirstChild() != nullptr) {
      node = node->FirstChild();
      continue;
    }
    while (node != &root && node->NextSibling() == nullptr) node = node->Parent();
    node = node == &root ? nullptr : node->NextSibling();
  }
  return visited;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kivo::TmoxXMLParser2 doc;
  doc.LoadFromBuffer(std::string_view(reinterpret_cast<const char*>(data), size));
  static_cast<void>(Walk(doc));
  static_cast<void>(doc.FindChild("item", true));
  static_cast<void>(doc.ChildText("title"));
  kivo::TmoxXMLParser2 again;
  again.LoadFromString(doc.XmlText());
  static_cast<void>(Walk(again));
  return 0;
}
