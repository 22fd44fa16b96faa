#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/options.h"
#include "app/terravue_app.h"
#include "platform/backend/headless_backend.h"
#include "platform/backend/sdl_backend.h"
#include "platform/ui/desktop.h"

void RegisterTerravueResources();

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  const std::optional<terravue::Options> options = terravue::ParseOptions(args, error);
  if (!options) {
    std::fprintf(stderr, "terravue: %s\nTry 'terravue --help'.\n", error.c_str());
    return 2;
  }
  if (options->help) {
    std::fputs(terravue::UsageText().c_str(), stdout);
    return 0;
  }
  if (options->version) {
    std::puts("terravue " TERRAVUE_VERSION);
    return 0;
  }
  RegisterTerravueResources();

  std::unique_ptr<tv::ui::Backend> backend;
  if (options->headless) {
    std::unique_ptr<std::istream> script;
    if (options->script == "-") {
      script = std::make_unique<std::istream>(std::cin.rdbuf());
    } else {
      auto file = std::make_unique<std::ifstream>(options->script);
      if (!*file) {
        std::fprintf(stderr, "terravue: cannot read script %s\n", options->script.c_str());
        return 2;
      }
      script = std::move(file);
    }
    backend = std::make_unique<tv::backend::HeadlessBackend>(
        std::move(script), options->script == "-" ? "stdin" : options->script);
  } else {
    backend = tv::backend::SdlBackend::Create("Terravue", options->scale, error);
    if (!backend) {
      std::fprintf(stderr, "terravue: %s\n", error.c_str());
      return 1;
    }
  }
  tv::ui::Desktop desktop(*backend, options->display_depth == 24 ? tv::gfx::PixelFormat::kRgb888
                                                                 : tv::gfx::PixelFormat::kRgb565);
  terravue::TerravueApp app;
  app.InitInstance();
  return desktop.ExitCode();
}
