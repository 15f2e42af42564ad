#pragma once
// The update downloader behind the "Download Updates" window: fetches the
// list of data files one after the other from the update server into the
// program's folder, skips each file whose local copy already has the size the
// server announces, shows its progress and keeps a detailed log (newest
// first) that a scheduled run with new data saves as "DW.log".
//
// A file is taken only when its whole body arrived as announced, and it
// replaces the old file in one step; any failure leaves the old file as it was.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/HttpClient.h"
#include "ui/DownloadView.h"
#include "ui/EventPump.h"

namespace vz::update {

inline constexpr const char* kDownloadLogFileName = "DW.log";
inline constexpr const char* kRemoteFolder = "qv";

inline constexpr const char* kStatusReady = "Ready";
inline constexpr const char* kStatusConnectionFailed = "Connection failed";
inline constexpr const char* kStatusBeginDownload = "Begin Download ";
inline constexpr const char* kStatusIdenticalSize = "Identical size with local file. Skipping file.";
inline constexpr const char* kStatusNoSuchFile = "No such File found, skipping";
inline constexpr const char* kStatusAborted = "Aborted";
inline constexpr const char* kStatusNewData = "New data downloaded";
inline constexpr const char* kStatusNoUpdates = "No Updates Found";
inline constexpr const char* kStatusDownloaded = "Downloaded ";

// The server could not be reached again between two files of a run.
class ConnectionLost : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class UpdateDownloader final : private platform::HttpTransferEvents {
 public:
  UpdateDownloader(platform::HttpClient& client, ui::DownloadView& view, ui::EventPump& events,
                   const platform::Clock& clock, std::string appFolder);

  // ServerURL, RemoteFolder, CurrentFile and LocalFolder for the next run.
  void ConfigureDownload(const std::string& serverUrl, const std::string& remoteFolder, const std::string& fileName,
                         const std::string& localFolder);
  // Connects unless connected; "Connection failed" otherwise.
  bool OpenConnection();
  // The fetch loop over a copy of names. A failed reconnection between files
  // throws ConnectionLost to the caller.
  void DownloadFiles(const std::string& serverUrl, const std::string& remoteFolder,
                     const std::vector<std::string>& names, const std::string& localFolder);

  // The window: shown through the model so that showing a hidden window runs
  // its show handler (the scheduled download) and showing a shown one does not.
  void ShowDialog();
  void CloseDialog() { view_.CloseDialog(); }
  bool IsDialogShowing() const { return view_.IsDialogShowing(); }

  // The window's commands.
  void CheckForUpdatesNow();
  void Abort();
  void ViewLog();
  void RestoreLog();
  void CloseButton();

  // The file list ("Downloadlist") that "Run update now" fills.
  std::vector<std::string>& FileList() { return fileList_; }
  const std::vector<std::string>& DetailedLog() const { return detailedLog_; }
  const std::string& Status() const { return status_; }
  bool LogExpanded() const { return logExpanded_; }
  bool Running() const { return running_; }
  bool Connected() const { return connected_; }

  bool NewDataDownloaded() const { return newDataDownloaded_; }
  void SetNewDataDownloaded(bool value) { newDataDownloaded_ = value; }
  // Set by the scheduled task while it runs: the show handler then downloads at once.
  bool ScheduledRun() const { return scheduledRun_; }
  void SetScheduledRun(bool value) { scheduledRun_ = value; }

  // The application ends: a transfer under way is cut and the run stops.
  void Shutdown();

 private:
  bool OnTransferStart(std::int64_t announced) override;
  bool OnProgress(std::int64_t received) override;
  bool KeepGoing() override;

  void ScheduledDownload();
  void FetchOne(const std::string& name);
  void Disconnect();
  void SetStatus(const std::string& text, bool logged = true);
  void SaveDownloadLog();

  platform::HttpClient& client_;
  ui::DownloadView& view_;
  ui::EventPump& events_;
  const platform::Clock& clock_;
  std::string appFolder_;

  std::string serverUrl_;
  std::string remoteFolder_;
  std::string currentFile_;
  std::string localFolder_;
  std::string localPath_;
  std::vector<std::string> fileList_;
  std::vector<std::string> detailedLog_;
  std::string status_ = kStatusReady;
  std::string buffer_;
  std::int64_t gaugeMaximum_ = 0;

  bool newDataDownloaded_ = false;
  bool skipCurrentFile_ = false;
  bool downloadAborted_ = true;  // until the first connection
  bool scheduledRun_ = false;
  bool connected_ = false;
  bool transferring_ = false;
  bool cutTransfer_ = false;
  bool running_ = false;
  bool shutdown_ = false;
  bool logExpanded_ = false;
};

// "yyyy-mm-dd hh:mm:ss": the date and time of a detailed log entry.
std::string FormatLogDateTime(const platform::LocalTime& time);

}  // namespace vz::update
