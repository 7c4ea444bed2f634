#pragma once
// The "Error" box that both layers show when the program cannot go on: the
// launcher for its faults, the runtime for a module image it refuses. The
// caller has already put the reason on standard error.

#include <string_view>

namespace pcshop {

// The failure code of both layers, also used when no box can be shown.
inline constexpr int kErrorBoxExitCode = 1;

// Shows `message` (UTF-8) in a modal box captioned "Error" with the critical
// icon when there is a display (Qt's offscreen platform counts as none: no
// one could close the box there). Makes the application object when there
// is none yet. Qt's own remarks are dropped; a display Qt cannot reach ends
// the process with kErrorBoxExitCode.
void ShowErrorBox(std::string_view message);

}  // namespace pcshop
