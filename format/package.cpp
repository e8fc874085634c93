#include "format/package.h"

#include "text/count_text.h"

namespace qv::format {

bool write_package(RecordStream& stream, FileNumber file, const BlockArray& contents, const TextArray& names) {
  const Text count_text = text::number_to_text(static_cast<std::int64_t>(contents.size()));
  return stream.write_records(file, {count_text, contents, names, kMarkerText});
}

std::optional<Text> read_count_text(RecordStream& stream, FileNumber file) {
  stream.set_text_limit(kMaxPackageText);
  if (!stream.seek_to_start(file)) return std::nullopt;
  Text count_text;
  if (!stream.read_records(file, {count_text})) return std::nullopt;
  return count_text;
}

std::optional<PackageMembers> read_package_members(RecordStream& stream, FileNumber file,
                                                   std::string_view count_text) {
  const auto count = text::member_count(count_text);
  const auto room = stream.bytes_left(file);
  if (!count || !room || static_cast<std::uint64_t>(*count) > *room / kMinMemberBytes) return std::nullopt;

  PackageMembers members;
  members.contents.resize(static_cast<std::size_t>(*count));
  members.names.resize(static_cast<std::size_t>(*count));
  Text marker;
  stream.set_text_limit(kMaxPackageText);
  if (!stream.seek_to_start(file)) return std::nullopt;
  const auto read = stream.read_records(file, {members.count_text, members.contents, members.names, marker});
  constexpr std::size_t kBothArrays = 3;  // count text, contents, names
  if (read.filled < kBothArrays) return std::nullopt;
  members.has_marker = read.complete && marker == kMarkerText;
  return members;
}

std::variant<PackageMembers, PackageProblem> read_package_file(
    const std::string& path, const std::function<void(const Text&)>& on_count_text) {
  RecordStream stream;
  const auto file = stream.open_file(path, OpenMode::read_only);
  if (file == 0) return PackageProblem::cannot_open;
  const auto count_text = read_count_text(stream, file).value_or("");
  if (on_count_text) on_count_text(count_text);
  auto members = read_package_members(stream, file, count_text);
  stream.close_file(file);  // the members' blocks keep the file open for themselves
  if (!members) return PackageProblem::damaged;
  return std::move(*members);
}

}  // namespace qv::format
