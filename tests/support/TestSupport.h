#pragma once
// Helpers shared by the tests: temporary folders, real child processes under
// chosen names, small file utilities.
#include <sys/types.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace vz::testsupport {

// A fresh folder under $TMPDIR, removed with everything in it at destruction.
class TempDir {
 public:
  TempDir();
  // Under `base` instead of $TMPDIR.
  explicit TempDir(const std::string& base);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  // The folder with a trailing '/'.
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

// A folder on a memory file system (/dev/shm) where there is one, else $TMPDIR:
// for tests that write files thousands of times and need no disk under them.
std::string MemoryFolder();

// A child process started from a copy of the sleeper program named `name`
// inside `folder`. Killed and reaped at destruction.
class ChildProcess {
 public:
  ChildProcess(const std::string& folder, const std::string& name, int niceness = 0);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  pid_t pid() const { return pid_; }
  const std::string& path() const { return path_; }
  // True once the process has ended (reaps it).
  bool HasExited();
  // Waits up to timeoutMs for the process to end.
  bool WaitForExit(int timeoutMs);
  void Kill();

 private:
  pid_t pid_ = -1;
  std::string path_;
  bool reaped_ = false;
};

// A program started by the test with extra environment variables, its standard
// output and error going to a file, and its standard input empty or, with
// typedInput, a pipe the test types into. Killed and reaped at destruction.
class ProgramRun {
 public:
  ProgramRun(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv,
             const std::string& outputFile, bool typedInput = false);
  ~ProgramRun();
  ProgramRun(const ProgramRun&) = delete;
  ProgramRun& operator=(const ProgramRun&) = delete;
  pid_t pid() const { return pid_; }
  // Waits up to timeoutMs; true when it ended, with its exit code (-signal when killed).
  bool WaitForExit(int timeoutMs, int* exitCode = nullptr);
  void Signal(int signal);
  std::string Output() const;
  // Waits until the output contains text.
  bool WaitForOutput(const std::string& text, int timeoutMs) const;
  // Writes to the program's standard input (started with typedInput).
  void Type(const std::string& text);

 private:
  pid_t pid_ = -1;
  int inputFd_ = -1;
  bool reaped_ = false;
  int status_ = 0;
  std::string outputFile_;
};

// A program folder for a shield under test: the archive NAME holding one
// member with the given text, packed as the shield receives it.
void PackArchive(const std::string& archivePath, const std::string& member, const std::string& text);
// A registry store whose hives and autostart folders all lie in folder.
std::unique_ptr<platform::RegistryStore> OpenTestRegistry(const TempDir& folder);

// Copies the program `from` to folder + name (executable) and returns that path.
std::string CopyProgram(const std::string& from, const std::string& folder, const std::string& name);
// Starts argv[0] with argv and returns at once; the caller reaps it with ReapChild.
pid_t SpawnProgram(const std::vector<std::string>& argv);
// Waits for the child to end; its exit code, or -1.
int ReapChild(pid_t pid);

// Path of a helper program built for the tests (build/tests/NAME).
std::string TestHelperPath(const std::string& name);
// Path of a program in build/bin.
std::string ProgramPath(const std::string& name);
// Path of a file of the source tree.
std::string SourcePath(const std::string& relative);

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& contents);
// Splits at CR LF (or LF), dropping the final empty piece.
std::vector<std::string> SplitLines(const std::string& text);
// How many times part occurs in text (overlaps counted).
size_t CountOccurrences(const std::string& text, const std::string& part);

// Runs `work` on a thread; true when it returns within timeoutMs. Work stuck
// opening the FIFO at fifoPath is then released (a writer opens and closes
// it), so the thread always ends and a regression fails instead of hanging.
bool ReturnsPromptly(const std::function<void()>& work, const std::string& fifoPath, int timeoutMs = 5000);

// The descriptors this process holds without close-on-exec: the ones a
// program it starts would inherit.
std::vector<int> InheritableDescriptors();

// Polls `condition` every 10 ms until it is true or timeoutMs passes.
template <typename F>
bool WaitUntil(F condition, int timeoutMs);

void SleepMs(int ms);

template <typename F>
bool WaitUntil(F condition, int timeoutMs) {
  for (int waited = 0; waited <= timeoutMs; waited += 10) {
    if (condition()) return true;
    SleepMs(10);
  }
  return condition();
}

}  // namespace vz::testsupport
