#include "text/count_text.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace qv::text {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Maps one code-page-936 double-byte character to its ASCII form, or 0 when
// it has none.
char narrowed(unsigned char lead, unsigned char trail) {
  if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) return static_cast<char>(trail & 0x7F);
  if (lead == 0xA1 && trail == 0xA1) return ' ';
  if (lead == 0xA1 && trail == 0xAB) return '~';
  if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) return '*';
  return 0;
}

// The pieces of a decimal number as read from the text, before conversion.
struct DecimalParts {
  bool negative = false;
  std::string_view whole;     // digits before the point
  std::string_view fraction;  // digits after it
  bool exponent_negative = false;
  std::string_view exponent;  // exponent digits, empty when there is none
};

std::string_view take_digits(std::string_view& rest) {
  std::size_t n = 0;
  while (n < rest.size() && is_digit(rest[n])) ++n;
  const auto digits = rest.substr(0, n);
  rest.remove_prefix(n);
  return digits;
}

DecimalParts split_decimal(std::string_view rest) {
  DecimalParts parts;
  while (!rest.empty() && is_space(rest.front())) rest.remove_prefix(1);
  if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
    parts.negative = rest.front() == '-';
    rest.remove_prefix(1);
  }
  parts.whole = take_digits(rest);
  if (!rest.empty() && rest.front() == '.') {
    rest.remove_prefix(1);
    parts.fraction = take_digits(rest);
  }
  if (parts.whole.empty() && parts.fraction.empty()) return parts;
  if (rest.empty() || (rest.front() != 'e' && rest.front() != 'E' && rest.front() != 'd' && rest.front() != 'D'))
    return parts;
  auto exponent = rest.substr(1);
  bool negative = false;
  if (!exponent.empty() && (exponent.front() == '+' || exponent.front() == '-')) {
    negative = exponent.front() == '-';
    exponent.remove_prefix(1);
  }
  if (const auto digits = take_digits(exponent); !digits.empty()) {
    parts.exponent_negative = negative;
    parts.exponent = digits;
  }
  return parts;
}

// Whether a value that did not fit a double was too large rather than too
// small: its leading digit's decimal place plus the exponent is not negative.
bool overflows(const DecimalParts& parts) {
  const auto whole = parts.whole.substr(std::min(parts.whole.find_first_not_of('0'), parts.whole.size()));
  long long place = 0;
  if (!whole.empty()) {
    place = static_cast<long long>(whole.size()) - 1;
  } else {
    const auto zeros = parts.fraction.find_first_not_of('0');
    if (zeros == std::string_view::npos) return false;  // the mantissa is zero
    place = -static_cast<long long>(zeros) - 1;
  }
  // Exponents of more than 18 digits saturate; their sign alone decides.
  long long exponent = 0;
  if (parts.exponent.size() > 18) return !parts.exponent_negative;
  std::from_chars(parts.exponent.data(), parts.exponent.data() + parts.exponent.size(), exponent);
  return (parts.exponent_negative ? place - exponent : place + exponent) >= 0;
}

}  // namespace

std::string number_to_text(std::int64_t value) { return std::to_string(value); }

std::string narrow_full_width(std::string_view text) {
  std::string narrow;
  narrow.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      narrow += text[i];
      continue;
    }
    if (i + 1 == text.size()) break;  // a lead byte without its trail byte
    const auto trail = static_cast<unsigned char>(text[i + 1]);
    if (const char ascii = narrowed(lead, trail)) {
      narrow += ascii;
    } else {
      narrow += text.substr(i, 2);
    }
    ++i;
  }
  return narrow;
}

double count_text_value(std::string_view text) {
  const auto narrow = narrow_full_width(text);
  const auto parts = split_decimal(narrow);
  if (parts.whole.empty() && parts.fraction.empty()) return 0.0;

  // std::from_chars reads the C form whatever the locale; rebuild that form.
  std::string canonical;
  canonical.reserve(parts.whole.size() + parts.fraction.size() + parts.exponent.size() + 4);
  canonical.append(parts.whole.empty() ? std::string_view("0") : parts.whole);
  if (!parts.fraction.empty()) canonical.append(".").append(parts.fraction);
  if (!parts.exponent.empty()) canonical.append(parts.exponent_negative ? "e-" : "e").append(parts.exponent);

  double value = 0.0;
  const auto [end, error] = std::from_chars(canonical.data(), canonical.data() + canonical.size(), value);
  if (error == std::errc::result_out_of_range) {
    value = overflows(parts) ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return parts.negative ? -value : value;
}

std::optional<std::int32_t> member_count(std::string_view count_text) {
  const double count = std::trunc(count_text_value(count_text));
  if (!(count >= 0.0 && count <= static_cast<double>(std::numeric_limits<std::int32_t>::max()))) return std::nullopt;
  return static_cast<std::int32_t>(count);
}

}  // namespace qv::text
