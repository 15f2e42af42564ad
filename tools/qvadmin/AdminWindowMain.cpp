#include "AdminWindowMain.h"

#include <QApplication>

#include "ui/qt/AdminWindow.h"
#include "update/AdminConsoleModel.h"

namespace vz::admin {

int RunAdminWindow(int argc, char** argv, platform::RegistryStore& registry) {
  QApplication application(argc, argv);
  update::AdminConsoleModel model(registry);
  model.Load();
  ui::qt::AdminWindow window(model);
  window.show();
  return application.exec();
}

}  // namespace vz::admin
