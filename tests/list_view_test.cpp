#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/ui/backend.h"
#include "platform/ui/desktop.h"
#include "platform/ui/image_list.h"
#include "platform/ui/list_view.h"
#include "platform/ui/widget.h"

namespace tv::ui {
namespace {

using gfx::Color;
using gfx::Point;

constexpr Color kMaskWhite{255, 255, 255};
constexpr Color kRed{255, 0, 0};
constexpr Color kBlue{0, 0, 255};

// A 16x16 image: white, with a red square at (4..11, 4..11) and one blue
// pixel in the top-left corner.
gfx::Bitmap TestImage(int width = 16, int height = 16) {
  gfx::Bitmap image(width, height, gfx::PixelFormat::kRgb888);
  image.Fill(kMaskWhite);
  for (int y = 4; y < 12 && y < height; ++y) {
    for (int x = 4; x < 12 && x < width; ++x) image.Store(x, y, kRed);
  }
  image.Store(0, 0, kBlue);
  return image;
}

TEST(ImageListTest, CreationFailsForUnusableSizesAndOnlyOnce) {
  ImageList list;
  EXPECT_FALSE(list.Create(0, 16, true));
  EXPECT_FALSE(list.Create(16, -1, true));
  EXPECT_FALSE(list.Create(ImageList::kMaxImageSide + 1, 16, true));
  EXPECT_FALSE(list.IsCreated());
  const gfx::Bitmap image = TestImage();
  EXPECT_EQ(list.AddMasked(&image, kMaskWhite), -1) << "not created yet";
  EXPECT_TRUE(list.Create(16, 16, true));
  EXPECT_FALSE(list.Create(16, 16, true));
}

TEST(ImageListTest, MaskedImagesKeepTheirShape) {
  ImageList list;
  ASSERT_TRUE(list.Create(16, 16, true));
  EXPECT_EQ(list.AddMasked(nullptr, kMaskWhite), -1);
  const gfx::Bitmap image = TestImage();
  for (int i = 0; i < 7; ++i) EXPECT_EQ(list.AddMasked(&image, kMaskWhite), i);
  EXPECT_TRUE(list.IsOpaque(0, 0, 0));
  EXPECT_TRUE(list.IsOpaque(0, 4, 11));
  EXPECT_FALSE(list.IsOpaque(0, 12, 4));
  EXPECT_FALSE(list.IsOpaque(0, 16, 0)) << "outside the image";
  EXPECT_FALSE(list.IsOpaque(7, 4, 4)) << "no such image";

  // Drawing leaves the masked pixels as they were.
  gfx::Bitmap target(40, 40, gfx::PixelFormat::kRgb888);
  target.Fill(Color{0, 255, 0});
  gfx::Canvas canvas(target);
  list.Draw(canvas, 0, {10, 20});
  EXPECT_EQ(target.Load(10, 20), kBlue);
  EXPECT_EQ(target.Load(14, 24), kRed);
  EXPECT_EQ(target.Load(21, 31), kRed);
  EXPECT_EQ(target.Load(22, 31), (Color{0, 255, 0}));
  EXPECT_EQ(target.Load(11, 20), (Color{0, 255, 0}));
  list.Draw(canvas, 9, {0, 0});
  EXPECT_EQ(target.Load(0, 0), (Color{0, 255, 0}));
}

TEST(ImageListTest, SmallerBitmapsAreTransparentWhereTheyDoNotReach) {
  ImageList unmasked;
  ASSERT_TRUE(unmasked.Create(16, 16, false));
  const gfx::Bitmap small = TestImage(8, 8);
  ASSERT_EQ(unmasked.AddMasked(&small, kMaskWhite), 0);
  EXPECT_TRUE(unmasked.IsOpaque(0, 1, 1)) << "an unmasked list draws white too";
  EXPECT_FALSE(unmasked.IsOpaque(0, 8, 8));
}

class FakeBackend : public Backend {
 public:
  Event WaitEvent() override {
    if (events.empty()) return Event::Quit();
    Event event = std::move(events.front());
    events.pop_front();
    return event;
  }
  void Present(const gfx::Bitmap& frame) override { (void)frame; }
  std::deque<Event> events;
};

class Host : public Window {
 public:
  Host() {
    SetFrame(kScreenArea);
    Show(true);
  }
  std::vector<std::pair<int, int>> notes;

 protected:
  void OnCommand(int id, int notification) override { notes.emplace_back(id, notification); }
};

// The field list's template on the Country Info screen: 223 by 133 pixels.
constexpr ControlTemplate kFieldList{1075, ControlKind::kListView, 2, 59, 134, 76,
                                     style::kBorder | style::kTabStop};

class ListViewTest : public ::testing::Test {
 protected:
  ListViewTest() : desktop_(backend_, gfx::PixelFormat::kRgb888) {
    desktop_.AddTopLevel(&host_);
    list_ = dynamic_cast<ListView*>(host_.AddChild(CreateWidget(kFieldList)));
    EXPECT_NE(list_, nullptr);
    EXPECT_TRUE(images_.Create(16, 16, true));
    const gfx::Bitmap image = TestImage();
    images_.AddMasked(&image, kMaskWhite);
    list_->SetImageList(&images_);
  }
  void Send(Event event) {
    desktop_.PostEvent(std::move(event));
    desktop_.ProcessOneEvent();
  }
  Color DisplayPixel(Point p) {
    desktop_.PaintPending();
    return desktop_.Display().Load(p.x, p.y);
  }

