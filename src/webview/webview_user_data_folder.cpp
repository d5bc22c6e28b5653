#include "webview/webview_user_data_folder.h"

#include "core/dir_tree.h"
#include "core/file_utils.h"
#include "core/owners.h"
#include "core/path_utils.h"
#include "core/sdk_context.h"
#include "core/text_convert.h"

#include <shlobj.h>

namespace VemoSDK {
namespace {

constexpr const wchar_t* kLockFileName = L"_lock.vmeb";
constexpr const wchar_t* kBitness = L"32";

std::wstring withoutTrailingBackslash(std::wstring folder) {
  while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  return folder;
}

bool folderExists(const std::wstring& folder) {
  DWORD attributes = GetFileAttributesW(to_long_path(withoutTrailingBackslash(folder)).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Opens (creating) the folder's lock file and takes its exclusive lock; an
// empty handle when another process holds it or the file cannot be opened.
vemo::UniqueHandle lockFolder(const std::wstring& folder) {
  vemo::UniqueHandle file(CreateFileW(to_long_path(folder + kLockFileName).c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return file;
  OVERLAPPED range = {};
  if (!LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 0, 0xFFFFFFFF, &range))
    file.reset();
  return file;
}

void unlockFolder(vemo::UniqueHandle& file) {
  OVERLAPPED range = {};
  UnlockFileEx(file.get(), 0, 0, 0xFFFFFFFF, &range);
  file.reset();
}

}  // namespace

WebViewUserDataFolder::WebViewUserDataFolder(std::wstring runtimeFolder)
    : WebViewUserDataFolder(std::move(runtimeFolder), defaultBase(), GetCurrentProcessId()) {}

WebViewUserDataFolder::WebViewUserDataFolder(std::wstring runtimeFolder, std::wstring base, DWORD processId)
    : runtimeFolder_(std::move(runtimeFolder)), base_(std::move(base)), processId_(processId) {
  removeStaleSiblings();
}

std::wstring WebViewUserDataFolder::defaultBase() {
  std::wstring root;
  PWSTR raw = nullptr;
  HRESULT found = SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &raw);
  vemo::CoTaskPtr<wchar_t> known(raw);
  if (SUCCEEDED(found) && known) root = known.get();
  if (root.empty()) root = withoutTrailingBackslash(get_program_dir_w());
  VemoSDKContextPtr context = vemosdk_get_context();
  std::wstring gameId = context ? utf8_to_wstring(context->game_id) : std::wstring();
  return withoutTrailingBackslash(root) + L"\\WebView2\\" + gameId + L"\\";
}

std::wstring WebViewUserDataFolder::runtimeVersion() {
  if (runtimeVersionRead_) return runtimeVersion_;
  runtimeVersionRead_ = true;
  WIN32_FIND_DATAW entry;
  std::wstring pattern = withoutTrailingBackslash(runtimeFolder_) + L"\\*.manifest";
  vemo::UniqueFindHandle find(FindFirstFileW(to_long_path(pattern).c_str(), &entry));
  if (find) {
    std::wstring name = entry.cFileName;
    runtimeVersion_ = name.substr(0, name.rfind(L'.'));
  }
  return runtimeVersion_;
}

const std::wstring& WebViewUserDataFolder::folder() {
  if (!folder_.empty()) return folder_;
  std::wstring shared = base_ + L"default\\";
  if (acquire(shared, false)) {
    folder_ = shared;
  } else {
    // Kept even when it cannot be held: the browser then reports the failure.
    folder_ = base_ + std::to_wstring(processId_) + L"\\";
    acquire(folder_, false);
  }
  return folder_;
}

bool WebViewUserDataFolder::markerMatches(const std::wstring& candidate) {
  // Markers are "<version>_<bitness>.vmeb"; the lock file shares the
  // extension and is passed over by name, whatever order the listing has.
  WIN32_FIND_DATAW entry;
  vemo::UniqueFindHandle find(FindFirstFileW(to_long_path(candidate + L"*.vmeb").c_str(), &entry));
  if (!find) return false;
  do {
    std::wstring name = entry.cFileName;
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || _wcsicmp(name.c_str(), kLockFileName) == 0) continue;
    size_t underscore = name.find(L'_');
    if (underscore == std::wstring::npos) continue;
    size_t dot = name.find(L'.', underscore);
    return name.substr(0, underscore) == runtimeVersion() &&
           name.substr(underscore + 1, dot - underscore - 1) == kBitness;
  } while (FindNextFileW(find.get(), &entry));
  return false;
}

bool WebViewUserDataFolder::acquire(const std::wstring& candidate, bool fresh) {
  if (!file_exists(candidate + kLockFileName) && folderExists(candidate))
    remove_directory_tree(withoutTrailingBackslash(candidate), true);  // no lock file: stale
  if (!folderExists(candidate)) {
    create_dirs_for_path_w(candidate + kLockFileName);
    if (!folderExists(candidate)) return false;
    std::wstring marker = candidate + runtimeVersion() + L"_" + kBitness + L".vmeb";
    vemo::UniqueHandle file(CreateFileW(to_long_path(marker).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
  }
  vemo::UniqueHandle lock = lockFolder(candidate);
  if (!lock) return false;
  if (markerMatches(candidate)) {
    lock_ = std::move(lock);
    return true;
  }
  // Made for another runtime: start afresh, once. A folder that fails the
  // check right after being made would fail it again.
  unlockFolder(lock);
  remove_directory_tree(withoutTrailingBackslash(candidate), true);
  if (fresh || folderExists(candidate)) return false;
  return acquire(candidate, true);
}

void WebViewUserDataFolder::removeStaleSiblings() {
  WIN32_FIND_DATAW entry;
  vemo::UniqueFindHandle find(FindFirstFileW(to_long_path(base_ + L"*").c_str(), &entry));
  if (!find) return;
  std::wstring own = std::to_wstring(processId_);
  do {
    std::wstring name = entry.cFileName;
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    if (name == L"." || name == L".." || name == L"default" || name == own) continue;
    std::wstring sibling = base_ + name + L"\\";
    vemo::UniqueHandle lock = lockFolder(sibling);
    if (!lock) continue;  // held by a running process
    unlockFolder(lock);
    remove_directory_tree(withoutTrailingBackslash(sibling), true);
  } while (FindNextFileW(find.get(), &entry));
}

}  // namespace VemoSDK
