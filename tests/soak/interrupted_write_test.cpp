// A process killed in the middle of writing a package or a member leaves the
// old file under its name, no temporary file, and a rerun that works.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>

#include "jobs/pack_job.h"
#include "jobs/unpack_job.h"
#include "tests/support/child.h"
#include "tests/support/job_doubles.h"
#include "tests/support/package_bytes.h"
#include "tests/support/temp_dir.h"

namespace qv::jobs {
namespace {

namespace fs = std::filesystem;
using testing::folder_names;
using testing::read_file;
using testing::TempDir;
using testing::write_file;
using Names = std::vector<std::string>;

// Large enough for the copy to pause for events in its middle.
const std::string kBig(20 << 20, 'n');

TEST(InterruptedWriteTest, PackKilledWhileWriting) {
  const TempDir dir;
  write_file(dir / "big", kBig);
  write_file(dir / "out.ZVK", "old package");
  auto pack = [&](bool kill_midway) {
    testing::FakeHost fake;
    fake.list.items = {dir / "big"};
    fake.events.hook = [&](int call) {
      if (kill_midway && call > 1) ::raise(SIGKILL);  // the first call comes after reading the source
    };
    return run_pack_job({"out", dir.path().string(), fake.start}, fake.host);
  };
  EXPECT_EQ(testing::run_in_child({}, [&] { return pack(true) ? 0 : 1; }), -1) << "the child was not killed";
  EXPECT_EQ(read_file(dir / "out.ZVK"), "old package");
  EXPECT_EQ(folder_names(dir.path()), (Names{"big", "out.ZVK"}));

  ASSERT_TRUE(pack(false));
  EXPECT_EQ(read_file(dir / "out.ZVK"), testing::package_bytes({{"big", kBig}}));
}

TEST(InterruptedWriteTest, UnpackKilledWhileWritingAMember) {
  const TempDir dir;
  fs::create_directory(dir / "out");
  write_file(dir / "p.ZVK", testing::package_bytes({{"big", kBig}}));
  write_file(dir / "out/big", "old member");
  auto unpack = [&](bool kill_midway) {
    testing::FakeHost fake;
    fake.list.items = {dir / "p.ZVK"};
    fake.events.hook = [&](int) {
      if (kill_midway) ::raise(SIGKILL);
    };
    return run_unpack_job({dir / "out/", fake.start}, fake.host).ok();
  };
  EXPECT_EQ(testing::run_in_child({}, [&] { return unpack(true) ? 0 : 1; }), -1) << "the child was not killed";
  EXPECT_EQ(read_file(dir / "out/big"), "old member");
  EXPECT_EQ(folder_names(dir / "out"), (Names{"big"}));

  ASSERT_TRUE(unpack(false));
  EXPECT_EQ(read_file(dir / "out/big"), kBig);
}

}  // namespace
}  // namespace qv::jobs
