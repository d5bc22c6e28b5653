#include "file_fixtures.h"

#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <vector>

#include "core/text_convert.h"
#include "files/file_ops.h"
#include "test_support.h"

namespace vemo::test {
namespace {

// The mount-point form of a reparse buffer (the platform headers keep it in
// the driver kit).
struct MountPointReparseBuffer {
  DWORD tag;
  WORD data_length;
  WORD reserved;
  WORD substitute_offset;
  WORD substitute_length;
  WORD print_offset;
  WORD print_length;
  WCHAR path[1024];
};

bool make_junction(const std::wstring& link, const std::wstring& target) {
  if (!CreateDirectoryW(link.c_str(), nullptr)) return false;
  HANDLE handle = CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  bool made = false;
  if (handle != INVALID_HANDLE_VALUE) {
    std::wstring substitute = L"\\??\\" + target;
    MountPointReparseBuffer buffer{};
    buffer.tag = IO_REPARSE_TAG_MOUNT_POINT;
    WORD bytes = static_cast<WORD>(substitute.size() * sizeof(WCHAR));
    buffer.substitute_length = bytes;
    buffer.print_offset = static_cast<WORD>(bytes + sizeof(WCHAR));
    std::memcpy(buffer.path, substitute.c_str(), bytes);
    buffer.data_length = static_cast<WORD>(8 + bytes + 2 * sizeof(WCHAR));
    DWORD returned = 0;
    made = DeviceIoControl(handle, FSCTL_SET_REPARSE_POINT, &buffer, buffer.data_length + 8, nullptr, 0, &returned,
                           nullptr);
    CloseHandle(handle);
  }
  if (!made) RemoveDirectoryW(link.c_str());
  return made;
}

// The host's name of a Windows path under Wine; empty elsewhere.
std::string host_name_of(const std::wstring& path) {
  using UnixName = char* (*)(const WCHAR*);
  auto unix_name = reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (unix_name == nullptr) return {};
  char* name = unix_name(path.c_str());
  std::string out = name ? name : "";
  HeapFree(GetProcessHeap(), 0, name);
  return out;
}

// Runs a host program under Wine. Wine starts host programs but cannot wait
// for them, so callers wait for the effect instead.
bool run_host_program(const std::wstring& command_line) {
  std::wstring command = command_line;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

template <class Condition>
bool wait_for(Condition condition) {
  for (int i = 0; i < 200 && !condition(); ++i) Sleep(50);
  return condition();
}

// Wine shows a host link to a file as the file itself, so a file link is
// there once its name is.
bool make_host_symlink(const std::wstring& link, const std::wstring& target) {
  std::string host_link = host_name_of(link);
  std::string host_target = host_name_of(target);
  if (host_link.empty() || host_target.empty()) return false;
  if (!run_host_program(L"Z:\\bin\\ln -s \"" + utf8_to_wstring(host_target) + L"\" \"" + utf8_to_wstring(host_link) +
                        L"\""))
    return false;
  return wait_for([&] { return GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES; });
}

}  // namespace

void make_tree(const std::string& root, std::initializer_list<std::pair<std::string, std::string>> files) {
  for (const auto& [relative, content] : files) {
    std::string path = root + "\\" + relative;
    vemo_make_parent_dirs(path.c_str());
    write_file(path, content);
  }
}

std::string content_of(const std::string& path) {
  std::string bytes;
  return read_file(path, bytes) ? bytes : "<missing>";
}

bool exists(const std::string& path) {
  return GetFileAttributesW(utf8_to_wstring(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool make_folder_link(const std::string& link, const std::string& target) {
  std::wstring link_w = utf8_to_wstring(link);
  std::wstring target_w = utf8_to_wstring(target);
  return make_junction(link_w, target_w) || make_host_symlink(link_w, target_w);
}

bool make_file_link(const std::string& link, const std::string& target) {
  std::wstring link_w = utf8_to_wstring(link);
  std::wstring target_w = utf8_to_wstring(target);
  // Wine answers success here and makes nothing.
  if (CreateSymbolicLinkW(link_w.c_str(), target_w.c_str(), 0) && GetFileAttributesW(link_w.c_str()) != INVALID_FILE_ATTRIBUTES)
    return true;
  return make_host_symlink(link_w, target_w);
}

void remove_folder_link(const std::string& link) {
  std::wstring link_w = utf8_to_wstring(link);
  if (RemoveDirectoryW(link_w.c_str())) return;
  std::string host_link = host_name_of(link_w);
  if (!host_link.empty() && run_host_program(L"Z:\\bin\\rm -f \"" + utf8_to_wstring(host_link) + L"\""))
    wait_for([&] { return GetFileAttributesW(link_w.c_str()) == INVALID_FILE_ATTRIBUTES; });
}

}  // namespace vemo::test
