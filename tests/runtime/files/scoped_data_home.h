#pragma once
// A fresh folder per test, used as $XDG_DATA_HOME so drive paths ("c:\...")
// land inside it; removed with everything in it at the end of the test.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace pcshop::testing {

class ScopedDataHome {
 public:
  ScopedDataHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pcshop-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) root_ = pattern;
    ::setenv("XDG_DATA_HOME", root_.c_str(), 1);
  }
  ScopedDataHome(const ScopedDataHome&) = delete;
  ScopedDataHome& operator=(const ScopedDataHome&) = delete;
  ~ScopedDataHome() {
    ::unsetenv("XDG_DATA_HOME");
    std::error_code ec;
    if (!root_.empty()) std::filesystem::remove_all(root_, ec);
  }

  const std::filesystem::path& root() const { return root_; }
  std::filesystem::path drive_c() const { return root_ / "pcshop" / "drive_c"; }

 private:
  std::filesystem::path root_;
};

inline std::string ReadBytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::string bytes;
  char chunk[4096];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    bytes.append(chunk, static_cast<size_t>(in.gcount()));
  }
  return bytes;
}

inline void WriteBytes(const std::filesystem::path& p, const std::string& bytes) {
  std::filesystem::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << bytes;
}

}  // namespace pcshop::testing
