#include "platform/testing/PeImageBuilder.h"

namespace vz::platform::testing {

namespace {

void Put16(std::string& out, std::uint32_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
void Set32(std::string& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
void Set16(std::string& out, std::size_t at, std::uint32_t v) {
  out[at] = static_cast<char>(v & 0xFF);
  out[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void Pad4(std::string& out) {
  while (out.size() % 4) out.push_back('\0');
}

// UTF-8 -> UTF-16LE code units (with surrogate pairs).
std::u16string Utf16(const std::string& text) {
  std::u16string out;
  for (std::size_t i = 0; i < text.size();) {
    auto c = static_cast<unsigned char>(text[i]);
    std::uint32_t cp = c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    if (extra) cp = c & (0x3F >> extra);
    for (int k = 1; k <= extra && i + k < text.size(); ++k) cp = (cp << 6) | (text[i + k] & 0x3F);
    i += 1 + extra;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

void PutUtf16z(std::string& out, const std::u16string& text) {
  for (char16_t c : text) Put16(out, c);
  Put16(out, 0);
}

// One node: header, key, padding, value, padding, children (each 4-aligned).
std::string Node(const std::string& key, std::uint16_t type, const std::string& value, std::uint16_t valueLength,
                 const std::vector<std::string>& children) {
  std::string out(6, '\0');
  PutUtf16z(out, Utf16(key));
  Pad4(out);
  out += value;
  for (const auto& child : children) {
    Pad4(out);
    out += child;
  }
  Set16(out, 0, static_cast<std::uint32_t>(out.size()));
  Set16(out, 2, valueLength);
  Set16(out, 4, type);
  return out;
}

std::string FixedFileInfo() {
  std::string out;
  Put32(out, 0xFEEF04BD);  // signature
  Put32(out, 0x00010000);  // structure version
  for (int i = 0; i < 11; ++i) Put32(out, 0);
  return out;
}

}  // namespace

std::string BuildVersionBlock(const VersionResourceLayout& layout) {
  std::vector<std::string> strings;
  for (const auto& [key, text] : layout.strings) {
    std::u16string wide = Utf16(text);
    std::string value;
    PutUtf16z(value, wide);
    auto length = static_cast<std::uint16_t>(layout.valueLengthInBytes ? value.size() : wide.size() + 1);
    strings.push_back(Node(key, 1, value, length, {}));
  }
  std::string table = Node(layout.table, 1, "", 0, strings);
  std::string stringFileInfo = Node("StringFileInfo", 1, "", 0, {table});
  std::string translation;
  for (auto t : layout.translations) Put32(translation, t);
  std::string var = Node("Translation", 0, translation, static_cast<std::uint16_t>(translation.size()), {});
  std::string varFileInfo = Node("VarFileInfo", 1, "", 0, {var});
  std::string fixed = FixedFileInfo();
  return Node("VS_VERSION_INFO", 0, fixed, static_cast<std::uint16_t>(fixed.size()), {stringFileInfo, varFileInfo});
}

std::string BuildPeImage(const std::optional<std::string>& versionBlock, bool pe32Plus) {
  constexpr std::uint32_t kSectionRva = 0x1000, kSectionFileOffset = 0x200;
  // The resource section: root directory (icon, and version when present),
  // one name level and one language level per type, data entries, data.
  std::string rsrc;
  auto directory = [&](std::vector<std::pair<std::uint32_t, std::uint32_t>> entries) {
    std::size_t at = rsrc.size();
    Put32(rsrc, 0);
    Put32(rsrc, 0);
    Put16(rsrc, 0);
    Put16(rsrc, 0);
    Put16(rsrc, 0);
    Put16(rsrc, static_cast<std::uint32_t>(entries.size()));
    for (auto [id, target] : entries) {
      Put32(rsrc, id);
      Put32(rsrc, target);
    }
    return at;
  };
  struct Leaf {
    std::uint32_t type;
    std::string data;
  };
  std::vector<Leaf> leaves = {{3, std::string(40, '\x11')}};  // an icon
  if (versionBlock) leaves.push_back({16, *versionBlock});
  std::size_t root = directory(std::vector<std::pair<std::uint32_t, std::uint32_t>>(leaves.size(), {0, 0}));
  std::vector<std::size_t> dataEntries;
  for (std::size_t i = 0; i < leaves.size(); ++i) {
    std::size_t nameDir = directory({{1, 0}});
    std::size_t langDir = directory({{0x409, 0}});
    Set32(rsrc, root + 16 + i * 8, leaves[i].type);
    Set32(rsrc, root + 16 + i * 8 + 4, 0x80000000u | static_cast<std::uint32_t>(nameDir));
    Set32(rsrc, nameDir + 16 + 4, 0x80000000u | static_cast<std::uint32_t>(langDir));
    dataEntries.push_back(rsrc.size());
    Set32(rsrc, langDir + 16 + 4, static_cast<std::uint32_t>(rsrc.size()));
    rsrc.append(16, '\0');
  }
  for (std::size_t i = 0; i < leaves.size(); ++i) {
    Pad4(rsrc);
    Set32(rsrc, dataEntries[i], kSectionRva + static_cast<std::uint32_t>(rsrc.size()));
    Set32(rsrc, dataEntries[i] + 4, static_cast<std::uint32_t>(leaves[i].data.size()));
    rsrc += leaves[i].data;
  }
  while (rsrc.size() % 0x200) rsrc.push_back('\0');

  std::string image(0x40, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  Set32(image, 0x3C, 0x40);
  image += std::string("PE\0\0", 4);
  const std::uint32_t optionalSize = pe32Plus ? 240 : 224;
  Put16(image, pe32Plus ? 0x8664 : 0x14C);  // machine
  Put16(image, 1);                          // sections
  Put32(image, 0);
  Put32(image, 0);
  Put32(image, 0);
  Put16(image, optionalSize);
  Put16(image, 0x0102);
  std::size_t opt = image.size();
  image.append(optionalSize, '\0');
  Set16(image, opt, pe32Plus ? 0x20B : 0x10B);
  std::size_t dirCountAt = opt + (pe32Plus ? 108 : 92);
  Set32(image, dirCountAt, 16);
  Set32(image, dirCountAt + 4 + 2 * 8, kSectionRva);
  Set32(image, dirCountAt + 4 + 2 * 8 + 4, static_cast<std::uint32_t>(rsrc.size()));
  std::string section(".rsrc\0\0\0", 8);
  Put32(section, static_cast<std::uint32_t>(rsrc.size()));  // virtual size
  Put32(section, kSectionRva);
  Put32(section, static_cast<std::uint32_t>(rsrc.size()));  // raw size
  Put32(section, kSectionFileOffset);
  section.append(12, '\0');
  Put32(section, 0x40000040);
  image += section;
  image.resize(kSectionFileOffset, '\0');
  image += rsrc;
  return image;
}

}  // namespace vz::platform::testing
