#pragma once
// A small valid image model for the image format's tests and fuzz seeds, and
// the image offsets of the fields the tests damage.

#include <cstdint>
#include <vector>

#include "image/image_format.h"
#include "image/image_model.h"

namespace pcshop::image::testing {

// Two windows with controls of every kind the application uses, bindings,
// fixups of each kind, id slots of each group and the twelve stubs.
ImageModel SmallModel();
// A model with one window that holds only its own record and no fixups.
ImageModel BareModel();
// WriteImage(model), which must succeed.
std::vector<uint8_t> Write(const ImageModel& model);

// Code offsets of the small model's slots.
inline constexpr uint32_t kEntrySlot = 0;
inline constexpr uint32_t kExitRoutineSlot = 8;
inline constexpr uint32_t kHandlerSlot = 16;
inline constexpr uint32_t kFirstStubSlot = 96;

// Image offsets of fields inside a valid image.
class ImageFields {
 public:
  explicit ImageFields(std::vector<uint8_t> image);
  uint64_t SectionHeader(format::Section s) const { return view_.sections[s].header_offset; }
  uint64_t SectionField(format::Section s, uint32_t field) const {
    return SectionHeader(s) + field;
  }
  uint64_t SectionData(format::Section s) const { return view_.sections[s].data_offset; }
  uint32_t SectionDataSize(format::Section s) const { return view_.sections[s].data_size; }
  uint64_t FixupWord(uint32_t i) const {
    return SectionHeader(format::kCode) + format::kSectionHeaderSize + 4ull * i;
  }
  // Header of window block w (from 0).
  uint64_t BlockHeader(uint32_t w) const;
  uint64_t BlockField(uint32_t w, uint32_t field) const { return BlockHeader(w) + field; }

 private:
  std::vector<uint8_t> image_;
  ImageView view_;
};

uint32_t Get32(const std::vector<uint8_t>& image, uint64_t at);
void Set32(std::vector<uint8_t>& image, uint64_t at, uint32_t value);

}  // namespace pcshop::image::testing
