#pragma once
// What both fuzz targets share: a private temporary folder, small stand-ins
// for the window around a job, a count of open file descriptors, and a
// package reader of its own that works on the bytes in memory, so that what
// format/ reads from a file can be checked against a second opinion.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/job_host.h"

namespace qv::fuzz {

// Stops the run with a message when `condition` is false. Unlike assert() it
// holds in every build type, and the abort lets libFuzzer keep the input.
#define QV_FUZZ_CHECK(condition, message)                                   \
  do {                                                                      \
    if (!(condition)) ::qv::fuzz::fail(__FILE__, __LINE__, #condition, message); \
  } while (0)
[[noreturn]] void fail(const char* file, int line, const char* condition, const std::string& message);

// The folder this process works in: made once, below $QUORVANE_FUZZ_TMP when
// set, else /dev/shm when present, else the system's temporary folder, and
// removed at exit. Nothing the fuzz targets do is meant to touch anything
// outside it.
const std::filesystem::path& work_root();

// Writes `bytes` as the whole contents of `path`, creating or cutting it.
void write_whole_file(const std::filesystem::path& path, std::string_view bytes);
std::string read_whole_file(const std::filesystem::path& path);

// The number of file descriptors this process has open.
int open_descriptor_count();

// The doubles a job talks to.
class OneItemList final : public jobs::ItemList {
 public:
  explicit OneItemList(std::string item) : items_{std::move(item)} {}
  int count() const override { return static_cast<int>(items_.size()); }
  std::string item(int position) const override {
    return position >= 0 && position < count() ? items_[static_cast<std::size_t>(position)] : std::string();
  }
  void clear() override { items_.clear(); }
  bool empty() const { return items_.empty(); }

 private:
  std::vector<std::string> items_;
};

class CheckingLog final : public jobs::LogSink {
 public:
  void append(std::string_view text) override;
  int lines = 0;
};

class CountingPump final : public jobs::EventPump {
 public:
  void process_pending_events() override { ++calls; }
  int calls = 0;
};

class FixedClock final : public jobs::Clock {
 public:
  text::ClockReading now() override { return {2026, 12, 11, 10, 0, 3}; }
};

// Inputs are at most a few KiB, yet reading goes through a 64 KiB read-ahead
// and writing copies members of more than 256 KiB differently from small
// ones. So that small inputs reach those paths too, an input may hold runs in
// short form: FB FB, then a byte, then a 16-bit little-endian count, stands for
// that many copies of the byte. Each target runs on the input as it is and,
// when it holds such a run, once more on the expanded bytes. Nothing when the
// input holds no run, or when the expanded bytes would exceed kMaxExpanded.
inline constexpr std::size_t kMaxExpanded = 512 * 1024;
std::optional<std::string> expanded(std::string_view input);

// A package as read straight from its bytes.
struct ExpectedPackage {
  std::string count_text;
  std::vector<std::string> contents;
  std::vector<std::string> names;
  bool anything_after_names = false;
  bool marker_after_names = false;  // the 12 marker bytes follow, then 0x00 or the end
};

// The count text as the first pass reads it: up to the first 0x00, or the
// whole file when there is none; nothing for an empty file.
std::optional<std::string> expected_count_text(std::string_view bytes);

// The whole package as a reader must see it, or nothing when the bytes
// cannot be one. The member count is the one text::member_count gives.
std::optional<ExpectedPackage> expected_package(std::string_view bytes);

// Whether a member of this name must be written into the destination folder:
// a name of one file right inside it, short enough for a file name.
bool name_must_be_written(std::string_view name);

}  // namespace qv::fuzz
