#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include <nlohmann/json.hpp>

namespace terravue::countrydata {

// Ordered, so that sub-entries keep the order the Factbook gives them.
using Json = nlohmann::ordered_json;

// The written value for a field the source has nothing for.
inline constexpr std::string_view kNotAvailable = "N/A";

// One category of a country block and its field names, in file order.
struct CategoryLayout {
  std::string name;
  std::vector<std::string> fields;
};

// The seven categories with the field names the screens look up (the
// program's own CategoryTable and CategoryFieldTable); geography also carries
// the flag, scale and map entries that are not list fields.
const std::vector<CategoryLayout>& BlockLayout();

// Lines of one country block: country line, per category a category line,
// its field lines and a closing line, then two trailing lines.
int BlockLineCount();

// The Factbook profiles of one edition, one JSON file per place in a folder per
// region, each named by its GEC code ("fr.json").
class Factbook {
 public:
  // Reads every profile below `dir`. Returns false and sets `error` when the
  // folder holds no profile or a file is not JSON.
  bool Load(const std::filesystem::path& dir, std::string& error);

  const Json* ByCode(std::string_view code) const;
  // Case-blind match with the conventional short or long form of the
  // profile's country name.
  const Json* ByName(std::string_view name) const;
  size_t size() const { return profiles_.size(); }

 private:
  std::map<std::string, Json, std::less<>> profiles_;
  std::map<std::string, std::string, std::less<>> code_by_name_;  // lower-case names
};

// One source of a place's facts: a profile, or the part of a profile that
// concerns the place when the Factbook describes several places together.
struct SourcePart {
  std::string label;  // successor's name when a place combines several, else empty
  const Json* profile = nullptr;
  // Sub-entries of a split field whose name holds one of `tokens` are this
  // place's; failing that, those that hold one of `group_tokens`.
  std::vector<std::string> tokens;
  std::vector<std::string> group_tokens;
  // Tokens of every place drawn from the same profile: a field with a
  // sub-entry naming any of them is split by place.
  std::vector<std::string> sibling_tokens;
  // The profile describes a group the place belongs to, so a field that is
  // not split by place holds for the place too.
  bool unsplit_applies = true;
  // The profile is the place's own rather than one of a group it is part of.
  bool own_profile = true;
  // The edition the profile belongs to: 2026 (the final edition) or 2015.
  int edition = 2015;
  // For a place read from the final edition: its sources in the 2015 edition,
  // whose values stand in, when they carry their year, where the final
  // edition has none.
  std::vector<SourcePart> earlier;
};

// Where a written value came from.
enum class Origin { kFinalEdition, kDated2015, kEdition2015, kNotAvailable, kOther };

// The facts of one place in block order: (category, [(field, value)]).
struct PlaceBlock {
  std::string name;
  std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> categories;
};

struct FieldSource;

// The calling code an entry of the second source gives ("1-268"; empty when
// it makes no one code) and every number it dials, digits only ("1268").
struct DialledCodes {
  std::string code;
  std::vector<std::string> numbers;
};

// Turns Factbook profiles into the values of a country block.
class FactsBuilder {
 public:
  FactsBuilder(const Factbook& factbook, std::set<std::string> iso_currency_codes,
               std::map<std::string, std::string> zones,
               std::map<std::string, std::pair<std::string, std::string>> maps = {})
      : factbook_(factbook),
        iso_codes_(std::move(iso_currency_codes)),
        zones_(std::move(zones)),
        maps_(std::move(maps)) {}

  // Reads the places that the final edition still describes in a profile of
  // their own from it (France whole, not only its metropolitan parts); every
  // other place stays with the 2015 edition given to the constructor.
  void SetFinalEdition(const Factbook* final_edition) { final_edition_ = final_edition; }

  // The calling codes of each top-level domain (".nr" to "674"), from the
  // second source: the final edition no longer gives calling codes.
  void SetCallingCodes(std::map<std::string, std::vector<DialledCodes>> by_domain) {
    calling_codes_ = std::move(by_domain);
  }

  // The sources of `place`, or nothing (with `error` set) when the place has
  // no entry in the Factbook.
  std::optional<std::vector<SourcePart>> Resolve(std::string_view place, std::string& error) const;

  // Every field of the layout, "N/A" where the sources have nothing.
  PlaceBlock Build(std::string_view place, const std::vector<SourcePart>& sources);

  // The Factbook's description of the place's flag; empty when the source
  // has none or the place combines several successors.
  std::string FlagDescription(const std::vector<SourcePart>& sources) const;

  // The flag bitmap stem of each place, written into its "flag" field.
  void SetFlags(std::map<std::string, std::string> stems) { flags_ = std::move(stems); }

  // Codes the Factbook gave that are not in the ISO list (and were
  // overridden or left out), for the builder's report.
  const std::vector<std::string>& Notes() const { return notes_; }

  // Where Build took each value from, by (place, category, field); fields
  // that were "N/A" then and were filled later count as kOther.
  Origin OriginOf(const std::string& place, const std::string& category, const std::string& field) const;

 private:
  std::string FieldValue(std::string_view place, std::string_view category,
                         std::string_view field, const SourcePart& part);
  std::string FinalEditionValue(std::string_view place, const FieldSource& source,
                                const SourcePart& part);
  // The currency's name or ISO code ("currency", "currency code") from an
  // exchange-rate text of the given edition; `factbook` answers "see entry for".
  std::string CurrencyField(std::string_view place, std::string_view field, std::string rates,
                            const Factbook& factbook, int edition);
  // The international call prefix of a place with that calling code.
  static std::string IddFor(std::string_view place, const std::string& calling_code);
  std::optional<std::vector<SourcePart>> ResolveIn(const Factbook& factbook, std::string_view place,
                                                   bool final_edition, std::string& error) const;

  const Factbook& factbook_;
  const Factbook* final_edition_ = nullptr;
  std::map<std::tuple<std::string, std::string, std::string>, Origin> origins_;
  std::map<std::string, std::vector<DialledCodes>> calling_codes_;
  std::set<std::string> iso_codes_;
  std::map<std::string, std::string> zones_;
  std::map<std::string, std::string> flags_;
  // Per place: the map image's file stem and its kilometres per pixel.
  std::map<std::string, std::pair<std::string, std::string>> maps_;
  std::vector<std::string> notes_;
};

// Renders a Factbook node: its text, then "name: value" for each sub-entry,
// joined with "; ", cleaned to one line.
std::string RenderNode(const Json& node);

// The value that follows "<token> - " in a list such as
// "metropolitan France - .fr; French Guiana - .gf", up to the next ";".
std::string FindListedValue(std::string_view text, std::string_view token);

// The calling code of a "country code - 33" text ("1-268" kept as written);
// empty when there is none.
std::string FindCallingCode(std::string_view text);

// Writes the blocks in the import's line format, each line ending in a line
// feed.
std::string FormatBlocks(const std::vector<PlaceBlock>& blocks);

// Checks a written file against the expected place names: block count and
// shape, names, field names, one non-empty line of valid UTF-8 per value of at
// most 1023 characters. Returns the faults found.
std::vector<std::string> CheckFile(std::string_view text, const std::vector<std::string>& places);

// The distinct place names of the tables (Russia once) followed by "World".
std::vector<std::string> AllPlaceNames();

}  // namespace terravue::countrydata
