// Loading an image: every fixup kind and id group, and the images the runtime
// refuses, untouched.

#include <gtest/gtest.h>

#include <cstring>

#include "image/calls/calls.h"
#include "image/image_reader.h"
#include "image/link_table.h"
#include "kernel_test_image.h"

namespace pcshop::kernel::testing {
namespace {

using image::EntryIndex;

void NoOp(const calls::RoutineCall&) {}

uint64_t Address(const void* p) { return reinterpret_cast<uintptr_t>(p); }

class ImageBindingTest : public ::testing::Test {
 protected:
  // The small image with ImageEntry bound (to a routine that does nothing).
  std::vector<uint8_t> BoundImage(image::ImageModel model = SmallModel()) {
    SetSlot(model, kEntrySlot, Address(reinterpret_cast<const void*>(&NoOp)));
    return Write(model);
  }

  RecordingRuntime rt_;
};

TEST_F(ImageBindingTest, AppliesEveryFixupKindInPlace) {
  ImageBuffer image(BoundImage());
  ASSERT_TRUE(rt_.runtime().Load(image.bytes()).ok());
  const std::span<uint8_t> code = rt_.runtime().code();

  // Kind 1: the const data.
  const auto* empty = reinterpret_cast<const char*>(image.CodeSlot(kEmptyTextSlot));
  const auto* text = reinterpret_cast<const char*>(image.CodeSlot(kTextSlot));
  EXPECT_EQ(std::string(empty), "");
  EXPECT_EQ(std::string(text), "abc");
  EXPECT_EQ(text - empty, kTextConst);
  double one = 0;
  std::memcpy(&one, reinterpret_cast<const void*>(image.CodeSlot(kOneSlot)), sizeof one);
  EXPECT_EQ(one, 1.0);
  // Kind 2: the runtime's var area, 8-byte slots.
  EXPECT_EQ(image.CodeSlot(kVar0Slot), Address(&rt_.runtime().var_area()[0]));
  EXPECT_EQ(image.CodeSlot(kVar1Slot), Address(&rt_.runtime().var_area()[1]));
  // Kind 3: a code address, the exit routine's slot.
  EXPECT_EQ(image.CodeSlot(kExitRefSlot), Address(code.data() + kExitSlot));
  // Kind 0: each stub at its entry of the runtime's table.
  for (uint32_t i = 0; i < image::kStubOrder.size(); ++i) {
    EXPECT_EQ(image.CodeSlot(kFirstStubSlot + 8 * i),
              Address(&rt_.runtime().entry_table()[EntryIndex(image::kStubOrder[i])]))
        << "stub " << i;
  }
  // Ids map to themselves on this runtime.
  EXPECT_EQ(image.CodeSlot(kWindowIdSlot), 1u);
  EXPECT_EQ(image.CodeSlot(kControlIdSlot), 12u);
  EXPECT_EQ(image.CodeSlot(kDllSlot), 1u);
  EXPECT_EQ(image.CodeSlot(kLibrarySlot), 1u);
  EXPECT_EQ(image.CodeSlot(kTypeSlot), 0x1000Bu);

  // The facade reaches the same places through the patched link table.
  calls::Calls calls(code);
  EXPECT_EQ(std::string(calls.ConstText(kTextSlot)), "abc");
  EXPECT_EQ(calls.ConstDouble(kOneSlot), 1.0);
  EXPECT_EQ(calls.Id(kTypeSlot), 0x1000Bu);
}

struct BadId {
  const char* name;
  uint32_t slot;
  uint64_t value;
  const char* message;
};

class BadIdTest : public ImageBindingTest, public ::testing::WithParamInterface<BadId> {};

TEST_P(BadIdTest, UnknownIdIsRefusedAndTheImageIsLeftAsItWas) {
  image::ImageModel model = SmallModel();
  SetSlot(model, GetParam().slot, GetParam().value);
  const std::vector<uint8_t> written = BoundImage(model);
  ImageBuffer image(written);
  const Status s = rt_.runtime().Load(image.bytes());
  ASSERT_FALSE(s.ok());
  EXPECT_EQ(s.message(), GetParam().message);
  EXPECT_EQ(std::vector<uint8_t>(image.bytes().begin(), image.bytes().end()), written);
  EXPECT_FALSE(rt_.runtime().loaded());
}

INSTANTIATE_TEST_SUITE_P(
    Groups, BadIdTest,
    ::testing::Values(
        BadId{"Window", kWindowIdSlot, 99,
              "image: window or control id 99 in the id slot at code offset 64 is unknown: no "
              "window or control of the form section has it"},
        BadId{"Dll", kDllSlot, 2,
              "image: DLL-command index 2 in the id slot at code offset 80 is unknown: the "
              "image declares 2 DLL commands"},
        BadId{"KernelLibrary", kLibrarySlot, 0,
              "image: library number 0 in the id slot at code offset 88 is unknown: support "
              "libraries are numbered 1 to 2"},
        BadId{"Library", kLibrarySlot, 3,
              "image: library number 3 in the id slot at code offset 88 is unknown: support "
              "libraries are numbered 1 to 2"},
        BadId{"Type", kTypeSlot, 0x10002,
              "image: type identifier 0x10002 in the id slot at code offset 96 is unknown: the "
              "runtime knows no such type"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(ImageBindingTest, ImageWithoutABoundEntryRoutineIsRefused) {
  const std::vector<uint8_t> written = Write(SmallModel());
  ImageBuffer image(written);
  const Status s = rt_.runtime().Load(image.bytes());
  ASSERT_FALSE(s.ok());
  const uint32_t entry_offset = image::ReadImage(image.bytes())->entry_offset;
  EXPECT_EQ(s.message(), "image: the entry routine ImageEntry is not bound (its slot at image "
                         "offset " + std::to_string(entry_offset) + " is 0)");
  EXPECT_EQ(std::vector<uint8_t>(image.bytes().begin(), image.bytes().end()), written);
}

TEST_F(ImageBindingTest, StubsOutOfOrderAreRefused) {
  image::ImageModel model = SmallModel();
  // The first two stubs swapped: ExitProgram's slot names RunMessageLoop's entry.
  SetSlot(model, kFirstStubSlot, 40);
  SetSlot(model, kFirstStubSlot + 8, 36);
  ImageBuffer image(BoundImage(model));
  const Status s = rt_.runtime().Load(image.bytes());
  ASSERT_FALSE(s.ok());
  EXPECT_EQ(s.message(),
            "image: stub 1 at code offset 104 is not the entry-point fixup of entry offset 36");
}

}  // namespace
}  // namespace pcshop::kernel::testing
