#pragma once
// Message boxes on Qt: the caption, text and buttons each Part fixes. Texts
// that separate their lines with a bare CR show them as line breaks.
#include <QString>

#include "ui/Dialogs.h"

class QWidget;

namespace vz::ui::qt {

// CR LF and a lone CR become the line breaks Qt shows.
QString DialogText(const std::string& text);

class QtDialogs final : public Dialogs {
 public:
  DialogAnswer Show(const DialogRequest& request) override;
};

}  // namespace vz::ui::qt
