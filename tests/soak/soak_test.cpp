// Many members, and packages larger than 4 GiB, from packing to unpacking.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/statvfs.h>

#include <filesystem>

#include "format/package.h"
#include "jobs/pack_job.h"
#include "jobs/unpack_job.h"
#include "tests/support/job_doubles.h"
#include "tests/support/temp_dir.h"

namespace qv::jobs {
namespace {

namespace fs = std::filesystem;
using testing::read_file;
using testing::TempDir;
using testing::write_file;

fs::path fast_folder() { return fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path(); }

std::uint64_t free_bytes(const fs::path& folder) {
  struct statvfs st {};
  return ::statvfs(folder.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.f_bavail) * st.f_frsize : 0;
}

bool pack(const std::vector<std::string>& sources, const std::string& package) {
  testing::FakeHost fake;
  fake.list.items = sources;
  return run_pack_job({package, "", fake.start}, fake.host);
}

bool unpack(const std::string& package, const fs::path& folder) {
  testing::FakeHost fake;
  fake.list.items = {package};
  return run_unpack_job({folder.string() + "/", fake.start}, fake.host).ok();
}

// Twenty thousand members, with no more than the usual 1,024 open files.
TEST(SoakTest, TwentyThousandMembers) {
  const rlimit usual{1024, 1024};
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &usual), 0);
  const TempDir dir(fast_folder());
  fs::create_directory(dir / "in");
  fs::create_directory(dir / "out");
  std::vector<std::string> sources;
  for (int i = 0; i < 20000; ++i) {
    const auto path = dir / ("in/member-" + std::to_string(i));
    write_file(path, std::string(static_cast<std::size_t>(i % 2048), static_cast<char>('a' + i % 26)));
    sources.push_back(path);
  }
  ASSERT_TRUE(pack(sources, dir / "many.ZVK"));
  ASSERT_TRUE(unpack(dir / "many.ZVK", dir.path() / "out"));
  for (int i = 0; i < 20000; i += 997) {
    const auto name = "member-" + std::to_string(i);
    EXPECT_EQ(read_file(dir / ("out/" + name)), read_file(dir / ("in/" + name))) << name;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "out"), fs::directory_iterator()), 20000);
}

// Past 4 GiB in all: two members of just over 2 GiB (sparse sources) and a
// small one whose contents lie beyond the 4 GiB mark.
TEST(SoakTest, PackageLargerThanFourGibibytes) {
  constexpr std::uint64_t kHalf = (2ull << 30) + 4096;
  constexpr std::uint64_t kNeeded = 2 * (2 * kHalf) + (1ull << 30);  // the package, the members, some room
  const fs::path base = fs::temp_directory_path();
  if (free_bytes(base) < kNeeded) {
    GTEST_SKIP() << "this needs " << (kNeeded >> 30) << " GiB free in " << base << ", which has only "
                 << (free_bytes(base) >> 30) << " GiB";
  }
  const TempDir dir(base);
  for (const char* name : {"one", "two"}) {
    write_file(dir / name, "");
    fs::resize_file(dir / name, kHalf);
  }
  write_file(dir / "tail", "past four gibibytes");
  ASSERT_TRUE(pack({dir / "one", dir / "two", dir / "tail"}, dir / "huge.ZVK"));
  fs::remove(dir / "one");
  fs::remove(dir / "two");
  EXPECT_GT(fs::file_size(dir / "huge.ZVK"), 4ull << 30);

  const auto read = format::read_package_file(dir / "huge.ZVK");
  const auto& members = std::get<format::PackageMembers>(read);
  const auto& tail = std::get<format::ByteBlock::Region>(members.contents[2].source());
  EXPECT_GT(tail.offset, 4ull << 30);

  fs::create_directory(dir / "out");
  ASSERT_TRUE(unpack(dir / "huge.ZVK", dir.path() / "out"));
  EXPECT_EQ(fs::file_size(dir / "out/one"), kHalf);
  EXPECT_EQ(fs::file_size(dir / "out/two"), kHalf);
  EXPECT_EQ(read_file(dir / "out/tail"), "past four gibibytes");
}

}  // namespace
}  // namespace qv::jobs
