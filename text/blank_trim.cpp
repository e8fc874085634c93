#include "text/blank_trim.h"

namespace qv::text {
namespace {

constexpr std::string_view kAsciiBlank = " ";
constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";  // U+3000 in UTF-8

// The length of the blank that `text` starts with, 0 when it starts with none.
std::size_t leading_blank(std::string_view text) {
  for (auto blank : {kAsciiBlank, kIdeographicSpace}) {
    if (text.starts_with(blank)) return blank.size();
  }
  return 0;
}

std::size_t trailing_blank(std::string_view text) {
  for (auto blank : {kAsciiBlank, kIdeographicSpace}) {
    if (text.ends_with(blank)) return blank.size();
  }
  return 0;
}

}  // namespace

std::string blank_trim(std::string_view text) {
  while (const auto n = leading_blank(text)) text.remove_prefix(n);
  while (const auto n = trailing_blank(text)) text.remove_suffix(n);
  return std::string(text);
}

}  // namespace qv::text
