// Our parser against the common C and C++ XML parsers on the same generated
// Cyrillic feeds, then the conversion, page composition, transcoding and the
// start-up re-reading of item caches. Prints a table of MB/s and the ratio to
// pugixml (parse_minimal) at the end.
#include <benchmark/benchmark.h>
#include <expat.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <tinyxml2.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <pugixml.hpp>
#include <rapidxml.hpp>
#include <string>
#include <vector>

#include "bench/BenchInputs.h"
#include "feeds/FeedConversion.h"
#include "feeds/PageComposition.h"
#include "feeds/XmlParser.h"
#include "platform/IniFile.h"
#include "platform/Locale.h"

namespace kivo {
namespace {

namespace fs = std::filesystem;

struct TInput {
  std::string label;  // "10K", "1M", "50M"
  std::string utf8;
  std::string koi8;
};

std::vector<TInput>& Inputs() {
  static std::vector<TInput> inputs;
  return inputs;
}

// ---- element counts, one function per parser --------------------------------

std::size_t CountOurs(std::string_view text) {
  TmoxXMLParser2 doc;
  doc.LoadFromBuffer(text);
  if (doc.Name().empty()) return 0;
  std::size_t count = 1;
  const TmoxXMLNode2* node = doc.FirstChild();
  while (node != nullptr) {
    ++count;
    if (node->FirstChild() != nullptr) {
      node = node->FirstChild();
      continue;
    }
    while (node != &doc && node->NextSibling() == nullptr) node = node->Parent();
    node = node == &doc ? nullptr : node->NextSibling();
  }
  return count;
}

std::size_t CountPugi(std::string_view text) {
  pugi::xml_document doc;
  if (!doc.load_buffer(text.data(), text.size(), pugi::parse_minimal)) return 0;
  struct Counter : pugi::xml_tree_walker {
    std::size_t count = 0;
    bool for_each(pugi::xml_node& node) override {
      count += node.type() == pugi::node_element;
      return true;
    }
  } counter;
  doc.traverse(counter);
  return counter.count;
}

std::size_t CountRapid(std::string_view text) {
  std::string copy(text);  // rapidxml wants a mutable, terminated buffer
  rapidxml::xml_document<> doc;
  try {
    doc.parse<rapidxml::parse_non_destructive>(copy.data());
  } catch (const rapidxml::parse_error&) {
    return 0;
  }
  std::size_t count = 0;
  std::vector<rapidxml::xml_node<>*> stack{&doc};
  while (!stack.empty()) {
    rapidxml::xml_node<>* node = stack.back();
    stack.pop_back();
    count += node->type() == rapidxml::node_element;
    for (auto* child = node->first_node(); child != nullptr; child = child->next_sibling())
      stack.push_back(child);
  }
  return count;
}

void XMLCALL ExpatStart(void* user, const XML_Char*, const XML_Char**) {
  ++*static_cast<std::size_t*>(user);
}

std::size_t CountExpat(std::string_view text) {
  std::unique_ptr<std::remove_pointer_t<XML_Parser>, decltype(&XML_ParserFree)> parser(
      XML_ParserCreate(nullptr), &XML_ParserFree);
  std::size_t count = 0;
  XML_SetUserData(parser.get(), &count);
  XML_SetStartElementHandler(parser.get(), ExpatStart);
  if (XML_Parse(parser.get(), text.data(), static_cast<int>(text.size()), 1) != XML_STATUS_OK) return 0;
  return count;
}

// The SAX interface: the fastest libxml2 entry that sees every element.
void LibxmlStart(void* user, const xmlChar*, const xmlChar*, const xmlChar*, int, const xmlChar**, int, int,
                 const xmlChar**) {
  ++*static_cast<std::size_t*>(static_cast<xmlParserCtxtPtr>(user)->_private);
}

std::size_t CountLibxml(std::string_view text) {
  xmlSAXHandler sax{};
  sax.initialized = XML_SAX2_MAGIC;
  sax.startElementNs = LibxmlStart;
  std::size_t count = 0;
  xmlParserCtxtPtr ctxt = xmlCreatePushParserCtxt(&sax, nullptr, nullptr, 0, nullptr);
  ctxt->_private = &count;
  xmlCtxtUseOptions(ctxt, XML_PARSE_HUGE | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  const int rc = xmlParseChunk(ctxt, text.data(), static_cast<int>(text.size()), 1);
  const bool ok = rc == 0 && ctxt->wellFormed;
  xmlFreeParserCtxt(ctxt);
  return ok ? count : 0;
}

std::size_t CountTiny(std::string_view text) {
  tinyxml2::XMLDocument doc(true, tinyxml2::COLLAPSE_WHITESPACE);
  if (doc.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS) return 0;
  std::size_t count = 0;
  std::vector<const tinyxml2::XMLElement*> stack{doc.FirstChildElement()};
  while (!stack.empty()) {
    const tinyxml2::XMLElement* node = stack.back();
    stack.pop_back();
    if (node == nullptr) continue;
    ++count;
    for (auto* child = node->FirstChildElement(); child != nullptr; child = child->NextSiblingElement())
      stack.push_back(child);
  }
  return count;
}

// Ceilings: no parser can beat a scan for '<' or a plain copy.
std::size_t CountMemchr(std::string_view text) {
  std::size_t count = 0;
  const char* p = text.data();
  const char* end = p + text.size();
  while ((p = static_cast<const char*>(std::memchr(p, '<', static_cast<std::size_t>(end - p)))) != nullptr) {
    ++count;
    ++p;
  }
  return count;
}

std::size_t CountMemcpy(std::string_view text) {
  static std::vector<char> target;
  target.resize(text.size());
  std::memcpy(target.data(), text.data(), text.size());
  benchmark::ClobberMemory();
  return target.size();
}

struct TPeer {
  const char* name;
  std::size_t (*count)(std::string_view);
  bool checked;  // must find the same number of elements as ours
};

const TPeer kPeers[] = {
    {"kivo", CountOurs, true},          {"pugixml", CountPugi, true},   {"rapidxml", CountRapid, true},
    {"expat", CountExpat, true},        {"libxml2", CountLibxml, true}, {"tinyxml2", CountTiny, true},
    {"memchr '<'", CountMemchr, false}, {"memcpy", CountMemcpy, false},
};

// ---- table ---------------------------------------------------------------------

struct TRow {
  std::string group;
  std::string size;
  std::string name;
  double bytes = 0;
};
std::map<std::string, TRow>& Rows() {  // by benchmark name
  static std::map<std::string, TRow> rows;
  return rows;
}
std::vector<std::string>& RowOrder() {
  static std::vector<std::string> order;
  return order;
}

void Register(const std::string& group, const std::string& size, const std::string& name, double bytes,
              int iterations, std::function<void(benchmark::State&)> body) {
  const std::string full = group + "/" + name + "/" + size;
  Rows()[full] = {group, size, name, bytes};
  RowOrder().push_back(full);
  auto* bm = benchmark::RegisterBenchmark(full.c_str(), [body, bytes](benchmark::State& state) {
    body(state);
    state.SetBytesProcessed(static_cast<int64_t>(bytes * static_cast<double>(state.iterations())));
  });
  bm->Unit(benchmark::kMillisecond);
  if (iterations > 0) {
    bm->Iterations(iterations);
  } else {
    bm->MinTime(0.3);
  }
}

int IterationsFor(const TInput& input) {
  return input.utf8.size() > (8u << 20) ? 2 : 0;
}

void RegisterParsers() {
  for (const TInput& input : Inputs()) {
    const std::size_t expected = CountOurs(input.utf8);
    for (const TPeer& peer : kPeers) {
      const std::size_t found = peer.count(input.utf8);
      if (peer.checked && found != expected) {
        BenchFail(std::string(peer.name) + " counts " + std::to_string(found) + " elements in the " +
                  input.label + " feed, ours " + std::to_string(expected));
      }
      const std::string_view text = input.utf8;
      const auto count = peer.count;
      Register("parse", input.label, peer.name, static_cast<double>(text.size()), IterationsFor(input),
               [text, count](benchmark::State& state) {
                 for (auto _ : state) benchmark::DoNotOptimize(count(text));
               });
    }
  }
}

// The conversion as the download thread runs it: parse, walk, transcode,
// entities, write the item cache text.
void RegisterConversion() {
  for (const TInput& input : Inputs()) {
    for (const bool koi8 : {false, true}) {
      const std::string_view text = koi8 ? input.koi8 : input.utf8;
      Register("convert", input.label, koi8 ? "parse+convert+write KOI8-R" : "parse+convert+write UTF-8",
               static_cast<double>(text.size()), IterationsFor(input), [text](benchmark::State& state) {
                 for (auto _ : state) {
                   TmoxXMLParser2 source;
                   source.LoadFromBuffer(text);
                   TConversionSettings settings;
                   settings.DeclaredEncoding = DeclaredEncoding(source);
                   benchmark::DoNotOptimize(ConvertFeed(source, settings, {}).Text());
                 }
               });
    }
    TmoxXMLParser2 source;
    source.LoadFromBuffer(input.utf8);
    auto cache = std::make_shared<std::string>(ConvertFeed(source, {}, {}).Text());
    Register("convert", input.label, "page composition", static_cast<double>(input.utf8.size()),
             IterationsFor(input), [cache](benchmark::State& state) {
               for (auto _ : state)
                 benchmark::DoNotOptimize(ComposeFeedPageWithStamp(*cache, "", "x", true, 2));
             });
  }
}

// Ours maps only the letters 0xC0-0xFF; iconv also maps the rest of the upper
// half (the letter YO among them), so the two may differ there and only there.
void NoteKoi8Differences(std::string_view koi8) {
  const std::string ours = Koi8ToWin(koi8);
  const std::string theirs = TIconv("CP1251", "KOI8-R").Convert(koi8);
  if (ours.size() != theirs.size()) BenchFail("KOI8-R -> 1251: length differs from iconv");
  std::size_t differing = 0;
  for (std::size_t i = 0; i < ours.size(); ++i) {
    if (ours[i] == theirs[i]) continue;
    if (static_cast<unsigned char>(koi8[i]) >= 0xC0) BenchFail("KOI8-R -> 1251: a letter differs from iconv");
    ++differing;
  }
  std::printf("KOI8-R -> 1251: %zu bytes below 0xC0 differ from iconv (left as they are by ours)\n",
              differing);
}

void RegisterTranscoding() {
  const TInput& input = Inputs()[1];  // 1 MB
  const double bytes = static_cast<double>(input.utf8.size());
  const std::string_view utf8 = input.utf8;
  const std::string_view koi8 = input.koi8;
  if (Utf8ToWin(utf8) != TIconv("CP1251", "UTF-8").Convert(utf8))
    BenchFail("UTF-8 -> 1251 differs from iconv");
  NoteKoi8Differences(koi8);
  Register("transcode", input.label, "kivo UTF-8->1251", bytes, 0, [utf8](benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(Utf8ToWin(utf8));
  });
  Register("transcode", input.label, "iconv UTF-8->1251", bytes, 0, [utf8](benchmark::State& state) {
    TIconv cd("CP1251", "UTF-8");
    for (auto _ : state) benchmark::DoNotOptimize(cd.Convert(utf8));
  });
  Register("transcode", input.label, "kivo KOI8-R->1251", static_cast<double>(koi8.size()), 0,
           [koi8](benchmark::State& state) {
             for (auto _ : state) benchmark::DoNotOptimize(Koi8ToWin(koi8));
           });
  Register("transcode", input.label, "iconv KOI8-R->1251", static_cast<double>(koi8.size()), 0,
           [koi8](benchmark::State& state) {
             TIconv cd("CP1251", "KOI8-R");
             for (auto _ : state) benchmark::DoNotOptimize(cd.Convert(koi8));
           });
}

// ---- reporting -------------------------------------------------------------------

class TableReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
        seconds[run.run_name.function_name] = run.real_accumulated_time / static_cast<double>(run.iterations);
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> seconds;
};

double MbPerSecond(const TableReporter& reporter, const std::string& name) {
  const auto it = reporter.seconds.find(name);
  if (it == reporter.seconds.end() || it->second <= 0) return 0;
  return Rows()[name].bytes / (1 << 20) / it->second;
}

void PrintTable(const TableReporter& reporter) {
  std::printf("\n%-10s %-6s %-30s %10s %10s %9s\n", "group", "size", "what", "ms", "MB/s", "x pugixml");
  for (const std::string& name : RowOrder()) {
    const TRow& row = Rows()[name];
    const auto it = reporter.seconds.find(name);
    if (it == reporter.seconds.end()) continue;
    const double mbs = MbPerSecond(reporter, name);
    // The same size's pugixml parse; transcoding and start-up use the 1 MB one.
    const double pugi = MbPerSecond(reporter, "parse/pugixml/" + row.size);
    std::printf("%-10s %-6s %-30s %10.2f %10.1f %9.2f\n", row.group.c_str(), row.size.c_str(),
                row.name.c_str(), it->second * 1e3, mbs, pugi > 0 ? mbs / pugi : 0.0);
  }
  const auto small = reporter.seconds.find("parse/kivo/1M");
  const auto large = reporter.seconds.find("parse/kivo/50M");
  if (small != reporter.seconds.end() && large != reporter.seconds.end()) {
    std::printf("\nkivo parse time 50M / 1M: %.1f (sizes %.1f)\n", large->second / small->second,
                Rows()["parse/kivo/50M"].bytes / Rows()["parse/kivo/1M"].bytes);
  }
}

}  // namespace
}  // namespace kivo

int main(int argc, char** argv) {
  using namespace kivo;
  for (const auto& [label, bytes] :
       {std::pair<const char*, std::size_t>{"10K", 10u << 10}, {"1M", 1u << 20}, {"50M", 50u << 20}}) {
    std::string utf8 = BenchFeed(bytes);
    std::string koi8 = Koi8Copy(utf8);
    Inputs().push_back({label, std::move(utf8), std::move(koi8)});
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  xmlInitParser();
  RegisterParsers();
  RegisterConversion();
  RegisterTranscoding();
  TableReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  PrintTable(reporter);
  xmlCleanupParser();
  return 0;
}
