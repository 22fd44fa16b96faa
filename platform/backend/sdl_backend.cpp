#include "platform/backend/sdl_backend.h"

#include <SDL.h>

#include <algorithm>
#include <vector>

#include "platform/backend/options.h"
#include "platform/base/utf.h"
#include "platform/ui/desktop.h"

namespace tv::backend {

struct SdlBackend::Impl {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  int scale = 2;
  bool pen_down = false;
  std::vector<uint32_t> pixels;

  ~Impl() {
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  gfx::Point ToStylus(int x, int y) const { return {x / scale, y / scale}; }

  // Resizes the window to `new_scale` (kept within the options' range) and
  // shows the last frame at that size.
  void SetScale(int new_scale) {
    new_scale = std::clamp(new_scale, kMinScale, kMaxScale);
    if (new_scale == scale) return;
    scale = new_scale;
    SDL_SetWindowSize(window, ui::kDisplayWidth * scale, ui::kDisplayHeight * scale);
    Redraw();
  }

  void Redraw() {
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    SDL_RenderPresent(renderer);
  }

  // Ctrl+plus (also Ctrl+= on keyboards whose plus needs Shift) and
  // Ctrl+minus zoom the window a whole step, as desktop viewers do.
  bool Zoom(const SDL_Keysym& keysym) {
    if ((keysym.mod & KMOD_CTRL) == 0) return false;
    switch (keysym.sym) {
      case SDLK_PLUS:
      case SDLK_EQUALS:
      case SDLK_KP_PLUS: SetScale(scale + 1); return true;
      case SDLK_MINUS:
      case SDLK_KP_MINUS: SetScale(scale - 1); return true;
      default: return false;
    }
  }

  // Translates one SDL event; returns false for events the program ignores.
  bool Translate(const SDL_Event& e, ui::Event& out) {
    switch (e.type) {
      case SDL_QUIT:
        out = ui::Event::Quit();
        return true;
      case SDL_MOUSEBUTTONDOWN:
        if (e.button.button != SDL_BUTTON_LEFT) return false;
        pen_down = true;
        out = ui::Event::Pen(ui::Event::Type::kPenDown, ToStylus(e.button.x, e.button.y));
        return true;
      case SDL_MOUSEBUTTONUP:
        if (e.button.button != SDL_BUTTON_LEFT || !pen_down) return false;
        pen_down = false;
        out = ui::Event::Pen(ui::Event::Type::kPenUp, ToStylus(e.button.x, e.button.y));
        return true;
      case SDL_MOUSEMOTION:
        if (!pen_down) return false;
        out = ui::Event::Pen(ui::Event::Type::kPenMove, ToStylus(e.motion.x, e.motion.y));
        return true;
      case SDL_MOUSEWHEEL: {
        // SDL counts away from the user; the program counts towards.
        const int notches = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? e.wheel.y : -e.wheel.y;
        if (notches == 0) return false;
        int x = 0;
        int y = 0;
        SDL_GetMouseState(&x, &y);
        out = ui::Event::Wheel(ToStylus(x, y), notches);
        return true;
      }
      case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_EXPOSED ||
            e.window.event == SDL_WINDOWEVENT_RESTORED ||
            e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
          out = ui::Event{};
          return true;
        }
        return false;
      case SDL_KEYDOWN: {
        if (Zoom(e.key.keysym)) return false;
        ui::Key key = ui::Key::kNone;
        switch (e.key.keysym.sym) {
          case SDLK_ESCAPE: key = ui::Key::kEscape; break;
          case SDLK_RETURN:
          case SDLK_KP_ENTER: key = ui::Key::kReturn; break;
          case SDLK_UP: key = ui::Key::kUp; break;
          case SDLK_DOWN: key = ui::Key::kDown; break;
          case SDLK_LEFT:
            key = (e.key.keysym.mod & KMOD_CTRL) ? ui::Key::kCtrlLeft : ui::Key::kLeft;
            break;
          case SDLK_RIGHT:
            key = (e.key.keysym.mod & KMOD_CTRL) ? ui::Key::kCtrlRight : ui::Key::kRight;
            break;
          case SDLK_F10: key = ui::Key::kF10; break;
          case SDLK_LALT:
          case SDLK_RALT: key = ui::Key::kAlt; break;
          case SDLK_TAB:
            key = (e.key.keysym.mod & KMOD_SHIFT) ? ui::Key::kBackTab : ui::Key::kTab;
            break;
          case SDLK_PAGEUP: key = ui::Key::kPageUp; break;
          case SDLK_PAGEDOWN: key = ui::Key::kPageDown; break;
          case SDLK_HOME: key = ui::Key::kHome; break;
          case SDLK_END: key = ui::Key::kEnd; break;
          case SDLK_SPACE: key = ui::Key::kSpace; break;
          default: return false;
        }
        out = ui::Event::KeyPress(key);
        return true;
      }
      case SDL_TEXTINPUT: {
        // Letters as the keyboard's layout made them; Ctrl and Alt chords
        // are not text.
        if ((SDL_GetModState() & (KMOD_CTRL | KMOD_ALT)) != 0 || e.text.text[0] == '\0') {
          return false;
        }
        out = ui::Event::Text(Utf8ToUtf16(e.text.text));
        return true;
      }
      default:
        return false;
    }
  }
};

SdlBackend::SdlBackend(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
SdlBackend::~SdlBackend() = default;

std::unique_ptr<SdlBackend> SdlBackend::Create(const std::string& title, int scale,
                                               std::string& error) {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    error = std::string("cannot open a window: ") + SDL_GetError();
    return nullptr;
  }
  auto impl = std::make_unique<Impl>();
  // Without a scale asked for, the largest whose window fits the part of the
  // screen windows may take; the title bar and borders are known only once
  // the window is open, so the scale is checked again then.
  SDL_Rect usable{0, 0, 0, 0};
  const bool fit = scale <= 0;
  const bool known = fit && SDL_GetDisplayUsableBounds(0, &usable) == 0;
  if (fit) scale = known ? FitScale(usable.w, usable.h) : 2;
  impl->scale = scale;
  impl->window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                  ui::kDisplayWidth * scale, ui::kDisplayHeight * scale, 0);
  int top = 0;
  int left = 0;
  int bottom = 0;
  int right = 0;
  if (known && impl->window != nullptr &&
      SDL_GetWindowBordersSize(impl->window, &top, &left, &bottom, &right) == 0) {
    const int framed = FitScale(usable.w, usable.h, left + right, top + bottom);
    if (framed != scale) {
      impl->scale = framed;
      SDL_SetWindowSize(impl->window, ui::kDisplayWidth * framed, ui::kDisplayHeight * framed);
      SDL_SetWindowPosition(impl->window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }
  }
  if (impl->window != nullptr) {
    impl->renderer = SDL_CreateRenderer(impl->window, -1, 0);
    if (impl->renderer == nullptr) {
      impl->renderer = SDL_CreateRenderer(impl->window, -1, SDL_RENDERER_SOFTWARE);
    }
  }
  if (impl->renderer != nullptr) {
    impl->texture = SDL_CreateTexture(impl->renderer, SDL_PIXELFORMAT_ARGB8888,
                                      SDL_TEXTUREACCESS_STREAMING, ui::kDisplayWidth,
                                      ui::kDisplayHeight);
  }
  if (impl->texture == nullptr) {
    error = std::string("cannot open a window: ") + SDL_GetError();
    return nullptr;
  }
  // Typed letters arrive as text events (the lists find items by them).
  SDL_StartTextInput();
  impl->pixels.resize(static_cast<size_t>(ui::kDisplayWidth) * ui::kDisplayHeight);
  return std::unique_ptr<SdlBackend>(new SdlBackend(std::move(impl)));
}

ui::Event SdlBackend::WaitEvent() {
  SDL_Event e;
  ui::Event out;
  while (SDL_WaitEvent(&e) != 0) {
    if (impl_->Translate(e, out)) return out;
  }
  return ui::Event::Quit();
}

bool SdlBackend::WaitEventUntil(std::chrono::milliseconds deadline, ui::Event& event) {
  SDL_Event e;
  for (;;) {
    const auto left = (deadline - Now()).count();
    if (left <= 0) return false;
    const int timeout = static_cast<int>(std::min<long long>(left, 1 << 30));
    if (SDL_WaitEventTimeout(&e, timeout) != 0 && impl_->Translate(e, event)) return true;
  }
}

bool SdlBackend::PollEvent(ui::Event& event) {
  SDL_Event e;
  while (SDL_PollEvent(&e) != 0) {
    if (impl_->Translate(e, event)) return true;
  }
  return false;
}

void SdlBackend::Present(const gfx::Bitmap& frame) {
  uint32_t* out = impl_->pixels.data();
  for (int y = 0; y < frame.Height(); ++y) {
    for (int x = 0; x < frame.Width(); ++x) {
      const gfx::Color c = frame.Load(x, y);
      *out++ = 0xFF000000u | (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b;
    }
  }
  SDL_UpdateTexture(impl_->texture, nullptr, impl_->pixels.data(),
                    ui::kDisplayWidth * static_cast<int>(sizeof(uint32_t)));
  impl_->Redraw();
}

int SdlBackend::Scale() const { return impl_->scale; }

void SdlBackend::StepScale(int steps) { impl_->SetScale(impl_->scale + steps); }

std::optional<gfx::Bitmap> SdlBackend::CaptureWindow() {
  int width = 0;
  int height = 0;
  if (SDL_GetRendererOutputSize(impl_->renderer, &width, &height) != 0) return std::nullopt;
  // Reading the back buffer after a present is undefined, so draw the last
  // frame again first.
  SDL_RenderClear(impl_->renderer);
  SDL_RenderCopy(impl_->renderer, impl_->texture, nullptr, nullptr);
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  if (SDL_RenderReadPixels(impl_->renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(),
                           width * 4) != 0) {
    return std::nullopt;
  }
  gfx::Bitmap bitmap(width, height, gfx::PixelFormat::kRgb888);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t v = pixels[static_cast<size_t>(y) * width + x];
      bitmap.Store(x, y, {static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
                          static_cast<uint8_t>(v)});
    }
  }
  return bitmap;
}

void SdlBackend::SetIcon(const gfx::Bitmap& icon) {
  std::vector<uint32_t> pixels;
  pixels.reserve(static_cast<size_t>(icon.Width()) * icon.Height());
  for (int y = 0; y < icon.Height(); ++y) {
    for (int x = 0; x < icon.Width(); ++x) {
      const gfx::Color c = icon.Load(x, y);
      pixels.push_back(0xFF000000u | (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b);
    }
  }
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
      pixels.data(), icon.Width(), icon.Height(), 32, icon.Width() * 4, SDL_PIXELFORMAT_ARGB8888);
  if (surface == nullptr) return;
  SDL_SetWindowIcon(impl_->window, surface);
  SDL_FreeSurface(surface);
}

}  // namespace tv::backend
