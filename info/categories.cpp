#include "info/categories.h"

#include "platform/base/check.h"

namespace terravue {
namespace {

constexpr std::u16string_view kGeography[] = {u"location",  u"coordinates",
                                              u"area",      u"coastline",
                                              u"border countries", u"climate",
                                              u"resources", u"Timezone"};
constexpr std::u16string_view kPeople[] = {
    u"population",  u"growth rate",   u"age structure", u"sex ratio", u"fertility rate",
    u"nationality", u"ethnic groups", u"religions",     u"languages", u"literacy"};
constexpr std::u16string_view kGovernment[] = {u"official country name", u"government type",
                                               u"capital", u"national holidays",
                                               u"administrative divisions"};
constexpr std::u16string_view kEconomy[] = {u"currency", u"currency code", u"imports",
                                            u"exports",  u"industries",    u"fiscal year"};
constexpr std::u16string_view kCommunication[] = {u"telephones",   u"cellular",
                                                  u"IDD",          u"country code",
                                                  u"internet country code", u"internet users"};
constexpr std::u16string_view kTransportation[] = {u"ports and harbors", u"airports",
                                                   u"heliports"};
constexpr std::u16string_view kTourism[] = {u"attractions"};

constexpr std::span<const std::u16string_view> kFields[kCategoryCount] = {
    kGeography, kPeople, kGovernment, kEconomy, kCommunication, kTransportation, kTourism};

}  // namespace

const std::array<std::u16string_view, kCategoryCount> CategoryTable = {
    u"geography", u"people", u"government", u"economy", u"communication", u"transportation",
    u"tourism"};

std::span<const std::u16string_view> CategoryFieldTable(int index) {
  TV_CHECK(index >= 0 && index < kCategoryCount);
  return kFields[index];
}

}  // namespace terravue
