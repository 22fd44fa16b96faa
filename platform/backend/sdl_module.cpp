// The entry point of the window backend's module. The programs open this
// module only when they open a real window, so that SDL and the libraries it
// brings are never loaded by headless runs.
#include "platform/backend/sdl_module.h"

#include "platform/backend/sdl_backend.h"

extern "C" __attribute__((visibility("default"))) tv::ui::Backend* TvCreateSdlBackend(
    const char* title, int scale, std::string* error) {
  return tv::backend::SdlBackend::Create(title, scale, *error).release();
}
