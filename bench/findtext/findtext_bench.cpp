// FindText throughput on a 20 MB joined list text, beside glibc memmem (exact
// case, the floor), strcasestr and std::boyer_moore_horspool_searcher with a
// case-folding predicate, all measured in this run. The pattern is TAB, a
// 12-character file name, TAB: once absent, once present near the end.
#include <strings.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>

#include "knowledge/FindText.h"
#include "knowledge/UpperCase.h"

namespace {

using vz::knowledge::FindTextPath;

constexpr std::size_t kTextSize = 20u << 20;

std::string RandomWord(std::mt19937& random, int length) {
  static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string word;
  for (int i = 0; i < length; ++i) word += letters[random() % 36];
  return word;
}

// Lines shaped like the known list: marker, display name, file name, description.
std::string MakeListText(std::mt19937& random) {
  std::string text;
  text.reserve(kTextSize + 256);
  while (text.size() < kTextSize) {
    std::string name = RandomWord(random, 4 + static_cast<int>(random() % 8));
    text += (random() % 20 == 0 ? "X\t" : "A\t");
    text += "Program " + name + "\t" + name + ".exe\t";
    text += "Part of the " + RandomWord(random, 6) + " suite, starts with the desktop session\r\n";
  }
  return text;
}

struct Fold {
  bool operator()(char a, char b) const { return vz::knowledge::UpperChar(a) == vz::knowledge::UpperChar(b); }
};
struct FoldHash {
  std::size_t operator()(char c) const { return static_cast<unsigned char>(vz::knowledge::UpperChar(c)); }
};

// Best of several runs; returns GB/s over the bytes up to the match (or all).
double Measure(const std::function<std::size_t()>& search, std::size_t expected, std::size_t textSize, int repeats) {
  double best = 1e30;
  for (int r = 0; r < repeats; ++r) {
    const auto start = std::chrono::steady_clock::now();
    const std::size_t found = search();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (found != expected) {
      std::printf("  wrong result: %zu, expected %zu\n", found, expected);
      return 0;
    }
    best = std::min(best, seconds);
  }
  const std::size_t scanned = expected == 0 ? textSize : expected;
  return static_cast<double>(scanned) / best / 1e9;
}

void RunCase(const char* title, const std::string& text, const std::string& exactPattern) {
  const std::string folded = vz::knowledge::UpperCaseText(exactPattern);
  const std::size_t expected = vz::knowledge::FindText(folded, text, 1);
  std::printf("%s (pattern %zu bytes, %s)\n", title, exactPattern.size(),
              expected ? ("found at " + std::to_string(expected)).c_str() : "absent");
  auto row = [](const char* name, double gbps) { std::printf("  %-44s %7.2f GB/s\n", name, gbps); };

  row("FindText (ignoring case)", Measure([&] { return vz::knowledge::FindText(folded, text, 1); }, expected, text.size(), 7));
  for (auto [path, name] : {std::pair{FindTextPath::Avx2, "  FindText, AVX2 path"}, std::pair{FindTextPath::Sse2, "  FindText, SSE2 path"},
                            std::pair{FindTextPath::Horspool, "  FindText, Horspool path"}}) {
    if (!vz::knowledge::IsFindTextPathAvailable(path)) continue;
    row(name, Measure([&] { return vz::knowledge::FindTextUsing(path, folded, text, 1); }, expected, text.size(), 5));
  }
  row("memmem (exact case)", Measure([&]() -> std::size_t {
        const void* at = ::memmem(text.data(), text.size(), exactPattern.data(), exactPattern.size());
        return at ? static_cast<std::size_t>(static_cast<const char*>(at) - text.data()) + 1 : 0;
      }, expected, text.size(), 7));
  row("strcasestr", Measure([&]() -> std::size_t {
        const char* at = ::strcasestr(text.c_str(), folded.c_str());
        return at ? static_cast<std::size_t>(at - text.c_str()) + 1 : 0;
      }, expected, text.size(), 3));
  const std::boyer_moore_horspool_searcher searcher(folded.begin(), folded.end(), FoldHash{}, Fold{});
  row("std::boyer_moore_horspool_searcher (folding)", Measure([&]() -> std::size_t {
        const auto at = std::search(text.begin(), text.end(), searcher);
        return at == text.end() ? 0 : static_cast<std::size_t>(at - text.begin()) + 1;
      }, expected, text.size(), 2));
}

}  // namespace

int main() {
  std::mt19937 random(7);
  std::string text = MakeListText(random);
  const std::string present = "\tspoolsv3.exe\t";
  // The wanted entry sits near the end, as a late update line would.
  const std::string entry = "X\tPrint spooler worm" + present + "dropped copy\r\n";
  text.insert(text.size() - text.size() / 100, entry);
  std::printf("FindText benchmark: %.1f MB joined list text, best path on this machine: %s\n",
              static_cast<double>(text.size()) / (1 << 20),
              vz::knowledge::BestFindTextPath() == FindTextPath::Avx2   ? "AVX2"
              : vz::knowledge::BestFindTextPath() == FindTextPath::Sse2 ? "SSE2"
                                                                        : "Horspool");
  RunCase("Absent TAB+name+TAB", text, "\tsvchost2.exe\t");
  RunCase("Present near the end", text, present);
  return 0;
}
