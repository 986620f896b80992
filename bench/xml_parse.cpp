// XML reading: a 1 MB window-description-like document parsed into the game tools' tree, beside
// pugixml building its DOM from the same bytes in the same run. "FromBytes" starts from the file's
// bytes in memory, as XMLParser::ParseText does once the file is read (the document is plain ASCII
// with CR LF line ends, so it is scanned as it stands); "FromBytesLf" is the same document with LF
// line ends, which the parser reads in place as CR LF. "FromDecodedText" decodes through the text
// reader and hands the decoded text to the parser, the path of files that need decoding (this one,
// plain ASCII after all, is narrowed and scanned as bytes); "FromText" lends it the decoded text,
// which is scanned wide as it stands. "FromUtf8Bytes" is a UTF-8 document with a few characters
// beyond ASCII, decoded and scanned wide. The "DecodeOnly" rows time the text reader alone.
//
// The C library's heap is given fixed thresholds first (see main), so that each benchmark, pugixml's
// included, runs on the same heap whatever ran before it. "--default_heap" leaves the heap as the game
// has it; then run each benchmark alone (--benchmark_filter) to compare them.

#include <benchmark/benchmark.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <pugixml.hpp>
#include <string>
#include <string_view>

#include "engine/files/FileBinary.h"
#include "engine/files/FileTextual.h"
#include "tools/game/XMLNode.h"
#include "tools/game/XMLParser.h"

