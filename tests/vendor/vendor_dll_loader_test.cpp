// The vendors-folder loader: where a plug-in is looked for, and that a name
// which does not fit is a failure rather than a load of another file.
#include "vendor/vendor_dll_loader.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "core/dir_tree.h"
#include "core/folders.h"
#include "core/path_utils.h"
#include "core/text_convert.h"
#include "test_support.h"

extern "C" void vemosdk_set_vendors_path(const char* path);

namespace {

using vemo::test::DebugLogCapture;
using vemo::test::TempDir;

std::wstring marker_dll() { return utf8_to_wstring(vemo::test::test_bin_dir() + "\\marker_dll.dll"); }

// Copies the marker DLL to base\relative, making the folders on the way.
void place_dll(const std::string& base, const std::string& relative) {
  std::wstring target = to_long_path(utf8_to_wstring(base + "\\" + relative));
  ASSERT_TRUE(vemo_make_parent_dirs_w(target.c_str())) << base << "\\" << relative;
  ASSERT_TRUE(CopyFileW(marker_dll().c_str(), target.c_str(), FALSE)) << base << "\\" << relative;
}

// The file a loaded module came from, without any "\\?\" in front.
std::string module_file(HMODULE module) {
  std::wstring buffer(32768, L'\0');
  DWORD n = GetModuleFileNameW(module, &buffer[0], static_cast<DWORD>(buffer.size()));
  buffer.resize(n);
  if (buffer.rfind(L"\\\\?\\", 0) == 0) buffer.erase(0, 4);
  return wstring_to_utf8(buffer);
}

bool same_path(const std::string& a, const std::string& b) {
  return CompareStringOrdinal(utf8_to_wstring(a).c_str(), -1, utf8_to_wstring(b).c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Loads, reports where from, frees.
std::string load_from(const char* folder, const char* file) {
  HMODULE module = loadDllInVendors(folder, file);
  if (!module) return "";
  std::string from = module_file(module);
  FreeLibrary(module);
  return from;
}

class CurrentDirectory {
public:
  explicit CurrentDirectory(const std::string& path) {
    GetCurrentDirectoryW(MAX_PATH, saved_);
    SetCurrentDirectoryW(utf8_to_wstring(path).c_str());
  }
  ~CurrentDirectory() { SetCurrentDirectoryW(saved_); }

private:
  wchar_t saved_[MAX_PATH] = {};
};

TEST(VendorDllLoader, RelativePathsKeepTheSpellingTheyAreGiven) {
  EXPECT_EQ(vendorDllRelPath("STEAM", "VEMO_STEAM"), "vendors\\STEAM\\VEMO_STEAM.dll");
  EXPECT_EQ(vendorDllRelPath("", "hpatchz"), "vendors\\hpatchz.dll");
  EXPECT_EQ(vendorDllRelPath(nullptr, "hpatchz"), "vendors\\hpatchz.dll");
  EXPECT_EQ(vendorDllRelPath("STEAM", ""), "");
  EXPECT_EQ(vendorDllRelPath("STEAM", nullptr), "");
}

// One flow: the vendors path is set once per process and stays.
TEST(VendorDllLoader, LoadsFromTheProgramFolderNeverFromTheCurrentDirectory) {
  const std::string program = get_program_dir_copy();
  const std::string mine = "loader-" + std::to_string(GetCurrentProcessId());
  TempDir elsewhere("vendor-cwd");
  // The same names under the current directory: a decoy that must never load.
  place_dll(elsewhere.path(), "vendors\\" + mine + "\\plugin.dll");
  place_dll(elsewhere.path(), "vendors\\" + mine + "\\decoy_only.dll");
  place_dll(elsewhere.path(), mine + "\\vendors\\" + mine + "\\plugin.dll");
  place_dll(program, "vendors\\" + mine + "\\plugin.dll");
  CurrentDirectory in(elsewhere.path());

  // No vendors path: the program folder.
  EXPECT_TRUE(same_path(load_from(mine.c_str(), "plugin"), program + "\\vendors\\" + mine + "\\plugin.dll"));
  EXPECT_EQ(load_from(mine.c_str(), "decoy_only"), "");

  // A relative vendors path names a folder in the program folder.
  place_dll(program, mine + "\\vendors\\" + mine + "\\plugin.dll");
  vemosdk_set_vendors_path(mine.c_str());
  EXPECT_TRUE(same_path(load_from(mine.c_str(), "plugin"), program + "\\" + mine + "\\vendors\\" + mine + "\\plugin.dll"));

  remove_directory_tree(utf8_to_wstring(program + "\\vendors\\" + mine), true);
  remove_directory_tree(utf8_to_wstring(program + "\\" + mine), true);
}

TEST(VendorDllLoader, NamesThatDoNotFitFailAndLongPathsLoad) {
  TempDir root("vendor-names");
  // Deeper than MAX_PATH: only the "\\?\" form reaches it.
  const std::string deep = root.path() + "\\" + std::string(120, 'd') + "\\" + std::string(120, 'e');
  const std::string prefix39(39, 'a');
  place_dll(deep, "vendors\\flat.dll");
  place_dll(deep, "vendors\\T\\" + prefix39 + ".dll");
  place_dll(deep, "vendors\\T\\" + prefix39 + "bbbbbb.dll");
  vemosdk_set_vendors_path(deep.c_str());

  struct Case {
    const char* folder;
    std::string file;
    std::string loaded;  // relative to deep; empty: nothing loads
    const char* logged;  // a text of the log line, or null
  } cases[] = {
      {nullptr, "flat", "vendors\\flat.dll", "loadDllInVendors Final DLL path: \\\\?\\"},
      {"", "flat", "vendors\\flat.dll", nullptr},
      {"T", prefix39 + "bbbbbb", "vendors\\T\\" + prefix39 + "bbbbbb.dll", nullptr},
      // Cut to the length of another plug-in's name, this would load that one.
      {"T", prefix39 + "cccccc", "", "loadDllInVendors loadLibrary failed"},
      {"T", std::string(2100, 'x'), "", "loadDllInVendors failed to get DLL path for plugin"},
      {"T", "", "", "loadDllInVendors failed: dllFileName is empty"},
      {"missing", "flat", "", "loadDllInVendors loadLibrary failed"},
  };
  for (const Case& c : cases) {
    DebugLogCapture log;
    std::string from = load_from(c.folder, c.file.c_str());
    if (c.loaded.empty())
      EXPECT_EQ(from, "") << c.file.substr(0, 50);
    else
      EXPECT_TRUE(same_path(from, deep + "\\" + c.loaded)) << from;
    if (c.logged) {
      bool found = false;
      for (const std::string& line : log.lines()) found = found || line.find(c.logged) != std::string::npos;
      EXPECT_TRUE(found) << c.logged;
    }
  }
  EXPECT_EQ(getVendorDllPath("T", std::string(2100, 'x').c_str()), L"");
  EXPECT_EQ(getVendorDllPath("T", "flat").rfind(L"\\\\?\\", 0), 0u);
  remove_directory_tree(to_long_path(utf8_to_wstring(root.path())), true);
}

}  // namespace
