#pragma once
// "Run update now" (the Options page button, the "Run Update" menu entry and
// the scheduled task): fills the download list, points the downloader at the
// update server and shows the "Download Updates" window. In a scheduled run
// showing it downloads at once; otherwise, when an earlier "Check for updates
// now" of this run of the shield brought new data, the user is told and the
// shield restarts into it.
#include <functional>
#include <string>

#include "ui/Dialogs.h"
#include "update/UpdateDownloader.h"

namespace vz::update {

inline constexpr const char* kRestartCaption = "Restart";
inline constexpr const char* kRestartText = "Restart Vazeru to activate the new datafiles";

class RunUpdateCommand {
 public:
  // serverUrl gives the update server's address at each run (it may change
  // while the shield runs); restart starts the shield anew and ends this one.
  RunUpdateCommand(UpdateDownloader& downloader, ui::Dialogs& dialogs, std::function<std::string()> serverUrl,
                   std::string appFolder, std::function<void()> restart);

  void Run();

 private:
  UpdateDownloader& downloader_;
  ui::Dialogs& dialogs_;
  std::function<std::string()> serverUrl_;
  std::string appFolder_;
  std::function<void()> restart_;
};

}  // namespace vz::update
