#include "jobs/copy_pacer.h"

#include "text/path.h"

namespace qv::jobs {
namespace {

constexpr std::uint64_t kEventsEvery = 8 * 1024 * 1024;

}  // namespace

format::ChunkCallback CopyPacer::callback() {
  return [this](const format::ByteBlock& block, std::uint64_t bytes) { copied(block, bytes); };
}

void CopyPacer::start(std::uint64_t total_bytes) {
  if (host_.progress) host_.progress->start(total_bytes);
}

void CopyPacer::finish() {
  if (host_.progress) host_.progress->finish();
}

void CopyPacer::copied(const format::ByteBlock& block, std::uint64_t bytes) {
  if (host_.progress) {
    const auto* source = std::get_if<format::ByteBlock::NamedFile>(&block.source());
    host_.progress->advance(source ? text::base_name(source->path) : member_name_, bytes);
  }
  since_events_ += bytes;
  if (since_events_ >= kEventsEvery) {
    since_events_ = 0;
    host_.events.process_pending_events();
  }
}

}  // namespace qv::jobs
