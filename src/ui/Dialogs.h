#pragma once
// Port: modal message boxes. Each Part fixes the caption, text and buttons of its
// boxes; the front end only shows them and returns the user's answer.
#include <string>

namespace vz::ui {

enum class DialogIcon { Information, Error, Warning, Confirmation };
enum class DialogButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class DialogAnswer { Ok, Cancel, Yes, No };

struct DialogRequest {
  std::string caption;
  std::string text;
  DialogIcon icon = DialogIcon::Information;
  DialogButtons buttons = DialogButtons::Ok;
};

// The answer a box gives when nobody can answer it: the one that changes nothing.
DialogAnswer SafeAnswer(DialogButtons buttons);
// Whether the buttons offer that answer.
bool Offers(DialogButtons buttons, DialogAnswer answer);
// The answer's button caption: "OK", "Cancel", "Yes", "No".
const char* AnswerName(DialogAnswer answer);

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual DialogAnswer Show(const DialogRequest& request) = 0;

  // Shorthands for the common boxes.
  void Inform(const std::string& caption, const std::string& text);
  void Error(const std::string& caption, const std::string& text);
  DialogAnswer Ask(const std::string& caption, const std::string& text, DialogButtons buttons,
                   DialogIcon icon = DialogIcon::Confirmation);
};

}  // namespace vz::ui
