#include "uninstall/uninstall_screen.h"

#include <gtest/gtest.h>

#include "db/country_store.h"
#include "db/device_store.h"
#include "db/zone_store.h"
#include "platform/ui/automation.h"
#include "platform/ui/controls.h"
#include "tests/program_run.h"

namespace terravue {
namespace {

using testing::MessageText;
using testing::ProgramRun;
using testing::TopKind;

void Press(std::string_view target) {
  std::string error;
  ASSERT_TRUE(tv::ui::automation::Press(target, error)) << error;
}

void MakeDatabases(bool countries, bool zones) {
  tv::store::ObjectStore* store = DeviceStore();
  ASSERT_NE(store, nullptr);
  if (countries) {
    std::optional<tv::store::RecordDatabase> db = CountryRecordStore::OpenOrCreateCountryStore();
    ASSERT_TRUE(db);
    ASSERT_TRUE(CountryRecordStore::AppendCountryField(*db, u"France", u"government", u"capital",
                                                       u"Paris"));
  }
  if (zones) {
    ASSERT_TRUE(store->Create(ZoneRecordStore::kName, ZoneRecordStore::kType,
                              {ZoneRecordStore::kNumberProp, tv::store::SortKind::kInt16}));
  }
}

bool Exists(std::u16string_view name) { return DeviceStore()->Exists(name); }

// Runs the uninstaller on `run`'s device root with one answer and checks
// the message box it shows then ("" for none: the program ends at once).
void Answer(ProgramRun& run, std::string_view answer, std::u16string_view expected) {
  run.Step([answer] {
    auto* screen = dynamic_cast<UninstallScreen*>(testing::Top());
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->Text(), u"Terravue Uninstall");
    EXPECT_EQ(screen->Control<tv::ui::StaticText>(kQuestionText).Text(),
              u"Do you really wish to uninstall the Terravue Database from your Pocket PC?");
    Press(answer);
  });
  if (!expected.empty()) {
    run.Step([expected] {
      EXPECT_EQ(MessageText(), expected);
      Press("ok");
    });
  }
  EXPECT_EQ(run.RunWith([] {
    UninstallScreen screen;
    screen.RunModal();
  }),
            0);
}

TEST(UninstallTest, YesDeletesBothDatabasesOnceAndReportsIt) {
  ProgramRun first;
  MakeDatabases(true, true);
  Answer(first, std::to_string(kYesButton), u"Uninstall Successful");
  EXPECT_FALSE(Exists(CountryRecordStore::kName));
  EXPECT_FALSE(Exists(ZoneRecordStore::kName));

  // Run again on the same device: nothing left to delete, nothing shown.
  ProgramRun second(first.DeviceRoot());
  Answer(second, std::to_string(kYesButton), u"");
}

TEST(UninstallTest, OnlyTheZoneStoreLeftIsDeletedAndNoStoreGetsNone) {
  ProgramRun run;
  MakeDatabases(false, true);
  Answer(run, std::to_string(kYesButton), u"Uninstall Successful");
  EXPECT_FALSE(Exists(ZoneRecordStore::kName));

  ProgramRun bare;
  Answer(bare, std::to_string(kYesButton), u"");
  EXPECT_TRUE(std::filesystem::is_empty(bare.DeviceRoot())) << "nothing is created";
}

TEST(UninstallTest, NoAndOkLeaveEverything) {
  for (std::string answer : {std::to_string(kNoButton), std::string("ok")}) {
    ProgramRun run;
    MakeDatabases(true, true);
    SCOPED_TRACE(answer);
    Answer(run, answer, u"");
    EXPECT_TRUE(Exists(CountryRecordStore::kName));
    EXPECT_TRUE(Exists(ZoneRecordStore::kName));
  }
}

}  // namespace
}  // namespace terravue
