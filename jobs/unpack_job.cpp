#include "jobs/unpack_job.h"

#include <fcntl.h>

#include "format/output_file.h"
#include "format/package.h"
#include "jobs/copy_pacer.h"
#include "jobs/pending_file.h"
#include "text/member_name.h"
#include "text/path.h"

namespace qv::jobs {
namespace {

void log_unusable(LogSink& log, const std::string& base_name) {
  log.append("无法读取" + base_name + "文件的信息！\r\n");
  log.append("文件可能已经损坏！\r\n");
}

// The whole-file write: the member's bytes go into a pending file that
// replaces `name` only when all of them are written.
bool write_member(int folder_fd, const std::string& name, const format::ByteBlock& contents,
                  const format::ChunkCallback& on_chunk, format::ReadAhead& read_ahead) {
  if (!text::is_safe_member_name(name)) return false;
  auto pending = PendingFile::create(folder_fd, name);
  if (!pending) return false;
  format::OutputFile out(pending->fd(), 0, on_chunk, &read_ahead);
  return out.write_block(contents) == format::BlockWrite::written && out.flush() && pending->commit();
}

}  // namespace

UnpackOutcome run_unpack_job(const UnpackRequest& request, JobHost& host) {
  UnpackOutcome outcome;
  CopyPacer pacer(host);
  const auto on_chunk = pacer.callback();
  format::ReadAhead read_ahead;
  const format::UniqueFd folder(::open(request.destination_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));

  const int count = host.list.count();
  std::string base_name;
  for (int i = 0; i < count; ++i) {
    const std::string path = host.list.item(i);
    base_name = text::base_name(path);
    host.log.append("正在读取待解包文件……\r\n");
    const auto read = format::read_package_file(path, [&host](const std::string& count_text) {
      host.log.append("该打包的文件中一共包含了" + count_text + "个文件\r\n");
    });
    const auto* members = std::get_if<format::PackageMembers>(&read);
    if (!members) {
      log_unusable(host.log, base_name);
      outcome.all_packages_read = false;
      continue;
    }
    std::uint64_t total = 0;
    for (const auto& block : members->contents) total += block.size();
    pacer.start(total);
    for (std::size_t j = 0; j < members->names.size(); ++j) {
      const auto name = text::name_from_package(members->names[j], request.names);
      pacer.set_member_name(name);
      if (write_member(folder.get(), name, members->contents[j], on_chunk, read_ahead)) {
        host.log.append("正在解包:" + name + "^-^成功！\r\n");
        host.events.process_pending_events();
      } else {
        host.log.append("正在解包:" + name + "-_-||失败！\r\n");
        outcome.all_members_written = false;
      }
    }
    pacer.finish();
  }
  host.log.append("\r\n" + base_name + "解包完成！\r\n");
  host.events.process_pending_events();
  const auto end = host.clock.now();
  host.log.append(" 一共毫时:" + std::to_string(text::elapsed_seconds(request.start, end)) + "秒\r\n");
  host.list.clear();
  return outcome;
}

}  // namespace qv::jobs
