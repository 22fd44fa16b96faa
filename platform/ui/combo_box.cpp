#include "platform/ui/combo_box.h"

#include <algorithm>

#include "platform/ui/desktop.h"
#include "platform/ui/list_rows.h"
#include "platform/ui/scroll_bar.h"

namespace tv::ui {
namespace {

// Around an item's text in the dropped list: the list's border and the
// rows' text inset, on both sides.
constexpr int kDroppedItemPadding = 2 * (1 + 2);

}  // namespace

// The open list: a top-level pop-up that holds the pen capture while it is on
// screen, so that a tap anywhere else reaches it and closes it. It lives as
// long as its combo box and is only taken off the screen when it closes,
// since it closes from inside its own pen handlers.
class ComboBox::DropList : public Window {
 public:
  explicit DropList(ComboBox& owner) : owner_(owner), rows_(Scroller()) {}

  const char* KindName() const override { return "droplist"; }

  void Open(const gfx::Rect& frame, int highlight) {
    SetFrame(frame);
    rows_.SetTop(0);
    hot_ = highlight;
    Layout();
    rows_.ScrollIntoView(hot_);
    Invalidate();
  }

  // Follows a change of the owner's items: an item added at `inserted_at`,
  // or every item removed when it is -1.
  void ItemsChanged(int inserted_at) {
    if (inserted_at < 0) {
      hot_ = -1;
      rows_.SetTop(0);
    } else if (hot_ >= inserted_at) {
      ++hot_;
    }
    Layout();
    Invalidate();
  }

  int Hot() const { return hot_; }
  int FullRows() const { return rows_.FullRows(); }

  void MoveHot(int index) {
    if (owner_.Count() == 0) return;
    hot_ = std::clamp(index, 0, owner_.Count() - 1);
    rows_.ScrollIntoView(hot_);
    Invalidate();
  }

 protected:
  void OnPaint(gfx::Canvas& canvas) override {
    canvas.Save();
    canvas.SetPen({gfx::Pen::Style::kSolid, gfx::kBlack});
    canvas.SetBrush(gfx::Brush::Null());
    canvas.Rectangle(ClientRect());
    canvas.Restore();
    rows_.Paint(canvas, owner_.items_, hot_, -1, true);
  }

  void OnPenDown(gfx::Point p) override {
    if (!ClientRect().Contains(p)) {
      owner_.Cancel();
      return;
    }
    OnPenMove(p);
  }

  void OnPenMove(gfx::Point p) override {
    const int index = rows_.ItemAt(p);
    if (index >= 0 && index != hot_) {
      hot_ = index;
      Invalidate();
    }
  }

  void OnPenUp(gfx::Point p) override {
    const int index = rows_.ItemAt(p);
    if (index >= 0) owner_.Confirm(index);
  }

  // Keys reach the pop-up because it holds the capture; the combo box decides.
  bool OnKey(Key key) override { return owner_.OnListKey(key); }

 private:
  void Layout() {
    rows_.SetBounds(ClientRect().Inflate(-1));
    rows_.SetCount(owner_.Count());
    if (hot_ >= owner_.Count()) hot_ = owner_.Count() - 1;
  }

