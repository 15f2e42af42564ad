#include <gtest/gtest.h>

#include "log/ShieldLog.h"
#include "platform/testing/FakeClock.h"
#include "support/TestSupport.h"

namespace vz::log {
namespace {

TEST(ShieldLog, TrimsToTheSeventyNewestOnceItReachesEighty) {
  platform::testing::FakeClock clock;
  clock.now.hour = 14;
  clock.now.minute = 3;
  clock.now.second = 25;
  ShieldLog log(clock);
  for (int i = 1; i <= 79; ++i) log.WriteShieldLog(std::string("m").append(std::to_string(i)));
  EXPECT_EQ(log.Entries().size(), 79u);
  log.WriteShieldLog("m80");
  ASSERT_EQ(log.Entries().size(), 70u);
  EXPECT_EQ(log.Entries().front(), "14:03:25  m80");
  EXPECT_EQ(log.Entries().back(), "14:03:25  m11");
  // Ten more writes reach 80 again and cut back to 70.
  for (int i = 81; i <= 89; ++i) log.WriteShieldLog(std::string("m").append(std::to_string(i)));
  EXPECT_EQ(log.Entries().size(), 79u);
  log.WriteShieldLog("m90");
  ASSERT_EQ(log.Entries().size(), 70u);
  EXPECT_EQ(log.Entries().front(), "14:03:25  m90");
  EXPECT_EQ(log.Entries().back(), "14:03:25  m21");
}

TEST(ShieldLog, SameSecondKeepsOrderAndFileIsNewestFirstWithCrLf) {
  platform::testing::FakeClock clock;
  clock.now.hour = 9;
  clock.now.minute = 5;
  clock.now.second = 7;
  ShieldLog log(clock);
  std::vector<std::string> written;
  log.SetOnWritten([&](const std::string& e) { written.push_back(e); });
  log.WriteShieldLog("Looking for 1 pck...");
  log.WriteShieldLog("Examine Startups");
  EXPECT_EQ(log.Entries()[0], "09:05:07  Examine Startups");
  EXPECT_EQ(log.Entries()[1], "09:05:07  Looking for 1 pck...");
  EXPECT_EQ(written.size(), 2u);

  testsupport::TempDir dir;
  ASSERT_TRUE(log.SaveTo(dir.file("Vazeru.log")));
  EXPECT_EQ(testsupport::ReadFile(dir.file("Vazeru.log")),
            "09:05:07  Examine Startups\r\n09:05:07  Looking for 1 pck...\r\n");
  // Saving replaces the previous file.
  ShieldLog empty(clock);
  ASSERT_TRUE(empty.SaveTo(dir.file("Vazeru.log")));
  EXPECT_EQ(testsupport::ReadFile(dir.file("Vazeru.log")), "");
  EXPECT_FALSE(log.SaveTo(dir.file("missing/Vazeru.log")));
}

TEST(ShieldLog, SinkReceivesEveryLineAndTheFieldsOfAFinding) {
  platform::testing::FakeClock clock;
  clock.now.hour = 23;
  struct Recording final : ShieldLogSink {
    void Receive(const ShieldLogLine& line) override {
      entries.push_back(line.entry);
      messages.push_back(line.message);
      findings.push_back(line.finding ? line.finding->programPath : "-");
    }
    std::vector<std::string> entries, messages, findings;
  } sink;
  ShieldLog log(clock);
  log.SetSink(&sink);
  log.WriteShieldLog("Examine Startups");
  log.WriteShieldLog("Possible Spyware found : Spy (spy)", Finding{"Spy", "/tmp/spy", 42, "alert"});
  EXPECT_EQ(sink.entries, (std::vector<std::string>{"23:00:00  Examine Startups", log.Entries()[0]}));
  EXPECT_EQ(sink.messages, (std::vector<std::string>{"Examine Startups", "Possible Spyware found : Spy (spy)"}));
  EXPECT_EQ(sink.findings, (std::vector<std::string>{"-", "/tmp/spy"}));
  // A finding's line in the list is the same as any other.
  EXPECT_EQ(log.Entries()[0], "23:00:00  Possible Spyware found : Spy (spy)");
  log.SetSink(nullptr);
  log.WriteShieldLog("after");
  EXPECT_EQ(sink.entries.size(), 2u);
}

}  // namespace
}  // namespace vz::log
