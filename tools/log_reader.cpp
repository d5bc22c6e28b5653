// Turns a compressed log file of the SDK (vemo\vemosdklogv1\<time> or a jf
// log file) back into text, so that a studio can read a player's log.
//
//   log_reader <log file> [--raw]
//
// Prints one record per line: log records and events (behind their "E") as
// JSON on one line, text records as written. --raw prints the decoded text
// exactly as the records were written. On the standard error stream it says
// how many blocks it decoded and how many bytes it skipped: a program that was
// killed loses at most the block it was building, and damaged bytes are
// passed over to the next whole block.
//
// Exit codes: 0 decoded (skipped bytes included), 1 bad usage, 2 file unreadable.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include "core/file_utils.h"
#include "core/logs/log_block_decoder.h"
#include "core/logs/log_records.h"
#include "core/text_convert.h"

namespace {

int usage() {
  std::fputs("usage: log_reader <log file> [--raw]\n", stderr);
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2 || argc > 3) return usage();
  bool raw = argc == 3 && std::wstring(argv[2]) == L"--raw";
  if (argc == 3 && !raw) return usage();

  std::string path = wstring_to_utf8(argv[1]);
  std::string bytes;
  if (!vemo_read_file(path, bytes)) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return 2;
  }
  _setmode(_fileno(stdout), _O_BINARY);  // records keep their own line ends

  std::string text;
  vemo::logs::LogDecodeSummary summary =
      vemo::logs::decode_log_blocks(bytes, [&text](const std::string& block) { text += block; });
  if (raw) {
    std::fwrite(text.data(), 1, text.size(), stdout);
  } else {
    for (const std::string& record : vemo::logs::split_log_records(text)) {
      std::fwrite(record.data(), 1, record.size(), stdout);
      std::fputc('\n', stdout);
    }
  }
  std::fflush(stdout);
  std::fprintf(stderr, "%zu blocks decoded, %zu bytes skipped\n", summary.blocks, summary.skipped_bytes);
  return 0;
}
