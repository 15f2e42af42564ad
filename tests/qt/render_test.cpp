// The windows drawn on the offscreen platform: each page of the main window
// and the alert window are rendered to PNG files in the build folder
// (screenshots/) and must show more than a blank surface.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QStackedWidget>
#include <set>

#include "QtTestShield.h"
#include "ui/qt/ProcessPage.h"
#include "ui/qt/AlertWindow.h"

namespace vz::qttest {
namespace {

size_t Colours(const QImage& image) {
  std::set<QRgb> colours;
  for (int y = 0; y < image.height(); y += 2)
    for (int x = 0; x < image.width(); x += 2) colours.insert(image.pixel(x, y));
  return colours.size();
}

QImage Render(QWidget& widget, const QString& name) {
  QDir().mkpath(VAZERU_SCREENSHOT_DIR);
  QImage image = widget.grab().toImage();
  image.save(QString(VAZERU_SCREENSHOT_DIR) + "/" + name + ".png", "PNG");
  return image;
}

TEST(QtRender, PagesAndAlertAreDrawn) {
  QtTestShield s;
  s.processes.Start(1, "init", "/sbin/init");
  s.processes.Start(300, "bash", "/usr/bin/bash");
  s.processes.Start(310, "vz-spy-sample", "/tmp/vz-spy-sample");
  s.StartUpAndShow();
  s.Window().processPage->taskList->setCurrentRow(1);
  QImage process = Render(s.Window(), "offscreen-process-page");
  EXPECT_EQ(process.size(), QSize(814, 542));
  EXPECT_GT(Colours(process), 20u);
  s.shield->MainWindow().Navigate(ui::Page::OptionsInfo);
  EXPECT_GT(Colours(Render(s.Window(), "offscreen-options-page")), 20u);

  protection::AlertModel& alert = s.shield->Alert();
  alert.Fields() = protection::AlertFields{protection::kMemoryAlertTitle, "Test Spy    (vz-spy-sample)",
                                           "/tmp/vz-spy-sample", "310",
                                           "A sample entry of the spyware list: it watches what you type.",
                                           "http://example.com/spy", {}};
  size_t alertColours = 0;
  s.Front().Alert().SetOnShown([&](ui::qt::AlertWindow& form) {
    alertColours = Colours(Render(form, "offscreen-alert"));
    form.closeButton->click();
  });
  alert.ShowAlert();
  EXPECT_GT(alertColours, 20u);
}

}  // namespace
}  // namespace vz::qttest
