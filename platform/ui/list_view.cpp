#include "platform/ui/list_view.h"

#include <algorithm>

#include "platform/ui/control_style.h"
#include "platform/ui/desktop.h"

namespace tv::ui {
namespace {

constexpr int kRowInset = 1;  // between the border and the images

}  // namespace

ListView::ListView(const ControlTemplate& tmpl) : Widget(tmpl) {
  hbar_.SetLineStep(kHorizontalStep);
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
  top_ = 0;
  x_offset_ = 0;
  content_width_ = 0;
  Layout();
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

gfx::Rect ListView::RowsArea() const {
  const gfx::Rect client = ClientRect();
  gfx::Rect area = HasStyle(style::kBorder) ? client.Inflate(-1) : client;
  if (has_vbar_) area.right -= ScrollBar::kThickness;
  if (has_hbar_) area.bottom -= ScrollBar::kThickness;
  area.right = std::max(area.left, area.right);
  area.bottom = std::max(area.top, area.bottom);
  return area;
}

int ListView::VisibleRows() const { return std::max(1, RowsArea().Height() / ItemHeight()); }

gfx::Rect ListView::RowRect(int index) const {
  const gfx::Rect area = RowsArea();
  const int y = area.top + (index - top_) * ItemHeight();
  return {area.left, y, area.right, y + ItemHeight()};
}

int ListView::ItemAt(gfx::Point p) const {
  const gfx::Rect area = RowsArea();
  if (!area.Contains(p)) return -1;
  const int index = top_ + (p.y - area.top) / ItemHeight();
  return index < Count() ? index : -1;
}

void ListView::Layout() {
  const gfx::Rect client = ClientRect();
  const gfx::Rect inner = HasStyle(style::kBorder) ? client.Inflate(-1) : client;
  const int t = ScrollBar::kThickness;
  // Each bar takes room from the other direction, so decide twice.
  has_vbar_ = false;
  has_hbar_ = false;
  for (int pass = 0; pass < 2; ++pass) {
    const int width = inner.Width() - (has_vbar_ ? t : 0);
    const int height = inner.Height() - (has_hbar_ ? t : 0);
    has_vbar_ = Count() > std::max(1, height / ItemHeight());
    has_hbar_ = content_width_ > width;
  }
  vbar_.SetBounds(has_vbar_ ? gfx::Rect{inner.right - t, inner.top, inner.right,
                                        inner.bottom - (has_hbar_ ? t : 0)}
                            : gfx::Rect{});
  hbar_.SetBounds(has_hbar_ ? gfx::Rect{inner.left, inner.bottom - t,
                                        inner.right - (has_vbar_ ? t : 0), inner.bottom}
                            : gfx::Rect{});
  vbar_.SetRange(0, Count(), VisibleRows());
  hbar_.SetRange(0, content_width_, RowsArea().Width());
  top_ = std::clamp(top_, 0, vbar_.MaxPos());
  x_offset_ = std::clamp(x_offset_, 0, hbar_.MaxPos());
  vbar_.SetPos(top_);
  hbar_.SetPos(x_offset_);
}

void ListView::ScrollTo(int top, int x_offset) {
  top = std::clamp(top, 0, vbar_.MaxPos());
  x_offset = std::clamp(x_offset, 0, hbar_.MaxPos());
  vbar_.SetPos(top);
  hbar_.SetPos(x_offset);
  if (top == top_ && x_offset == x_offset_) return;
  top_ = top;
  x_offset_ = x_offset;
  Invalidate();
}

void ListView::ScrollIntoView(int index) {
  if (index < 0 || index >= Count()) return;
  if (index < top_) {
    ScrollTo(index, x_offset_);
  } else if (index >= top_ + VisibleRows()) {
    ScrollTo(index - VisibleRows() + 1, x_offset_);
  }
}

void ListView::FollowBars() { ScrollTo(vbar_.Pos(), hbar_.Pos()); }

void ListView::OnPaint(gfx::Canvas& canvas) {
  const gfx::Rect client = ClientRect();
  canvas.Save();
  if (HasStyle(style::kBorder)) {
    canvas.SetPen({gfx::Pen::Style::kSolid, gfx::kBlack});
    canvas.SetBrush(gfx::Brush::Solid(gfx::kWhite));
    canvas.Rectangle(client);
  } else {
    canvas.FillRect(client, gfx::kWhite);
  }
  if (has_vbar_ && has_hbar_) {
    canvas.FillRect({vbar_.Bounds().left, hbar_.Bounds().top, vbar_.Bounds().right,
                     hbar_.Bounds().bottom},
                    gfx::kSilver);
  }

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
    // Only the rows that meet the area being painted are drawn.
    const int first = top_ + (dirty.top - area.top) / height;
    const int last = std::min(Count(), top_ + (dirty.bottom - 1 - area.top) / height + 1);
    for (int i = first; i < last; ++i) {
      const gfx::Rect row = RowRect(i);
      const int x = row.left + kRowInset - x_offset_;
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
  canvas.Restore();
  if (has_vbar_) vbar_.Paint(canvas);
  if (has_hbar_) hbar_.Paint(canvas);
}

void ListView::OnPenDown(gfx::Point p) {
  Layout();
  tracking_ = false;
  tracked_bar_ = nullptr;
  if (has_vbar_ && vbar_.PenDown(p)) {
    tracked_bar_ = &vbar_;
  } else if (has_hbar_ && hbar_.PenDown(p)) {
    tracked_bar_ = &hbar_;
  }
  if (tracked_bar_ != nullptr) {
    FollowBars();
    Invalidate();
    return;
  }
  tracking_ = true;
  const int index = ItemAt(p);
  if (index >= 0 && index != selected_) {
    selected_ = index;
    Invalidate();
  }
}

void ListView::OnPenMove(gfx::Point p) {
  if (tracked_bar_ != nullptr) {
    tracked_bar_->PenMove(p);
    FollowBars();
    Invalidate();
    return;
  }
  if (!tracking_) return;
  const int index = ItemAt(p);
  if (index >= 0 && index != selected_) {
    selected_ = index;
    Invalidate();
  }
}

void ListView::OnPenUp(gfx::Point p) {
  if (tracked_bar_ != nullptr) {
    tracked_bar_->PenUp(p);
    tracked_bar_ = nullptr;
    FollowBars();
    Invalidate();
    return;
  }
  if (!tracking_) return;
  tracking_ = false;
  const int index = ItemAt(p);
  if (index >= 0) {
    ScrollIntoView(index);
    NotifyParent(notify::kSelChange);
  }
}

bool ListView::OnKey(Key key) {
  Layout();
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
      ScrollTo(top_, x_offset_ - kHorizontalStep);
      return true;
    case Key::kRight:
      ScrollTo(top_, x_offset_ + kHorizontalStep);
      return true;
    default:
      return false;
  }
}

void ListView::OnFocusChanged(bool focused) {
  (void)focused;
  Invalidate();
}

}  // namespace tv::ui
