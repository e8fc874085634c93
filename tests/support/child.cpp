#include "tests/support/child.h"

#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace qv::testing {

int run_in_child(const ChildLimits& limits, const std::function<int()>& body) {
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    if (limits.max_file_size) {
      ::signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{*limits.max_file_size, *limits.max_file_size};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(120);
    }
    if (limits.unprivileged) {
      constexpr uid_t kNobody = 65534;
      if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(121);
    }
    const int code = body();
    std::fflush(nullptr);
    ::_exit(code);
  }
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace qv::testing
