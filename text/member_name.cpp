#include "text/member_name.h"

#include "text/path.h"

namespace qv::text {

bool is_safe_member_name(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find(kSeparator) == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

}  // namespace qv::text
