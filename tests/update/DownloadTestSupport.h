#pragma once
// What the downloader tests share: a served update set, a downloader wired to
// recording ports, and looks at the program's folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "http/TestHttpServer.h"
#include "platform/HttpClient.h"
#include "platform/testing/FakeClock.h"
#include "support/TestSupport.h"
#include "ui/scripted/ScriptedPorts.h"
#include "update/UpdateDownloader.h"
#include "update/UpdateFileSet.h"

namespace vz::testsupport {

// Distinct contents of distinct sizes for each update file.
inline std::string UpdateContents(const std::string& remoteName, size_t size = 3000) {
  std::string text;
  while (text.size() < size + remoteName.size()) text += remoteName + ":" + std::to_string(text.size()) + "\n";
  return text.substr(0, size + remoteName.size());
}

inline void ServeUpdateSet(TestHttpServer& server, size_t size = 3000) {
  for (const auto& f : update::UpdateFileSet()) server.SetFile(std::string("/qv/") + f.remoteName, UpdateContents(f.remoteName, size));
}

// The names in a folder, sorted.
inline std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

inline size_t CountEntries(const std::vector<std::string>& log, const std::string& text) {
  return static_cast<size_t>(std::count_if(log.begin(), log.end(), [&](const std::string& e) {
    return e.size() >= text.size() && e.compare(e.size() - text.size(), text.size(), text) == 0;
  }));
}

struct DownloaderRig {
  explicit DownloaderRig(const std::string& appFolder, platform::HttpClientOptions options = {})
      : client(platform::CreateHttpClient(options)),
        downloader(*client, ui.download, ui.events, clock, appFolder),
        folder(appFolder) {}

  // A run as "Check for updates now" makes it after "Run update now" configured it.
  void Check(const std::string& serverUrl) {
    downloader.FileList() = update::DownloadList();
    downloader.ConfigureDownload(serverUrl, update::kRemoteFolder, "", folder);
    downloader.CheckForUpdatesNow();
  }

  ui::scripted::ScriptedFrontEnd ui;
  platform::testing::FakeClock clock;
  std::unique_ptr<platform::HttpClient> client;
  update::UpdateDownloader downloader;
  std::string folder;
};

}  // namespace vz::testsupport
