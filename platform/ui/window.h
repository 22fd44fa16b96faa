#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/canvas.h"
#include "platform/gfx/geometry.h"
#include "platform/ui/event.h"

namespace tv::ui {

class Desktop;

// A window: a rectangle of the display with children, an invalid area and
// handlers. Top-level windows (screens, message boxes, pop-up lists) are
// placed in display coordinates; children in their parent's client
// coordinates. Every event reaches a window through the Desktop, which calls
// the protected handlers below.
class Window {
 public:
  Window();
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  int Id() const { return id_; }
  void SetId(int id) { id_ = id; }
  Window* Parent() const { return parent_; }

  const gfx::Rect& Frame() const { return frame_; }
  void SetFrame(const gfx::Rect& frame);
  gfx::Rect ClientRect() const { return {0, 0, frame_.Width(), frame_.Height()}; }
  // The display position of the client area's top-left corner.
  gfx::Point ScreenOrigin() const;
  gfx::Rect ScreenRect() const;

  bool IsVisible() const { return visible_; }
  // Visible, and every ancestor visible too.
  bool IsShown() const;
  void Show(bool visible);
  bool IsEnabled() const { return enabled_; }
  void Enable(bool enabled);

  const std::u16string& Text() const { return text_; }
  void SetText(std::u16string_view text);

  // Children, painted after their parent in the order they were added.
  Window* AddChild(std::unique_ptr<Window> child);
  const std::vector<std::unique_ptr<Window>>& Children() const { return children_; }
  Window* FindChild(int id) const;
  // The deepest visible, enabled child under a client point, or null.
  Window* ChildAt(gfx::Point client) const;

  // Marks part of the client area for painting; with `erase` the area is
  // filled with the background before the paint handler draws.
  void Invalidate(bool erase = true) { Invalidate(ClientRect(), erase); }
  void Invalidate(const gfx::Rect& client, bool erase = true);
  // Paints every pending invalid area now.
  void Update();
  const gfx::Rect& InvalidRect() const { return invalid_; }

  // A canvas straight onto the framebuffer, clipped to the client area, for
  // drawing outside paint (progress lines, rubber bands, shading). What it
  // draws is shown at the next present.
  gfx::Canvas GetScreenCanvas();

  // The texts drawn by the last paint of this window, client coordinates.
  const std::vector<gfx::TextRecord>& LastPaintTexts() const { return last_texts_; }

  // Sends a control notification to the parent's OnCommand.
  void NotifyParent(int notification);

  // For the automation's dump and type checks.
  virtual const char* KindName() const { return "window"; }
  // Whether the keyboard focus can rest on this window (Tab, taps).
  virtual bool AcceptsFocus() const { return false; }

 protected:
  friend class Desktop;

  virtual void OnEraseBackground(gfx::Canvas& canvas, const gfx::Rect& area);
  virtual void OnPaint(gfx::Canvas& canvas) { (void)canvas; }
  // Pen positions are client coordinates.
  virtual void OnPenDown(gfx::Point p) { (void)p; }
  virtual void OnPenMove(gfx::Point p) { (void)p; }
  virtual void OnPenUp(gfx::Point p) { (void)p; }
  // Returns whether the key was used; unused keys go to the parent.
  virtual bool OnKey(Key key) { (void)key; return false; }
  // A notification from child `id`.
  virtual void OnCommand(int id, int notification) { (void)id; (void)notification; }
  virtual void OnFocusChanged(bool focused) { (void)focused; }
  virtual void OnShown() {}

 private:
  int id_ = 0;
  Window* parent_ = nullptr;
  gfx::Rect frame_;
  bool visible_ = false;
  bool enabled_ = true;
  std::u16string text_;
  std::vector<std::unique_ptr<Window>> children_;
  gfx::Rect invalid_;
  bool erase_ = false;
  std::vector<gfx::TextRecord> last_texts_;
};

}  // namespace tv::ui
