#pragma once
// The typed input of the terminal front end and who it belongs to. Lines go to
// the main command loop, except while a question or an alert is open: then
// every line belongs to it alone, also the lines that arrive while it lets
// events run in the middle of an action. A question's wait also ends when the
// shield is told to end (SIGINT, SIGTERM), so that it takes the choice that
// changes nothing instead of holding up the exit.
#include <functional>
#include <optional>
#include <string>

#include "platform/EventLoop.h"
#include "platform/TerminalInput.h"
#include "platform/TerminationSignals.h"

namespace vz::ui::console {

class ConsoleInput {
 public:
  // Without a loop (tests) nothing but the input itself ends a wait.
  explicit ConsoleInput(platform::TerminalInput& in, platform::EventLoop* loop = nullptr,
                        platform::TerminationSignals* termination = nullptr)
      : in_(in), loop_(loop), termination_(termination) {}

  bool Interactive() const { return in_.Interactive(); }
  // The shield has been told to end: no question waits for an answer any more.
  bool Ending() const { return loop_ && loop_->QuitRequested(); }

  // The input belongs to the question or alert holding an Owner while it lives.
  class Owner {
   public:
    explicit Owner(ConsoleInput& input) : input_(input) { ++input_.owners_; }
    ~Owner() { input_.Release(); }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;

   private:
    ConsoleInput& input_;
  };
  bool Owned() const { return owners_ > 0; }
  // Called when the last owner lets go, so that lines typed ahead reach the main loop.
  void SetOnReleased(std::function<void()> onReleased) { onReleased_ = std::move(onReleased); }

  // A question's next line, waiting for it; nullopt when the input has ended or
  // the shield is ending (Ending() tells which). A termination signal that
  // arrives during the wait ends the loop.
  std::optional<std::string> ReadAnswer();
  // The main loop's next command, without waiting; nullopt while the input is owned.
  std::optional<std::string> NextCommand();

 private:
  void Release();

  platform::TerminalInput& in_;
  platform::EventLoop* loop_;
  platform::TerminationSignals* termination_;
  int owners_ = 0;
  std::function<void()> onReleased_;
};

}  // namespace vz::ui::console
