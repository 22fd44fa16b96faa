#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/region.h"
#include "platform/ui/automation.h"
#include "platform/ui/backend.h"
#include "platform/ui/command_bar.h"
#include "platform/ui/controls.h"
#include "platform/ui/desktop.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"

namespace tv::ui {
namespace {

constexpr gfx::Color kRed{255, 0, 0};
constexpr gfx::Color kBlue{0, 0, 255};
constexpr gfx::Color kGreen{0, 255, 0};

// A backend whose events are scripted steps; each step runs inside the
// event loop that asks for it, so a step can act inside a nested run.
class ScriptBackend : public Backend {
 public:
  Event WaitEvent() override {
    if (steps.empty()) return Event::Quit();
    Event event = std::move(steps.front());
    steps.pop_front();
    return event;
  }
  void Present(const gfx::Bitmap& frame) override { (void)frame; }
  void Step(std::function<void()> step) { steps.push_back(Event::Task(std::move(step))); }

  std::deque<Event> steps;
};

// A screen-sized window that fills its paint with one colour and records
// its scroll requests and commands.
class Painter : public Window {
 public:
  explicit Painter(gfx::Color color = kRed) : color_(color) {
    SetFrame(kScreenArea);
    Show(true);
  }
  struct ScrollNote {
    ScrollOrientation bar;
    ScrollCode code;
    int pos;
  };
  std::vector<ScrollNote> scrolls;
  std::vector<std::pair<int, int>> commands;
  int paints = 0;
  std::function<void(gfx::Canvas&)> on_paint;

 protected:
  void OnPaint(gfx::Canvas& canvas) override {
    ++paints;
    canvas.FillRect(ClientRect(), color_);
    if (on_paint) on_paint(canvas);
  }
  void OnScroll(ScrollOrientation bar, ScrollCode code, int pos) override {
    scrolls.push_back({bar, code, pos});
  }
  void OnCommand(int id, int notification) override { commands.emplace_back(id, notification); }

 private:
  gfx::Color color_;
};

class WindowTest : public ::testing::Test {
 protected:
  WindowTest() : desktop_(backend_, gfx::PixelFormat::kRgb888) { desktop_.RecordTexts(true); }

  gfx::Color Pixel(gfx::Point p) { return desktop_.Display().Load(p.x, p.y); }
  void Send(Event event) {
    desktop_.PostEvent(std::move(event));
    desktop_.ProcessOneEvent();
  }
  void Tap(gfx::Point p) {
    Send(Event::Pen(Event::Type::kPenDown, p));
    Send(Event::Pen(Event::Type::kPenUp, p));
  }

