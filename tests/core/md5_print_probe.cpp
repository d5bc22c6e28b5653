// Makes digests with standard output unbuffered, as the programs run:
//   md5_print_probe threads <count> <digests>   <count> threads make <digests> one-call digests each
//   md5_print_probe file <path>                 the digest of a file
//   md5_print_probe stream                      one digest fed in two pieces
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "core/md5.h"
#include "core/text_convert.h"

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  unsigned char digest[16];
  if (argc == 4 && std::strcmp(argv[1], "threads") == 0) {
    int threads = std::atoi(argv[2]), digests = std::atoi(argv[3]);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
      workers.emplace_back([digests] {
        unsigned char out[16];
        for (int i = 0; i < digests; ++i) vemo_md5("abc", 3, out);
      });
    for (auto& worker : workers) worker.join();
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "file") == 0)
    return md5_of_file(utf8_to_wstring(argv[2]), digest) == FileDigestStatus::kOk ? 0 : 1;
  if (argc == 2 && std::strcmp(argv[1], "stream") == 0) {
    VemoMd5Context context;
    vemo_md5_init(&context);
    std::fputs("|", stdout);
    vemo_md5_update(&context, "ab", 2);
    vemo_md5_update(&context, "c", 1);
    vemo_md5_finish(&context, digest);
    return 0;
  }
  return 2;
}
