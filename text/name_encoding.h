#pragma once
// Member names are stored as the packing system gave them: UTF-8 from Linux,
// code page 936 (GBK) from Chinese Windows. These conversions turn stored
// names into UTF-8 file names and, for recipients on Chinese Windows, UTF-8
// names into GBK.
#include <optional>
#include <string>
#include <string_view>

namespace qv::text {

enum class NameEncoding {
  automatic,  // reading: UTF-8 as it stands, else GB18030 converted, else as stored; writing: as given
  raw,        // as stored, both ways
  gbk,        // reading: every name from GB18030; writing: every name into GBK
};

bool is_valid_utf8(std::string_view text);

// The name to use for a stored member name. A name that cannot be converted
// is used as stored.
std::string name_from_package(std::string_view stored, NameEncoding encoding);

// The name to store for a file's base name; nothing when the encoding
// cannot hold it.
std::optional<std::string> name_for_package(std::string_view name, NameEncoding encoding);

// `text` converted between two iconv encodings; nothing when any of it does
// not convert.
std::optional<std::string> convert_encoding(std::string_view text, const char* from, const char* to);

}  // namespace qv::text
