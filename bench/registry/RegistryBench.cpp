// Per-call cost of reading one registry value from a loaded hive of 10 000
// values and of reading a PE file's version information, beside the floor:
// the same file read with one open + read + close.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/FileSystem.h"
#include "platform/HiveText.h"
#include "platform/Registry.h"
#include "platform/VersionInfo.h"
#include "platform/testing/PeImageBuilder.h"

namespace {

using namespace vz::platform;

constexpr int kValues = 10000;
constexpr const char* kKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

struct Fixture {
  std::string dir;
  RegistryLocations locations;
  std::unique_ptr<RegistryStore> store;
  std::string peFile;

  Fixture() {
    char pattern[] = "/tmp/vazeru-bench-XXXXXX";
    dir = std::string(::mkdtemp(pattern)) + "/";
    locations = {dir + "machine.reg", dir + "user.reg", dir + "auto-m", dir + "auto-u", true};
    Hive hive;
    HiveKey& key = hive.CreateKey(kKey);
    for (int i = 0; i < kValues; ++i)
      hive.SetValue(key, "Value" + std::to_string(i), RegValue::String("/some/folder/number/" + std::to_string(i)));
    WriteFileAtomic(locations.machineHive, FormatHiveText(hive, "HKEY_LOCAL_MACHINE"));
    store = OpenRegistryStore(locations);  // seeds the three folder values: 10 003 in the key

    testing::VersionResourceLayout layout;
    for (const char* k : kVersionInfoKeys) layout.strings.push_back({k, std::string("Text of ") + k});
    layout.strings[0].second = "Microsoft Corporation";
    peFile = dir + "program.exe";
    std::ofstream(peFile, std::ios::binary) << testing::BuildPeImage(testing::BuildVersionBlock(layout));
  }
  ~Fixture() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

// Ours: one value through an open key (the hive is loaded; each read checks
// that no other process replaced the file).
void BM_HiveReadValue_Ours(benchmark::State& state) {
  RegistryKey key;
  Shared().store->OpenKey(RegistryRoot::LocalMachine, kKey, RegAccess::Read, RegDisposition::OpenExisting, key);
  std::string text;
  for (auto _ : state) {
    key.ReadString("ProgramFilesDir", text);
    benchmark::DoNotOptimize(text);
  }
  if (text != "/opt") state.SkipWithError("wrong value");
}
BENCHMARK(BM_HiveReadValue_Ours);

// Ours: open the key, read with type conversion, close (as the folder lookups do).
void BM_HiveOpenReadClose_Ours(benchmark::State& state) {
  std::string text;
  for (auto _ : state) {
    RegistryKey key;
    Shared().store->OpenKey(RegistryRoot::LocalMachine, kKey, RegAccess::Read, RegDisposition::OpenExisting, key);
    key.ReadAsText("Value9999", text);
    key.Close();
    benchmark::DoNotOptimize(text);
  }
}
BENCHMARK(BM_HiveOpenReadClose_Ours);

// Ours: the ten version fields of a PE file.
void BM_ReadVersionInfo_Ours(benchmark::State& state) {
  FileVersionInfo info;
  for (auto _ : state) {
    info = ReadVersionInfo(Shared().peFile);
    benchmark::DoNotOptimize(info);
  }
  if (info.CompanyName != "Microsoft Corporation") state.SkipWithError("wrong value");
}
BENCHMARK(BM_ReadVersionInfo_Ours);

// The floor: the same file with one open + read + close.
void ReadOnce(benchmark::State& state, const std::string& path) {
  static char buffer[4 << 20];
  for (auto _ : state) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    benchmark::DoNotOptimize(n);
  }
}
void BM_PeFileOneRead_Floor(benchmark::State& state) { ReadOnce(state, Shared().peFile); }
BENCHMARK(BM_PeFileOneRead_Floor);
void BM_HiveFileOneRead_Floor(benchmark::State& state) { ReadOnce(state, Shared().locations.machineHive); }
BENCHMARK(BM_HiveFileOneRead_Floor);

// For scale: loading the 10 003-value hive text, paid once per change by another process.
void BM_HiveParse10k(benchmark::State& state) {
  std::string text = *ReadWholeFile(Shared().locations.machineHive);
  for (auto _ : state) {
    Hive hive;
    ParseHiveText(text, "HKEY_LOCAL_MACHINE", hive);
    benchmark::DoNotOptimize(hive);
  }
}
BENCHMARK(BM_HiveParse10k)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
