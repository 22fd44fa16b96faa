#include <gtest/gtest.h>

#include "tests/test_env.h"

#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/ui/backend.h"
#include "platform/ui/controls.h"
#include "platform/ui/desktop.h"
#include "platform/ui/widget.h"

namespace tv::ui {
namespace {

using Note = std::pair<int, int>;  // control id, notification

class FakeBackend : public Backend {
 public:
  Event WaitEvent() override {
    if (events.empty()) return Event::Quit();
    Event event = std::move(events.front());
    events.pop_front();
    return event;
  }
  void Present(const gfx::Bitmap& frame) override {
    (void)frame;
    ++presents;
  }

  std::deque<Event> events;
  int presents = 0;
};

// A screen-sized window that records what its controls tell it and the keys
// that reach it.
class Host : public Window {
 public:
  Host() {
    SetFrame(kScreenArea);
    Show(true);
  }
  std::vector<Note> notes;
  std::vector<Key> keys;

 protected:
  void OnCommand(int id, int notification) override { notes.emplace_back(id, notification); }
  bool OnKey(Key key) override {
    keys.push_back(key);
    return false;
  }
};

class ControlsTest : public ::testing::Test {
 protected:
  ControlsTest() : desktop_(backend_, gfx::PixelFormat::kRgb888) {
    desktop_.RecordTexts(true);
    desktop_.AddTopLevel(&host_);
  }

  template <class T>
  T& Add(const ControlTemplate& tmpl, Window* parent = nullptr) {
    Window* child = (parent != nullptr ? parent : &host_)->AddChild(CreateWidget(tmpl));
    T* typed = dynamic_cast<T*>(child);
    EXPECT_NE(typed, nullptr);
    return *typed;
  }

  void Send(Event event) {
    desktop_.PostEvent(std::move(event));
    desktop_.ProcessOneEvent();
  }
  void PenDown(gfx::Point p) { Send(Event::Pen(Event::Type::kPenDown, p)); }
  void PenMove(gfx::Point p) { Send(Event::Pen(Event::Type::kPenMove, p)); }
  void PenUp(gfx::Point p) { Send(Event::Pen(Event::Type::kPenUp, p)); }
  void Tap(gfx::Point p) {
    PenDown(p);
    PenUp(p);
  }
  void Press(Key key) { Send(Event::KeyPress(key)); }

  // The display point in the middle of visible row `index` of a list whose
  // rows start one pixel inside the window (the border).
  static gfx::Point RowPoint(const Window& list, int index, int top, int item_height) {
    return list.ScreenOrigin() + gfx::Point{10, 1 + (index - top) * item_height + item_height / 2};
  }

  gfx::Color DisplayPixel(gfx::Point p) { return desktop_.Display().Load(p.x, p.y); }

