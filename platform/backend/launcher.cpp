#include "platform/backend/launcher.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "platform/backend/headless_backend.h"
#include "platform/backend/options.h"
#ifdef __EMSCRIPTEN__
#include <emscripten.h>

#include "platform/backend/html5_backend.h"
#else
#include <dlfcn.h>

#include "platform/backend/sdl_module.h"
#endif
#include "platform/clock/clock.h"
#include "platform/files/files.h"
#include "platform/store/object_store.h"
#include "platform/ui/desktop.h"

namespace tv::backend {

#ifdef __EMSCRIPTEN__
namespace {

// In a page the device root is the browser's storage; the installation
// files bundled with the page are placed by the program's first start.
constexpr const char* kPageDeviceRoot = "/device";
constexpr const char* kPageCanvas = "#canvas";
// The maps and the fonts other than the system font's stay on the page's
// server, in folders of these names beside the page, until first opened.
constexpr const char* kPageMapsFolder = "Terravue Maps";
constexpr const char* kPageFontsFolder = "/fonts";
constexpr const char* kPageFontsAddress = "fonts";

EM_JS(int, InWebPage, (), { return (typeof window !== 'undefined' && typeof document !== 'undefined') ? 1 : 0; });

}  // namespace
#else
namespace {

// Opens a real window through the window backend's module, looked for beside
// the program and then in the package's library folder. Only absolute paths
// are opened, so the library search path plays no part.
std::unique_ptr<ui::Backend> OpenWindow(const std::string& title, int scale, std::string& error) {
  // Checked before the module is loaded: without a display SDL falls back to
  // its offscreen driver and the program would run where nobody sees it. A
  // driver named on purpose is honoured.
  auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
  };
  if (!set("DISPLAY") && !set("WAYLAND_DISPLAY") && !set("SDL_VIDEODRIVER")) {
    error = "no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); "
            "use --headless --script FILE to run without one";
    return nullptr;
  }
  const std::filesystem::path folder = files::ProgramFolder();
  std::string tried;
  for (const std::filesystem::path& path :
       {folder / kSdlModuleName,
        (folder / TERRAVUE_MODULE_FROM_BIN / kSdlModuleName).lexically_normal()}) {
    // The module stays loaded for the rest of the process: the backend's code
    // lives in it.
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
      if (std::error_code ignored; !std::filesystem::exists(path, ignored)) {
        tried += tried.empty() ? path.string() : " or " + path.string();
        continue;
      }
      error = std::string("cannot load the window backend: ") + dlerror();
      return nullptr;
    }
    auto create = reinterpret_cast<TvCreateSdlBackendFunction>(dlsym(module, kSdlModuleEntry));
    if (create == nullptr) {
      error = "cannot load the window backend: " + path.string() + " has no " + kSdlModuleEntry;
      return nullptr;
    }
    return std::unique_ptr<ui::Backend>(create(title.c_str(), scale, &error));
  }
  error = "cannot load the window backend: " + std::string(kSdlModuleName) +
          " is not installed (looked for " + tried + "); use --headless --script FILE to run "
          "without a window";
  return nullptr;
}

}  // namespace
#endif

int RunProgram(int argc, char** argv, const ProgramInfo& program) {
  const std::string name(program.name);
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
#ifdef __EMSCRIPTEN__
  // A page has no command line: the options come from its address.
  const bool in_page = InWebPage() != 0;
  if (in_page) {
    auto page_args = ArgumentsFromPageQuery(PageQuery(), error);
    if (!page_args) {
      ShowPageMessage(name + ": " + error);
      return 2;
    }
    args = std::move(*page_args);
  }
#endif
  const std::optional<Options> options = ParseOptions(args, error);
  if (!options) {
#ifdef __EMSCRIPTEN__
    if (in_page) {
      ShowPageMessage(name + ": " + error);
      return 2;
    }
#endif
    std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", name.c_str(), error.c_str(), name.c_str());
    return 2;
  }
  if (options->help) {
    std::fputs(UsageText(program.name, program.description, program.open_screens_help,
                         program.own_options_help).c_str(), stdout);
    return 0;
  }
  if (options->version) {
    std::printf("%s %.*s\n", name.c_str(), static_cast<int>(program.version.size()),
                program.version.data());
    return 0;
  }
  if (!options->device_root.empty()) files::SetDeviceRoot(options->device_root);
#ifdef __EMSCRIPTEN__
  if (in_page) {
    if (!MountDeviceStorage(kPageDeviceRoot)) {
      ShowPageMessage("This browser keeps no files for the page: changes last until it is closed.");
    }
    files::SetDeviceRoot(std::filesystem::path(kPageDeviceRoot));
    files::FetchFolderOnDemand(files::ProgramFolder() / kPageMapsFolder, kPageMapsFolder,
                               {".gif", ".gfw", ".prj"});
    files::FetchFolderOnDemand(kPageFontsFolder, kPageFontsAddress);
  }
#endif
  if (files::DeviceRoot().empty()) {
    std::fprintf(stderr,
                 "%s: cannot find a place for the device's files: set HOME, XDG_DATA_HOME or "
                 "TERRAVUE_DEVICE_ROOT, or give --device-root DIR\n",
                 name.c_str());
    return 1;
  }
  // A file where the device's folder should be would leave the program
  // running without its databases and unable to make them.
  if (std::error_code ignored; std::filesystem::exists(files::DeviceRoot(), ignored) &&
                               !std::filesystem::is_directory(files::DeviceRoot(), ignored)) {
    std::fprintf(stderr, "%s: the device root %s is not a folder\n", name.c_str(),
                 files::DeviceRoot().c_str());
    return options->device_root.empty() ? 1 : 2;
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
      // A folder opens like a file on Linux but reads as nothing.
      if (!*file || std::filesystem::is_directory(options->script)) {
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
#ifdef __EMSCRIPTEN__
    if (!in_page) {
      std::fprintf(stderr, "%s: there is no display here: use --headless --script FILE\n",
                   name.c_str());
      return 1;
    }
    backend = std::make_unique<Html5Backend>(kPageCanvas, options->scale);
#else
    backend = OpenWindow(std::string(program.title), options->scale, error);
    if (!backend) {
      std::fprintf(stderr, "%s: %s\n", name.c_str(), error.c_str());
      return 1;
    }
#endif
  }
  ui::Desktop desktop(*backend, options->display_depth == 24 ? gfx::PixelFormat::kRgb888
                                                             : gfx::PixelFormat::kRgb565);
  // Only a script can ask for the texts drawn (dump); a window keeps none.
  desktop.RecordTexts(headless != nullptr);
  // Between events the record stores let go of their file, so that another
  // program (the uninstaller) can write while this one waits for input.
  desktop.AddIdleHook([] { store::ObjectStore::EndSharedReadTransactions(); });
#ifdef __EMSCRIPTEN__
  // The browser keeps the files only once they are saved to its storage:
  // after the import and after every change, whenever the program waits.
  if (in_page) desktop.AddIdleHook([] { SaveDeviceStorage(kPageDeviceRoot); });
#endif
  program.start();
  store::ObjectStore::CloseShared();
#ifdef __EMSCRIPTEN__
  if (in_page) SaveDeviceStorage(kPageDeviceRoot);
#endif
  // A script that goes on after the program has ended was not carried out
  // as written: say where it stopped rather than drop the rest silently.
  if (headless != nullptr && desktop.ExitCode() == 0 && headless->ReportCommandsLeft()) return 2;
  return desktop.ExitCode();
}

}  // namespace tv::backend
