#include "feeds/Opml.h"

#include <charconv>
#include <cstdint>

#include "base/Text1251.h"
#include "feeds/FeedAddress.h"
#include "feeds/FeedConversion.h"
#include "feeds/HttpDownload.h"
#include "feeds/XmlParser.h"

namespace kivo {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsReadableEncoding(std::string_view declared) {
  const std::string name = LowerCase1251(Trim(declared));
  return name.empty() || name == "utf-8" || name == "utf8" || EncodingModeFor(name) != EncodingMode::Utf8;
}

bool LooksLikeUtf16(std::string_view bytes) {
  return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF") ||
         (bytes.size() >= 2 && (bytes[0] == '\0' || bytes[1] == '\0'));
}

std::string PercentUtf8(char32_t c) {
  std::string utf8;
  if (c < 0x800) {
    utf8 = {char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F))};
  } else if (c < 0x10000) {
    utf8 = {char(0xE0 | (c >> 12)), char(0x80 | ((c >> 6) & 0x3F)), char(0x80 | (c & 0x3F))};
  } else {
    utf8 = {char(0xF0 | (c >> 18)), char(0x80 | ((c >> 12) & 0x3F)), char(0x80 | ((c >> 6) & 0x3F)),
            char(0x80 | (c & 0x3F))};
  }
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char b : utf8) {
    const auto u = static_cast<unsigned char>(b);
    out += '%';
    out += kHex[u >> 4];
    out += kHex[u & 0xF];
  }
  return out;
}

// The character of a "&#N;" or "&#xN;" at `at`, with the length of the
// reference; a length of 0 when there is none there.
std::pair<char32_t, std::size_t> ReferenceAt(std::string_view text, std::size_t at) {
  const bool hex = text.substr(at).starts_with("&#x") || text.substr(at).starts_with("&#X");
  const std::size_t digits = at + (hex ? 3 : 2);
  const std::size_t end = text.find(';', digits);
  if (end == std::string_view::npos || end == digits || end - digits > 8) return {0, 0};
  std::uint32_t value = 0;
  const auto [ptr, ec] = std::from_chars(text.data() + digits, text.data() + end, value, hex ? 16 : 10);
  if (ec != std::errc() || ptr != text.data() + end || value > 0x10FFFF) return {0, 0};
  return {static_cast<char32_t>(value), end + 1 - at};
}

// Numeric references, from the file or from the conversion of characters
// windows-1251 lacks, become windows-1251 characters where it has them.
std::string ResolveReferences(std::string_view text, bool address) {
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    const auto [c, length] =
        text.substr(at).starts_with("&#") ? ReferenceAt(text, at) : std::pair<char32_t, std::size_t>{0, 0};
    if (length == 0) {
      out += text[at++];
      continue;
    }
    at += length;
    const std::string win = c < 0x10000 ? Utf16ToWin(std::u16string(1, static_cast<char16_t>(c))) : "?";
    const bool unmapped = win == "?" && c != U'?';
    if (!unmapped) {
      out += address || c != 0 ? win : " ";
    } else {
      out += address ? PercentUtf8(c) : "?";
    }
  }
  return out;
}

const TmoxXMLAttribute2* FindAttribute(const TmoxXMLNode2& node, std::string_view name) {
  for (std::size_t i = 0; i < node.AttributeCount(); ++i) {
    const TmoxXMLAttribute2& attribute = node.AttributeAt(i);
    if (SameText1251(attribute.name, name)) return &attribute;
  }
  return nullptr;
}

std::string AttributeText(const TmoxXMLNode2& node, std::string_view name, EncodingMode mode, bool address) {
  const TmoxXMLAttribute2* attribute = FindAttribute(node, name);
  return attribute == nullptr ? std::string()
                              : ResolveReferences(DecodeToWin(attribute->value, mode), address);
}

class TOpmlReader {
 public:
  TOpmlReader(const std::vector<std::string>& existing, std::size_t folderLength, EncodingMode mode)
      : known_(existing), folderLength_(folderLength), mode_(mode) {}

