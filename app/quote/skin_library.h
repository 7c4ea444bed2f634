#pragma once
// The skin library "SkinMV.dll": finding it, deploying it into the system
// folder and handing it the application's skin. Every failure here is silent:
// without the library the program runs unskinned.

#include <cstdint>

#include "image/calls/calls.h"

namespace pcshop::app {

// Sets the skin library path: `preferred` (normalized) when a file exists
// there, else the program folder's copy, else -- checked last, so it wins --
// the system folder's copy.
void LocateSkinLibrary(calls::Calls& rt, const char* preferred);

// Whether `function` of the library at the skin library path can be bound;
// binds it when it can.
bool SkinFunctionAvailable(calls::Calls& rt, const char* function);

// Hands `skin` (a binary value) to SkinAttachRes; true when the library took
// it. The binding is released afterwards.
bool AttachSkin(calls::Calls& rt, const void* skin, const char* text, int32_t a, int32_t b,
                int32_t c);

// Copies the library into the system folder when it is not there yet, then
// attaches the skin, retrying once.
void DeployAndAttachSkin(calls::Calls& rt);

}  // namespace pcshop::app
