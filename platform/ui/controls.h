#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/canvas.h"
#include "platform/gfx/color.h"
#include "platform/gfx/font.h"
#include "platform/gfx/geometry.h"
#include "platform/ui/dialog_template.h"
#include "platform/ui/event.h"
#include "platform/ui/list_sink.h"
#include "platform/ui/widget.h"

namespace tv::ui {

// The background of selected list items; their text is white.
inline constexpr gfx::Color kSelectionColor{0, 0, 128};

// The font every control draws with; null when no font could be loaded, in
// which case controls draw no text but keep their layout.
std::shared_ptr<const gfx::Font> DialogFont();
// The height of one line of text in that font.
int DialogLineHeight();
// The height of one row of a list: a line plus one pixel of spacing.
int ListItemHeight();
// A dotted one-pixel outline, the focus cue of buttons and list carets.
void DrawFocusRect(gfx::Canvas& canvas, const gfx::Rect& rect, gfx::Color color);

enum class ArrowDirection { kUp, kDown, kLeft, kRight };
// A small solid triangle centred in `box`: the mark of scroll bar arrows and
// of the combo box's drop button.
void DrawArrowHead(gfx::Canvas& canvas, const gfx::Rect& box, ArrowDirection direction,
                   gfx::Color color);

// A scroll bar part drawn and fed by the window that owns it: arrow boxes at
// both ends, a track and a thumb sized by the visible share of the content.
// The content runs from `min` to `max` (exclusive) and `page` units of it
// are visible, so positions run from `min` to `max - page`. The pen calls
// take points in the owner's client coordinates; after routing one, the
// owner reads Pos() and repaints the bar's rectangle.
class ScrollBar {
 public:
  enum class Orientation { kVertical, kHorizontal };
  static constexpr int kThickness = 13;
  static constexpr int kMinThumbLength = 8;

  explicit ScrollBar(Orientation orientation) : orientation_(orientation) {}

  Orientation GetOrientation() const { return orientation_; }
  void SetBounds(const gfx::Rect& bounds) { bounds_ = bounds; }
  const gfx::Rect& Bounds() const { return bounds_; }

  // Sets the content and visible extents; the position is clamped to them.
  void SetRange(int min, int max, int page);
  // How far one tap on an arrow moves (one line of a list, some pixels of a
  // wide text).
  void SetLineStep(int step) { line_step_ = step < 1 ? 1 : step; }
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Page() const { return page_; }
  int Pos() const { return pos_; }
  int MaxPos() const;
  bool CanScroll() const { return MaxPos() > min_; }
  // Moves to `pos`, clamped; returns whether the position changed.
  bool SetPos(int pos);
  bool ScrollBy(int delta) { return SetPos(pos_ + delta); }
  bool LineStep(int direction) { return ScrollBy(direction * line_step_); }
  bool PageStep(int direction) { return ScrollBy(direction * PageStepSize()); }

  // Starts tracking when `p` lies on the bar and returns whether it did: an
  // arrow steps a line, the track a page, the thumb starts a drag.
  bool PenDown(gfx::Point p);
  void PenMove(gfx::Point p);
  void PenUp(gfx::Point p);
  bool IsTracking() const { return tracked_ != Part::kNone; }

  void Paint(gfx::Canvas& canvas) const;

  // The parts, in the owner's client coordinates. The thumb is empty when
  // there is nothing to scroll or no room to show it.
  gfx::Rect DecrementArrowRect() const;
  gfx::Rect IncrementArrowRect() const;
  gfx::Rect ThumbRect() const;

 private:
  enum class Part { kNone, kDecrementArrow, kIncrementArrow, kPageBack, kPageForward, kThumb };

  int PageStepSize() const { return page_ < 1 ? 1 : page_; }
  int Along(gfx::Point p) const { return orientation_ == Orientation::kVertical ? p.y : p.x; }
  int Start() const;
  int End() const;
  int ArrowLength() const;
  // A rectangle spanning the bar's thickness between two positions along it.
  gfx::Rect Span(int from, int to) const;
  // The thumb's extent along the bar; both zero when it is not shown.
  void ThumbSpan(int& from, int& to) const;
  Part HitTest(gfx::Point p) const;

