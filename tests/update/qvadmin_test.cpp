// qvadmin as a program: the command line against a real hive in a temporary
// registry folder, read back by a store of this process as the shield reads it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "support/TestSupport.h"
#include "update/ScheduleRecord.h"
#include "update/ScheduleSettings.h"

namespace vz::update {
namespace {

using testsupport::ReadFile;
using testsupport::TempDir;

struct AdminRun {
  int status = -1;
  std::string output;  // standard output and error together
};

class QvadminTest : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("VAZERU_REGISTRY_DIR", registryDir_.path().c_str(), 1); }

  AdminRun Admin(std::vector<std::string> args) {
    args.insert(args.begin(), testsupport::ProgramPath("qvadmin"));
    std::string out = scratch_.file("out" + std::to_string(++runs_));
    testsupport::ProgramRun run(args, {}, out);
    AdminRun result;
    EXPECT_TRUE(run.WaitForExit(20000, &result.status)) << "qvadmin did not end";
    result.output = ReadFile(out);
    return result;
  }

  // The record as a shield of another process sees it.
  std::string Stored(std::string_view name) {
    auto store = testsupport::OpenTestRegistry(registryDir_);
    ScheduleRecord record(*store);
    if (!record.Open(platform::RegAccess::Read)) return "(no record)";
    return record.HasValue(name) ? record.ReadText(name) : "(missing)";
  }
  void StoreDirectly(std::string_view name, const std::string& text) {
    auto store = testsupport::OpenTestRegistry(registryDir_);
    ScheduleRecord record(*store);
    ASSERT_TRUE(record.Open(platform::RegAccess::ReadWrite, platform::RegDisposition::CreateIfMissing));
    record.WriteText(name, text);
  }
  std::string Hive() { return ReadFile(registryDir_.file("machine.reg")); }

  TempDir registryDir_;
  TempDir scratch_;
  int runs_ = 0;
};

TEST_F(QvadminTest, EveryValueRoundTripsThroughTheCommandLine) {
  AdminRun empty = Admin({"show"});
  EXPECT_EQ(empty.status, 0);
  EXPECT_NE(empty.output.find("No schedule record yet"), std::string::npos) << empty.output;

  // The first change completes a missing record with defaults that keep the
  // schedule deactivated.
  ASSERT_EQ(Admin({"set", "schetime", "7"}).status, 0);
  EXPECT_EQ(Stored("ScheTime"), "7");
  EXPECT_EQ(Stored("ScheDeac"), "1");
  EXPECT_EQ(Stored("UpdateServer"), kDefaultUpdateServer);

  struct Case {
    const char* name;
    const char* input;
    const char* stored;
  };
  const Case cases[] = {
      {"Schtype", "Weekly", "1"},       {"Schday", "Sun", "6"},         {"ScheTime", "23", "23"},
      {"UpdInet", "false", "0"},        {"UpdLan", "true", "-1"},       {"UpdLanS", "/mnt/lan share", "/mnt/lan share"},
      {"CopyLan", "yes", "-1"},         {"CopyLanS", "/srv/out/", "/srv/out/"},
      {"Runmissed", "no", "0"},         {"24hours", "-1", "-1"},        {"ScheDeac", "0", "0"},
      {"UpdateServer", "http://127.0.0.1:8080/qvdata", "http://127.0.0.1:8080/qvdata"},
      {"Runupdate", "1", "1"},
  };
  for (const Case& c : cases) {
    AdminRun set = Admin({"set", c.name, c.input});
    EXPECT_EQ(set.status, 0) << c.name << ": " << set.output;
    EXPECT_EQ(Stored(c.name), c.stored) << c.name;
  }
  // show prints every value as stored, and the summary of the schedule.
  AdminRun show = Admin({"show"});
  EXPECT_EQ(show.status, 0);
  EXPECT_NE(show.output.find("Weekly on Sun at 23:00, active"), std::string::npos) << show.output;
  for (const Case& c : cases) {
    std::string line = std::string(c.name);
    line.resize(13, ' ');
    EXPECT_NE(show.output.find(line + " \"" + c.stored + "\"\n"), std::string::npos) << c.name << "\n" << show.output;
  }

  // A change is a new schedule, due again in its period; activate and
  // deactivate flip ScheDeac only.
  EXPECT_EQ(Admin({"set", "ScheTime", "5"}).status, 0);
  EXPECT_EQ(Stored("Runupdate"), "0");
  StoreDirectly("Runupdate", "1");
  EXPECT_EQ(Admin({"deactivate"}).status, 0);
  EXPECT_EQ(Stored("ScheDeac"), "1");
  EXPECT_EQ(Stored("Runupdate"), "0");
  EXPECT_EQ(Admin({"activate"}).status, 0);
  EXPECT_EQ(Stored("ScheDeac"), "0");
  EXPECT_EQ(Stored("ScheTime"), "5");
}

TEST_F(QvadminTest, RefusedInputChangesNothingAndSaysWhyOnOneLine) {
  ASSERT_EQ(Admin({"deactivate"}).status, 0);
  const std::string before = Hive();

  const std::vector<std::vector<std::string>> refused = {
      {"set", "ScheTime", "24"},          {"set", "Schday", "Funday"},      {"set", "Schtype", "hourly"},
      {"set", "UpdLan", "maybe"},         {"set", "UpdLanS", "relative/x"}, {"set", "UpdateServer", "ftp://h.example/"},
      {"set", "NoSuchValue", "1"},
  };
  for (const auto& args : refused) {
    AdminRun run = Admin(args);
    EXPECT_EQ(run.status, 1) << args[1];
    EXPECT_EQ(testsupport::SplitLines(run.output).size(), 1u) << run.output;
    EXPECT_EQ(run.output.rfind("qvadmin: ", 0), 0u) << run.output;
  }
  EXPECT_EQ(Hive(), before) << "a refused value leaves the hive byte for byte";
  EXPECT_NE(Admin({"set", "ScheTime", "24"}).output.find("ScheTime"), std::string::npos);

  // Bad command lines are errors too; --help is not.
  EXPECT_EQ(Admin({"set", "ScheTime"}).status, 1);
  EXPECT_EQ(Admin({"frobnicate"}).status, 1);
  AdminRun help = Admin({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.output.find("qvadmin set NAME VALUE"), std::string::npos);

  // A record the shield could not read is not activated.
  StoreDirectly("Schday", "9");
  AdminRun activate = Admin({"activate"});
  EXPECT_EQ(activate.status, 1);
  EXPECT_NE(activate.output.find("Schday"), std::string::npos) << activate.output;
  EXPECT_EQ(Stored("ScheDeac"), "1");
  EXPECT_NE(Admin({"show"}).output.find("\"9\"  <- not a day"), std::string::npos);
  ASSERT_EQ(Admin({"set", "Schday", "Tue"}).status, 0);
  EXPECT_EQ(Admin({"activate"}).status, 0);
  EXPECT_EQ(Stored("ScheDeac"), "0");

  // A hive that cannot be written is an error, not a silent success.
  ASSERT_EQ(::unlink(registryDir_.file("machine.reg").c_str()), 0);
  ASSERT_EQ(::mkdir(registryDir_.file("machine.reg").c_str(), 0700), 0);
  AdminRun broken = Admin({"set", "ScheTime", "3"});
  EXPECT_EQ(broken.status, 1) << broken.output;
  EXPECT_EQ(Admin({"show"}).status, 1);
}

}  // namespace
}  // namespace vz::update
