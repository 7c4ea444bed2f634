#include "launcher/image_placeholder.h"

namespace pcshop::launcher {
namespace {

// Writable, as the real image will be (the runtime applies fixups in place).
alignas(16) uint8_t g_image[64] = {kImagePlaceholderSignature[0], kImagePlaceholderSignature[1],
                                   kImagePlaceholderSignature[2], kImagePlaceholderSignature[3],
                                   kImagePlaceholderSignature[4], kImagePlaceholderSignature[5],
                                   kImagePlaceholderSignature[6], kImagePlaceholderSignature[7]};

}  // namespace

const void* ModuleImage() {
  return g_image;
}

}  // namespace pcshop::launcher
