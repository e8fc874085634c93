#include "cli/commands.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <optional>

#include "cli/stdout_log.h"
#include "cli/terminal_progress.h"
#include "format/package.h"
#include "jobs/pack_job.h"
#include "jobs/unpack_job.h"
#include "text/path.h"

namespace qv::cli {
namespace {

std::string current_folder() {
  std::error_code error;
  auto folder = std::filesystem::current_path(error).string();
  return error ? std::string(".") : folder;
}

void usage_error(const std::string& message) { std::fprintf(stderr, "zvk: %s\n", message.c_str()); }

// Everything around a job on the command line: the files named, the log on
// standard output, progress on standard error, the wall clock.
class CommandHost {
 public:
  CommandHost(const std::vector<std::string>& items, const JobOptions& options)
      : list_(items), log_(options.quiet, options.progress ? &progress_ : nullptr) {
    if (options.progress) host_.progress = &progress_;
  }
  jobs::JobHost& host() { return host_; }
  text::ClockReading now() { return clock_.now(); }

 private:
  ArgumentList list_;
  TerminalProgress progress_{STDERR_FILENO, progress_delay()};
  StdoutLog log_;
  NoEvents events_;
  jobs::WallClock clock_;
  jobs::JobHost host_{list_, log_, events_, clock_};
};

}  // namespace

int pack_command(const std::string& package, const std::vector<std::string>& files, const JobOptions& options) {
  for (const auto& file : files) {
    if (!text::name_for_package(text::base_name(file), options.names)) {
      usage_error("the name cannot be stored in GBK: " + file);
      return kExitUsage;
    }
  }
  CommandHost command(files, options);
  const jobs::PackRequest request{package, current_folder(), command.now(), options.names};
  return jobs::run_pack_job(request, command.host()) ? kExitOk : kExitFailed;
}

int unpack_command(const std::string& folder, const std::vector<std::string>& packages, const JobOptions& options) {
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    usage_error("not a folder: " + folder);
    return kExitUsage;
  }
  CommandHost command(packages, options);
  const auto destination = folder.ends_with('/') ? folder : folder + '/';
  const jobs::UnpackRequest request{destination, command.now(), options.names};
  return jobs::run_unpack_job(request, command.host()).ok() ? kExitOk : kExitFailed;
}

int list_command(const std::string& package, text::NameEncoding names) {
  const auto read = format::read_package_file(package);
  if (const auto* problem = std::get_if<format::PackageProblem>(&read)) {
    const char* what = *problem == format::PackageProblem::cannot_open ? "cannot open" : "damaged package";
    std::fprintf(stderr, "zvk: %s: %s\n", what, package.c_str());
    return kExitFailed;
  }
  const auto& members = std::get<format::PackageMembers>(read);
  for (std::size_t i = 0; i < members.names.size(); ++i) {
    std::printf("%u\t%s\n", static_cast<unsigned>(members.contents[i].size()),
                text::name_from_package(members.names[i], names).c_str());
  }
  return std::fflush(stdout) == 0 ? kExitOk : kExitFailed;
}

}  // namespace qv::cli
