// Writes seeds for package_reader_fuzz into the folder given as argument:
// a few valid payloads from the writer (empty and stored folder names, zero
// and non-zero keys), their unpacked entry lists and stamps of their files.

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "launcher/package_writer.h"
#include "launcher/unpack_stamp.h"
#include "package_reader_fuzz_input.h"

namespace {

using namespace pcshop::launcher;

bool Write(const std::string& path, uint8_t selector, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.put(static_cast<char>(selector));
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return out.good();
}

std::vector<uint8_t> Text(const std::string& s) {
  return {s.begin(), s.end()};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: package_reader_fuzz_seeds FOLDER\n");
    return 2;
  }
  const std::string dir = argv[1];
  struct Seed {
    const char* name;
    PackageContents contents;
  };
  std::vector<Seed> seeds = {
      {"empty-name-key0",
       {"",
        0x1A2B,
        {0, 0, 0, 0},
        {{"morva.mlr", Text("\x7F"
                            "ELF kernel")}}}},
      {"named-key",
       {"pcshop",
        7,
        {0x3C, 0xA5, 0x5A, 0xC3},
        {{"ctlpk.dll", Text("support")}, {"morva.mlr", Text("kernel")}}}},
      {"both-kernels",
       {"p",
        0,
        {1, 2, 3, 4},
        {{"MORVA.MLR", Text("a")}, {"morva.mlb", Text("")}, {"x", Text("zz")}}}},
      {"no-files", {"", 0xFFFFFFFF, {0, 0, 0, 0}, {}}},
  };
  bool ok = true;
  for (const Seed& s : seeds) {
    pcshop::Result<std::vector<uint8_t>> payload = BuildPayload(s.contents);
    if (!payload.ok()) return 1;
    ok &= Write(dir + "/payload-" + s.name, fuzz::kWholePayload, *payload);
    ok &= Write(dir + "/entries-" + s.name, fuzz::kEntriesOnly, EncodeEntries(s.contents.files));
    UnpackStamp stamp;
    stamp.package.folder_id = s.contents.folder_id;
    stamp.package.declared_size = 100;
    for (const PackageFile& f : s.contents.files) {
      stamp.files.push_back({f.name, FileIdentity{f.data.size(), 2049, 1234, 5, 6}});
    }
    ok &= Write(dir + "/stamp-" + s.name, fuzz::kStampOnly, EncodeStamp(stamp));
  }
  return ok ? 0 : 1;
}