  Orientation orientation_;
  gfx::Rect bounds_;
  int min_ = 0;
  int max_ = 0;
  int page_ = 0;
  int pos_ = 0;
  int line_step_ = 1;
  Part tracked_ = Part::kNone;
  bool pressed_ = false;  // the pen is still over the tracked arrow
  int grab_offset_ = 0;   // where on the thumb the pen took hold
};

// The rows of a list drawn inside a rectangle: the first visible item, a
// vertical scroll bar that appears when the rows overflow, and row painting
// with a highlighted item and a caret. List boxes and the combo box's
// dropped list share it. Only the visible rows are ever drawn; a partial row
// at the bottom is shown.
class ListRows {
 public:
  ListRows();
  ListRows(const ListRows&) = delete;
  ListRows& operator=(const ListRows&) = delete;

  // The area the rows and the scroll bar share, in the owner's coordinates.
  void SetBounds(const gfx::Rect& bounds);
  void AllowScrollBar(bool allow) { allow_bar_ = allow; }
  // Lays the rows out for `count` items; keeps the first visible row valid.
  void SetCount(int count);
  int Count() const { return count_; }
  int ItemHeight() const { return item_height_; }
  // Rows that fit whole (at least one).
  int FullRows() const;
  int Top() const { return top_; }
  int MaxTop() const;
  // Returns whether the first visible row changed.
  bool SetTop(int top);
  bool ScrollIntoView(int index);
  bool HasScrollBar() const { return has_bar_; }
  ScrollBar& Bar() { return bar_; }
  const ScrollBar& Bar() const { return bar_; }
  // Where the item rows are drawn: the bounds less the scroll bar.
  gfx::Rect RowsArea() const;
  gfx::Rect RowRect(int index) const;
  // The item under `p`, or -1 (outside the rows, on the bar, past the end).
  int ItemAt(gfx::Point p) const;

  // Scroll bar pen handling: PenDown returns whether the pen went down on the
  // bar, and the owner then routes the pen here until it is lifted. The rows
  // follow the bar's position.
  bool BarPenDown(gfx::Point p);
  void BarPenMove(gfx::Point p);
  void BarPenUp(gfx::Point p);

  // Draws the visible rows of `items`, `highlighted` in white on navy, a
  // dotted caret around `caret` (none when -1), and the scroll bar.
  void Paint(gfx::Canvas& canvas, const std::vector<std::u16string>& items, int highlighted,
             int caret, bool enabled) const;

 private:
  void UpdateBar();

  gfx::Rect bounds_;
  bool allow_bar_ = true;
  bool has_bar_ = false;
  int count_ = 0;
  int top_ = 0;
  int item_height_;
  ScrollBar bar_{ScrollBar::Orientation::kVertical};
};

// Where an item goes in a sorted list: after every item that compares less
// or equal without regard to case, so equal items keep their adding order.
int SortedInsertIndex(const std::vector<std::u16string>& items, std::u16string_view text);

// The pen and key handling that push buttons share: a button shows itself
// pressed while the pen is down inside it and clicks on release only when
// the pen is still inside.
class ButtonBase : public Widget {
 public:
  explicit ButtonBase(const ControlTemplate& tmpl) : Widget(tmpl) {}

  bool ClickFromUser() override;
  bool IsPressed() const { return pressed_; }

 protected:
  void OnPenDown(gfx::Point p) override;
  void OnPenMove(gfx::Point p) override;
  void OnPenUp(gfx::Point p) override;
  bool OnKey(Key key) override;
  void OnFocusChanged(bool focused) override;

 private:
  bool tracking_ = false;
  bool pressed_ = false;
};

// A text push button with a raised silver face.
class PushButton : public ButtonBase {
 public:
  explicit PushButton(const ControlTemplate& tmpl) : ButtonBase(tmpl) {}
  const char* KindName() const override { return "button"; }

