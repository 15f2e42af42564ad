#include "TerminalDialogs.h"

#include <unistd.h>

#include <cctype>
#include <iostream>
#include <string>

namespace vz::pack {

using ui::AnswerName;
using ui::Offers;

TerminalDialogs::TerminalDialogs(AnswerPolicy policy)
    : policy_(policy), interactive_(::isatty(STDIN_FILENO) != 0 && ::isatty(STDERR_FILENO) != 0) {}

ui::DialogAnswer TerminalDialogs::Show(const ui::DialogRequest& request) {
  if (request.buttons == ui::DialogButtons::Ok) {
    ++messagesShown;
    std::cerr << request.caption << ": " << request.text << "\n";
    return ui::DialogAnswer::Ok;
  }
  return Ask(request);
}

ui::DialogAnswer TerminalDialogs::Ask(const ui::DialogRequest& request) {
  std::cerr << request.caption << ": " << request.text << "\n";
  ui::DialogAnswer policyAnswer = policy_ == AnswerPolicy::Yes ? ui::DialogAnswer::Yes : ui::DialogAnswer::No;
  if (policy_ != AnswerPolicy::Ask && Offers(request.buttons, policyAnswer)) {
    std::cerr << "  answered " << AnswerName(policyAnswer) << " (--" << (policy_ == AnswerPolicy::Yes ? "yes" : "no")
              << ")\n";
    return policyAnswer;
  }
  if (!interactive_) {
    ui::DialogAnswer safe = ui::SafeAnswer(request.buttons);
    std::cerr << "  no terminal to ask: answered " << AnswerName(safe) << "\n";
    return safe;
  }
  const bool yesNo = request.buttons == ui::DialogButtons::YesNo || request.buttons == ui::DialogButtons::YesNoCancel;
  const bool cancel = request.buttons != ui::DialogButtons::YesNo;
  for (;;) {
    std::cerr << (yesNo ? "  [y]es/[n]o" : "  [o]k") << (cancel ? "/[c]ancel" : "") << "? " << std::flush;
    std::string line;
    if (!std::getline(std::cin, line)) {
      ui::DialogAnswer safe = ui::SafeAnswer(request.buttons);
      std::cerr << "\n  end of input: answered " << AnswerName(safe) << "\n";
      return safe;
    }
    char c = line.empty() ? '\0' : static_cast<char>(std::tolower(static_cast<unsigned char>(line[0])));
    if (yesNo && c == 'y') return ui::DialogAnswer::Yes;
    if (yesNo && c == 'n') return ui::DialogAnswer::No;
    if (!yesNo && c == 'o') return ui::DialogAnswer::Ok;
    if (cancel && c == 'c') return ui::DialogAnswer::Cancel;
  }
}

}  // namespace vz::pack
