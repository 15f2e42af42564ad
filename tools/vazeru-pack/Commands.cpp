#include "Commands.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <thread>

#include "archive/ArchiveErrors.h"
#include "archive/ArchiveFile.h"
#include "archive/ArchiveWriter.h"
#include "archive/ArchiveExtraction.h"
#include "platform/FileMetadata.h"
#include "platform/FileSystem.h"

namespace vz::pack {

namespace {

void Fail(const std::string& message) { std::cerr << "vazeru-pack: " << message << "\n"; }

int Threads(const Options& options) {
  if (options.threads > 0) return options.threads;
  return std::thread::hardware_concurrency() > 1 ? 2 : 1;
}

std::string DateText(std::uint32_t packed) {
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", ((packed >> 25) & 0x7F) + 1980,
                (packed >> 21) & 0x0F, (packed >> 16) & 0x1F, (packed >> 11) & 0x1F, (packed >> 5) & 0x3F,
                (packed & 0x1F) * 2);
  return text;
}

std::string AttributeText(std::uint32_t bits) {
  std::string text;
  text += (bits & platform::kAttrReadOnly) ? 'R' : '-';
  text += (bits & platform::kAttrHidden) ? 'H' : '-';
  text += (bits & platform::kAttrSystem) ? 'S' : '-';
  text += (bits & platform::kAttrArchive) ? 'A' : '-';
  return text;
}

void Wire(archive::ArchiveManager& manager, const Options& options) {
  if (options.verbose)
    manager.OnAddLog = [](archive::ArchiveManager&, const std::string& line) { std::cerr << line << "\n"; };
}

}  // namespace

int CreateCommand(const std::string& archivePath, const std::vector<std::string>& files, const Options&) {
  try {
    archive::ArchiveWriter writer(archivePath);
    for (const auto& file : files) {
      if (!platform::FileExists(file)) {
        Fail("not a readable file: " + file);
        return 1;
      }
      std::int64_t date = platform::FileDateOf(file);
      if (date < 0) {
        Fail("cannot open " + file);
        return 1;
      }
      std::string name = std::filesystem::path(file).filename().string();
      // Stored paths use "\" and ":" between folders: such a name would come back cut.
      if (name.find_first_of("\\:") != std::string::npos) {
        Fail("cannot store a file name holding \"\\\" or \":\": " + name);
        return 1;
      }
      writer.AddFile(file, {name, static_cast<std::uint32_t>(date), platform::DosAttributesOf(file)});
    }
    writer.Commit();
  } catch (const std::exception& e) {
    Fail(e.what());
    return 1;
  }
  return 0;
}

int ListCommand(const std::string& archivePath, const Options&) {
  if (!platform::FileExists(archivePath)) {
    Fail("archive does not exist: " + archivePath);
    return 1;
  }
  try {
    archive::ArchiveFile archive(archivePath, true);
    for (const auto& entry : archive.CentralDir().Entries()) {
      std::printf("%-32s %10d %6d  %s  %s\n", (entry->FolderName + entry->FileName).c_str(), entry->FileSize,
                  entry->BlockCount, DateText(entry->FileDateTime).c_str(), AttributeText(entry->Attributes).c_str());
    }
  } catch (const std::exception& e) {
    Fail(e.what());
    return 1;
  }
  return 0;
}

int ExtractCommand(const std::string& archivePath, const std::string& destination, const std::string& name,
                   const Options& options) {
  if (!platform::FolderExists(destination)) {
    Fail("destination folder does not exist: " + destination);
    return 1;
  }
  TerminalDialogs dialogs(options.policy);
  archive::ArchiveExtraction resource(dialogs);
  resource.Manager().SetWorkerThreads(Threads(options));
  Wire(resource.Manager(), options);
  try {
    archive::ExtractionSummary summary = resource.DecompressFromArchive(archivePath, destination, name);
    if (!summary.archiveFound || summary.filesExtracted == 0) return 1;
    if (summary.failedBlocks > 0) {
      Fail(std::to_string(summary.failedBlocks) + " block(s) did not match their CRC");
      return 1;
    }
  } catch (const std::exception& e) {
    Fail(e.what());
    return 1;
  }
  return 0;
}

int TestCommand(const std::string& archivePath, const Options& options) {
  if (!platform::FileExists(archivePath)) {
    Fail("archive does not exist: " + archivePath);
    return 1;
  }
  TerminalDialogs dialogs(options.policy);
  archive::ArchiveManager manager(dialogs);
  manager.SetWorkerThreads(Threads(options));
  Wire(manager, options);
  std::int32_t failed = 0;
  try {
    manager.OpenArchive(archivePath, false);
    for (const auto& entry : manager.Archive()->CentralDir().Entries()) {
      std::int32_t bad = manager.TestFile(*entry);
      failed += bad;
      std::printf("%-32s %s\n", (entry->FolderName + entry->FileName).c_str(),
                  bad == 0 ? "OK" : (std::to_string(bad) + " block(s) failed the CRC check").c_str());
    }
    manager.CloseArchive();
  } catch (const std::exception& e) {
    Fail(e.what());
    return 1;
  }
  if (failed > 0) {
    Fail(std::to_string(failed) + " block(s) did not match their CRC");
    return 1;
  }
  return 0;
}

}  // namespace vz::pack
