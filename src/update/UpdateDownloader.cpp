#include "update/UpdateDownloader.h"

#include <cstdio>
#include <filesystem>

#include "platform/FileSystem.h"
#include "update/UpdateFileSet.h"

namespace vz::update {

std::string FormatLogDateTime(const platform::LocalTime& t) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year % 10000, t.month % 100, t.day % 100,
                t.hour % 100, t.minute % 100, t.second % 100);
  return text;
}

UpdateDownloader::UpdateDownloader(platform::HttpClient& client, ui::DownloadView& view, ui::EventPump& events,
                                   const platform::Clock& clock, std::string appFolder)
    : client_(client), view_(view), events_(events), clock_(clock), appFolder_(std::move(appFolder)) {}

void UpdateDownloader::SetStatus(const std::string& text, bool logged) {
  status_ = text;
  view_.SetStatus(text);
  if (!logged) return;
  std::string entry = FormatLogDateTime(clock_.Now()) + " : " + text;
  detailedLog_.insert(detailedLog_.begin(), entry);
  view_.AddLogEntry(entry);
}

void UpdateDownloader::ConfigureDownload(const std::string& serverUrl, const std::string& remoteFolder,
                                         const std::string& fileName, const std::string& localFolder) {
  serverUrl_ = serverUrl;
  remoteFolder_ = remoteFolder;
  currentFile_ = fileName;
  localPath_ = fileName;
  localFolder_ = localFolder;
}

bool UpdateDownloader::OpenConnection() {
  if (connected_) return true;
  cutTransfer_ = false;
  platform::HttpResult result = client_.Probe(serverUrl_, *this);
  if (result.ok()) {
    connected_ = true;
    downloadAborted_ = false;
    return true;
  }
  if (result.failure != platform::HttpFailure::Cut) SetStatus(kStatusConnectionFailed);
  return false;
}

void UpdateDownloader::Disconnect() {
  connected_ = false;
  if (transferring_) cutTransfer_ = true;
}

void UpdateDownloader::DownloadFiles(const std::string& serverUrl, const std::string& remoteFolder,
                                     const std::vector<std::string>& names, const std::string& localFolder) {
  // A click or a timer that runs inside a run does not start a second one.
  if (running_) return;
  running_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{running_};

  localFolder_ = localFolder;
  std::error_code ignored;
  if (!platform::FolderExists(localFolder_)) std::filesystem::create_directory(localFolder_, ignored);
  events_.ProcessPendingEvents();
  remoteFolder_ = remoteFolder;
  // The address as given, without the slashes a user may end it with.
  serverUrl_ = serverUrl;
  while (!serverUrl_.empty() && serverUrl_.back() == '/') serverUrl_.pop_back();
  const std::vector<std::string> list = names;

  if (!OpenConnection()) return;
  for (const std::string& name : list) {
    events_.ProcessPendingEvents();
    // An abort between two files ends the run as well as one during a transfer.
    if (downloadAborted_ || shutdown_) break;
    currentFile_ = name;
    localPath_ = platform::IncludeTrailingSeparator(localFolder_) + LocalNameOf(name);
    if (!connected_) {
      cutTransfer_ = false;
      if (!client_.Probe(serverUrl_, *this).ok()) {
        if (shutdown_) break;
        SetStatus(kStatusConnectionFailed);
        throw ConnectionLost(kStatusConnectionFailed);
      }
      connected_ = true;
    }
    FetchOne(name);
    buffer_.clear();
    buffer_.shrink_to_fit();
    if (downloadAborted_) break;
  }
}

