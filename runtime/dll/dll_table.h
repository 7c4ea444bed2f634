#pragma once
// Resolution of the DLL-command table: a (library, function) pair as the
// application declares it maps to the runtime's own implementation and to the
// number of arguments that function takes. The call interface uses the count
// to tell a call that moved the stack (fault 6) from a good one.
//
// Library names match without regard to case, with or without ".dll"
// ("kernel32" and "kernel32.dll" are one library); function names match
// exactly, as the system's loader does. A function the application binds at
// run time (the skin library's) is not here: see DllBindings.

#include <cstdint>
#include <string_view>

#include "base/status.h"

namespace pcshop::dll {

// One argument or result word of a native call; addresses fill it whole.
using NativeWord = std::uintptr_t;
// Calls the implementation with exactly `argument_count` words.
using NativeThunk = NativeWord (*)(const NativeWord* arguments);

class ListControls;
// A function that answers for the runtime's windows (SendMessageA): the
// runtime passes the list controls it installed.
using ListThunk = NativeWord (*)(const ListControls& lists, const NativeWord* arguments);

struct DllFunction {
  std::string_view library;   // without ".dll", lower case
  std::string_view function;
  uint32_t argument_count;
  NativeThunk call;
  ListThunk list_call = nullptr;  // set instead of `call` for window messages
};

// The implementation, or NotFound for a pair the runtime does not supply.
[[nodiscard]] Result<DllFunction> ResolveDllFunction(std::string_view library,
                                                     std::string_view function);

}  // namespace pcshop::dll
