#pragma once

#include <string>

#include "platform/ui/backend.h"

// The one symbol the launcher looks up in the window backend's module: it
// opens a window and returns its backend (owned by the caller), or null with
// `error` set. Both sides come from the same build, so C++ types cross it.
extern "C" tv::ui::Backend* TvCreateSdlBackend(const char* title, int scale, std::string* error);
using TvCreateSdlBackendFunction = decltype(&TvCreateSdlBackend);

inline constexpr const char* kSdlModuleName = "terravue-sdl.so";
inline constexpr const char* kSdlModuleEntry = "TvCreateSdlBackend";
