#pragma once
// The process's search indexes, one each for the catalogue and the customer
// register, shared by every window (process_state.h).

#include "app/process_state.h"

namespace pcshop::app {

inline ProductIndex& TheProductIndex(calls::Calls& rt) {
  return TheProcessState(rt).products;
}
inline NameIndex& TheNameIndex(calls::Calls& rt) {
  return TheProcessState(rt).names;
}

}  // namespace pcshop::app
