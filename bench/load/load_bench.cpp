// LoadKnowledgeBase on generated lists: 100 000 spyware lines, 100 000 known
// lines, 10 000 update lines. The extraction is done by a stand-in that copies
// plain text members into the folder; its time is measured apart and is not
// part of the load figure. Beside it: reading and splitting the same files
// with std::getline, the floor of any loader.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "app/ShieldLog.h"
#include "knowledge/KnowledgeLoader.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::string Word(std::mt19937& random, int length) {
  std::string w;
  for (int i = 0; i < length; ++i) w += static_cast<char>('a' + random() % 26);
  return w;
}

std::string MakeList(std::mt19937& random, int lines, const char* marker, int spywareEvery) {
  std::string text;
  for (int i = 0; i < lines; ++i) {
    const std::string name = Word(random, 5 + static_cast<int>(random() % 7));
    text += (spywareEvery > 0 && i % spywareEvery == 0) ? "X" : marker;
    text += "\tProgram " + name + "\t" + name + ".exe\tStarts with the session and shows " + Word(random, 8) + "\r\n";
  }
  return text;
}

// Copies "<archive>.txt" from the source folder to the member name.
class CopyingExtractor final : public vz::knowledge::ArchiveExtractor {
 public:
  explicit CopyingExtractor(std::string source) : source_(std::move(source)) {}
  Clock::duration spent{};
  void DecompressFromArchive(const std::string& archivePath, const std::string& destFolder, const std::string&) override {
    const auto start = Clock::now();
    const std::string archive = vz::platform::NamePart(archivePath);
    const char* member = archive == "Proc1.pck" ? "Proclist_noharm.txt" : archive == "Proc2.pck" ? "Proclist.txt" : "Special.txt";
    fs::copy_file(source_ + archive + ".txt", destFolder + member, fs::copy_options::overwrite_existing);
    spent += Clock::now() - start;
  }

 private:
  std::string source_;
};

class QuietWindow final : public vz::ui::MainWindowView {
 public:
  void SetStatusPanel(int, const std::string& text) override { last = text; }
  void ShowWindow() override {}
  void HideWindow() override {}
  bool IsWindowShowing() const override { return false; }
  void SetWindowState(vz::ui::WindowState) override {}
  void BringToFront() override {}
  void SetCaption(const std::string&) override {}
  void SetBusyCursor(bool) override {}
  void SetProcessList(const std::vector<std::string>&, int) override {}
  void SetProcessPageEnabled(bool) override {}
  void SetShieldLog(const std::vector<std::string>&) override {}
  void SetStartupRows(const std::vector<vz::ui::StartupRow>&, int) override {}
  void SetOptionChecked(vz::ui::LiveOption, bool) override {}
  void SetShowVazeruEnabled(bool) override {}
  void SetInfoLabel(const std::string&) override {}
  std::string last;
};

std::size_t GetlineFloor(const std::string& folder) {
  std::size_t lines = 0;
  for (const char* name : {"Proc1.pck.txt", "Proc2.pck.txt", "Proc4.pck.txt", "Procupd.txt"}) {
    std::ifstream in(folder + name, std::ios::binary);
    std::vector<std::string> all;
    for (std::string line; std::getline(in, line);) all.push_back(line);
    lines += all.size();
  }
  return lines;
}

}  // namespace

int main() {
  const fs::path root = fs::temp_directory_path() / ("vazeru-bench-load-" + std::to_string(::getpid()));
  const std::string app = (root / "app").string() + "/";
  const std::string source = (root / "source").string() + "/";
  fs::create_directories(app);
  fs::create_directories(source);

  std::mt19937 random(11);
  auto write = [](const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; };
  write(source + "Proc1.pck.txt", MakeList(random, 100000, "A", 0));
  write(source + "Proc2.pck.txt", MakeList(random, 100000, "X", 0));
  write(source + "Proc4.pck.txt", "svchost.exe\tSYSTEM32\r\nbash\tSYSTEM32\t/bin\r\n");
  write(app + "Procupd.txt", MakeList(random, 10000, "A", 3));
  write(source + "Procupd.txt", vz::platform::ReadWholeFile(app + "Procupd.txt").value_or(""));
  for (const char* archive : {"Proc1.pck", "Proc2.pck", "Proc4.pck"}) write(app + archive, "packed");

  // Best of three starts; each start unpacks and loads afresh.
  double bestLoad = 1e30, extraction = 0;
  int spyware = 0, known = 0;
  for (int run = 0; run < 3; ++run) {
    vz::app::ShieldLog log;
    QuietWindow window;
    vz::ui::NullEventPump events;
    CopyingExtractor extractor(source);
    vz::knowledge::KnowledgeBase base;
    const vz::knowledge::LoadEnvironment env{app, extractor, log, window, events, vz::platform::SystemClock()};
    const auto start = Clock::now();
    vz::knowledge::LoadKnowledgeBase(base, env);
    const double load = Ms(Clock::now() - start - extractor.spent);
    if (load < bestLoad) {
      bestLoad = load;
      extraction = Ms(extractor.spent);
    }
    spyware = base.SpywareCount();
    known = base.AllKnownCount();
  }

  const auto floorStart = Clock::now();
  const std::size_t floorLines = GetlineFloor(source);
  const auto floor = Clock::now() - floorStart;

  std::printf("LoadKnowledgeBase: 100000 known, 100000 spyware, 10000 update lines -> %d spyware of %d known\n",
              spyware, known);
  std::printf("  load without extraction (best of 3)             %8.1f ms\n", bestLoad);
  std::printf("  extraction (stand-in file copy, shown apart)    %8.1f ms\n", extraction);
  std::printf("  peer: std::getline read of the same %zu lines %8.1f ms\n", floorLines, Ms(floor));
  fs::remove_all(root);
  return 0;
}
