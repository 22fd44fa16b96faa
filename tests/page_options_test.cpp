// The web page's address options become the command line's options, so the
// page is checked by the same option parser as the program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/backend/options.h"

namespace tv::backend {
namespace {

std::vector<std::string> Args(std::string_view query) {
  std::string error;
  const auto args = ArgumentsFromPageQuery(query, error);
  EXPECT_TRUE(args.has_value()) << query << ": " << error;
  return args.value_or(std::vector<std::string>{});
}

std::string Error(std::string_view query) {
  std::string error;
  EXPECT_FALSE(ArgumentsFromPageQuery(query, error).has_value()) << query;
  return error;
}

TEST(PageOptionsTest, QueryBecomesTheCommandLine) {
  EXPECT_TRUE(Args("").empty());
  EXPECT_TRUE(Args("?").empty());
  EXPECT_EQ(Args("?scale=3&depth=24&clock=2027-03-04T21:05:00Z"),
            (std::vector<std::string>{"--scale", "3", "--display-depth", "24", "--clock",
                                      "2027-03-04T21:05:00Z"}));
  // Escapes as a browser writes them, and empty items from doubled '&'.
  EXPECT_EQ(Args("clock=2027-03-04T21%3A05%3A00Z&&scale=1&"),
            (std::vector<std::string>{"--clock", "2027-03-04T21:05:00Z", "--scale", "1"}));
  EXPECT_EQ(Args("display-depth=16"), (std::vector<std::string>{"--display-depth", "16"}));

  std::string error;
  const auto options = ParseOptions(Args("?scale=3&depth=24&clock=2027-03-04T21:05:00Z"), error);
  ASSERT_TRUE(options.has_value()) << error;
  EXPECT_EQ(options->scale, 3);
  EXPECT_EQ(options->display_depth, 24);
  EXPECT_EQ(options->clock, "2027-03-04T21:05:00Z");
  EXPECT_FALSE(options->headless);
}

TEST(PageOptionsTest, OnlyTheDisplaysOptionsAndWellFormedOnes) {
  // An address must not reach the host's files or the script reader.
  EXPECT_EQ(Error("?device-root=/etc"), "unknown address option device-root");
  EXPECT_EQ(Error("?headless=1"), "unknown address option headless");
  EXPECT_EQ(Error("?script=x"), "unknown address option script");
  EXPECT_EQ(Error("?scale="), "address option scale needs a value");
  EXPECT_EQ(Error("?scale"), "address option scale needs a value");
  EXPECT_EQ(Error("?clock=2027%2"), "malformed address option clock=2027%2");
  EXPECT_EQ(Error("?clock=%zz"), "malformed address option clock=%zz");
  EXPECT_EQ(Error("?clock=%-1"), "malformed address option clock=%-1");
  // Values are checked by the command line's own rules.
  std::string error;
  EXPECT_FALSE(ParseOptions(Args("?scale=9"), error).has_value());
  EXPECT_EQ(error, "--scale must be a whole number from 1 to 8");
  EXPECT_FALSE(ParseOptions(Args("?depth=32"), error).has_value());
  EXPECT_FALSE(ParseOptions(Args("?clock=tomorrow"), error).has_value());
  // Without a scale the window or the page picks one that fits.
  EXPECT_EQ(ParseOptions({}, error)->scale, 0);
}

TEST(PageOptionsTest, FitScaleIsTheLargestWholeScaleThatFits) {
  struct Case {
    int width, height, frame_width, frame_height, scale;
  };
  for (const Case& c : std::vector<Case>{
           {1366, 728, 0, 0, 2},    // a 768-pixel screen less its panel
           {1366, 728, 2, 60, 2},   // and a title bar: 640 + 60 still fits
           {1920, 1040, 0, 0, 3},   // 960 high
           {1920, 1040, 0, 81, 2},  // 960 + 81 does not
           {3840, 2120, 0, 0, 6},   // a 4K screen: 1920 high
           {960, 1280, 0, 0, 4},    // exactly 4 times the display
           {959, 1280, 0, 0, 3},    // one pixel short in width
           {7680, 4320, 0, 0, 8},   // never above --scale's range
           {200, 300, 0, 0, 1},     // never below 1, even where nothing fits
           {0, 0, 0, 0, 1}}) {
    EXPECT_EQ(FitScale(c.width, c.height, c.frame_width, c.frame_height), c.scale)
        << c.width << "x" << c.height << " less " << c.frame_width << "x" << c.frame_height;
  }
}

}  // namespace
}  // namespace tv::backend
