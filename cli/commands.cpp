#include "cli/commands.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "cli/stdout_log.h"
#include "format/package.h"
#include "jobs/pack_job.h"
#include "jobs/unpack_job.h"

namespace qv::cli {
namespace {

std::string current_folder() {
  std::error_code error;
  auto folder = std::filesystem::current_path(error).string();
  return error ? std::string(".") : folder;
}

void usage_error(const std::string& message) { std::fprintf(stderr, "zvk: %s\n", message.c_str()); }

}  // namespace

int pack_command(const std::string& package, const std::vector<std::string>& files) {
  ArgumentList list(files);
  StdoutLog log;
  NoEvents events;
  jobs::WallClock clock;
  jobs::JobHost host{list, log, events, clock};
  const jobs::PackRequest request{package, current_folder(), clock.now()};
  return jobs::run_pack_job(request, host) ? kExitOk : kExitFailed;
}

int unpack_command(const std::string& folder, const std::vector<std::string>& packages) {
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    usage_error("not a folder: " + folder);
    return kExitUsage;
  }
  ArgumentList list(packages);
  StdoutLog log;
  NoEvents events;
  jobs::WallClock clock;
  jobs::JobHost host{list, log, events, clock};
  const auto destination = folder.ends_with('/') ? folder : folder + '/';
  const jobs::UnpackRequest request{destination, clock.now()};
  return jobs::run_unpack_job(request, host).ok() ? kExitOk : kExitFailed;
}

int list_command(const std::string& package) {
  const auto read = format::read_package_file(package);
  if (const auto* problem = std::get_if<format::PackageProblem>(&read)) {
    const char* what = *problem == format::PackageProblem::cannot_open ? "cannot open" : "damaged package";
    std::fprintf(stderr, "zvk: %s: %s\n", what, package.c_str());
    return kExitFailed;
  }
  const auto& members = std::get<format::PackageMembers>(read);
  for (std::size_t i = 0; i < members.names.size(); ++i) {
    std::printf("%u\t%s\n", static_cast<unsigned>(members.contents[i].size()), members.names[i].c_str());
  }
  return std::fflush(stdout) == 0 ? kExitOk : kExitFailed;
}

}  // namespace qv::cli
