// Six 5 MB data files from an HTTP server on 127.0.0.1: the time of our
// downloader (a "Check for updates now" into an empty folder: every file
// received whole, checked against its length and put in place atomically)
// beside the curl program fetching the same six files into an empty folder
// in one invocation, measured in the same run, alternating, the median of
// several rounds. Goal: within 1.2x of curl.
// Usage: bench-download [rounds] [megabytes-per-file]
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "http/TestHttpServer.h"
#include "platform/Clock.h"
#include "platform/HttpClient.h"
#include "ui/DownloadView.h"
#include "ui/EventPump.h"
#include "update/UpdateDownloader.h"
#include "update/UpdateFileSet.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

std::string FreshFolder(const std::string& base, const std::string& name) {
  std::string folder = base + "/" + name + "/";
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

double OursMs(const std::string& url, const std::string& folder) {
  auto client = vz::platform::CreateHttpClient();
  vz::ui::NullDownloadView view;
  vz::ui::NullEventPump pump;
  vz::update::UpdateDownloader downloader(*client, view, pump, vz::platform::SystemClock(), folder);
  downloader.FileList() = vz::update::DownloadList();
  downloader.ConfigureDownload(url, vz::update::kRemoteFolder, "", folder);
  auto start = Clock::now();
  downloader.CheckForUpdatesNow();
  double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  if (downloader.Status() != vz::update::kStatusNewData) {
    std::fprintf(stderr, "bench-download: our run ended with '%s'\n", downloader.Status().c_str());
    std::exit(1);
  }
  return ms;
}

double CurlMs(const std::string& url, const std::string& folder) {
  std::vector<std::string> args{"curl", "--silent", "--show-error", "--fail", "--noproxy", "*"};
  for (const auto& f : vz::update::UpdateFileSet()) {
    args.push_back("-o");
    args.push_back(folder + f.localName);
    args.push_back(url + "/qv/" + f.remoteName);
  }
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  auto start = Clock::now();
  pid_t pid;
  if (posix_spawnp(&pid, "curl", nullptr, nullptr, argv.data(), environ) != 0) {
    std::fprintf(stderr, "bench-download: the curl program is not installed (scripts/install-deps)\n");
    std::exit(1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "bench-download: curl failed\n");
    std::exit(1);
  }
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = argc > 1 ? std::atoi(argv[1]) : 7;
  size_t megabytes = argc > 2 ? static_cast<size_t>(std::atoi(argv[2])) : 5;
  if (rounds < 1) rounds = 1;
  vz::testsupport::TestHttpServer server;
  size_t size = megabytes << 20;
  for (const auto& f : vz::update::UpdateFileSet()) {
    std::string contents(size, '\0');
    unsigned x = static_cast<unsigned>(contents.size()) ^ static_cast<unsigned>(f.remoteName[4]);
    for (char& c : contents) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
    server.SetFile(std::string("/qv/") + f.remoteName, contents);
  }
  std::string base = fs::temp_directory_path().string() + "/vz-bench-download-" + std::to_string(::getpid());
  std::vector<double> ours, curl;
  for (int i = 0; i < rounds; ++i) {
    ours.push_back(OursMs(server.BaseUrl(), FreshFolder(base, "ours")));
    curl.push_back(CurlMs(server.BaseUrl(), FreshFolder(base, "curl")));
  }
  // Both brought the same bytes.
  for (const auto& f : vz::update::UpdateFileSet())
    if (fs::file_size(base + "/ours/" + f.localName) != size || fs::file_size(base + "/curl/" + f.localName) != size) {
      std::fprintf(stderr, "bench-download: a file has the wrong size\n");
      return 1;
    }
  fs::remove_all(base);
  double o = Median(ours), c = Median(curl);
  std::printf("six files of %zu MB from 127.0.0.1, median of %d rounds\n", megabytes, rounds);
  std::printf("  ours (UpdateDownloader, libcurl, atomic replace): %8.1f ms  %7.1f MB/s\n", o, 6.0 * megabytes * 1000 / o);
  std::printf("  peer (curl program, one invocation)             : %8.1f ms  %7.1f MB/s\n", c, 6.0 * megabytes * 1000 / c);
  std::printf("  ratio ours/curl: %.2f (goal: at most 1.20)\n", o / c);
  return 0;
}
