#include "platform/VersionInfo.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/AppFolder.h"
#include "platform/PlainText.h"

namespace vz::platform {

namespace {

constexpr std::uint32_t kRtVersion = 16;
constexpr std::uint32_t kVersionResourceId = 1;
constexpr std::uint32_t kMaxSections = 96;
constexpr std::uint32_t kMaxDirectoryEntries = 4096;
constexpr std::uint32_t kMaxVersionBlock = 0x10000;  // wLength is 16 bits
constexpr std::uint32_t kResourceDirectoryIndex = 2;

std::uint16_t U16(std::string_view b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8));
}
std::uint32_t U32(std::string_view b, std::size_t at) {
  return static_cast<std::uint32_t>(U16(b, at)) | (static_cast<std::uint32_t>(U16(b, at + 2)) << 16);
}

struct Section {
  std::uint32_t virtualAddress, virtualSize, rawSize, rawOffset;
};

class PeImage {
 public:
  explicit PeImage(const ByteReader& read) : read_(read) {}

  bool LoadHeaders() {
    std::string dos;
    if (!read_(0, 64, dos) || dos[0] != 'M' || dos[1] != 'Z') return false;
    std::uint32_t peOffset = U32(dos, 0x3C);
    std::string coff;
    if (!read_(peOffset, 24, coff) || coff.compare(0, 4, std::string("PE\0\0", 4)) != 0) return false;
    std::uint16_t sectionCount = U16(coff, 6);
    std::uint16_t optionalSize = U16(coff, 20);
    if (sectionCount == 0 || sectionCount > kMaxSections) return false;
    std::string opt;
    if (optionalSize < 2 || !read_(peOffset + 24ull, optionalSize, opt)) return false;
    std::uint16_t magic = U16(opt, 0);
    std::size_t dirCountAt = magic == 0x10B ? 92 : magic == 0x20B ? 108 : 0;
    if (dirCountAt == 0 || dirCountAt + 4 > opt.size()) return false;
    std::uint32_t dirCount = U32(opt, dirCountAt);
    std::size_t dirAt = dirCountAt + 4 + kResourceDirectoryIndex * 8;
    if (dirCount <= kResourceDirectoryIndex || dirAt + 8 > opt.size()) return false;
    resourceRva_ = U32(opt, dirAt);
    if (resourceRva_ == 0 || U32(opt, dirAt + 4) == 0) return false;
    std::string table;
    if (!read_(peOffset + 24ull + optionalSize, sectionCount * 40u, table)) return false;
    for (std::size_t i = 0; i < sectionCount; ++i) {
      std::size_t at = i * 40;
      sections_.push_back({U32(table, at + 12), U32(table, at + 8), U32(table, at + 16), U32(table, at + 20)});
    }
    return true;
  }

  // Bytes at a virtual address, from one section's file data.
  bool ReadRva(std::uint64_t rva, std::size_t size, std::string& out) const {
    for (const auto& s : sections_) {
      std::uint64_t span = std::max(s.virtualSize, s.rawSize);
      if (rva < s.virtualAddress || rva >= s.virtualAddress + span) continue;
      std::uint64_t within = rva - s.virtualAddress;
      if (within + size > s.rawSize) return false;
      return read_(s.rawOffset + within, size, out);
    }
    return false;
  }

