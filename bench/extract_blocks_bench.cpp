// Result-block extraction with each built-in engine's extraction spec on
// generated result pages of 100 KB, 1 MB and 10 MB, beside libxml2's HTML
// parser (DOM and SAX, parse only) and a plain scan that stops at every "<"
// on the same bytes. Each case reports its throughput in bytes per second.
#include <benchmark/benchmark.h>
#include <libxml/HTMLparser.h>

#include <cstring>
#include <map>
#include <string>
#include <utility>

#include "bench/rich_result_pages.h"
#include "engines/default_engines.h"
#include "text/html_blocks.h"
#include "text/string_list2.h"

namespace korvan::bench {
namespace {

constexpr std::size_t kSizes[] = {100u << 10, 1u << 20, 10u << 20};
constexpr PageShape kShapes[] = {PageShape::kBaidu, PageShape::kGoogle, PageShape::kSo360,
                                 PageShape::kTaobao};

const std::string& Page(PageShape shape, std::size_t size) {
  static std::map<std::pair<int, std::size_t>, std::string> pages;
  auto key = std::make_pair(static_cast<int>(shape), size);
  auto it = pages.find(key);
  if (it == pages.end()) it = pages.emplace(key, MakeRichResultPage(shape, size)).first;
  return it->second;
}

// The built-in engine whose page the shape imitates (same order).
TStringList2 SpecFields(PageShape shape) {
  TStringList2 fields;
  fields.SetDelimiterStr("|");
  fields.SetDelimitedStr(DefaultEngines[static_cast<int>(shape)][2]);
  for (int i = 0; i < fields.Count(); ++i) {
    if (fields[i] == "..") fields[i].clear();
  }
  return fields;
}

void BM_ExtractBlocks(benchmark::State& state, PageShape shape, std::size_t size) {
  const std::string& page = Page(shape, size);
  TStringList2 f = SpecFields(shape);
  int depth = std::stoi(f[4]);
  int blocks = 0;
  for (auto _ : state) {
    auto result = ExtractBlocks(page, f[0], f[1], f[2], f[3], depth);
    blocks = result ? result->Count() : 0;
    benchmark::DoNotOptimize(result);
  }
  if (blocks == 0) state.SkipWithError("the extraction spec found no block on its page");
  state.counters["blocks"] = blocks;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

void BM_LibxmlDomParse(benchmark::State& state, std::size_t size) {
  const std::string& page = Page(PageShape::kBaidu, size);
  const int options = HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET;
  for (auto _ : state) {
    htmlDocPtr doc =
        htmlReadMemory(page.data(), static_cast<int>(page.size()), nullptr, "GBK", options);
    benchmark::DoNotOptimize(doc);
    xmlFreeDoc(doc);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

void CountElement(void* ctx, const xmlChar*, const xmlChar**) { ++*static_cast<long*>(ctx); }

void BM_LibxmlSaxParse(benchmark::State& state, std::size_t size) {
  const std::string& page = Page(PageShape::kBaidu, size);
  htmlSAXHandler sax;
  std::memset(&sax, 0, sizeof sax);
  sax.startElement = CountElement;
  long elements = 0;
  for (auto _ : state) {
    elements = 0;
    htmlParserCtxtPtr ctxt =
        htmlCreatePushParserCtxt(&sax, &elements, nullptr, 0, nullptr, XML_CHAR_ENCODING_NONE);
    htmlCtxtUseOptions(ctxt, HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
    htmlParseChunk(ctxt, page.data(), static_cast<int>(page.size()), 1);
    htmlFreeParserCtxt(ctxt);
  }
  state.counters["elements"] = static_cast<double>(elements);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

// The ceiling: find every "<" and do nothing else.
void BM_ScanForTags(benchmark::State& state, std::size_t size) {
  const std::string& page = Page(PageShape::kBaidu, size);
  std::size_t tags = 0;
  for (auto _ : state) {
    tags = 0;
    const char* p = page.data();
    const char* end = p + page.size();
    while ((p = static_cast<const char*>(std::memchr(p, '<', end - p))) != nullptr) {
      ++tags;
      ++p;
    }
    benchmark::DoNotOptimize(tags);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

std::string SizeName(std::size_t size) {
  return size >= (1u << 20) ? std::to_string(size >> 20) + "MB" : std::to_string(size >> 10) + "KB";
}

const char* ShapeName(PageShape shape) {
  switch (shape) {
    case PageShape::kBaidu:
      return "baidu";
    case PageShape::kGoogle:
      return "google";
    case PageShape::kSo360:
      return "so360";
    case PageShape::kTaobao:
      return "taobao";
  }
  return "";
}

int RegisterAll() {
  for (std::size_t size : kSizes) {
    for (PageShape shape : kShapes) {
      benchmark::RegisterBenchmark(
          ("ExtractBlocks/" + std::string(ShapeName(shape)) + "/" + SizeName(size)).c_str(),
          BM_ExtractBlocks, shape, size)
          ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark(("LibxmlDomParse/" + SizeName(size)).c_str(), BM_LibxmlDomParse,
                                 size)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("LibxmlSaxParse/" + SizeName(size)).c_str(), BM_LibxmlSaxParse,
                                 size)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("ScanForTags/" + SizeName(size)).c_str(), BM_ScanForTags, size)
        ->Unit(benchmark::kMillisecond);
  }
  return 0;
}

const int registered = RegisterAll();

}  // namespace
}  // namespace korvan::bench

BENCHMARK_MAIN();
