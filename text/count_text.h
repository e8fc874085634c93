#pragma once
// The count text is a package's first record: its member count in decimal.
// Packages written on Chinese Windows may carry full-width digits in code page
// 936, so reading narrows those before the number is read.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qv::text {

// The count as written: decimal digits, a "-" before a negative value.
std::string number_to_text(std::int64_t value);

// Turns the code-page-936 full-width forms (A3A1..A3FE, the ideographic space
// A1A1, A1AB and A1EE/A1EF) into their ASCII forms; other double-byte
// characters stay, and a lone lead byte at the end is dropped.
std::string narrow_full_width(std::string_view text);

// The decimal number at the start of the narrowed text, with "." as the only
// decimal point whatever the locale, and "e", "E", "d" or "D" before an
// exponent. Reading stops at the first byte that does not fit; no digit gives
// 0. Too large a value gives an infinity.
double count_text_value(std::string_view text);

// The member count that a count text stands for: its value truncated toward
// zero, or nothing when that lies outside 0 to 2,147,483,647.
std::optional<std::int32_t> member_count(std::string_view count_text);

}  // namespace qv::text
