#include "maps/country_map_screen.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "db/country_store.h"
#include "maps/distance_unit.h"
#include "maps/georef.h"
#include "maps/picture.h"
#include "places/places.h"
#include "platform/base/utf.h"
#include "platform/files/files.h"
#include "platform/resources/resources.h"
#include "platform/ui/json.h"
#include "platform/ui/message_box.h"
#include "screens/navigator.h"

namespace terravue {
namespace {

using tv::gfx::Bitmap;
using tv::gfx::Canvas;
using tv::gfx::Color;
using tv::gfx::Point;
using tv::gfx::Rect;
using tv::ui::ScrollCode;
using tv::ui::ScrollOrientation;

constexpr tv::ui::DialogTemplate kTemplate{
    kCountryMapTemplate, u"Country Map", 137, 154,
    tv::ui::dialog_style::kHScroll | tv::ui::dialog_style::kVScroll, {}};

constexpr std::u16string_view kCaption = u"Terravue";
constexpr Color kYellow{255, 255, 0};
// Zooming out past half the natural size opens the region's map instead of
// a message.
constexpr ZoomSteps kZoomSteps{kZoomFactor, kInverseZoomFactor, 0.5, 2.0,
                               u"Cannot Zoom In anymore", u""};
// The white box of a distance label reaches this far around its text.
constexpr int kLabelPadX = 5;
constexpr int kLabelPadTop = 2;
constexpr int kLabelPadBottom = 3;

// The toolbar's images, in the order of the strip.
enum ToolImage { kInfoImage, kZoomOutImage, kZoomInImage, kDistanceImage, kHelpImage, kExitImage };

// The leading decimal number of a text, as wcstod reads it; 0 when there is
// none.
double LeadingNumber(std::u16string_view text) {
  const std::string utf8 = tv::Utf16ToUtf8(text);
  return std::strtod(utf8.c_str(), nullptr);
}

}  // namespace

std::u16string_view CountryMapHelpText() {
  return u"The map screen allows you to view \r\n"
         u"the country map, scroll vertically and \r\n"
         u"horizontally, zoom in and out and \r\n"
         u"compute the distance between \r\n"
         u"any two cities in Kms and miles.\r\n"
         u"\r\n"
         u"To compute the distance, just click on \r\n"
         u"the distance icon, select start point and \r\n"
         u"the destination point.";
}

CountryMapScreen::CountryMapScreen() : tv::ui::Dialog(kTemplate), map_(*this, kZoomSteps) {}

std::vector<std::pair<std::string, std::string>> CountryMapScreen::InputForDump() const {
  return {{"country", tv::ui::JsonQuote(country)}};
}

std::vector<std::pair<std::string, std::string>> CountryMapScreen::StateForDump() const {
  auto state = map_.ForDump();
  for (auto& item : tool_.ForDump()) state.push_back(std::move(item));
  return state;
}

void CountryMapScreen::CreateCommandBar() {
  tv::ui::CommandBar& bar = GetOrCreateCommandBar();
  bar.AddMenu(u"Distance", {{kKmsCommand, u"Kms"}, {kMilesCommand, u"Miles"}});
  bar.SetButtonImages(tv::res::LoadBitmap(kCountryMapToolbar));
  bar.AddButton(kCountryInfoCommand, kInfoImage);
  bar.AddButton(kZoomOutCommand, kZoomOutImage);
  bar.AddButton(kZoomInCommand, kZoomInImage);
  bar.AddButton(kDistanceCommand, kDistanceImage, /*check_button=*/true);
  bar.AddButton(kMapHelpCommand, kHelpImage);
  bar.AddButton(kMapExitCommand, kExitImage);
}

bool CountryMapScreen::OnInitDialog() {
  CreateCommandBar();
  label_font_ = tv::gfx::Font::Get({"Arial", -10, tv::gfx::kWeightNormal});
  if (!LoadMap()) {
    EndDialog(tv::ui::kIdCancel);
    return false;
  }
  tool_.SetKilometres(ReadKilometresPreference());
  return false;
}

bool CountryMapScreen::LoadMap() {
  std::u16string value;
  if (!CountryRecordStore::GetCountryField(country, u"geography", u"scale", value)) {
    tv::ui::MessageBox(u"Country Info not Available!", kCaption);
    return false;
  }
  const double scale = value == u"N/A" ? -1.0 : LeadingNumber(value);

  // A place without a "map" field looks for the file ".gif", which is not
  // there.
  std::u16string map_name;
  CountryRecordStore::GetCountryField(country, u"geography", u"map", map_name);
  const std::filesystem::path folder = maps_folder.empty() ? tv::files::MapsFolder() : maps_folder;
  const std::filesystem::path path = folder / (tv::Utf16ToUtf8(map_name) + ".gif");
  const std::u16string path_text = tv::Utf8ToUtf16(path.string());

  // The picture lives only for the opening: the screen keeps its square copy.
  Picture picture;
  const Bitmap reference = CreateCompatibleSurface(1, 1);
  if (!picture.LoadFile(reference, CVOString(path_text.c_str()))) {
    tv::ui::MessageBox(u"Map File not Found!", kCaption);
    return false;
  }
  std::unique_ptr<Bitmap> base = picture.CreateScaledCopy(-1, -1, -1, -1);
  if (!base) {
    tv::ui::MessageBox(u"Map File not Found!", kCaption);
    return false;
  }
  map_.Open(std::move(base), picture.GetWidth(), picture.GetHeight());
  tool_ = DistanceTool(ReadGeoref(path), scale);
  return true;
}

void CountryMapScreen::OnPaint(Canvas& canvas) { map_.Paint(canvas); }

void CountryMapScreen::OnScroll(ScrollOrientation bar, ScrollCode code, int pos) {
  tool_.Scrolled(map_.Scroll(bar, code, pos));
}

void CountryMapScreen::ZoomIn() {
  tool_.Zoomed(map_.ZoomIn() ? kInverseZoomFactor : 1.0);
  ShowDistanceButton();
}

void CountryMapScreen::ZoomOut() {
  const bool taken = map_.ZoomOut();
  tool_.Zoomed(taken ? kZoomFactor : 1.0);
  ShowDistanceButton();
  if (taken) return;
  const int region = FindRegionOfCountry(country);
  if (region == -1) {
    tv::ui::MessageBox(u"Reference Map not available", kCaption);
  } else {
    GetNavigator().OpenReferenceMap(region);
  }
}

void CountryMapScreen::PressDistance() {
  const bool erase = tool_.PressButton();
  ShowDistanceButton();
  if (erase) {
    Invalidate();
    Update();
  }
}

void CountryMapScreen::ShowDistanceButton() {
  GetOrCreateCommandBar().SetButtonChecked(kDistanceCommand, tool_.State().distance_mode);
}

void CountryMapScreen::ChooseUnit(bool kilometres) {
  tool_.SetKilometres(kilometres);
  WriteKilometresPreference(kilometres);
}

void CountryMapScreen::OnMenuOpening(int menu) {
  (void)menu;
  tv::ui::CommandBar& bar = GetOrCreateCommandBar();
  bar.CheckMenuItem(kKmsCommand, tool_.State().kilometres);
  bar.CheckMenuItem(kMilesCommand, !tool_.State().kilometres);
}

void CountryMapScreen::OnCommand(int id, int notification) {
  if (notification != tv::ui::notify::kClicked) return;
  switch (id) {
    case kCountryInfoCommand: GetNavigator().OpenCountryInfo(country); break;
    case kZoomOutCommand: ZoomOut(); break;
    case kZoomInCommand: ZoomIn(); break;
    case kDistanceCommand: PressDistance(); break;
    case kMapHelpCommand: GetNavigator().OpenHelp(CountryMapHelpText()); break;
    case kMapExitCommand: EndDialog(tv::ui::kIdOk); break;
    case kKmsCommand: ChooseUnit(true); break;
    case kMilesCommand: ChooseUnit(false); break;
    default: break;
  }
}

void CountryMapScreen::OnPenUp(Point p) {
  const Point previous = tool_.State().previous_point;
  DrawTap(tool_.Tap(map_, p), previous, p);
}

void CountryMapScreen::DrawTap(DistanceTool::TapResult result, Point previous, Point p) {
  using TapResult = DistanceTool::TapResult;
  if (result != TapResult::kStarted && result != TapResult::kSegmentAdded) return;
  Canvas canvas = GetScreenCanvas();
  const Rect marker{p.x - 3, p.y - 3, p.x + 2, p.y + 2};
  if (result == TapResult::kStarted) {
    canvas.SetBrush(tv::gfx::Brush::Solid(kYellow));
    canvas.Rectangle(marker);
    return;
  }
  // The line is drawn as the path is measured: one that crosses the map's
  // edge leaves it there and comes back at the other edge.
  const Point wrap = tool_.SegmentWrap();
  canvas.Save();
  canvas.IntersectClip(map_.PictureRect());
  canvas.Line(previous, p + wrap);
  if (wrap != Point{}) canvas.Line(previous - wrap, p);
  canvas.Restore();
  canvas.SetBrush(tv::gfx::Brush::Solid(tv::gfx::kRed));
  canvas.Rectangle(marker);

  // The label and its white box fit the text and stay inside the window:
  // below the point where there is room, else above it.
  const DistanceState& state = tool_.State();
  const std::u16string label = DistanceLabel(state.total, state.kilometres);
  canvas.SetFont(label_font_);
  const tv::gfx::Size text = canvas.MeasureText(label);
  const Rect client = ClientRect();
  const int width = text.width + 2 * kLabelPadX;
  const int height = text.height + kLabelPadTop + kLabelPadBottom;
  const int left = std::max(std::min(p.x - 2 * kLabelPadX, client.right - width), client.left);
  int top = p.y + 3;
  if (top + height > client.bottom) top = std::max(p.y - 3 - height, client.top);
  canvas.SetBrush(tv::gfx::Brush::Solid(tv::gfx::kWhite));
  canvas.Rectangle(Rect::FromSize(left, top, width, height));
  canvas.SetTextColor(tv::gfx::kBlack);
  canvas.SetBackgroundColor(tv::gfx::kWhite);
  canvas.DrawText({left + kLabelPadX, top + kLabelPadTop}, label);
}

}  // namespace terravue