  ComboBox& owner_;
  ListRows rows_;
  int hot_ = -1;
};

ComboBox::ComboBox(const ControlTemplate& tmpl) : ItemListWidget(tmpl) {
  // The template's height includes the dropped list; the control itself is
  // only its field, so that it does not lie over the controls below it.
  const int field_height = ListItemHeight() + 4;
  const gfx::Rect frame = Frame();
  list_height_ = std::max(0, frame.Height() - field_height);
  SetFrame({frame.left, frame.top, frame.right, frame.top + field_height});
}

ComboBox::~ComboBox() {
  // Destroying the pop-up takes it off the desktop and has the windows it
  // covered painted again; nobody is notified while the control goes away.
  drop_list_.reset();
}

void ComboBox::OnItemInserted(int index) {
  if (dropped_) drop_list_->ItemsChanged(index);
}

void ComboBox::OnItemsCleared() {
  Window::SetText(u"");
  if (dropped_) drop_list_->ItemsChanged(-1);
  Invalidate();
}

void ComboBox::OnSelectionSet(int index) {
  Window::SetText(index >= 0 ? std::u16string_view(items_[index]) : std::u16string_view());
  if (dropped_ && index >= 0) drop_list_->MoveHot(index);
  Invalidate();
}

bool ComboBox::ChooseFromUser(int index) {
  if (index < 0 || index >= Count()) return false;
  Confirm(index);
  return true;
}

gfx::Rect ComboBox::ArrowRect() const {
  const gfx::Rect client = ClientRect();
  return {std::max(0, client.right - ScrollBar::kThickness), 0, client.right, client.bottom};
}

gfx::Rect ComboBox::DropFrame() const {
  const gfx::Rect field = ScreenRect();
  const int rows = std::min(Count(), kMaxDroppedItems);
  int height = std::max(rows * ItemHeight() + 2, list_height_);
  const int below = kScreenArea.bottom - field.bottom;
  const int above = field.top - kScreenArea.top;
  int top = field.bottom;
  if (height > below) {
    if (height <= above) {
      top = field.top - height;
    } else if (above > below) {
      // Fits on neither side: the roomier side gets a shorter list.
      height = above;
      top = field.top - height;
    } else {
      height = below;
    }
  }
  // The list may be wider than the field, as desktop combo boxes allow, so
  // that every item can be read in it; it stays on the screen, moving left
  // where it would run past the right edge.
  int width = field.Width();
  if (const std::shared_ptr<const gfx::Font> font = DialogFont()) {
    int widest = 0;
    for (const std::u16string& item : items_) widest = std::max(widest, font->Measure(item).width);
    const int bar = Count() * ItemHeight() + 2 > height ? ScrollBar::kThickness : 0;
    width = std::max(width, widest + kDroppedItemPadding + bar);
  }
  width = std::min(width, kScreenArea.Width());
  const int left = std::clamp(field.left, kScreenArea.left, kScreenArea.right - width);
  return {left, top, left + width, top + height};
}

void ComboBox::OpenList() {
  if (dropped_ || !Desktop::Exists()) return;
  // The parent hears it first, in case it wants to fill the list now.
  NotifyParent(notify::kDropDown);
  if (drop_list_ == nullptr) drop_list_ = std::make_unique<DropList>(*this);
  drop_list_->Open(DropFrame(), selected_);
  Desktop& desktop = Desktop::Get();
  drop_list_->Show(true);
  desktop.AddTopLevel(drop_list_.get());
  desktop.SetCapture(drop_list_.get());
  dropped_ = true;
  Invalidate();
}

void ComboBox::CloseList() {
  if (!dropped_) return;
  dropped_ = false;
  if (Desktop::Exists()) {
    Desktop& desktop = Desktop::Get();
    desktop.ReleaseCapture(drop_list_.get());
    // Hiding has the windows below paint what the list covered.
    drop_list_->Show(false);
    desktop.RemoveTopLevel(drop_list_.get());
  }
  Invalidate();
}

void ComboBox::Confirm(int index) {
  // The list is gone and the field shows the choice before the parent hears
  // of it, since the parent may open another screen from its handler.
  CloseList();
  const bool changed = index != selected_;
  SetCurSel(index);
  if (changed) NotifyParent(notify::kSelChange);
  NotifyParent(notify::kSelEndOk);
  NotifyParent(notify::kCloseUp);
}

void ComboBox::Cancel() {
  if (!dropped_) return;
  CloseList();
  NotifyParent(notify::kSelEndCancel);
  NotifyParent(notify::kCloseUp);
}

bool ComboBox::OnListKey(Key key) {
  const int hot = drop_list_->Hot();
  const int page = std::max(1, drop_list_->FullRows() - 1);
  switch (key) {
    case Key::kUp:
      drop_list_->MoveHot(hot < 0 ? 0 : hot - 1);
      break;
    case Key::kDown:
      drop_list_->MoveHot(hot + 1);
      break;
    case Key::kPageUp:
      drop_list_->MoveHot(hot < 0 ? 0 : hot - page);
      break;
    case Key::kPageDown:
      drop_list_->MoveHot(hot + page);
      break;
    case Key::kHome:
      drop_list_->MoveHot(0);
      break;
    case Key::kEnd:
      drop_list_->MoveHot(Count() - 1);
      break;
    case Key::kReturn:
      if (hot >= 0) {
        Confirm(hot);
      } else {
        Cancel();
      }
      break;
    case Key::kEscape:
      // Closes only the list; the screen behind stays open.
      Cancel();
      break;
    case Key::kTab:
    case Key::kBackTab:
      Cancel();
      if (Desktop::Exists()) Desktop::Get().CycleFocus(key == Key::kTab);
      break;
    default:
      break;
  }
  // While the list is open no key reaches anything else.
  return true;
}

void ComboBox::OnPaint(gfx::Canvas& canvas) {
  const gfx::Rect client = ClientRect();
  const gfx::Rect arrow = ArrowRect();
  canvas.Save();
  canvas.SetPen({gfx::Pen::Style::kSolid, gfx::kBlack});
  canvas.SetBrush(gfx::Brush::Solid(IsEnabled() ? gfx::kWhite : gfx::kSilver));
  canvas.Rectangle(client);
  canvas.SetBrush(gfx::Brush::Solid(dropped_ ? gfx::kGrey : gfx::kSilver));
  canvas.Rectangle(arrow);
  DrawArrowHead(canvas, arrow, ArrowDirection::kDown, IsEnabled() ? gfx::kBlack : gfx::kGrey);

  const gfx::Rect field{1, 1, arrow.left, client.bottom - 1};
  const bool focused = Desktop::Exists() && Desktop::Get().Focus() == this;
  canvas.IntersectClip(field);
  canvas.SetFont(DialogFont());
  canvas.SetBackgroundMode(gfx::BackgroundMode::kTransparent);
  // A focused field shows its text selected, as an edit field would.
  const bool highlight = focused && !Text().empty();
  if (highlight) canvas.FillRect(field.Inflate(-1), kSelectionColor);
  canvas.SetTextColor(highlight ? gfx::kWhite : (IsEnabled() ? gfx::kBlack : gfx::kGrey));
  canvas.DrawText({field.left + 2, (client.Height() - DialogLineHeight()) / 2}, Text());
  if (focused && !highlight) DrawFocusRect(canvas, field.Inflate(-1), gfx::kBlack);
  canvas.Restore();
}

void ComboBox::OnPenDown(gfx::Point p) {
  (void)p;
  // The open list holds the capture, so this only happens when something
  // took it away; a second tap then closes the list as a tap outside would.
  if (dropped_) {
    Cancel();
  } else {
    OpenList();
  }
}

bool ComboBox::OnKey(Key key) {
  if (dropped_) return OnListKey(key);
  switch (key) {
    case Key::kDown:
    case Key::kUp:
    case Key::kReturn:
      OpenList();
      return true;
    default:
      return false;
  }
}

void ComboBox::OnFocusChanged(bool focused) {
  if (!focused && dropped_) Cancel();
  Invalidate();
}

}  // namespace tv::ui