  FakeBackend backend_;
  Desktop desktop_;
  Host host_;
};

constexpr uint32_t kListStyle =
    style::kNotify | style::kBorder | style::kVScroll | style::kNoIntegralHeight | style::kTabStop;

// The country list's template on the main screen: 228 by 91 pixels.
constexpr ControlTemplate kCountryList{1001, ControlKind::kListBox, 0, 84, 137, 52,
                                       kListStyle | style::kSorted};
constexpr ControlTemplate kRegionCombo{1009, ControlKind::kComboBox, 55, 70, 82, 30,
                                       style::kSorted | style::kVScroll | style::kTabStop};

std::u16string Name(int i) {
  std::u16string s = u"Item ";
  s += static_cast<char16_t>(u'0' + i / 100);
  s += static_cast<char16_t>(u'0' + i / 10 % 10);
  s += static_cast<char16_t>(u'0' + i % 10);
  return s;
}

TEST_F(ControlsTest, CreateWidgetBuildsEachKindFromItsTemplate) {
  const ControlTemplate hidden{7, ControlKind::kPushButton, 6, 8, 30, 12,
                               style::kHidden | style::kDisabled, u"OK"};
  Widget& button = Add<PushButton>(hidden);
  EXPECT_EQ(button.Id(), 7);
  EXPECT_EQ(button.Frame(), (gfx::Rect{10, 14, 60, 35}));
  EXPECT_EQ(button.Text(), u"OK");
  EXPECT_FALSE(button.IsVisible());
  EXPECT_FALSE(button.IsEnabled());

  EXPECT_NE(dynamic_cast<ListBox*>(CreateWidget(kCountryList).get()), nullptr);
  EXPECT_NE(dynamic_cast<ComboBox*>(CreateWidget(kRegionCombo).get()), nullptr);
  EXPECT_NE(dynamic_cast<EditBox*>(
                CreateWidget({1, ControlKind::kEditBox, 0, 0, 50, 50}).get()),
            nullptr);
  EXPECT_NE(dynamic_cast<BitmapButton*>(
                CreateWidget({1, ControlKind::kBitmapButton, 0, 0, 16, 16}).get()),
            nullptr);
}

TEST_F(ControlsTest, SortedListsInsertCaseBlindWithTiesAfterEqualItems) {
  ListBox& list = Add<ListBox>(kCountryList);
  EXPECT_EQ(list.AddString(u"beta"), 0);
  EXPECT_EQ(list.AddString(u"Alpha"), 0);
  EXPECT_EQ(list.AddString(u"alpha"), 1);
  EXPECT_EQ(list.AddString(u"Gamma"), 3);
  EXPECT_EQ(list.AddString(u"ALPHA"), 2);
  EXPECT_EQ(list.AddString(u"Alphabet"), 3);
  EXPECT_EQ(list.Items(), (std::vector<std::u16string>{u"Alpha", u"alpha", u"ALPHA", u"Alphabet",
                                                       u"beta", u"Gamma"}));

  // The selection stays on its item when another goes in before it.
  ASSERT_TRUE(list.SetCurSel(4));
  list.AddString(u"aardvark");
  EXPECT_EQ(list.GetCurSel(), 5);
  EXPECT_EQ(list.GetText(5), u"beta");

  ComboBox& combo = Add<ComboBox>(kRegionCombo);
  for (const char16_t* name : {u"World Countries", u"Africa", u"europe", u"Asia", u"Europe"}) {
    combo.AddString(name);
  }
  EXPECT_EQ(combo.Items(), (std::vector<std::u16string>{u"Africa", u"Asia", u"europe", u"Europe",
                                                        u"World Countries"}));

  const ControlTemplate unsorted{5, ControlKind::kListBox, 0, 0, 50, 50, 0};
  ListBox& plain = Add<ListBox>(unsorted);
  EXPECT_EQ(plain.AddString(u"b"), 0);
  EXPECT_EQ(plain.AddString(u"a"), 1);
  EXPECT_EQ(plain.GetText(1), u"a");
  EXPECT_EQ(plain.GetText(2), u"");
  EXPECT_EQ(plain.GetText(-1), u"");
}

TEST_F(ControlsTest, ListBoxTapSelectsOnDownAndNotifiesOnReleaseOverAnItem) {
  ListBox& list = Add<ListBox>(kCountryList);
  for (int i = 0; i < 10; ++i) list.AddString(Name(i));
  const int ih = list.ItemHeight();

  PenDown(RowPoint(list, 2, 0, ih));
  EXPECT_EQ(list.GetCurSel(), 2);
  EXPECT_TRUE(host_.notes.empty());
  PenUp(RowPoint(list, 2, 0, ih));
  EXPECT_EQ(host_.notes, (std::vector<Note>{{1001, notify::kSelChange}}));

  // The same item again notifies again, so a country can be reopened.
  Tap(RowPoint(list, 2, 0, ih));
  EXPECT_EQ(host_.notes.size(), 2u);

  // Dragging follows the pen; lifting it away from the list tells nobody.
  host_.notes.clear();
  PenDown(RowPoint(list, 1, 0, ih));
  PenMove(RowPoint(list, 3, 0, ih));
  EXPECT_EQ(list.GetCurSel(), 3);
  PenUp({239, 319});
  EXPECT_TRUE(host_.notes.empty());
  EXPECT_EQ(list.GetCurSel(), 3);

  // A tap below the last item changes nothing.
  list.ResetContent();
  list.AddString(u"only");
  Tap(RowPoint(list, 3, 0, ih));
  EXPECT_EQ(list.GetCurSel(), -1);
  EXPECT_TRUE(host_.notes.empty());
}

TEST_F(ControlsTest, ListBoxWithoutNotifyStyleSelectsSilently) {
  ListBox& list = Add<ListBox>({3, ControlKind::kListBox, 0, 0, 100, 60, style::kBorder});
  list.AddString(u"a");
  list.AddString(u"b");
  Tap(RowPoint(list, 1, 0, list.ItemHeight()));
  EXPECT_EQ(list.GetCurSel(), 1);
  EXPECT_TRUE(list.ChooseFromUser(0));
  EXPECT_EQ(list.GetCurSel(), 0);
  EXPECT_TRUE(host_.notes.empty());
}

TEST_F(ControlsTest, ListBoxKeysMoveTheCaretAndReturnChooses) {
  ListBox& list = Add<ListBox>(kCountryList);
  for (int i = 0; i < 40; ++i) list.AddString(Name(i));
  desktop_.SetFocus(&list);
  const int rows = list.Rows().FullRows();

  Press(Key::kDown);
  Press(Key::kDown);
  EXPECT_EQ(list.CaretIndex(), 2);
  EXPECT_EQ(list.GetCurSel(), -1);
  EXPECT_TRUE(host_.notes.empty());

  Press(Key::kEnd);
  EXPECT_EQ(list.CaretIndex(), 39);
  EXPECT_EQ(list.TopIndex(), 40 - rows);
  Press(Key::kDown);
  EXPECT_EQ(list.CaretIndex(), 39);
  Press(Key::kPageUp);
  EXPECT_EQ(list.CaretIndex(), 39 - (rows - 1));
  EXPECT_TRUE(host_.notes.empty());

  Press(Key::kReturn);
  EXPECT_EQ(list.GetCurSel(), 39 - (rows - 1));
  EXPECT_EQ(host_.notes, (std::vector<Note>{{1001, notify::kSelChange}}));

  Press(Key::kHome);
  EXPECT_EQ(list.CaretIndex(), 0);
  EXPECT_EQ(list.TopIndex(), 0);
  // Keys the list does not use go on to its parent.
  Press(Key::kEscape);
  EXPECT_EQ(host_.keys, (std::vector<Key>{Key::kEscape}));
}

TEST_F(ControlsTest, ListBoxChooseFromUserChecksBoundsAndScrollsIntoView) {
  ListBox& list = Add<ListBox>(kCountryList);
  for (int i = 0; i < 30; ++i) list.AddString(Name(i));
  EXPECT_FALSE(list.ChooseFromUser(-1));
  EXPECT_FALSE(list.ChooseFromUser(30));
  EXPECT_EQ(list.GetCurSel(), -1);
  EXPECT_TRUE(host_.notes.empty());

  EXPECT_TRUE(list.ChooseFromUser(29));
  EXPECT_EQ(list.GetCurSel(), 29);
  EXPECT_EQ(list.TopIndex(), 30 - list.Rows().FullRows());
  EXPECT_EQ(host_.notes, (std::vector<Note>{{1001, notify::kSelChange}}));

  // Programmatic selection never notifies, and refuses what is not there.
  EXPECT_TRUE(list.SetCurSel(0));
  EXPECT_EQ(list.TopIndex(), 0);
  EXPECT_FALSE(list.SetCurSel(30));
  EXPECT_EQ(list.GetCurSel(), 0);
  EXPECT_TRUE(list.SetCurSel(-1));
  EXPECT_EQ(list.SelectedIndex(), -1);
  EXPECT_EQ(host_.notes.size(), 1u);
}

TEST_F(ControlsTest, ListBoxScrollBarAppearsOnOverflowAndScrollsWithoutSelecting) {
  ListBox& list = Add<ListBox>(kCountryList);
  const int rows = list.Rows().FullRows();
  for (int i = 0; i < rows; ++i) list.AddString(Name(i));
  EXPECT_FALSE(list.Rows().HasScrollBar());
  list.AddString(Name(rows));
  ASSERT_TRUE(list.Rows().HasScrollBar());

  const gfx::Rect down =
      list.FindScroller()->VisibleBar(ScrollOrientation::kVertical)->IncrementArrowRect();
  const gfx::Point tap = list.ScreenOrigin() + gfx::Point{down.left + 2, down.top + 2};
  Tap(tap);
  EXPECT_EQ(list.TopIndex(), 1);
  Tap(tap);
  EXPECT_EQ(list.TopIndex(), 1);
  EXPECT_EQ(list.GetCurSel(), -1);
  EXPECT_TRUE(host_.notes.empty());

  // A list without the scroll bar style never shows one.
  ListBox& bare = Add<ListBox>({4, ControlKind::kListBox, 0, 0, 60, 20, style::kBorder});
  for (int i = 0; i < 20; ++i) bare.AddString(Name(i));
  EXPECT_FALSE(bare.Rows().HasScrollBar());
}

TEST_F(ControlsTest, LargeListPaintsTheSelectedRowInNavyWhereItBelongs) {
  ListBox& list = Add<ListBox>(kCountryList);
  for (int i = 0; i < 256; ++i) list.AddString(Name(i));
  ASSERT_TRUE(list.SetCurSel(200));
  desktop_.PaintPending();

  const int ih = list.ItemHeight();
  const int rows = list.Rows().FullRows();
  ASSERT_EQ(list.TopIndex(), 200 - rows + 1);
  const gfx::Rect area = list.Rows().RowsArea();
  const gfx::Point origin = list.ScreenOrigin();
  const int row_top = origin.y + 1 + (rows - 1) * ih;
  const int right = origin.x + area.right - 1;
  EXPECT_EQ(DisplayPixel({right, row_top}), kSelectionColor);
  EXPECT_EQ(DisplayPixel({right, row_top + ih - 1}), kSelectionColor);
  EXPECT_EQ(DisplayPixel({right, row_top - 1}), gfx::kWhite);
  EXPECT_EQ(DisplayPixel({right, row_top + ih}), gfx::kWhite);
  // The border and the scroll bar's thumb near the bottom of its track.
  EXPECT_EQ(DisplayPixel(origin), gfx::kBlack);
  const ScrollBar& bar = *list.FindScroller()->VisibleBar(ScrollOrientation::kVertical);
  ASSERT_FALSE(bar.ThumbRect().IsEmpty());
  EXPECT_GT(bar.ThumbRect().top, bar.Bounds().top + bar.Bounds().Height() / 2);
}

TEST(ScrollBarTest, ClampsAndSizesTheThumbByThePage) {
  ScrollBar bar(ScrollBar::Orientation::kVertical);
  bar.SetBounds({0, 0, 13, 113});  // an 87-pixel track between the arrows
  bar.SetRange(0, 100, 10);
  EXPECT_EQ(bar.MaxPos(), 90);
  EXPECT_FALSE(bar.SetPos(-5));
  EXPECT_TRUE(bar.SetPos(500));
  EXPECT_EQ(bar.Pos(), 90);
  EXPECT_EQ(bar.ThumbRect(), (gfx::Rect{0, 113 - 13 - 8, 13, 113 - 13}));

  bar.SetRange(0, 100, 50);
  EXPECT_EQ(bar.Pos(), 50);
  EXPECT_EQ(bar.ThumbRect().Height(), 43);
  bar.SetRange(0, 100, 1);
  EXPECT_EQ(bar.ThumbRect().Height(), ScrollBar::kMinThumbLength);

  // Content that fits: nothing to scroll, no thumb, taps on the track idle.
  bar.SetRange(0, 5, 10);
  EXPECT_EQ(bar.Pos(), 0);
  EXPECT_FALSE(bar.CanScroll());
  EXPECT_TRUE(bar.ThumbRect().IsEmpty());
  EXPECT_TRUE(bar.PenDown({5, 50}));
  bar.PenUp({5, 50});
  EXPECT_EQ(bar.Pos(), 0);
  EXPECT_FALSE(bar.PenDown({20, 50}));
}

TEST_F(ControlsTest, ComboBoxIsAsHighAsItsFieldAndOpensItsListBelow) {
  ComboBox& combo = Add<ComboBox>(kRegionCombo);
  const int ih = combo.ItemHeight();
  EXPECT_EQ(combo.Frame(), (gfx::Rect{91, 122, 227, 122 + ih + 4}));
  for (const char16_t* name : {u"Africa", u"Asia", u"Australia", u"Europe", u"Middle East",
                               u"North America", u"South America", u"World Countries"}) {
    combo.AddString(name);
  }
  ASSERT_TRUE(combo.SetCurSel(7));
  EXPECT_EQ(combo.Text(), u"World Countries");
  EXPECT_TRUE(host_.notes.empty());

  Tap(combo.ScreenOrigin() + gfx::Point{5, 5});
  ASSERT_TRUE(combo.IsDroppedDown());
  Window* popup = desktop_.Capture();
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(desktop_.TopLevels().back(), popup);
  const gfx::Rect field = combo.ScreenRect();
  EXPECT_EQ(popup->Frame(), (gfx::Rect{field.left, field.bottom, field.right,
                                       field.bottom + 8 * ih + 2}));
  EXPECT_EQ(host_.notes, (std::vector<Note>{{1009, notify::kDropDown}}));

  // The current item is drawn highlighted in the open list.
  desktop_.PaintPending();
  const gfx::Point row = RowPoint(*popup, 7, 0, ih);
  EXPECT_EQ(DisplayPixel({popup->ScreenRect().right - 3, row.y}), kSelectionColor);
}

TEST_F(ControlsTest, ComboBoxTapInTheListConfirmsWithItsNotifications) {
  ListBox& list = Add<ListBox>(kCountryList);
  list.AddString(u"under the list");
  ComboBox& combo = Add<ComboBox>(kRegionCombo);
  for (const char16_t* name : {u"Africa", u"Asia", u"Europe"}) combo.AddString(name);
  combo.SetCurSel(0);
  const int ih = combo.ItemHeight();
  const gfx::Point field = combo.ScreenOrigin() + gfx::Point{5, 5};

  Tap(field);
  Window* popup = desktop_.Capture();
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup->Frame().Height(), 3 * ih + 2);
  desktop_.PaintPending();
  host_.notes.clear();
  Tap(RowPoint(*popup, 2, 0, ih));
  EXPECT_FALSE(combo.IsDroppedDown());
  EXPECT_EQ(combo.GetCurSel(), 2);
  EXPECT_EQ(combo.Text(), u"Europe");
  EXPECT_EQ(host_.notes, (std::vector<Note>{{1009, notify::kSelChange},
                                            {1009, notify::kSelEndOk},
                                            {1009, notify::kCloseUp}}));
  EXPECT_EQ(desktop_.TopLevels().size(), 1u);
  EXPECT_EQ(desktop_.Capture(), nullptr);
  // What the list covered is painted again.
  EXPECT_FALSE(host_.InvalidRect().Intersect(popup->ScreenRect().Offset(0, -kBarHeight)).IsEmpty());

