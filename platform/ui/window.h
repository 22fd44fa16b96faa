#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/canvas.h"
#include "platform/gfx/geometry.h"
#include "platform/gfx/region.h"
#include "platform/ui/event.h"
#include "platform/ui/scroll_host.h"

namespace tv::ui {

class CommandBar;
class Desktop;

// A window: a rectangle of the display with children, an invalid area and
// handlers. Top-level windows (screens, message boxes, pop-up lists) are
// placed in display coordinates; children in their parent's client
// coordinates. Every event reaches a window through the Desktop, which calls
// the protected handlers below.
//
// A window may show scroll bars along its right and bottom edges; they take
// their room from the client area, whose top-left corner stays the frame's.
// A control places its bars inside its client area instead. Either way one
// ScrollHost keeps them.
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
  // The frame less the scroll bars, in client coordinates.
  gfx::Rect ClientRect() const;
  // The display position of the client area's top-left corner.
  gfx::Point ScreenOrigin() const;
  // The whole frame on the display, scroll bars included.
  gfx::Rect ScreenRect() const;
  // The client area on the display, cut to the client areas of the parents.
  gfx::Rect VisibleClientScreenRect() const;

  bool IsVisible() const { return visible_; }
  // Visible, and every ancestor visible too.
  bool IsShown() const;
  void Show(bool visible);
  bool IsEnabled() const { return enabled_; }
  void Enable(bool enabled);

  const std::u16string& Text() const { return text_; }
  // Sets the text; OnTextChanged lets the window follow at once.
  void SetText(std::u16string_view text);

  // Children, painted after their parent in the order they were added.
  Window* AddChild(std::unique_ptr<Window> child);
  void DestroyChildren();
  const std::vector<std::unique_ptr<Window>>& Children() const { return children_; }
  Window* FindChild(int id) const;
  // The deepest visible, enabled child under a client point, or null.
  Window* ChildAt(gfx::Point client) const;

  // Marks part of the client area for painting; with `erase` the area is
  // filled with the background before the paint handler draws. Separate
  // calls stay separate pieces: what lies between them is not painted.
  void Invalidate(bool erase = true) { Invalidate(ClientRect(), erase); }
  void Invalidate(const gfx::Rect& client, bool erase = true);
  // Marks part of the frame (client coordinates, scroll bars included) for
  // painting: the client part and the scroll bars it meets.
  void InvalidateFrame(const gfx::Rect& area, bool erase = true);
  // Paints every pending invalid area now.
  void Update();
  const gfx::Region& InvalidRegion() const { return invalid_; }
  // The bounds of the invalid area.
  gfx::Rect InvalidRect() const { return invalid_.Bounds(); }

  // A canvas straight onto the framebuffer for drawing outside paint (the
  // import progress, the distance tool, the night shading): clipped to the
  // client area less whatever windows above this one cover. What it draws is
  // shown at the next present; the texts it draws are kept until the next
  // paint of the window.
  gfx::Canvas GetScreenCanvas();
  // A memory surface in the display's pixel format, white, for drawing off
  // screen and copying to the window (and back) with Blit and StretchBlit.
  static gfx::Bitmap CreateCompatibleSurface(int width, int height);

  // The texts drawn by the last paint of this window, client coordinates,
  // while the desktop records texts.
  const std::vector<gfx::TextRecord>& LastPaintTexts() const { return last_texts_; }
  // The texts drawn through GetScreenCanvas since the last paint.
  const std::vector<gfx::TextRecord>& ScreenTexts() const { return screen_texts_; }

  // Scroll bars of the window itself. The owner sets range, page and
  // position; pen and keys on a bar reach OnScroll, and the owner moves the
  // bar (or not) with SetScrollPos. A control sets its bars up through
  // Scroller() instead.
  void ShowScrollBar(ScrollOrientation bar, bool show);
  void SetScrollRange(ScrollOrientation bar, int min, int max);
  void SetScrollPage(ScrollOrientation bar, int page);
  // Returns the position the bar had before; `pos` is clamped to the range.
  int SetScrollPos(ScrollOrientation bar, int pos);
  ScrollInfo GetScrollInfo(ScrollOrientation bar) const;
  // The window's scroll bars; null when it never had any.
  const ScrollHost* FindScroller() const { return scroll_.get(); }
  // The bar's rectangle in client coordinates; empty when hidden.
  gfx::Rect ScrollBarRect(ScrollOrientation bar) const;
  // Moves the client area's pixels (and the children) by (dx, dy) and
  // invalidates what that uncovers; a pending invalid area moves along. The
  // caller's Update paints the uncovered strip.
  void ScrollWindow(int dx, int dy);

  // Sends a control notification to the parent's OnCommand.
  void NotifyParent(int notification);

  // For the automation's dump and type checks.
  virtual const char* KindName() const { return "window"; }
  // Whether the keyboard focus can rest on this window (Tab, taps).
  virtual bool AcceptsFocus() const { return false; }

 protected:
  friend class CommandBar;
  friend class Desktop;

  virtual void OnEraseBackground(gfx::Canvas& canvas, const gfx::Rect& area);
  virtual void OnPaint(gfx::Canvas& canvas) { (void)canvas; }
  // Pen positions are client coordinates.
  virtual void OnPenDown(gfx::Point p) { (void)p; }
  virtual void OnPenMove(gfx::Point p) { (void)p; }
  virtual void OnPenUp(gfx::Point p) { (void)p; }
  // Returns whether the key was used; unused keys go to the parent.
  virtual bool OnKey(Key key) { (void)key; return false; }
  // A notification from child `id`, or a menu or toolbar command (`id`
  // 32783 and up with notify::kClicked).
  virtual void OnCommand(int id, int notification) { (void)id; (void)notification; }
  virtual void OnFocusChanged(bool focused) { (void)focused; }
  virtual void OnShown() {}
  // Menu `menu` of the window's command bar is about to open (check marks
  // can be set here).
  virtual void OnMenuOpening(int menu) { (void)menu; }
  // The text changed through SetText.
  virtual void OnTextChanged() {}
  // A request from one of the window's own scroll bars (the pen, a key, the
  // wheel); `pos` is the thumb's position for kThumbTrack and kThumbPosition.
  // By default the bar goes where it was asked to.
  virtual void OnScroll(ScrollOrientation bar, ScrollCode code, int pos);
  // The window's scroll host, made on first use.
  ScrollHost& Scroller();

 private:
  // The client area on the display less what windows above cover.
  gfx::Region UncoveredRegion() const;
  // Whether a visible top-level window above this one overlaps it.
  bool IsCoveredByTopLevels() const;
  bool HasScrollBars() const { return scroll_ != nullptr && scroll_->HasVisibleBars(); }
  // Whether the bars lie in the frame, outside the client area.
  bool BarsInFrame() const {
    return scroll_ != nullptr && scroll_->GetPlacement() == ScrollHost::Placement::kFrame;
  }

  int id_ = 0;
  Window* parent_ = nullptr;
  gfx::Rect frame_;
  bool visible_ = false;
  bool enabled_ = true;
  std::u16string text_;
  std::vector<std::unique_ptr<Window>> children_;
  gfx::Region invalid_;
  bool erase_ = false;
  // The scroll bars need painting.
  bool bars_invalid_ = false;
  std::vector<gfx::TextRecord> last_texts_;
  std::vector<gfx::TextRecord> screen_texts_;
  std::unique_ptr<ScrollHost> scroll_;
  int repeat_timer_ = 0;
};

}  // namespace tv::ui