namespace {

using namespace CorvantisEngine;
using GameTools::XMLNode;
using GameTools::XMLParser;

// Windows of nested controls with a dozen attributes each, texts, faders and comments, repeated with
// varied names and numbers until the document reaches `bytes`.
std::string WindowDocument(std::size_t bytes) {
  std::string text = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<windows>\r\n";
  for (int w = 0; text.size() < bytes; ++w) {
    const std::string n = std::to_string(w);
    text += "  <!-- window " + n + " -->\r\n";
    text += "  <window name=\"window_" + n +
            "\" x=\"0\" y=\"0\" width=\"800\" height=\"600\" shader=\"ui/window_back\" visible=\"1\" "
            "fader=\"fade_in\" modal='0'>\r\n";
    for (int c = 0; c < 12; ++c) {
      const std::string m = std::to_string(c);
      text += "    <button name=\"button_" + m + "\" x=\"" + std::to_string(100 + c * 7) + "\" y=\"" +
              std::to_string(40 * c) +
              "\" width=\"160\" height=\"32\" shader=\"ui/button\" shader_over=\"ui/button_over\" "
              "shader_down=\"ui/button_down\" sound_click=\"click\" sound_over=\"over\" color=\"1 1 1 0.85\" "
              "text=\"menu_item_" +
              m + "\" font=\"main\" align=\"center\" template=\"menu_button\"/>\r\n";
    }
    text +=
        "    <window name=\"panel\" x=\"200\" y=\"120\" width=\"400\" height=\"300\" "
        "shader=\"ui/panel\">\r\n";
    for (int t = 0; t < 4; ++t) {
      text += "      <text name=\"line_" + std::to_string(t) +
              "\" x=\"10\" y=\"20\" font=\"small\" color=\"0.2 0.2 0.2 1\" align=\"left\">Some words of "
              "help text, line " +
              std::to_string(t) + "</text>\r\n";
    }
    text +=
        "      <slider name=\"volume\" x=\"10\" y=\"200\" min=\"0\" max=\"100\" value=\"50\" "
        "step=\"5\"/>\r\n";
    text += "    </window>\r\n";
    text +=
        "    <faders>\r\n      <fader name=\"fade_in\" type=\"alpha\" from=\"0\" to=\"1\" time=\"0.25\"/>\r\n"
        "      <fader name=\"slide\" type=\"move\" from=\"-800 0\" to=\"0 0\" time=\"0.4\"/>\r\n    "
        "</faders>\r\n";
    text += "  </window>\r\n";
  }
  text += "</windows>\r\n";
  return text;
}

const std::string& Document() {
  static const std::string document = WindowDocument(1 << 20);
  return document;
}

std::wstring Decode(const std::string& bytes) {
  FileTextual file(nullptr,
                   new FileBinary(nullptr, "windows.xml", false, false, true,
                                  static_cast<std::uint32_t>(bytes.size()), bytes.data()),
                   false, 0);
  std::wstring text;
  file.ReadText(text, false);
  return text;
}

// Parses `bytes` as XMLParser::ParseText does once the file is read.
void ParseBytesLoop(benchmark::State& state, const std::string& bytes) {
  for (auto _ : state) {
    XMLNode document;
    XMLNode* root = &document;
    XMLParser::ParseBytes(root, bytes);
    benchmark::DoNotOptimize(document.GetChildList().data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

void XMLParserFromBytes(benchmark::State& state) {
  ParseBytesLoop(state, Document());
}
BENCHMARK(XMLParserFromBytes)->Unit(benchmark::kMillisecond);

void XMLParserFromBytesLf(benchmark::State& state) {
  std::string bytes = Document();
  std::erase(bytes, '\r');
  ParseBytesLoop(state, bytes);
}
BENCHMARK(XMLParserFromBytesLf)->Unit(benchmark::kMillisecond);

void XMLParserFromDecodedText(benchmark::State& state) {
  const std::string& bytes = Document();
  for (auto _ : state) {
    XMLNode document;
    XMLNode* root = &document;
    XMLParser::ParseWideText(root, Decode(bytes));
    benchmark::DoNotOptimize(document.GetChildList().data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(XMLParserFromDecodedText)->Unit(benchmark::kMillisecond);

void XMLParserFromText(benchmark::State& state) {
  const std::string& bytes = Document();
  const std::wstring text = Decode(bytes);
  for (auto _ : state) {
    XMLNode document;
    XMLNode* root = &document;
    XMLParser::ParseWideText(root, text);
    benchmark::DoNotOptimize(document.GetChildList().data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(XMLParserFromText)->Unit(benchmark::kMillisecond);

// A document of the same shape that is not plain ASCII: UTF-8 after its mark, a few accented words in
// every text, so that it is decoded and scanned wide.
const std::string& Utf8Document() {
  static const std::string document = [] {
    std::string text = "\xEF\xBB\xBF" + Document();
    for (std::size_t at = text.find("Some words"); at != std::string::npos;
         at = text.find("Some words", at)) {
      text.replace(at, 10, "S\xC3\xB6me w\xC3\xB6rds");
    }
    return text;
  }();
  return document;
}

void XMLParserFromUtf8Bytes(benchmark::State& state) {
  ParseBytesLoop(state, Utf8Document());
}
BENCHMARK(XMLParserFromUtf8Bytes)->Unit(benchmark::kMillisecond);

void DecodeOnly(benchmark::State& state) {
  const std::string& bytes = Document();
  for (auto _ : state) {
    benchmark::DoNotOptimize(Decode(bytes).data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(DecodeOnly)->Unit(benchmark::kMillisecond);

// The text reader alone on the same document with LF line ends, and on the UTF-8 one.
void DecodeOnlyLf(benchmark::State& state) {
  std::string bytes = Document();
  std::erase(bytes, '\r');
  for (auto _ : state) {
    benchmark::DoNotOptimize(Decode(bytes).data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(DecodeOnlyLf)->Unit(benchmark::kMillisecond);

void DecodeOnlyUtf8(benchmark::State& state) {
  const std::string& bytes = Utf8Document();
  for (auto _ : state) {
    benchmark::DoNotOptimize(Decode(bytes).data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(DecodeOnlyUtf8)->Unit(benchmark::kMillisecond);

void PugixmlFromBytes(benchmark::State& state) {
  const std::string& bytes = Document();
  for (auto _ : state) {
    pugi::xml_document document;
    const pugi::xml_parse_result result = document.load_buffer(bytes.data(), bytes.size());
    if (!result) {
      state.SkipWithError("pugixml refused the document");
      break;
    }
    benchmark::DoNotOptimize(document.first_child());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(PugixmlFromBytes)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  bool defaultHeap = false;
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]) == "--default_heap") {
      defaultHeap = true;
      std::copy(argv + i + 1, argv + argc, argv + i);
      --argc;
      break;
    }
  }
#if defined(__GLIBC__)
  // By default the C library hands a freed top of its heap back to the system past a threshold that
  // rises as large blocks come and go: the first benchmarks would then pay for fresh pages on every
  // run and the later ones would not, by their order alone. Fixed thresholds take that out.
  if (!defaultHeap) {
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
  }
#endif
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
