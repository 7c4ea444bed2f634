#pragma once
// The module image handed to the runtime entry. Until the image builder
// exists this is a small placeholder block: it begins with an 8-byte
// signature so that a test kernel can tell it got the right address.

#include <array>
#include <cstdint>

namespace pcshop::launcher {

inline constexpr std::array<uint8_t, 8> kImagePlaceholderSignature = {'P', 'C', 'S', 'H',
                                                                      'I', 'M', 'G', 0x01};

// The address of the first byte of the module image; the same for the
// lifetime of the process.
const void* ModuleImage();

}  // namespace pcshop::launcher
