// A tolerant HTML tokenizer over UTF-16 text: start and end tags with their
// attributes, and text with its character references decoded. Comments,
// declarations and processing instructions vanish; a '<' that opens no tag is
// text. The content of script, style, title and the embedding elements is
// skipped whole; the tags themselves are still reported.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kivo {

enum class THtmlTokenKind { Text, StartTag, EndTag, End };

struct THtmlAttribute {
  std::u16string Name;  // ASCII lower case
  std::u16string Value;
};

struct THtmlToken {
  THtmlTokenKind Kind = THtmlTokenKind::End;
  std::u16string Name;  // tags: ASCII lower case
  // On* handlers left out; the first of a name wins; the first 64 names only.
  std::vector<THtmlAttribute> Attributes;
  std::u16string Text;  // text tokens: references decoded
  bool SelfClosing = false;

  const std::u16string* Attribute(std::u16string_view name) const;
};

class THtmlTokenizer {
 public:
  explicit THtmlTokenizer(std::u16string_view html) : html_(html) {}

  // Fills `token` with the next token; Kind End at the end of the input.
  void Next(THtmlToken& token);

 private:
  bool ReadMarkup(THtmlToken& token);
  void ReadText(THtmlToken& token);
  bool ReadStartTag(THtmlToken& token);
  bool ReadEndTag(THtmlToken& token);
  void ReadAttributes(THtmlToken& token);
  void SkipPast(std::u16string_view terminator);
  void EnterRawText(const std::u16string& name);

  std::u16string_view html_;
  std::size_t pos_ = 0;
  std::u16string rawEnd_;  // the element whose content runs to its end tag
  bool keepRawText_ = false;
};

}  // namespace kivo
