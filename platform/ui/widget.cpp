#include "platform/ui/widget.h"

#include "platform/base/utf.h"
#include "platform/ui/controls.h"
#include "platform/ui/line_edit.h"
#include "platform/ui/list_view.h"

namespace tv::ui {

Widget::Widget(const ControlTemplate& tmpl) : style_(tmpl.style) {
  SetId(tmpl.id);
  SetFrame(DialogUnitsToPixels(tmpl.x, tmpl.y, tmpl.cx, tmpl.cy));
  Window::SetText(tmpl.text);
  Enable((tmpl.style & style::kDisabled) == 0);
  Show((tmpl.style & style::kHidden) == 0);
}

std::unique_ptr<Widget> CreateWidget(const ControlTemplate& tmpl) {
  switch (tmpl.kind) {
    case ControlKind::kComboBox:
      return std::make_unique<ComboBox>(tmpl);
    case ControlKind::kListBox:
      return std::make_unique<ListBox>(tmpl);
    case ControlKind::kEditBox:
      return std::make_unique<EditBox>(tmpl);
    case ControlKind::kBitmapButton:
      return std::make_unique<BitmapButton>(tmpl);
    case ControlKind::kPushButton:
      return std::make_unique<PushButton>(tmpl);
    case ControlKind::kStatic:
      return std::make_unique<StaticText>(tmpl);
    case ControlKind::kListView:
      return std::make_unique<ListView>(tmpl);
    case ControlKind::kLineEdit:
      return std::make_unique<LineEdit>(tmpl);
  }
  return std::make_unique<PushButton>(tmpl);
}

std::shared_ptr<const gfx::Font> DialogFont() { return gfx::Font::Get(gfx::SystemFontSpec()); }

int DialogLineHeight() {
  const std::shared_ptr<const gfx::Font> font = DialogFont();
  // Without a font the layout still follows the font's nominal cell height,
  // so that rows and scroll ranges do not depend on the machine's fonts.
  return font != nullptr ? font->CellHeight() : gfx::kSystemFontCellHeight;
}

int ListItemHeight() { return DialogLineHeight() + 1; }

void DrawControlBox(gfx::Canvas& canvas, const gfx::Rect& rect, bool bordered) {
  if (!bordered) {
    canvas.FillRect(rect, gfx::kWhite);
    return;
  }
  canvas.Save();
  canvas.SetPen({gfx::Pen::Style::kSolid, gfx::kBlack});
  canvas.SetBrush(gfx::Brush::Solid(gfx::kWhite));
  canvas.Rectangle(rect);
  canvas.Restore();
}

void DrawFocusRect(gfx::Canvas& canvas, const gfx::Rect& rect, gfx::Color color) {
  if (rect.IsEmpty()) return;
  // Every other pixel along the outline, walked clockwise so that the dots
  // keep their rhythm around the corners.
  int n = 0;
  for (int x = rect.left; x < rect.right; ++x, ++n) {
    if (n % 2 == 0) canvas.SetPixel({x, rect.top}, color);
  }
  for (int y = rect.top + 1; y < rect.bottom; ++y, ++n) {
    if (n % 2 == 0) canvas.SetPixel({rect.right - 1, y}, color);
  }
  for (int x = rect.right - 2; x >= rect.left; --x, ++n) {
    if (n % 2 == 0) canvas.SetPixel({x, rect.bottom - 1}, color);
  }
  for (int y = rect.bottom - 2; y > rect.top; --y, ++n) {
    if (n % 2 == 0) canvas.SetPixel({rect.left, y}, color);
  }
}

int SortedInsertIndex(const std::vector<std::u16string>& items, std::u16string_view text) {
  // Binary search for the first item that compares greater than `text`.
  size_t lo = 0;
  size_t hi = items.size();
  while (lo < hi) {
    const size_t mid = lo + (hi - lo) / 2;
    if (CompareNoCase(items[mid], text) <= 0) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return static_cast<int>(lo);
}

int ItemListWidget::AddString(std::u16string_view text) {
  const int index = HasStyle(style::kSorted) ? SortedInsertIndex(items_, text) : Count();
  items_.insert(items_.begin() + index, std::u16string(text));
  // The selection stays on the item it was on.
  if (selected_ >= index) ++selected_;
  OnItemInserted(index);
  return index;
}

void ItemListWidget::ResetContent() {
  items_.clear();
  selected_ = -1;
  OnItemsCleared();
}

std::u16string ItemListWidget::GetText(int index) const {
  if (index < 0 || index >= Count()) return {};
  return items_[index];
}

bool ItemListWidget::SetCurSel(int index) {
  if (index < -1 || index >= Count()) return false;
  selected_ = index;
  OnSelectionSet(index);
  return true;
}

}  // namespace tv::ui