  // Choosing the item that is already selected confirms without a change.
  Tap(field);
  host_.notes.clear();
  Tap(RowPoint(*desktop_.Capture(), 2, 0, ih));
  EXPECT_EQ(host_.notes, (std::vector<Note>{{1009, notify::kSelEndOk},
                                            {1009, notify::kCloseUp}}));

  // A tap outside the open list only closes it; the list box under the pen
  // hears nothing of it.
  Tap(field);
  host_.notes.clear();
  const gfx::Point outside = list.ScreenOrigin() + gfx::Point{20, 1 + ih / 2};
  ASSERT_FALSE(desktop_.Capture()->ScreenRect().Contains(outside));
  Tap(outside);
  EXPECT_FALSE(combo.IsDroppedDown());
  EXPECT_EQ(combo.GetCurSel(), 2);
  EXPECT_EQ(list.GetCurSel(), -1);
  EXPECT_EQ(host_.notes, (std::vector<Note>{{1009, notify::kSelEndCancel},
                                            {1009, notify::kCloseUp}}));
  EXPECT_EQ(desktop_.TopLevels().size(), 1u);

  // The next tap reaches the controls again.
  Tap(outside);
  EXPECT_EQ(list.GetCurSel(), 0);
}

TEST_F(ControlsTest, ComboBoxKeyboardOpensMovesConfirmsAndEscapes) {
  ComboBox& combo = Add<ComboBox>(kRegionCombo);
  for (int i = 0; i < 20; ++i) combo.AddString(Name(i));
  combo.SetCurSel(3);
  desktop_.SetFocus(&combo);

  // The keys move the open list's highlight, not the selection; Return
  // picks the highlighted item.
  for (const auto& [keys, picked] : std::vector<std::pair<std::vector<Key>, int>>{
           {{Key::kDown, Key::kDown}, 5}, {{Key::kEnd}, 19}, {{Key::kHome, Key::kUp}, 0}}) {
    const int before = combo.GetCurSel();
    Press(Key::kDown);
    ASSERT_TRUE(combo.IsDroppedDown());
    for (Key key : keys) Press(key);
    EXPECT_EQ(combo.GetCurSel(), before);
    host_.notes.clear();
    Press(Key::kReturn);
    EXPECT_EQ(combo.GetCurSel(), picked);
  }
  EXPECT_FALSE(combo.IsDroppedDown());
  EXPECT_EQ(combo.GetCurSel(), 0);
  EXPECT_EQ(host_.notes, (std::vector<Note>{{1009, notify::kSelChange},
                                            {1009, notify::kSelEndOk},
                                            {1009, notify::kCloseUp}}));

  // Escape closes only the list; the window behind never sees the key.
  Press(Key::kReturn);
  ASSERT_TRUE(combo.IsDroppedDown());
  Press(Key::kPageDown);
  host_.notes.clear();
  Press(Key::kEscape);
  EXPECT_FALSE(combo.IsDroppedDown());
  EXPECT_EQ(combo.GetCurSel(), 0);
  EXPECT_EQ(host_.notes, (std::vector<Note>{{1009, notify::kSelEndCancel},
                                            {1009, notify::kCloseUp}}));
  EXPECT_TRUE(host_.keys.empty());
  Press(Key::kEscape);
  EXPECT_EQ(host_.keys, (std::vector<Key>{Key::kEscape}));
}

TEST_F(ControlsTest, ComboBoxChooseFromUserActsLikeATapInTheList) {
  ComboBox& combo = Add<ComboBox>(kRegionCombo);
  combo.AddString(u"a");
  combo.AddString(u"b");
  EXPECT_FALSE(combo.ChooseFromUser(-1));
  EXPECT_FALSE(combo.ChooseFromUser(2));
  EXPECT_TRUE(host_.notes.empty());
  EXPECT_TRUE(combo.ChooseFromUser(1));
  EXPECT_EQ(combo.SelectedIndex(), 1);
  EXPECT_EQ(combo.Text(), u"b");
  EXPECT_EQ(host_.notes, (std::vector<Note>{{1009, notify::kSelChange},
                                            {1009, notify::kSelEndOk},
                                            {1009, notify::kCloseUp}}));

  // From an open list too, which it closes.
  Tap(combo.ScreenOrigin() + gfx::Point{5, 5});
  ASSERT_NE(desktop_.Capture(), nullptr);
  // Fewer items than the template's list height: the template wins.
  EXPECT_EQ(desktop_.Capture()->Frame().Height(), 52 - (combo.ItemHeight() + 4));
  EXPECT_TRUE(combo.ChooseFromUser(0));
  EXPECT_FALSE(combo.IsDroppedDown());
  EXPECT_EQ(desktop_.TopLevels().size(), 1u);
  combo.ResetContent();
  EXPECT_EQ(combo.GetCurSel(), -1);
  EXPECT_EQ(combo.Text(), u"");
}

TEST_F(ControlsTest, ComboBoxNearTheBottomOpensItsListAbove) {
  ComboBox& combo =
      Add<ComboBox>({9, ControlKind::kComboBox, 10, 140, 80, 40, style::kVScroll});
  for (int i = 0; i < 12; ++i) combo.AddString(Name(i));
  Tap(combo.ScreenOrigin() + gfx::Point{5, 5});
  Window* popup = desktop_.Capture();
  ASSERT_NE(popup, nullptr);
  const gfx::Rect field = combo.ScreenRect();
  EXPECT_EQ(popup->Frame().bottom, field.top);
  EXPECT_EQ(popup->Frame().Height(), ComboBox::kMaxDroppedItems * combo.ItemHeight() + 2);
  EXPECT_GE(popup->Frame().top, kScreenArea.top);
}

TEST_F(ControlsTest, ComboBoxDestroyedWhileOpenLeavesNoPopUp) {
  // A window over the top of the screen only, so that its own removal does
  // not repaint where the list was.
  auto other = std::make_unique<Host>();
  other->SetFrame({0, kBarHeight, kDisplayWidth, 100});
  desktop_.AddTopLevel(other.get());
  ComboBox& combo = Add<ComboBox>(kRegionCombo, other.get());
  combo.AddString(u"x");
  desktop_.SetFocus(&combo);
  Press(Key::kDown);
  ASSERT_EQ(desktop_.TopLevels().size(), 3u);
  const gfx::Rect covered = desktop_.Capture()->ScreenRect();
  desktop_.PaintPending();
  ASSERT_TRUE(host_.InvalidRect().IsEmpty());

  other.reset();
  EXPECT_EQ(desktop_.TopLevels(), (std::vector<Window*>{&host_}));
  EXPECT_EQ(desktop_.Capture(), nullptr);
  EXPECT_FALSE(host_.InvalidRect().Intersect(covered.Offset(0, -kBarHeight)).IsEmpty());
  // Input goes where it did before.
  Press(Key::kEscape);
  EXPECT_EQ(host_.keys, (std::vector<Key>{Key::kEscape}));
}

constexpr ControlTemplate kHelpBox{1063, ControlKind::kEditBox, 5, 7, 135, 127,
                                   style::kMultiline | style::kReadOnly | style::kWantReturn |
                                       style::kAutoHScroll | style::kAutoVScroll |
                                       style::kHScroll | style::kVScroll | style::kBorder |
                                       style::kTabStop};

TEST_F(ControlsTest, EditBoxSplitsLinesOnlyAtLineBreaks) {
  EditBox& edit = Add<EditBox>(kHelpBox);
  EXPECT_EQ(edit.LineCount(), 1);
  EXPECT_EQ(edit.Line(0), u"");

  edit.SetText(u"one\r\ntwo\nthree");
  ASSERT_EQ(edit.LineCount(), 3);
  EXPECT_EQ(edit.Line(0), u"one");
  EXPECT_EQ(edit.Line(1), u"two");
  EXPECT_EQ(edit.Line(2), u"three");
  EXPECT_EQ(edit.Text(), u"one\r\ntwo\nthree");

  edit.SetText(u"last\r\n");
  ASSERT_EQ(edit.LineCount(), 2);
  EXPECT_EQ(edit.Line(1), u"");

  edit.SetText(u"\r\n\r\n");
  EXPECT_EQ(edit.LineCount(), 3);

  // A lone carriage return does not end a line.
  edit.SetText(u"a\rb ");
  ASSERT_EQ(edit.LineCount(), 1);
  EXPECT_EQ(edit.Line(0), u"a\rb ");

  edit.SetText(u"");
  EXPECT_EQ(edit.LineCount(), 1);
  EXPECT_EQ(edit.MaxLineWidth(), 0);

  // Text set through the window base updates lines, widths and bars at once,
  // with no paint in between, and shows the new text from its top.
  edit.SetText(u"1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n14\n15\n16\n17\n18\n19\n20");
  desktop_.PaintPending();
  desktop_.SetFocus(&edit);
  Press(Key::kEnd);
  ASSERT_GT(edit.FirstVisibleLine(), 0);
  static_cast<Window&>(edit).SetText(u"x\nwider line");
  EXPECT_EQ(edit.LineCount(), 2);
  EXPECT_EQ(edit.Line(1), u"wider line");
  EXPECT_EQ(edit.FirstVisibleLine(), 0);
  EXPECT_EQ(edit.GetScrollInfo(ScrollOrientation::kVertical).max, 1);
  if (DialogFont() != nullptr) EXPECT_GT(edit.MaxLineWidth(), 0);
}

TEST_F(ControlsTest, EditBoxScrollsSidewaysUpToTheLongestLine) {
  EditBox& edit = Add<EditBox>(kHelpBox);
  const std::u16string wide(80, u'W');
  edit.SetText(u"short\r\n" + wide + u"\r\nshort");
  if (edit.MaxLineWidth() == 0) TV_SKIP_UNLESS_CI("no font on this machine");
  const int limit = edit.MaxLineWidth() - edit.TextArea().Width();
  ASSERT_GT(limit, 0);
  EXPECT_EQ(edit.MaxHorizontalOffset(), limit);

  desktop_.SetFocus(&edit);
  Press(Key::kRight);
  EXPECT_EQ(edit.HorizontalOffset(), EditBox::kHorizontalStep);
  for (int i = 0; i < limit / EditBox::kHorizontalStep + 3; ++i) Press(Key::kRight);
  EXPECT_EQ(edit.HorizontalOffset(), limit);
  Press(Key::kLeft);
  EXPECT_EQ(edit.HorizontalOffset(), limit - EditBox::kHorizontalStep);

  // The horizontal bar's left arrow steps back too.
  const ScrollBar* bar = edit.FindScroller()->VisibleBar(ScrollOrientation::kHorizontal);
  ASSERT_NE(bar, nullptr);
  const gfx::Rect left = bar->DecrementArrowRect();
  Tap(edit.ScreenOrigin() + gfx::Point{left.left + 3, left.top + 3});
  EXPECT_EQ(edit.HorizontalOffset(), limit - 2 * EditBox::kHorizontalStep);

  // Dragging the thumb all the way right reaches the same limit.
  const gfx::Rect thumb = bar->ThumbRect();
  const gfx::Point grab = edit.ScreenOrigin() + gfx::Point{thumb.left + 2, thumb.top + 3};
  PenDown(grab);
  PenMove(grab + gfx::Point{300, 0});
  PenUp(grab + gfx::Point{300, 0});
  EXPECT_EQ(edit.HorizontalOffset(), limit);

  // Three short lines fit: nothing to scroll vertically.
  Press(Key::kDown);
  EXPECT_EQ(edit.FirstVisibleLine(), 0);

  // New text starts at the top-left again.
  edit.SetText(u"short");
  EXPECT_EQ(edit.HorizontalOffset(), 0);
  Press(Key::kRight);
  EXPECT_EQ(edit.HorizontalOffset(), 0);
}

TEST_F(ControlsTest, EditBoxScrollsToTheEndAndNoFurther) {
  EditBox& edit = Add<EditBox>(kHelpBox);
  std::u16string text;
  for (int i = 0; i < 50; ++i) text += Name(i) + u"\r\n";
  edit.SetText(text);
  ASSERT_EQ(edit.LineCount(), 51);
  const int visible = edit.VisibleLines();
  ASSERT_LT(visible, 51);
  desktop_.SetFocus(&edit);

  Press(Key::kEnd);
  EXPECT_EQ(edit.FirstVisibleLine(), 51 - visible);
  Press(Key::kDown);
  Press(Key::kPageDown);
  EXPECT_EQ(edit.FirstVisibleLine(), 51 - visible);
  Press(Key::kPageUp);
  EXPECT_EQ(edit.FirstVisibleLine(), 51 - 2 * visible);
  Press(Key::kHome);
  EXPECT_EQ(edit.FirstVisibleLine(), 0);
  Press(Key::kUp);
  EXPECT_EQ(edit.FirstVisibleLine(), 0);

  // The vertical bar's track pages down; its down arrow steps one line.
  const ScrollBar* bar = edit.FindScroller()->VisibleBar(ScrollOrientation::kVertical);
  ASSERT_NE(bar, nullptr);
  const gfx::Rect thumb = bar->ThumbRect();
  Tap(edit.ScreenOrigin() + gfx::Point{thumb.left + 3, thumb.bottom + 2});
  EXPECT_EQ(edit.FirstVisibleLine(), visible);
  const gfx::Rect down = bar->IncrementArrowRect();
  Tap(edit.ScreenOrigin() + gfx::Point{down.left + 3, down.top + 3});
  EXPECT_EQ(edit.FirstVisibleLine(), visible + 1);
  // A wheel notch towards the screen over the box goes three lines back.
  Send(Event::Wheel(edit.ScreenOrigin() + gfx::Point{20, 20}, -1));
  EXPECT_EQ(edit.FirstVisibleLine(), visible - 2);

  // Return stays in the box; Escape goes on to the screen.
  Press(Key::kReturn);
  Press(Key::kEscape);
  EXPECT_EQ(host_.keys, (std::vector<Key>{Key::kEscape}));

  // The first visible line is the one drawn at the top of the text area.
  desktop_.PaintPending();
  const std::vector<gfx::TextRecord>& texts = edit.LastPaintTexts();
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.front().text, Name(visible - 2));
  EXPECT_EQ(texts.front().position.y, edit.TextArea().top);
}

