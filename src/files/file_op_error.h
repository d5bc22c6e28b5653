#pragma once
// Result codes of the file operations (the 7016xxx family) beside the Windows
// error codes that the operations pass on.

enum FileOpErrorCode {
  kFileOpBadParameters = 7016008,    // a call's options do not parse or have the wrong shape
  kFileOpPathNotExists = 7016011,    // a folder cannot be opened for listing
  kFileOpFileOpenFailed = 7016012,   // a file to hash cannot be opened
  kFileOpReadFailed = 7016022,       // a file to hash cannot be read to its end
  kFileOpPathOutsideBase = 7016023,  // a batch item leaves its base folder
  kFileOpPathTooLong = 7016024,      // a joined batch path does not fit its buffer
};

namespace file_op_msg {
constexpr char kPathNotExists[] = "path not exists";
constexpr char kFileOpenFailed[] = "file open failed";
constexpr char kWrongLength[] = "_ftell got wrong file length";
constexpr char kReadError[] = "error occurs while reading file";
constexpr char kReadIncomplete[] = "file read incomplete";
constexpr char kOutsideBase[] = "path is absolute or leaves the base folder";
constexpr char kTooLong[] = "joined path exceeds MAX_LONG_PATH";
}  // namespace file_op_msg
