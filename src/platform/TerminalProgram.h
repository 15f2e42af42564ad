#pragma once
// Contract: a program that uses this process's terminal (a text viewer or
// editor), run in the foreground until it ends.
#include <string>
#include <vector>

namespace vz::platform {

// True when standard input is a terminal that a program could take over.
bool HasTerminal();

// Runs argv (never through a shell) in the terminal's foreground and waits for
// it to end: meanwhile the terminal, Ctrl-C included, is the program's alone;
// afterwards it is this process's again. A program stopped by Ctrl-Z is let
// go on, since this process waits for it. false, with the reason, when there is
// no terminal or the program cannot be started.
bool RunOnTerminal(const std::vector<std::string>& argv, std::string* errorText = nullptr);

// The words of an editor setting such as $VISUAL ("emacsclient -t"): split at
// blanks, as the setting's users expect; nothing is interpreted by a shell.
std::vector<std::string> EditorCommandWords(const std::string& setting);

}  // namespace vz::platform
