// Fuzzes the package reader: the input is a package file. Whatever the
// bytes, reading must neither crash nor leak, must agree with a reading of
// the same bytes in memory, and every member it hands out must give back
// exactly its bytes. An input that holds runs in short form (see
// fuzz_support.h) is also read once expanded.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "format/byte_block.h"
#include "format/package.h"
#include "fuzz/fuzz_support.h"
#include "text/count_text.h"

using namespace qv;

namespace {

void check_reading(std::string_view bytes) {
  const auto size = bytes.size();
  const auto path = fuzz::work_root() / "package.ZVK";
  fuzz::write_whole_file(path, bytes);
  const int descriptors_before = fuzz::open_descriptor_count();

  {
    int count_text_calls = 0;
    std::string heard;
    const auto read = format::read_package_file(path, [&](const format::Text& count_text) {
      ++count_text_calls;
      heard = count_text;
    });
    QV_FUZZ_CHECK(count_text_calls == 1, "the count text was heard " + std::to_string(count_text_calls) + " times");
    QV_FUZZ_CHECK(heard == fuzz::expected_count_text(bytes).value_or(""), "the count text heard differs");

    const auto expected = fuzz::expected_package(bytes);
    const auto* problem = std::get_if<format::PackageProblem>(&read);
    if (problem) {
      QV_FUZZ_CHECK(*problem == format::PackageProblem::damaged, "a written file could not be opened");
      QV_FUZZ_CHECK(!expected, "a package was refused as damaged");
    } else {
      const auto& members = std::get<format::PackageMembers>(read);
      QV_FUZZ_CHECK(expected, "damaged bytes were read as a package of " + members.count_text);
      QV_FUZZ_CHECK(members.count_text == expected->count_text, "the package's count text differs");
      QV_FUZZ_CHECK(members.count_text == heard, "the count text heard is not the package's");
      QV_FUZZ_CHECK(members.contents.size() == members.names.size(), "contents and names differ in number");
      QV_FUZZ_CHECK(members.names.size() == expected->names.size(),
                    "read " + std::to_string(members.names.size()) + " members, expected " +
                        std::to_string(expected->names.size()));
      const auto count = text::member_count(members.count_text);
      QV_FUZZ_CHECK(count && static_cast<std::size_t>(*count) == members.names.size(),
                    "the member count is not the count text's");

      std::uint64_t total = members.count_text.size();
      for (std::size_t i = 0; i < members.names.size(); ++i) {
        const auto& name = members.names[i];
        QV_FUZZ_CHECK(name == expected->names[i], "member " + std::to_string(i) + "'s name differs");
        QV_FUZZ_CHECK(name.find('\0') == std::string::npos, "a name holds 0x00");
        const auto& block = members.contents[i];
        QV_FUZZ_CHECK(block.size() == expected->contents[i].size(),
                      "member " + std::to_string(i) + " has size " + std::to_string(block.size()) + ", expected " +
                          std::to_string(expected->contents[i].size()));
        const auto back = format::read_block_bytes(block);
        QV_FUZZ_CHECK(back.has_value(), "member " + std::to_string(i) + "'s bytes cannot be read back");
        QV_FUZZ_CHECK(back->size() == block.size(), "member " + std::to_string(i) + " read back at another size");
        QV_FUZZ_CHECK(*back == expected->contents[i], "member " + std::to_string(i) + "'s bytes differ");
        total += 4 + block.size() + name.size();
      }
      QV_FUZZ_CHECK(total <= size, "the members take more bytes than the file holds");
      // The marker's bytes after the names are always found; nothing at all
      // after the names is never taken for a marker.
      if (expected->marker_after_names) QV_FUZZ_CHECK(members.has_marker, "the marker was missed");
      if (!expected->anything_after_names) QV_FUZZ_CHECK(!members.has_marker, "a marker was seen after the end");
    }
  }  // every block, and with them the package file, is gone here

  QV_FUZZ_CHECK(fuzz::open_descriptor_count() == descriptors_before, "reading left file descriptors open");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  check_reading(input);
  if (const auto long_form = fuzz::expanded(input)) check_reading(*long_form);
  return 0;
}
