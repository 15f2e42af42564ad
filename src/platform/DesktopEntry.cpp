#include "platform/DesktopEntry.h"

#include <vector>

#include "platform/PlainText.h"

namespace vz::platform {

namespace {

constexpr std::string_view kGroup = "[Desktop Entry]";

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    auto end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

bool IsGroupHeader(std::string_view line) {
  line = TrimLineBlanks(line);
  return !line.empty() && line.front() == '[';
}

// The value of "Exec=..." (blanks around '=' allowed), or nullopt.
std::optional<std::string_view> ExecValue(std::string_view line) {
  line = TrimLineBlanks(line);
  if (line.substr(0, 4) != "Exec") return std::nullopt;
  std::string_view rest = TrimLineBlanks(line.substr(4));
  if (rest.empty() || rest.front() != '=') return std::nullopt;
  return TrimLineBlanks(rest.substr(1));
}

}  // namespace

std::string QuoteExecArgument(std::string_view argument) {
  constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
  const bool quoted = argument.empty() || argument.find_first_of(kReserved) != std::string_view::npos;
  std::string out;
  if (quoted) out.push_back('"');
  for (char c : argument) {
    if (c == '%') {
      out.append("%%");
      continue;
    }
    if (quoted && (c == '"' || c == '`' || c == '$' || c == '\\')) out.push_back('\\');
    out.push_back(c);
  }
  if (quoted) out.push_back('"');
  return out;
}

std::string EscapeDesktopValue(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    char c = value[i];
    switch (c) {
      case '\\': out.append("\\\\"); break;
      case '\n': out.append("\\n"); break;
      case '\t': out.append("\\t"); break;
      case '\r': out.append("\\r"); break;
      case ' ':
        // Leading blanks would be trimmed by readers.
        if (i == 0) out.append("\\s"); else out.push_back(c);
        break;
      default: out.push_back(c);
    }
  }
  return out;
}

std::string UnescapeDesktopValue(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    char c = value[i];
    if (c != '\\' || i + 1 == value.size()) {
      out.push_back(c);
      continue;
    }
    char e = value[++i];
    switch (e) {
      case 's': out.push_back(' '); break;
      case 'n': out.push_back('\n'); break;
      case 't': out.push_back('\t'); break;
      case 'r': out.push_back('\r'); break;
      case '\\': out.push_back('\\'); break;
      default: out.push_back('\\'); out.push_back(e);  // not an escape of this level
    }
  }
  return out;
}

std::optional<std::string> DesktopEntryExec(std::string_view text) {
  bool inGroup = false, sawGroup = false;
  for (std::string_view line : Lines(text)) {
    if (IsGroupHeader(line)) {
      inGroup = TrimLineBlanks(line) == kGroup;
      sawGroup = sawGroup || inGroup;
      continue;
    }
    if (!inGroup) continue;
    if (auto exec = ExecValue(line)) return UnescapeDesktopValue(*exec);
  }
  if (!sawGroup) return std::nullopt;
  return std::string();
}

std::string MakeDesktopEntry(std::string_view name, std::string_view exec) {
  std::string out(kGroup);
  out.append("\nType=Application\nName=").append(EscapeDesktopValue(name));
  out.append("\nExec=").append(EscapeDesktopValue(exec)).append("\n");
  return out;
}

std::string WithDesktopEntryExec(std::string_view text, std::string_view name, std::string_view exec) {
  std::vector<std::string_view> lines = Lines(text);
  std::string execLine = "Exec=" + EscapeDesktopValue(exec);
  std::string out;
  bool inGroup = false, sawGroup = false, written = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    if (IsGroupHeader(line)) {
      if (inGroup && !written) {
        out.append(execLine).append("\n");
        written = true;
      }
      inGroup = TrimLineBlanks(line) == kGroup;
      sawGroup = sawGroup || inGroup;
    } else if (inGroup && ExecValue(line)) {
      if (!written) out.append(execLine).append("\n");
      written = true;
      continue;
    }
    out.append(line);
    out.push_back('\n');
  }
  if (!sawGroup) return MakeDesktopEntry(name, exec);
  if (!written) out.append(execLine).append("\n");
  return out;
}

}  // namespace vz::platform