  ScriptBackend backend_;
  Desktop desktop_;
};

TEST(RegionTest, PiecesNeverOverlapAndSubtractLeavesTheRest) {
  gfx::Region region({0, 0, 10, 10});
  region.Add({5, 5, 15, 15});
  int area = 0;
  for (const gfx::Rect& r : region.Rects()) area += r.Width() * r.Height();
  EXPECT_EQ(area, 100 + 100 - 25);
  EXPECT_EQ(region.Bounds(), (gfx::Rect{0, 0, 15, 15}));
  EXPECT_FALSE(region.Contains({12, 2}));
  EXPECT_TRUE(region.Contains({12, 12}));

  // Two halves of one rectangle become that rectangle again.
  gfx::Region halves({0, 0, 10, 5});
  halves.Add({0, 5, 10, 10});
  EXPECT_EQ(halves, gfx::Region({0, 0, 10, 10}));

  gfx::Region holed({0, 0, 10, 10});
  holed.Subtract({3, 3, 6, 6});
  EXPECT_FALSE(holed.Contains({4, 4}));
  EXPECT_TRUE(holed.Contains({2, 4}));
  EXPECT_TRUE(holed.Contains({6, 4}));
  holed.Subtract({-5, -5, 50, 50});
  EXPECT_TRUE(holed.IsEmpty());
}

TEST_F(WindowTest, PaintIsClippedToTheInvalidRegionAndKeepsWhatLiesBetween) {
  Painter window(kRed);
  desktop_.AddTopLevel(&window);
  desktop_.PaintPending();
  // The window's pixels are changed behind its back, as the night shading
  // changes them, and two separate areas are invalidated.
  window.GetScreenCanvas().FillRect(window.ClientRect(), kBlue);
  window.Invalidate({10, 10, 20, 20}, false);
  window.Invalidate({100, 100, 110, 110}, false);
  EXPECT_EQ(window.InvalidRegion().Rects().size(), 2u);
  const int paints = window.paints;
  window.Update();
  // One paint draws both pieces.
  EXPECT_EQ(window.paints, paints + 1);
  const gfx::Point o = window.ScreenOrigin();
  EXPECT_EQ(Pixel(o + gfx::Point{10, 10}), kRed);
  EXPECT_EQ(Pixel(o + gfx::Point{109, 109}), kRed);
  // Between and around the two areas the pixels stay.
  EXPECT_EQ(Pixel(o + gfx::Point{50, 50}), kBlue);
  EXPECT_EQ(Pixel(o + gfx::Point{20, 20}), kBlue);
  EXPECT_EQ(Pixel(o + gfx::Point{9, 10}), kBlue);
  EXPECT_TRUE(window.InvalidRegion().IsEmpty());
}

TEST_F(WindowTest, DrawingOutsidePaintSkipsWhatWindowsAboveCover) {
  Painter screen(kRed);
  Painter popup(kGreen);
  popup.SetFrame({40, 100, 140, 160});
  desktop_.AddTopLevel(&screen);
  desktop_.AddTopLevel(&popup);
  desktop_.PaintPending();

  gfx::Canvas canvas = screen.GetScreenCanvas();
  canvas.FillRect(screen.ClientRect(), kBlue);
  canvas.SetTextColor(kBlue);
  canvas.DrawText({3, 4}, u"12.50 Kms");
  EXPECT_EQ(Pixel({41, 101}), kGreen);
  EXPECT_EQ(Pixel({139, 159}), kGreen);
  EXPECT_EQ(Pixel({39, 101}), kBlue);
  EXPECT_EQ(Pixel({140, 130}), kBlue);
  EXPECT_EQ(canvas.GetPixel({41 - 0, 101 - kBarHeight}), std::nullopt);

  // The text stays in the dump's record until the window paints again.
  ASSERT_EQ(screen.ScreenTexts().size(), 1u);
  EXPECT_EQ(screen.ScreenTexts()[0].text, u"12.50 Kms");
  EXPECT_EQ(screen.ScreenTexts()[0].color, kBlue);
  const std::string dump = automation::Dump();
  EXPECT_NE(dump.find("\"text\":\"12.50 Kms\""), std::string::npos) << dump;
  EXPECT_NE(dump.find("\"color\":[0,0,255]"), std::string::npos) << dump;
  screen.Invalidate();
  desktop_.PaintPending();
  EXPECT_TRUE(screen.ScreenTexts().empty());
  // With no script to report to, drawing keeps no record.
  desktop_.RecordTexts(false);
  screen.GetScreenCanvas().DrawText({3, 4}, u"12.50 Kms");
  EXPECT_TRUE(screen.ScreenTexts().empty());
}

TEST_F(WindowTest, NestedModalRunsEndInsideOut) {
  static constexpr DialogTemplate kOuter{901, u"Outer", 100, 100, 0, {}};
  static constexpr DialogTemplate kInner{902, u"Inner", 100, 100, 0, {}};
  Dialog outer(kOuter);
  Dialog inner(kInner);
  std::vector<std::string> log;
  int inner_result = 0;
  backend_.Step([&] {
    log.push_back("outer runs");
    inner_result = inner.RunModal();
    log.push_back("inner returned");
  });
  backend_.Step([&] {
    log.push_back(desktop_.ActiveWindow() == &inner ? "inner on top" : "inner missing");
    inner.EndDialog(5);
  });
  backend_.Step([&] {
    log.push_back(desktop_.ActiveWindow() == &outer ? "outer on top" : "outer missing");
    outer.EndDialog(7);
  });
  EXPECT_EQ(outer.RunModal(), 7);
  EXPECT_EQ(inner_result, 5);
  EXPECT_EQ(log, (std::vector<std::string>{"outer runs", "inner on top", "inner returned",
                                           "outer on top"}));
  EXPECT_TRUE(desktop_.TopLevels().empty());
  EXPECT_EQ(desktop_.RunDepth(), 0);
}

// A modeless dialog that closes itself from a handler which then shows a
// message box.
class SelfClosing : public Dialog {
 public:
  static constexpr DialogTemplate kTemplate{903, u"Modeless", 100, 100, 0, {}};
  SelfClosing() : Dialog(kTemplate) {}
  int closed = 0;

