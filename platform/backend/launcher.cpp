#include "platform/backend/launcher.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "platform/backend/headless_backend.h"
#include "platform/backend/options.h"
#include "platform/backend/sdl_backend.h"
#include "platform/clock/clock.h"
#include "platform/files/files.h"
#include "platform/store/object_store.h"
#include "platform/ui/desktop.h"

namespace tv::backend {

int RunProgram(int argc, char** argv, const ProgramInfo& program) {
  const std::string name(program.name);
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  const std::optional<Options> options = ParseOptions(args, error);
  if (!options) {
    std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", name.c_str(), error.c_str(), name.c_str());
    return 2;
  }
  if (options->help) {
    std::fputs(UsageText(program.name, program.description, program.open_screens_help).c_str(), stdout);
    return 0;
  }
  if (options->version) {
    std::printf("%s %.*s\n", name.c_str(), static_cast<int>(program.version.size()),
                program.version.data());
    return 0;
  }
  if (!options->device_root.empty()) files::SetDeviceRoot(options->device_root);
  if (files::DeviceRoot().empty()) {
    std::fprintf(stderr,
                 "%s: cannot find a place for the device's files: set HOME, XDG_DATA_HOME or "
                 "TERRAVUE_DEVICE_ROOT, or give --device-root DIR\n",
                 name.c_str());
    return 1;
  }
  if (!options->clock.empty()) clock::SetFixedUtc(clock::ParseIsoUtc(options->clock));
  if (program.register_resources != nullptr) program.register_resources();

  std::unique_ptr<ui::Backend> backend;
  HeadlessBackend* headless = nullptr;
  if (options->headless) {
    std::unique_ptr<std::istream> script;
    if (options->script == "-") {
      script = std::make_unique<std::istream>(std::cin.rdbuf());
    } else {
      auto file = std::make_unique<std::ifstream>(options->script);
      if (!*file) {
        std::fprintf(stderr, "%s: cannot read script %s\n", name.c_str(),
                     options->script.c_str());
        return 2;
      }
      script = std::move(file);
    }
    auto scripted = std::make_unique<HeadlessBackend>(
        std::move(script), options->script == "-" ? "stdin" : options->script,
        program.open_screen);
    headless = scripted.get();
    backend = std::move(scripted);
  } else {
    backend = SdlBackend::Create(std::string(program.title), options->scale, error);
    if (!backend) {
      std::fprintf(stderr, "%s: %s\n", name.c_str(), error.c_str());
      return 1;
    }
  }
  ui::Desktop desktop(*backend, options->display_depth == 24 ? gfx::PixelFormat::kRgb888
                                                             : gfx::PixelFormat::kRgb565);
  // Between events the record stores let go of their file, so that another
  // program (the uninstaller) can write while this one waits for input.
  desktop.AddIdleHook([] { store::ObjectStore::EndSharedReadTransactions(); });
  program.start();
  store::ObjectStore::CloseShared();
  // A script that goes on after the program has ended was not carried out
  // as written: say where it stopped rather than drop the rest silently.
  if (headless != nullptr && desktop.ExitCode() == 0 && headless->ReportCommandsLeft()) return 2;
  return desktop.ExitCode();
}

}  // namespace tv::backend
