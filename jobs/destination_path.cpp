#include "jobs/destination_path.h"

#include <unistd.h>

#include <array>

#include "text/blank_trim.h"
#include "text/path.h"

namespace qv::jobs {

std::string destination_path(std::string_view given_name, std::string_view home_folder) {
  std::string path = text::blank_trim(given_name);
  if (given_name.find(text::kSeparator) == std::string_view::npos) {
    path = std::string(home_folder) + text::kSeparator + path;
  }
  constexpr std::string_view kExtension = ".ZVK";
  if (!std::string_view(path).ends_with(kExtension)) path += kExtension;
  return path;
}

std::string program_folder() {
  std::array<char, 4096> buffer{};
  const auto n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) return {};
  const auto folder = text::folder_part(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
  return folder.size() > 1 ? folder.substr(0, folder.size() - 1) : folder;
}

}  // namespace qv::jobs
