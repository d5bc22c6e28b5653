#include "core/path_utils.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "core/program_relative.h"
#include "core/text_convert.h"
#include "test_support.h"

namespace {

std::wstring current_dir() {
  wchar_t buffer[2048];
  DWORD n = GetCurrentDirectoryW(2048, buffer);
  return std::wstring(buffer, n);
}

// A drive path of exactly `length` characters.
std::wstring drive_path(size_t length) { return L"C:\\" + std::wstring(length - 3, L'a'); }

struct LongPathCase {
  const char* name;
  std::wstring input;
  std::wstring expected;
};

TEST(ToLongPath, TableOfCases) {
  std::wstring long_tail(260, L'x');
  std::wstring cwd = current_dir();
  std::wstring relative = L"sub\\" + std::wstring(250, L'r');
  const LongPathCase cases[] = {
      {"empty", L"", L""},
      {"247 characters stay", drive_path(247), drive_path(247)},
      {"248 characters get the prefix", drive_path(248), L"\\\\?\\" + drive_path(248)},
      {"short path keeps its slashes", L"C:/a/b", L"C:/a/b"},
      {"slashes and dot-dots are resolved", L"C:/top/../" + long_tail + L"/./f", L"\\\\?\\C:\\" + long_tail + L"\\f"},
      {"relative path is made absolute first", relative, L"\\\\?\\" + cwd + L"\\" + relative},
      {"UNC path gets the UNC form", L"\\\\server\\share\\" + long_tail,
       L"\\\\?\\UNC\\server\\share\\" + long_tail},
      {"prefixed path stays", L"\\\\?\\C:\\x", L"\\\\?\\C:\\x"},
      {"device path stays", L"\\\\.\\pipe\\name", L"\\\\.\\pipe\\name"},
  };
  for (const auto& c : cases) EXPECT_EQ(to_long_path(c.input), c.expected) << c.name;
}

TEST(ToLongPath, Utf8FormAndMallocCopy) {
  EXPECT_EQ(to_long_path(wstring_to_utf8(drive_path(300))), L"\\\\?\\" + drive_path(300));
  EXPECT_EQ(normalize_long_path_dup(nullptr), nullptr);
  wchar_t* copy = normalize_long_path_dup(drive_path(248).c_str());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(std::wstring(copy), L"\\\\?\\" + drive_path(248));
  free(copy);
}

TEST(RelativePath, OnlyAPathWithoutRootOrDriveIsInTheProgramFolder) {
  const std::string program = get_program_dir();
  const struct {
    const char* path;
    bool relative;
  } cases[] = {
      {"a.txt", true},         {"sub\\a.txt", true},   {"sub/a.txt", true},      {"..\\up", true},
      {"a.txt:stream", true},  {"C:\\x", false},       {"C:x", false},           {"\\rooted", false},
      {"/rooted", false},      {"\\\\server\\share\\x", false}, {"\\\\?\\C:\\x", false},
      {"", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.relative, is_relative_path(c.path)) << c.path;
    EXPECT_EQ(c.relative ? program + c.path : std::string(c.path), in_program_folder(c.path)) << c.path;
  }
}

struct AppendCase {
  const char* name;
  const wchar_t* base;
  const wchar_t* sub;
  int result;
  std::wstring expected;  // base after the call
};

TEST(VemoPathAppendW, TableOfCases) {
  std::wstring cwd = current_dir();
  const AppendCase cases[] = {
      {"joins with one backslash", L"C:\\base\\\\", L"\\\\sub/file.txt", 1, L"C:\\base\\sub\\file.txt"},
      {"resolves dot-dots", L"C:\\base\\inner", L"../other", 1, L"C:\\base\\other"},
      {"empty sub leaves base", L"C:\\base", L"", 1, L"C:\\base"},
      {"empty base takes the absolute sub", L"", L"rel/x", 1, cwd + L"\\rel\\x"},
      {"too long fails", L"C:\\base", nullptr, 0, L"C:\\base"},
  };
  std::wstring too_long(2100, L'y');
  for (const auto& c : cases) {
    wchar_t buffer[kMaxLongPath];
    wcscpy(buffer, c.base);
    const wchar_t* sub = c.sub ? c.sub : too_long.c_str();
    EXPECT_EQ(VemoPathAppendW(buffer, sub), c.result) << c.name;
    EXPECT_EQ(std::wstring(buffer), c.expected) << c.name;
  }
  wchar_t buffer[kMaxLongPath] = L"C:\\x";
  EXPECT_EQ(VemoPathAppendW(nullptr, L"a"), 0);
  EXPECT_EQ(VemoPathAppendW(buffer, nullptr), 0);
}

TEST(ProgramDir, IsTheExecutablesFolderWithABackslash) {
  wchar_t module[2048];
  GetModuleFileNameW(nullptr, module, 2048);
  std::wstring exe(module);
  std::wstring folder = exe.substr(0, exe.find_last_of(L'\\') + 1);
  EXPECT_EQ(get_program_dir_w(), folder);
  EXPECT_EQ(get_program_dir(), wstring_to_utf8(folder));
  EXPECT_EQ(get_program_dir_copy() + "\\", get_program_dir());
  EXPECT_EQ(get_module_relative_path(L"other.dll", false), folder + L"other.dll");
  EXPECT_EQ(get_module_relative_path(L".log", true), exe + L".log");
  EXPECT_EQ(get_vemo_data_path("a.txt"), wstring_to_utf8(folder) + "vemo\\a.txt");
  EXPECT_EQ(get_program_file_path("a.txt"), wstring_to_utf8(folder) + "a.txt");
}

TEST(FullPath, FallsBackToTheInputWhenTooLong) {
  std::string too_long = "C:\\" + std::string(2100, 'z');
  EXPECT_EQ(vemo_get_full_path(too_long), too_long);
  EXPECT_EQ(vemo_get_full_path("C:/a/../b"), "C:\\b");
}

TEST(FileExists, SeesFilesAndFoldersAlsoBeyondTheThreshold) {
  vemo::test::TempDir dir("file-exists");
  std::string deep = dir.path() + "\\" + std::string(200, 'd');
  std::wstring deep_long = to_long_path(utf8_to_wstring(deep));
  ASSERT_TRUE(CreateDirectoryW(deep_long.c_str(), nullptr));
  std::string file = deep + "\\" + std::string(100, 'f') + u8"\u4e2d.txt";
  HANDLE h = CreateFileW(to_long_path(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  EXPECT_TRUE(file_exists(file));
  EXPECT_TRUE(file_exists(dir.path()));
  EXPECT_FALSE(file_exists(dir.file("missing")));
  EXPECT_FALSE(file_exists(std::string()));
  DeleteFileW(to_long_path(file).c_str());
  RemoveDirectoryW(deep_long.c_str());
}

TEST(IsLocalFilePath, TableOfCases) {
  const std::pair<const char*, bool> cases[] = {
      {"C:\\x", true}, {"c:", true}, {"file://D:/x", true}, {"file:///C:/x", false},
      {"C", false},    {"1:\\x", false}, {"\\\\server\\x", false}, {"http://x", false}, {"", false},
  };
  for (const auto& [path, expected] : cases) EXPECT_EQ(is_local_file_path(path), expected) << path;
}

}  // namespace