gfx::Bitmap Face16() {
  gfx::Bitmap face(16, 16, gfx::PixelFormat::kIndexed4);
  face.SetPalette(gfx::Vga16Palette());
  face.Fill(gfx::Color{0, 128, 0});  // green, index 2 of the palette
  face.SetIndex(0, 0, 12);           // blue
  return face;
}

TEST_F(ControlsTest, BitmapButtonSizesToItsFaceAndDrawsIt) {
  BitmapButton& button =
      Add<BitmapButton>({1004, ControlKind::kBitmapButton, 118, 139, 16, 16, 0});
  const gfx::Rect template_frame = button.Frame();
  EXPECT_EQ(template_frame, (gfx::Rect{196, 243, 222, 271}));
  button.SizeToContent();
  EXPECT_EQ(button.Frame(), template_frame);

  button.SetFace(std::make_shared<const gfx::Bitmap>(Face16()));
  button.SizeToContent();
  EXPECT_EQ(button.Frame(), (gfx::Rect{196, 243, 212, 259}));

  desktop_.PaintPending();
  const gfx::Point origin = button.ScreenOrigin();
  EXPECT_EQ(DisplayPixel(origin), (gfx::Color{0, 0, 255}));
  EXPECT_EQ(DisplayPixel(origin + gfx::Point{15, 15}), (gfx::Color{0, 128, 0}));
  EXPECT_EQ(DisplayPixel(origin + gfx::Point{16, 16}), gfx::kWhite);
}

