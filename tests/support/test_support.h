#pragma once
// Helpers shared by the C++ tests: temporary folders under the test work
// folder, and the address of the HTTP test server that CTest starts.
#include <string>
#include <vector>

namespace vemo::test {

// The test work folder as a Windows path (Z:\...), without a trailing backslash.
std::string work_dir();

// A fresh, empty folder under the work folder, removed when it goes out of scope.
class TempDir {
public:
  explicit TempDir(const std::string& name);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }  // no trailing backslash
  std::string file(const std::string& relative) const;  // path() + "\\" + relative

private:
  std::string path_;
};

// Writes bytes to a file (UTF-8 path), creating nothing but the file.
bool write_file(const std::string& path, const std::string& bytes);
// Reads a whole file; false if it cannot be read.
bool read_file(const std::string& path, std::string& bytes);

// The folder of the test programs (child_program.exe and the test exes), as a
// Windows path.
std::string test_bin_dir();

// The SDK's debug log while it lives: switches the log on and takes every
// line logged on any thread; the log is off again afterwards. One at a time.
class DebugLogCapture {
public:
  DebugLogCapture();
  ~DebugLogCapture();
  DebugLogCapture(const DebugLogCapture&) = delete;
  DebugLogCapture& operator=(const DebugLogCapture&) = delete;

  // The texts in the order they were logged, each as the SDK formatted it.
  std::vector<std::string> lines() const;
};

// Lowercase hex digest of bytes by Windows' own hashing (BCrypt), an oracle
// independent of the SDK's: algorithm is BCRYPT_MD5_ALGORITHM,
// BCRYPT_SHA256_ALGORITHM, ...
std::string windows_digest_hex(const wchar_t* algorithm, const std::string& bytes);

// Port of the HTTP test server (0 when it is not running), and its base URL.
int http_port();
std::string http_base_url();
// The same server over HTTPS with a self-signed certificate (port 0 when it
// could not make one), and that certificate's public key (DER
// SubjectPublicKeyInfo; empty without one).
int https_port();
std::string https_base_url();
std::string https_public_key_der();
// The runtime folder of the headless browser that the "browser" fixture
// runs (its DevTools endpoint file is there), as a Windows path.
std::string browser_runtime_dir();
// Copies the files of that folder (not its subfolders) into folder, so a
// test may add pages of its own to a runtime folder without touching others'.
bool copy_browser_runtime(const std::string& folder);
// Folder the test server serves, as a Windows path.
std::string http_root();

}  // namespace vemo::test
