// The dumper finds an image embedded in an executable and prints windows,
// controls and bindings for people; a damaged image gives the reader's
// message and exit code 1.

#include "tools/imgdump/image_dump.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "image/image_format.h"
#include "image/image_reader.h"
#include "image_test_model.h"

namespace pcshop::image {
namespace {

using namespace testing;

// An executable-like file: bytes that mention the marker text on their own,
// then the marker block (marker, size, 12 zero bytes), the image, more bytes.
std::vector<uint8_t> Embed(const std::vector<uint8_t>& image) {
  const std::string_view marker = format::kEmbeddedMarker;
  std::string file(100, '\x90');
  file += marker;
  file += std::string(16, '\xFF');  // marker text without a valid size behind it
  file += marker;
  std::string size(16, '\0');
  format::StoreLE32(reinterpret_cast<uint8_t*>(size.data()), static_cast<uint32_t>(image.size()));
  file += size;
  file.append(image.begin(), image.end());
  file += std::string(50, '\xCC');
  return {file.begin(), file.end()};
}

std::filesystem::path WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
  const auto path = std::filesystem::temp_directory_path() / name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return path;
}

TEST(EmbeddedImageTest, FoundBehindTheMarkerWhoseSizeFits) {
  const std::vector<uint8_t> image = Write(SmallModel());
  std::vector<uint8_t> file = Embed(image);
  Result<std::span<uint8_t>> found = FindEmbeddedImage(file);
  ASSERT_TRUE(found.ok()) << found.status().message();
  EXPECT_EQ(found->data(), file.data() + 100 + 32 + 32);
  EXPECT_TRUE(std::equal(found->begin(), found->end(), image.begin(), image.end()));
}

TEST(EmbeddedImageTest, MissingOrOversizedImagesAreReported) {
  std::vector<uint8_t> plain(64, 1);
  EXPECT_EQ(FindEmbeddedImage(plain).status().code(), Status::Code::kNotFound);

  std::vector<uint8_t> file = Embed(Write(BareModel()));
  file.resize(file.size() - 60);  // the image loses its last 10 bytes
  Result<std::span<uint8_t>> found = FindEmbeddedImage(file);
  ASSERT_FALSE(found.ok());
  EXPECT_EQ(found.status().message(),
            "image: image marker at offset 100 declares 4294967295 bytes, " +
                std::to_string(file.size() - 132) + " follow it");
}

TEST(ImageDumpTest, PrintsSectionsWindowsControlsAndBindings) {
  std::vector<uint8_t> image = Write(SmallModel());
  const auto path = WriteFile("pcshop_imgdump_test.exe", Embed(image));
  std::ostringstream out, err;
  EXPECT_EQ(imgdump::RunImgdump(path, out, err), 0) << err.str();
  const std::string text = out.str();
  for (const char* expected :
       {"embedded at file offset 164\n", "libraries: 3\n", "  2 kernel32 lstrcpyn\n",
        "fixups: kind 0 (entry points) 12, kind 1 (const) 2, kind 2 (var) 1, kind 3 (code) 1\n",
        "id groups: 0 (windows and controls) 2, 1 (DLL commands) 1, 2 (libraries) 1, 3 (types) 1\n",
        "window 1: id 1, 7 controls\n",
        "配置单 (window 0x10001) at 0,10 1440x800 caption \"配置单\"",
        "按钮 (button 0x1000B) at 110,10 80x24 disabled font \"宋体\" 9 in control 1\n",
        "list (list view 0x20004) at 300,10 80x24 columns 2 rows 3\n",
        "      event -3 -> code offset 16\n", "window 2: id 2, 1 controls\n"}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\nin\n" << text;
  }
  std::filesystem::remove(path);
}

TEST(ImageDumpTest, DamagedImageGivesTheReadersMessageAndExitCodeOne) {
  std::vector<uint8_t> image = Write(SmallModel());
  Set32(image, format::kChainStartOffset, 3);
  const auto path = WriteFile("pcshop_imgdump_damaged.bin", image);
  std::ostringstream out, err;
  EXPECT_EQ(imgdump::RunImgdump(path, out, err), 1);
  EXPECT_EQ(err.str().substr(0, err.str().find('\n')),
            "image: section header at offset 3 is named \"\", expected const");
  EXPECT_TRUE(out.str().empty());
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace pcshop::image