void UpdateDownloader::FetchOne(const std::string& name) {
  skipCurrentFile_ = false;
  cutTransfer_ = false;
  transferring_ = true;
  platform::HttpResult result = client_.Get(serverUrl_ + "/" + remoteFolder_ + "/" + name, buffer_, *this);
  transferring_ = false;
  if (result.ok() && !skipCurrentFile_ && !downloadAborted_ && !shutdown_) {
    platform::FileStatus saved = platform::WriteFileAtomic(localPath_, buffer_);
    if (saved.ok()) {
      view_.SetGauge(gaugeMaximum_, gaugeMaximum_);
      newDataDownloaded_ = true;
      SetStatus(kStatusDownloaded + name);
    } else {
      SetStatus("Could not save " + name + ": " + saved.text);
    }
    return;
  }
  // A size skip, an abort or the end of the program cut the transfer on
  // purpose: none of them is a failure of the file.
  if (result.ok() || skipCurrentFile_ || downloadAborted_ || shutdown_) return;
  SetStatus(name + ": " + result.detail);
  SetStatus(kStatusNoSuchFile);
}

bool UpdateDownloader::OnTransferStart(std::int64_t announced) {
  gaugeMaximum_ = announced > 0 ? announced : 0;
  view_.SetGauge(0, gaugeMaximum_);
  SetStatus(kStatusBeginDownload + currentFile_);
  skipCurrentFile_ = false;
  std::optional<std::int64_t> localSize = platform::FileSize(localPath_);
  if (announced >= 0 && localSize && *localSize == announced) {
    SetStatus(kStatusIdenticalSize);
    skipCurrentFile_ = true;
    Disconnect();
    return false;
  }
  return !cutTransfer_ && !shutdown_;
}

bool UpdateDownloader::OnProgress(std::int64_t received) {
  events_.ProcessPendingEvents();
  view_.SetGauge(received, gaugeMaximum_);
  events_.ProcessPendingEvents();
  return !cutTransfer_ && !shutdown_;
}

bool UpdateDownloader::KeepGoing() {
  events_.ProcessPendingEvents();
  return !cutTransfer_ && !shutdown_;
}

void UpdateDownloader::ShowDialog() {
  if (view_.IsDialogShowing()) return;
  view_.ShowDialog();
  if (scheduledRun_) ScheduledDownload();
}

void UpdateDownloader::ScheduledDownload() {
  newDataDownloaded_ = false;
  DownloadFiles(serverUrl_, remoteFolder_, fileList_, localFolder_);
  if (newDataDownloaded_) SaveDownloadLog();
}

void UpdateDownloader::SaveDownloadLog() {
  std::string text;
  for (const std::string& entry : detailedLog_) text += entry + "\r\n";
  platform::FileStatus saved = platform::WriteFileAtomic(appFolder_ + kDownloadLogFileName, text);
  if (!saved.ok()) SetStatus("Could not save " + std::string(kDownloadLogFileName) + ": " + saved.text, false);
}

void UpdateDownloader::CheckForUpdatesNow() {
  if (running_) return;
  newDataDownloaded_ = false;
  try {
    DownloadFiles(serverUrl_, remoteFolder_, fileList_, localFolder_);
  } catch (const ConnectionLost&) {
    // Already said in the status line and the log.
  }
  // An aborted run says so; it found nothing and brought nothing to use.
  if (downloadAborted_ && status_ == kStatusAborted) return;
  SetStatus(newDataDownloaded_ ? kStatusNewData : kStatusNoUpdates);
}

void UpdateDownloader::Abort() {
  if (!connected_) return;
  downloadAborted_ = true;
  SetStatus(kStatusAborted);
  newDataDownloaded_ = false;
  Disconnect();
}

void UpdateDownloader::ViewLog() {
  logExpanded_ = true;
  view_.SetLogExpanded(true);
}

void UpdateDownloader::RestoreLog() {
  logExpanded_ = false;
  view_.SetLogExpanded(false);
}

void UpdateDownloader::CloseButton() {
  if (connected_) Disconnect();
  view_.CloseDialog();
}

void UpdateDownloader::Shutdown() {
  shutdown_ = true;
  Disconnect();
}

}  // namespace vz::update
