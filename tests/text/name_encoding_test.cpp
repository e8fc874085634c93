#include "text/name_encoding.h"

#include <gtest/gtest.h>

namespace qv::text {
namespace {

const std::string kGbkName = "\xB2\xE2\xCA\xD4.txt";  // 测试.txt as Chinese Windows stores it

TEST(NameEncodingTest, Utf8Validity) {
  const std::pair<std::string, bool> cases[] = {
      {"plain.txt", true},
      {"测试.txt", true},
      {"\xF0\x9F\x98\x80", true},  // U+1F600
      {"", true},
      {kGbkName, false},
      {"\xC0\x80", false},          // overlong
      {"\xE0\x80\xAF", false},      // overlong "/"
      {"\xED\xA0\x80", false},      // a surrogate
      {"\xF4\x90\x80\x80", false},  // past U+10FFFF
      {"\xE6\xB5", false},          // cut short
      {"\x80", false},
  };
  for (const auto& [text, valid] : cases) EXPECT_EQ(is_valid_utf8(text), valid) << text;
}

TEST(NameEncodingTest, StoredNamesToFileNames) {
  struct Case {
    std::string stored;
    NameEncoding encoding;
    std::string name;
  };
  const Case cases[] = {
      {kGbkName, NameEncoding::automatic, "测试.txt"},
      {kGbkName, NameEncoding::gbk, "测试.txt"},
      {kGbkName, NameEncoding::raw, kGbkName},
      {"测试.txt", NameEncoding::automatic, "测试.txt"},
      {"测试.txt", NameEncoding::raw, "测试.txt"},
      {"a.txt", NameEncoding::gbk, "a.txt"},
      // Neither UTF-8 nor GB18030: used as stored.
      {"\xFF\xFF", NameEncoding::automatic, "\xFF\xFF"},
      {"\x80x", NameEncoding::gbk, "\x80x"},
  };
  for (const auto& c : cases) EXPECT_EQ(name_from_package(c.stored, c.encoding), c.name) << c.stored;
}

TEST(NameEncodingTest, FileNamesToStoredNames) {
  EXPECT_EQ(name_for_package("测试.txt", NameEncoding::gbk), kGbkName);
  EXPECT_EQ(name_for_package("a.txt", NameEncoding::gbk), "a.txt");
  EXPECT_EQ(name_for_package("测试.txt", NameEncoding::raw), "测试.txt");
  EXPECT_EQ(name_for_package("\xF0\x9F\x98\x80.txt", NameEncoding::gbk), std::nullopt);  // GBK has no emoji
  EXPECT_EQ(name_for_package(kGbkName, NameEncoding::gbk), std::nullopt);                // not UTF-8 to begin with
}

}  // namespace
}  // namespace qv::text
