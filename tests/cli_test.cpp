#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/gfx/image_io.h"
#include "tests/run_shell.h"

namespace {

using Result = terravue::testing::ShellResult;
using terravue::testing::RunShell;

// Runs the built program with `args` and a script given as text.
Result RunTerravue(const std::string& args, const std::string& script = "") {
  // CTest runs the cases as parallel processes in one folder: names carry
  // the process id.
  static int counter = 0;
  const std::string tag = std::to_string(getpid()) + "_" + std::to_string(++counter);
  const std::string script_path = "cli_test_" + tag + ".script";
  std::ofstream(script_path) << script;
  // Every run gets a device root of its own, so no test touches a user's data.
  const std::string root = "cli_test_root_" + tag;
  std::filesystem::remove_all(root);
  std::string command =
      std::string(TERRAVUE_BINARY) + " --device-root " + root + " " + args + " 2>&1";
  const size_t at = command.find("SCRIPT");
  if (at != std::string::npos) command.replace(at, 6, script_path);
  return RunShell(command);
}

TEST(CliTest, HelpAndBadOptions) {
  Result help = RunTerravue("--help");
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"--scale", "--display-depth", "--device-root", "--headless", "--script"}) {
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
  for (const char* bad : {"--bogus", "--display-depth 15", "--scale 0", "--headless",
                          "--script SCRIPT", "--headless --script"}) {
    Result r = RunTerravue(bad);
    EXPECT_EQ(r.status, 2) << bad;
    EXPECT_NE(r.out.find("terravue: "), std::string::npos) << bad << ": " << r.out;
  }
  // A script that is no file, and a device root that is a file, are refused.
  std::ofstream("cli_test_file_root") << "x";
  const std::pair<const char*, const char*> refused[] = {
      {"--headless --script no-such-file.script", "cannot read script no-such-file.script"},
      {"--headless --script .", "cannot read script ."},
      {"--device-root cli_test_file_root --headless --script SCRIPT", "is not a folder"}};
  for (const auto& [args, message] : refused) {
    Result r = RunTerravue(args, "dump\n");
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_NE(r.out.find(message), std::string::npos) << args << " gave: " << r.out;
  }
  // With no display the windowed program says so rather than run unseen.
  Result headless = RunShell("env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 20 " +
                             std::string(TERRAVUE_BINARY) + " --device-root cli_test_nodisplay 2>&1");
  EXPECT_EQ(headless.status, 1) << headless.out;
  EXPECT_NE(headless.out.find("no display found"), std::string::npos) << headless.out;
  // A program whose window backend is missing says so and names the places
  // it looked in.
  const std::filesystem::path alone = "cli_test_alone_" + std::to_string(getpid());
  std::filesystem::create_directories(alone);
  std::filesystem::copy_file(TERRAVUE_BINARY, alone / "terravue",
                             std::filesystem::copy_options::overwrite_existing);
  Result no_module = RunShell("DISPLAY=:77 timeout 20 " + (alone / "terravue").string() +
                              " --device-root cli_test_nodisplay 2>&1");
  EXPECT_EQ(no_module.status, 1) << no_module.out;
  EXPECT_NE(no_module.out.find("cannot load the window backend: terravue-sdl.so is not installed"),
            std::string::npos)
      << no_module.out;
  std::filesystem::remove_all(alone);
}