 protected:
  void OnPaint(gfx::Canvas& canvas) override;
};

// An owner-drawn push button that shows only its face bitmap, at its
// top-left corner; without a face it draws nothing.
class BitmapButton : public ButtonBase {
 public:
  explicit BitmapButton(const ControlTemplate& tmpl) : ButtonBase(tmpl) {}
  const char* KindName() const override { return "bitmapbutton"; }

  void SetFace(std::shared_ptr<const gfx::Bitmap> face);
  const std::shared_ptr<const gfx::Bitmap>& Face() const { return face_; }
  // Resizes the button to its face, keeping the top-left corner; a button
  // without a face keeps its size.
  void SizeToContent();

 protected:
  void OnPaint(gfx::Canvas& canvas) override;

 private:
  std::shared_ptr<const gfx::Bitmap> face_;
};

// Text that a screen shows in its template: left-aligned in the dialog font,
// wrapped between words to the control's width, on the dialog's background.
class StaticText : public Widget {
 public:
  explicit StaticText(const ControlTemplate& tmpl) : Widget(tmpl) {}
  const char* KindName() const override { return "static"; }
  bool AcceptsFocus() const override { return false; }

 protected:
  void OnPaint(gfx::Canvas& canvas) override;
};

// What list boxes and combo boxes share: their items, kept in
// case-insensitive order with style::kSorted, and the one selected item.
// Changes made by the program (not by the user) reach the control through
// the hooks below.
class ItemListWidget : public Widget, public ListSink {
 public:
  int AddString(std::u16string_view text) final;
  void ResetContent();
  int Count() const { return static_cast<int>(items_.size()); }
  // The item's text; empty when `index` is out of range.
  std::u16string GetText(int index) const;
  int GetCurSel() const { return selected_; }
  // Selects `index` (-1 clears) without notifying; returns false, changing
  // nothing, when `index` is out of range.
  bool SetCurSel(int index);

  std::vector<std::u16string> Items() const override { return items_; }
  int SelectedIndex() const override { return selected_; }

 protected:
  explicit ItemListWidget(const ControlTemplate& tmpl) : Widget(tmpl) {}
  // An item was inserted at `index` (the selection already follows it).
  virtual void OnItemInserted(int index) = 0;
  virtual void OnItemsCleared() = 0;
  virtual void OnSelectionSet(int index) = 0;

  std::vector<std::u16string> items_;
  int selected_ = -1;
};

// A list of strings, one per row, with a single selection. A tap selects an
// item and, with style::kNotify, tells the parent on release; the keys move
// a caret and Return picks the caret's item.
class ListBox : public ItemListWidget {
 public:
  explicit ListBox(const ControlTemplate& tmpl);
  const char* KindName() const override { return "listbox"; }

  int TopIndex() const { return rows_.Top(); }
  int CaretIndex() const { return caret_; }
  int ItemHeight() const { return rows_.ItemHeight(); }
  const ListRows& Rows() const { return rows_; }

  bool ChooseFromUser(int index) override;

 protected:
  void OnItemInserted(int index) override;
  void OnItemsCleared() override;
  // Also scrolls the selected item into view.
  void OnSelectionSet(int index) override;
  void OnPaint(gfx::Canvas& canvas) override;
  void OnPenDown(gfx::Point p) override;
  void OnPenMove(gfx::Point p) override;
  void OnPenUp(gfx::Point p) override;
  bool OnKey(Key key) override;
  void OnFocusChanged(bool focused) override;

 private:
  void Layout();
  void MoveCaret(int index);
  void PickAndNotify(int index);

  int caret_ = 0;
  bool tracking_ = false;
  bool bar_tracking_ = false;
  ListRows rows_;
};

// A drop-down selector: a display-only field showing the selected item with
// an arrow button, and a list that opens in a pop-up window below (or above)
// it. Only a choice confirmed from the list changes the selection from the
// user's side. The template's height includes the dropped list; the control
// itself is only as high as its field.
class ComboBox : public ItemListWidget {
 public:
  explicit ComboBox(const ControlTemplate& tmpl);
  ~ComboBox() override;
  const char* KindName() const override { return "combobox"; }

