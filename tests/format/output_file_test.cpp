#include "format/output_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/child.h"
#include "tests/support/temp_dir.h"

namespace qv::format {
namespace {

using testing::read_file;
using testing::TempDir;
using testing::write_file;

class OutputFileTest : public ::testing::Test {
 protected:
  UniqueFd create(const std::string& path) { return UniqueFd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644)); }

  TempDir dir_;
};

TEST_F(OutputFileTest, NamedFilesOfEverySizeAreCopiedWhole) {
  // Below, at and above the size up to which blocks are gathered in memory,
  // and beyond one chunk between callbacks.
  for (const std::size_t size : {0ul, 1ul, 256ul * 1024, 256ul * 1024 + 1, 9ul * 1024 * 1024 + 3}) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + i / 4096);
    write_file(dir_ / "source", bytes);
    const auto block = block_for_file(dir_ / "source");
    ASSERT_TRUE(block);
    auto fd = create(dir_ / "copy");
    std::uint64_t reported = 0;
    int calls = 0;
    OutputFile out(fd.get(), 0, [&](const ByteBlock& copied, std::uint64_t n) {
      EXPECT_EQ(&copied, &*block);
      reported += n;
      ++calls;
    });
    ASSERT_TRUE(out.write("head"));
    ASSERT_EQ(out.write_block(*block), BlockWrite::written) << size;
    ASSERT_TRUE(out.flush());
    EXPECT_EQ(out.offset(), size + 4);
    EXPECT_EQ(read_file(dir_ / "copy"), "head" + bytes) << size;
    EXPECT_EQ(reported, size);
    if (size > 8u * 1024 * 1024) EXPECT_GT(calls, 1) << "no callback during a long copy";
  }
}

TEST_F(OutputFileTest, SourceThatChangedSinceItWasSeenIsUnreadable) {
  const std::function<void(const std::string&)> changes[] = {
      [](const std::string& p) { ::truncate(p.c_str(), 3); },
      [](const std::string& p) { std::filesystem::remove(p); },
      [](const std::string& p) {  // replaced by another file of the same length, maybe the same inode
        std::filesystem::remove(p);
        write_file(p, std::string(600 * 1024, 'y'));
        std::filesystem::last_write_time(p, std::filesystem::file_time_type{});
      },
      [](const std::string& p) {
        std::filesystem::remove(p);
        std::filesystem::create_directory(p);
      },
  };
  for (const auto& change : changes) {
    const auto source = dir_ / "source";
    std::filesystem::remove_all(source);
    write_file(source, std::string(600 * 1024, 'x'));
    const auto block = block_for_file(source);
    ASSERT_TRUE(block);
    change(source);
    auto fd = create(dir_ / "copy");
    OutputFile out(fd.get(), 0);
    EXPECT_EQ(out.write_block(*block), BlockWrite::source_unreadable);
  }
}

TEST_F(OutputFileTest, WhatCannotBeABlock) {
  EXPECT_FALSE(block_for_file(""));
  EXPECT_FALSE(block_for_file(dir_ / "missing"));
  EXPECT_FALSE(block_for_file(dir_.path().string()));
  EXPECT_FALSE(block_for_file("/dev/zero"));
  ASSERT_EQ(::mkfifo((dir_ / "fifo").c_str(), 0600), 0);
  EXPECT_FALSE(block_for_file(dir_ / "fifo"));  // and the open does not hang
  // 4 GiB or more cannot be a member; a sparse file costs no disk.
  const auto big = dir_ / "big";
  write_file(big, "");
  ASSERT_EQ(::truncate(big.c_str(), 4ll << 30), 0);
  EXPECT_FALSE(block_for_file(big));
  ASSERT_EQ(::truncate(big.c_str(), (4ll << 30) - 1), 0);
  EXPECT_TRUE(block_for_file(big));
}

TEST_F(OutputFileTest, FullDiskIsAWriteFailure) {
  write_file(dir_ / "source", std::string(2 * 1024 * 1024, 's'));
  const auto block = block_for_file(dir_ / "source");
  ASSERT_TRUE(block);
  const int code = testing::run_in_child({.max_file_size = 1024 * 1024}, [&] {
    auto fd = create(dir_ / "copy");
    OutputFile out(fd.get(), 0);
    return out.write_block(*block) == BlockWrite::write_failed ? 0 : 1;
  });
  EXPECT_EQ(code, 0);

  UniqueFd full(::open("/dev/full", O_WRONLY));
  OutputFile out(full.get(), 0);
  EXPECT_TRUE(out.write("small"));  // gathered, not yet written
  EXPECT_FALSE(out.flush());
}

}  // namespace
}  // namespace qv::format
