#include "ui/console/ConsoleDialogs.h"

#include <cctype>

namespace vz::ui::console {

namespace {

const char* ChoicesText(DialogButtons buttons) {
  switch (buttons) {
    case DialogButtons::Ok: return "[o]k";
    case DialogButtons::OkCancel: return "[o]k/[c]ancel";
    case DialogButtons::YesNo: return "[y]es/[n]o";
    case DialogButtons::YesNoCancel: return "[y]es/[n]o/[c]ancel";
  }
  return "";
}

std::optional<DialogAnswer> ParseTyped(const std::string& line) {
  size_t i = 0;
  while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
  if (i == line.size()) return std::nullopt;
  switch (std::tolower(static_cast<unsigned char>(line[i]))) {
    case 'y': return DialogAnswer::Yes;
    case 'n': return DialogAnswer::No;
    case 'c': return DialogAnswer::Cancel;
    case 'o': return DialogAnswer::Ok;
    default: return std::nullopt;
  }
}

// Message texts separate paragraphs with bare carriage returns; a terminal
// would overwrite the line with them, so they become line ends. Other control
// characters are shown as "?".
std::string ForTerminal(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') continue;
      out += '\n';
    } else if ((static_cast<unsigned char>(text[i]) < 0x20 && text[i] != '\n' && text[i] != '\t') || text[i] == 0x7f) {
      // A name from a file others may write cannot steer the terminal.
      out += '?';
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

DialogAnswer ConsoleDialogs::AskAtPrompt(DialogButtons buttons) {
  for (;;) {
    out_.Prompt(std::string("  ") + ChoicesText(buttons) + "? ");
    auto line = in_.ReadAnswer();
    if (!line) {
      DialogAnswer safe = SafeAnswer(buttons);
      out_.Line(std::string(in_.Ending() ? "  (ending: answered " : "  (input ended: answered ") + AnswerName(safe) + ")");
      return safe;
    }
    // A lone Enter on an OK box is an acknowledgement.
    if (buttons == DialogButtons::Ok) return DialogAnswer::Ok;
    auto answer = ParseTyped(*line);
    if (answer && Offers(buttons, *answer)) return *answer;
  }
}

DialogAnswer ConsoleDialogs::Show(const DialogRequest& request) {
  out_.Line("[" + request.caption + "] " + ForTerminal(request.text));
  ConsoleInput::Owner owner(in_);
  if (request.buttons == DialogButtons::Ok && !in_.Interactive()) return DialogAnswer::Ok;
  if (policy_ && Offers(request.buttons, *policy_)) {
    out_.Line(std::string("  (answered ") + AnswerName(*policy_) + ")");
    return *policy_;
  }
  if (in_.Interactive() && !in_.Ending()) return AskAtPrompt(request.buttons);
  DialogAnswer safe = SafeAnswer(request.buttons);
  out_.Line(std::string(in_.Ending() ? "  (ending: answered " : "  (nobody to ask: answered ") + AnswerName(safe) + ")");
  return safe;
}

}  // namespace vz::ui::console