  // The first data entry of the RT_VERSION subtree: (rva, size).
  bool FindVersionResource(std::uint32_t& dataRva, std::uint32_t& dataSize) const {
    std::uint32_t dir = 0;  // offsets are relative to the resource directory
    for (int level = 0; level < 3; ++level) {
      std::string header;
      if (!ReadRva(static_cast<std::uint64_t>(resourceRva_) + dir, 16, header)) return false;
      std::uint32_t named = U16(header, 12), ids = U16(header, 14);
      std::uint32_t count = std::min<std::uint32_t>(named + ids, kMaxDirectoryEntries);
      if (count == 0) return false;
      // Type level: the entry RT_VERSION. Name level: the resource with id 1
      // (VS_VERSION_INFO), else the first. Language level: the first.
      std::uint32_t pick = 0;
      std::string entry;
      if (level < 2) {
        std::uint32_t wanted = level == 0 ? kRtVersion : kVersionResourceId;
        bool found = false;
        for (std::uint32_t i = std::min(named, count); i < count && !found; ++i) {
          if (!ReadRva(static_cast<std::uint64_t>(resourceRva_) + dir + 16 + i * 8ull, 8, entry)) return false;
          if (U32(entry, 0) == wanted) {
            found = true;
            pick = i;
          }
        }
        if (!found && level == 0) return false;
      }
      if (!ReadRva(static_cast<std::uint64_t>(resourceRva_) + dir + 16 + pick * 8ull, 8, entry)) return false;
      std::uint32_t target = U32(entry, 4);
      bool isDirectory = (target & 0x80000000u) != 0;
      if (level < 2 && !isDirectory) return false;
      if (level == 2 && isDirectory) return false;
      dir = target & 0x7FFFFFFFu;
    }
    std::string data;
    if (!ReadRva(static_cast<std::uint64_t>(resourceRva_) + dir, 16, data)) return false;
    dataRva = U32(data, 0);
    dataSize = U32(data, 4);
    return true;
  }

 private:
  const ByteReader& read_;
  std::uint32_t resourceRva_ = 0;
  std::vector<Section> sections_;
};

// One node of the version information tree.
struct Node {
  std::size_t start = 0, end = 0;  // the node's bytes within the block
  std::size_t keyStart = 0, keyChars = 0;  // the UTF-16 name, without its NUL
  std::size_t valueStart = 0, valueEnd = 0;
  std::size_t childrenStart = 0;
  std::uint16_t type = 0;
};

std::size_t Align4(std::size_t n) { return (n + 3) & ~static_cast<std::size_t>(3); }

bool ReadNode(std::string_view block, std::size_t start, std::size_t limit, Node& node) {
  if (start + 6 > limit) return false;
  std::size_t length = U16(block, start);
  if (length < 6 || start + length > limit) return false;
  node.start = start;
  node.end = start + length;
  std::uint16_t valueLength = U16(block, start + 2);
  node.type = U16(block, start + 4);
  node.keyStart = start + 6;
  std::size_t at = node.keyStart;
  for (;; at += 2) {
    if (at + 2 > node.end) return false;
    if (block[at] == 0 && block[at + 1] == 0) break;
  }
  node.keyChars = (at - node.keyStart) / 2;
  node.valueStart = std::min(Align4(at + 2), node.end);
  std::size_t valueBytes = node.type == 1 ? valueLength * 2u : valueLength;
  node.valueEnd = std::min(node.valueStart + valueBytes, node.end);
  node.childrenStart = std::min(Align4(node.valueEnd), node.end);
  return true;
}

bool KeyEquals(std::string_view block, const Node& node, std::string_view name) {
  if (node.keyChars != name.size()) return false;
  for (std::size_t i = 0; i < node.keyChars; ++i) {
    char16_t a = U16(block, node.keyStart + 2 * i);
    char b = name[i];
    if (a > 0x7F) return false;
    if (AsciiUpper(static_cast<char>(a)) != AsciiUpper(b)) return false;
  }
  return true;
}

bool FindChild(std::string_view block, const Node& parent, std::string_view name, Node& child) {
  std::size_t at = parent.childrenStart;
  while (at + 6 <= parent.end) {
    if (!ReadNode(block, at, parent.end, child)) return false;
    if (KeyEquals(block, child, name)) return true;
    at = Align4(child.end);
  }
  return false;
}

