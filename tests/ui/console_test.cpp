#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "CapturedOutput.h"
#include "platform/linux/WaitableDescriptor.h"
#include "ui/console/ConsoleDialogs.h"
#include "ui/console/ProcessListPrinter.h"

namespace vz::ui::console {
namespace {

// A pipe standing in for the terminal, with lines already typed.
class TypedInput {
 public:
  explicit TypedInput(const std::string& typed, bool closeAfter = true) {
    int fds[2];
    if (::pipe(fds) != 0) throw std::runtime_error("pipe");
    readFd_ = fds[0];
    writeFd_ = fds[1];
    if (::write(writeFd_, typed.data(), typed.size()) != static_cast<ssize_t>(typed.size())) throw std::runtime_error("write");
    if (closeAfter) {
      ::close(writeFd_);
      writeFd_ = -1;
    }
  }
  ~TypedInput() {
    ::close(readFd_);
    if (writeFd_ >= 0) ::close(writeFd_);
  }
  int fd() const { return readFd_; }

 private:
  int readFd_;
  int writeFd_;
};

TEST(ConsoleDialogs, AnswersFromThePolicyWhenItFitsTheButtons) {
  CapturedOutput cap;
  platform::TerminalInput none{platform::Waitable()};
  ConsoleInput input(none);
  ConsoleDialogs dialogs(cap.out, input, DialogAnswer::Yes);
  EXPECT_EQ(dialogs.Ask("Warning", "Overwrite?", DialogButtons::YesNoCancel), DialogAnswer::Yes);
  // Yes is not offered by OK/Cancel: nobody to ask, so the safe Cancel.
  EXPECT_EQ(dialogs.Ask("Remove Startup", "Remove this startup program : x\x1b[2K\ty", DialogButtons::OkCancel),
            DialogAnswer::Cancel);
  std::string text = cap.Text();
  // A name with terminal escapes in it is shown, never obeyed.
  EXPECT_NE(text.find("Remove this startup program : x?[2K\ty"), std::string::npos) << text;
  EXPECT_NE(text.find("[Warning] Overwrite?"), std::string::npos);
  EXPECT_NE(text.find("(answered Yes)"), std::string::npos);
  EXPECT_NE(text.find("(nobody to ask: answered Cancel)"), std::string::npos);
}

TEST(ConsoleDialogs, AsksAtThePromptUntilAnOfferedAnswerIsTyped) {
  CapturedOutput cap;
  TypedInput typed("maybe\nok\nn\n");
  platform::TerminalInput in(platform::WaitableForDescriptor(typed.fd()));
  ConsoleInput input(in);
  ConsoleDialogs dialogs(cap.out, input, std::nullopt);
  // "maybe" is no answer, "ok" is not offered by Yes/No, "n" is.
  EXPECT_EQ(dialogs.Ask("Confirm", "Sure you want to stop this Process ?x", DialogButtons::YesNo), DialogAnswer::No);
  // Input has ended: the safe answer, said so.
  EXPECT_EQ(dialogs.Ask("Warning", "Overwrite?", DialogButtons::YesNoCancel), DialogAnswer::Cancel);
  EXPECT_NE(cap.Text().find("input ended: answered Cancel"), std::string::npos);
}

TEST(ProcessListPrinter, PrintsTheListOnceThenOnlyWhatAppearsOrDisappears) {
  CapturedOutput cap;
  ProcessListPrinter printer(cap.out, false);
  inventory::ProcessTable table;
  table.Assign({{"bash", "100", "Normal", "/usr/bin/bash", 5}, {"kthreadd", "2", "Normal", "", 1}});
  printer.Rebuilt(table);
  std::string first = cap.Text();
  EXPECT_NE(first.find("/usr/bin/bash"), std::string::npos);
  EXPECT_NE(first.find("kthreadd"), std::string::npos);
  EXPECT_NE(first.find("(2 processes)"), std::string::npos);

  // bash ends; a new process takes PID 100 (other start time); sleep starts.
  table.Assign({{"kthreadd", "2", "Normal", "", 1}, {"top", "100", "Normal", "/usr/bin/top", 9},
                {"sleep", "300", "Below Normal", "/usr/bin/sleep", 10}});
  printer.Rebuilt(table);
  std::string second = cap.Text().substr(first.size());
  EXPECT_NE(second.find("- "), std::string::npos);
  EXPECT_NE(second.find("bash"), std::string::npos);
  EXPECT_NE(second.find("+      100  top"), std::string::npos);
  EXPECT_NE(second.find("+      300  sleep"), std::string::npos);
  EXPECT_EQ(second.find("kthreadd"), std::string::npos);
}

TEST(ProcessListPrinter, QuietPrintsNothingButStillTracks) {
  CapturedOutput cap;
  ProcessListPrinter printer(cap.out, true);
  inventory::ProcessTable table;
  table.Assign({{"bash", "100", "Normal", "/usr/bin/bash", 5}});
  printer.Rebuilt(table);
  printer.Rebuilt(table);
  EXPECT_EQ(cap.Text(), "");
  printer.PrintAll(table);  // on request the list is shown even when quiet
  EXPECT_NE(cap.Text().find("bash"), std::string::npos);
}

}  // namespace
}  // namespace vz::ui::console
