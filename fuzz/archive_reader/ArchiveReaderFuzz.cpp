// Any bytes as a .pck archive: list it, test every entry, extract it into a
// temporary folder with one thread and with two. Nothing may crash, nothing
// may be written outside the folder, and both ways must give the same result.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "FuzzWorkFolder.h"
#include "archive/ArchiveErrors.h"
#include "archive/ArchiveExtraction.h"

namespace {

namespace fs = std::filesystem;

class YesDialogs final : public vz::ui::Dialogs {
 public:
  std::vector<std::string> shown;
  vz::ui::DialogAnswer Show(const vz::ui::DialogRequest& request) override {
    shown.push_back(request.text);
    return request.buttons == vz::ui::DialogButtons::Ok ? vz::ui::DialogAnswer::Ok : vz::ui::DialogAnswer::Yes;
  }
};

const fs::path& WorkFolder() {
  static const vz::fuzz::WorkFolder folder("vz-fuzz-reader-");
  return folder.path();
}

std::string Listing(const fs::path& folder) {
  std::string text;
  for (const auto& e : fs::directory_iterator(folder)) {
    std::ifstream in(e.path(), std::ios::binary);
    text += e.path().filename().string() + "=" + std::string(std::istreambuf_iterator<char>(in), {}) + "\n";
  }
  return text;
}

std::string ExtractInto(const fs::path& archive, const fs::path& folder, int threads) {
  fs::remove_all(folder);
  fs::create_directories(folder);
  // Kept across inputs: the work buffers are allocated once, as in the shield.
  static YesDialogs dialogs;
  static vz::archive::ArchiveExtraction one(dialogs);
  static vz::archive::ArchiveExtraction two(dialogs);
  vz::archive::ArchiveExtraction& resource = threads == 1 ? one : two;
  resource.Manager().SetWorkerThreads(threads);
  dialogs.shown.clear();
  std::string result;
  try {
    auto summary = resource.DecompressFromArchive(archive.string(), folder.string(), "");
    result = "files ";
    result += std::to_string(summary.filesExtracted);
    result += " failed ";
    result += std::to_string(summary.failedBlocks);
  } catch (const vz::archive::ArchiveError& e) {
    result = std::string("error ") + e.what();
  }
  for (const auto& text : dialogs.shown) {
    result += '\n';
    result += text;
  }
  // The two runs differ only in their folder's name (which an input may
  // also spell out in an entry name).
  for (const char* name : {"one", "two"}) {
    const std::string path = (WorkFolder() / name).string();
    for (auto at = result.find(path); at != std::string::npos; at = result.find(path)) result.replace(at, path.size(), "DEST");
  }
  return result + "\n" + Listing(folder);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fs::path work = WorkFolder();
  const fs::path archive = work / "in.pck";
  {
    std::ofstream out(archive, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  // List and test.
  try {
    static YesDialogs dialogs;
    static vz::archive::ArchiveManager manager(dialogs);
    manager.OpenArchive(archive.string(), false);
    for (const auto& entry : manager.Archive()->CentralDir().Entries()) manager.TestFile(*entry);
    manager.CloseArchive();
  } catch (const vz::archive::ArchiveError&) {
  }
  // Extract both ways; the outcomes must be identical.
  std::string one = ExtractInto(archive, work / "one", 1);
  std::string two = ExtractInto(archive, work / "two", 2);
  if (one != two) {
    std::fprintf(stderr, "one thread:\n%s\ntwo threads:\n%s\n", one.c_str(), two.c_str());
    std::abort();
  }
  // Only the archive and the two destination folders may exist.
  int entries = 0;
  for (const auto& e : fs::directory_iterator(work)) {
    (void)e;
    ++entries;
  }
  if (entries != 3) std::abort();
  return 0;
}
