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

bool Offers(DialogButtons buttons, DialogAnswer answer) {
  switch (buttons) {
    case DialogButtons::Ok: return answer == DialogAnswer::Ok;
    case DialogButtons::OkCancel: return answer == DialogAnswer::Ok || answer == DialogAnswer::Cancel;
    case DialogButtons::YesNo: return answer == DialogAnswer::Yes || answer == DialogAnswer::No;
    case DialogButtons::YesNoCancel:
      return answer == DialogAnswer::Yes || answer == DialogAnswer::No || answer == DialogAnswer::Cancel;
  }
  return false;
}

const char* AnswerName(DialogAnswer answer) {
  switch (answer) {
    case DialogAnswer::Ok: return "OK";
    case DialogAnswer::Cancel: return "Cancel";
    case DialogAnswer::Yes: return "Yes";
    case DialogAnswer::No: return "No";
  }
  return "?";
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
