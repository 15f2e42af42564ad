#pragma once
// The single-byte upper-case table every case-insensitive comparison uses: the
// Windows-1252 code page's upper-casing, fixed in code so that results never
// depend on the machine's locale.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vz::knowledge {

namespace detail {
constexpr std::array<std::uint8_t, 256> MakeUpperCaseTable() {
  std::array<std::uint8_t, 256> table{};
  for (int c = 0; c < 256; ++c) table[c] = static_cast<std::uint8_t>(c);
  for (int c = 'a'; c <= 'z'; ++c) table[c] = static_cast<std::uint8_t>(c - 0x20);
  // Accented small letters à..þ, except the division sign 0xF7.
  for (int c = 0xE0; c <= 0xFE; ++c)
    if (c != 0xF7) table[c] = static_cast<std::uint8_t>(c - 0x20);
  table[0x9A] = 0x8A;  // š -> Š
  table[0x9C] = 0x8C;  // œ -> Œ
  table[0x9E] = 0x8E;  // ž -> Ž
  table[0xFF] = 0x9F;  // ÿ -> Ÿ
  return table;
}
}  // namespace detail

inline constexpr std::array<std::uint8_t, 256> kUpperCase = detail::MakeUpperCaseTable();

inline char UpperChar(char c) { return static_cast<char>(kUpperCase[static_cast<std::uint8_t>(c)]); }

std::string UpperCaseText(std::string_view text);

// True when both texts are equal after upper-casing.
bool SameTextIgnoringCase(std::string_view a, std::string_view b);

}  // namespace vz::knowledge