TEST(CliTest, ScriptRunsAndDumps) {
  Result r = RunTerravue("--headless --script SCRIPT",
                         // A byte-order mark and CR LF line ends, as other
                         // systems' editors write them.
                         "\xEF\xBB\xBF# a comment line, then an empty one\r\n"
                         "\r\n"
                         "choose 1009 \"Europe\"\r\n"
                         "down 220 230\r\nwait 0.5\r\nup 220 230\n"
                         "key Tab   # a comment after a command\n"
                         "screenshot cli_test_main.png\n"
                         "dump\n");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("{\"windows\":[{\"caption\":\"Terravue\",\"kind\":\"dialog\",\"template\":102"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("\"text\":\"Europe\""), std::string::npos);
  // Each text also says in which font and colour it was drawn.
  EXPECT_NE(r.out.find("{\"x\":10,\"y\":124,\"text\":\"Select Region:\",\"font\":{\"face\":"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("\"scrollbars\":{\"horizontal\":{\"min\":0,\"max\":0,\"page\":0,\"pos\":0,"
                       "\"visible\":false}"),
            std::string::npos);
  EXPECT_NE(r.out.find("\"commandbar\":null"), std::string::npos);
  // The country list's own bar: its down arrow, held for half a second,
  // stepped once at once and again at 400, 450 and 500 ms.
  const size_t bar = r.out.find("\"vertical\":", r.out.find("{\"id\":1001,"));
  ASSERT_NE(bar, std::string::npos) << r.out;
  EXPECT_EQ(r.out.compare(r.out.find("\"pos\":", bar), 8, "\"pos\":4,"), 0) << r.out;
  const auto shot = tv::gfx::ReadBmpFile("cli_test_main.png");  // not a BMP: must be refused
  EXPECT_FALSE(shot);
  std::ifstream png("cli_test_main.png", std::ios::binary);
  std::string magic(8, '\0');
  png.read(magic.data(), 8);
  EXPECT_EQ(magic, "\x89PNG\r\n\x1a\n");
}

TEST(CliTest, BadScriptLinesStopWithStatusTwo) {
  const std::pair<const char*, const char*> cases[] = {
      {"dump\nfrobnicate\n", ":2: unknown command frobnicate"},
      {"dump\ntap 1\n", ":2: usage: tap X Y"},
      {"dump\ntap 2147483647 2147483647\n", ":2: coordinates must be whole numbers from -10000"},
      {"dump\n\nchoose 1009 99\n", ":3: item 99 is out of range"},
      {"dump\nchoose 4242 0\n", ":2: no control 4242"},
      {"dump\nchoose 1009 \"Atlantis\"\n", ":2: control 1009 has no item"},
      {"dump\npress 5\n", ":2: no control or command 5"},
      {"dump\nkey F13\n", ":2: unknown key F13"},
      {"dump\nchoose 1009 \"Europe\n", ":2: unterminated quote"},
      {"dump\npress 1007\npress ok\n", ":3: the top window has no OK button"},
      {"open atlas\n", ":1: unknown screen atlas"},
      {"open help\n", ":1: help needs a quoted text"},
      {"open continent-map 7\n", ":1: continent-map needs a region number 0 to 6"},
      {"open compare \"x\"\n", ":1: compare takes no input"},
      {"open\n", ":1: usage: open SCREEN [INPUT]"},
      {"wait -1\n", ":1: wait needs a number of seconds"},
      {"type   \n", ":1: usage: type TEXT"},
      // The program ends at Escape; the commands after it are not silently
      // dropped.
      {"dump\nkey Escape\n\n# done?\ndump\ntap 5 5\n", ":5: not run: the program ended"},
  };
  for (const auto& [script, message] : cases) {
    Result r = RunTerravue("--headless --script SCRIPT", script);
    EXPECT_EQ(r.status, 2) << script;
    EXPECT_NE(r.out.find(message), std::string::npos) << script << " gave: " << r.out;
  }
}

TEST(CliTest, OpenRunsAScreenAndTheScriptGoesOnInsideIt) {
  Result r = RunTerravue("--headless --script SCRIPT",
                         "open help \"Some help\"\n"
                         "dump\n"
                         "key Escape\n"
                         "open continent-map 3\n"
                         "dump\n"
                         "key Escape\n"
                         "open reference-map 4\n"
                         "press 32784\n"
                         "dump\n");
  EXPECT_EQ(r.status, 0) << r.out;
  // The help screen is on top of the main screen, with the text it was given.
  EXPECT_NE(r.out.find("\"caption\":\"Help!\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Some help"), std::string::npos) << r.out;
  // The region maps open with their input, the Reference Map's zoom in its
  // state.
  EXPECT_NE(r.out.find("\"template\":383,\"input\":{\"region\":3}"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"template\":430,\"input\":{\"region\":4},\"state\":{\"natural\":[240,173],"
                       "\"current\":[480,346]"),
            std::string::npos)
      << r.out;
}

// Screens opened inside each other stop at a bound, with the message a
// handheld out of memory gives, instead of exhausting the stack.
TEST(CliTest, ScreensNestOnlySoDeep) {
  std::string script;
  for (int i = 0; i < 41; ++i) script += "open help \"deep\"\n";
  Result r = RunTerravue("--headless --script SCRIPT", script + "dump\n");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("Error creating Dialog"), std::string::npos) << r.out;
}

TEST(CliTest, NoPlaceForTheDeviceRootIsAnErrorNotTheCurrentFolder) {
  const std::filesystem::path folder = "cli_test_no_home_" + std::to_string(getpid());
  std::filesystem::create_directories(folder);
  const Result r = RunShell("cd " + folder.string() +
                            " && printf 'dump\\n' | env -u HOME -u XDG_DATA_HOME "
                            "-u TERRAVUE_DEVICE_ROOT " +
                            TERRAVUE_BINARY + " --headless --script - 2>&1");
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find("cannot find a place for the device's files"), std::string::npos) << r.out;
  EXPECT_TRUE(std::filesystem::is_empty(folder));
  std::filesystem::remove_all(folder);
}

TEST(CliTest, ScriptFromStandardInputAt24Bits) {
  const Result r = RunShell(std::string("printf 'dump\\n' | ") + TERRAVUE_BINARY +
                            " --device-root cli_test_stdin_root --headless --script - "
                            "--display-depth 24");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("\"template\":102"), std::string::npos);
  // A run without a window never loads the window backend's libraries. The
  // loader's own trace names every library it loads (SQLite among them).
  const Result libs = RunShell(std::string("printf 'dump\\n' | LD_DEBUG=libs ") + TERRAVUE_BINARY +
                               " --device-root cli_test_stdin_root --headless --script - 2>&1");
  EXPECT_EQ(libs.status, 0);
  EXPECT_NE(libs.out.find("libsqlite3"), std::string::npos) << libs.out;
  EXPECT_EQ(libs.out.find("libSDL2"), std::string::npos) << libs.out;
  EXPECT_EQ(libs.out.find("terravue-sdl"), std::string::npos) << libs.out;
}

}  // namespace
