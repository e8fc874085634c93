// Fuzzes the unpacking job: the input is a package, unpacked into a fresh
// folder. Whatever the bytes, the job must write exactly the members whose
// names are plain file names, each with the bytes of the last member of that
// name, must write nothing of a damaged package, and must leave nothing
// anywhere else: not beside the folder, not in a subfolder, not in the
// current folder, and no file descriptor open. An input that holds runs in
// short form (see fuzz_support.h) is also unpacked once expanded.
//
// Names are taken as the job takes them by default: a stored name that is not
// UTF-8 may come out converted, and the checks apply to the converted name.
//
// The layout, below this process's own work folder:
//
//   cwd/                 the current folder while the job runs; stays empty
//   case/package.ZVK     the input
//   case/out/            the destination folder
//
// A name holding "/" that, read as a path from case/out, would lead out of
// the work folder altogether (an absolute path, or too many ".."), is
// checked against the name rule alone and the job is not run: should the rule
// ever fail, the run must not write to such a place for real.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <variant>

#include "format/package.h"
#include "fuzz/fuzz_support.h"
#include "jobs/unpack_job.h"
#include "text/member_name.h"
#if __has_include("text/name_encoding.h")
#include "text/name_encoding.h"
#define QV_FUZZ_NAME_ENCODING 1
#endif

using namespace qv;
namespace fs = std::filesystem;

