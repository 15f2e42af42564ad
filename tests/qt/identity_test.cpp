#include <gtest/gtest.h>

#include <QGuiApplication>

#include "platform/FileSystem.h"
#include "support/TestSupport.h"
#include "ui/qt/QtFrontEnd.h"

namespace vz {
namespace {

TEST(QtIdentity, TheWindowsNameTheMenuEntryThatIsInstalled) {
  ui::qt::QtFrontEnd front({nullptr, nullptr, ui::qt::QtFrontEnd::TrayMode::Unavailable, nullptr, {}});
  const std::string name = QGuiApplication::desktopFileName().toStdString();
  ASSERT_FALSE(name.empty());
  EXPECT_TRUE(platform::FileExists(testsupport::SourcePath("packaging/" + name + ".desktop"))) << name;
}

}  // namespace
}  // namespace vz
