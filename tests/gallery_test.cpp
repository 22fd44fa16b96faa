// The README gallery cannot go stale: docs/gallery.sh is run again into a
// scratch folder and every picture it makes must equal, pixel for pixel, the
// one committed in docs/gallery/. Also the headless `frame` command that
// catches the installation screen.

#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tests/run_shell.h"

namespace {

namespace fs = std::filesystem;

using Result = terravue::testing::ShellResult;
using terravue::testing::RunShell;

// `text` in single quotes for the shell (paths here hold no quote).
std::string Quoted(const std::string& text) {
  std::string out = "'";
  out += text;
  out += '\'';
  return out;
}

struct Image {
  unsigned width = 0;
  unsigned height = 0;
  std::vector<unsigned char> rgb;
};

std::optional<Image> ReadPng(const fs::path& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return std::nullopt;
  image.format = PNG_FORMAT_RGB;
  Image out;
  out.width = image.width;
  out.height = image.height;
  out.rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr)) {
    png_image_free(&image);
    return std::nullopt;
  }
  return out;
}

std::set<std::string> PngNames(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() == ".png") names.insert(entry.path().filename().string());
  }
  return names;
}

// A scratch folder of the test's own, removed at the end.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& name)
      : path_(fs::temp_directory_path() / (name + "_" + std::to_string(getpid()))) {
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

const fs::path kSource = TERRAVUE_SOURCE_DIR;

TEST(GalleryTest, EveryCommittedPictureIsWhatTheScriptMakesNow) {
  ScratchFolder scratch("gallery_test");
  std::string command = Quoted((kSource / "docs" / "gallery.sh").string());
  for (const std::string& arg : {scratch.Path().string(), std::string(TERRAVUE_BINARY),
                                 std::string(TERRAVUE_UNINSTALL_BINARY)}) {
    command += ' ';
    command += Quoted(arg);
  }
  command += " 2>&1";
  const Result run = RunShell(command);
  ASSERT_EQ(run.status, 0) << "docs/gallery.sh failed:\n" << run.out;

  const std::string regenerate =
      "; if the change is meant, run docs/gallery.sh (after building terravue and "
      "terravue-uninstall) and commit docs/gallery/";
  const fs::path committed = kSource / "docs" / "gallery";
  const std::set<std::string> made = PngNames(scratch.Path());
  const std::set<std::string> kept = PngNames(committed);
  EXPECT_EQ(made, kept) << "the script makes other pictures than docs/gallery/ holds"
                        << regenerate;
  // The gallery shows every screen.
  EXPECT_GE(made.size(), 13u);

  for (const std::string& name : made) {
    if (kept.count(name) == 0) continue;
    const auto now = ReadPng(scratch.Path() / name);
    const auto then = ReadPng(committed / name);
    ASSERT_TRUE(now && then) << name << ": not a readable PNG";
    ASSERT_TRUE(now->width == then->width && now->height == then->height)
        << "docs/gallery/" << name << " is " << then->width << "x" << then->height
        << ", the script now makes " << now->width << "x" << now->height << regenerate;
    size_t differing = 0;
    size_t first = now->rgb.size();
    for (size_t i = 0; i < now->rgb.size(); i += 3) {
      if (!std::equal(now->rgb.begin() + i, now->rgb.begin() + i + 3, then->rgb.begin() + i)) {
        if (differing++ == 0) first = i / 3;
      }
    }
    EXPECT_EQ(differing, 0u) << "docs/gallery/" << name << " is stale: " << differing
                             << " pixels differ, the first at (" << first % now->width << ", "
                             << first / now->width << ")" << regenerate;
  }
}

// Runs the program on a fresh device root with a script given as text.
Result RunFirstStart(const fs::path& folder, const std::string& script, bool staged) {
  const fs::path root = folder / "root";
  fs::create_directories(root / "windows");
  if (staged) {
    for (const char* name : {"QuorvelCountriesTerravue.txt", "QuorvelZones.txt"}) {
      fs::copy_file(kSource / "data" / name, root / "windows" / name,
                    fs::copy_options::overwrite_existing);
    }
  }
  std::ofstream(folder / "run.script") << script;
  std::string command = "cd ";
  command += Quoted(folder.string());
  command += " && ";
  command += Quoted(TERRAVUE_BINARY);
  command += " --device-root root --headless --script run.script 2>&1";
  return RunShell(command);
}

// The installation screen is only on the display while the first start
// imports, before any ordinary command runs: `frame` commands at the head of
// the script catch it; the screenshot after them shows the main screen.
TEST(GalleryTest, FrameCommandsCatchTheInstallationScreen) {
  ScratchFolder scratch("gallery_frames");
  const Result run = RunFirstStart(scratch.Path(),
                                   "frame 1 first.png\n# a comment between\n"
                                   "frame 2 second.png\nscreenshot main.png\n",
                                   true);
  ASSERT_EQ(run.status, 0) << run.out;
  const auto first = ReadPng(scratch.Path() / "first.png");
  const auto second = ReadPng(scratch.Path() / "second.png");
  const auto main = ReadPng(scratch.Path() / "main.png");
  ASSERT_TRUE(first && second && main);
  EXPECT_EQ(first->width, 240u);
  EXPECT_EQ(first->height, 320u);
  // Each frame is another picture: the second shows the first country
  // loading, and the main screen is neither.
  EXPECT_NE(first->rgb, second->rgb);
  EXPECT_NE(second->rgb, main->rgb);
  // The installation screen's client area is white (as 16 bits read it
  // back).
  auto white = [](const Image& image, unsigned x, unsigned y) {
    const size_t at = 3u * (y * image.width + x);
    return image.rgb[at] >= 240 && image.rgb[at + 1] >= 240 && image.rgb[at + 2] >= 240;
  };
  EXPECT_TRUE(white(*first, 60, 26 + 60));
  EXPECT_TRUE(white(*second, 60, 26 + 60));
}

TEST(GalleryTest, FrameCommandsThatCannotApplyStopTheRun) {
  const std::pair<const char*, const char*> cases[] = {
      {"frame 0 x.png\n", ":1: frame needs a frame number from 1"},
      {"frame 2\n", ":1: usage: frame N FILE"},
      // Read when idle, after the first frames: too late for frame 1.
      {"dump\nframe 1 late.png\n", ":2: frame 1 was presented already"},
      {"frame 100000 never.png\ndump\n", ":1: frame 100000 was never presented"},
      {"frame 1 no-such-folder/x.png\ndump\n", ":1: cannot write no-such-folder/x.png"},
  };
  for (const auto& [script, message] : cases) {
    ScratchFolder scratch("gallery_frame_errors");
    const Result run = RunFirstStart(scratch.Path(), script, false);
    EXPECT_EQ(run.status, 2) << script;
    EXPECT_NE(run.out.find(message), std::string::npos) << script << " gave: " << run.out;
  }
}

}  // namespace
