// pcshop_mkimage --out DIR --texts texts.json --skin skin.qss WINDOW.json...
// Builds the module image from forms/ and writes it with its generated sources.
#include <cstdio>
#include <string_view>

#include "tools/mkimage/mkimage_tool.h"

int main(int argc, char** argv) {
  pcshop::mkimage::MkimageOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--out" && has_value) {
      options.out_dir = argv[++i];
    } else if (arg == "--texts" && has_value) {
      options.texts_file = argv[++i];
    } else if (arg == "--skin" && has_value) {
      options.skin_file = argv[++i];
    } else if (!arg.starts_with("--")) {
      options.window_files.emplace_back(arg);
    } else {
      std::fprintf(stderr, "pcshop_mkimage: unknown option %s\n", argv[i]);
      return 2;
    }
  }
  if (options.out_dir.empty() || options.texts_file.empty() || options.skin_file.empty() ||
      options.window_files.empty()) {
    std::fprintf(stderr,
                 "usage: pcshop_mkimage --out DIR --texts texts.json --skin skin.qss "
                 "WINDOW.json...\n");
    return 2;
  }
  const pcshop::Status status = pcshop::mkimage::RunMkimage(options);
  if (!status.ok()) {
    std::fprintf(stderr, "pcshop_mkimage: %s\n", status.message().c_str());
    return 1;
  }
  return 0;
}
