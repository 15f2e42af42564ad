#pragma once
// The application's icon: a shield, drawn rather than shipped as an image.
#include <QIcon>

namespace vz::ui::qt {

QIcon ShieldIcon();

}  // namespace vz::ui::qt
