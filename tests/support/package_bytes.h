#pragma once
// Packages built byte by byte, so that tests can make damaged and hostile
// ones that the writer would never produce.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qv::testing {

struct Member {
  std::string name;
  std::string contents;
};

inline const std::string kMarkerBytes("\xD7\xF7\xD5\xDF:Tenvari\0", 13);

inline std::string package_bytes(const std::vector<Member>& members, std::optional<std::string> count_text = {},
                                 bool with_marker = true) {
  std::string bytes = count_text.value_or(std::to_string(members.size()));
  bytes += '\0';
  for (const auto& m : members) {
    const auto n = static_cast<std::uint32_t>(m.contents.size());
    bytes += {static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16), static_cast<char>(n >> 24)};
    bytes += m.contents;
  }
  for (const auto& m : members) bytes += m.name + '\0';
  if (with_marker) bytes += kMarkerBytes;
  return bytes;
}

// The names in a folder, sorted; temporary files included.
inline std::vector<std::string> folder_names(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace qv::testing
