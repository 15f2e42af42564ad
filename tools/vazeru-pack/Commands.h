#pragma once
// The four commands of vazeru-pack. Each returns the exit status: 0 only on
// success; faults are reported on stderr as one line each.
#include <string>
#include <vector>

#include "TerminalDialogs.h"

namespace vz::pack {

struct Options {
  AnswerPolicy policy = AnswerPolicy::Ask;
  int threads = 0;  // 0: as many as useful (at most 2)
  bool verbose = false;
};

int CreateCommand(const std::string& archive, const std::vector<std::string>& files, const Options& options);
int ListCommand(const std::string& archive, const Options& options);
int ExtractCommand(const std::string& archive, const std::string& destination, const std::string& name,
                   const Options& options);
int TestCommand(const std::string& archive, const Options& options);

}  // namespace vz::pack
