// pcshop_pack --out OUT --exe EXE [--folder NAME | --folder-id HEX] [--key HEX] FILE...
//
// Copies EXE to OUT, appends the package of the FILEs (stored under their base
// names, in the order given) with its trailer, and makes OUT executable.
// Without --folder or --folder-id the folder id is the CRC-32 of the packaged
// files, so that different contents extract into different folders. The key
// is a 32-bit number whose low byte is stored first.

#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "launcher/little_endian.h"
#include "launcher/package_writer.h"

namespace {

using pcshop::launcher::PackageContents;
using pcshop::launcher::PackageFile;

constexpr uint32_t kDefaultKey = 0x6B3A9D27;

int Usage(const char* message) {
  std::fprintf(stderr,
               "pcshop_pack: %s\n"
               "usage: pcshop_pack --out OUT --exe EXE [--folder NAME | --folder-id HEX] "
               "[--key HEX] FILE...\n",
               message);
  return 2;
}

std::optional<uint32_t> ParseHex32(std::string_view text) {
  std::string s(text);
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s.erase(0, 2);
  if (s.empty() || s.size() > 8) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const unsigned long v = std::strtoul(s.c_str(), &end, 16);
  if (errno != 0 || *end != '\0' || s[0] == '-' || s[0] == '+') return std::nullopt;
  return static_cast<uint32_t>(v);
}

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return data;
}

}  // namespace

int main(int argc, char** argv) {
  std::string out, exe;
  std::optional<std::string> folder;
  std::optional<uint32_t> folder_id;
  uint32_t key = kDefaultKey;
  std::vector<std::string> inputs;

  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--out" && has_value) {
      out = argv[++i];
    } else if (arg == "--exe" && has_value) {
      exe = argv[++i];
    } else if (arg == "--folder" && has_value) {
      folder = argv[++i];
    } else if (arg == "--folder-id" && has_value) {
      folder_id = ParseHex32(argv[++i]);
      if (!folder_id) return Usage("--folder-id takes a 32-bit hexadecimal number");
    } else if (arg == "--key" && has_value) {
      const std::optional<uint32_t> k = ParseHex32(argv[++i]);
      if (!k) return Usage("--key takes a 32-bit hexadecimal number");
      key = *k;
    } else if (arg.starts_with("--")) {
      return Usage(("unknown or incomplete option " + std::string(arg)).c_str());
    } else {
      inputs.emplace_back(arg);
    }
  }
  if (out.empty() || exe.empty()) return Usage("--out and --exe are required");
  if (folder && folder_id) return Usage("--folder and --folder-id exclude each other");
  if (folder && folder->empty()) return Usage("--folder takes a non-empty name");
  if (inputs.empty()) return Usage("no files to pack");

  PackageContents contents;
  for (const std::string& path : inputs) {
    std::optional<std::vector<uint8_t>> data = ReadWholeFile(path);
    if (!data) {
      std::fprintf(stderr, "pcshop_pack: cannot read %s\n", path.c_str());
      return 1;
    }
    contents.files.push_back(
        PackageFile{std::filesystem::path(path).filename().string(), std::move(*data)});
  }
  if (folder) contents.folder = *folder;
  if (folder_id) {
    contents.folder_id = *folder_id;
  } else {
    const std::vector<uint8_t> entries = pcshop::launcher::EncodeEntries(contents.files);
    contents.folder_id =
        static_cast<uint32_t>(crc32(0L, entries.data(), static_cast<uInt>(entries.size())));
  }
  pcshop::launcher::StoreLE32(contents.key.data(), key);

  const pcshop::Status status = pcshop::launcher::WritePackagedExecutable(exe, out, contents);
  if (!status.ok()) {
    std::fprintf(stderr, "pcshop_pack: %s\n", status.ToString().c_str());
    return 1;
  }
  return 0;
}
