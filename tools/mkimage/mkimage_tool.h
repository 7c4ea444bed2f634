#pragma once
// The whole tool as a library call: read forms/, build the image, write the
// image and the generated sources. main() only parses the command line.

#include <filesystem>
#include <vector>

#include "base/status.h"
#include "tools/mkimage/app_sources.h"

namespace pcshop::mkimage {

struct MkimageOptions {
  std::vector<std::filesystem::path> window_files;  // window ids follow this order
  std::filesystem::path texts_file;
  std::filesystem::path skin_file;
  std::filesystem::path out_dir;  // receives image/app_symbols.h, app_image.{h,cpp,bin}
};

[[nodiscard]] Result<AppSources> LoadAppSources(const MkimageOptions& options);
[[nodiscard]] Status RunMkimage(const MkimageOptions& options);

}  // namespace pcshop::mkimage
