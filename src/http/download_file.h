#pragma once
// The file one download writes into: created from byte 0, or opened at the
// offset a resumed download continues from. Writes are gathered into large
// blocks (libcurl hands over 16 KiB at a time, and every write is a system
// call); the file always holds a prefix of the download. Nobody else may
// write it while it is open (readers may look), so a digest taken from the
// written bytes is the file's; it stays open through the checks and the
// rename. Owned by its download record.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/owners.h"
#include "http/stream_digest.h"

namespace VemoSDKHttp {

class DownloadFile {
public:
  // The memory a download may fill with written bytes its digest has not
  // hashed yet. Hashing keeps up with a local network on a normal machine;
  // a slow CPU (or a fast disk beside one) reaches the limit, and the
  // transfer then waits until the digest is down to half of it.
  static constexpr size_t kDigestBacklogLimit = 32u << 20;
  static constexpr size_t kDigestResumeAt = kDigestBacklogLimit / 2;

  DownloadFile() = default;
  ~DownloadFile() { close(); }
  DownloadFile(const DownloadFile&) = delete;
  DownloadFile& operator=(const DownloadFile&) = delete;

  // Creates (or empties) the file. False with the system error code.
  bool openFresh(const std::wstring& path, DWORD& error);
  enum class Resume { kOpened, kShorter, kFailed };
  // Opens the file to append at offset. A longer file is cut back to offset
  // (those bytes come again); a shorter one cannot continue at offset: it is
  // left alone, nothing is open and kShorter is returned.
  Resume openAt(const std::wstring& path, int64_t offset, DWORD& error);
  // Empties the open file and writes from byte 0 again.
  bool restartFromZero();
  // Every block written from now on also goes to the digest.
  void attachDigest(std::shared_ptr<StreamDigest> digest) { digest_ = std::move(digest); }
  const std::shared_ptr<StreamDigest>& digest() const { return digest_; }
  // Whether the digest lags so far behind that the download should wait.
  bool digestBehind() { return digest_ && digest_->behind(kDigestBacklogLimit, kDigestResumeAt); }

  // Bytes taken (fewer on a disk error).
  size_t write(const void* data, size_t length);
  // Writes what is gathered and keeps the file open; false on a disk error.
  bool finishWrites();
  // False when the file was open and its bytes could not all be written.
  bool close();
  bool isOpen() const { return static_cast<bool>(handle_); }
  // The open file's length, or -1 when none is open or it cannot be read.
  int64_t size() const;
  const std::wstring& path() const { return path_; }

private:
  static vemo::UniqueHandle open_for_writing(const std::wstring& path, DWORD disposition, DWORD& error);

  static constexpr size_t kBlockSize = 1 << 20;
  bool flush();
  bool writeThrough(const char* data, size_t length);

  vemo::UniqueHandle handle_;  // null when none is open
  std::vector<char> pending_;  // taken, not yet written
  std::shared_ptr<StreamDigest> digest_;
  std::wstring path_;
  bool failed_ = false;  // a write fell short
};

}  // namespace VemoSDKHttp
