#include <gtest/gtest.h>

#include "log/JournalSink.h"
#include "log/ShieldLog.h"
#include "platform/JournalText.h"
#include "platform/testing/FakeClock.h"
#include "platform/testing/RecordingJournal.h"

namespace vz::log {
namespace {

using platform::JournalField;
using platform::JournalPriority;
using platform::JournalRecord;

std::vector<std::pair<std::string, std::string>> Fields(const JournalRecord& record) {
  std::vector<std::pair<std::string, std::string>> fields;
  for (const JournalField& f : record.fields) fields.emplace_back(f.name, f.value);
  return fields;
}

TEST(JournalSink, ALineGoesAsInfoAndAFindingAsWarningWithItsFields) {
  platform::testing::FakeClock clock;
  clock.now.hour = 8;
  platform::testing::RecordingJournal journal;
  JournalSink sink(journal);
  ShieldLog log(clock);
  log.SetSink(&sink);
  log.WriteShieldLog("Known Spyware : 3 of 9 Known");
  log.WriteShieldLog("Possible Spyware found : Test Spy    (spy)", Finding{"Test Spy", "/opt/x y/spy", 4242, "alert"});
  // A finding that is no process has no PID field.
  log.WriteShieldLog("Possible Spyware found : Run entry", Finding{"Run entry", "/opt/run", 0, "removed"});

  ASSERT_EQ(journal.records.size(), 3u);
  // The journal stamps records itself: the message goes without our time of day.
  EXPECT_EQ(journal.records[0].message, "Known Spyware : 3 of 9 Known");
  EXPECT_EQ(journal.records[0].priority, JournalPriority::Info);
  EXPECT_TRUE(journal.records[0].fields.empty());

  EXPECT_EQ(journal.records[1].message, "Possible Spyware found : Test Spy    (spy)");
  EXPECT_EQ(journal.records[1].priority, JournalPriority::Warning);
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(Fields(journal.records[1]), (Pairs{{"VAZERU_ENTRY", "Test Spy"},
                                               {"VAZERU_PATH", "/opt/x y/spy"},
                                               {"VAZERU_PID", "4242"},
                                               {"VAZERU_ACTION", "alert"}}));
  EXPECT_EQ(Fields(journal.records[2]),
            (Pairs{{"VAZERU_ENTRY", "Run entry"}, {"VAZERU_PATH", "/opt/run"}, {"VAZERU_ACTION", "removed"}}));
}

TEST(JournalLineText, FieldsReadBackAndNoByteStartsALineOfItsOwn) {
  JournalRecord record;
  record.message = "Possible Spyware found : evil\nFAKE: all clear\r(x)";
  record.fields = {{"VAZERU_ENTRY", "say \"hi\""}, {"VAZERU_PATH", "/tmp/a\\b\n\x7f"}};
  EXPECT_EQ(platform::JournalLineText(record),
            "Possible Spyware found : evil\\012FAKE: all clear\\015(x)"
            " VAZERU_ENTRY=\"say \\\"hi\\\"\" VAZERU_PATH=\"/tmp/a\\\\b\\012\\177\"");
  EXPECT_EQ(platform::JournalLineText(JournalRecord{"plain", JournalPriority::Info, {}}), "plain");
}

}  // namespace
}  // namespace vz::log
