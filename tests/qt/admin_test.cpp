// The window "Orvane Admin": every value set through its controls is saved in
// its encoding to a real hive, and a window opened on that record shows it again.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "support/TestSupport.h"
#include "ui/qt/AdminWindow.h"
#include "update/AdminConsoleModel.h"
#include "update/ScheduleRecord.h"

namespace vz::qttest {
namespace {

using ui::qt::AdminWindow;
using update::AdminConsoleModel;

void TypeInto(QLineEdit* edit, const QString& text) {
  QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClicks(edit, text);
}

class AdminWindowTest : public ::testing::Test {
 protected:
  // The stored texts, read by a store of its own as the shield would.
  std::string Stored(std::string_view name) {
    auto store = testsupport::OpenTestRegistry(dir_);
    update::ScheduleRecord record(*store);
    if (!record.Open(platform::RegAccess::Read)) return "(no record)";
    return record.HasValue(name) ? record.ReadText(name) : "(missing)";
  }
  void StoreDirectly(std::string_view name, const std::string& text) {
    update::ScheduleRecord record(*store_);
    ASSERT_TRUE(record.Open(platform::RegAccess::ReadWrite, platform::RegDisposition::CreateIfMissing));
    record.WriteText(name, text);
  }

  testsupport::TempDir dir_;
  std::unique_ptr<platform::RegistryStore> store_ = testsupport::OpenTestRegistry(dir_);
};

TEST_F(AdminWindowTest, EveryValueRoundTripsThroughTheWindow) {
  AdminConsoleModel model(*store_);
  ASSERT_TRUE(model.Load());
  AdminWindow window(model);
  EXPECT_EQ(window.windowTitle(), "Orvane Admin");
  EXPECT_EQ(window.statusLabel->text(), "No schedule saved yet");
  EXPECT_EQ(window.typeBox->count(), 3);
  EXPECT_EQ(window.typeBox->itemText(2), "At Startup");
  EXPECT_EQ(window.dayBox->itemText(0), "Mon");
  EXPECT_EQ(window.dayBox->itemText(6), "Sun");
  EXPECT_TRUE(window.deactivateCheck->isChecked()) << "a fresh schedule starts deactivated";
  EXPECT_FALSE(window.dayBox->isEnabled()) << "no day for a daily schedule";

  // A weekly LAN schedule on the 12-hour clock.
  window.typeBox->setCurrentIndex(1);
  EXPECT_TRUE(window.dayBox->isEnabled());
  window.dayBox->setCurrentIndex(6);
  window.clock24Check->setChecked(false);
  EXPECT_EQ(window.hourBox->itemText(0), "12:00 AM");
  EXPECT_EQ(window.hourBox->itemText(13), "1:00 PM");
  window.hourBox->setCurrentIndex(19);
  EXPECT_EQ(window.hourBox->currentText(), "7:00 PM");
  window.runMissedCheck->setChecked(false);
  window.deactivateCheck->setChecked(false);
  window.lanRadio->setChecked(true);
  EXPECT_TRUE(window.lanSourceEdit->isEnabled());
  EXPECT_FALSE(window.serverEdit->isEnabled());
  EXPECT_FALSE(window.copyCheck->isEnabled()) << "the copy follows a download from the server";
  TypeInto(window.lanSourceEdit, "/mnt/lan share/");
  StoreDirectly(update::kRunupdate, "1");
  window.saveButton->click();
  EXPECT_EQ(window.statusLabel->text(), "Schedule saved");

  EXPECT_EQ(Stored("ScheDeac"), "0");
  EXPECT_EQ(Stored("Schtype"), "1");
  EXPECT_EQ(Stored("Schday"), "6");
  EXPECT_EQ(Stored("ScheTime"), "19");
  EXPECT_EQ(Stored("Runmissed"), "0");
  EXPECT_EQ(Stored("24hours"), "0");
  EXPECT_EQ(Stored("UpdLan"), "-1");
  EXPECT_EQ(Stored("UpdInet"), "0");
  EXPECT_EQ(Stored("UpdLanS"), "/mnt/lan share/");
  EXPECT_EQ(Stored("Runupdate"), "0") << "saving re-arms the schedule";

  {
    // A window opened later shows what was saved.
    AdminConsoleModel again(*store_);
    ASSERT_TRUE(again.Load());
    AdminWindow shown(again);
    EXPECT_EQ(shown.typeBox->currentText(), "Weekly");
    EXPECT_EQ(shown.dayBox->currentText(), "Sun");
    EXPECT_EQ(shown.hourBox->currentText(), "7:00 PM");
    EXPECT_FALSE(shown.clock24Check->isChecked());
    EXPECT_FALSE(shown.runMissedCheck->isChecked());
    EXPECT_FALSE(shown.deactivateCheck->isChecked());
    EXPECT_TRUE(shown.lanRadio->isChecked());
    EXPECT_EQ(shown.lanSourceEdit->text(), "/mnt/lan share/");
    EXPECT_EQ(shown.statusLabel->text(), "Schedule loaded");
  }

  // An Internet schedule at every start, copying to a share.
  window.typeBox->setCurrentIndex(2);
  EXPECT_FALSE(window.hourBox->isEnabled());
  window.internetRadio->setChecked(true);
  TypeInto(window.serverEdit, "https://127.0.0.1:8443/data/");
  window.copyCheck->setChecked(true);
  EXPECT_TRUE(window.lanTargetEdit->isEnabled());
  TypeInto(window.lanTargetEdit, "/srv/out");
  window.clock24Check->setChecked(true);
  EXPECT_EQ(window.hourBox->currentText(), "19:00");
  window.deactivateCheck->setChecked(true);
  window.saveButton->click();
  EXPECT_EQ(window.statusLabel->text(), "Schedule saved");
  EXPECT_EQ(Stored("Schtype"), "2");
  EXPECT_EQ(Stored("UpdLan"), "0");
  EXPECT_EQ(Stored("UpdInet"), "-1");
  EXPECT_EQ(Stored("UpdateServer"), "https://127.0.0.1:8443/data/");
  EXPECT_EQ(Stored("CopyLan"), "-1");
  EXPECT_EQ(Stored("CopyLanS"), "/srv/out");
  EXPECT_EQ(Stored("24hours"), "-1");
  EXPECT_EQ(Stored("ScheDeac"), "1");
}

TEST_F(AdminWindowTest, AValueThatDoesNotFitIsNotSavedAndBadStoredValuesAreNamed) {
  StoreDirectly(update::kSchday, "9");
  AdminConsoleModel model(*store_);
  ASSERT_TRUE(model.Load());
  AdminWindow window(model);
  EXPECT_NE(window.statusLabel->text().indexOf("Schday"), -1) << window.statusLabel->text().toStdString();
  EXPECT_EQ(window.dayBox->currentText(), "Mon");

  const std::string before = testsupport::ReadFile(dir_.file("machine.reg"));
  TypeInto(window.serverEdit, "ftp://updates.example/");
  window.saveButton->click();
  EXPECT_TRUE(window.statusLabel->text().startsWith("Not saved: UpdateServer")) << window.statusLabel->text().toStdString();
  EXPECT_EQ(testsupport::ReadFile(dir_.file("machine.reg")), before);
}

}  // namespace
}  // namespace vz::qttest
