#pragma once
#include <string>

#include "jobs/job_host.h"
#include "text/elapsed.h"
#include "text/name_encoding.h"

namespace qv::jobs {

struct PackRequest {
  // The name the user chose for the package, before the destination path rule.
  std::string given_name;
  // Where a name without "/" goes: the program's folder for the window.
  std::string home_folder;
  // The clock reading taken when the destination was confirmed.
  text::ClockReading start;
  // How member names are stored: as the file system gives them, or in GBK.
  // A name that the encoding cannot hold makes its source fail like an
  // unreadable one.
  text::NameEncoding names = text::NameEncoding::raw;
};

// Packs the sources of host.list, in list order, into one package and logs
// every step. Every source must be read whole: one that cannot be makes the
// job fail after all sources have been looked at, so every problem shows.
// The package is written beside its destination and takes the destination's
// name only once it is whole; a failed job leaves the destination as it was.
// On success the list is emptied. True when the package was written.
bool run_pack_job(const PackRequest& request, JobHost& host);

}  // namespace qv::jobs
