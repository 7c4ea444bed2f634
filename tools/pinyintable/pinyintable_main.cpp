// pcshop_pinyintable --out FILE
// Writes the table of single-character pinyin readings as a C++ source.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "tools/pinyintable/pinyin_table_builder.h"

namespace {

namespace fs = std::filesystem;

// Through a temporary file, so that an interrupted run leaves no half-written
// source; an unchanged file is left alone so that nothing is rebuilt.
bool WriteIfChanged(const fs::path& path, const std::string& content) {
  {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream old;
    if (in && old << in.rdbuf() && old.str() == content) return true;
  }
  const fs::path tmp = path.string() + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out.flush()) return false;
  }
  std::error_code ec;
  fs::rename(tmp, path, ec);
  return !ec;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || std::string_view(argv[1]) != "--out") {
    std::fprintf(stderr, "usage: pcshop_pinyintable --out FILE\n");
    return 2;
  }
  auto icu = pcshop::text::PinyinTransliterator::Create();
  if (!icu.ok()) {
    std::fprintf(stderr, "pcshop_pinyintable: %s\n", icu.status().message().c_str());
    return 1;
  }
  auto table = pcshop::pinyintable::BuildPinyinTable(*icu);
  if (!table.ok()) {
    std::fprintf(stderr, "pcshop_pinyintable: %s\n", table.status().message().c_str());
    return 1;
  }
  const fs::path out = argv[2];
  std::error_code ec;
  if (out.has_parent_path()) fs::create_directories(out.parent_path(), ec);
  if (!WriteIfChanged(out, pcshop::pinyintable::PinyinTableSource(*table))) {
    std::fprintf(stderr, "pcshop_pinyintable: %s: cannot be written\n", argv[2]);
    return 1;
  }
  return 0;
}
