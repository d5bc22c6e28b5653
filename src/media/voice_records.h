#pragma once
// The folder of voice records, "<program data directory>records\", and
// the names that may go into it.
#include <string>

namespace VemoSDK::Media {

// The folder, with a trailing backslash (UTF-8).
std::string records_folder();

// A name made safe for one file in the folder: path separators, drive
// colons, wildcards and control characters become "_", so that no request
// reaches outside the folder.
std::string safe_record_name(const std::string& name);

// Deletes the files (never folders) whose name without its extension is
// name, or every file when name is "*"; returns how many went.
int delete_records(const std::string& name);

}  // namespace VemoSDK::Media
