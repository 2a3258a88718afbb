// Seeded generator of RSS 2.0 feeds of a chosen size, for benchmarks and
// stress tests: Cyrillic UTF-8 text, HTML descriptions in CDATA, entities in
// text and attributes, namespaced elements and empty elements with attributes.
// The same seed gives the same bytes on every platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kivo {

namespace feed_generator_detail {

// SplitMix32-style mixer: a fixed algorithm, unlike the distributions of <random>.
class SeededRandom {
 public:
  explicit SeededRandom(uint32_t seed) : state_(seed) {}

  uint32_t Next() {
    state_ += 0x9E3779B9u;
    uint32_t z = state_;
    z = (z ^ (z >> 16)) * 0x85EBCA6Bu;
    z = (z ^ (z >> 13)) * 0xC2B2AE35u;
    return z ^ (z >> 16);
  }

  // Uniform enough in [0, bound) for test data; bound > 0.
  std::size_t Below(std::size_t bound) { return Next() % bound; }

 private:
  uint32_t state_;
};

inline constexpr std::string_view kWords[] = {
    "новости", "Москва",    "погода",        "рынок",     "выборы",   "спорт", "учёные",    "сегодня",
    "жители",  "город",     "правительство", "заявил",    "компания", "рубль", "нефть",     "футбол",
    "Киев",    "область",   "интернет",      "эксперты",  "вчера",    "цены",  "банк",      "школа",
    "театр",   "фестиваль", "дорога",        "президент", "Ёлка",     "ЖКХ",   "Петербург", "весна"};

inline constexpr std::string_view kEntities[] = {"&amp;",  "&lt;",   "&gt;",  "&quot;",
                                                 "&#171;", "&#187;", "&nbsp;"};
inline constexpr std::string_view kCategories[] = {"Политика", "Экономика", "Спорт", "Культура", "Наука"};
inline constexpr std::string_view kDays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
inline constexpr std::string_view kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

template <std::size_t N>
std::string_view Pick(SeededRandom& random, const std::string_view (&list)[N]) {
  return list[random.Below(N)];
}

inline void AppendWords(SeededRandom& random, std::size_t count, std::string& out) {
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) out += ' ';
    out += Pick(random, kWords);
  }
}

inline void AppendSentenceWithEntities(SeededRandom& random, std::size_t count, std::string& out) {
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) out += ' ';
    out += random.Below(5) == 0 ? Pick(random, kEntities) : Pick(random, kWords);
  }
}

inline void AppendTwoDigits(uint32_t value, std::string& out) {
  out += static_cast<char>('0' + value / 10 % 10);
  out += static_cast<char>('0' + value % 10);
}

inline void AppendHtmlDescription(SeededRandom& random, std::string& out) {
  out += "<description><![CDATA[<p>";
  AppendWords(random, 8 + random.Below(20), out);
  out += " <b>";
  AppendWords(random, 2, out);
  out += "</b> <a href=\"https://example.ru/story?id=";
  out += std::to_string(random.Next() % 100000);
  out += "&amp;ref=rss\">";
  AppendWords(random, 3, out);
  out += "</a></p><p><img src=\"https://img.example.ru/";
  out += std::to_string(random.Next() % 100000);
  out += ".jpg\" alt=\"";
  AppendWords(random, 2, out);
  out += "\" /> ";
  AppendWords(random, 10 + random.Below(30), out);
  out += "</p>]]></description>\n";
}

inline void AppendItem(SeededRandom& random, std::size_t index, std::string& out) {
  const std::string id = std::to_string(index);
  out += "<item>\n<title>";
  AppendSentenceWithEntities(random, 4 + random.Below(8), out);
  out += "</title>\n<link>https://example.ru/news/";
  out += id;
  out += "?utm_source=rss&amp;utm_medium=feed</link>\n";
  AppendHtmlDescription(random, out);
  out += "<category domain=\"https://example.ru/rubric\">";
  out += Pick(random, kCategories);
  out += "</category>\n<pubDate>";
  out += Pick(random, kDays);
  out += ", ";
  AppendTwoDigits(1 + random.Next() % 28, out);
  out += ' ';
  out += Pick(random, kMonths);
  out += " 2024 ";
  AppendTwoDigits(random.Next() % 24, out);
  out += ':';
  AppendTwoDigits(random.Next() % 60, out);
  out += ":00 +0300</pubDate>\n<guid isPermaLink=\"false\">urn:example:";
  out += id;
  out += "</guid>\n<dc:creator>";
  AppendWords(random, 2, out);
  out += "</dc:creator>\n<enclosure url=\"https://img.example.ru/";
  out += id;
  out += ".jpg?w=640&amp;h=480\" length=\"";
  out += std::to_string(1000 + random.Next() % 900000);
  out += "\" type=\"image/jpeg\"/>\n</item>\n";
}

}  // namespace feed_generator_detail

// An RSS document of exactly `items` generated items.
inline std::string GenerateRssItems(std::size_t items, uint32_t seed) {
  using namespace feed_generator_detail;
  SeededRandom random(seed);
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<rss version=\"2.0\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n<channel>\n<title>feed</title>\n";
  for (std::size_t i = 0; i < items; ++i) AppendItem(random, i, out);
  out += "</channel>\n</rss>\n";
  return out;
}

// A well-formed RSS 2.0 document of at least `targetBytes` bytes (a header
// and one item at the least), made of whole items.
inline std::string GenerateRssFeed(std::size_t targetBytes, uint32_t seed) {
  using namespace feed_generator_detail;
  constexpr std::string_view kClosing = "</channel>\n</rss>\n";
  SeededRandom random(seed);
  std::string out;
  out.reserve(targetBytes + 4096);
  out +=
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<rss version=\"2.0\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
      "<channel>\n<title>";
  AppendWords(random, 3, out);
  out += "</title>\n<link>https://example.ru/</link>\n<description>";
  AppendSentenceWithEntities(random, 12, out);
  out += "</description>\n<language>ru</language>\n";
  std::size_t index = 0;
  do {
    AppendItem(random, index++, out);
  } while (out.size() + kClosing.size() < targetBytes);
  out += kClosing;
  return out;
}

}  // namespace kivo
