#include "platform/JournalText.h"

namespace vz::platform {

namespace {

void AppendEscaped(std::string& out, const std::string& text, bool quoted) {
  static const char kDigits[] = "01234567";
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7f) {
      out += '\\';
      out += kDigits[(c >> 6) & 7];
      out += kDigits[(c >> 3) & 7];
      out += kDigits[c & 7];
    } else if (quoted && (c == '"' || c == '\\')) {
      out += '\\';
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(c);
    }
  }
}

}  // namespace

std::string JournalLineText(const JournalRecord& record) {
  std::string out;
  AppendEscaped(out, record.message, false);
  for (const JournalField& field : record.fields) {
    out += ' ';
    out += field.name;
    out += "=\"";
    AppendEscaped(out, field.value, true);
    out += '"';
  }
  return out;
}

}  // namespace vz::platform
