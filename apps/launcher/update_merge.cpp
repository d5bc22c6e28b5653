#include "update_merge.h"

#include "core/debug_log.h"
#include "core/path_utils.h"
#include "core/raii.h"

#include <windows.h>

#include <cwchar>

bool copy_directory_from_update_to_exe() {
  // TODO(update-merge): copy each staged entry over the program folder and
  // remove it from ".update". Until then nothing is merged, so the answer is
  // true only when nothing is staged.
  WIN32_FIND_DATAW entry;
  std::wstring pattern = to_long_path(get_program_dir_w() + L".update\\*");
  vemo::UniqueFindHandle listing(FindFirstFileW(pattern.c_str(), &entry));
  if (!listing) {
    vemo_debug_printf("no .update directory, nothing to merge.\n");
    return true;
  }
  int staged = 0;
  do {
    if (std::wcscmp(entry.cFileName, L".") != 0 && std::wcscmp(entry.cFileName, L"..") != 0) ++staged;
  } while (FindNextFileW(listing.get(), &entry));
  vemo_debug_printf("copy_directory_from_update_to_exe finished, allOk = %d\n", staged == 0 ? 1 : 0);
  return staged == 0;
}
