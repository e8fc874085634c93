#pragma once
// Runs a piece of a test in a child process under conditions that cannot be
// set up for the test process itself: a file-size limit (a full disk, as far
// as the writer can tell) or an unprivileged user, since tests run as root
// and root ignores file permissions.
#include <functional>
#include <optional>
#include <sys/resource.h>

namespace qv::testing {

struct ChildLimits {
  // RLIMIT_FSIZE in bytes; SIGXFSZ is ignored, so writes fail with EFBIG.
  std::optional<rlim_t> max_file_size{};
  // Drop to the user and group "nobody" (65534).
  bool unprivileged = false;
};

// Runs `body` in a forked child and returns its exit code; -1 when the child
// could not be set up or died from a signal. The body must not use gtest
// assertions: it reports through its exit code.
int run_in_child(const ChildLimits& limits, const std::function<int()>& body);

}  // namespace qv::testing
