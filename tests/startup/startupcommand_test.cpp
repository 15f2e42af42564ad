// The parts of a startup finding computed from text: which program a command
// runs, the hive a row's tag names, the link of a description.
#include <gtest/gtest.h>

#include "protection/DescriptionLink.h"
#include "startup/StartupCommand.h"
#include "startup/StartupEntries.h"

namespace vz::startup {
namespace {

TEST(StartupCommand, ProgramPathDropsQuotesAndArguments) {
  // Desktop entry commands.
  EXPECT_EQ(ProgramPathOfCommand("/usr/bin/foo --flag"), "/usr/bin/foo");
  EXPECT_EQ(ProgramPathOfCommand("\"/opt/My App/foo\" %U"), "/opt/My App/foo");
  EXPECT_EQ(ProgramPathOfCommand("/usr/bin/foo --config /etc/foo.conf"), "/usr/bin/foo");
  EXPECT_EQ(ProgramPathOfCommand("/usr/bin/foo /etc/foo.conf"), "/usr/bin/foo");
  EXPECT_EQ(ProgramPathOfCommand("\"/opt/x/foo\" /tmp/a/b"), "/opt/x/foo");
  EXPECT_EQ(ProgramPathOfCommand("/opt/x/foo"), "/opt/x/foo");
  // The classic forms keep their results: "\" and ":" separate anywhere.
  EXPECT_EQ(ProgramPathOfCommand("\"C:\\Program Files\\X\\prog.exe\" /background"),
            "C:\\Program Files\\X\\prog.exe");
  EXPECT_EQ(ProgramPathOfCommand("C:\\Program Files\\X\\prog.exe"), "C:\\Program Files\\X\\prog.exe");
  EXPECT_EQ(ProgramPathOfCommand("C:\\X\\prog.exe -s"), "C:\\X\\prog.exe");
  EXPECT_EQ(ProgramPathOfCommand("C:prog.exe"), "C:prog.exe");
  // No folder: the bare name, which the scan never looks up.
  EXPECT_EQ(ProgramPathOfCommand("xmrig --donate 1"), "xmrig");
  EXPECT_FALSE(HasFolder(ProgramPathOfCommand("xmrig --donate 1")));
  EXPECT_FALSE(HasFolder("C:prog.exe"));
  EXPECT_TRUE(HasFolder("/opt/My App/foo"));
  EXPECT_EQ(CommandNamePart("/opt/My App/foo"), "foo");
  EXPECT_EQ(CommandFolderPart("/opt/My App/foo"), "/opt/My App/");
  EXPECT_EQ(CommandNamePart("/opt/x/"), "");
}

TEST(StartupCommand, OnlyAnHkcuTagInAnyCaseMeansTheCurrentUser) {
  EXPECT_TRUE(TagMeansCurrentUser("[HKCU]"));
  EXPECT_TRUE(TagMeansCurrentUser("[hkCu]"));
  EXPECT_FALSE(TagMeansCurrentUser("[HKLM]"));
  EXPECT_FALSE(TagMeansCurrentUser(""));
  EXPECT_FALSE(TagMeansCurrentUser(" [HKCU]"));
}

TEST(StartupDescriptionLink, TakesTheQuotedAddressOutOfTheFirstParentheses) {
  auto split = protection::SplitDescriptionLink("(\"http://example.com/spy\")Watches you");
  EXPECT_EQ(split.link, "http://example.com/spy");
  EXPECT_EQ(split.rest, "Watches you");
  // Without a double quote or without "http://" the text stays whole.
  split = protection::SplitDescriptionLink("(http://example.com)Watches you");
  EXPECT_EQ(split.link, "");
  EXPECT_EQ(split.rest, "(http://example.com)Watches you");
  split = protection::SplitDescriptionLink("A \"quoted\" (ftp) text");
  EXPECT_EQ(split.link, "");
  EXPECT_EQ(split.rest, "A \"quoted\" (ftp) text");
  // Parentheses without a quoted address inside are taken out, the link is empty.
  split = protection::SplitDescriptionLink("Spy (adware) see \"HTTP://x.org\"");
  EXPECT_EQ(split.link, "");
  EXPECT_EQ(split.rest, "Spy  see \"HTTP://x.org\"");
  // ")" before "(": nothing between them, "()" is not in the text.
  split = protection::SplitDescriptionLink(") \"http://x\" (");
  EXPECT_EQ(split.link, "");
  EXPECT_EQ(split.rest, ") \"http://x\" (");
}

}  // namespace
}  // namespace vz::startup
