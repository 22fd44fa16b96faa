#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/canvas.h"
#include "platform/gfx/geometry.h"
#include "platform/ui/image_list.h"
#include "platform/ui/widget.h"

namespace tv::ui {

// A list control in small-icon view: rows of an image and a one-line label,
// one row a line, in the order they were inserted. Labels are never wrapped;
// scroll bars appear when the rows overflow the control downwards or
// sideways. A tap or the arrow keys select a row; PageUp, PageDown, Home and
// End move the selection by pages and to the ends, Left and Right scroll
// sideways.
class ListView : public Widget {
 public:
  // The image size rows are laid out for while no image list is set.
  static constexpr int kDefaultImageSide = 16;
  static constexpr int kImageTextGap = 2;
  static constexpr int kHorizontalStep = 8;

  explicit ListView(const ControlTemplate& tmpl);
  const char* KindName() const override { return "listview"; }

  // The images the rows show; not owned, and it must outlive its use here.
  void SetImageList(const ImageList* images);
  const ImageList* GetImageList() const { return images_; }

  // Inserts a row before `index` (clamped to 0..Count()) and returns where
  // it went. `image` indexes the image list; one it does not hold shows no
  // image.
  int InsertItem(int index, std::u16string_view text, int image);
  void DeleteAllItems();

  int Count() const { return static_cast<int>(rows_.size()); }
  const std::u16string& ItemText(int index) const { return rows_[index].text; }
  int ItemImage(int index) const { return rows_[index].image; }
  // The selected row, or -1.
  int GetSelection() const { return selected_; }
  // Selects `index` (-1 clears) without notifying and scrolls it into view;
  // false, changing nothing, when it is out of range.
  bool SetSelection(int index);

  int ItemHeight() const;
  int TopIndex() const { return GetScrollInfo(ScrollOrientation::kVertical).pos; }
  int HorizontalOffset() const { return GetScrollInfo(ScrollOrientation::kHorizontal).pos; }
  // Rows that fit whole (at least one).
  int VisibleRows() const { return GetScrollInfo(ScrollOrientation::kVertical).page; }
  // The widest row (image, gap and label), in pixels.
  int ContentWidth() const { return content_width_; }
  // Where the rows are drawn, in client coordinates.
  gfx::Rect RowsArea() const;
  gfx::Rect RowRect(int index) const;
  // The row under a client point, or -1.
  int ItemAt(gfx::Point p) const;
  // Moves the view, clamped.
  void ScrollTo(int top, int x_offset);

  std::vector<std::u16string> Items() const override;
  std::vector<int> ItemImages() const override;
  int SelectedIndex() const override { return selected_; }
  // Selects the row as a tap would and tells the parent.
  bool ChooseFromUser(int index) override;

 protected:
  void OnPaint(gfx::Canvas& canvas) override;
  void OnPenDown(gfx::Point p) override;
  void OnPenMove(gfx::Point p) override;
  void OnPenUp(gfx::Point p) override;
  bool OnKey(Key key) override;
  void OnFocusChanged(bool focused) override;

 private:
  struct Row {
    std::u16string text;
    int image;
    int width;  // image, gap and label
  };

  gfx::Size ImageSide() const;
  int MeasureRow(std::u16string_view text) const;
  // Gives the scroll host the rows' extent, which decides the bars.
  void Layout();
  void ScrollIntoView(int index);
  void SelectAndNotify(int index);

  std::vector<Row> rows_;
  const ImageList* images_ = nullptr;
  int selected_ = -1;
  int content_width_ = 0;
  bool tracking_ = false;
};

}  // namespace tv::ui
