#pragma once
// The image dumper's work, apart from main(): prints a module image for
// people (header, libraries, DLL commands, sections, fixups, id groups,
// windows with their controls and bindings), texts in UTF-8.

#include <filesystem>
#include <ostream>

#include "image/image_view.h"

namespace pcshop::imgdump {

void DumpImage(const image::ImageView& view, std::ostream& out);

// Reads FILE (a raw image or an executable that embeds one) and dumps it to
// `out`; a damaged image gives the reader's message on `err`. The exit code.
int RunImgdump(const std::filesystem::path& file, std::ostream& out, std::ostream& err);

}  // namespace pcshop::imgdump
