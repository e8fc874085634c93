#pragma once
#include <string>
#include <string_view>

namespace qv::jobs {

// Where a package goes, from the name the user gave: a name without "/"
// goes into `home_folder`, any other as it stands; blanks around the given
// name are trimmed, and ".ZVK" is appended unless its last four bytes are
// exactly ".ZVK" (so "backup.zvk" becomes "backup.zvk.ZVK").
std::string destination_path(std::string_view given_name, std::string_view home_folder);

// The folder that holds the program's own executable, without a trailing "/";
// empty when it cannot be found.
std::string program_folder();

}  // namespace qv::jobs