 protected:
  void OnClosed() override { ++closed; }
};

TEST_F(WindowTest, ModelessDialogClosedInItsHandlerGoesOnlyAfterTheHandlerReturns) {
  SelfClosing dialog;
  dialog.CreateModeless();
  dialog.Show(true);
  int closed_during_box = -1;
  bool on_screen_during_box = false;
  backend_.Step([&] {
    dialog.Close();
    MessageBox(u"Import failed", u"Terravue");
  });
  backend_.Step([&] {
    closed_during_box = dialog.closed;
    for (Window* w : desktop_.TopLevels()) on_screen_during_box |= w == &dialog;
    std::string error;
    automation::Press("ok", error);
  });
  desktop_.RunUntil([&] { return dialog.closed > 0 || backend_.steps.empty(); });
  EXPECT_EQ(closed_during_box, 0);
  EXPECT_TRUE(on_screen_during_box);
  EXPECT_EQ(dialog.closed, 1);
  EXPECT_TRUE(desktop_.TopLevels().empty());
}

TEST_F(WindowTest, DialogMadeAgainAfterItWasDestroyedHasOneSetOfControls) {
  static constexpr ControlTemplate kControls[] = {
      {1001, ControlKind::kPushButton, 0, 0, 30, 12, style::kTabStop, u"A"},
      {1002, ControlKind::kListBox, 0, 20, 60, 40, style::kTabStop},
  };
  static constexpr DialogTemplate kTemplate{904, u"Again", 100, 100, 0, kControls};
  Dialog dialog(kTemplate);
  backend_.Step([&] { dialog.EndDialog(1); });
  dialog.RunModal();
  dialog.Control<ListBox>(1002).AddString(u"left over");
  backend_.Step([&] {
    EXPECT_EQ(dialog.Children().size(), 2u);
    EXPECT_EQ(dialog.Control<ListBox>(1002).Count(), 0);
    dialog.EndDialog(1);
  });
  dialog.RunModal();
  EXPECT_EQ(dialog.Children().size(), 2u);
}

TEST_F(WindowTest, FocusComesBackAfterAMessageBox) {
  static constexpr ControlTemplate kControls[] = {
      {1001, ControlKind::kPushButton, 0, 0, 30, 12, style::kTabStop, u"A"},
      {1002, ControlKind::kPushButton, 0, 20, 30, 12, style::kTabStop, u"B"},
  };
  static constexpr DialogTemplate kTemplate{905, u"Focus", 100, 100, 0, kControls};
  Dialog dialog(kTemplate);
  Window* focus_in_box = nullptr;
  Window* focus_after = nullptr;
  backend_.Step([&] {
    desktop_.SetFocus(dialog.FindChild(1002));
    MessageBox(u"Hello", u"Terravue");
    focus_after = desktop_.Focus();
    dialog.EndDialog(1);
  });
  backend_.Step([&] {
    focus_in_box = desktop_.Focus();
    std::string error;
    automation::Press("ok", error);
  });
  dialog.RunModal();
  ASSERT_NE(focus_in_box, nullptr);
  EXPECT_NE(focus_in_box, dialog.FindChild(1002));
  EXPECT_EQ(focus_after, dialog.FindChild(1002));
}

TEST_F(WindowTest, QueuedTasksAreDroppedWithTheirOwner) {
  int ran = 0;
  auto owner = std::make_unique<Painter>();
  Painter keeper;
  desktop_.PostTask([&] { ++ran; }, owner.get());
  desktop_.PostTask([&] { ran += 10; }, &keeper);
  owner.reset();
  backend_.Step([] {});
  desktop_.ProcessOneEvent();
  EXPECT_EQ(ran, 10);
}

TEST_F(WindowTest, AMessageBoxOpenedDuringAPaintLeavesThePaintRunning) {
  Painter window;
  bool shown = false;
  bool painting_after_box = false;
  window.on_paint = [&](gfx::Canvas&) {
    if (shown) return;
    shown = true;
    MessageBox(u"Screen Context Error", u"Terravue");
    painting_after_box = desktop_.IsPainting();
  };
  backend_.Step([] {
    std::string error;
    automation::Press("ok", error);
  });
  desktop_.AddTopLevel(&window);
  desktop_.PaintPending();
  EXPECT_TRUE(shown);
  EXPECT_TRUE(painting_after_box);
  EXPECT_FALSE(desktop_.IsPainting());
}

TEST_F(WindowTest, MessageBoxStaysOnTheScreenAndScrollsALongText) {
  ASSERT_NE(DialogFont(), nullptr) << "no font for the dialogs";
  std::u16string text;
  for (int i = 0; i < 60; ++i) text += u"Line of a long message\n";
  text += std::u16string(200, u'W');
  MessageBoxWindow box(text, u"Terravue");
  EXPECT_GE(box.Frame().top, kScreenArea.top);
  EXPECT_LE(box.Frame().bottom, kScreenArea.bottom);
  EXPECT_LE(box.Frame().right, kDisplayWidth);
  EXPECT_LT(box.VisibleLines(), static_cast<int>(box.Lines().size()));
  EXPECT_TRUE(box.GetScrollInfo(ScrollOrientation::kVertical).visible);
  // The long word is broken so that no line is wider than the text box.
  for (const std::u16string& line : box.Lines()) {
    EXPECT_LE(DialogFont()->Measure(line).width, box.TextArea().Width());
  }
  EXPECT_EQ(box.Lines().back().find_first_not_of(u'W'), std::u16string::npos);

  desktop_.AddTopLevel(&box);
  box.Show(true);
  desktop_.PaintPending();
  desktop_.SetFocus(&box);
  Send(Event::KeyPress(Key::kEnd));
  EXPECT_EQ(box.FirstLine(), static_cast<int>(box.Lines().size()) - box.VisibleLines());
  // A tap on the bar's upper arrow scrolls one line back.
  const gfx::Point arrow = box.ScreenOrigin() + gfx::Point{2, 2} +
      box.FindScroller()->VisibleBar(ScrollOrientation::kVertical)->DecrementArrowRect().TopLeft();
  const int before = box.FirstLine();
  Tap(arrow);
  EXPECT_EQ(box.FirstLine(), before - 1);

  // A short text still makes a small box without a bar.
  MessageBoxWindow small(u"Cannot Zoom In anymore", u"Terravue");
  EXPECT_FALSE(small.GetScrollInfo(ScrollOrientation::kVertical).visible);
  EXPECT_LT(small.Frame().Height(), 120);
}

class ScrollingScreen : public Dialog {
 public:
  static constexpr DialogTemplate kTemplate{382, u"Country Map", 137, 154,
                                            dialog_style::kHScroll | dialog_style::kVScroll,
                                            {}};
  ScrollingScreen() : Dialog(kTemplate) {}
  std::vector<std::pair<ScrollOrientation, ScrollCode>> requests;
  std::vector<int> positions;
  std::vector<std::pair<int, int>> commands;
  std::vector<int> menus_opened;
  bool follow = true;

