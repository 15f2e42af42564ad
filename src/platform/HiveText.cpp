#include "platform/HiveText.h"

#include <charconv>
#include <cstdio>
#include <optional>

#include "platform/PlainText.h"

namespace vz::platform {

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kSerialTag = ";Serial=";
constexpr std::string_view kLastWriteTag = ";LastWrite=";
constexpr std::size_t kHexBytesPerLine = 24;

std::optional<std::uint64_t> ParseDecimal(std::string_view s) {
  std::uint64_t v = 0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || p != s.data() + s.size() || s.empty()) return std::nullopt;
  return v;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a quoted string at the start of s (s[0] == '"'); advances s past it.
std::optional<std::string> TakeQuoted(std::string_view& s) {
  if (s.empty() || s.front() != '"') return std::nullopt;
  std::string out;
  for (std::size_t i = 1; i < s.size(); ++i) {
    char c = s[i];
    if (c == '\\' && i + 1 < s.size()) {
      out.push_back(s[++i]);
    } else if (c == '"') {
      s.remove_prefix(i + 1);
      return out;
    } else {
      out.push_back(c);
    }
  }
  return std::nullopt;
}

// "xx,xx,..." (spaces allowed around the commas) -> bytes.
std::optional<std::string> ParseHexBytes(std::string_view s) {
  std::string out;
  s = TrimLineBlanks(s);
  if (s.empty()) return out;
  while (true) {
    s = TrimLineBlanks(s);
    if (s.size() < 2 && !(s.size() == 1 && HexDigit(s[0]) >= 0)) return std::nullopt;
    int hi = HexDigit(s[0]);
    int lo = s.size() >= 2 ? HexDigit(s[1]) : -1;
    std::size_t used = 2;
    if (hi < 0) return std::nullopt;
    if (lo < 0) {  // a single digit
      lo = hi;
      hi = 0;
      used = 1;
    }
    out.push_back(static_cast<char>(hi * 16 + lo));
    s.remove_prefix(used);
    s = TrimLineBlanks(s);
    if (s.empty()) return out;
    if (s.front() != ',') return std::nullopt;
    s.remove_prefix(1);
  }
}

RegValue FromTypedBytes(std::uint32_t type, std::string bytes) {
  RegValue value;
  value.type = static_cast<RegType>(type);
  if (value.IsString() && !bytes.empty() && bytes.back() == '\0') bytes.pop_back();
  value.data = std::move(bytes);
  return value;
}

// The data part after '=': "text", dword:N, hex:..., hex(N):...
std::optional<RegValue> ParseData(std::string_view s) {
  s = TrimLineBlanks(s);
  if (!s.empty() && s.front() == '"') {
    auto text = TakeQuoted(s);
    if (!text || !TrimLineBlanks(s).empty()) return std::nullopt;
    return RegValue::String(std::move(*text));
  }
  if (StartsWithAscii(s, "dword:")) {
    std::string_view digits = TrimLineBlanks(s.substr(6));
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    std::uint32_t n = 0;
    for (char c : digits) {
      int d = HexDigit(c);
      if (d < 0) return std::nullopt;
      n = n * 16 + static_cast<std::uint32_t>(d);
    }
    return RegValue::Dword(n);
  }
  if (StartsWithAscii(s, "hex")) {
    s.remove_prefix(3);
    std::uint32_t type = static_cast<std::uint32_t>(RegType::Binary);
    if (!s.empty() && s.front() == '(') {
      auto close = s.find(')');
      if (close == std::string_view::npos || close < 2 || close > 9) return std::nullopt;
      std::uint32_t t = 0;
      for (char c : s.substr(1, close - 1)) {
        int d = HexDigit(c);
        if (d < 0) return std::nullopt;
        t = t * 16 + static_cast<std::uint32_t>(d);
      }
      type = t;
      s.remove_prefix(close + 1);
    }
    if (s.empty() || s.front() != ':') return std::nullopt;
    auto bytes = ParseHexBytes(s.substr(1));
    if (!bytes) return std::nullopt;
    return FromTypedBytes(type, std::move(*bytes));
  }
  return std::nullopt;
}

class Parser {
 public:
  Parser(std::string_view text, std::string_view rootName, Hive& hive)
      : text_(text), root_(RegUpper(rootName)), hive_(hive) {}

  HiveParseResult Run() {
    bool first = true;
    std::string line;
    while (NextLogicalLine(line)) {
      std::string_view l = TrimLineBlanks(line);
      if (first) {
        first = false;
        if (l == kHeader) continue;
        Bad();  // no header: still load what follows
      }
      if (l.empty()) continue;
      if (l.front() == ';') {
        Comment(l);
      } else if (l.front() == '[') {
        KeyHeader(l);
      } else if (l.front() == '"' || l.front() == '@') {
        ValueLine(l);
      } else {
        Bad();
      }
    }
    if (first) Bad();  // empty file: no header
    return result_;
  }

 private:
  // One physical line (without its line end); false at the end of the text.
  bool NextPhysicalLine(std::string_view& piece) {
    if (pos_ >= text_.size()) return false;
    auto end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    piece = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    ++lineNumber_;
    if (!piece.empty() && piece.back() == '\r') piece.remove_suffix(1);
    return true;
  }

  static bool EndsWithBackslash(std::string_view s) {
    s = TrimLineBlanks(s);
    return !s.empty() && s.back() == '\\';
  }

  static bool LooksLikeHexPiece(std::string_view s) {
    s = TrimLineBlanks(s);
    if (s.empty()) return false;
    for (char c : s)
      if (!(HexDigit(c) >= 0 || c == ',' || c == ' ' || c == '\t' || c == '\\')) return false;
    return true;
  }

