#pragma once
#include <string>

#include "jobs/job_host.h"
#include "text/elapsed.h"
#include "text/name_encoding.h"

namespace qv::jobs {

struct UnpackRequest {
  // The folder the members go into, ending in "/".
  std::string destination_folder;
  // The clock reading taken when the job was started.
  text::ClockReading start;
  // How stored names become file names; the log shows the names so made.
  text::NameEncoding names = text::NameEncoding::automatic;
};

struct UnpackOutcome {
  bool all_packages_read = true;  // every package opened and read whole
  bool all_members_written = true;
  bool ok() const { return all_packages_read && all_members_written; }
};

// Writes every member of every package in host.list, in list and stored
// order, into the destination folder, and logs every step. A package that
// cannot be opened or read whole is reported and nothing of it is written; a
// member whose name would leave the folder is refused. Each member is written
// beside its target and takes the name only once whole, replacing a file of
// that name. The list is emptied at the end.
UnpackOutcome run_unpack_job(const UnpackRequest& request, JobHost& host);

}  // namespace qv::jobs
