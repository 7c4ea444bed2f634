#pragma once
// Binding a read module image to this runtime: the checks that must pass
// before anything in the image changes, and the in-place patching itself.

#include <cstdint>
#include <span>

#include "image/calls/entry_points.h"
#include "image/image_view.h"
#include "base/status.h"

namespace pcshop::kernel {

// Refuses, with a message naming the slot, an image that
// - does not end its code data with the twelve entry-point stubs in order,
// - has an entry routine slot of 0 (ImageEntry not bound),
// - holds an id the runtime does not know: a window or control id that the
//   form section does not define, a DLL-command index of no declared
//   command, a library number that is not a support library of the library
//   list, or an unknown type identifier.
[[nodiscard]] Status CheckImageBinding(const image::ImageView& view);

// Applies every address fixup (kind 0: the entry's address in `entries`;
// 1: const data; 2: `var_area`; 3: code data) and maps the id slots to the
// runtime's numbering, which on this runtime is the form's and the image's
// own. Call only after CheckImageBinding and the reader's checks passed.
void ApplyImageBinding(const image::ImageView& view, const calls::EntryTable& entries,
                       std::span<uint64_t> var_area);

// The code data of a read image.
std::span<uint8_t> CodeData(const image::ImageView& view);

}  // namespace pcshop::kernel
