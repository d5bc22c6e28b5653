#include "http/download_file.h"

#include <algorithm>

namespace VemoSDKHttp {
vemo::UniqueHandle DownloadFile::open_for_writing(const std::wstring& path, DWORD disposition, DWORD& error) {
  // Readers (a second launcher, a virus scanner) may look at the file while
  // it grows, and the rename after the checks needs delete access shared;
  // another writer (a second download of the same file) is refused.
  vemo::UniqueHandle handle(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                        disposition, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!handle) error = GetLastError();
  return handle;
}

bool DownloadFile::openFresh(const std::wstring& path, DWORD& error) {
  close();
  handle_ = open_for_writing(path, CREATE_ALWAYS, error);
  if (!isOpen()) return false;
  path_ = path;
  failed_ = false;
  return true;
}

DownloadFile::Resume DownloadFile::openAt(const std::wstring& path, int64_t offset, DWORD& error) {
  close();
  vemo::UniqueHandle file = open_for_writing(path, OPEN_ALWAYS, error);
  if (!file) return Resume::kFailed;
  HANDLE handle = file.get();
  LARGE_INTEGER size{};
  LARGE_INTEGER position{};
  position.QuadPart = offset;
  if (!GetFileSizeEx(handle, &size)) {
    error = GetLastError();
    return Resume::kFailed;
  }
  if (size.QuadPart < offset) return Resume::kShorter;
  if (!SetFilePointerEx(handle, position, nullptr, FILE_BEGIN) ||
      (size.QuadPart > offset && !SetEndOfFile(handle))) {
    error = GetLastError();
    return Resume::kFailed;
  }
  handle_ = std::move(file);
  path_ = path;
  failed_ = false;
  return Resume::kOpened;
}

bool DownloadFile::restartFromZero() {
  if (!isOpen()) return false;
  pending_.clear();
  if (digest_) digest_->restart();
  LARGE_INTEGER zero{};
  return SetFilePointerEx(handle_.get(), zero, nullptr, FILE_BEGIN) && SetEndOfFile(handle_.get());
}

size_t DownloadFile::write(const void* data, size_t length) {
  if (!isOpen() || failed_) return 0;
  const char* bytes = static_cast<const char*>(data);
  if (pending_.size() + length > kBlockSize && !flush()) return 0;
  if (length >= kBlockSize) {
    if (!writeThrough(bytes, length)) return 0;
    if (digest_) {
      // Into a block the digest is done with: fresh megabytes for every
      // read would cost their page faults again each time.
      std::vector<char> block = digest_->spareBlock();
      block.assign(bytes, bytes + length);
      digest_->feed(std::move(block));
    }
    return length;
  }
  if (pending_.capacity() < kBlockSize) {
    if (digest_) pending_ = digest_->spareBlock();
    pending_.reserve(kBlockSize);
  }
  pending_.insert(pending_.end(), bytes, bytes + length);
  return length;
}

int64_t DownloadFile::size() const {
  LARGE_INTEGER length{};
  if (!isOpen() || !GetFileSizeEx(handle_.get(), &length)) return -1;
  return length.QuadPart;
}

bool DownloadFile::finishWrites() { return isOpen() && flush() && !failed_; }

bool DownloadFile::flush() {
  if (pending_.empty()) return true;
  bool ok = writeThrough(pending_.data(), pending_.size());
  if (ok && digest_)
    digest_->feed(std::move(pending_));  // the next write starts a new block
  pending_.clear();
  return ok;
}

bool DownloadFile::writeThrough(const char* data, size_t length) {
  size_t done = 0;
  while (done < length) {
    DWORD piece = static_cast<DWORD>(std::min<size_t>(length - done, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(handle_.get(), data + done, piece, &written, nullptr) || written == 0) {
      failed_ = true;
      return false;
    }
    done += written;
  }
  return true;
}

bool DownloadFile::close() {
  if (!isOpen()) return true;
  bool flushed = flush();
  bool ok = CloseHandle(handle_.release()) != 0 && flushed && !failed_;
  pending_ = std::vector<char>();
  return ok;
}

}  // namespace VemoSDKHttp
