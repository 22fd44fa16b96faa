#include <algorithm>
#include <cstdint>

#include "platform/ui/scroll_bar.h"

namespace tv::ui {

void DrawArrowHead(gfx::Canvas& canvas, const gfx::Rect& box, ArrowDirection direction,
                   gfx::Color color) {
  const int size = std::max(1, std::min(box.Width(), box.Height()) / 3);
  const int cx = (box.left + box.right) / 2;
  const int cy = (box.top + box.bottom) / 2;
  for (int i = 0; i < size; ++i) {
    switch (direction) {
      case ArrowDirection::kUp: {
        const int y = cy - size / 2 + i;
        canvas.FillRect({cx - i, y, cx + i + 1, y + 1}, color);
        break;
      }
      case ArrowDirection::kDown: {
        const int y = cy - size / 2 + (size - 1 - i);
        canvas.FillRect({cx - i, y, cx + i + 1, y + 1}, color);
        break;
      }
      case ArrowDirection::kLeft: {
        const int x = cx - size / 2 + i;
        canvas.FillRect({x, cy - i, x + 1, cy + i + 1}, color);
        break;
      }
      case ArrowDirection::kRight: {
        const int x = cx - size / 2 + (size - 1 - i);
        canvas.FillRect({x, cy - i, x + 1, cy + i + 1}, color);
        break;
      }
    }
  }
}

void ScrollBar::SetRange(int min, int max, int page) {
  min_ = min;
  max_ = std::max(min, max);
  page_ = std::max(0, page);
  SetPos(pos_);
}

int ScrollBar::MaxPos() const { return std::max(min_, max_ - page_); }

bool ScrollBar::SetPos(int pos) {
  const int clamped = std::clamp(pos, min_, MaxPos());
  if (clamped == pos_) return false;
  pos_ = clamped;
  return true;
}

int ScrollBar::Start() const {
  return orientation_ == Orientation::kVertical ? bounds_.top : bounds_.left;
}

int ScrollBar::End() const {
  return orientation_ == Orientation::kVertical ? bounds_.bottom : bounds_.right;
}

int ScrollBar::ArrowLength() const {
  const int across = orientation_ == Orientation::kVertical ? bounds_.Width() : bounds_.Height();
  // A bar shorter than two square arrows gives each arrow half of it.
  return std::max(0, std::min(across, (End() - Start()) / 2));
}

gfx::Rect ScrollBar::Span(int from, int to) const {
  if (orientation_ == Orientation::kVertical) return {bounds_.left, from, bounds_.right, to};
  return {from, bounds_.top, to, bounds_.bottom};
}

gfx::Rect ScrollBar::DecrementArrowRect() const { return Span(Start(), Start() + ArrowLength()); }

gfx::Rect ScrollBar::IncrementArrowRect() const { return Span(End() - ArrowLength(), End()); }

int ScrollBar::ShownPos() const { return tracked_ == Part::kThumb ? track_pos_ : pos_; }

void ScrollBar::Request(ScrollCode code, int pos) {
  if (reporter_) reporter_(code, pos);
}

void ScrollBar::ThumbSpan(int pos, int& from, int& to) const {
  from = to = 0;
  if (!CanScroll()) return;
  const int track_start = Start() + ArrowLength();
  const int track_length = End() - ArrowLength() - track_start;
  if (track_length < kMinThumbLength) return;
  const int64_t content = static_cast<int64_t>(max_) - min_;
  const int length = static_cast<int>(
      std::clamp<int64_t>(track_length * static_cast<int64_t>(page_) / content,
                          kMinThumbLength, track_length));
  const int64_t room = track_length - length;
  const int64_t offset = room * (std::clamp(pos, min_, MaxPos()) - min_) / (MaxPos() - min_);
  from = track_start + static_cast<int>(offset);
  to = from + length;
}

gfx::Rect ScrollBar::ThumbRect() const {
  int from = 0;
  int to = 0;
  ThumbSpan(ShownPos(), from, to);
  if (from == to) return {};
  return Span(from, to);
}

ScrollBar::Part ScrollBar::HitTest(gfx::Point p) const {
  if (!bounds_.Contains(p)) return Part::kNone;
  const int along = Along(p);
  const int arrow = ArrowLength();
  if (along < Start() + arrow) return Part::kDecrementArrow;
  if (along >= End() - arrow) return Part::kIncrementArrow;
  int from = 0;
  int to = 0;
  ThumbSpan(ShownPos(), from, to);
  if (from == to) {
    // No thumb: nothing to scroll, or too little room to show it; the track
    // still pages when there is something to scroll.
    if (!CanScroll()) return Part::kNone;
    const int middle = (Start() + arrow + End() - arrow) / 2;
    return along < middle ? Part::kPageBack : Part::kPageForward;
  }
  if (along < from) return Part::kPageBack;
  if (along >= to) return Part::kPageForward;
  return Part::kThumb;
}

bool ScrollBar::PenDown(gfx::Point p) {
  if (!bounds_.Contains(p)) return false;
  tracked_ = HitTest(p);
  pressed_ = false;
  pen_ = p;
  switch (tracked_) {
    case Part::kNone:
      break;
    case Part::kDecrementArrow:
      pressed_ = true;
      Request(ScrollCode::kLineUp, pos_);
      break;
    case Part::kIncrementArrow:
      pressed_ = true;
      Request(ScrollCode::kLineDown, pos_);
      break;
    case Part::kPageBack:
      Request(ScrollCode::kPageUp, pos_);
      break;
    case Part::kPageForward:
      Request(ScrollCode::kPageDown, pos_);
      break;
    case Part::kThumb: {
      int from = 0;
      int to = 0;
      ThumbSpan(pos_, from, to);
      grab_offset_ = Along(p) - from;
      track_pos_ = pos_;
      break;
    }
  }
  return true;
}

void ScrollBar::PenMove(gfx::Point p) {
  pen_ = p;
  switch (tracked_) {
    case Part::kDecrementArrow:
    case Part::kIncrementArrow:
      pressed_ = HitTest(p) == tracked_;
      break;
    case Part::kThumb: {
      int from = 0;
      int to = 0;
      ThumbSpan(pos_, from, to);
      const int track_start = Start() + ArrowLength();
      const int room = End() - ArrowLength() - track_start - (to - from);
      if (room <= 0) return;
      const int64_t wanted =
          std::clamp<int64_t>(Along(p) - grab_offset_ - track_start, 0, room);
      const int64_t span = static_cast<int64_t>(MaxPos()) - min_;
      // Rounded to the nearest position, so the thumb follows the pen.
      track_pos_ = min_ + static_cast<int>((wanted * span + room / 2) / room);
      Request(ScrollCode::kThumbTrack, track_pos_);
      break;
    }
    default:
      break;
  }
}

bool ScrollBar::IsHolding() const {
  return tracked_ != Part::kNone && tracked_ != Part::kThumb;
}

bool ScrollBar::Repeat() {
  switch (tracked_) {
    case Part::kDecrementArrow:
    case Part::kIncrementArrow:
      if (!pressed_) return false;
      Request(tracked_ == Part::kDecrementArrow ? ScrollCode::kLineUp : ScrollCode::kLineDown,
              pos_);
      return true;
    case Part::kPageBack:
    case Part::kPageForward:
      // The track stops paging once the thumb has come under the pen.
      if (HitTest(pen_) != tracked_) return false;
      Request(tracked_ == Part::kPageBack ? ScrollCode::kPageUp : ScrollCode::kPageDown, pos_);
      return true;
    default:
      return false;
  }
}

void ScrollBar::PenUp(gfx::Point p) {
  (void)p;
  const Part tracked = tracked_;
  tracked_ = Part::kNone;
  pressed_ = false;
  if (tracked == Part::kNone) return;
  if (tracked == Part::kThumb) Request(ScrollCode::kThumbPosition, track_pos_);
  Request(ScrollCode::kEndScroll, pos_);
}

void ScrollBar::Paint(gfx::Canvas& canvas) const {
  if (bounds_.IsEmpty()) return;
  canvas.Save();
  canvas.SetPen({gfx::Pen::Style::kSolid, gfx::kBlack});
  canvas.SetBrush(gfx::Brush::Solid(gfx::kSilver));
  canvas.Rectangle(bounds_);

  const gfx::Color arrow_color = CanScroll() ? gfx::kBlack : gfx::kGrey;
  const bool vertical = orientation_ == Orientation::kVertical;
  const gfx::Rect dec = DecrementArrowRect();
  const gfx::Rect inc = IncrementArrowRect();
  canvas.SetBrush(gfx::Brush::Solid(
      pressed_ && tracked_ == Part::kDecrementArrow ? gfx::kGrey : gfx::kSilver));
  canvas.Rectangle(dec);
  DrawArrowHead(canvas, dec, vertical ? ArrowDirection::kUp : ArrowDirection::kLeft, arrow_color);
  canvas.SetBrush(gfx::Brush::Solid(
      pressed_ && tracked_ == Part::kIncrementArrow ? gfx::kGrey : gfx::kSilver));
  canvas.Rectangle(inc);
  DrawArrowHead(canvas, inc, vertical ? ArrowDirection::kDown : ArrowDirection::kRight, arrow_color);

  const gfx::Rect thumb = ThumbRect();
  if (!thumb.IsEmpty()) {
    canvas.SetBrush(gfx::Brush::Solid(gfx::kSilver));
    canvas.Rectangle(thumb);
    // A highlight along the top and left edges lifts the thumb off the track.
    canvas.FillRect({thumb.left + 1, thumb.top + 1, thumb.right - 1, thumb.top + 2}, gfx::kWhite);
    canvas.FillRect({thumb.left + 1, thumb.top + 1, thumb.left + 2, thumb.bottom - 1}, gfx::kWhite);
  }
  canvas.Restore();
}

}  // namespace tv::ui