  // A logical line: a hex value wrapped over several lines ("...,\" then
  // indented bytes) is joined. A piece that does not look like hex bytes is
  // not swallowed: it starts the next logical line.
  bool NextLogicalLine(std::string& out) {
    std::string_view piece;
    if (!NextPhysicalLine(piece)) return false;
    out.assign(piece);
    bool hexValue = (piece.find("=hex") != std::string_view::npos || piece.find("=HEX") != std::string_view::npos);
    while (hexValue && EndsWithBackslash(out)) {
      std::size_t savedPos = pos_, savedLine = lineNumber_;
      std::string_view next;
      if (!NextPhysicalLine(next) || !LooksLikeHexPiece(next)) {
        pos_ = savedPos;
        lineNumber_ = savedLine;
        break;
      }
      std::string_view body = TrimLineBlanks(out);
      out.assign(body.substr(0, body.size() - 1));
      out.append(TrimLineBlanks(next));
    }
    return true;
  }

  void Bad() {
    result_.damaged = true;
    ++result_.badLines;
    if (result_.firstBadLine == 0) result_.firstBadLine = lineNumber_ == 0 ? 1 : lineNumber_;
  }

  void Comment(std::string_view l) {
    if (l.substr(0, kSerialTag.size()) == kSerialTag) {
      if (auto n = ParseDecimal(l.substr(kSerialTag.size()))) hive_.RaiseSerial(*n);
    } else if (l.substr(0, kLastWriteTag.size()) == kLastWriteTag && current_) {
      if (auto n = ParseDecimal(l.substr(kLastWriteTag.size()))) hive_.SetLastWrite(*current_, *n);
    }
  }

  void KeyHeader(std::string_view l) {
    current_ = nullptr;
    auto close = l.rfind(']');
    if (close == std::string_view::npos || close + 1 != l.size()) return Bad();
    std::string_view full = l.substr(1, close - 1);
    if (!full.empty() && full.front() == '-') return;  // a deletion: nothing to load
    std::string_view rootPart = full.substr(0, full.find('\\'));
    if (RegUpper(rootPart) != root_) return Bad();
    std::string path;
    if (!NormalizeKeyPath(full.substr(rootPart.size()), path)) return Bad();
    current_ = &hive_.CreateKey(path);
  }

  void ValueLine(std::string_view l) {
    if (!current_) return Bad();
    std::string name;
    if (l.front() == '@') {
      l.remove_prefix(1);
    } else {
      auto quoted = TakeQuoted(l);
      if (!quoted) return Bad();
      name = std::move(*quoted);
    }
    l = TrimLineBlanks(l);
    if (l.empty() || l.front() != '=') return Bad();
    l.remove_prefix(1);
    if (TrimLineBlanks(l) == "-") return;  // a deletion: nothing to load
    auto value = ParseData(l);
    if (!value) return Bad();
    hive_.PutValue(*current_, name, *value);
  }

  std::string_view text_;
  std::string root_;
  Hive& hive_;
  HiveKey* current_ = nullptr;
  std::size_t pos_ = 0;
  std::size_t lineNumber_ = 0;
  HiveParseResult result_;
};

bool QuotableText(std::string_view text) {
  for (unsigned char c : text)
    if (c < 0x20 || c == 0x7F) return false;
  return true;
}

void AppendQuoted(std::string& out, std::string_view text) {
  out.push_back('"');
  for (char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
}

void AppendHex(std::string& out, std::string_view prefix, std::string_view bytes) {
  static const char* digits = "0123456789abcdef";
  out.append(prefix);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    auto b = static_cast<unsigned char>(bytes[i]);
    out.push_back(digits[b >> 4]);
    out.push_back(digits[b & 15]);
    if (i + 1 < bytes.size()) {
      out.push_back(',');
      if ((i + 1) % kHexBytesPerLine == 0) out.append("\\\n  ");
    }
  }
}

void AppendValue(std::string& out, const HiveValue& v) {
  if (v.name.empty()) {
    out.push_back('@');
  } else {
    AppendQuoted(out, v.name);
  }
  out.push_back('=');
  const RegValue& value = v.value;
  std::uint32_t number = 0;
  if (value.type == RegType::String && QuotableText(value.data)) {
    AppendQuoted(out, value.data);
  } else if (value.AsDword(number)) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "dword:%08x", number);
    out.append(buffer);
  } else if (value.type == RegType::Binary) {
    AppendHex(out, "hex:", value.data);
  } else {
    char prefix[24];
    std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(value.type));
    std::string bytes = value.data;
    if (value.IsString()) bytes.push_back('\0');
    AppendHex(out, prefix, bytes);
  }
  out.push_back('\n');
}

}  // namespace

std::string FormatHiveValue(std::string_view name, const RegValue& value) {
  std::string out;
  AppendValue(out, HiveValue{std::string(name), value});
  return out;
}

HiveParseResult ParseHiveText(std::string_view text, std::string_view rootName, Hive& hive) {
  return Parser(text, rootName, hive).Run();
}

std::string FormatHiveText(const Hive& hive, std::string_view rootName) {
  std::string out;
  out.reserve(64 + hive.ValueCount() * 40);
  out.append(kHeader).append("\n");
  out.append(kSerialTag).append(std::to_string(hive.Serial())).append("\n");
  for (const auto& [upper, key] : hive.Keys()) {
    out.append("\n[").append(rootName);
    if (!key.path.empty()) out.append("\\").append(key.path);
    out.append("]\n");
    if (key.lastWrite != 0) out.append(kLastWriteTag).append(std::to_string(key.lastWrite)).append("\n");
    for (const auto& v : key.values) AppendValue(out, v);
  }
  return out;
}

}  // namespace vz::platform
