#pragma once
// Every routine the module image names, declared once from the generated
// list. The runtime calls each through its routine slot.

#include "image/app_symbols.h"
#include "image/calls/entry_points.h"

namespace pcshop::app {

#define PCSHOP_DECLARE_ROUTINE(name) void name(const calls::RoutineCall& call);
PCSHOP_IMAGE_ROUTINES(PCSHOP_DECLARE_ROUTINE)
#undef PCSHOP_DECLARE_ROUTINE

}  // namespace pcshop::app
