// Times the SDK's file digest on one file, as a download check or a script's
// file MD5 makes it, with standard output unbuffered as in the programs.
//   md5_bench <file>
// Prints "seconds=<s> bytes=<b> digest=<32 hex digits>".
#include <windows.h>

#include <cstdio>
#include <string>

#include "core/md5.h"
#include "core/string_utils.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: md5_bench <file>\n");
    return 2;
  }
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  WIN32_FILE_ATTRIBUTE_DATA attributes;
  if (!GetFileAttributesExW(argv[1], GetFileExInfoStandard, &attributes)) return 1;
  long long bytes = (static_cast<long long>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;

  LARGE_INTEGER start, end, frequency;
  QueryPerformanceCounter(&start);
  unsigned char digest[16];
  FileDigestStatus status = md5_of_file(argv[1], digest);
  QueryPerformanceCounter(&end);
  QueryPerformanceFrequency(&frequency);
  if (status != FileDigestStatus::kOk) return 1;
  double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
  std::printf("\nseconds=%.6f bytes=%lld digest=%s\n", seconds, bytes, to_hex_string(digest, 16).c_str());
  return 0;
}
