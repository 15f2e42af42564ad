// vazeru-pack: creates, lists, extracts and tests .pck data archives.
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "Commands.h"

namespace {

constexpr const char* kUsage =
    "usage: vazeru-pack [options] create ARCHIVE FILE...\n"
    "       vazeru-pack [options] list ARCHIVE\n"
    "       vazeru-pack [options] extract ARCHIVE DEST [NAME]\n"
    "       vazeru-pack [options] test ARCHIVE\n"
    "options: --yes | --no     answer every question Yes (or No)\n"
    "         --threads N      threads that expand blocks (default: up to 2)\n"
    "         --verbose        print the archive manager's log lines\n";

int Usage(const std::string& problem) {
  std::cerr << "vazeru-pack: " << problem << "\n" << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  vz::pack::Options options;
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--yes") {
      options.policy = vz::pack::AnswerPolicy::Yes;
    } else if (a == "--no") {
      options.policy = vz::pack::AnswerPolicy::No;
    } else if (a == "--verbose") {
      options.verbose = true;
    } else if (a == "--threads" && i + 1 < argc) {
      options.threads = std::atoi(argv[++i]);
      if (options.threads < 1 || options.threads > 16) return Usage("--threads takes 1 to 16");
    } else if (a == "--help" || a == "-h") {
      std::cout << kUsage;
      return 0;
    } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
      return Usage("unknown option " + a);
    } else {
      args.push_back(a);
    }
  }
  if (args.empty()) return Usage("no command");
  const std::string& command = args[0];
  if (command == "create" && args.size() >= 2)
    return vz::pack::CreateCommand(args[1], {args.begin() + 2, args.end()}, options);
  if (command == "list" && args.size() == 2) return vz::pack::ListCommand(args[1], options);
  if (command == "extract" && (args.size() == 3 || args.size() == 4))
    return vz::pack::ExtractCommand(args[1], args[2], args.size() == 4 ? args[3] : "", options);
  if (command == "test" && args.size() == 2) return vz::pack::TestCommand(args[1], options);
  return Usage("bad command line");
}