  // Depth first in document order, without recursion: the nesting comes from the file.
  void ReadOutlines(const TmoxXMLNode2& body, TOpmlImport& result) {
    std::vector<const TmoxXMLNode2*> pending;
    for (std::size_t i = body.ChildCount(); i-- > 0;) pending.push_back(body.Child(i));
    while (!pending.empty()) {
      const TmoxXMLNode2* node = pending.back();
      pending.pop_back();
      if (!SameText1251(node->Name(), "outline")) continue;
      if (FindAttribute(*node, "xmlUrl") != nullptr) ReadFeed(*node, result);
      for (std::size_t i = node->ChildCount(); i-- > 0;) pending.push_back(node->Child(i));
    }
  }

 private:
  void ReadFeed(const TmoxXMLNode2& outline, TOpmlImport& result) {
    const TAddressCheck check =
        CheckNewFeedAddress(AttributeText(outline, "xmlUrl", mode_, true), known_, folderLength_);
    if (check.Problem != TAddressProblem::None) {
      ++result.Skipped;
      return;
    }
    std::string name = std::string(Trim(AttributeText(outline, "title", mode_, false)));
    if (name.empty()) name = Trim(AttributeText(outline, "text", mode_, false));
    if (name.empty()) name = check.Address;
    known_.push_back(check.Address);
    result.Added.push_back({check.Address, CleanFeedName(name)});
  }

  std::vector<std::string> known_;
  const std::size_t folderLength_;
  const EncodingMode mode_;
};

TOpmlFailure ParseFailure(const TmoxXMLParser2& parser) {
  if (parser.ErrorText().empty()) return TOpmlFailure::None;
  return parser.ErrorText().starts_with("Tree over its memory budget") ? TOpmlFailure::TooLarge
                                                                       : TOpmlFailure::Damaged;
}

void AppendEscaped(std::string& out, std::string_view win) {
  for (const char c : WinToUtf8(win)) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          out += "&#" + std::to_string(static_cast<int>(c)) + ";";
        } else {
          out += c;
        }
    }
  }
}

}  // namespace

TOpmlImport ImportOpml(std::string_view bytes, const std::vector<std::string>& existing,
                       std::size_t folderLength) {
  TOpmlImport result;
  if (bytes.size() > kFeedMaxBytes) {
    result.Failure = TOpmlFailure::TooLarge;
    return result;
  }
  if (LooksLikeUtf16(bytes)) {
    result.Failure = TOpmlFailure::UnreadableEncoding;
    return result;
  }
  if (bytes.starts_with(kUtf8Bom)) bytes.remove_prefix(kUtf8Bom.size());
  TmoxXMLParser2 parser;
  SetFeedTreeBudget(parser);
  parser.LoadFromBuffer(bytes);
  const std::string declared = DeclaredEncoding(parser);
  if (!IsReadableEncoding(declared)) {
    result.Failure = TOpmlFailure::UnreadableEncoding;
  } else if (!SameText1251(parser.Name(), "opml")) {
    result.Failure =
        ParseFailure(parser) == TOpmlFailure::TooLarge ? TOpmlFailure::TooLarge : TOpmlFailure::NotOpml;
  } else if ((result.Failure = ParseFailure(parser)) == TOpmlFailure::None) {
    const TmoxXMLNode2* body = parser.FindChild("body", false);
    if (body == nullptr) {
      result.Failure = TOpmlFailure::NotOpml;
    } else {
      TOpmlReader(existing, folderLength, EncodingModeFor(declared)).ReadOutlines(*body, result);
    }
  }
  return result;
}

std::string ExportOpml(const std::vector<TOpmlFeed>& feeds) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<opml version=\"2.0\">\r\n  <head>\r\n"
      "    <title>KivoRss</title>\r\n  </head>\r\n  <body>\r\n";
  for (const TOpmlFeed& feed : feeds) {
    out += "    <outline type=\"rss\" text=\"";
    AppendEscaped(out, feed.Name);
    out += "\" title=\"";
    AppendEscaped(out, feed.Name);
    out += "\" xmlUrl=\"";
    AppendEscaped(out, feed.Address);
    out += "\"/>\r\n";
  }
  out += "  </body>\r\n</opml>\r\n";
  return out;
}

}  // namespace kivo
