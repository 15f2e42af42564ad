#include "ui/Browser.h"

#include "platform/PlainText.h"

namespace vz::ui {

namespace {

// What a refused text looks like in the log: one line, not too long.
std::string Shown(const std::string& text) {
  constexpr size_t kMost = 120;
  std::string shown;
  for (unsigned char c : text.substr(0, kMost)) shown += (c < 0x20 || c == 0x7F) ? '?' : static_cast<char>(c);
  if (text.size() > kMost) shown += "...";
  return shown;
}

}  // namespace

bool IsWebAddress(const std::string& url) {
  size_t host;
  if (platform::StartsWithAscii(url, "http://"))
    host = 7;
  else if (platform::StartsWithAscii(url, "https://"))
    host = 8;
  else
    return false;
  if (url.size() <= host || url[host] == '/') return false;
  for (unsigned char c : url)
    if (c <= 0x20 || c == 0x7F) return false;
  return true;
}

void Browser::Open(const std::string& url) {
  // Blanks around a link in a data file are not part of it.
  size_t begin = url.find_first_not_of(" \t");
  std::string address;
  if (begin != std::string::npos) address = url.substr(begin, url.find_last_not_of(" \t") + 1 - begin);
  if (!IsWebAddress(address)) {
    ReportFailure("Refused to open a link that is not a web address: " + Shown(url));
    return;
  }
  OpenWebPage(address);
}

void Browser::OpenFolder(const std::string& folder) {
  if (folder.empty() || folder[0] != '/') {
    ReportFailure("Refused to open a folder that is not a full path: " + Shown(folder));
    return;
  }
  OpenFolderWindow(folder);
}

void Browser::OpenFile(const std::string& path) {
  if (path.empty() || path[0] != '/') {
    ReportFailure("Refused to open a file that is not a full path: " + Shown(path));
    return;
  }
  OpenFileViewer(path);
}

void Browser::ReportFailure(const std::string& line) const {
  if (report_) report_(line);
}

}  // namespace vz::ui
