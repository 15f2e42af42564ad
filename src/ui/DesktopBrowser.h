#pragma once
// The desktop's own opener (xdg-open) for web pages, folders and files, as
// both front ends use it. Its failures are reported, not dropped: no opener
// at all at once; an opener that found nothing to open the thing with when it
// ends, which it tells only by its exit code. Openers that run are checked
// five times a second until they end or have clearly started something.
#include <memory>
#include <string>
#include <vector>

#include "platform/Launcher.h"
#include "ui/Browser.h"
#include "ui/Timer.h"

namespace vz::ui {

inline constexpr const char* kDesktopOpener = "xdg-open";
inline constexpr int kOpenerCheckMs = 200;
// An opener still running after this many checks has handed the thing to a
// program (some wait for it to end): its exit says nothing about opening.
inline constexpr int kOpenerChecks = 50;

class DesktopBrowser final : public Browser {
 public:
  using Launch = std::function<std::unique_ptr<platform::WatchedProgram>(const std::vector<std::string>&,
                                                                          platform::LaunchError&)>;

  explicit DesktopBrowser(TimerFactory& timers, Launch launch = platform::LaunchWatched);
  ~DesktopBrowser() override;

  // One check of the running openers (the timer runs it).
  void CheckOpeners();
  size_t RunningOpeners() const { return running_.size(); }

 protected:
  void OpenWebPage(const std::string& url) override;
  void OpenFolderWindow(const std::string& folder) override;
  void OpenFileViewer(const std::string& path) override;

 private:
  // What the report says when opening fails, and when nothing can open it.
  struct Purpose {
    const char* failed;
    const char* nothingToOpenWith;
  };
  struct Running {
    std::unique_ptr<platform::WatchedProgram> opener;
    Purpose purpose;
    int checks = 0;
  };
  void Start(const std::string& target, Purpose purpose);

  Launch launch_;
  std::unique_ptr<Timer> timer_;
  std::vector<Running> running_;
};

}  // namespace vz::ui
