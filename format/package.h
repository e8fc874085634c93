#pragma once
// A package is four records of the record stream, written in one call:
//
//   count text      the member count N in decimal
//   contents        N byte blocks, the members' contents in list order
//   names           N texts, the members' base names in the same order
//   marker text     the fixed bytes D7 F7 D5 DF 3A 54 65 6E 76 61 72 69
//
// Arrays carry no count, so a reader takes two passes: the count text alone,
// then all four records with both arrays sized to the count.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "format/record_stream.h"

namespace qv::format {

// The marker's bytes are code page 936, as packages have always carried them.
inline const Text kMarkerText = "\xD7\xF7\xD5\xDF:Tenvari";

// Every member takes at least its 4-byte length and the 0x00 of its name.
inline constexpr std::uint64_t kMinMemberBytes = 5;

// Names are file names, and the count text is a few digits: a text longer
// than this is no part of a package, however the file came to hold it.
inline constexpr std::size_t kMaxPackageText = 64 * 1024;

// Writes the four records at the file's position; false when any of it
// could not be written. `contents` and `names` must be of the same size.
bool write_package(RecordStream& stream, FileNumber file, const BlockArray& contents, const TextArray& names);

// The first pass: the count text at the start of the file, or nothing when
// not even that can be read (an empty file).
std::optional<Text> read_count_text(RecordStream& stream, FileNumber file);

struct PackageMembers {
  Text count_text;
  BlockArray contents;
  TextArray names;
  bool has_marker = false;  // the marker text is there; nothing depends on it, a package without it unpacks
};

// The second pass, after the first one gave `count_text`. Nothing when the
// file cannot be a package: a count outside 0 to 2,147,483,647, more members
// than the rest of the file can hold, or records cut short before both arrays
// are filled. The count is checked before anything is sized by it.
std::optional<PackageMembers> read_package_members(RecordStream& stream, FileNumber file,
                                                   std::string_view count_text);

enum class PackageProblem {
  cannot_open,  // missing, not a regular file, or not readable
  damaged,      // not a package, or one cut short
};

// Opens the package for reading only and reads it in both passes.
// `on_count_text` hears the count text as the first pass read it (empty when
// it could not), before the second pass begins.
std::variant<PackageMembers, PackageProblem> read_package_file(
    const std::string& path, const std::function<void(const Text&)>& on_count_text = {});

}  // namespace qv::format
