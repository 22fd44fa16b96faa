#include "tools/countrydata/flags.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <regex>
#include <sstream>

#include <nlohmann/json.hpp>

#include "tools/countrydata/text.h"

namespace terravue::countrydata {
namespace {

namespace fs = std::filesystem;

// The drawing without its element ids and with whitespace collapsed: two
// codes drawn alike differ only in their ids.
std::string NormaliseSvg(const std::string& svg) {
  static const std::regex kIds(R"(\sid="flag-icons-[^"]*")");
  static const std::regex kSpace(R"(\s+)");
  static const std::regex kSpaceAtTag(R"( ?(/?>) ?)");
  const std::string collapsed = std::regex_replace(std::regex_replace(svg, kIds, ""), kSpace, " ");
  return std::regex_replace(collapsed, kSpaceAtTag, "$1");
}

// Places whose name the set's country list spells otherwise, by set code.
struct CodeAlias {
  std::string_view place;
  std::string_view code;
};
constexpr CodeAlias kCodeAliases[] = {
    {"Bahamas, The", "bs"},
    {"British Virgin Islands", "vg"},
    {"Brunei", "bn"},
    {"Burma", "mm"},
    {"Cape Verde", "cv"},
    {"Congo, Democratic Republic of the", "cd"},
    {"Congo, Republic of the", "cg"},
    {"Cote d'Ivoire", "ci"},
    {"East Timor", "tl"},
    {"Falkland Islands (Islas Malvinas)", "fk"},
    {"Gambia, The", "gm"},
    {"Holy See (Vatican City)", "va"},
    {"Korea, North", "kp"},
    {"Korea, South", "kr"},
    {"Lethoso", "ls"},
    {"Macedonia, The Former Yugoslav Republic of", "mk"},
    {"Man, Isle of", "im"},
    {"Micronesia, Federated States of", "fm"},
    {"Pitcairn Islands", "pn"},
    // "sh" draws the flag of the United Kingdom; "sh-hl" is Saint Helena's
    // own, the one the Factbook describes.
    {"Saint Helena", "sh-hl"},
    {"Swaziland", "sz"},
    {"Turkey", "tr"},
    {"United States", "us"},
    {"Virgin Islands", "vi"},
};

// Codes under which the set draws another country's flag instead of the one
// the Factbook describes: these places get no flag rather than a wrong one.
struct ForeignDrawing {
  std::string_view code;
  std::string_view drawn;  // whose flag the set draws
};
constexpr ForeignDrawing kForeignDrawings[] = {
    {"pm", "France"},  // Saint Pierre and Miquelon: the Factbook describes its ship flag
    {"wf", "France"},  // Wallis and Futuna: the Factbook describes its local red flag
};

// The Factbook names some sovereigns by their short forms.
struct SovereignAlias {
  std::string_view factbook;
  std::string_view place;
};
constexpr SovereignAlias kSovereignAliases[] = {
    {"the US", "United States"},
    {"the UK", "United Kingdom"},
};

}  // namespace

bool FlagSet::Load(const fs::path& dir, std::string& error) {
  std::ifstream in(dir / "country.json");
  const nlohmann::json list = nlohmann::json::parse(in, nullptr, false);
  if (list.is_discarded() || !list.is_array()) {
    error = "cannot read the flag list " + (dir / "country.json").string();
    return false;
  }
  for (const auto& entry : list) {
    if (!entry.contains("code") || !entry.contains("name")) continue;
    const std::string code = entry["code"].get<std::string>();
    const fs::path svg = dir / "flags" / "4x3" / (code + ".svg");
    std::ifstream file(svg, std::ios::binary);
    if (!file) continue;
    std::ostringstream text;
    text << file.rdbuf();
    Add(code, entry["name"].get<std::string>(), text.str());
  }
  if (drawings_.empty()) {
    error = "no flag drawings under " + (dir / "flags" / "4x3").string();
    return false;
  }
  return true;
}

void FlagSet::Add(const std::string& code, const std::string& name, const std::string& svg) {
  code_by_name_[Lower(name)] = code;
  drawings_[code] = NormaliseSvg(svg);
}

bool FlagSet::HasDrawing(std::string_view code) const { return drawings_.find(code) != drawings_.end(); }

bool FlagSet::SameDrawing(std::string_view a, std::string_view b) const {
  const auto first = drawings_.find(a);
  const auto second = drawings_.find(b);
  return first != drawings_.end() && second != drawings_.end() && first->second == second->second;
}

std::string FlagSet::CodeOfName(std::string_view name) const {
  const auto it = code_by_name_.find(Lower(name));
  return it == code_by_name_.end() ? std::string() : it->second;
}

std::string FlagStem(std::string_view place) {
  std::string stem;
  bool gap = false;
  for (char c : place) {
    if (std::isalnum(static_cast<unsigned char>(c)) && static_cast<unsigned char>(c) < 0x80) {
      if (gap && !stem.empty()) stem += '_';
      stem += c;
      gap = false;
    } else {
      gap = true;
    }
  }
  return stem;
}

std::vector<FlagChoice> ChooseFlags(const std::vector<std::string>& places,
                                    const std::map<std::string, FlagSource>& sources,
                                    const FlagSet& set, std::vector<std::string>& faults) {
  static const std::regex kUsed(R"(^the flag of (.+) is used$)");
  std::vector<FlagChoice> choices;
  std::map<std::string, size_t> index;
  for (const std::string& place : places) {
    index[place] = choices.size();
    choices.push_back({place, "", "", ""});
  }

  // Places with a flag of their own first, so that the others can refer to them.
  std::vector<std::pair<size_t, std::string>> references;  // choice, the place whose flag it flies
  for (FlagChoice& choice : choices) {
    const auto found = sources.find(choice.place);
    const FlagSource source = found == sources.end() ? FlagSource{} : found->second;
    std::smatch used;
    if (source.combined) {
      choice.how = "combines successors with flags of their own; the set has not its former flag";
    } else if (source.description.empty()) {
      choice.how = "the Factbook describes no flag";
    } else if (std::regex_match(source.description, used, kUsed)) {
      std::string sovereign = used[1].str();
      for (const SovereignAlias& alias : kSovereignAliases) {
        if (alias.factbook == sovereign) sovereign = alias.place;
      }
      references.emplace_back(index[choice.place], sovereign);
      choice.how = "the Factbook: " + source.description;
    } else if (!source.owner.empty()) {
      references.emplace_back(index[choice.place], source.owner);
      choice.how = "described within the profile of " + source.owner + ", whose flag it flies";
    } else {
      std::string code = set.CodeOfName(choice.place);
      for (const CodeAlias& alias : kCodeAliases) {
        if (alias.place == choice.place) code = alias.code;
      }
      const auto foreign = std::find_if(std::begin(kForeignDrawings), std::end(kForeignDrawings),
                                        [&](const ForeignDrawing& f) { return f.code == code; });
      if (code.empty()) {
        choice.how = "no code in the set's country list";
      } else if (!set.HasDrawing(code)) {
        choice.how = "the set has no drawing for " + code;
      } else if (foreign != std::end(kForeignDrawings)) {
        choice.how = "the set draws the flag of " + std::string(foreign->drawn) + " for " + code +
                     ", not the flag the Factbook describes";
      } else {
        choice.stem = FlagStem(choice.place);
        choice.code = code;
        choice.how = "own flag";
      }
    }
  }
  for (const auto& [at, flown] : references) {
    FlagChoice& choice = choices[at];
    const auto it = index.find(flown);
    if (it == index.end() || choices[it->second].stem.empty() ||
        choices[it->second].how != "own flag") {
      choice.how += "; no flag: " + flown + " has no flag of its own here";
      continue;
    }
    choice.stem = choices[it->second].stem;
    choice.code = choices[it->second].code;
  }

  // Different stems must show different flags, never one flag twice.
  std::map<std::string, std::string> code_by_stem;
  for (const FlagChoice& choice : choices) {
    if (!choice.stem.empty()) code_by_stem.emplace(choice.stem, choice.code);
  }
  for (auto a = code_by_stem.begin(); a != code_by_stem.end(); ++a) {
    for (auto b = std::next(a); b != code_by_stem.end(); ++b) {
      if (set.SameDrawing(a->second, b->second)) {
        faults.push_back(a->first + " and " + b->first + " would show the same drawing (" +
                         a->second + ", " + b->second + ")");
      }
    }
  }
  return choices;
}

std::string FormatFlagManifest(const std::vector<FlagChoice>& choices) {
  std::string out;
  std::set<std::string> written;
  for (const FlagChoice& choice : choices) {
    if (choice.stem.empty() || !written.insert(choice.stem).second) continue;
    out += choice.stem + "\t" + choice.code + "\n";
  }
  return out;
}

}  // namespace terravue::countrydata
