#include "ui/Dialogs.h"

namespace vz::ui {

DialogAnswer SafeAnswer(DialogButtons buttons) {
  switch (buttons) {
    case DialogButtons::Ok: return DialogAnswer::Ok;
    case DialogButtons::OkCancel: return DialogAnswer::Cancel;
    case DialogButtons::YesNo: return DialogAnswer::No;
    case DialogButtons::YesNoCancel: return DialogAnswer::Cancel;
  }
  return DialogAnswer::Cancel;
}

void Dialogs::Inform(const std::string& caption, const std::string& text) {
  Show({caption, text, DialogIcon::Information, DialogButtons::Ok});
}

void Dialogs::Error(const std::string& caption, const std::string& text) {
  Show({caption, text, DialogIcon::Error, DialogButtons::Ok});
}

DialogAnswer Dialogs::Ask(const std::string& caption, const std::string& text, DialogButtons buttons,
                          DialogIcon icon) {
  return Show({caption, text, icon, buttons});
}

}  // namespace vz::ui
