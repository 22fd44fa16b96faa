#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/backend.h"

namespace tv::backend {

// A real window showing the display at an integer scale. The mouse acts as
// the stylus (positions divided by the scale), the keyboard as the
// handheld's keys, and the window's close button quits.
class SdlBackend : public ui::Backend {
 public:
  // Returns null (with `error` set) when no window can be opened.
  static std::unique_ptr<SdlBackend> Create(const std::string& title, int scale,
                                            std::string& error);
  ~SdlBackend() override;

  ui::Event WaitEvent() override;
  bool WaitEventUntil(std::chrono::milliseconds deadline, ui::Event& event) override;
  bool PollEvent(ui::Event& event) override;
  void Present(const gfx::Bitmap& frame) override;
  void SetIcon(const gfx::Bitmap& icon) override;
  // What the window shows now, at its scaled size.
  std::optional<gfx::Bitmap> CaptureWindow();
  int Scale() const;
  // Makes the window `steps` whole scales larger (smaller when negative),
  // within --scale's range, as Ctrl+plus and Ctrl+minus do.
  void StepScale(int steps);

 private:
  struct Impl;
  explicit SdlBackend(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace tv::backend
