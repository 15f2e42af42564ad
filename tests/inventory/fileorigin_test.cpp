// File origin classification with Windows paths, through the in-memory
// registry and the Windows path conventions.
#include <gtest/gtest.h>

#include "inventory/FileOrigin.h"
#include "knowledge/KnowledgeBase.h"
#include "platform/testing/MemoryRegistry.h"
#include "support/TestSupport.h"

namespace vz::inventory {
namespace {

using platform::RegistryRoot::LocalMachine;
using platform::RegValue;

class FileOriginTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetValue("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot", RegValue::String("C:\\WINDOWS"));
    SetValue("Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", RegValue::String("C:\\Program Files"));
    SetValue("Software\\Microsoft\\Windows\\CurrentVersion", "CommonFilesDir",
             RegValue::String("C:\\Program Files\\Common Files"));
    testsupport::WriteFile(dir.file("MostCProc.txt"),
                           "[Windows]\r\nexplorer.exe=1\r\nnotepad.exe=1\r\n"
                           "[windows\\system]\r\nsvchost.exe=1\r\nlsass.exe=1\r\n"
                           "[Programs]\r\nmsmsgs.exe=\\Messenger\r\niexplore.exe=\\Internet Explorer\r\n");
    knowledge::LoadSystemFileLists(base, dir.path());
    base.SpecialList().LoadFromText(
        "svch0st.exe\tSYSTEM32\r\n"
        "winlogin.exe\tWINDOWS\t\\Temp\r\n"
        "updater.exe\tPROGRAMS\t\\Updater\r\n"
        "shared.exe\tCOMMON\t\\Shared\r\n"
        "other.exe\tELSEWHERE\r\n");
  }

  void SetValue(const char* key, const char* name, const RegValue& value) {
    platform::RegistryKey k;
    ASSERT_TRUE(registry.OpenKey(platform::RegistryRoot::LocalMachine, key, platform::RegAccess::ReadWrite,
                                 platform::RegDisposition::CreateIfMissing, k));
    ASSERT_TRUE(k.WriteValue(name, value));
  }

  // True when recognised as legitimate; checks the search position rule too.
  bool Recognised(const std::string& folder, const std::string& name) {
    int position = 1;
    bool candidate = classifier.ClassifyFileOrigin(position, folder, name);
    EXPECT_EQ(position, candidate ? 1 : 0) << folder << " " << name;
    return !candidate;
  }

  testsupport::TempDir dir;
  platform::testing::MemoryRegistry registry;
  FolderValues folders{registry};
  knowledge::KnowledgeBase base;
  std::string exclusions;
  std::string company;
  std::vector<std::string> versionReads;
  platform::ProgramFile lastProgram;
  std::vector<std::string> errors;
  FileOriginClassifier classifier{
      base, folders,
      [this](const std::string& folder, const std::string& name) {
        std::string key = folder + (folder.empty() || folder.back() != '\\' ? "\\" : "") + name;
        for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return exclusions.find(key) != std::string::npos;
      },
      platform::WindowsPathConventions(),
      [this](const platform::ProgramFile& program) {
        versionReads.push_back(program.path);
        lastProgram = program;
        platform::FileVersionInfo info;
        info.CompanyName = company;
        return info;
      }};
};

TEST_F(FileOriginTest, SystemFoldersAndTheirLists) {
  EXPECT_TRUE(Recognised("C:\\WINDOWS", "explorer.exe"));
  EXPECT_TRUE(Recognised("c:\\windows", "EXPLORER.EXE"));
  EXPECT_FALSE(Recognised("C:\\WINDOWS\\TEMP", "explorer.exe"));
  EXPECT_TRUE(Recognised("C:\\WINDOWS\\system32", "svchost.exe"));
  EXPECT_FALSE(Recognised("C:\\WINDOWS\\system32", "explorer.exe"));
  // The backup folders take either list.
  EXPECT_TRUE(Recognised("C:\\WINDOWS\\system32\\dllcache", "explorer.exe"));
  EXPECT_TRUE(Recognised("C:\\WINDOWS\\ServicePackFiles\\i386", "lsass.exe"));
  EXPECT_TRUE(Recognised("C:\\WINDOWS\\LastGood\\System32", "notepad.exe"));
  // "Listed" is a substring test over the key names.
  EXPECT_TRUE(Recognised("C:\\WINDOWS", "plorer.exe"));
}

TEST_F(FileOriginTest, ProgramFilesOnlyInTheExpectedFolder) {
  EXPECT_TRUE(Recognised("C:\\Program Files\\Messenger", "msmsgs.exe"));
  EXPECT_FALSE(Recognised("C:\\Program Files\\Messenger\\Plugins", "msmsgs.exe"));
  EXPECT_FALSE(Recognised("C:\\Program Files\\Other", "msmsgs.exe"));
  EXPECT_TRUE(Recognised("C:\\PROGRAM FILES\\INTERNET EXPLORER", "iexplore.exe"));
}

