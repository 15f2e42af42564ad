#include "startup/StartupCommand.h"

namespace vz::startup {

std::size_t LastPathSeparator(std::string_view path) { return path.find_last_of("\\/:"); }

std::string CommandFolderPart(std::string_view path) {
  std::size_t last = LastPathSeparator(path);
  return last == std::string_view::npos ? std::string() : std::string(path.substr(0, last + 1));
}

std::string CommandNamePart(std::string_view path) {
  std::size_t last = LastPathSeparator(path);
  return std::string(last == std::string_view::npos ? path : path.substr(last + 1));
}

bool HasFolder(std::string_view path) { return path.find_first_of("\\/") != std::string_view::npos; }

namespace {

bool StartsArgument(char c) { return c == '-' || c == '/' || c == '%'; }

}  // namespace

std::string ProgramPathOfCommand(std::string_view command) {
  // The command without its quotes, and where its arguments begin there.
  std::string unquoted;
  unquoted.reserve(command.size());
  std::size_t argumentsAt = std::string::npos;
  const std::size_t first = command.find_first_not_of(' ');
  const bool quotedProgram = first != std::string_view::npos && command[first] == '"';
  int quotes = 0;
  for (std::size_t i = 0; i < command.size(); ++i) {
    char c = command[i];
    if (c == '"') {
      if (quotedProgram && ++quotes == 2 && argumentsAt == std::string::npos) argumentsAt = unquoted.size();
      continue;
    }
    if (!quotedProgram && argumentsAt == std::string::npos && c == ' ' && i + 1 < command.size() &&
        StartsArgument(command[i + 1]))
      argumentsAt = unquoted.size();
    unquoted += c;
  }
  if (argumentsAt == std::string::npos) argumentsAt = unquoted.size();

  std::size_t separator = unquoted.find_last_of("\\:");
  std::size_t slash = std::string_view(unquoted).substr(0, argumentsAt).rfind('/');
  if (slash != std::string::npos && (separator == std::string::npos || slash > separator)) separator = slash;

  std::string folder = separator == std::string::npos ? std::string() : unquoted.substr(0, separator + 1);
  std::string name = separator == std::string::npos ? unquoted : unquoted.substr(separator + 1);
  std::size_t blank = name.find(' ');
  if (blank != std::string::npos) name.resize(blank);
  return folder + name;
}

}  // namespace vz::startup
