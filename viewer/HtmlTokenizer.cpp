#include "viewer/HtmlTokenizer.h"

#include <algorithm>

#include "viewer/HtmlEntities.h"

namespace kivo {
namespace {

bool IsSpace(char16_t c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}
bool IsAsciiLetter(char16_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
char16_t AsciiLower(char16_t c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char16_t>(c + 32) : c;
}

bool SameAsciiNoCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return AsciiLower(x) == y; });
}

// Content kept as text up to the end tag, without markup inside.
constexpr std::u16string_view kRawKept[] = {u"textarea", u"xmp", u"plaintext"};
// Content dropped up to the end tag.
constexpr std::u16string_view kRawDropped[] = {u"script",  u"style",    u"title",   u"iframe",
                                               u"noembed", u"noframes", u"noscript"};

bool IsOneOf(std::u16string_view name, const auto& list) {
  return std::find(std::begin(list), std::end(list), name) != std::end(list);
}

bool IsNameEnd(char16_t c) {
  return IsSpace(c) || c == '/' || c == '>';
}

// No element of ours reads more; the check for a repeated name looks at the
// kept ones, so a tag of many attributes stays linear.
constexpr std::size_t kMaxAttributes = 64;

}  // namespace

const std::u16string* THtmlToken::Attribute(std::u16string_view name) const {
  for (const THtmlAttribute& attribute : Attributes) {
    if (attribute.Name == name) return &attribute.Value;
  }
  return nullptr;
}

void THtmlTokenizer::Next(THtmlToken& token) {
  token.Attributes.clear();
  token.Name.clear();
  token.Text.clear();
  token.SelfClosing = false;
  while (pos_ < html_.size()) {
    if (!rawEnd_.empty() || html_[pos_] != '<') {
      ReadText(token);
      if (!token.Text.empty()) return;
      continue;
    }
    if (ReadMarkup(token)) return;
  }
  token.Kind = THtmlTokenKind::End;
}

bool THtmlTokenizer::ReadMarkup(THtmlToken& token) {
  const std::u16string_view rest = html_.substr(pos_);
  if (rest.starts_with(u"<!--")) {
    pos_ += 4;
    SkipPast(u"-->");
    return false;
  }
  if (rest.starts_with(u"<!") || rest.starts_with(u"<?")) {
    SkipPast(u">");
    return false;
  }
  if (rest.size() > 2 && rest[1] == '/') return ReadEndTag(token);
  if (rest.size() > 1 && IsAsciiLetter(rest[1])) return ReadStartTag(token);
  token.Kind = THtmlTokenKind::Text;
  token.Text = u"<";
  ++pos_;
  return true;
}

void THtmlTokenizer::ReadText(THtmlToken& token) {
  token.Kind = THtmlTokenKind::Text;
  std::size_t end;
  if (rawEnd_.empty()) {
    end = html_.find(u'<', pos_ + 1);
  } else {
    end = pos_;
    while ((end = html_.find(u"</", end)) != std::u16string_view::npos) {
      const std::u16string_view candidate = html_.substr(end + 2, rawEnd_.size());
      const std::size_t after = end + 2 + rawEnd_.size();
      if (SameAsciiNoCase(candidate, rawEnd_) && (after >= html_.size() || IsNameEnd(html_[after]))) break;
      end += 2;
    }
  }
  if (end == std::u16string_view::npos) end = html_.size();
  const std::u16string_view text = html_.substr(pos_, end - pos_);
  pos_ = end;
  if (rawEnd_.empty()) {
    token.Text = DecodeCharacterReferences(text);
  } else {
    if (keepRawText_) token.Text = text;
    rawEnd_.clear();
  }
}

bool THtmlTokenizer::ReadStartTag(THtmlToken& token) {
  std::size_t i = pos_ + 1;
  while (i < html_.size() && !IsNameEnd(html_[i])) token.Name += AsciiLower(html_[i++]);
  pos_ = i;
  ReadAttributes(token);
  if (pos_ >= html_.size()) return false;  // a tag cut off by the end of the page is dropped
  ++pos_;
  token.Kind = THtmlTokenKind::StartTag;
  EnterRawText(token.Name);
  return true;
}

bool THtmlTokenizer::ReadEndTag(THtmlToken& token) {
  std::size_t i = pos_ + 2;
  if (!IsAsciiLetter(html_[i])) {
    SkipPast(u">");
    return false;
  }
  while (i < html_.size() && !IsNameEnd(html_[i])) token.Name += AsciiLower(html_[i++]);
  pos_ = i;
  SkipPast(u">");
  token.Kind = THtmlTokenKind::EndTag;
  return true;
}

void THtmlTokenizer::ReadAttributes(THtmlToken& token) {
  const std::size_t n = html_.size();
  while (pos_ < n) {
    while (pos_ < n && (IsSpace(html_[pos_]) || html_[pos_] == '/')) {
      if (html_[pos_] == '/' && pos_ + 1 < n && html_[pos_ + 1] == '>') token.SelfClosing = true;
      ++pos_;
    }
    if (pos_ >= n || html_[pos_] == '>') return;
    std::u16string name;
    name += AsciiLower(html_[pos_++]);  // a leading '=' belongs to the name
    while (pos_ < n && !IsNameEnd(html_[pos_]) && html_[pos_] != '=') name += AsciiLower(html_[pos_++]);
    std::size_t look = pos_;
    while (look < n && IsSpace(html_[look])) ++look;
    std::u16string value;
    if (look < n && html_[look] == '=') {
      pos_ = look + 1;
      while (pos_ < n && IsSpace(html_[pos_])) ++pos_;
      std::size_t end;
      if (pos_ < n && (html_[pos_] == '"' || html_[pos_] == '\'')) {
        const char16_t quote = html_[pos_++];
        end = std::min(html_.find(quote, pos_), n);
        value = DecodeCharacterReferences(html_.substr(pos_, end - pos_), TReferencePlace::Attribute);
        pos_ = std::min(end + 1, n);
      } else {
        end = pos_;
        while (end < n && !IsSpace(html_[end]) && html_[end] != '>') ++end;
        value = DecodeCharacterReferences(html_.substr(pos_, end - pos_), TReferencePlace::Attribute);
        pos_ = end;
      }
    }
    const bool handler = name.size() > 2 && name.starts_with(u"on");
    if (!handler && token.Attributes.size() < kMaxAttributes && token.Attribute(name) == nullptr)
      token.Attributes.push_back({std::move(name), std::move(value)});
  }
}

void THtmlTokenizer::SkipPast(std::u16string_view terminator) {
  const std::size_t end = html_.find(terminator, pos_);
  pos_ = end == std::u16string_view::npos ? html_.size() : end + terminator.size();
}

void THtmlTokenizer::EnterRawText(const std::u16string& name) {
  const bool kept = IsOneOf(name, kRawKept);
  if (!kept && !IsOneOf(name, kRawDropped)) return;
  keepRawText_ = kept;
  // plaintext has no end tag: everything after it is its text
  rawEnd_ = name == u"plaintext" ? u"\x1F\x1Fnever" : name;
}

}  // namespace kivo
