#pragma once
#include <string>
#include <string_view>

namespace qv::text {

// Removes every leading and trailing blank: the ASCII space and the
// ideographic space U+3000. Tabs, line breaks and everything else stay, so a
// name typed with odd white space is kept as typed apart from its blanks.
std::string blank_trim(std::string_view text);

}  // namespace qv::text
