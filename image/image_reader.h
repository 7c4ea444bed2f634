#pragma once
// Reads and validates a module image (layout in image_format.h). Every
// offset, size and count is checked before it is used: a damaged image gives
// one Corruption status whose message names what is wrong, never a read
// outside the image. Messages count windows and records from 1.

#include <cstdint>
#include <span>

#include "image/image_view.h"
#include "base/status.h"

namespace pcshop::image {

// Where a damaged image was caught: the image offset the check looked at and
// the reader's source line, for the dumper and for fuzz findings.
struct ReadFault {
  uint64_t image_offset = 0;
  uint32_t reader_line = 0;
};

// The view's `bytes` is `image`; the caller keeps the image alive.
[[nodiscard]] Result<ImageView> ReadImage(std::span<uint8_t> image);
[[nodiscard]] Result<ImageView> ReadImage(std::span<uint8_t> image, ReadFault* fault);

// The image embedded in an executable (marker, size, padding, image; see
// image_format.h). NotFound when the file holds no marker at all.
[[nodiscard]] Result<std::span<uint8_t>> FindEmbeddedImage(std::span<uint8_t> file);

}  // namespace pcshop::image
