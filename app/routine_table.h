#pragma once
// Binding the application's routines into its module image before the
// hand-off: each routine slot gets the routine's native address, or 0 for a
// routine whose behaviour is not built yet (the runtime treats a 0 slot as
// "no handler").

#include <cstdint>
#include <span>

#include "base/status.h"

namespace pcshop::app {

// Writes every routine's address into its slot of `image` (a module image
// that has not been handed to the runtime yet). Refuses an image the reader
// refuses, or whose code data has no room for the generated slots.
[[nodiscard]] Status BindRoutines(std::span<uint8_t> image);

// How many routines of the image have an implementation in this build.
size_t BoundRoutineCount();

}  // namespace pcshop::app
