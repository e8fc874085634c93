#pragma once
#include <string>
#include <vector>

namespace qv::cli {

// Exit codes shared by every subcommand.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

int pack_command(const std::string& package, const std::vector<std::string>& files);
int unpack_command(const std::string& folder, const std::vector<std::string>& packages);
int list_command(const std::string& package);

}  // namespace qv::cli
