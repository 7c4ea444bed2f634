#pragma once
// The sources mkimage generates for the executable: the symbols header that
// the application codes against, and the image embedded as a writable block.

#include <cstdint>
#include <span>
#include <string>

#include "tools/mkimage/image_builder.h"

namespace pcshop::mkimage {

// image/app_symbols.h: the code offset of every slot, and the routine list.
std::string SymbolsHeader(const SymbolTable& symbols);

// image/app_image.h: the accessor of the embedded image.
std::string ImageHeader();

// image/app_image.cpp: the marker, the size, padding, then the image bytes.
std::string ImageSource(std::span<const uint8_t> image);

}  // namespace pcshop::mkimage
