// Load times of the XML reader and the phrase tables on files of the sizes the
// program meets, and of a few harder shapes. Prints milliseconds per load (the
// best and the median of several rounds); it is a program, not a test.
//
// Windows build, under Wine:
//   cmake --build build --target xml_bench
//   tools/wine-run --prefix=build/wineprefix build/bench/xml_bench.exe
// Host build: build-bench/bench/xml_bench (see tools/bench.sh for the tree).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/phrase_table.h"
#include "base/xml_reader.h"

using namespace lumadir;

namespace {

using clock_type = std::chrono::steady_clock;

bool write_file_bytes(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

// A phrase file like vxlang.xml, grown to `count` phrases: plain words, some
// entities and accented letters, a few CDATA fragments of markup.
std::string phrase_file(int count) {
  std::string out =
      "<?xml version=\"1.0\"?>\r\n<langs>\r\n<lang short=\"en\" full=\"English\">\r\n";
  for (int id = 0; id < count; ++id) {
    const std::string n = std::to_string(id);
    out += "  <_" + n + ">";
    if (id % 10 == 0)
      out += "<![CDATA[<td class=\"c" + n + "\">]]>";
    else if (id % 7 == 0)
      out += "Caf&#233; &amp; cr&#232;me, phrase " + n;
    else
      out += "Phrase number " + n + " of the user interface";
    out += "</_" + n + ">\r\n";
  }
  return out + "</lang>\r\n</langs>\r\n";
}

// settings.ini as the program writes it, its filter section repeated up to the size.
std::string settings_file(size_t size) {
  std::string out = "<settings>\r\n";
  for (int round = 0; out.size() < size; ++round) {
    const std::string n = std::to_string(round);
    out += "<source_path>C:\\Users\\someone\\Documents\\Projects " + n + "</source_path>\r\n";
    out += "<file_font-size>10</file_font-size>\r\n<file_font-name>Arial</file_font-name>\r\n";
    out += "<columns>Name,1,30,Extension,1,8,Size,1,10,Modified,1,14</columns>\r\n";
    out += "<filter>\r\n<str_files_include>*.txt;*.doc;R&#233;sum&#233;*</str_files_include>\r\n";
    out += "<time_start>1104537600</time_start>\r\n<size_filter>0</size_filter>\r\n</filter>\r\n";
  }
  return out + "</settings>\r\n";
}

struct figures {
  double best = 0;
  double median = 0;
};

template <typename Load>
figures time_loads(int rounds, Load load) {
  std::vector<double> ms;
  for (int i = 0; i < rounds; ++i) {
    const auto start = clock_type::now();
    load();
    ms.push_back(std::chrono::duration<double, std::milli>(clock_type::now() - start).count());
  }
  std::sort(ms.begin(), ms.end());
  return {ms.front(), ms[ms.size() / 2]};
}

void report(const char* label, size_t bytes, const figures& f) {
  std::printf("%-44s %10zu %10.2f %10.2f %9.1f\n", label, bytes, f.best, f.median,
              static_cast<double>(bytes) / (1024.0 * 1024.0) / (f.median / 1000.0));
}

}  // namespace

int main() {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "lumadir_xml_bench";
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  const std::string phrases_path = (folder / "vxlang.xml").string();
  const std::string settings_path = (folder / "settings.ini").string();
  const std::string nested_path = (folder / "nested.xml").string();
  const std::string limit_path = (folder / "limit.xml").string();

  const std::string phrases = phrase_file(10000);
  const std::string settings = settings_file(1 << 20);
  std::string nested;
  for (int i = 0; i < 100000; ++i) nested += "<a>";
  for (int i = 0; i < 100000; ++i) nested += "</a>";
  std::string limit;
  while (limit.size() + 64 <= static_cast<size_t>(xml_size_limit))
    limit += "<e k=\"v&amp;w\">text &lt; more text</e>\r\n<!-- c -->";
  limit.resize(static_cast<size_t>(xml_size_limit), ' ');
  if (!write_file_bytes(phrases_path, phrases) || !write_file_bytes(settings_path, settings) ||
      !write_file_bytes(nested_path, nested) || !write_file_bytes(limit_path, limit)) {
    std::printf("cannot write the files in %s\n", folder.string().c_str());
    return 1;
  }

  std::printf("%-44s %10s %10s %10s %9s\n", "load", "bytes", "best ms", "median ms", "MiB/s");
  int failures = 0;
  report("phrase file, 10 000 phrases", phrases.size(), time_loads(15, [&] {
           phrase_table table;
           variant error;
           failures += table.load(variant(phrases_path.c_str()), error) != phrase_load::loaded;
           failures += table.phrase(9999) == nullptr;
         }));
  auto document_load = [&](const std::string& path) {
    return [&failures, path] {
      xml_document doc;
      variant error;
      failures += doc.load(variant(path.c_str()), error) != xml_load::loaded;
    };
  };
  report("settings-like XML, 1 MiB", settings.size(), time_loads(15, document_load(settings_path)));
  report("100 000 nested elements", nested.size(), time_loads(5, document_load(nested_path)));
  report("16 MiB of elements, comments, references", limit.size(),
         time_loads(3, document_load(limit_path)));

  phrase_table table;
  variant error;
  failures += table.load(variant(phrases_path.c_str()), error) != phrase_load::loaded;
  long found = 0;
  const auto start = clock_type::now();
  for (int round = 0; round < 100; ++round)
    for (int id = 0; id < 10000; ++id) found += table.phrase(id) != nullptr;
  const double ns = std::chrono::duration<double, std::nano>(clock_type::now() - start).count();
  std::printf("phrase lookup: %.1f ns each (%ld found)\n", ns / 1e6, found);

  std::filesystem::remove_all(folder, ignored);
  if (failures) std::printf("%d loads failed\n", failures);
  return failures ? 1 : 0;
}
