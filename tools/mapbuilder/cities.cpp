#include "tools/mapbuilder/cities.h"

#include <cctype>
#include <fstream>
#include <sstream>

namespace terravue::mapbuilder {

namespace {

class Reader {
 public:
  explicit Reader(std::string_view data) : data_(data) {}

  bool AtEnd() const { return pos_ >= data_.size(); }

  std::optional<uint64_t> Varint() {
    uint64_t value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      if (pos_ >= data_.size()) return std::nullopt;
      const uint8_t byte = static_cast<uint8_t>(data_[pos_++]);
      value |= static_cast<uint64_t>(byte & 0x7F) << shift;
      if ((byte & 0x80) == 0) return value;
    }
    return std::nullopt;
  }

  std::optional<std::string_view> Bytes() {
    const auto length = Varint();
    if (!length || *length > data_.size() - pos_) return std::nullopt;
    const std::string_view bytes = data_.substr(pos_, *length);
    pos_ += *length;
    return bytes;
  }

  bool Skip(uint64_t count) {
    if (count > data_.size() - pos_) return false;
    pos_ += count;
    return true;
  }

 private:
  std::string_view data_;
  size_t pos_ = 0;
};

int64_t ZigZag(uint64_t v) { return static_cast<int64_t>(v >> 1) ^ -static_cast<int64_t>(v & 1); }

}  // namespace

std::optional<std::vector<City>> DecodeCities(std::string_view data) {
  std::vector<City> cities;
  Reader outer(data);
  int64_t lon = 0;
  int64_t lat = 0;
  while (!outer.AtEnd()) {
    const auto message = outer.Bytes();
    if (!message) return std::nullopt;
    Reader in(*message);
    City city;
    while (!in.AtEnd()) {
      const auto key = in.Varint();
      if (!key) return std::nullopt;
      const uint64_t tag = *key >> 3;
      switch (*key & 7) {
        case 0: {
          const auto v = in.Varint();
          if (!v) return std::nullopt;
          if (tag == 9) city.population = static_cast<int64_t>(*v);
          if (tag == 10) lon += ZigZag(*v);
          if (tag == 11) lat += ZigZag(*v);
          break;
        }
        case 2: {
          const auto bytes = in.Bytes();
          if (!bytes) return std::nullopt;
          if (tag == 2) city.name = std::string(*bytes);
          if (tag == 3) city.country = std::string(*bytes);
          if (tag == 7) city.feature_code = std::string(*bytes);
          break;
        }
        case 1:
          if (!in.Skip(8)) return std::nullopt;
          break;
        case 5:
          if (!in.Skip(4)) return std::nullopt;
          break;
        default:
          return std::nullopt;
      }
    }
    city.lon = lon / 1e5;
    city.lat = lat / 1e5;
    cities.push_back(std::move(city));
  }
  return cities;
}

std::optional<std::vector<City>> ReadCitiesFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  return DecodeCities(buffer.str());
}

std::set<std::string> IsoCodes(std::string_view text) {
  std::set<std::string> codes;
  text = text.substr(0, text.find("note"));
  auto letter = [&](size_t i) { return i < text.size() && std::isalpha(static_cast<unsigned char>(text[i])); };
  for (size_t dot = text.find('.'); dot != std::string_view::npos; dot = text.find('.', dot + 1)) {
    if (!letter(dot + 1) || !letter(dot + 2) || letter(dot + 3)) continue;
    std::string code(2, ' ');
    code[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[dot + 1])));
    code[1] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[dot + 2])));
    codes.insert(code == "UK" ? "GB" : code);
  }
  return codes;
}

const City* FindCapital(const std::vector<const City*>& own, std::string_view factbook_capital) {
  auto named = [&](const City* c) {
    return !c->name.empty() && factbook_capital.substr(0, c->name.size()) == c->name;
  };
  const City* best = nullptr;
  for (const City* c : own) {
    if (c->feature_code != "PPLC") continue;
    if (best == nullptr || (named(c) && !named(best)) ||
        (named(c) == named(best) && c->population > best->population)) {
      best = c;
    }
  }
  if (best != nullptr) return best;
  for (const City* c : own) {
    if (named(c) && (best == nullptr || c->population > best->population)) best = c;
  }
  return best;
}

}  // namespace terravue::mapbuilder
