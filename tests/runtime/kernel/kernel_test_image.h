#pragma once
// Small module images for the kernel's tests, the runtime set up to record
// instead of ending the process, and a reader for what it wrote.

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "image/image_model.h"
#include "runtime/kernel/runtime.h"

namespace pcshop::kernel::testing {

// Code offsets of the small model's slots.
inline constexpr uint32_t kEntrySlot = 0;
inline constexpr uint32_t kExitSlot = 8;
inline constexpr uint32_t kEmptyTextSlot = 16;   // kind 1, const 0
inline constexpr uint32_t kTextSlot = 24;        // kind 1, "abc"
inline constexpr uint32_t kOneSlot = 32;         // kind 1, the double 1.0
inline constexpr uint32_t kVar0Slot = 40;        // kind 2, var slot 0
inline constexpr uint32_t kVar1Slot = 48;        // kind 2, var slot 1
inline constexpr uint32_t kExitRefSlot = 56;     // kind 3, the exit routine
inline constexpr uint32_t kWindowIdSlot = 64;    // group 0
inline constexpr uint32_t kControlIdSlot = 72;   // group 0
inline constexpr uint32_t kDllSlot = 80;         // group 1
inline constexpr uint32_t kLibrarySlot = 88;     // group 2
inline constexpr uint32_t kTypeSlot = 96;        // group 3
inline constexpr uint32_t kFirstStubSlot = 104;
inline constexpr uint32_t kTextConst = 9;        // const offset of "abc"

// One window (id 1, window record 11) with a button (id 12); DLL commands
// 0 GetSystemDirectoryA and 1 PathFileExistsA; the three libraries.
image::ImageModel SmallModel();
// The model's slot at `code_offset` set to `value` before writing.
void SetSlot(image::ImageModel& model, uint32_t code_offset, uint64_t value);
// WriteImage, which must succeed.
std::vector<uint8_t> Write(const image::ImageModel& model);

// An image's bytes in a 16-aligned block of their own.
class ImageBuffer {
 public:
  explicit ImageBuffer(std::span<const uint8_t> image);
  std::span<uint8_t> bytes() { return {data_.data() + offset_, size_}; }
  uint64_t CodeSlot(uint32_t code_offset) const;
  void SetCodeSlot(uint32_t code_offset, uint64_t value);

 private:
  std::vector<uint8_t> data_;
  size_t offset_ = 0;
  size_t size_ = 0;
  size_t code_offset_ = 0;  // of the code data in the image
};

// A Runtime whose ExitProgram records the code instead of ending the
// process, and whose notes go to a temporary file.
class RecordingRuntime {
 public:
  RecordingRuntime();
  ~RecordingRuntime();
  Runtime& runtime() { return *runtime_; }
  // Everything written to the error stream so far.
  std::string Errors() const;
  const std::vector<int32_t>& exit_codes() const { return exit_codes_; }

 private:
  std::FILE* errors_;
  std::vector<int32_t> exit_codes_;
  std::unique_ptr<Runtime> runtime_;
};

}  // namespace pcshop::kernel::testing