namespace {

// The file name the job makes of a stored name, with the request's default
// way of reading names.
std::string file_name_for(const std::string& stored) {
#ifdef QV_FUZZ_NAME_ENCODING
  return text::name_from_package(stored, jobs::UnpackRequest{}.names);
#else
  return stored;
#endif
}

// How many folders case/out lies below the work folder.
constexpr int kOutDepth = 2;

// Whether `name`, taken as a path from case/out, leads outside the work
// folder, judging by its text alone.
bool leaves_work_folder(std::string_view name) {
  if (name.empty()) return false;
  if (name.front() == '/') return true;
  int depth = kOutDepth;
  std::size_t start = 0;
  while (start <= name.size()) {
    const auto end = std::min(name.find('/', start), name.size());
    const auto part = name.substr(start, end - start);
    if (part == "..") {
      if (--depth < 0) return true;
    } else if (!part.empty() && part != ".") {
      ++depth;
    }
    start = end + 1;
  }
  return false;
}

std::set<std::string> entry_names(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

std::string listing(const std::set<std::string>& names) {
  std::string all;
  for (const auto& n : names) all += " [" + n + "]";
  return all;
}

struct Layout {
  fs::path root = fuzz::work_root();
  fs::path cwd = root / "cwd";
  fs::path case_dir = root / "case";
  fs::path package = case_dir / "package.ZVK";
  fs::path out = case_dir / "out";
};

const Layout& layout() {
  static const Layout made = [] {
    Layout l;
    fs::create_directory(l.cwd);
    return l;
  }();
  return made;
}

// Makes `folder` the current folder for its lifetime, then goes back, so
// that libFuzzer's own relative paths keep working between inputs.
class InFolder {
 public:
  explicit InFolder(const fs::path& folder) : previous_(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    QV_FUZZ_CHECK(previous_ >= 0 && ::chdir(folder.c_str()) == 0, "cannot enter " + folder.string());
  }
  ~InFolder() {
    QV_FUZZ_CHECK(::fchdir(previous_) == 0, "cannot go back to the previous current folder");
    ::close(previous_);
  }
  InFolder(const InFolder&) = delete;
  InFolder& operator=(const InFolder&) = delete;

 private:
  int previous_;
};

void check_unpacking(std::string_view bytes) {
  const auto& at = layout();
  std::error_code error;
  fs::remove_all(at.case_dir, error);
  QV_FUZZ_CHECK(!error, "cannot clear " + at.case_dir.string());
  fs::create_directory(at.case_dir);
  fs::create_directory(at.out);
  fuzz::write_whole_file(at.package, bytes);

  const auto expected = fuzz::expected_package(bytes);
  {
    // The names the job itself will see, for the guard above.
    const auto read = format::read_package_file(at.package);
    if (const auto* members = std::get_if<format::PackageMembers>(&read)) {
      for (const auto& stored : members->names) {
        const auto name = file_name_for(stored);
        if (!leaves_work_folder(stored) && !leaves_work_folder(name)) continue;
        QV_FUZZ_CHECK(!text::is_safe_member_name(name), "a name that leads out of the folder is taken: " + name);
        fs::remove_all(at.case_dir, error);
        return;
      }
    }
  }

  const int descriptors_before = fuzz::open_descriptor_count();
  fuzz::OneItemList list(at.package.string());
  fuzz::CheckingLog log;
  fuzz::CountingPump pump;
  fuzz::FixedClock clock;
  jobs::JobHost host{list, log, pump, clock};
  jobs::UnpackOutcome outcome;
  {
    const InFolder in_cwd(at.cwd);  // whatever the job writes by relative path lands there
    outcome = jobs::run_unpack_job({at.out.string() + "/", {2026, 12, 11, 10, 0, 0}}, host);
  }

  QV_FUZZ_CHECK(list.empty(), "the list was not emptied");
  QV_FUZZ_CHECK(log.lines > 0, "the job logged nothing");
  QV_FUZZ_CHECK(fuzz::open_descriptor_count() == descriptors_before, "the job left file descriptors open");

  // Nothing beside the destination folder, nothing in the current folder.
  const auto root_names = entry_names(at.root);
  QV_FUZZ_CHECK(root_names == (std::set<std::string>{"case", "cwd"}), "the work folder holds" + listing(root_names));
  const auto cwd_names = entry_names(at.cwd);
  QV_FUZZ_CHECK(cwd_names.empty(), "the current folder holds" + listing(cwd_names));
  const auto case_names = entry_names(at.case_dir);
  QV_FUZZ_CHECK(case_names == (std::set<std::string>{"out", "package.ZVK"}),
                "the package's folder holds" + listing(case_names));
  QV_FUZZ_CHECK(fs::is_regular_file(fs::symlink_status(at.package)) && fuzz::read_whole_file(at.package) == bytes,
                "the package itself was changed");

  // In the destination folder: plain files only, exactly the expected ones.
  std::map<std::string, std::string> want;  // file name -> contents of the last member that has it
  bool every_name_fine = true;
  if (expected) {
    for (std::size_t i = 0; i < expected->names.size(); ++i) {
      const auto name = file_name_for(expected->names[i]);
      if (fuzz::name_must_be_written(name)) {
        want[name] = expected->contents[i];
      } else {
        every_name_fine = false;
      }
    }
  }
  const auto out_names = entry_names(at.out);
  for (const auto& name : out_names) {
    QV_FUZZ_CHECK(fuzz::name_must_be_written(name), "the destination holds a file named [" + name + "]");
    const auto status = fs::symlink_status(at.out / name);
    QV_FUZZ_CHECK(fs::is_regular_file(status), "the destination holds [" + name + "], not a plain file");
    QV_FUZZ_CHECK(want.count(name) == 1, "a file that no member names was written: [" + name + "]");
  }
  for (const auto& [name, contents] : want) {
    QV_FUZZ_CHECK(out_names.count(name) == 1, "member [" + name + "] was not written");
    QV_FUZZ_CHECK(fuzz::read_whole_file(at.out / name) == contents, "member [" + name + "] has other bytes");
  }

  QV_FUZZ_CHECK(outcome.all_packages_read == expected.has_value(),
                expected ? "a package was not read" : "damaged bytes were unpacked");
  QV_FUZZ_CHECK(outcome.all_members_written == every_name_fine,
                every_name_fine ? "a member was reported unwritten" : "a refused member was reported written");

  fs::remove_all(at.case_dir, error);
  QV_FUZZ_CHECK(!error, "cannot remove " + at.case_dir.string());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  check_unpacking(input);
  if (const auto long_form = fuzz::expanded(input)) check_unpacking(*long_form);
  return 0;
}
