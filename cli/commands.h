#pragma once
#include <string>
#include <vector>

#include "text/name_encoding.h"

namespace qv::cli {

// Exit codes shared by every subcommand.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// What every job command takes besides its arguments.
struct JobOptions {
  text::NameEncoding names = text::NameEncoding::automatic;
  bool quiet = false;     // no log on standard output
  bool progress = true;   // a progress line on standard error when it is a terminal
};

int pack_command(const std::string& package, const std::vector<std::string>& files, const JobOptions& options);
int unpack_command(const std::string& folder, const std::vector<std::string>& packages, const JobOptions& options);
int list_command(const std::string& package, text::NameEncoding names);

}  // namespace qv::cli
