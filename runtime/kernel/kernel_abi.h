#pragma once
// The contract between the launcher and the kernel library, on a native
// 64-bit build: GetRuntimeEntry takes the 32-bit number 1000 and returns the
// runtime entry (or null); the entry takes the address of the module image.

#include <cstdint>

namespace pcshop::kernel {

inline constexpr int32_t kInterfaceVersion = 1000;
inline constexpr const char* kGetRuntimeEntryName = "GetRuntimeEntry";

using RuntimeEntry = int32_t (*)(const void* image);
using GetRuntimeEntryFn = RuntimeEntry (*)(int32_t version);

}  // namespace pcshop::kernel
