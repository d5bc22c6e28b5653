#include "test_support.h"

#include "core/text_convert.h"

#include <windows.h>
#include <bcrypt.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <vector>

#include "core/debug_log.h"

namespace vemo::test {
namespace {

std::string unix_to_windows(const std::string& unix_path) {
  std::string out = "Z:" + unix_path;
  for (char& c : out)
    if (c == '/') c = '\\';
  while (out.size() > 3 && out.back() == '\\') out.pop_back();
  return out;
}

void remove_tree(const std::wstring& dir) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring child = dir + L"\\" + name;
      SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      bool is_dir = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
      bool is_link = data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
      if (is_dir && !is_link)
        remove_tree(child);
      else if (is_dir)
        RemoveDirectoryW(child.c_str());
      else
        DeleteFileW(child.c_str());
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(dir.c_str());
}

}  // namespace

std::string work_dir() { return unix_to_windows(VEMO_TEST_WORK_DIR); }

std::string test_bin_dir() { return unix_to_windows(VEMO_TEST_BIN_DIR); }

std::string browser_runtime_dir() { return unix_to_windows(VEMO_BROWSER_RUNTIME_DIR); }

bool copy_browser_runtime(const std::string& folder) {
  std::wstring from = utf8_to_wstring(browser_runtime_dir());
  std::wstring to = utf8_to_wstring(folder);
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW((from + L"\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return false;
  bool copied = true;
  do {
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    copied &= CopyFileW((from + L"\\" + entry.cFileName).c_str(), (to + L"\\" + entry.cFileName).c_str(), FALSE) != 0;
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  return copied;
}

TempDir::TempDir(const std::string& name) {
  path_ = work_dir() + "\\tmp-" + name + "-" + std::to_string(GetCurrentProcessId());
  remove_tree(utf8_to_wstring(path_));
  CreateDirectoryW(utf8_to_wstring(work_dir()).c_str(), nullptr);
  CreateDirectoryW(utf8_to_wstring(path_).c_str(), nullptr);
}

TempDir::~TempDir() { remove_tree(utf8_to_wstring(path_)); }

std::string TempDir::file(const std::string& relative) const { return path_ + "\\" + relative; }

bool write_file(const std::string& path, const std::string& bytes) {
  std::ofstream out(std::filesystem::path(utf8_to_wstring(path)), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

bool read_file(const std::string& path, std::string& bytes) {
  std::ifstream in(std::filesystem::path(utf8_to_wstring(path)), std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  bytes = buffer.str();
  return true;
}

namespace {

// The port file holds the HTTP port, the server's process id and the HTTPS port.
int port_file_number(int position) {
  std::ifstream in(std::filesystem::path(utf8_to_wstring(unix_to_windows(VEMO_HTTP_PORT_FILE))));
  int number = 0;
  for (int i = 0; i <= position && in; ++i) in >> number;
  return in ? number : 0;
}

}  // namespace

std::string windows_digest_hex(const wchar_t* algorithm_name, const std::string& bytes) {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
  unsigned char digest[64] = {};
  DWORD digest_length = 0;
  DWORD got = 0;
  std::string hex;
  if (BCryptOpenAlgorithmProvider(&algorithm, algorithm_name, nullptr, 0) != 0) return hex;
  BCryptGetProperty(algorithm, BCRYPT_HASH_LENGTH, reinterpret_cast<PUCHAR>(&digest_length), sizeof digest_length,
                    &got, 0);
  if (digest_length <= sizeof digest && BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) == 0) {
    BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data())), static_cast<ULONG>(bytes.size()),
                   0);
    BCryptFinishHash(hash, digest, digest_length, 0);
    BCryptDestroyHash(hash);
    char pair[3];
    for (DWORD i = 0; i < digest_length; ++i) {
      std::snprintf(pair, sizeof pair, "%02x", digest[i]);
      hex += pair;
    }
  }
  BCryptCloseAlgorithmProvider(algorithm, 0);
  return hex;
}

int http_port() { return port_file_number(0); }

std::string http_base_url() { return "http://127.0.0.1:" + std::to_string(http_port()); }

int https_port() { return port_file_number(2); }

std::string https_base_url() { return "https://127.0.0.1:" + std::to_string(https_port()); }

std::string https_public_key_der() {
  std::string bytes;
  read_file(unix_to_windows(VEMO_HTTP_PORT_FILE) + ".tls\\pubkey.der", bytes);
  return bytes;
}

std::string http_root() { return work_dir() + "\\www"; }

namespace {

std::mutex g_captured_mutex;
std::vector<std::string> g_captured;

void capture_line(int, const char* text, int length) {
  std::lock_guard<std::mutex> lock(g_captured_mutex);
  g_captured.emplace_back(text, static_cast<size_t>(length));
}

}  // namespace

DebugLogCapture::DebugLogCapture() {
  {
    std::lock_guard<std::mutex> lock(g_captured_mutex);
    g_captured.clear();
  }
  vemo_debug_set_callback(capture_line);
  vemo_debug_set_console(1);
}

DebugLogCapture::~DebugLogCapture() {
  vemo_debug_set_console(0);
  vemo_debug_set_callback(nullptr);
}

std::vector<std::string> DebugLogCapture::lines() const {
  std::lock_guard<std::mutex> lock(g_captured_mutex);
  return g_captured;
}

}  // namespace vemo::test