TEST_F(FileOriginTest, ProgramFilesFolderInOtherTypesAndWhenItCannotBeRead) {
  SetValue("Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", RegValue::Binary("C:\\Program Files"));
  EXPECT_TRUE(Recognised("C:\\Program Files\\Messenger", "msmsgs.exe"));
  EXPECT_EQ(folders.ReadProgramFilesDir(), "C:\\Program Files");
  SetValue("Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", RegValue::Dword(42));
  EXPECT_EQ(folders.ReadProgramFilesDir(), "42");
  SetValue("Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", RegValue::MultiString({"a", "b"}));
  EXPECT_THROW(folders.ReadProgramFilesDir(), ERegistryException);

  classifier.SetErrorSink([this](const std::string& message) { errors.push_back(message); });
  // Rule 5 cannot recognise; the other rules still do, and the error is told.
  EXPECT_FALSE(Recognised("C:\\Program Files\\Messenger", "msmsgs.exe"));
  EXPECT_EQ(errors.size(), 1u);
  EXPECT_TRUE(Recognised("C:\\WINDOWS", "explorer.exe"));
  company = "Microsoft Corporation";
  EXPECT_TRUE(Recognised("C:\\Program Files\\Messenger", "msmsgs.exe"));
}

TEST_F(FileOriginTest, VersionInformationIsReadOnlyWhenNothingElseRecognised) {
  company = "Microsoft Corp.";
  EXPECT_TRUE(Recognised("D:\\Anywhere", "tool.exe"));
  ASSERT_FALSE(versionReads.empty());
  EXPECT_EQ(versionReads.back(), "D:\\Anywhere\\tool.exe");
  company = "MICROSOFT CORPORATION";
  EXPECT_FALSE(Recognised("D:\\Anywhere", "tool.exe"));
  versionReads.clear();
  EXPECT_TRUE(Recognised("C:\\WINDOWS", "explorer.exe"));
  EXPECT_TRUE(versionReads.empty());
  // The process that runs the file goes with it, so that what runs is read.
  int position = 1;
  classifier.ClassifyFileOrigin(position, "D:\\Anywhere", "tool.exe", 4242, 987654);
  EXPECT_EQ(lastProgram.path, "D:\\Anywhere\\tool.exe");
  EXPECT_EQ(lastProgram.pid, 4242u);
  EXPECT_EQ(lastProgram.startTime, 987654u);
}

TEST_F(FileOriginTest, SpecialListNamesStayCandidatesOnlyWhereTheirLineSays) {
  EXPECT_FALSE(Recognised("C:\\WINDOWS\\system32", "svch0st.exe"));
  EXPECT_TRUE(Recognised("C:\\Temp", "svch0st.exe"));
  EXPECT_FALSE(Recognised("C:\\WINDOWS\\Temp", "winlogin.exe"));
  EXPECT_TRUE(Recognised("C:\\WINDOWS", "winlogin.exe"));
  EXPECT_FALSE(Recognised("C:\\Program Files\\Updater\\bin", "updater.exe"));
  EXPECT_TRUE(Recognised("C:\\Updater", "updater.exe"));
  EXPECT_FALSE(Recognised("C:\\Program Files\\Common Files\\Shared", "shared.exe"));
  EXPECT_TRUE(Recognised("C:\\Shared", "shared.exe"));
  // An unknown kind changes nothing.
  EXPECT_FALSE(Recognised("C:\\Temp", "other.exe"));
  // A short name matches inside a longer one: the first match decides.
  EXPECT_TRUE(Recognised("C:\\Temp", "0st.exe"));
  EXPECT_FALSE(Recognised("C:\\WINDOWS\\system32", "0st.exe"));
  // Not in the list at all: a candidate.
  EXPECT_FALSE(Recognised("C:\\Temp", "badtool.exe"));
}

TEST_F(FileOriginTest, ExclusionComesFirstEvenForLongerEntries) {
  exclusions = "C:\\TOOLS\\SCAN.EXE.OLD\r\n";
  EXPECT_TRUE(Recognised("c:\\tools", "scan.exe"));
  versionReads.clear();
  EXPECT_TRUE(Recognised("C:\\Tools", "scan.ex"));
  EXPECT_TRUE(versionReads.empty());
  EXPECT_FALSE(Recognised("C:\\Tools", "other.exe"));
}

TEST_F(FileOriginTest, FolderValuesReadFailuresGiveEmptyText) {
  platform::testing::MemoryRegistry empty;
  FolderValues none(empty);
  EXPECT_EQ(none.ReadSystemRoot(), "");
  EXPECT_EQ(none.ReadCommonFilesDir(), "");
  EXPECT_THROW(none.ReadProgramFilesDir(), ERegistryException);
  // Text stops at the first NUL.
  SetValue("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot", RegValue::Binary(std::string("C:\\W\0junk", 9)));
  EXPECT_EQ(folders.ReadSystemRoot(), "C:\\W");
}

}  // namespace
}  // namespace vz::inventory
