#include "format/record_stream.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_dir.h"

namespace qv::format {
namespace {

using testing::read_file;
using testing::TempDir;
using testing::write_file;

class RecordStreamTest : public ::testing::Test {
 protected:
  // Opens `bytes` as a file for reading.
  FileNumber open_bytes(std::string_view bytes) {
    write_file(path_, bytes);
    return stream_.open_file(path_, OpenMode::read_write);
  }

  TempDir dir_;
  std::string path_ = dir_ / "records";
  RecordStream stream_;
};

TEST_F(RecordStreamTest, EncodingsOfEachKind) {
  const Text empty;
  const Text abc = "abc";
  const TextArray texts = {"a", "", "bc"};
  const BlockArray blocks = {ByteBlock(std::string("xy")), ByteBlock(), ByteBlock(std::string())};
  const TextArray no_texts;
  const BlockArray no_blocks;
  struct Case {
    const char* what;
    std::function<bool(RecordStream&, FileNumber)> write;
    std::string bytes;
  };
  const Case cases[] = {
      {"empty text", [&](auto& s, auto f) { return s.write_records(f, {empty}); }, std::string("\0", 1)},
      {"text", [&](auto& s, auto f) { return s.write_records(f, {abc}); }, std::string("abc\0", 4)},
      {"array with an empty text", [&](auto& s, auto f) { return s.write_records(f, {texts}); },
       std::string("a\0\0bc\0", 6)},
      {"byte blocks, two of them empty", [&](auto& s, auto f) { return s.write_records(f, {blocks}); },
       std::string("\2\0\0\0xy\0\0\0\0\0\0\0\0", 14)},
      {"arrays without elements", [&](auto& s, auto f) { return s.write_records(f, {no_texts, no_blocks}); }, ""},
      {"values back to back", [&](auto& s, auto f) { return s.write_records(f, {abc, blocks, empty}); },
       std::string("abc\0\2\0\0\0xy\0\0\0\0\0\0\0\0\0", 19)},
  };
  for (const auto& c : cases) {
    const auto file = stream_.open_file(path_, OpenMode::create_write);
    ASSERT_NE(file, 0u);
    EXPECT_TRUE(c.write(stream_, file)) << c.what;
    stream_.close_file(file);
    EXPECT_EQ(read_file(path_), c.bytes) << c.what;
  }
}

TEST_F(RecordStreamTest, WritesContinueAtThePosition) {
  const auto file = stream_.open_file(path_, OpenMode::create_write);
  const Text one = "one", two = "two";
  ASSERT_TRUE(stream_.write_records(file, {one}));
  ASSERT_TRUE(stream_.write_records(file, {two}));
  EXPECT_EQ(stream_.position(file), 8u);
  ASSERT_TRUE(stream_.seek_to_start(file));
  ASSERT_TRUE(stream_.write_records(file, {two}));
  stream_.close_file(file);
  EXPECT_EQ(read_file(path_), std::string("two\0two\0", 8));
}

TEST_F(RecordStreamTest, TextsAreReadUpToTheirZero) {
  const auto file = open_bytes(std::string("first\0", 6) + std::string(1000, 'x') + std::string("\0abc", 4));
  Text first, long_text, tail;
  ASSERT_TRUE(stream_.read_records(file, {first}));
  EXPECT_EQ(first, "first");
  EXPECT_EQ(stream_.position(file), 6u);
  ASSERT_TRUE(stream_.read_records(file, {long_text}));  // spans several reads
  EXPECT_EQ(long_text, std::string(1000, 'x'));
  EXPECT_EQ(stream_.position(file), 1007u);
  // A tail without its 0x00 at the end of the file is a text too.
  ASSERT_TRUE(stream_.read_records(file, {tail}));
  EXPECT_EQ(tail, "abc");
  EXPECT_EQ(stream_.position(file), 1010u);
  // Nothing left: the read fails and the position stays.
  Text none = "kept?";
  EXPECT_FALSE(stream_.read_records(file, {none}));
  EXPECT_EQ(none, "");
  EXPECT_EQ(stream_.position(file), 1010u);
}

TEST_F(RecordStreamTest, ByteBlockRunningPastTheEndFails) {
  const auto file = open_bytes(std::string("ok\0\x0A\0\0\0" "12345", 12));
  Text text;
  ByteBlock block(std::string("old"));
  const auto read = stream_.read_records(file, {text, block});
  EXPECT_FALSE(read);
  EXPECT_EQ(read.filled, 1u);
  EXPECT_EQ(text, "ok");
  EXPECT_TRUE(block.empty());
  EXPECT_EQ(stream_.position(file), 0u);
}

TEST_F(RecordStreamTest, FailedReadFillsWhatCameBeforeAndLeavesWhatComesAfter) {
  // Two texts, then a block whose length field is cut short.
  const auto file = open_bytes(std::string("a\0b\0\x01\x00", 6));
  Text first, second;
  ByteBlock third(std::string("old third"));
  Text fourth = "old fourth";
  const auto read = stream_.read_records(file, {first, second, third, fourth});
  EXPECT_FALSE(read);
  EXPECT_EQ(read.filled, 2u);
  EXPECT_EQ(first, "a");
  EXPECT_EQ(second, "b");
  EXPECT_TRUE(third.empty());
  EXPECT_EQ(fourth, "old fourth");
  EXPECT_EQ(stream_.position(file), 0u);
}

TEST_F(RecordStreamTest, ArraysReadExactlyAsManyElementsAsTheyHold) {
  const auto file = open_bytes(std::string("a\0b\0c\0d\0", 8));
  TextArray three(3);
  TextArray none;
  ASSERT_TRUE(stream_.read_records(file, {none, three}));
  EXPECT_EQ(three, (TextArray{"a", "b", "c"}));
  EXPECT_TRUE(none.empty());
  EXPECT_EQ(stream_.position(file), 6u);

  TextArray too_many(5, "old");
  EXPECT_FALSE(stream_.read_records(file, {too_many}));
  EXPECT_TRUE(too_many.empty());  // a failed array loses its elements
}

TEST_F(RecordStreamTest, BlocksReadBackTheirBytes) {
  const auto file = stream_.open_file(path_, OpenMode::create_write);
  const BlockArray written = {ByteBlock(std::string("hello")), ByteBlock(), ByteBlock(std::string(300000, 'z'))};
  ASSERT_TRUE(stream_.write_records(file, {written}));
  stream_.close_file(file);

  const auto again = stream_.open_file(path_, OpenMode::read_only);
  BlockArray read(3);
  ASSERT_TRUE(stream_.read_records(again, {read}));
  stream_.close_file(again);  // blocks keep the file open for themselves
  std::filesystem::remove(path_);
  ASSERT_EQ(read.size(), 3u);
  EXPECT_EQ(read_block_bytes(read[0]), "hello");
  EXPECT_EQ(read_block_bytes(read[1]), "");
  EXPECT_EQ(read_block_bytes(read[2]), std::string(300000, 'z'));
}

TEST_F(RecordStreamTest, InvalidFileNumbersDoNothing) {
  const Text text = "x";
  Text into;
  EXPECT_FALSE(stream_.write_records(0, {text}));
  EXPECT_FALSE(stream_.read_records(0, {into}));
  EXPECT_FALSE(stream_.seek_to_start(0));
  stream_.close_file(0);

  const auto file = stream_.open_file(path_, OpenMode::create_write);
  ASSERT_NE(file, 0u);
  stream_.close_file(file);
  stream_.close_file(file);  // a second close does nothing
  EXPECT_FALSE(stream_.write_records(file, {text}));
  EXPECT_FALSE(stream_.seek_to_start(file));
  EXPECT_EQ(read_file(path_), "");
  // A new file never gets the number of a closed one.
  EXPECT_NE(stream_.open_file(path_, OpenMode::read_only), file);
}

TEST_F(RecordStreamTest, OpenModes) {
  EXPECT_EQ(stream_.open_file("", OpenMode::create_write), 0u);
  EXPECT_EQ(stream_.open_file(dir_ / "missing", OpenMode::read_write), 0u);
  EXPECT_EQ(stream_.open_file(dir_ / "missing", OpenMode::read_only), 0u);
  EXPECT_EQ(stream_.open_file(dir_ / "no/such/folder", OpenMode::create_write), 0u);
  EXPECT_EQ(stream_.open_file(dir_.path().string(), OpenMode::read_only), 0u);  // a folder
  EXPECT_FALSE(std::filesystem::exists(dir_ / "missing"));

  write_file(path_, "old contents");
  const auto kept = stream_.open_file(path_, OpenMode::read_write);
  ASSERT_NE(kept, 0u);
  EXPECT_EQ(stream_.bytes_left(kept), 12u);
  const auto cut = stream_.open_file(path_, OpenMode::create_write);
  ASSERT_NE(cut, 0u);
  EXPECT_EQ(read_file(path_), "");
}

TEST_F(RecordStreamTest, FailedWriteReportsFalseAndKeepsThePosition) {
  const auto file = stream_.open_file("/dev/full", OpenMode::create_write);
  ASSERT_NE(file, 0u);
  const Text text = "x";
  EXPECT_FALSE(stream_.write_records(file, {text}));
  EXPECT_EQ(stream_.position(file), 0u);
}

TEST_F(RecordStreamTest, TextsWithAZeroInsideAreNotWritten) {
  const auto file = stream_.open_file(path_, OpenMode::create_write);
  const Text text("a\0b", 3);
  EXPECT_FALSE(stream_.write_records(file, {text}));
  EXPECT_EQ(stream_.position(file), 0u);
}

TEST_F(RecordStreamTest, TextLimitRefusesLongerTexts) {
  const auto file = open_bytes(std::string(100, 'n') + std::string(1, '\0'));
  stream_.set_text_limit(99);
  Text text;
  EXPECT_FALSE(stream_.read_records(file, {text}));
  stream_.set_text_limit(100);
  EXPECT_TRUE(stream_.read_records(file, {text}));
}

}  // namespace
}  // namespace qv::format
