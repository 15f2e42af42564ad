#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace vz::app {
namespace {

TEST(CommandLine, OnlyExactRestartAsFirstArgumentIsARestart) {
  EXPECT_TRUE(ParseCommandLine({"Restart"}).restart);
  EXPECT_FALSE(ParseCommandLine({"restart"}).restart);
  EXPECT_TRUE(ParseCommandLine({"restart"}).error.empty());
  EXPECT_FALSE(ParseCommandLine({"--console", "Restart"}).restart);
  EXPECT_FALSE(ParseCommandLine({}).restart);
}

TEST(CommandLine, OptionsArePassedOnToTheRestartedShield) {
  CommandLine cmd = ParseCommandLine({"Restart", "--console", "--app-folder", "/srv/vz", "--answer=no"});
  EXPECT_TRUE(cmd.restart);
  EXPECT_TRUE(cmd.console);
  EXPECT_EQ(cmd.appFolder, "/srv/vz");
  ASSERT_TRUE(cmd.answer.has_value());
  EXPECT_EQ(*cmd.answer, ui::DialogAnswer::No);
  std::vector<std::string> expected{"Restart", "--console", "--app-folder", "/srv/vz", "--answer=no"};
  EXPECT_EQ(RestartArguments(cmd), expected);
  // A normal start restarts with the same options too.
  // (a restarted shield keeps the journal off).
  EXPECT_FALSE(cmd.noJournal);
  CommandLine normal = ParseCommandLine({"--quiet", "--no-journal", "--app-folder=/x"});
  EXPECT_TRUE(normal.quiet);
  EXPECT_TRUE(normal.noJournal);
  EXPECT_EQ(normal.appFolder, "/x");
  std::vector<std::string> expected2{"Restart", "--quiet", "--no-journal", "--app-folder=/x"};
  EXPECT_EQ(RestartArguments(normal), expected2);
}

TEST(CommandLine, BadOptionsAreReported) {
  EXPECT_FALSE(ParseCommandLine({"--answer=maybe"}).error.empty());
  EXPECT_FALSE(ParseCommandLine({"--app-folder"}).error.empty());
  EXPECT_FALSE(ParseCommandLine({"--frobnicate"}).error.empty());
  EXPECT_FALSE(ParseCommandLine({"--on-alert=explode"}).error.empty());
  EXPECT_TRUE(ParseCommandLine({"--on-alert=kill"}).error.empty());
  CommandLine help = ParseCommandLine({"--console", "--help"});
  EXPECT_TRUE(help.help);
  EXPECT_TRUE(help.error.empty());
}

}  // namespace
}  // namespace vz::app
