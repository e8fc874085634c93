#pragma once
// Runs a program as a user would, from a given folder, with no standard
// input, and collects what it printed.
#include <string>
#include <vector>

namespace qv::testing {

struct CommandResult {
  int exit_code = -1;  // -1 when it did not exit normally
  std::string out;
  std::string err;
};

CommandResult run_command(const std::vector<std::string>& argv, const std::string& folder);

}  // namespace qv::testing
