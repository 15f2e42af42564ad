#pragma once
// The program a startup command runs, found the simple way: quotes dropped,
// the folder part up to the last separator, the file name cut at its first
// blank (which drops the arguments). "\" and ":" separate wherever they are;
// "/" separates only before the arguments, where it cannot be the start of
// one ("prog.exe /s") or of a file named in one ("foo --config /etc/foo.conf").
// The arguments begin after the closing quote of a quoted program, otherwise
// at the first blank followed by "-", "/" or "%". So "/usr/bin/foo --flag" is
// "/usr/bin/foo" and "\"/opt/My App/foo\" %U" is "/opt/My App/foo".
#include <string>
#include <string_view>

namespace vz::startup {

// Position of the last "\", "/" or ":" (npos when there is none).
std::size_t LastPathSeparator(std::string_view path);
// Everything up to and including the last separator ("" when there is none).
std::string CommandFolderPart(std::string_view path);
// The part after the last separator (all of it when there is none).
std::string CommandNamePart(std::string_view path);
// True when the path names a folder ("/" or "\" in it); a ":" alone does not.
bool HasFolder(std::string_view path);

// Folder part + file name part, without quotes and arguments.
std::string ProgramPathOfCommand(std::string_view command);

}  // namespace vz::startup
