#include "text/name_encoding.h"

#include <iconv.h>

#include <cerrno>

namespace qv::text {
namespace {

constexpr const char* kUtf8 = "UTF-8";
// GB18030 decodes everything GBK (code page 936) encodes, and more.
constexpr const char* kWindowsChinese = "GB18030";
constexpr const char* kGbk = "GBK";

// The length of the UTF-8 sequence that starts with `lead`, 0 when it is no lead byte.
std::size_t sequence_length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

}  // namespace

bool is_valid_utf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const auto length = sequence_length(lead);
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    if (length > 2) {
      // No overlong forms, no surrogates, nothing past U+10FFFF.
      const auto second = static_cast<unsigned char>(text[i + 1]);
      if (lead == 0xE0 && second < 0xA0) return false;
      if (lead == 0xED && second > 0x9F) return false;
      if (lead == 0xF0 && second < 0x90) return false;
      if (lead == 0xF4 && second > 0x8F) return false;
    }
    i += length;
  }
  return true;
}

std::optional<std::string> convert_encoding(std::string_view text, const char* from, const char* to) {
  const iconv_t converter = ::iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out(text.size() * 4 + 16, '\0');
  char* in_ptr = const_cast<char*>(text.data());
  std::size_t in_left = text.size();
  char* out_ptr = out.data();
  std::size_t out_left = out.size();
  // Every input byte becomes at most four output bytes, so the output never
  // runs out of room; any other stop is a byte that does not convert.
  const auto result = ::iconv(converter, &in_ptr, &in_left, &out_ptr, &out_left);
  const bool whole = result != static_cast<std::size_t>(-1) && in_left == 0 &&
                     ::iconv(converter, nullptr, nullptr, &out_ptr, &out_left) != static_cast<std::size_t>(-1);
  ::iconv_close(converter);
  if (!whole) return std::nullopt;
  out.resize(out.size() - out_left);
  return out;
}

std::string name_from_package(std::string_view stored, NameEncoding encoding) {
  if (encoding == NameEncoding::raw) return std::string(stored);
  if (encoding == NameEncoding::automatic && is_valid_utf8(stored)) return std::string(stored);
  return convert_encoding(stored, kWindowsChinese, kUtf8).value_or(std::string(stored));
}

std::optional<std::string> name_for_package(std::string_view name, NameEncoding encoding) {
  if (encoding != NameEncoding::gbk) return std::string(name);
  return convert_encoding(name, kUtf8, kGbk);
}

}  // namespace qv::text
