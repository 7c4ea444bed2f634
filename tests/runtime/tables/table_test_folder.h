#pragma once
// A fresh folder per test, removed afterwards, and GBK path texts into it.

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "runtime/files/native_path.h"
#include "tests/runtime/tables/table_layouts.h"

namespace pcshop::tables::testing {

class TestFolder {
 public:
  TestFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tables_test.XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
  }
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;
  ~TestFolder() {
    std::error_code ec;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
  }

  const std::filesystem::path& dir() const { return dir_; }
  // Native path of a file named by UTF-8 `name`.
  std::filesystem::path Native(std::string_view name) const { return dir_ / std::string(name); }
  // The same file as a GBK path text, with Windows separators.
  std::string Text(std::string_view name) const {
    std::string t = *files::ToTextPath(dir_);
    for (char& c : t) {
      if (c == '/') c = '\\';
    }
    return t + "\\" + Gbk(name);
  }

 private:
  std::filesystem::path dir_;
};

inline std::string ReadBytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::string bytes(static_cast<size_t>(std::filesystem::file_size(p)), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

inline void WriteBytes(const std::filesystem::path& p, std::string_view bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace pcshop::tables::testing
