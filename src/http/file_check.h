#pragma once
// The checks of a finished download and its move to the final name.
#include <cstdint>
#include <string>

namespace VemoSDKHttp {

// Whether the file has the expected MD5 (hex, any case; empty: not checked)
// and the expected size (0 or less: not checked). A known_md5 taken while the
// file was written stands for reading it again, and a known_size (0 or
// more, read from the writer's open handle) for opening the file to ask.
bool checkFileValid(const std::wstring& path, const std::string& expected_md5, int64_t expected_size,
                    const std::string& known_md5 = {}, int64_t known_size = -1);

// Moves the verified file to its final name, creating missing folders. An
// existing file there is replaced in one step, so the final name shows either
// the old file or the new one, never a partial one. Tried twice.
bool renameDownloadingFile(const std::wstring& destination, const std::wstring& path);

}  // namespace VemoSDKHttp
