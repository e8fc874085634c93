#include "text/path.h"

namespace qv::text {

std::string base_name(std::string_view path) {
  const auto last = path.rfind(kSeparator);
  return std::string(last == std::string_view::npos ? path : path.substr(last + 1));
}

std::string folder_part(std::string_view path) {
  const auto last = path.rfind(kSeparator);
  return last == std::string_view::npos ? std::string() : std::string(path.substr(0, last + 1));
}

}  // namespace qv::text