  static constexpr int kMaxDroppedItems = 8;

  bool IsDroppedDown() const { return dropped_; }
  // Opens the list (the parent hears notify::kDropDown), or closes it
  // without a choice (notify::kSelEndCancel, then notify::kCloseUp).
  void ShowDropDown(bool show);
  int ItemHeight() const { return ListItemHeight(); }
  // The open list's window and its highlighted item, for tests and the
  // automation; null and -1 while closed.
  Window* DropDownWindow() const;
  int HighlightIndex() const;

  bool ChooseFromUser(int index) override;

 protected:
  void OnItemInserted(int index) override;
  void OnItemsCleared() override;
  // Also shows the selected item in the field.
  void OnSelectionSet(int index) override;
  void OnPaint(gfx::Canvas& canvas) override;
  void OnPenDown(gfx::Point p) override;
  bool OnKey(Key key) override;
  void OnFocusChanged(bool focused) override;

 private:
  class DropList;

  gfx::Rect ArrowRect() const;
  gfx::Rect DropFrame() const;
  void OpenList();
  // Takes the pop-up off the screen without telling anyone.
  void CloseList();
  void Confirm(int index);
  void Cancel();
  bool OnListKey(Key key);

  int list_height_;  // the template's height below the field
  bool dropped_ = false;
  std::unique_ptr<DropList> drop_list_;
};

// A multi-line, read-only text box. Lines end only at "\r\n" or "\n"; they
// are never wrapped, and longer lines are reached by scrolling sideways.
// Scroll bars follow the style (style::kVScroll, style::kHScroll).
class EditBox : public Widget {
 public:
  static constexpr int kHorizontalStep = 8;
  static constexpr int kLeftMargin = 2;

  explicit EditBox(const ControlTemplate& tmpl);
  const char* KindName() const override { return "editbox"; }

  // Replaces the text and shows it from its top-left corner. This hides
  // Window::SetText, which would leave the lines as they were until the next
  // paint.
  void SetText(std::u16string_view text);
  // Deletes the selection; the box has none, so nothing changes.
  void Clear() {}

  int LineCount() const { return static_cast<int>(lines_.size()); }
  const std::u16string& Line(int index) const { return lines_[index]; }
  int FirstVisibleLine() const { return first_line_; }
  int HorizontalOffset() const { return x_offset_; }
  // The width of the longest line, in pixels.
  int MaxLineWidth() const { return max_line_width_; }
  int LineHeight() const { return line_height_; }
  // Lines that fit whole in the text area (at least one).
  int VisibleLines() const;
  // Where text is drawn, in client coordinates.
  gfx::Rect TextArea() const;
  int MaxFirstLine() const;
  int MaxHorizontalOffset() const;
  const ScrollBar* VerticalBar() const { return has_vbar_ ? &vbar_ : nullptr; }
  const ScrollBar* HorizontalBar() const { return has_hbar_ ? &hbar_ : nullptr; }

 protected:
  void OnPaint(gfx::Canvas& canvas) override;
  void OnPenDown(gfx::Point p) override;
  void OnPenMove(gfx::Point p) override;
  void OnPenUp(gfx::Point p) override;
  bool OnKey(Key key) override;

 private:
  void SplitLines();
  void Layout();
  // Moves the view, clamped; invalidates when it changed.
  void ScrollTo(int first_line, int x_offset);
  void FollowBars();

  std::u16string split_text_;  // the text the lines were made from
  std::vector<std::u16string> lines_;
  int max_line_width_ = 0;
  int line_height_;
  int first_line_ = 0;
  int x_offset_ = 0;
  bool has_vbar_;
  bool has_hbar_;
  ScrollBar vbar_{ScrollBar::Orientation::kVertical};
  ScrollBar hbar_{ScrollBar::Orientation::kHorizontal};
  ScrollBar* tracked_bar_ = nullptr;
};

}  // namespace tv::ui
