#pragma once
// The few parts of the XDG desktop entry format the Run keys need: the Exec
// key of the [Desktop Entry] group, and a minimal entry to start a program.
#include <optional>
#include <string>
#include <string_view>

namespace vz::platform {

// The unescaped Exec value of the [Desktop Entry] group; "" when the group has
// no Exec; nullopt when the text has no [Desktop Entry] group (not a desktop file).
std::optional<std::string> DesktopEntryExec(std::string_view text);

// A minimal valid entry: Type=Application, Name, Exec.
std::string MakeDesktopEntry(std::string_view name, std::string_view exec);

// The text with the Exec of its [Desktop Entry] group replaced (or added),
// every other line kept; a minimal entry when the text has no such group.
std::string WithDesktopEntryExec(std::string_view text, std::string_view name, std::string_view exec);

// One argument of an Exec command line: unchanged when it holds none of the
// format's reserved characters (blank, quotes, \, $, `, ;, |, &, <, >, ~, *,
// ?, #, parentheses, TAB, newline), otherwise in double quotes with ", `, $
// and \ escaped by a backslash. A "%" is doubled either way (it starts a
// field code). The string escapes below come on top, when the line is written.
std::string QuoteExecArgument(std::string_view argument);

// The escapes of the format's string values: \s \n \t \r \\.
std::string EscapeDesktopValue(std::string_view value);
std::string UnescapeDesktopValue(std::string_view value);

}  // namespace vz::platform
