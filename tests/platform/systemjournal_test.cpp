// The system journal of this machine, when one runs: a finding sent through
// the shield log is found by journalctl by its fields.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <random>

#include "log/JournalSink.h"
#include "log/ShieldLog.h"
#include "platform/SystemJournal.h"
#include "support/TestSupport.h"

namespace vz::platform {
namespace {

constexpr const char* kJournalSocket = "/run/systemd/journal/socket";

std::string CommandOutput(const std::string& command) {
  std::string output;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    ::pclose(pipe);
  }
  return output;
}

TEST(SystemJournal, AFindingIsFoundByJournalctlByItsFields) {
  struct stat st {};
  if (::stat(kJournalSocket, &st) != 0 || !S_ISSOCK(st.st_mode))
    GTEST_SKIP() << "no systemd-journald running on this machine (" << kJournalSocket
                 << " is missing); the syslog fallback is tested by JournalOutput";
  const std::string entry = "vz-journal-test-" + std::to_string(::getpid()) + "-" + std::to_string(std::random_device{}());
  auto journal = OpenSystemJournal();
  log::JournalSink sink(*journal);
  log::ShieldLog shieldLog;
  shieldLog.SetSink(&sink);
  shieldLog.WriteShieldLog("Possible Spyware found : " + entry, log::Finding{entry, "/opt/a b/spy", 4242, "alert"});

  // journald writes asynchronously: wait (bounded) for the record to show.
  const std::string query = "journalctl --no-pager -o export -t qvshield VAZERU_ENTRY=" + entry + " 2>&1";
  std::string found;
  EXPECT_TRUE(testsupport::WaitUntil(
      [&] {
        found = CommandOutput(query);
        return found.find("\nVAZERU_ENTRY=" + entry + "\n") != std::string::npos;
      },
      10000))
      << found;
  EXPECT_NE(found.find("\nMESSAGE=Possible Spyware found : " + entry + "\n"), std::string::npos) << found;
  EXPECT_NE(found.find("\nVAZERU_PATH=/opt/a b/spy\n"), std::string::npos) << found;
  EXPECT_NE(found.find("\nVAZERU_PID=4242\n"), std::string::npos) << found;
  EXPECT_NE(found.find("\nVAZERU_ACTION=alert\n"), std::string::npos) << found;
  EXPECT_NE(found.find("\nPRIORITY=4\n"), std::string::npos) << found;
  EXPECT_NE(found.find("\nSYSLOG_IDENTIFIER=qvshield\n"), std::string::npos) << found;
}

}  // namespace
}  // namespace vz::platform