  FakeBackend backend_;
  Desktop desktop_;
  Host host_;
  ImageList images_;
  ListView* list_ = nullptr;
};

TEST_F(ListViewTest, RowsKeepInsertionOrderAndShowTheirImages) {
  EXPECT_EQ(list_->Frame(), (gfx::Rect{3, 103, 226, 236}));
  EXPECT_EQ(list_->InsertItem(0, u"zeta", 0), 0);
  EXPECT_EQ(list_->InsertItem(list_->Count(), u"alpha", -1), 1);
  EXPECT_EQ(list_->InsertItem(99, u"mid", 0), 2);
  EXPECT_EQ(list_->Items(), (std::vector<std::u16string>{u"zeta", u"alpha", u"mid"}));
  EXPECT_EQ(list_->ItemImage(1), -1);
  EXPECT_FALSE(list_->FindScroller()->HasVisibleBars());

  // Row 0's image sits one pixel inside the border; its white is the list's
  // own white, its red square shows.
  const Point origin = list_->ScreenOrigin();
  const gfx::Rect row0 = list_->RowRect(0);
  const Point image{origin.x + row0.left + 1, origin.y + row0.top};
  EXPECT_EQ(DisplayPixel(image), kBlue);
  EXPECT_EQ(DisplayPixel(image + Point{6, 6}), kRed);
  EXPECT_EQ(DisplayPixel(image + Point{13, 13}), kMaskWhite);
  // Row 1 has no image.
  const gfx::Rect row1 = list_->RowRect(1);
  EXPECT_EQ(DisplayPixel({origin.x + row1.left + 7, origin.y + row1.top + 7}), kMaskWhite);

  list_->SetSelection(1);
  list_->InsertItem(0, u"first", 0);
  EXPECT_EQ(list_->GetSelection(), 2) << "the selection stays on its row";
  list_->DeleteAllItems();
  EXPECT_EQ(list_->Count(), 0);
  EXPECT_EQ(list_->GetSelection(), -1);
}

TEST_F(ListViewTest, ScrollBarsAppearOnlyWhenRowsOverflow) {
  const int fit = list_->VisibleRows();
  for (int i = 0; i < fit; ++i) list_->InsertItem(i, u"row", 1);
  EXPECT_FALSE(list_->FindScroller()->HasVisibleBars());
  list_->InsertItem(fit, u"one more", 1);
  ASSERT_TRUE(list_->GetScrollInfo(ScrollOrientation::kVertical).visible);
  EXPECT_EQ(list_->GetScrollInfo(ScrollOrientation::kVertical).max, fit);

  EXPECT_FALSE(list_->GetScrollInfo(ScrollOrientation::kHorizontal).visible);
  list_->InsertItem(0, std::u16string(80, u'W'), 1);
  ASSERT_TRUE(list_->GetScrollInfo(ScrollOrientation::kHorizontal).visible);
  EXPECT_GT(list_->ContentWidth(), list_->RowsArea().Width());
  desktop_.SetFocus(list_);
  Send(Event::KeyPress(Key::kRight));
  EXPECT_EQ(list_->HorizontalOffset(), ListView::kHorizontalStep);
  list_->ScrollTo(0, 1 << 20);
  EXPECT_EQ(list_->HorizontalOffset(), list_->ContentWidth() - list_->RowsArea().Width());
  // Dragging the vertical bar's thumb to the bottom shows the last row.
  const gfx::Rect thumb = list_->FindScroller()->VisibleBar(ScrollOrientation::kVertical)->ThumbRect();
  const Point grab = list_->ScreenOrigin() + Point{thumb.left + 2, thumb.top + 2};
  Send(Event::Pen(Event::Type::kPenDown, grab));
  Send(Event::Pen(Event::Type::kPenMove, grab + Point{0, 300}));
  Send(Event::Pen(Event::Type::kPenUp, grab + Point{0, 300}));
  EXPECT_EQ(list_->TopIndex(), list_->Count() - list_->VisibleRows());
  EXPECT_TRUE(host_.notes.empty()) << "scrolling selects nothing";
}

TEST_F(ListViewTest, TapSelectsTheRowUnderThePenAndTellsTheParent) {
  for (int i = 0; i < 3; ++i) list_->InsertItem(i, u"row", 0);
  const gfx::Rect row = list_->RowRect(2);
  const Point p = list_->ScreenOrigin() + Point{row.left + 40, row.top + 2};
  Send(Event::Pen(Event::Type::kPenDown, p));
  Send(Event::Pen(Event::Type::kPenUp, p));
  EXPECT_EQ(list_->GetSelection(), 2);
  EXPECT_EQ(host_.notes, (std::vector<std::pair<int, int>>{{1075, notify::kSelChange}}));
  // Below the last row nothing is picked.
  const Point below = list_->ScreenOrigin() + Point{row.left + 40, list_->RowRect(5).top};
  Send(Event::Pen(Event::Type::kPenDown, below));
  Send(Event::Pen(Event::Type::kPenUp, below));
  EXPECT_EQ(list_->GetSelection(), 2);
  EXPECT_EQ(host_.notes.size(), 1u);
}

}  // namespace
}  // namespace tv::ui
