#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "places/places.h"
#include "platform/base/utf.h"
#include "platform/ui/list_sink.h"

namespace {

namespace fs = std::filesystem;

class Names : public tv::ui::ListSink {
 public:
  std::vector<std::string> names;
  int AddString(std::u16string_view text) override {
    names.push_back(tv::Utf16ToUtf8(text));
    return static_cast<int>(names.size()) - 1;
  }
};

std::string RunShell(const std::string& command, int& status) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  std::array<char, 65536> buffer;
  size_t n = 0;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
  const int code = pclose(pipe);
  status = WIFEXITED(code) ? WEXITSTATUS(code) : -1;
  return out;
}

// The part of a dump line that describes its top window.
std::string TopWindow(const std::string& dump) {
  const size_t at = dump.rfind("{\"caption\":");
  return at == std::string::npos ? std::string() : dump.substr(at);
}

// The program itself, with its installation data and the maps folder beside
// it, opens the map of every place: each record names a file that is there,
// decodes, and comes with a georeference.
TEST(CountryMapProgramTest, EveryPlaceOpensItsGeoreferencedMap) {
  Names all;
  terravue::AddAllPlaces(all);
  std::set<std::string> seen;
  std::vector<std::string> places;
  for (const std::string& name : all.names) {
    if (seen.insert(name).second) places.push_back(name);
  }
  places.push_back("World");
  ASSERT_EQ(places.size(), 256u);

  const std::string tag = std::to_string(getpid());
  const fs::path root = "country_map_program_root_" + tag;
  fs::remove_all(root);
  fs::create_directories(root / "windows");
  const fs::path data = fs::path(TERRAVUE_SOURCE_DIR) / "data";
  for (const char* file : {"QuorvelCountriesTerravue.txt", "QuorvelZones.txt"}) {
    fs::copy_file(data / file, root / "windows" / file);
  }
  const std::string script = "country_map_program_" + tag + ".script";
  {
    std::ofstream out(script);
    for (const std::string& place : places) {
      out << "open country-map \"" << place << "\"\ndump\npress 32786\n";
    }
  }
  int status = -1;
  const std::string out = RunShell(std::string(TERRAVUE_BINARY) + " --device-root " +
                                       root.string() + " --headless --script " + script + " 2>&1",
                                   status);
  fs::remove_all(root);
  fs::remove(script);
  EXPECT_EQ(status, 0) << out.substr(out.size() > 2000 ? out.size() - 2000 : 0);

  std::istringstream lines(out);
  std::string line;
  size_t index = 0;
  while (std::getline(lines, line)) {
    if (line.rfind("{\"windows\":", 0) != 0) continue;
    ASSERT_LT(index, places.size());
    const std::string top = TopWindow(line);
    const std::string& place = places[index++];
    EXPECT_EQ(top.rfind("{\"caption\":\"Country Map\"", 0), 0u) << place << ": " << top.substr(0, 200);
    EXPECT_NE(top.find("\"georeferenced\":true"), std::string::npos) << place;
    // Natural sizes of at most 480 pixels a side, so that both zoom
    // directions have room.
    int width = 0;
    int height = 0;
    const size_t natural = top.find("\"natural\":[");
    ASSERT_NE(natural, std::string::npos) << place;
    ASSERT_EQ(std::sscanf(top.c_str() + natural, "\"natural\":[%d,%d]", &width, &height), 2);
    EXPECT_GT(width, 0) << place;
    EXPECT_GT(height, 0) << place;
    EXPECT_LE(std::max(width, height), 480) << place;
  }
  EXPECT_EQ(index, places.size());
}

}  // namespace