TEST_F(ControlsTest, ButtonsClickOnlyWhenReleasedInside) {
  BitmapButton& button =
      Add<BitmapButton>({1004, ControlKind::kBitmapButton, 118, 139, 16, 16, 0});
  button.SetFace(std::make_shared<const gfx::Bitmap>(Face16()));
  button.SizeToContent();
  const gfx::Point inside = button.ScreenOrigin() + gfx::Point{8, 8};
  const gfx::Point outside = button.ScreenOrigin() + gfx::Point{16, 8};

  PenDown(inside);
  EXPECT_TRUE(button.IsPressed());
  PenMove(outside);
  EXPECT_FALSE(button.IsPressed());
  PenUp(outside);
  EXPECT_TRUE(host_.notes.empty());

  // Sliding back in before lifting the pen still clicks.
  PenDown(inside);
  PenMove(outside);
  PenMove(inside);
  PenUp(inside);
  EXPECT_EQ(host_.notes, (std::vector<Note>{{1004, notify::kClicked}}));

  // A pen that went down elsewhere and is lifted over the button does not.
  host_.notes.clear();
  PenDown(outside);
  PenUp(inside);
  EXPECT_TRUE(host_.notes.empty());

  EXPECT_TRUE(button.ClickFromUser());
  EXPECT_EQ(host_.notes.size(), 1u);
}

