#include "runtime/files/temporary_file.h"

#include <array>
#include <cstdio>
#include <random>
#include <string>
#include <system_error>

namespace pcshop::files {
namespace {

namespace fs = std::filesystem;

constexpr int kTemporaryNameTries = 16;

}  // namespace

TemporaryFile::~TemporaryFile() {
  std::error_code ec;
  fs::remove(path_, ec);
}

Result<NativeFile> CreateTemporaryBeside(const fs::path& target, fs::path& temp_path) {
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::random_device rng;
  Status last = Status::IOError("cannot create a temporary file in " + folder.string());
  for (int i = 0; i < kTemporaryNameTries; ++i) {
    std::array<char, 9> tag{};
    std::snprintf(tag.data(), tag.size(), "%08x", static_cast<unsigned>(rng()));
    temp_path = folder / ("." + target.filename().string() + ".copy-" + tag.data());
    auto file = NativeFile::Open(temp_path, FileAccess::kCreateNew);
    if (file.ok()) return file;
    last = file.status();
    std::error_code ec;
    if (!fs::exists(temp_path, ec)) break;  // not a name clash: trying again will not help
  }
  return last;
}

}  // namespace pcshop::files
