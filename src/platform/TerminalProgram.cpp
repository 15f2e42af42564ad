#include "platform/TerminalProgram.h"

namespace vz::platform {

std::vector<std::string> EditorCommandWords(const std::string& setting) {
  std::vector<std::string> words;
  std::string word;
  for (char c : setting) {
    if (c == ' ' || c == '\t') {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

}  // namespace vz::platform
