#pragma once
#include <cstdint>
#include <string>

#include "format/output_file.h"
#include "jobs/job_host.h"

namespace qv::jobs {

// Turns the notices of a long copy into the job's own: progress for every
// piece, and pending events processed every few MiB, so that the window
// repaints during a long member without paying for it on every small one.
class CopyPacer {
 public:
  explicit CopyPacer(JobHost& host) : host_(host) {}

  // The callback to hand to the writer. `member_name` names what is being
  // copied; by default the base name of a source file.
  format::ChunkCallback callback();
  void set_member_name(std::string name) { member_name_ = std::move(name); }

  void start(std::uint64_t total_bytes);
  void finish();

 private:
  void copied(const format::ByteBlock& block, std::uint64_t bytes);

  JobHost& host_;
  std::string member_name_;
  std::uint64_t since_events_ = 0;
};

}  // namespace qv::jobs
