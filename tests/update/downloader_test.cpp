// The downloader against a real HTTP server on 127.0.0.1.
#include <gtest/gtest.h>

#include "DownloadTestSupport.h"
#include "platform/FileSystem.h"

namespace vz::update {
namespace {

using testsupport::CountEntries;
using testsupport::DownloaderRig;
using testsupport::FolderNames;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::TestHttpServer;
using testsupport::UpdateContents;
using testsupport::WriteFile;

std::vector<std::string> LocalNames() {
  std::vector<std::string> names;
  for (const auto& f : UpdateFileSet()) names.push_back(f.localName);
  std::sort(names.begin(), names.end());
  return names;
}

TEST(Downloader, FetchesTheSetUnderTheShieldsNamesThenSkipsEachBySize) {
  TestHttpServer server;
  testsupport::ServeUpdateSet(server);
  TempDir dir;
  std::string folder = dir.path() + "data/";  // missing: the run creates it
  DownloaderRig rig(folder);

  rig.Check(server.BaseUrl() + "/");
  EXPECT_EQ(LocalNames(), FolderNames(folder));
  for (const auto& f : UpdateFileSet()) EXPECT_EQ(UpdateContents(f.remoteName), ReadFile(folder + f.localName));
  EXPECT_TRUE(rig.downloader.NewDataDownloaded());
  EXPECT_EQ(kStatusNewData, rig.downloader.Status());
  EXPECT_EQ(rig.ui.download.logEntries, rig.downloader.DetailedLog());

  // The fixed request of the update client, and the folder "qv".
  ASSERT_EQ(6u, server.Requests().size());
  const auto first = server.Requests().front();
  EXPECT_EQ("GET", first.method);
  EXPECT_EQ("/qv/proc1.pck", first.target);
  EXPECT_NE(std::string::npos, first.head.find("User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"));
  EXPECT_NE(std::string::npos, first.head.find("Accept: text/html, */*\r\n"));
  EXPECT_NE(std::string::npos, first.head.find("Content-Type: text/html\r\n"));

  // Same sizes on the server: nothing written, even where the bytes differ.
  std::string sameSizeOther(ReadFile(folder + "Proc3.pck").size(), 'x');
  WriteFile(folder + "Proc3.pck", sameSizeOther);
  std::vector<platform::FileIdentity> before;
  for (const auto& name : LocalNames()) before.push_back(*platform::IdentityOf(folder + name));
  size_t logBefore = rig.downloader.DetailedLog().size();
  rig.Check(server.BaseUrl());
  std::vector<std::string> run(rig.downloader.DetailedLog().begin(),
                               rig.downloader.DetailedLog().end() - static_cast<long>(logBefore));
  EXPECT_EQ(6u, CountEntries(run, kStatusIdenticalSize));
  size_t begins = std::count_if(run.begin(), run.end(),
                                [](const std::string& e) { return e.find(" : Begin Download ") != std::string::npos; });
  EXPECT_EQ(6u, begins);
  EXPECT_EQ(0u, CountEntries(run, kStatusNoSuchFile));
  EXPECT_EQ(kStatusNoUpdates, rig.downloader.Status());
  EXPECT_FALSE(rig.downloader.NewDataDownloaded());
  std::vector<platform::FileIdentity> after;
  for (const auto& name : LocalNames()) after.push_back(*platform::IdentityOf(folder + name));
  EXPECT_EQ(before, after);
  EXPECT_EQ(sameSizeOther, ReadFile(folder + "Proc3.pck"));
}

TEST(Downloader, LandsUnderTheShieldsNameWhateverTheCaseOfTheLocalCopy) {
  TestHttpServer server;
  testsupport::ServeUpdateSet(server);
  TempDir dir;
  WriteFile(dir.file("MostCProc.txt"), "old list");
  DownloaderRig rig(dir.path());
  rig.downloader.FileList() = {"mostcproc.txt", "PROC1.PCK"};
  server.SetFile("/qv/PROC1.PCK", "upper-case name on the server");
  rig.downloader.ConfigureDownload(server.BaseUrl(), kRemoteFolder, "", dir.path());
  rig.downloader.CheckForUpdatesNow();
  EXPECT_EQ(UpdateContents("mostcproc.txt"), ReadFile(dir.file("MostCProc.txt")));
  EXPECT_EQ("upper-case name on the server", ReadFile(dir.file("Proc1.pck")));
  EXPECT_EQ((std::vector<std::string>{"MostCProc.txt", "Proc1.pck"}), FolderNames(dir.path()));
}

// Every way a request can go wrong leaves the old file as it was, leaves no
// temporary file, is logged as a failed file, and the run goes on.
TEST(Downloader, AFailedRequestLeavesTheOldFileAndTheRunGoesOn) {
  TestHttpServer elsewhere;
  elsewhere.SetFile("/qv/proc1.pck", "from another host");
  struct Case {
    TestHttpServer::Behaviour behaviour;
    const char* what;
  };
  const Case cases[] = {
      {TestHttpServer::Behaviour::CloseMidBody, "closed in the middle of the body"},
      {TestHttpServer::Behaviour::LengthTooLong, "announced more than it sent"},
      {TestHttpServer::Behaviour::LengthTooShort, "sent more than it announced"},
      {TestHttpServer::Behaviour::Status500, "answered 500"},
      {TestHttpServer::Behaviour::Redirect, "redirected to another host"},
      {TestHttpServer::Behaviour::Stall, "stalled"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestHttpServer server;
    testsupport::ServeUpdateSet(server, 40000);
    server.SetBehaviour("/qv/proc1.pck", c.behaviour, elsewhere.BaseUrl() + "/qv/proc1.pck");
    server.RemoveFile("/qv/proc4.pck");  // one missing file as well
    TempDir dir;
    WriteFile(dir.file("Proc1.pck"), "the old data file");
    platform::HttpClientOptions options;
    options.stallSeconds = 1;
    DownloaderRig rig(dir.path(), options);
    rig.Check(server.BaseUrl());

    EXPECT_EQ("the old data file", ReadFile(dir.file("Proc1.pck")));
    EXPECT_FALSE(platform::FileExists(dir.file("Proc4.pck")));
    EXPECT_EQ((std::vector<std::string>{"MostCProc.txt", "Proc1.pck", "Proc2.pck", "Proc3.pck", "Procupd.txt"}),
              FolderNames(dir.path()));
    EXPECT_EQ(2u, CountEntries(rig.downloader.DetailedLog(), kStatusNoSuchFile));
    EXPECT_EQ(UpdateContents("procupd.txt", 40000), ReadFile(dir.file("Procupd.txt")));
    EXPECT_TRUE(rig.downloader.NewDataDownloaded());
  }
  EXPECT_EQ(0, elsewhere.TotalRequests());
}

TEST(Downloader, FollowsARedirectOnTheSameServerOnly) {
  TestHttpServer server;
  server.SetFile("/moved/proc1.pck", "moved data");
  server.SetFile("/qv/proc1.pck", "unused");
  server.SetBehaviour("/qv/proc1.pck", TestHttpServer::Behaviour::Redirect, "/moved/proc1.pck");
  TempDir dir;
  DownloaderRig rig(dir.path());
  rig.downloader.FileList() = {"proc1.pck"};
  rig.downloader.ConfigureDownload(server.BaseUrl(), kRemoteFolder, "", dir.path());
  rig.downloader.CheckForUpdatesNow();
  EXPECT_EQ("moved data", ReadFile(dir.file("Proc1.pck")));
}

TEST(Downloader, AbortCutsTheTransferStopsTheRunAndClearsTheNewDataFlag) {
  TestHttpServer server;
  testsupport::ServeUpdateSet(server, 400000);
  server.SetBehaviour("/qv/proc2.pck", TestHttpServer::Behaviour::Slow);
  TempDir dir;
  WriteFile(dir.file("Proc2.pck"), "old archive");
  DownloaderRig rig(dir.path());
  // The user presses "Abort" once the slow file has begun to arrive.
  rig.ui.events.onPump = [&] {
    if (rig.downloader.Running() && rig.downloader.DetailedLog().size() > 0 &&
        rig.downloader.DetailedLog().front().find("Begin Download proc2.pck") != std::string::npos &&
        rig.ui.download.gaugePosition > 0)
      rig.downloader.Abort();
  };
  rig.Check(server.BaseUrl());

  EXPECT_EQ(kStatusAborted, rig.downloader.Status());
  EXPECT_FALSE(rig.downloader.NewDataDownloaded());
  EXPECT_EQ(0u, CountEntries(rig.downloader.DetailedLog(), kStatusNoSuchFile));
  EXPECT_EQ(UpdateContents("proc1.pck", 400000), ReadFile(dir.file("Proc1.pck")));  // saved before: stays
  EXPECT_EQ("old archive", ReadFile(dir.file("Proc2.pck")));
  EXPECT_EQ((std::vector<std::string>{"Proc1.pck", "Proc2.pck"}), FolderNames(dir.path()));
  EXPECT_EQ(0, server.RequestCount("/qv/proc3.pck"));
}

TEST(Downloader, AnUnreachableServerGivesConnectionFailedAndRequestsNothing) {
  int closedPort;
  {
    TestHttpServer gone;
    closedPort = gone.Port();
  }
  TempDir dir;
  DownloaderRig rig(dir.path());
  rig.Check("http://127.0.0.1:" + std::to_string(closedPort));
  EXPECT_EQ(1u, CountEntries(rig.downloader.DetailedLog(), kStatusConnectionFailed));
  EXPECT_EQ(0u, CountEntries(rig.downloader.DetailedLog(), kStatusBeginDownload));
  EXPECT_TRUE(FolderNames(dir.path()).empty());
  EXPECT_FALSE(rig.downloader.NewDataDownloaded());

  // Only http and https are ever spoken.
  rig.Check("file:///etc");
  EXPECT_EQ(2u, CountEntries(rig.downloader.DetailedLog(), kStatusConnectionFailed));
  EXPECT_TRUE(FolderNames(dir.path()).empty());
}

TEST(Downloader, HttpsChecksTheCertificate) {
  TempDir keys;
  std::string why;
  if (!testsupport::MakeSelfSignedCertificate(keys.file("cert.pem"), keys.file("key.pem"), why))
    GTEST_SKIP() << "no self-signed certificate for the https server: " << why;
  TestHttpServer server(keys.file("cert.pem"), keys.file("key.pem"));
  testsupport::ServeUpdateSet(server);

  TempDir refused;
  DownloaderRig untrusting(refused.path());
  untrusting.Check(server.BaseUrl());
  EXPECT_EQ(1u, CountEntries(untrusting.downloader.DetailedLog(), kStatusConnectionFailed));
  EXPECT_GE(server.Connections(), 1);
  EXPECT_EQ(0, server.TotalRequests());
  EXPECT_TRUE(FolderNames(refused.path()).empty());

  TempDir accepted;
  platform::HttpClientOptions trust;
  trust.trustedCertificates = keys.file("cert.pem");
  DownloaderRig trusting(accepted.path(), trust);
  trusting.Check(server.BaseUrl());
  EXPECT_EQ(LocalNames(), FolderNames(accepted.path()));
  EXPECT_EQ(UpdateContents("procupd.txt"), ReadFile(accepted.file("Procupd.txt")));
}

TEST(Downloader, AScheduledShowDownloadsAtOnceAndKeepsDwLogOnlyWithNewData) {
  TestHttpServer server;
  testsupport::ServeUpdateSet(server);
  TempDir dir;
  DownloaderRig rig(dir.path());
  rig.clock.now = {2026, 3, 4, 10, 5, 6, 3};
  auto scheduledShow = [&] {
    rig.downloader.FileList() = DownloadList();
    rig.downloader.ConfigureDownload(server.BaseUrl(), kRemoteFolder, "", dir.path());
    rig.downloader.SetScheduledRun(true);
    rig.downloader.ShowDialog();
    rig.downloader.SetScheduledRun(false);
    rig.downloader.CloseDialog();
  };
  scheduledShow();
  EXPECT_TRUE(rig.downloader.NewDataDownloaded());
  std::vector<std::string> lines = testsupport::SplitLines(ReadFile(dir.file(kDownloadLogFileName)));
  EXPECT_EQ(rig.downloader.DetailedLog(), lines);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ("2026-03-04 10:05:06 : Downloaded procupd.txt", lines.front());  // newest first
  EXPECT_EQ("2026-03-04 10:05:06 : Begin Download proc1.pck", lines.back());

  std::string saved = ReadFile(dir.file(kDownloadLogFileName));
  scheduledShow();
  EXPECT_FALSE(rig.downloader.NewDataDownloaded());
  EXPECT_EQ(saved, ReadFile(dir.file(kDownloadLogFileName)));

  // A window already on screen runs no show handler: nothing is fetched.
  server.SetFile("/qv/proc1.pck", "newer");
  int requests = server.TotalRequests();
  rig.ui.download.showing = true;
  rig.downloader.SetScheduledRun(true);
  rig.downloader.ShowDialog();
  EXPECT_EQ(requests, server.TotalRequests());
}

}  // namespace
}  // namespace vz::update
