#pragma once
// The application's facade over the runtime for one routine call, with the
// image's own empty text and empty binary value standing in for null ones.

#include "image/app_symbols.h"
#include "image/calls/calls.h"

namespace pcshop::app {

inline calls::Calls AppCalls(const calls::RoutineCall& call) {
  calls::Calls bare(call);
  return calls::Calls(call, {bare.ConstText(sym::text::kEmpty),
                             bare.ConstBinary(sym::binary::kEmpty)});
}

}  // namespace pcshop::app