// Follows a path of names from the root node.
bool Navigate(std::string_view block, std::string_view subBlock, Node& node) {
  if (!ReadNode(block, 0, block.size(), node)) return false;
  std::size_t at = 0;
  while (at < subBlock.size()) {
    while (at < subBlock.size() && subBlock[at] == '\\') ++at;
    if (at == subBlock.size()) break;
    std::size_t end = subBlock.find('\\', at);
    if (end == std::string_view::npos) end = subBlock.size();
    Node child;
    if (!FindChild(block, node, subBlock.substr(at, end - at), child)) return false;
    node = child;
    at = end;
  }
  return true;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// UTF-16LE bytes up to the first NUL -> UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes) {
  std::string out;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    std::uint32_t c = U16(bytes, i);
    if (c == 0) break;
    if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size()) {
      std::uint32_t low = U16(bytes, i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    AppendUtf8(out, c >= 0xD800 && c <= 0xDFFF ? 0xFFFD : c);
  }
  return out;
}

}  // namespace

std::string& VersionInfoField(FileVersionInfo& info, int index) {
  std::string* fields[10] = {&info.CompanyName,    &info.FileDescription,  &info.FileVersion, &info.InternalName,
                             &info.LegalCopyRight, &info.LegalTradeMark,   &info.OriginalFileName,
                             &info.ProductName,    &info.ProductVersion,   &info.Comments};
  return *fields[index];
}

std::optional<std::string> ExtractVersionBlock(const ByteReader& read) {
  PeImage image(read);
  std::uint32_t rva = 0, size = 0;
  if (!image.LoadHeaders() || !image.FindVersionResource(rva, size)) return std::nullopt;
  if (size < 6) return std::nullopt;
  std::string block;
  if (!image.ReadRva(rva, std::min(size, kMaxVersionBlock), block)) return std::nullopt;
  Node root;
  if (!ReadNode(block, 0, block.size(), root) || !KeyEquals(block, root, "VS_VERSION_INFO")) return std::nullopt;
  return block;
}

std::optional<std::string> ExtractVersionBlock(std::string_view image) {
  ByteReader read = [image](std::uint64_t offset, std::size_t size, std::string& out) {
    if (offset > image.size() || size > image.size() - offset) return false;
    out.assign(image.substr(static_cast<std::size_t>(offset), size));
    return true;
  };
  return ExtractVersionBlock(read);
}

std::optional<std::string_view> QueryVersionValue(std::string_view block, std::string_view subBlock) {
  Node node;
  if (!Navigate(block, subBlock, node)) return std::nullopt;
  return block.substr(node.valueStart, node.valueEnd - node.valueStart);
}

std::optional<std::uint32_t> QueryFirstTranslation(std::string_view block) {
  auto value = QueryVersionValue(block, "\\VarFileInfo\\Translation");
  if (!value || value->size() < 4) return std::nullopt;
  return U32(*value, 0);
}

std::optional<std::string> QueryVersionString(std::string_view block, std::string_view subBlock) {
  // Writers disagree on whether a string's length counts bytes or characters,
  // so the text runs to its NUL or the end of its node.
  Node node;
  if (!Navigate(block, subBlock, node)) return std::nullopt;
  return Utf16ToUtf8(block.substr(node.valueStart, node.end - node.valueStart));
}

FileVersionInfo VersionInfoFromBlock(std::string_view block) {
  FileVersionInfo info;
  auto translation = QueryFirstTranslation(block);
  if (!translation) return info;
  char table[9];
  std::snprintf(table, sizeof table, "%04X%04X", *translation & 0xFFFFu, *translation >> 16);
  std::string prefix = std::string("\\StringFileInfo\\") + table + "\\";
  for (int i = 0; i < 10; ++i) {
    auto text = QueryVersionString(block, prefix + kVersionInfoKeys[i]);
    if (text) VersionInfoField(info, i) = std::move(*text);
  }
  return info;
}

FileVersionInfo ReadVersionInfo(const std::string& path) {
  auto block = GetFileVersionInfoBlock(path.empty() ? OwnExecutablePath() : path);
  return block ? VersionInfoFromBlock(*block) : FileVersionInfo{};
}

}  // namespace vz::platform
