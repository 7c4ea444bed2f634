// Writing a model and reading the image back gives the same content, laid
// out as the format says.

#include <gtest/gtest.h>

#include "image/image_format.h"
#include "image/image_reader.h"
#include "image_test_model.h"

namespace pcshop::image {
namespace {

using namespace testing;

TEST(ImageRoundTripTest, ReadGivesBackWhatWasWritten) {
  const ImageModel model = SmallModel();
  std::vector<uint8_t> image = Write(model);
  Result<ImageView> view = ReadImage(image);
  ASSERT_TRUE(view.ok()) << view.status().message();

  EXPECT_EQ(view->bytes.data(), image.data());
  EXPECT_EQ(view->libraries, model.libraries);
  EXPECT_EQ(view->dll_commands, model.dll_commands);
  EXPECT_EQ(view->windows, model.windows);
  EXPECT_EQ(view->fixups, model.fixups);
  EXPECT_EQ(view->id_groups, model.id_groups);
  EXPECT_EQ(view->entry_offset, view->code_section().data_offset + model.entry_code_offset);

  const auto code = image.begin() + view->code_section().data_offset;
  EXPECT_TRUE(std::equal(model.code_data.begin(), model.code_data.end(), code,
                         [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; }));
  const auto consts = image.begin() + view->const_section().data_offset;
  EXPECT_TRUE(std::equal(model.const_data.begin(), model.const_data.end(), consts,
                         [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; }));
}

TEST(ImageRoundTripTest, SectionsFollowTheFixedOrderWithTheirFlagsAndSizes) {
  const ImageModel model = SmallModel();
  std::vector<uint8_t> image = Write(model);
  Result<ImageView> view = ReadImage(image);
  ASSERT_TRUE(view.ok()) << view.status().message();

  for (uint32_t i = 0; i < format::kSectionCount; ++i) {
    EXPECT_EQ(view->sections[i].name, format::kSectionNames[i]);
    EXPECT_EQ(view->sections[i].flags, format::kSectionFlags[i]);
  }
  EXPECT_EQ(Get32(image, format::kChainStartOffset), view->const_section().header_offset);
  EXPECT_EQ(Get32(image, format::kConstHeaderAgainOffset), view->const_section().header_offset);
  EXPECT_EQ(Get32(image, format::kWord40Offset), 1u);
  EXPECT_EQ(view->sections[format::kHelp].data_size, 56u);
  EXPECT_EQ(view->var_section().memory_size, kVarAreaSize);
  EXPECT_EQ(view->var_section().data_offset, format::kNotStored);
  EXPECT_EQ(view->code_section().data_offset % format::kCodeDataAlignment, 0u);
  EXPECT_EQ(view->code_section().data_size, model.code_data.size());
  // Count words plus offsets: 4 + 8, 4 + 4, 4 + 4, 4 + 4.
  EXPECT_EQ(view->reloc_section().data_size, 36u);
  EXPECT_EQ(view->reloc_section().data_offset + 36u, image.size());
  // Code header = 56 bytes + one word per fixup.
  EXPECT_EQ(Get32(image, view->code_section().header_offset), 56u + 4 * 16);
}

TEST(ImageRoundTripTest, DllNamesFollowTheConstDataAndEqualNamesShareOneText) {
  const ImageModel model = SmallModel();
  std::vector<uint8_t> image = Write(model);
  Result<ImageView> view = ReadImage(image);
  ASSERT_TRUE(view.ok()) << view.status().message();

  const uint32_t n = Get32(image, format::kDllCountOffset);
  ASSERT_EQ(n, 3u);
  const auto library = [&](uint32_t i) { return Get32(image, format::kDllNamesOffset + 4 * i); };
  EXPECT_EQ(library(0), model.const_data.size());
  EXPECT_EQ(library(0), library(2));  // "kernel32" twice
  // kernel32, GetSystemDirectoryA, shlwapi.dll, PathFileExistsA, lstrcpyn.
  EXPECT_EQ(view->const_section().data_size, model.const_data.size() + 9 + 20 + 12 + 16 + 9);
}

TEST(ImageRoundTripTest, LibraryListIsFiveFieldRecordsEndedByAnEmptyOne) {
  std::vector<uint8_t> image = Write(SmallModel());
  const std::string expected =
      std::string("morva\rd09f2340818511d396f6aaf844c7e325\r5\r7\rkernel") + '\0' + "ctlpk\r";
  const auto at = image.begin() + static_cast<long>(format::LibraryListOffset(3));
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), at,
                         [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; }));
  EXPECT_EQ(Get32(image, format::kLibraryCountOffset), 3u);
}

TEST(ImageRoundTripTest, AWindowWithoutControlsOrFixupsReads) {
  const ImageModel model = BareModel();
  std::vector<uint8_t> image = Write(model);
  Result<ImageView> view = ReadImage(image);
  ASSERT_TRUE(view.ok()) << view.status().message();
  EXPECT_EQ(view->windows, model.windows);
  EXPECT_TRUE(view->libraries.empty());
  EXPECT_TRUE(view->dll_commands.empty());
}

}  // namespace
}  // namespace pcshop::image
