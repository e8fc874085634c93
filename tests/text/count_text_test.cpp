#include <gtest/gtest.h>

#include "text/count_text.h"

namespace qv::text {
namespace {

TEST(CountTextTest, NumberToText) {
  EXPECT_EQ(number_to_text(0), "0");
  EXPECT_EQ(number_to_text(12), "12");
  EXPECT_EQ(number_to_text(2147483647), "2147483647");
  EXPECT_EQ(number_to_text(-5), "-5");
}

TEST(CountTextTest, CountsOfCountTexts) {
  struct Case {
    std::string text;
    std::optional<std::int32_t> count;
  };
  const Case cases[] = {
      {"12", 12},
      {" 12", 12},
      {"\t\n12", 12},
      {"12abc", 12},
      {"3.9", 3},
      {"1e2", 100},
      {"1E2", 100},
      {"1d2", 100},  // "d" introduces an exponent as "e" does
      {"1D+2", 100},
      {"25e-1", 2},
      {"1e", 1},  // an exponent without digits is not read
      {"+7", 7},
      {".5", 0},
      {"5.", 5},
      {"\xA3\xB1\xA3\xB2", 12},  // full-width digits
      {"\xA1\xA1\xA3\xB3", 3},   // an ideographic space before a full-width 3
      {"\xA3\xAB\xA3\xB4", 4},   // a full-width plus sign
      {"abc", 0},
      {"", 0},
      {"-0.5", 0},
      {"0", 0},
      {"2147483647", 2147483647},
      {"2147483647.9", 2147483647},
      {"1,000", 1},  // no digit grouping
      {"0x10", 0},   // no hexadecimal forms
      {"inf", 0},    // no named values
      // Counts that describe no package.
      {"-1", std::nullopt},
      {"2147483648", std::nullopt},
      {"1e400", std::nullopt},
      {"99999999999999999999999999999", std::nullopt},
      {"0.0001e99999999999999999999", std::nullopt},
      // Vanishingly small values are 0, not an error.
      {"1e-400", 0},
      {"1e-99999999999999999999", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(member_count(c.text), c.count) << c.text;
}

TEST(CountTextTest, NarrowingFullWidthForms) {
  const std::pair<std::string, std::string> cases[] = {
      {"\xA3\xB1\xA3\xAE\xA3\xB5", "1.5"},
      {"\xA1\xAB\xA1\xEE\xA1\xEF", "~**"},
      {"\xB2\xE2\xA3\xB1", "\xB2\xE2" "1"},  // other double-byte characters stay
      {"12\xA3", "12"},                      // a lone lead byte at the end is dropped
      {"\xA3\x31" "2", "\xA3\x31" "2"},             // A3 31 is no full-width form: the pair stays whole
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(narrow_full_width(in), out);
}

}  // namespace
}  // namespace qv::text
