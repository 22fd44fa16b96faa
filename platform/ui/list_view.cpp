#include "platform/ui/list_view.h"

#include <algorithm>

#include "platform/ui/control_style.h"
#include "platform/ui/desktop.h"

namespace tv::ui {
namespace {

constexpr int kRowInset = 1;  // between the border and the images

}  // namespace

ListView::ListView(const ControlTemplate& tmpl) : Widget(tmpl) {
  ScrollHost& scroller = Scroller();
  scroller.SetPolicy(ScrollOrientation::kVertical, ScrollHost::Policy::kAsNeeded);
  scroller.SetPolicy(ScrollOrientation::kHorizontal, ScrollHost::Policy::kAsNeeded);
  scroller.SetLineStep(ScrollOrientation::kHorizontal, kHorizontalStep);
  scroller.PlaceInside(InsideBorder(ClientRect(), HasStyle(style::kBorder)));
  Layout();
}

gfx::Size ListView::ImageSide() const {
  if (images_ != nullptr && images_->IsCreated()) return images_->ImageSize();
  return {kDefaultImageSide, kDefaultImageSide};
}

int ListView::ItemHeight() const { return std::max(ImageSide().height, DialogLineHeight()); }

int ListView::MeasureRow(std::u16string_view text) const {
  const std::shared_ptr<const gfx::Font> font = DialogFont();
  const int label = font != nullptr ? font->Measure(text).width : 0;
  return kRowInset + ImageSide().width + kImageTextGap + label + kImageTextGap;
}

void ListView::SetImageList(const ImageList* images) {
  images_ = images;
  // The image size sets the rows' height and the labels' indent.
  content_width_ = 0;
  for (Row& row : rows_) {
    row.width = MeasureRow(row.text);
    content_width_ = std::max(content_width_, row.width);
  }
  Layout();
  Invalidate();
}

int ListView::InsertItem(int index, std::u16string_view text, int image) {
  index = std::clamp(index, 0, Count());
  const int width = MeasureRow(text);
  rows_.insert(rows_.begin() + index, Row{std::u16string(text), image, width});
  content_width_ = std::max(content_width_, width);
  if (selected_ >= index) ++selected_;
  Layout();
  Invalidate();
  return index;
}

void ListView::DeleteAllItems() {
  rows_.clear();
  selected_ = -1;
  content_width_ = 0;
  Layout();
  ScrollTo(0, 0);
  Invalidate();
}

std::vector<std::u16string> ListView::Items() const {
  std::vector<std::u16string> texts;
  texts.reserve(rows_.size());
  for (const Row& row : rows_) texts.push_back(row.text);
  return texts;
}

std::vector<int> ListView::ItemImages() const {
  std::vector<int> images;
  images.reserve(rows_.size());
  for (const Row& row : rows_) images.push_back(row.image);
  return images;
}

bool ListView::SetSelection(int index) {
  if (index < -1 || index >= Count()) return false;
  selected_ = index;
  ScrollIntoView(index);
  Invalidate();
  return true;
}

bool ListView::ChooseFromUser(int index) {
  if (index < 0 || index >= Count()) return false;
  SelectAndNotify(index);
  return true;
}

void ListView::SelectAndNotify(int index) {
  const bool changed = index != selected_;
  SetSelection(index);
  if (changed) NotifyParent(notify::kSelChange);
}

gfx::Rect ListView::RowsArea() const { return FindScroller()->Viewport(); }

gfx::Rect ListView::RowRect(int index) const {
  const gfx::Rect area = RowsArea();
  const int y = area.top + (index - TopIndex()) * ItemHeight();
  return {area.left, y, area.right, y + ItemHeight()};
}

int ListView::ItemAt(gfx::Point p) const {
  const gfx::Rect area = RowsArea();
  if (!area.Contains(p)) return -1;
  const int index = TopIndex() + (p.y - area.top) / ItemHeight();
  return index < Count() ? index : -1;
}

void ListView::Layout() {
  Scroller().SetContent(ScrollOrientation::kVertical, Count(), ItemHeight());
  Scroller().SetContent(ScrollOrientation::kHorizontal, content_width_);
}

void ListView::ScrollTo(int top, int x_offset) {
  SetScrollPos(ScrollOrientation::kVertical, top);
  SetScrollPos(ScrollOrientation::kHorizontal, x_offset);
}

void ListView::ScrollIntoView(int index) {
  if (index < 0 || index >= Count()) return;
  const int top = TopIndex();
  if (index < top) {
    SetScrollPos(ScrollOrientation::kVertical, index);
  } else if (index >= top + VisibleRows()) {
    SetScrollPos(ScrollOrientation::kVertical, index - VisibleRows() + 1);
  }
}

void ListView::OnPaint(gfx::Canvas& canvas) {
  DrawControlBox(canvas, ClientRect(), HasStyle(style::kBorder));
  const gfx::Rect area = RowsArea();
  const gfx::Rect dirty = area.Intersect(canvas.ClipBox());
  if (!dirty.IsEmpty() && Count() > 0) {
    canvas.IntersectClip(area);
    canvas.SetFont(DialogFont());
    canvas.SetBackgroundMode(gfx::BackgroundMode::kTransparent);
    const bool focused = Desktop::Exists() && Desktop::Get().Focus() == this;
    const gfx::Size image = ImageSide();
    const int height = ItemHeight();
    const int text_top = (height - DialogLineHeight()) / 2;
    const int top = TopIndex();
    const int x_offset = HorizontalOffset();
    // Only the rows that meet the area being painted are drawn.
    const int first = top + (dirty.top - area.top) / height;
    const int last = std::min(Count(), top + (dirty.bottom - 1 - area.top) / height + 1);
    for (int i = first; i < last; ++i) {
      const gfx::Rect row = RowRect(i);
      const int x = row.left + kRowInset - x_offset;
      if (images_ != nullptr) {
        images_->Draw(canvas, rows_[i].image, {x, row.top + (height - image.height) / 2});
      }
      const int label_left = x + image.width + kImageTextGap;
      const gfx::Rect label{label_left - 1, row.top, x + rows_[i].width, row.bottom};
      const bool selected = i == selected_;
      if (selected) canvas.FillRect(label, kSelectionColor);
      canvas.SetTextColor(selected ? gfx::kWhite : (IsEnabled() ? gfx::kBlack : gfx::kGrey));
      canvas.DrawText({label_left, row.top + text_top}, rows_[i].text);
      if (selected && focused) DrawFocusRect(canvas, label, gfx::kWhite);
    }
  }
}

void ListView::OnPenDown(gfx::Point p) {
  tracking_ = true;
  const int index = ItemAt(p);
  if (index >= 0 && index != selected_) {
    selected_ = index;
    Invalidate();
  }
}

void ListView::OnPenMove(gfx::Point p) {
  if (!tracking_) return;
  const int index = ItemAt(p);
  if (index >= 0 && index != selected_) {
    selected_ = index;
    Invalidate();
  }
}

void ListView::OnPenUp(gfx::Point p) {
  if (!tracking_) return;
  tracking_ = false;
  const int index = ItemAt(p);
  if (index >= 0) {
    ScrollIntoView(index);
    NotifyParent(notify::kSelChange);
  }
}

bool ListView::OnKey(Key key) {
  const int page = std::max(1, VisibleRows() - 1);
  const int last = Count() - 1;
  switch (key) {
    case Key::kUp:
      if (Count() > 0) SelectAndNotify(std::max(0, selected_ - 1));
      return true;
    case Key::kDown:
      if (Count() > 0) SelectAndNotify(std::min(last, selected_ + 1));
      return true;
    case Key::kPageUp:
      if (Count() > 0) SelectAndNotify(std::max(0, selected_ - page));
      return true;
    case Key::kPageDown:
      if (Count() > 0) SelectAndNotify(std::min(last, std::max(0, selected_) + page));
      return true;
    case Key::kHome:
      if (Count() > 0) SelectAndNotify(0);
      return true;
    case Key::kEnd:
      if (Count() > 0) SelectAndNotify(last);
      return true;
    case Key::kLeft:
    case Key::kRight:
      return Scroller().Key(key);
    default:
      return false;
  }
}

void ListView::OnFocusChanged(bool focused) {
  (void)focused;
  Invalidate();
}

}  // namespace tv::ui
