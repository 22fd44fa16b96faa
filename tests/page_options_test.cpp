// The web page's address options become the command line's options, so the
// page is checked by the same option parser as the program.
#include <gtest/gtest.h>

#include <array>
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
  // Usable width and height, the frame's, and the scale: a 768-pixel screen
  // less its panel, with a title bar; 1080 pixels; 4K; exact and one short;
  // never outside --scale's range.
  for (const auto& [w, h, fw, fh, scale] : std::vector<std::array<int, 5>>{
           {1366, 728, 2, 60, 2}, {1920, 1040, 0, 0, 3}, {1920, 1040, 0, 81, 2},
           {3840, 2120, 0, 0, 6}, {960, 1280, 0, 0, 4}, {959, 1280, 0, 0, 3},
           {7680, 4320, 0, 0, 8}, {200, 300, 0, 0, 1}}) {
    EXPECT_EQ(FitScale(w, h, fw, fh), scale) << w << "x" << h << " less " << fw << "x" << fh;
  }
}

}  // namespace
}  // namespace tv::backend
