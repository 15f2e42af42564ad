// Any bytes as the contents of up to three files: pack them, extract them
// again (one thread and two), and require every file back unchanged.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "FuzzWorkFolder.h"
#include "archive/ArchiveWriter.h"
#include "archive/ArchiveExtraction.h"

namespace {

namespace fs = std::filesystem;

class AnswerOk final : public vz::ui::Dialogs {
 public:
  int shown = 0;
  vz::ui::DialogAnswer Show(const vz::ui::DialogRequest&) override {
    ++shown;
    return vz::ui::DialogAnswer::Ok;
  }
};

// Prefix and number (kept apart from operator+ on temporaries, which GCC 12
// warns about wrongly).
std::string Numbered(const char* prefix, int n) {
  std::string text = prefix;
  text += std::to_string(n);
  return text;
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  static const vz::fuzz::WorkFolder folder("vz-fuzz-roundtrip-");
  const fs::path& work = folder.path();
  // Byte 0: number of files (1..3) in its low two bits; the rest of the
  // input is cut into the files. (Files of several blocks are left to the
  // reader target and the tests: under the sanitizers each would take a
  // second.)
  const int files = 1 + (data[0] & 3) % 3;
  std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
  std::vector<std::string> contents;
  for (int f = 0; f < files; ++f) {
    size_t take = (f == files - 1) ? rest.size() : rest.size() / static_cast<size_t>(files - f);
    contents.push_back(rest.substr(0, take));
    rest.erase(0, take);
  }

  // Emptied, not removed: the folder itself stays the private one made at start.
  for (const auto& entry : fs::directory_iterator(work)) fs::remove_all(entry.path());
  const std::string archive = (work / "rt.pck").string();
  {
    vz::archive::ArchiveWriter writer(archive);
    for (int f = 0; f < files; ++f) writer.AddData(contents[static_cast<size_t>(f)], {Numbered("f", f), 0, 0x20});
    writer.Commit();
  }
  for (int threads = 1; threads <= 2; ++threads) {
    const fs::path out = work / Numbered("out", threads);
    fs::create_directories(out);
    // Kept across inputs: the work buffers are allocated once, as in the shield.
    static AnswerOk dialogs;
    static vz::archive::ArchiveExtraction one(dialogs);
    static vz::archive::ArchiveExtraction two(dialogs);
    vz::archive::ArchiveExtraction& resource = threads == 1 ? one : two;
    resource.Manager().SetWorkerThreads(threads);
    dialogs.shown = 0;
    auto summary = resource.DecompressFromArchive(archive, out.string(), "");
    if (summary.filesExtracted != files || summary.failedBlocks != 0 || dialogs.shown != 0) std::abort();
    for (int f = 0; f < files; ++f)
      if (ReadAll(out / (Numbered("f", f))) != contents[static_cast<size_t>(f)]) std::abort();
  }
  return 0;
}
