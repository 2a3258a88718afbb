#include "lang/LangTemplate.h"

namespace kivo {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

std::string EncodeLangValue(std::string_view text) {
  std::string value;
  value.reserve(text.size());
  for (const char c : text) {
    if (c == '\r') {
      value += "\\r";
    } else if (c != '\n') {
      value += c;
    }
  }
  const bool blankAtEnd = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()));
  const bool quoted =
      value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\'');
  return blankAtEnd || quoted ? "\"" + value + "\"" : value;
}

std::string DecodeLangValue(std::string_view value) {
  std::string text;
  text.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size() && value[i + 1] == 'r') {
      text += '\r';
      ++i;
    } else {
      text += value[i];
    }
  }
  return text;
}

std::string LangFileText(const TLangTexts& texts) {
  std::string file = "[";
  file.append(kLangFileSection).append("]\r\n");
  TLangTexts copy = texts;
  for (const std::string_view key : LangKeys()) {
    file.append(key).append("=").append(EncodeLangValue(*LangTextOf(copy, key))).append("\r\n");
  }
  return file;
}

}  // namespace kivo
