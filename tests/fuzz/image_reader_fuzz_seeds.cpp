// Writes seeds for image_reader_fuzz into the folder given as argument:
// images made with the writer from the test models, and one whose last id
// lies in the word after the stored size of @reloc1.

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "image/image_format.h"
#include "image_test_model.h"

namespace {

bool Write(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return out.good();
}

}  // namespace

int main(int argc, char** argv) {
  using namespace pcshop::image;
  if (argc != 2) {
    std::fprintf(stderr, "usage: image_reader_fuzz_seeds FOLDER\n");
    return 2;
  }
  const std::string dir = argv[1];
  const std::vector<uint8_t> small = testing::Write(testing::SmallModel());
  std::vector<uint8_t> short_reloc = small;
  const testing::ImageFields fields(small);
  const uint64_t size_field = fields.SectionField(format::kReloc, format::kSectionDataSizeField);
  testing::Set32(short_reloc, size_field, testing::Get32(small, size_field) - 4);

  bool ok = Write(dir + "/small", small);
  ok &= Write(dir + "/bare", testing::Write(testing::BareModel()));
  ok &= Write(dir + "/short-reloc", short_reloc);
  return ok ? 0 : 1;
}
