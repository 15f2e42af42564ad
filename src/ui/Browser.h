#pragma once
// Port: opens a web page, a folder in the file manager or a file in the
// desktop's viewer, for the user. What cannot be opened is never dropped in
// silence: it goes, as one line saying what and why, to the failure report.
#include <functional>
#include <string>

namespace vz::ui {

class Browser {
 public:
  using FailureReport = std::function<void(const std::string& line)>;

  virtual ~Browser() = default;

  // Only web addresses (http, https) open. Links come from data files: any
  // other scheme (file://, a program's own) is refused and reported.
  void Open(const std::string& url);
  // Folders and files by absolute path only: nothing the opener could take
  // for one of its own options.
  void OpenFolder(const std::string& folder);
  void OpenFile(const std::string& path);

  // Where the lines go (the shield log and the status bar); may be called at
  // any later time on the UI thread, when an opener gives up after starting.
  void SetFailureReport(FailureReport report) { report_ = std::move(report); }

 protected:
  virtual void OpenWebPage(const std::string& url) = 0;
  virtual void OpenFolderWindow(const std::string& folder) = 0;
  virtual void OpenFileViewer(const std::string& path) = 0;
  void ReportFailure(const std::string& line) const;

 private:
  FailureReport report_;
};

// True for an address the browser may be given: http:// or https:// (any
// letter case) followed by a host, with no blank or control character.
bool IsWebAddress(const std::string& url);

}  // namespace vz::ui
