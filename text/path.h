#pragma once
// Path pieces as the tool uses them: the base name names a member, the folder
// part fills the pack page's path box. Paths are UTF-8 byte strings and "/" is
// the only separator; no byte of a multi-byte UTF-8 character equals "/", so a
// plain byte search finds every separator.
#include <string>
#include <string_view>

namespace qv::text {

inline constexpr char kSeparator = '/';

// The bytes after the last "/": the whole path when there is none, and an
// empty text when the path ends in "/".
std::string base_name(std::string_view path);

// The path up to and including its last "/"; empty when there is none.
std::string folder_part(std::string_view path);

}  // namespace qv::text
