// TODO(core, spine, jsonpool): stand-ins for the shared utilities; removed
// when those reach main.
#include "http/http_deps.h"

#include <windows.h>
#include <bcrypt.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

int vemo_debug_printf(const char* format, ...) {
  static const bool on = std::getenv("VEMO_HTTP_LOG") != nullptr;
  if (!on) return 0;
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
  return 1;
}

std::wstring utf8_to_wstring(const std::string& text) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

std::string wstring_to_utf8(const std::wstring& text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring to_long_path(const std::wstring& path) { return path; }

char* vemo_file_md5_hex(const wchar_t* path, int length) {
  if (length != 32) return nullptr;
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  BCRYPT_ALG_HANDLE alg = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
  unsigned char digest[16] = {};
  bool ok = BCryptOpenAlgorithmProvider(&alg, BCRYPT_MD5_ALGORITHM, nullptr, 0) == 0 &&
            BCryptCreateHash(alg, &hash, nullptr, 0, nullptr, 0, 0) == 0;
  static thread_local unsigned char block[1 << 20];
  DWORD got = 0;
  while (ok && ReadFile(file, block, sizeof block, &got, nullptr) && got > 0)
    ok = BCryptHashData(hash, block, got, 0) == 0;
  ok = ok && BCryptFinishHash(hash, digest, sizeof digest, 0) == 0;
  if (hash) BCryptDestroyHash(hash);
  if (alg) BCryptCloseAlgorithmProvider(alg, 0);
  CloseHandle(file);
  if (!ok) return nullptr;
  char* out = static_cast<char*>(std::calloc(33, 1));
  for (int i = 0; i < 16; ++i) std::snprintf(out + 2 * i, 3, "%02x", digest[i]);
  return out;
}

int64_t vemo_file_length_w(const wchar_t* path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return -1;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool vemo_make_parent_dirs_w(const wchar_t* path) {
  std::wstring folder(path);
  size_t cut = folder.find_last_of(L"\\/");
  if (cut == std::wstring::npos || cut == 0) return true;
  folder.resize(cut);
  DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (!vemo_make_parent_dirs_w(folder.c_str())) return false;
  return CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

namespace VemoSDKHttp {
namespace {
VOID CALLBACK run_pool_job(PTP_CALLBACK_INSTANCE, PVOID context) {
  std::unique_ptr<std::function<void()>> job(static_cast<std::function<void()>*>(context));
  (*job)();
}
}  // namespace

bool submit_to_sdk_pool(std::function<void()> job) {
  auto* copy = new std::function<void()>(std::move(job));
  if (TrySubmitThreadpoolCallback(run_pool_job, copy, nullptr)) return true;
  delete copy;
  return false;
}

void post_async_call(int64_t, const std::string&, const std::string&) {}
void post_lua_event(const char*, int64_t, const std::string&, bool) {}
}  // namespace VemoSDKHttp
