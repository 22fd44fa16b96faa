#include "maps/country_map_screen.h"

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

CountryMapScreen::CountryMapScreen() : tv::ui::Dialog(kTemplate) {}

CountryMapScreen::~CountryMapScreen() = default;

std::vector<std::pair<std::string, std::string>> CountryMapScreen::InputForDump() const {
  return {{"country", tv::ui::JsonQuote(country)}};
}

std::vector<std::pair<std::string, std::string>> CountryMapScreen::StateForDump() const {
  auto state = view_.ForDump();
  state.emplace_back("georeferenced", tool_.HasGeoreference() ? "true" : "false");
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
  view_ = CountryMapViewState();
  view_.kilometres = ReadKilometresPreference();
  if (!LoadMap()) {
    EndDialog(tv::ui::kIdCancel);
    return false;
  }
  SetScrollRanges(kNaturalScrollMargin);
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
  base_ = picture.CreateScaledCopy(-1, -1, -1, -1);
  if (!base_) {
    tv::ui::MessageBox(u"Map File not Found!", kCaption);
    return false;
  }
  view_.Reset(picture.GetWidth(), picture.GetHeight(), scale);
  tool_ = DistanceTool(tv::maps::ReadGeoref(path));
  return true;
}

void CountryMapScreen::SetScrollRanges(int margin) {
  const Rect client = ClientRect();
  SetScrollRange(ScrollOrientation::kHorizontal, 0,
                 ScrollRangeMax(view_.current_width, client.Width(), margin));
  SetScrollRange(ScrollOrientation::kVertical, 0,
                 ScrollRangeMax(view_.current_height, client.Height(), margin));
}

const Bitmap& CountryMapScreen::ShownSurface() const {
  return view_.zoomed && zoom_ ? *zoom_ : *base_;
}

void CountryMapScreen::OnPaint(Canvas& canvas) {
  const Rect client = ClientRect();
  canvas.FillRect(client, tv::gfx::kWhite);
  if (!base_) return;
  if (view_.zoom_pending) {
    if (!zoom_) RecreateZoomSurface();
    Canvas zoom(*zoom_);
    zoom.StretchBlit({0, 0, view_.current_width, view_.current_height}, *base_,
                     {0, 0, view_.natural_width, view_.natural_height});
    canvas.Blit({0, 0}, *zoom_, client);
    SetScrollPos(ScrollOrientation::kHorizontal, 0);
    SetScrollPos(ScrollOrientation::kVertical, 0);
    SetScrollRanges(0);
    view_.EndZoomPaint();
    return;
  }
  canvas.Blit({0, 0}, ShownSurface(), client.Offset(view_.scroll_x, view_.scroll_y));
  view_.scrolled = false;
}

void CountryMapScreen::OnScroll(ScrollOrientation bar, ScrollCode code, int pos) {
  if (code == ScrollCode::kEndScroll) return;
  const bool vertical = bar == ScrollOrientation::kVertical;
  const Rect client = ClientRect();
  if (vertical ? view_.current_height <= client.bottom : view_.current_width <= client.right) {
    return;
  }
  const tv::ui::ScrollInfo info = GetScrollInfo(bar);
  const int limit = info.max - std::max(info.page - 1, 0);
  const int wanted = NextScrollPosition(code, info.pos, pos, info.min, limit, info.page);
  const int old = SetScrollPos(bar, wanted);
  const int now = GetScrollInfo(bar).pos;
  view_.scrolled = true;
  (vertical ? view_.scroll_y : view_.scroll_x) = now;
  const Point moved = vertical ? Point{0, old - now} : Point{old - now, 0};
  // The last tapped point's marker moves with the map, and so does the point
  // the next segment starts from: a path stays measured on the map however
  // it is scrolled between taps.
  if (view_.start_point_set) view_.previous_point = view_.previous_point + moved;
  ScrollWindow(moved.x, moved.y);
  Update();
}

void CountryMapScreen::RecreateZoomSurface() {
  zoom_.reset();
  zoom_ = std::make_unique<Bitmap>(CreateCompatibleSurface(view_.current_width, view_.current_height));
  view_.zoom_surface_exists = true;
}

void CountryMapScreen::ZoomIn() {
  if (view_.ZoomIn()) {
    RecreateZoomSurface();
  } else {
    tv::ui::MessageBox(u"Cannot Zoom In anymore", kCaption);
  }
  Invalidate();
  Update();
}

void CountryMapScreen::ZoomOut() {
  if (view_.ZoomOut()) {
    RecreateZoomSurface();
    Invalidate();
    Update();
    return;
  }
  const int region = FindRegionOfCountry(country);
  if (region == -1) {
    tv::ui::MessageBox(u"Reference Map not available", kCaption);
  } else {
    GetNavigator().OpenReferenceMap(region);
  }
  // The pending zoom paint rebuilds the view with the scroll offsets at 0;
  // redrawing all of it keeps the part uncovered by the message in step with
  // the rest.
  Invalidate();
  Update();
}

void CountryMapScreen::PressDistance() {
  const CountryMapViewState::DistanceButtonResult result = view_.PressDistanceButton();
  GetOrCreateCommandBar().SetButtonChecked(kDistanceCommand, result.pressed);
  if (result.erase) {
    Invalidate();
    Update();
  }
}

void CountryMapScreen::ChooseUnit(bool kilometres) {
  view_.kilometres = kilometres;
  WriteKilometresPreference(kilometres);
}

void CountryMapScreen::OnMenuOpening(int menu) {
  (void)menu;
  tv::ui::CommandBar& bar = GetOrCreateCommandBar();
  bar.CheckMenuItem(kKmsCommand, view_.kilometres);
  bar.CheckMenuItem(kMilesCommand, !view_.kilometres);
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
  const Point previous = view_.previous_point;
  const DistanceTool::TapResult result = tool_.Tap(view_, p);
  DrawTap(result, previous, p);
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
  canvas.Line(previous, p);
  canvas.SetBrush(tv::gfx::Brush::Solid(tv::gfx::kRed));
  canvas.Rectangle(marker);
  canvas.SetBrush(tv::gfx::Brush::Solid(tv::gfx::kWhite));
  canvas.Rectangle({p.x - 10, p.y + 3, p.x + 60, p.y + 20});
  canvas.SetFont(label_font_);
  canvas.SetTextColor(tv::gfx::kBlack);
  canvas.SetBackgroundColor(tv::gfx::kWhite);
  canvas.DrawText({p.x - 5, p.y + 5}, DistanceLabel(view_.total, view_.kilometres));
}

}  // namespace terravue
