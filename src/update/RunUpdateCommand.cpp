#include "update/RunUpdateCommand.h"

#include "update/UpdateFileSet.h"

namespace vz::update {

RunUpdateCommand::RunUpdateCommand(UpdateDownloader& downloader, ui::Dialogs& dialogs,
                                   std::function<std::string()> serverUrl, std::string appFolder,
                                   std::function<void()> restart)
    : downloader_(downloader),
      dialogs_(dialogs),
      serverUrl_(std::move(serverUrl)),
      appFolder_(std::move(appFolder)),
      restart_(std::move(restart)) {}

void RunUpdateCommand::Run() {
  // A second press while a run is under way would change its list and folder.
  if (downloader_.Running()) return;
  downloader_.FileList() = DownloadList();
  downloader_.ConfigureDownload(serverUrl_ ? serverUrl_() : std::string(), kRemoteFolder, "", appFolder_);
  downloader_.ShowDialog();
  if (downloader_.ScheduledRun() || !downloader_.NewDataDownloaded()) return;
  dialogs_.Show({kRestartCaption, kRestartText, ui::DialogIcon::Information, ui::DialogButtons::Ok});
  downloader_.CloseDialog();
  if (restart_) restart_();
}

}  // namespace vz::update
