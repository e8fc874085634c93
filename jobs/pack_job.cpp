#include "jobs/pack_job.h"

#include <fcntl.h>

#include "format/package.h"
#include "format/record_stream.h"
#include "jobs/copy_pacer.h"
#include "jobs/destination_path.h"
#include "jobs/pending_file.h"
#include "text/path.h"

namespace qv::jobs {
namespace {

void log_unreadable(LogSink& log, const std::string& path) { log.append("无法读取文件:" + path + "\r\n"); }

}  // namespace

bool run_pack_job(const PackRequest& request, JobHost& host) {
  format::RecordStream stream;
  CopyPacer pacer(host);
  stream.set_chunk_callback(pacer.callback());

  // The destination is claimed first, so that a place that cannot take the
  // package is known before any source is read; the failure shows at the write.
  auto pending = PendingFile::create(destination_path(request.given_name, request.home_folder));
  const format::FileNumber file =
      pending ? stream.adopt_file(format::UniqueFd(::fcntl(pending->fd(), F_DUPFD_CLOEXEC, 0)), "") : 0;

  const int count = host.list.count();
  format::BlockArray contents(static_cast<std::size_t>(std::max(count, 0)));
  format::TextArray names;
  host.log.append("开始打包……\r\n");
  host.log.append("开始读入文件……\r\n");
  bool all_sources_read = true;
  for (int i = 0; i < count; ++i) {
    const std::string source = host.list.item(i);
    host.log.append("正在打包:" + source + "\r\n");
    const auto base_name = text::base_name(source);
    const auto name = text::name_for_package(base_name, request.names);
    names.push_back(name.value_or(base_name));
    auto block = format::block_for_file(source);
    if (block && name) {
      contents[static_cast<std::size_t>(i)] = std::move(*block);
    } else {
      log_unreadable(host.log, source);
      all_sources_read = false;
    }
    host.events.process_pending_events();
  }

  // A source that changed or vanished since it was looked at fails the write.
  std::uint64_t total = 0;
  for (const auto& block : contents) total += block.size();
  pacer.start(total);
  const bool written = all_sources_read && format::write_package(stream, file, contents, names);
  pacer.finish();
  if (!written && !stream.unreadable_source().empty()) log_unreadable(host.log, stream.unreadable_source());
  stream.close_file(file);
  if (!written || !pending->commit()) {
    host.log.append("\r\n打包失败！\r\n");
    return false;
  }
  host.log.append("\r\n恭喜，打包完毕！\r\n");
  const auto end = host.clock.now();
  host.log.append("一共耗时:" + std::to_string(text::elapsed_seconds(request.start, end)) + "秒！\r\n");
  host.list.clear();
  return true;
}

}  // namespace qv::jobs