  std::vector<std::pair<std::string, std::string>> StateForDump() const override {
    return {{"zoom", "100"}};
  }

 protected:
  bool OnInitDialog() override {
    SetScrollRange(ScrollOrientation::kHorizontal, 0, 50);
    SetScrollRange(ScrollOrientation::kVertical, 0, 1);
    return true;
  }
  void OnScroll(ScrollOrientation bar, ScrollCode code, int pos) override {
    if (code == ScrollCode::kEndScroll) return;
    requests.emplace_back(bar, code);
    positions.push_back(pos);
    if (!follow) return;
    const ScrollInfo info = GetScrollInfo(bar);
    int next = info.pos;
    switch (code) {
      case ScrollCode::kLineUp:
        --next;
        break;
      case ScrollCode::kLineDown:
        ++next;
        break;
      case ScrollCode::kThumbTrack:
      case ScrollCode::kThumbPosition:
        next = pos;
        break;
      case ScrollCode::kTop:
        next = info.min;
        break;
      case ScrollCode::kBottom:
        next = info.max;
        break;
      default:
        break;
    }
    SetScrollPos(bar, next);
  }
  void OnCommand(int id, int notification) override { commands.emplace_back(id, notification); }
  void OnMenuOpening(int menu) override {
    menus_opened.push_back(menu);
    GetCommandBar()->CheckMenuItem(32792, false);
    GetCommandBar()->CheckMenuItem(32793, true);
  }
};

TEST_F(WindowTest, ScreenScrollBarsTakeTheirRoomAndReportToTheScreen) {
  ScrollingScreen screen;
  screen.GetOrCreateCommandBar();
  screen.CreateModeless();
  screen.Show(true);
  desktop_.PaintPending();
  EXPECT_EQ(screen.ClientRect(), (gfx::Rect{0, 0, 227, 255}));
  EXPECT_EQ(screen.ScrollBarRect(ScrollOrientation::kVertical), (gfx::Rect{227, 0, 240, 255}));
  EXPECT_EQ(screen.ScrollBarRect(ScrollOrientation::kHorizontal), (gfx::Rect{0, 255, 227, 268}));
  // The bars are drawn, and the corner between them.
  EXPECT_EQ(Pixel({239, 200}), gfx::kBlack);
  EXPECT_EQ(Pixel({233, 290}), gfx::kSilver);

  // Keys the screen does not use go to its bars.
  Send(Event::KeyPress(Key::kRight));
  Send(Event::KeyPress(Key::kRight));
  EXPECT_EQ(screen.GetScrollInfo(ScrollOrientation::kHorizontal).pos, 2);
  Send(Event::KeyPress(Key::kEnd));
  EXPECT_EQ(screen.GetScrollInfo(ScrollOrientation::kVertical).pos, 1);
  Send(Event::KeyPress(Key::kPageDown));
  ASSERT_FALSE(screen.requests.empty());
  EXPECT_EQ(screen.requests.back(),
            std::make_pair(ScrollOrientation::kVertical, ScrollCode::kPageDown));

  // The right arrow of the horizontal bar steps a line.
  screen.requests.clear();
  const gfx::Rect hbar = screen.ScrollBarRect(ScrollOrientation::kHorizontal);
  Tap(screen.ScreenOrigin() + gfx::Point{hbar.right - 3, hbar.top + 6});
  ASSERT_EQ(screen.requests.size(), 1u);
  EXPECT_EQ(screen.requests[0], std::make_pair(ScrollOrientation::kHorizontal, ScrollCode::kLineDown));
  EXPECT_EQ(screen.GetScrollInfo(ScrollOrientation::kHorizontal).pos, 3);

  // A screen that ignores the requests keeps its bar where it was.
  screen.follow = false;
  Tap(screen.ScreenOrigin() + gfx::Point{hbar.right - 3, hbar.top + 6});
  EXPECT_EQ(screen.GetScrollInfo(ScrollOrientation::kHorizontal).pos, 3);
  screen.follow = true;

  // Dragging the thumb reports where the pen holds it, then where it let go.
  screen.requests.clear();
  screen.positions.clear();
  // At position 0 the thumb (8 pixels, the least) lies right after the arrow.
  screen.SetScrollPos(ScrollOrientation::kHorizontal, 0);
  const gfx::Point start = screen.ScreenOrigin() + gfx::Point{ScrollBar::kThickness + 3, hbar.top + 6};
  Send(Event::Pen(Event::Type::kPenDown, start));
  screen.requests.clear();
  Send(Event::Pen(Event::Type::kPenMove, start + gfx::Point{60, 0}));
  Send(Event::Pen(Event::Type::kPenUp, start + gfx::Point{60, 0}));
  ASSERT_GE(screen.requests.size(), 2u);
  EXPECT_EQ(screen.requests.front().second, ScrollCode::kThumbTrack);
  EXPECT_EQ(screen.requests.back().second, ScrollCode::kThumbPosition);
  EXPECT_GT(screen.positions.back(), 10);
  EXPECT_EQ(screen.GetScrollInfo(ScrollOrientation::kHorizontal).pos, screen.positions.back());

  // Range, page and position as the map screens set them.
  screen.SetScrollRange(ScrollOrientation::kHorizontal, 0, 50);
  EXPECT_EQ(screen.SetScrollPos(ScrollOrientation::kHorizontal, 80), screen.positions.back());
  EXPECT_EQ(screen.GetScrollInfo(ScrollOrientation::kHorizontal).pos, 50);
  screen.SetScrollPage(ScrollOrientation::kHorizontal, 11);
  EXPECT_EQ(screen.GetScrollInfo(ScrollOrientation::kHorizontal).pos, 40);

  const std::string dump = automation::Dump();
  EXPECT_NE(dump.find("\"horizontal\":{\"min\":0,\"max\":50,\"page\":11,\"pos\":40,\"visible\":true}"),
            std::string::npos)
      << dump;
  EXPECT_NE(dump.find("\"state\":{\"zoom\":100}"), std::string::npos) << dump;
}

TEST_F(WindowTest, ScrollWindowMovesThePixelsAndPaintsOnlyTheUncoveredStrip) {
  Painter window(kRed);
  desktop_.AddTopLevel(&window);
  desktop_.PaintPending();
  // A marker row that should move up with the content.
  window.GetScreenCanvas().FillRect({0, 50, 240, 51}, kBlue);
  const int paints = window.paints;
  window.ScrollWindow(0, -10);
  EXPECT_EQ(window.InvalidRegion(), gfx::Region({0, 258, 240, 268}));
  const gfx::Point o = window.ScreenOrigin();
  EXPECT_EQ(Pixel(o + gfx::Point{5, 40}), kBlue);
  EXPECT_EQ(Pixel(o + gfx::Point{5, 50}), kRed);
  window.Update();
  EXPECT_EQ(window.paints, paints + 1);
  EXPECT_EQ(Pixel(o + gfx::Point{5, 40}), kBlue);
  EXPECT_TRUE(window.InvalidRegion().IsEmpty());

  // Partly covered, the window cannot trust its pixels: all of it repaints.
  Painter popup(kGreen);
  popup.SetFrame({40, 100, 140, 160});
  desktop_.AddTopLevel(&popup);
  desktop_.PaintPending();
  window.ScrollWindow(5, 0);
  EXPECT_EQ(window.InvalidRect(), window.ClientRect());
}

TEST_F(WindowTest, CommandBarMenusOpenUpwardAndCommandsReachTheScreen) {
  ScrollingScreen screen;
  CommandBar& bar = screen.GetOrCreateCommandBar();
  bar.AddMenu(u"Distance", {{32792, u"Kms", true}, {32793, u"Miles", false}});
  auto strip = std::make_shared<gfx::Bitmap>(32, 16, gfx::PixelFormat::kRgb888);
  strip->Fill(kGreen);
  for (int y = 0; y < 16; ++y) {
    for (int x = 16; x < 32; ++x) strip->Store(x, y, kRed);
  }
  bar.SetButtonImages(strip);
  bar.AddButton(32783, 0);
  bar.AddButton(32789, 1, true);
  screen.CreateModeless();
  screen.Show(true);
  desktop_.PaintPending();

  const gfx::Rect zoom = bar.ButtonRect(0);
  const gfx::Rect distance = bar.ButtonRect(1);
  EXPECT_EQ(zoom.Width(), 23);
  EXPECT_EQ(zoom.Height(), 21);
  EXPECT_EQ(distance.left, zoom.right);
  EXPECT_GT(zoom.left, bar.MenuTitleRect(0).right);
  EXPECT_GE(zoom.top, kDisplayHeight - kBarHeight);
  // Images are drawn 16 x 15 in the middle of their buttons.
  EXPECT_EQ(Pixel({zoom.left + 3, zoom.top + 3}), kGreen);
  EXPECT_EQ(Pixel({distance.left + 3 + 15, distance.top + 3 + 14}), kRed);
  EXPECT_NE(Pixel({distance.left + 3, distance.top + 3 + 15}), kRed);

  // The menu opens above the bar with the check marks the screen sets.
  Tap(bar.MenuTitleRect(0).TopLeft() + gfx::Point{3, 3});
  Window* menu = bar.MenuWindow();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(screen.menus_opened, std::vector<int>{0});
  EXPECT_EQ(menu->Frame().bottom, kDisplayHeight - kBarHeight);
  EXPECT_FALSE(bar.Menus()[0].items[0].checked);
  desktop_.PaintPending();
  const std::string dump = automation::Dump();
  EXPECT_NE(dump.find("{\"id\":32793,\"text\":\"Miles\",\"checked\":true}"), std::string::npos)
      << dump;
  // A tap on "Kms" closes the menu and sends the command.
  const int row = ListItemHeight() + 2;
  Tap(menu->ScreenOrigin() + gfx::Point{20, 1 + row / 2});
  EXPECT_EQ(bar.MenuWindow(), nullptr);
  ASSERT_EQ(screen.commands.size(), 1u);
  EXPECT_EQ(screen.commands[0], std::make_pair(32792, notify::kClicked));

  // A tap only sends: a check button shows pressed when its owner checks it.
  Tap({distance.left + 5, distance.top + 5});
  Tap({zoom.left + 5, zoom.top + 5});
  EXPECT_FALSE(bar.IsButtonChecked(32789));
  bar.SetButtonChecked(32789, true);
  desktop_.PaintPending();
  EXPECT_EQ(Pixel({distance.left, distance.top + 5}), gfx::kGrey);
  EXPECT_EQ(Pixel({zoom.left, zoom.top + 5}), gfx::kWhite);
  // Released outside, a button does nothing.
  Send(Event::Pen(Event::Type::kPenDown, {zoom.left + 5, zoom.top + 5}));
  Send(Event::Pen(Event::Type::kPenUp, {zoom.left + 5, zoom.top - 20}));
  EXPECT_EQ(screen.commands,
            (std::vector<std::pair<int, int>>{{32792, notify::kClicked},
                                              {32789, notify::kClicked},
                                              {32783, notify::kClicked}}));
  // The automation's press runs commands the same way.
  std::string error;
  EXPECT_TRUE(automation::Press("32789", error)) << error;
  EXPECT_TRUE(bar.IsButtonChecked(32789));
  EXPECT_FALSE(automation::Press("32800", error));
}

TEST_F(WindowTest, MemorySurfacesCopyToAndFromTheWindow) {
  Desktop::Get();
  Painter window(kRed);
  desktop_.AddTopLevel(&window);
  desktop_.PaintPending();
  gfx::Bitmap surface = Window::CreateCompatibleSurface(20, 10);
  EXPECT_EQ(surface.Format(), desktop_.Display().Format());
  EXPECT_EQ(surface.Load(0, 0), gfx::kWhite);
  gfx::Canvas memory(surface);
  memory.FillRect({0, 0, 10, 10}, kBlue);

  gfx::Canvas screen = window.GetScreenCanvas();
  screen.Blit({100, 100}, surface, surface.Bounds());
  const gfx::Point o = window.ScreenOrigin();
  EXPECT_EQ(Pixel(o + gfx::Point{100, 100}), kBlue);
  EXPECT_EQ(Pixel(o + gfx::Point{110, 100}), gfx::kWhite);
  // Stretched twice as large.
  screen.StretchBlit({0, 0, 40, 20}, surface, surface.Bounds());
  EXPECT_EQ(Pixel(o + gfx::Point{19, 19}), kBlue);
  EXPECT_EQ(Pixel(o + gfx::Point{20, 0}), gfx::kWhite);
  // And back from the window into a surface.
  gfx::Bitmap copy = Window::CreateCompatibleSurface(10, 10);
  gfx::Canvas(copy).Blit({0, 0}, screen, {95, 95, 105, 105});
  EXPECT_EQ(copy.Load(4, 4), kRed);
  EXPECT_EQ(copy.Load(5, 5), kBlue);
  // A line with the default pen is black.
  screen.Line({0, 200}, {30, 200});
  EXPECT_EQ(Pixel(o + gfx::Point{15, 200}), gfx::kBlack);
  EXPECT_EQ(Pixel(o + gfx::Point{30, 200}), kRed);
}

TEST_F(WindowTest, DumpGivesTextFontsAndColours) {
  Painter window;
  window.on_paint = [](gfx::Canvas& canvas) {
    canvas.SetFont(gfx::Font::Get({"Arial", 10, 700}));
    canvas.SetTextColor({1, 2, 3});
    canvas.DrawText({4, 5}, u"Label");
  };
  desktop_.AddTopLevel(&window);
  desktop_.PaintPending();
  const std::string dump = automation::Dump();
  EXPECT_NE(dump.find("{\"x\":4,\"y\":5,\"text\":\"Label\",\"font\":{\"face\":\"Arial\","
                      "\"height\":10,\"weight\":700},\"color\":[1,2,3]}"),
            std::string::npos)
      << dump;
  EXPECT_NE(dump.find("\"vertical\":{\"min\":0,\"max\":0,\"page\":0,\"pos\":0,\"visible\":false}"),
            std::string::npos)
      << dump;
}

}  // namespace
}  // namespace tv::ui
