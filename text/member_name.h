#pragma once
#include <string_view>

namespace qv::text {

// Whether a stored member name may be written into the destination folder:
// it must name one file right inside that folder. Empty, ".", ".." and any
// name holding "/" are refused, so a hostile package can never reach outside
// the folder or into a subfolder.
bool is_safe_member_name(std::string_view name);

}  // namespace qv::text
