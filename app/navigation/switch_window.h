#pragma once
// Moving between the windows: exactly one is open at any time.

#include <cstdint>

#include "image/calls/calls.h"

namespace pcshop::app {

// Opens `target` (non-modal, no owner), then closes `source`. Nothing may
// touch the source afterwards: its handler is the one running.
void SwitchWindow(calls::Calls& rt, uint32_t target, uint32_t source);

}  // namespace pcshop::app
