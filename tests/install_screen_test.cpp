#include "screens/install_screen.h"

#include <gtest/gtest.h>

#include <fstream>
#include <mutex>

#include "app/main_screen.h"
#include "db/country_import.h"
#include "db/country_store.h"
#include "db/device_store.h"
#include "db/zone_store.h"
#include "tests/program_run.h"
#include "tests/sqlite_faults.h"

namespace terravue {
namespace {

using testing::ProgramRun;
using testing::TopKind;
using testing::TopTemplate;

// Three countries, each with the seven categories.
std::string CountryFile() {
  static const std::pair<const char*, int> kCategories[] = {
      {"geography", 11}, {"people", 10},         {"government", 5}, {"economy", 6},
      {"communication", 6}, {"transportation", 3}, {"tourism", 1}};
  std::string out;
  for (const char* country : {"Alpha", "Beta", "Gamma"}) {
    out += std::string("<country>") + country + "\n";
    for (const auto& [category, fields] : kCategories) {
      out += std::string("<") + category + ">\n";
      for (int i = 0; i < fields; ++i) {
        std::string field = "Timezone";
        if (std::string(category) != "geography" || i != 0) field = 'f' + std::to_string(i);
        out += "<" + field + ">" + (field == "Timezone" ? "1" : std::string(country)) + "\n";
      }
      out += std::string("</") + category + ">\n";
    }
    out += "</country>\n\n";
  }
  return out;
}

void Stage(const std::filesystem::path& root) {
  std::filesystem::create_directories(root / "windows");
  std::ofstream(root / "windows" / "QuorvelCountriesTerravue.txt") << CountryFile();
  std::ofstream(root / "windows" / "QuorvelZones.txt")
      << "1,Central European Time,Central European Summer Time,-60,5,0,3,5,0,10\n";
}

TEST(InstallScreenTest, FirstStartImportsBothFilesThenTheMainScreenShows) {
  ProgramRun first;
  Stage(first.DeviceRoot());
  first.Step([&first] {
    EXPECT_EQ(TopTemplate(), 102);
    EXPECT_EQ(tv::ui::Desktop::Get().TopLevels().size(), 1u) << "the install screen is gone";
    EXPECT_FALSE(std::filesystem::exists(first.DeviceRoot() / "windows" / "QuorvelZones.txt"));
    EXPECT_FALSE(std::filesystem::exists(first.DeviceRoot() / "windows" /
                                         "QuorvelCountriesTerravue.txt"));
    std::u16string value;
    EXPECT_TRUE(CountryRecordStore::GetCountryField(u"Gamma", u"tourism", u"f0", value));
    EXPECT_EQ(value, u"Gamma");
    std::u16string offset;
    ZoneRecordStore::FormatZoneOffset(1, DaylightChange{}, offset);
    EXPECT_FALSE(offset.empty());
  });
  EXPECT_EQ(first.Run(), 0);
  EXPECT_GE(first.Presents(), 2) << "the progress was shown while the import ran";

  // The next start finds both databases and closes the screen at once; a
  // zones file found beside them is a leftover of a finished import.
  ProgramRun second(first.DeviceRoot());
  std::ofstream(first.DeviceRoot() / "windows" / "QuorvelZones.txt") << "2,X,Y,0,0,0,0,0,0,0\n";
  second.Step([&first] {
    EXPECT_EQ(TopTemplate(), 102);
    EXPECT_FALSE(ZoneRecordStore::GetZone(2));
    EXPECT_FALSE(std::filesystem::exists(first.DeviceRoot() / "windows" / "QuorvelZones.txt"));
  });
  EXPECT_EQ(second.Run(), 0);
}

TEST(InstallScreenTest, AFailedImportIsToldOnceTheScreenHasClosed) {
  ProgramRun run;
  Stage(run.DeviceRoot());
  std::ofstream(run.DeviceRoot() / "windows" / "QuorvelZones.txt") << "not a zone\n";
  run.Step([] {
    EXPECT_EQ(tv::ui::Desktop::Get().TopLevels().size(), 2u) << "the main screen and the message";
    EXPECT_EQ(testing::MessageText(),
              u"The time zones could not be installed. Terravue will try again at its next start.");
    std::u16string value;
    EXPECT_TRUE(CountryRecordStore::GetCountryField(u"Gamma", u"tourism", u"f0", value));
    tv::ui::Desktop::Get().Quit(0);
  });
  EXPECT_EQ(run.Run(), 0);
  EXPECT_TRUE(std::filesystem::exists(run.DeviceRoot() / "windows" / "QuorvelZones.txt"));
}

// Records what each presented frame showed where the progress line goes.
class FrameRecorder : public tv::ui::Backend {
 public:
  tv::ui::Event WaitEvent() override { return tv::ui::Event::Quit(); }
  void Present(const tv::gfx::Bitmap& frame) override {
    int dark = 0;
    for (int y = 26 + 150; y < 26 + 166; ++y) {
      for (int x = 20; x < 200; ++x) dark += frame.Load(x, y).r < 100 ? 1 : 0;
    }
    dark_pixels.push_back(dark);
  }
  std::vector<int> dark_pixels;
};

TEST(InstallScreenTest, ProgressLineIsDrawnAndPresentedPerCountry) {
  FrameRecorder recorder;
  ProgramRun scratch;  // only for its device root
  Stage(scratch.DeviceRoot());
  tv::ui::Desktop desktop(recorder, tv::gfx::PixelFormat::kRgb565);
  InstallScreen screen;
  screen.CreateModeless();
  screen.Show(true);
  desktop.PaintPending();
  desktop.Present();
  ASSERT_TRUE(ImportCountryData(&screen));
  // The first frame is the screen before the import; the next one shows the
  // first country.
  ASSERT_GE(recorder.dark_pixels.size(), 2u);
  EXPECT_EQ(recorder.dark_pixels[0], 0);
  EXPECT_GT(recorder.dark_pixels[1], 20) << "\"Loading Alpha\" was on screen";
  // The last line stays on the screen: "Loading Gamma" in black.
  int dark = 0;
  for (int y = 26 + 150; y < 26 + 166; ++y) {
    for (int x = 20; x < 200; ++x) dark += desktop.Display().Load(x, y).r < 100 ? 1 : 0;
  }
  EXPECT_GT(dark, 20);
}

// Looks at what had been presented when the import first touched the disk.
TEST(InstallScreenTest, TheScreenIsShownBeforeTheImportReadsAnything) {
  struct Frame {
    bool white_corner = false;
    int dark_at_message = 0;
  };
  class Recorder : public tv::ui::Backend {
   public:
    tv::ui::Event WaitEvent() override { return tv::ui::Event::Quit(); }
    void Present(const tv::gfx::Bitmap& frame) override {
      Frame facts;
      const tv::gfx::Color corner = frame.Load(2, 26 + 2);
      facts.white_corner = corner.r > 240 && corner.g > 240 && corner.b > 240;
      for (int y = 26 + 124; y < 26 + 140; ++y) {
        for (int x = 20; x < 200; ++x) facts.dark_at_message += frame.Load(x, y).r < 100 ? 1 : 0;
      }
      std::lock_guard lock(mutex);
      frames.push_back(facts);
    }
    std::mutex mutex;
    std::vector<Frame> frames;
  };
  Recorder recorder;
  ProgramRun scratch;  // only for its device root
  const std::filesystem::path zones = scratch.DeviceRoot() / "windows" / "QuorvelZones.txt";
  std::filesystem::create_directories(zones.parent_path());
  std::ofstream(zones) << "1,A,B,0,0,0,0,0,0,0\n";

  // The import's first read is the opening of the object store: what was
  // presented by then is what the user saw before the import began.
  testing::SqliteFaults sqlite;
  std::vector<Frame> seen_while_waiting;
  bool opened = false;
  testing::SqliteFaults::SetOpenHook([&] {
    if (opened) return;
    opened = true;
    std::lock_guard lock(recorder.mutex);
    seen_while_waiting = recorder.frames;
  });
  {
    tv::ui::Desktop desktop(recorder, tv::gfx::PixelFormat::kRgb565);
    InstallScreen screen;
    screen.CreateModeless();
    screen.Show(true);
    desktop.ProcessOneEvent();  // the posted installation
  }
  ASSERT_TRUE(opened) << "the import never opened the store";
  ASSERT_FALSE(seen_while_waiting.empty()) << "nothing was presented before the import";
  EXPECT_TRUE(seen_while_waiting.back().white_corner);
  EXPECT_GT(seen_while_waiting.back().dark_at_message, 40)
      << "\"Initializing Database...Please Wait\" at (20, 124)";
  EXPECT_TRUE(ZoneRecordStore::GetZone(1));
}

}  // namespace
}  // namespace terravue
