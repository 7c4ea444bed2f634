#pragma once
// The text functions of the DLL-command table. They work on zero-terminated
// GBK byte strings in the caller's buffers, as the native call interface
// hands them over.

#include <cstdint>
#include <string>
#include <string_view>

namespace pcshop::dll {

// Removes leading and trailing spaces in place. Only 0x20 counts, which is
// never part of a two-byte GBK character. A null text is left alone.
void PathRemoveBlanksA(char* text);

// Copies at most `max_length` - 1 bytes of `src` and a terminator into `dest`
// and returns `dest`. A `max_length` of 0 (or less) copies nothing and returns
// `dest`. When the text has to be cut and the cut would fall inside a
// two-byte GBK character, that character is left out whole (one byte less
// than Win32 copies); ASCII text gives exactly the Win32 result. A null `dest`
// or `src` with something to copy is a failure: nullptr.
char* lstrcpyn(char* dest, const char* src, int32_t max_length);

// PathRemoveBlanksA on a copy.
[[nodiscard]] std::string RemoveBlanks(std::string_view text);

}  // namespace pcshop::dll