TEST_F(ControlsTest, PushButtonClicksFromReturnWhenFocused) {
  PushButton& button = Add<PushButton>(
      {1, ControlKind::kPushButton, 10, 10, 40, 14, style::kTabStop | style::kDefault, u"OK"});
  desktop_.SetFocus(&button);
  Press(Key::kReturn);
  EXPECT_EQ(host_.notes, (std::vector<Note>{{1, notify::kClicked}}));
  Press(Key::kUp);
  EXPECT_EQ(host_.keys, (std::vector<Key>{Key::kUp}));

  desktop_.PaintPending();
  const gfx::Point origin = button.ScreenOrigin();
  EXPECT_EQ(DisplayPixel(origin), gfx::kBlack);
  EXPECT_EQ(DisplayPixel(origin + gfx::Point{button.Frame().Width() / 2, 3}), gfx::kSilver);
  // The label is centred on the button.
  ASSERT_EQ(button.LastPaintTexts().size(), 1u);
  const gfx::Point label = button.LastPaintTexts()[0].position;
  const gfx::Size size = DialogFont() ? DialogFont()->Measure(u"OK") : gfx::Size{};
  EXPECT_EQ(label.x, (button.Frame().Width() - size.width) / 2);
}

}  // namespace
}  // namespace tv::ui
