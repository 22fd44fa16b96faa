#pragma once

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace terravue::countrydata {

// The SVG flag set of the flag-icons package: its country list (code and
// English name) and the codes that have a 4:3 drawing, each with a
// fingerprint of its drawing so that two codes drawn alike can be told.
class FlagSet {
 public:
  // Reads country.json and the flags/4x3/*.svg drawings below `dir`. Returns
  // false and sets `error` when either is missing or malformed.
  bool Load(const std::filesystem::path& dir, std::string& error);

  // Adds one entry (used by tests): a code, its country name, and the text of
  // its drawing.
  void Add(const std::string& code, const std::string& name, const std::string& svg);

  bool HasDrawing(std::string_view code) const;
  // Codes whose drawings are the same picture (the element ids aside).
  bool SameDrawing(std::string_view a, std::string_view b) const;
  // The code of a country name, compared without case; empty when unknown.
  std::string CodeOfName(std::string_view name) const;

 private:
  std::map<std::string, std::string> code_by_name_;  // lower-case name -> code
  std::map<std::string, std::string, std::less<>> drawings_;  // code -> normalised SVG
};

// Where a place's flag is described in the Factbook.
struct FlagSource {
  std::string description;  // the Factbook's flag description, "" when none
  // The place whose profile describes this place within it ("France" for
  // Martinique), empty when the place has its own profile.
  std::string owner;
  bool combined = false;  // the place combines several successors
};

// The flag a place shows: the bitmap stem written into its "flag" field and
// the set's drawing it is rasterised from. An empty stem means no flag.
struct FlagChoice {
  std::string place;
  std::string stem;
  std::string code;
  std::string how;  // why this flag, or why none, for the builder's report
};

// The stem of a place's flag bitmap: its name with every run of characters
// other than ASCII letters and digits made one "_", trimmed at both ends
// ("Korea, South" gives "Korea_South").
std::string FlagStem(std::string_view place);

// Decides each place's flag from its Factbook flag description, in `places`
// order:
//  - a place that combines successors, or whose source describes no flag:
//    no flag;
//  - "the flag of <sovereign> is used": the sovereign's flag (its stem), when
//    the sovereign is one of `places` with a flag of its own;
//  - a place described within another place's profile: that place's flag;
//  - any other description: the place's own flag, drawn from the set's
//    drawing of the place's country code, when the set has one that is the
//    place's own (not another country's flag filed under its code).
// Appends to `faults` when two different stems would show the same drawing.
std::vector<FlagChoice> ChooseFlags(const std::vector<std::string>& places,
                                    const std::map<std::string, FlagSource>& sources,
                                    const FlagSet& set, std::vector<std::string>& faults);

// The manifest read by the artwork builder: "stem<TAB>code" for every
// distinct stem, in place order.
std::string FormatFlagManifest(const std::vector<FlagChoice>& choices);

}  // namespace terravue::countrydata
